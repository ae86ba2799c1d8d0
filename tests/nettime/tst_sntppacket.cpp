#include "NtpTestPeer.h"
#include "nettime/SntpPacket.h"
#include "nettime/modTimes.h"
#include "support/TestMain.h"

using namespace horolet;
using test::putBigEndian32;

namespace {

QDateTime utc(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), QTimeZone::utc());
}

QByteArray transmitDatagram(quint32 seconds, quint32 fraction) {
    QByteArray d(kSntpPacketSize, '\0');
    putBigEndian32(d, 40, seconds);
    putBigEndian32(d, 44, fraction);
    return d;
}

}  // namespace

class TestSntpPacket final : public QObject {
    Q_OBJECT

private slots:
    void requestLayout_data() {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<quint32>("seconds");
        QTest::addColumn<quint32>("fraction");
        QTest::newRow("2024 at half a second")
            << utc(2024, 1, 1, 0, 0, 0, 500) << 3913056000u << 2147483648u;
        QTest::newRow("era boundary wraps to 0") << utc(2036, 2, 7, 6, 28, 16) << 0u << 0u;
        QTest::newRow("after 2036 modulo 2^32") << utc(2040, 1, 1) << 123010304u << 0u;
    }
    void requestLayout() {
        QFETCH(QDateTime, now);
        QFETCH(quint32, seconds);
        QFETCH(quint32, fraction);
        const quint64 nonce = 0x0123456789ABCDEFull;
        const QByteArray r = BuildSntpRequest(now, nonce);
        QCOMPARE(r.size(), 48);
        QCOMPARE(quint8(r[0]), quint8(0x0B));
        QCOMPARE(ReadBigEndian32(r, 24), seconds);
        QCOMPARE(ReadBigEndian32(r, 28), fraction);
        QCOMPARE(ReadBigEndian32(r, 40), 0x01234567u);
        QCOMPARE(ReadBigEndian32(r, 44), 0x89ABCDEFu);
        // Everything else stays zero.
        QByteArray rest = r;
        rest.replace(24, 8, QByteArray(8, '\0')).replace(40, 8, QByteArray(8, '\0'));
        rest[0] = '\0';
        QCOMPARE(rest, QByteArray(48, '\0'));
    }

    void decode_data() {
        QTest::addColumn<quint32>("seconds");
        QTest::addColumn<quint32>("fraction");
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("tenThousandths");
        QTest::addColumn<int>("wMilliseconds");
        QTest::addColumn<QDateTime>("setting");
        QTest::newRow("2024 and a half second")
            << 3913056000u << 2147483648u << "2024/01/01 00:00:00" << qint64(5000000) << 500
            << utc(2024, 1, 1, 0, 0, 0, 500);
        QTest::newRow("no fraction")
            << 3913056000u << 0u << "2024/01/01 00:00:00" << qint64(0) << 0 << utc(2024, 1, 1);
        QTest::newRow("999.5 ms carries into the next second")
            << 3913056000u << 4292819764u << "2024/01/01 00:00:00" << qint64(9995000) << 1000
            << utc(2024, 1, 1, 0, 0, 1, 0);
        QTest::newRow("1.5 ms rounds to even 2")
            << 3913056000u << 6442451u << "2024/01/01 00:00:00" << qint64(15000) << 2
            << utc(2024, 1, 1, 0, 0, 0, 2);
        QTest::newRow("last second of the first era")
            << 0xFFFFFFFFu << 0u << "2036/02/07 06:28:15" << qint64(0) << 0
            << utc(2036, 2, 7, 6, 28, 15);
        QTest::newRow("top bit clear is the second era")
            << 0u << 0u << "2036/02/07 06:28:16" << qint64(0) << 0 << utc(2036, 2, 7, 6, 28, 16);
        QTest::newRow("pivot: before 1970") << 0x80000000u << 0u << "1968/01/20 03:14:08"
                                            << qint64(0) << 0 << utc(1968, 1, 20, 3, 14, 8);
    }
    void decode() {
        QFETCH(quint32, seconds);
        QFETCH(quint32, fraction);
        QFETCH(QString, text);
        QFETCH(qint64, tenThousandths);
        QFETCH(int, wMilliseconds);
        QFETCH(QDateTime, setting);
        const auto t = DecodeSntpTime(transmitDatagram(seconds, fraction));
        QVERIFY(t);
        QCOMPARE(t->replyText(), text);
        QCOMPARE(t->milliTenThousandths, tenThousandths);
        QCOMPARE(t->wMilliseconds, wMilliseconds);
        QCOMPARE(t->clockSetting(), setting);
        QCOMPARE(t->clockSetting().offsetFromUtc(), 0);
        QVERIFY(!DecodeSntpTime(transmitDatagram(seconds, fraction).left(47)));
    }

