#include "NtpTestPeer.h"
#include "app/Globals.h"
#include "nettime/modDNS.h"
#include "nettime/modTimes.h"
#include "platform/LinuxPlatform.h"
#include "support/TestMain.h"

#include <QSignalSpy>

#include <unistd.h>

using namespace horolet;
using test::FakeNtpServer;
using test::TickDriver;

namespace {

const QHostAddress kServerAddress(QStringLiteral("127.0.0.2"));
constexpr quint32 k2024 = 3913056000u;  // 2024-01-01 00:00:00 UTC
const QDateTime k2024Half(QDate(2024, 1, 1), QTime(0, 0, 0, 500), QTimeZone::utc());

QList<FakeNtpServer::Datagram> answer(const QByteArray& request) {
    return {{test::ServerReply(request, k2024, 0), nullptr}};
}

QString syncedTip() {
    return QStringLiteral("Time last synched @ ") + LongTimeText(platform().currentLocal().time());
}

}  // namespace

class TestSntpExchange final : public QObject {
    Q_OBJECT

    NtpExchange& exchange() { return NtpExchange::instance(); }

private slots:
    void init() {
        test::FreshStart();
        test::Fake().resolveAnswer = kServerAddress.toString();
        NetTime().NtpServer = QStringLiteral("time.example.test");
    }

    // Each datagram fails one check: bytes replaced at an offset (none: cut to that
    // length), or sent from another address or port than the server's.
    void hostileDatagramsAreIgnored_data() {
        QTest::addColumn<int>("at");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("from");  // 0 server, 1 another address, 2 another port
        QTest::addColumn<bool>("thenAnswer");
        const struct {
            const char* name;
            int at;
            QByteArray bytes;
            int from;
        } kinds[] = {
            {"47 bytes", 47, {}, 0},
            {"client mode", 0, "\x0B", 0},
            {"leap indicator 3", 0, "\xCC", 0},
            {"stratum 0", 1, QByteArray(1, '\0'), 0},
            {"stratum 16", 1, "\x10", 0},
            {"transmit time zero", 40, QByteArray(8, '\0'), 0},
            {"originate not the request's value", 24, QByteArray(8, '\0'), 0},
            {"from another address", 0, {}, 1},
            {"from another port of the server", 0, {}, 2},
        };
        for (const auto& k : kinds) {
            QTest::addRow("%s, then silence", k.name) << k.at << k.bytes << k.from << false;
            QTest::addRow("%s, then the answer", k.name) << k.at << k.bytes << k.from << true;
        }
    }
    void hostileDatagramsAreIgnored() {
        QFETCH(int, at);
        QFETCH(QByteArray, bytes);
        QFETCH(int, from);
        QFETCH(bool, thenAnswer);
        FakePlatform& fake = test::Fake();
        QUdpSocket others[2];
        QVERIFY(others[0].bind(QHostAddress(QStringLiteral("127.0.0.3")), 0));
        QVERIFY(others[1].bind(kServerAddress, 0));

        FakeNtpServer server(kServerAddress);
        QVERIFY(server.bound);
        server.script = [&](const QByteArray& request) {
            const QByteArray good = test::ServerReply(request, k2024, 0x80000000u);
            QByteArray bad = good;
            if (from == 0 && bytes.isEmpty()) bad.truncate(at);
            if (from == 0) bad.replace(at, bytes.size(), bytes);
            QList<FakeNtpServer::Datagram> out{{bad, from ? &others[from - 1] : nullptr}};
            if (thenAnswer) out.append({good, nullptr});
            return out;
        };
        QSignalSpy tips(&exchange(), &NtpExchange::currentTimeTipChanged);
        QSignalSpy serverTimes(&exchange(), &NtpExchange::ntpTimeValueChanged);
        TickDriver driver(fake, 500);

        NetTime().SetClockOnReply = true;
        SyncClock(server.port());

        QCOMPARE(server.requests.size(), 1);
        QVERIFY(fake.boxes.isEmpty());
        QVERIFY(serverTimes.isEmpty());
        if (thenAnswer) {
            QCOMPARE(fake.clockSets, QList<QDateTime>{k2024Half});
            QCOMPARE(tips.size(), 2);
            QVERIFY(tips.at(0).at(0).toString().startsWith(QStringLiteral("Last timesync @ ")));
            QCOMPARE(tips.at(1).at(0).toString(), syncedTip());
        } else {
            QVERIFY(fake.clockSets.isEmpty());
            QVERIFY(tips.isEmpty());  // a timeout leaves the hover text alone
            QVERIFY(qint32(fake.ticks - NetTime().SyncStartTicks) > kSntpWaitLimitMs);
        }
    }

