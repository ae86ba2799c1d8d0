#pragma once

// The daemon's HTTP side: the two addresses the clock uses, answered once the weather
// service has the data, without holding up other clients meanwhile.

#include <QHostAddress>
#include <QObject>

class QHttpServer;

namespace horolet::weatherd {

class WeatherService;

class Server final : public QObject {
public:
    explicit Server(WeatherService& service, QObject* parent = nullptr);

    // The port listened on, 0 when the address cannot be bound.
    quint16 listen(const QHostAddress& address, quint16 port);

private:
    WeatherService& m_service;
    QHttpServer* m_http;
};

}  // namespace horolet::weatherd
