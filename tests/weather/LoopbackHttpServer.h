#pragma once

// An HTTP server on 127.0.0.1 (free port) running on its own thread, so that it answers
// while the test's thread is blocked in a synchronous request. It records every request
// and answers each with the reply set last.

#include <QByteArray>
#include <QHttpServerRequest>
#include <QList>
#include <QMutex>
#include <QString>
#include <QThread>
#include <QUrl>

#include <memory>
#include <utility>

namespace horolet::test {

class LoopbackHttpServer final {
public:
    struct Seen {
        QHttpServerRequest::Method method;
        QUrl url;
        QList<std::pair<QByteArray, QByteArray>> headers;
        QByteArray body;

        QByteArray header(const QByteArray& name) const;
    };
    struct Reply {
        int status = 200;
        QByteArray contentType = "text/xml";
        QByteArray body;
        QByteArray raw;       // when set: written to the connection as is, then closed
        bool silent = false;  // accept the request and never answer
    };

    LoopbackHttpServer();
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    quint16 port() const { return m_port; }
    QString hostAndPort() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }
    void setReply(const Reply& reply);
    QList<Seen> requests() const;

    class Server;
    friend class Server;

private:
    Reply currentReply() const;
    void record(Seen seen);

    mutable QMutex m_mutex;
    Reply m_reply;
    QList<Seen> m_seen;
    quint16 m_port = 0;
    QThread m_thread;
    QObject* m_context = nullptr;  // lives on m_thread
    Server* m_server = nullptr;
};

}  // namespace horolet::test