    void checks_data() {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<int>("verdict");
        const quint64 nonce = 0xFEEDFACECAFEBEEFull;
        const QByteArray request = BuildSntpRequest(utc(2024, 1, 1), nonce);
        const QByteArray good = test::ServerReply(request, 3913056000u, 0);
        auto with = [&good](int offset, char value) {
            QByteArray d = good;
            d[offset] = value;
            return d;
        };
        QTest::newRow("a proper reply") << good << int(SntpVerdict::Accepted);
        QTest::newRow("longer is fine") << good + QByteArray(20, 'x') << int(SntpVerdict::Accepted);
        QTest::newRow("leap indicator 1 is fine")
            << with(0, char(0x4C)) << int(SntpVerdict::Accepted);
        QTest::newRow("stratum 15 is fine") << with(1, char(15)) << int(SntpVerdict::Accepted);
        QTest::newRow("47 bytes") << good.left(47) << int(SntpVerdict::TooShort);
        QTest::newRow("empty") << QByteArray() << int(SntpVerdict::TooShort);
        QTest::newRow("client mode") << with(0, char(0x0B)) << int(SntpVerdict::NotServerMode);
        QTest::newRow("unsynchronised") << with(0, char(0xCC)) << int(SntpVerdict::Unsynchronised);
        QTest::newRow("stratum 0 (kiss of death)") << with(1, 0) << int(SntpVerdict::BadStratum);
        QTest::newRow("stratum 16") << with(1, char(16)) << int(SntpVerdict::BadStratum);
        QByteArray noTransmit = good;
        noTransmit.replace(40, 8, QByteArray(8, '\0'));
        QTest::newRow("transmit zero") << noTransmit << int(SntpVerdict::NoTransmitTime);
        QByteArray echoedClientTime = good;
        echoedClientTime.replace(24, 8, request.mid(24, 8));
        QTest::newRow("originate is the client time, not the value sent")
            << echoedClientTime << int(SntpVerdict::NotOurRequest);
        QTest::newRow("one bit off in originate")
            << with(31, char(good[31] ^ 1)) << int(SntpVerdict::NotOurRequest);
    }
    void checks() {
        QFETCH(QByteArray, datagram);
        QFETCH(int, verdict);
        QCOMPARE(int(CheckSntpReply(datagram, 0xFEEDFACECAFEBEEFull)), verdict);
    }

    void stepErrors_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("restarts");
        QTest::addColumn<int>("attempt");
        QTest::addColumn<int>("action");
        QTest::newRow("third restart") << 2 << 2 << 2 << int(StepErrorAction::Restart);
        QTest::newRow("no fourth restart") << 2 << 3 << 1 << int(StepErrorAction::RetryAttempt);
        QTest::newRow("then reported") << 2 << 3 << 2 << int(StepErrorAction::Report);
        QTest::newRow("other error retries once")
            << 7 << 0 << 1 << int(StepErrorAction::RetryAttempt);
        QTest::newRow("other error reported on the second attempt")
            << 7 << 0 << 2 << int(StepErrorAction::Report);
    }
    void stepErrors() {
        QFETCH(int, number);
        QFETCH(int, restarts);
        QFETCH(int, attempt);
        QFETCH(int, action);
        QCOMPARE(int(NextStepErrorAction(number, restarts, attempt)), action);
    }
};

HOROLET_TEST_MAIN(TestSntpPacket)
#include "tst_sntppacket.moc"