    void compareShowsTheReplyOnly() {
        FakePlatform& fake = test::Fake();
        FakeNtpServer server(kServerAddress);
        server.script = [&fake](const QByteArray& request) {
            fake.ticks += 7;
            return QList<FakeNtpServer::Datagram>{{test::ServerReply(request, k2024, 0), nullptr}};
        };
        QSignalSpy local(&exchange(), &NtpExchange::localTimeValueChanged);
        QSignalSpy serverTime(&exchange(), &NtpExchange::ntpTimeValueChanged);
        QSignalSpy roundTrip(&exchange(), &NtpExchange::roundTripChanged);
        QSignalSpy tips(&exchange(), &NtpExchange::currentTimeTipChanged);
        fake.zone = QTimeZone(-5 * 3600);

        NetTime().SetClockOnReply = false;
        SyncClock(server.port());

        QVERIFY(fake.clockSets.isEmpty());
        QCOMPARE(local.size(), 1);
        QCOMPARE(local.at(0).at(0).toString(), QStringLiteral("2026/12/05 10:07:09"));
        QCOMPARE(serverTime.size(), 1);
        QCOMPARE(serverTime.at(0).at(0).toString(), QStringLiteral("2024/01/01 00:00:00 UTC"));
        QCOMPARE(roundTrip.size(), 1);
        QCOMPARE(roundTrip.at(0).at(0).toString(), QStringLiteral("(7 ms)"));
        QCOMPARE(tips.size(), 1);
        QCOMPARE(tips.at(0).at(0).toString(), syncedTip());
        QVERIFY(NetTime().NtpReplyText.isEmpty());  // emptied again at the end
    }

    void timeoutCountsAcrossTheTickWrap_data() {
        QTest::addColumn<quint32>("startTicks");
        QTest::addColumn<bool>("answerAfterFiveSeconds");
        QTest::newRow("silence across the wrap") << 0xFFFFFFFFu - 3000u << false;
        QTest::newRow("answer after the wrap") << 0xFFFFFFFFu - 3000u << true;
    }
    void timeoutCountsAcrossTheTickWrap() {
        QFETCH(quint32, startTicks);
        QFETCH(bool, answerAfterFiveSeconds);
        FakePlatform& fake = test::Fake();
        fake.ticks = startTicks;
        FakeNtpServer server(kServerAddress);
        TickDriver driver(fake, 250);
        bool answered = false;
        driver.onStep = [&] {
            if (!answerAfterFiveSeconds || answered || server.requests.isEmpty()) return;
            if (fake.ticks - startTicks < 5000) return;
            answered = true;
            server.send({test::ServerReply(server.requests.first(), k2024, 0), nullptr});
        };

        NetTime().SetClockOnReply = true;
        SyncClock(server.port());

        const qint32 waited = qint32(fake.ticks - startTicks);
        if (answerAfterFiveSeconds) {
            QCOMPARE(fake.clockSets.size(), 1);
            QVERIFY(waited < kSntpWaitLimitMs);
        } else {
            QVERIFY(fake.clockSets.isEmpty());
            QVERIFY(waited > kSntpWaitLimitMs);
            QVERIFY(waited <= kSntpWaitLimitMs + 250);
            // The socket is closed: a late answer changes nothing.
            server.send({test::ServerReply(server.requests.first(), k2024, 0), nullptr});
            QTest::qWait(20);
            QVERIFY(fake.clockSets.isEmpty());
        }
    }

    void secondCallDuringTheWaitReturnsAtOnce() {
        // A minute tick during "Set Now": it must neither send nor turn the running
        // exchange into a comparison.
        FakePlatform& fake = test::Fake();
        FakeNtpServer server(kServerAddress);
        TickDriver driver(fake, 100);
        int steps = 0;
        bool innerReturned = false;
        driver.onStep = [&] {
            ++steps;
            if (steps == 1) {
                NetTime().SetClockOnReply = true;
                SyncClock(server.port());
                NetTime().SetClockOnReply = false;
                innerReturned = true;
            } else if (steps == 3) {
                server.send({test::ServerReply(server.requests.first(), k2024, 0), nullptr});
            }
        };

        NetTime().SetClockOnReply = true;
        SyncClock(server.port());

        QVERIFY(innerReturned);
        QCOMPARE(server.requests.size(), 1);
        QCOMPARE(fake.lookups.size(), 1);
        QCOMPARE(fake.clockSets.size(), 1);
    }

    void unresolvedServer() {
        FakePlatform& fake = test::Fake();
        fake.resolveAnswer.clear();
        QSignalSpy tips(&exchange(), &NtpExchange::currentTimeTipChanged);
        SyncClock(kNtpPort);
        QCOMPARE(fake.lookups, QStringList{QStringLiteral("time.example.test")});
        QCOMPARE(tips.size(), 1);
        QCOMPARE(tips.at(0).at(0).toString(),
                 QStringLiteral("Could not resolve the time server time.example.test to synch "
                                "the time @ ") +
                     LongTimeText(QTime(15, 7, 9)));
        QVERIFY(fake.boxes.isEmpty());
    }

