#include "LoopbackHttpServer.h"

#include <QAbstractHttpServer>
#include <QHttpServerResponder>
#include <QTcpSocket>

namespace horolet::test {

class LoopbackHttpServer::Server final : public QAbstractHttpServer {
public:
    explicit Server(LoopbackHttpServer* owner) : m_owner(owner) {}

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override {
        m_owner->record({request.method(), request.url(), request.headers(), request.body()});
        const Reply reply = m_owner->currentReply();
        if (reply.silent) return true;
        if (!reply.raw.isEmpty()) {
            socket->write(reply.raw);
            socket->disconnectFromHost();
            return true;
        }
        makeResponder(request, socket)
            .write(reply.body, reply.contentType, QHttpServerResponder::StatusCode(reply.status));
        return true;
    }
    void missingHandler(const QHttpServerRequest&, QTcpSocket*) override {}

private:
    LoopbackHttpServer* m_owner;
};

QByteArray LoopbackHttpServer::Seen::header(const QByteArray& name) const {
    for (const auto& [key, value] : headers)
        if (key.compare(name, Qt::CaseInsensitive) == 0) return value;
    return {};
}

LoopbackHttpServer::LoopbackHttpServer() {
    m_context = new QObject;
    m_context->moveToThread(&m_thread);
    m_thread.start();
    QMetaObject::invokeMethod(
        m_context,
        [this] {
            m_server = new Server(this);
            m_port = m_server->listen(QHostAddress::LocalHost, 0);
        },
        Qt::BlockingQueuedConnection);
}

LoopbackHttpServer::~LoopbackHttpServer() {
    QMetaObject::invokeMethod(
        m_context,
        [this] {
            delete m_server;
            delete m_context;
        },
        Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

void LoopbackHttpServer::setReply(const Reply& reply) {
    QMutexLocker lock(&m_mutex);
    m_reply = reply;
}

QList<LoopbackHttpServer::Seen> LoopbackHttpServer::requests() const {
    QMutexLocker lock(&m_mutex);
    return m_seen;
}

LoopbackHttpServer::Reply LoopbackHttpServer::currentReply() const {
    QMutexLocker lock(&m_mutex);
    return m_reply;
}

void LoopbackHttpServer::record(Seen seen) {
    QMutexLocker lock(&m_mutex);
    m_seen.append(std::move(seen));
}

}  // namespace horolet::test
