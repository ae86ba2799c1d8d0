#pragma once

// A stand-in for the weather API on 127.0.0.1: canned JSON replies per path, every
// request recorded, and replies that can be held back. Safe to drive from another thread
// than the one it serves on.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class QHttpServer;
class QHttpServerResponder;

namespace horolet::test {

struct CannedReply {
    int status = 200;
    QByteArray body;
};

struct SeenRequest {
    QString path;
    QString query;
    QByteArray userAgent;
    QByteArray accept;
};

class FakeWeatherApi final : public QObject {
public:
    FakeWeatherApi();
    ~FakeWeatherApi() override;

    // Call on the thread the object lives in.
    quint16 listen();
    QString base() const;

    // Replies for a path (without query), used in turn; the last one stays.
    void setReplies(const QString& path, const QList<CannedReply>& replies);
    void setJson(const QString& path, const QByteArray& json) { setReplies(path, {{200, json}}); }

    // Requests for a held path wait until it is released.
    void hold(const QString& path);
    void release(const QString& path);

    int count(const QString& path) const;
    int total() const;
    QList<SeenRequest> seen() const;

private:
    struct Held;
    void serve(const QString& path, std::shared_ptr<Held> held);

    QHttpServer* m_http;
    quint16 m_port = 0;
    mutable QMutex m_mutex;
    QHash<QString, QList<CannedReply>> m_replies;
    QStringList m_held;
    std::vector<std::pair<QString, std::shared_ptr<Held>>> m_waiting;
    QList<SeenRequest> m_seen;
};

}  // namespace horolet::test
