// A loopback stand-in for the weather service of the end-to-end run: a normal conditions
// reply for the clock and a plain forecast page for the forecast window. It listens on a
// free port of 127.0.0.1, prints "port N" once listening and then one line per request
// ("GET /path?query"), so the script sees what the program asked for.

#include "weather/WeatherFixtures.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

#include <cstdio>
#include <memory>

namespace {

// A solid colour the script can find in a screenshot of the forecast window.
const QByteArray kForecastPage =
    "<!DOCTYPE html><html><head><title>Forecast</title></head>"
    "<body style=\"margin:0;background:#ff00ff\"><p>Forecast for the week</p></body></html>";

QByteArray response(int status, const QByteArray& type, const QByteArray& body) {
    const QByteArray reason = status == 200 ? "OK" : "Not Found";
    return "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason + "\r\nContent-Type: " + type +
           "\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

QByteArray answer(const QByteArray& target) {
    const QByteArray path = target.left(target.indexOf('?'));
    if (path == "/Weather/getCurrentConditions.asp")
        return response(200, "text/xml", horolet::test::NormalReply());
    if (path == "/weather/iphone/") return response(200, "text/html; charset=utf-8", kForecastPage);
    return response(404, "text/plain", "no such page\n");
}

void serve(QTcpSocket* socket) {
    auto buffer = std::make_shared<QByteArray>();
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, buffer] {
        buffer->append(socket->readAll());
        if (!buffer->contains("\r\n\r\n")) return;
        const QList<QByteArray> requestLine = buffer->left(buffer->indexOf("\r\n")).split(' ');
        const QByteArray method = requestLine.value(0);
        const QByteArray target = requestLine.value(1);
        std::printf("%s %s\n", method.constData(), target.constData());
        std::fflush(stdout);
        socket->write(answer(target));
        socket->disconnectFromHost();
        QObject::disconnect(socket, &QTcpSocket::readyRead, nullptr, nullptr);
    });
    QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, 0)) {
        std::fprintf(stderr, "cannot listen: %s\n", qPrintable(server.errorString()));
        return 1;
    }
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&server] {
        while (QTcpSocket* socket = server.nextPendingConnection()) serve(socket);
    });
    std::printf("port %u\n", unsigned(server.serverPort()));
    std::fflush(stdout);
    return app.exec();
}
