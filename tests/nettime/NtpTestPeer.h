#pragma once

// Loopback helpers for the SNTP tests: a scriptable server and a driver for the fake
// tick count, so a 10-second wait passes in a fraction of a second.

#include "nettime/SntpPacket.h"
#include "platform/FakePlatform.h"

#include <QTimer>
#include <QUdpSocket>
#include <QtTest>

#include <functional>

namespace horolet::test {

inline void putBigEndian32(QByteArray& bytes, int offset, quint32 value) {
    for (int i = 0; i < 4; ++i) bytes[offset + i] = char((value >> (24 - 8 * i)) & 0xFF);
}

// A well-formed reply to a request: version 1, server mode, stratum 2, the request's
// transmit field as originate, and the given transmit time.
inline QByteArray ServerReply(const QByteArray& request, quint32 seconds, quint32 fraction) {
    QByteArray reply(kSntpPacketSize, '\0');
    reply[0] = char(0x0C);
    reply[1] = char(2);
    reply.replace(24, 8, request.mid(40, 8));
    putBigEndian32(reply, 32, seconds);
    putBigEndian32(reply, 40, seconds);
    putBigEndian32(reply, 44, fraction);
    return reply;
}

// A UDP peer on a loopback address that answers each request through a script.
class FakeNtpServer final : public QObject {
public:
    struct Datagram {
        QByteArray bytes;
        QUdpSocket* via = nullptr;  // null: the server's own socket
    };
    using Script = std::function<QList<Datagram>(const QByteArray& request)>;

    explicit FakeNtpServer(const QHostAddress& address, quint16 port = 0) {
        bound = socket.bind(address, port);
        connect(&socket, &QUdpSocket::readyRead, this, &FakeNtpServer::onRequest);
    }
    quint16 port() const { return socket.localPort(); }

    // Sends to the client of the last request, as the server or through another socket.
    void send(const Datagram& d) {
        QUdpSocket* s = d.via ? d.via : &socket;
        s->writeDatagram(d.bytes, clientAddress, clientPort);
    }

    bool bound = false;
    Script script;
    QList<QByteArray> requests;
    QHostAddress clientAddress;
    quint16 clientPort = 0;

private:
    void onRequest() {
        while (socket.hasPendingDatagrams()) {
            QByteArray d(qMax<qint64>(socket.pendingDatagramSize(), 0), '\0');
            const qint64 n = socket.readDatagram(d.data(), d.size(), &clientAddress, &clientPort);
            if (n < 0) return;
            d.truncate(n);
            requests.append(d);
            if (script)
                for (const Datagram& out : script(d)) send(out);
        }
    }

    QUdpSocket socket;
};

// Advances the fake tick count by a step every few real milliseconds while it lives.
class TickDriver final : public QObject {
public:
    TickDriver(FakePlatform& fake, quint32 stepMs) : m_fake(fake), m_step(stepMs) {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            m_fake.ticks += m_step;
            if (onStep) onStep();
        });
        m_timer.start(2);
    }
    std::function<void()> onStep;

private:
    FakePlatform& m_fake;
    quint32 m_step;
    QTimer m_timer;
};

}  // namespace horolet::test
