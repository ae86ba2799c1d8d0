#include "FakeWeatherApi.h"

#include <QHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QMutexLocker>
#include <QPointer>
#include <QTcpSocket>

namespace horolet::test {

namespace {

QByteArray Header(const QHttpServerRequest& request, const QByteArray& name) {
    for (const auto& [key, value] : request.headers())
        if (key.compare(name, Qt::CaseInsensitive) == 0) return value;
    return {};
}

}  // namespace

// A responder with a watch on its socket: a held reply may outlive its client.
struct FakeWeatherApi::Held {
    explicit Held(QHttpServerResponder&& r) : socket(r.socket()), responder(std::move(r)) {}
    void send(const CannedReply& reply) {
        if (!socket || socket->state() != QAbstractSocket::ConnectedState) return;
        responder.write(reply.body, "application/geo+json",
                        QHttpServerResponder::StatusCode(reply.status));
    }
    QPointer<QTcpSocket> socket;
    QHttpServerResponder responder;
};

FakeWeatherApi::FakeWeatherApi() : m_http(new QHttpServer(this)) {
    m_http->setMissingHandler(
        [this](const QHttpServerRequest& request, QHttpServerResponder&& responder) {
            {
                QMutexLocker lock(&m_mutex);
                m_seen.append({request.url().path(), request.url().query(),
                               Header(request, "User-Agent"), Header(request, "Accept")});
            }
            serve(request.url().path(), std::make_shared<Held>(std::move(responder)));
        });
}

FakeWeatherApi::~FakeWeatherApi() = default;

quint16 FakeWeatherApi::listen() {
    m_port = m_http->listen(QHostAddress(QHostAddress::LocalHost), 0);
    return m_port;
}

QString FakeWeatherApi::base() const {
    return QStringLiteral("http://127.0.0.1:%1").arg(m_port);
}

void FakeWeatherApi::serve(const QString& path, std::shared_ptr<Held> held) {
    QMutexLocker lock(&m_mutex);
    if (m_held.contains(path)) {
        m_waiting.emplace_back(path, std::move(held));
        return;
    }
    auto it = m_replies.find(path);
    if (it == m_replies.end() || it->isEmpty()) {
        lock.unlock();
        held->send({404, R"({"title":"Not Found","status":404})"});
        return;
    }
    const CannedReply reply = it->size() > 1 ? it->takeFirst() : it->constFirst();
    lock.unlock();
    held->send(reply);
}

void FakeWeatherApi::setReplies(const QString& path, const QList<CannedReply>& replies) {
    QMutexLocker lock(&m_mutex);
    m_replies.insert(path, replies);
}

void FakeWeatherApi::hold(const QString& path) {
    QMutexLocker lock(&m_mutex);
    m_held.append(path);
}

void FakeWeatherApi::release(const QString& path) {
    QMetaObject::invokeMethod(this, [this, path] {
        std::vector<std::shared_ptr<Held>> ready;
        {
            QMutexLocker lock(&m_mutex);
            m_held.removeAll(path);
            for (auto it = m_waiting.begin(); it != m_waiting.end();) {
                if (it->first == path) {
                    ready.push_back(it->second);
                    it = m_waiting.erase(it);
                } else {
                    ++it;
                }
            }
        }
        for (auto& held : ready) serve(path, std::move(held));
    });
}

int FakeWeatherApi::count(const QString& path) const {
    QMutexLocker lock(&m_mutex);
    return int(std::count_if(m_seen.begin(), m_seen.end(),
                             [&path](const SeenRequest& r) { return r.path == path; }));
}

int FakeWeatherApi::total() const {
    QMutexLocker lock(&m_mutex);
    return int(m_seen.size());
}

QList<SeenRequest> FakeWeatherApi::seen() const {
    QMutexLocker lock(&m_mutex);
    return m_seen;
}

}  // namespace horolet::test