    void offlineSendsNothing() {
        FakePlatform& fake = test::Fake();
        fake.online = false;
        FakeNtpServer server(kServerAddress);
        QSignalSpy tips(&exchange(), &NtpExchange::currentTimeTipChanged);
        SyncClock(server.port());
        QTest::qWait(20);
        QVERIFY(server.requests.isEmpty());
        QVERIFY(fake.lookups.isEmpty());
        QCOMPARE(tips.size(), 1);
        QCOMPARE(tips.at(0).at(0).toString(), syncedTip());
    }

    void refusedClockSettingIsReported() {
        FakePlatform& fake = test::Fake();
        fake.allowSetClock = false;
        FakeNtpServer server(kServerAddress);
        server.script = answer;
        QSignalSpy tips(&exchange(), &NtpExchange::currentTimeTipChanged);
        NetTime().SetClockOnReply = true;
        SyncClock(server.port());
        QCOMPARE(fake.boxes.size(), 1);
        QCOMPARE(fake.boxes[0].text, QStringLiteral("Error setting time"));
        QCOMPARE(fake.boxes[0].title, QStringLiteral("Error"));
        QCOMPARE(fake.boxes[0].icon, MsgIcon::Critical);
        QCOMPARE(tips.size(), 2);
        QVERIFY(tips.at(0).at(0).toString().startsWith(QStringLiteral("Last timesync @ ")));
    }

    void socketErrorDuringTheWait() {
        FakePlatform& fake = test::Fake();
        FakeNtpServer server(kServerAddress);
        TickDriver driver(fake, 500);
        int steps = 0;
        driver.onStep = [&] {
            if (++steps == 1) {
                exchange().wskNTP_Error(10054, QStringLiteral("Connection reset by peer"));
            } else if (steps == 2) {
                // The socket is closed now; this answer never arrives.
                server.send({test::ServerReply(server.requests.first(), k2024, 0), nullptr});
            }
        };
        NetTime().SetClockOnReply = true;
        SyncClock(server.port());
        QCOMPARE(fake.boxes.size(), 1);
        QCOMPARE(
            fake.boxes[0].text,
            QStringLiteral("Socket Err No. : 10054\r\nDescription : Connection reset by peer"));
        QCOMPARE(fake.boxes[0].title, QStringLiteral("Error"));
        QVERIFY(fake.clockSets.isEmpty());
        QVERIFY(qint32(fake.ticks - NetTime().SyncStartTicks) > kSntpWaitLimitMs);
    }

    void refusedSendIsRetriedOnceThenReported() {
        // The socket layer refuses a datagram to port 0.
        FakePlatform& fake = test::Fake();
        QSignalSpy tips(&exchange(), &NtpExchange::currentTimeTipChanged);
        SyncClock(0);
        QCOMPARE(fake.lookups.size(), 2);
        QCOMPARE(fake.boxes.size(), 1);
        const QString text = fake.boxes[0].text;
        QVERIFY2(text.startsWith(QStringLiteral("Connect ErrNo. : ")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("\r\nDescription : ")));
        QVERIFY(text.contains(QStringLiteral("\r\nLastDllError : ")));
        QCOMPARE(fake.boxes[0].title, QStringLiteral("Error"));
        QCOMPARE(fake.boxes[0].icon, MsgIcon::Critical);
        QVERIFY(tips.isEmpty());
    }

    void resolveThroughTheSystem_data() {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("address");
        QTest::newRow("name from the hosts file") << "localhost"
                                                  << "127.0.0.1";
        QTest::newRow("a dotted address is its own answer") << "127.0.0.9"
                                                            << "127.0.0.9";
    }
    void resolveThroughTheSystem() {
        QFETCH(QString, host);
        QFETCH(QString, address);
        installPlatform(std::make_unique<LinuxPlatform>());
        const QString answer = ResolveHostAddress(host);
        installPlatform(std::make_unique<FakePlatform>());
        QCOMPARE(answer, address);
    }

    void localPort_data() {
        QTest::addColumn<bool>("portTaken");
        QTest::newRow("123 free") << false;
        QTest::newRow("123 held by a time daemon") << true;
    }
    void localPort() {
        QFETCH(bool, portTaken);
        const bool root = ::geteuid() == 0;
        QUdpSocket daemon;
        if (portTaken && root)
            QVERIFY(
                daemon.bind(QHostAddress::AnyIPv4, kNtpPort, QAbstractSocket::DontShareAddress));
        FakeNtpServer server(kServerAddress);
        server.script = answer;
        NetTime().SetClockOnReply = true;
        SyncClock(server.port());
        QCOMPARE(test::Fake().clockSets.size(), 1);
        const bool expect123 = root && !portTaken;
        QCOMPARE(exchange().localPort() == kNtpPort, expect123);
        QCOMPARE(server.clientPort, exchange().localPort());
    }
};

HOROLET_TEST_MAIN(TestSntpExchange)
#include "tst_sntpexchange.moc"
