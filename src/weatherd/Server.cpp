#include "weatherd/Server.h"

#include "weatherd/WeatherService.h"

#include <QHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QPointer>
#include <QTcpSocket>
#include <QUrlQuery>

#include <memory>

namespace horolet::weatherd {

namespace {

// A responder kept until the answer is ready; the client may have gone by then.
class PendingReply final {
public:
    explicit PendingReply(QHttpServerResponder&& responder)
        : m_socket(responder.socket()), m_responder(std::move(responder)) {}

    void send(const QByteArray& body, const QByteArray& mimeType,
              QHttpServerResponder::StatusCode status) {
        if (!m_socket || m_socket->state() != QAbstractSocket::ConnectedState) return;
        m_responder.write(body, {{"Content-Type", mimeType}, {"Cache-Control", "no-store"}},
                          status);
    }

private:
    QPointer<QTcpSocket> m_socket;
    QHttpServerResponder m_responder;
};

QString QueryValue(const QHttpServerRequest& request, const char* key) {
    return request.query().queryItemValue(QLatin1String(key), QUrl::FullyDecoded);
}

}  // namespace

Server::Server(WeatherService& service, QObject* parent)
    : QObject(parent), m_service(service), m_http(new QHttpServer(this)) {
    // Rand only defeats caches on the clock's way; it is never passed upstream.
    m_http->route(
        QStringLiteral("/Weather/getCurrentConditions\\.asp"), QHttpServerRequest::Method::Get,
        [this](const QHttpServerRequest& request, QHttpServerResponder&& responder) {
            auto reply = std::make_shared<PendingReply>(std::move(responder));
            m_service.currentConditions(QueryValue(request, "zipCode"), [reply](
                                                                            const QByteArray& xml) {
                reply->send(xml, "text/xml; charset=utf-8", QHttpServerResponder::StatusCode::Ok);
            });
        });
    m_http->route(QStringLiteral("/weather/iphone/"), QHttpServerRequest::Method::Get,
                  [this](const QHttpServerRequest& request, QHttpServerResponder&& responder) {
                      auto reply = std::make_shared<PendingReply>(std::move(responder));
                      m_service.forecastPage(
                          QueryValue(request, "z"), [reply](const HtmlPage& page) {
                              reply->send(page.html, "text/html; charset=utf-8",
                                          QHttpServerResponder::StatusCode(page.status));
                          });
                  });
}

quint16 Server::listen(const QHostAddress& address, quint16 port) {
    return m_http->listen(address, port);
}

}  // namespace horolet::weatherd
