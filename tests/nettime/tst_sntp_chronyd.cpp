// The exchange against a real NTP server: chronyd on 127.0.0.1:123, started with -x so
// it never touches the clock, and stopped by its process id.

#include "app/Globals.h"
#include "nettime/SntpPacket.h"
#include "nettime/frmTimeSyncConfig.h"
#include "nettime/modTimes.h"
#include "support/TestMain.h"

#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUdpSocket>

#include <unistd.h>

using namespace horolet;

namespace {

const QHostAddress kLoopback(QStringLiteral("127.0.0.1"));

QString chronydPath() {
    return QStandardPaths::findExecutable(QStringLiteral("chronyd"),
                                          {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
}

qint64 msFromNow(const QDateTime& t) {
    return std::abs(t.msecsTo(QDateTime::currentDateTimeUtc()));
}

}  // namespace

class TestSntpChronyd final : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QProcess m_chronyd;

    // One raw exchange; the reply, or empty after the wait.
    static QByteArray rawExchange(quint64 nonce, int waitMs) {
        QUdpSocket s;
        if (!s.bind(QHostAddress::AnyIPv4, 0)) return {};
        s.writeDatagram(BuildSntpRequest(QDateTime::currentDateTimeUtc(), nonce), kLoopback,
                        kNtpPort);
        if (!s.waitForReadyRead(waitMs)) return {};
        QByteArray d(qMax<qint64>(s.pendingDatagramSize(), 0), '\0');
        d.truncate(qMax<qint64>(s.readDatagram(d.data(), d.size()), 0));
        return d;
    }

private slots:
    void initTestCase() {
        if (::geteuid() != 0) QSKIP("chronyd needs root to hold port 123 (-u root)");
        const QString chronyd = chronydPath();
        QVERIFY2(!chronyd.isEmpty(), "chronyd is missing: run scripts/install-deps.sh --test");
        QVERIFY(m_dir.isValid());
        const QString dir = m_dir.path();
        QFile conf(dir + QStringLiteral("/chrony.conf"));
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write(QStringLiteral("bindaddress 127.0.0.1\n"
                                  "allow 127.0.0.0/8\n"
                                  "local stratum 10\n"
                                  "port 123\n"
                                  "cmdport 0\n"
                                  "driftfile %1/drift\n"
                                  "pidfile %1/chronyd.pid\n"
                                  "logdir %1\n")
                       .arg(dir)
                       .toUtf8());
        conf.close();
        m_chronyd.setProcessChannelMode(QProcess::MergedChannels);
        m_chronyd.start(chronyd,
                        {QStringLiteral("-f"), conf.fileName(), QStringLiteral("-d"),
                         QStringLiteral("-x"), QStringLiteral("-u"), QStringLiteral("root")});
        QVERIFY(m_chronyd.waitForStarted(5000));
        // It answers about a second and a half after starting.
        QByteArray reply;
        for (int i = 0; i < 40 && reply.isEmpty(); ++i) {
            QVERIFY2(m_chronyd.state() == QProcess::Running, m_chronyd.readAll().constData());
            reply = rawExchange(1, 250);
        }
        QVERIFY2(!reply.isEmpty(), m_chronyd.readAll().constData());
    }

    void cleanupTestCase() {
        if (m_chronyd.state() == QProcess::NotRunning) return;
        m_chronyd.terminate();  // SIGTERM to its process id
        if (!m_chronyd.waitForFinished(10000)) m_chronyd.kill();
    }

    void init() {
        test::FreshStart();
        FakePlatform& fake = test::Fake();
        fake.realTicks = true;
        fake.utcNow = QDateTime::currentDateTimeUtc();
        fake.resolveAnswer = kLoopback.toString();
        NetTime().NtpServer = QStringLiteral("localhost");
    }

    void serverEchoesTheRequestValue() {
        const quint64 nonce = 0x5A5A1234DEADBEEFull;
        const QByteArray reply = rawExchange(nonce, 3000);
        QCOMPARE(CheckSntpReply(reply, nonce), SntpVerdict::Accepted);
        QCOMPARE(int(uchar(reply[1])), 10);  // local stratum 10
        QVERIFY(msFromNow(DecodeSntpTime(reply)->clockSetting()) < 1000);
    }

    void syncSetsTheFakeClock() {
        FakePlatform& fake = test::Fake();
        NetTime().SetClockOnReply = true;
        SyncClock();
        QCOMPARE(fake.clockSets.size(), 1);
        QVERIFY(msFromNow(fake.clockSets.first()) < 1000);
        QVERIFY(fake.boxes.isEmpty());
        // chronyd holds 123 on loopback, so the request went out from another port.
        QVERIFY(NtpExchange::instance().localPort() != kNtpPort);
    }

    void compareFillsTheThreeLabels() {
        FakePlatform& fake = test::Fake();
        fake.zone = QTimeZone(2 * 3600);
        frmTimeSyncConfig* w = frmTimeSyncConfig::form();
        w->Combo1->setEditText(QStringLiteral("127.0.0.1"));
        const QString localBefore =
            fake.currentLocal().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
        w->cmdGet->click();

        QCOMPARE(fake.lookups, QStringList{QStringLiteral("127.0.0.1")});
        QVERIFY(fake.clockSets.isEmpty());
        QCOMPARE(NetTime().NtpServer, QStringLiteral("localhost"));
        QCOMPARE(w->lblLocalTimeValue->text(), localBefore);
        const QString server = w->lblNTPTimeValue->text();
        QVERIFY2(server.endsWith(QStringLiteral(" UTC")), qPrintable(server));
        QDateTime serverTime =
            QDateTime::fromString(server.chopped(4), QStringLiteral("yyyy/MM/dd HH:mm:ss"));
        serverTime.setTimeZone(QTimeZone::utc());
        QVERIFY2(msFromNow(serverTime) < 2000, qPrintable(server));
        QVERIFY2(QRegularExpression(QStringLiteral("^\\(\\d+ ms\\)$"))
                     .match(w->lblRoundTrip->text())
                     .hasMatch(),
                 qPrintable(w->lblRoundTrip->text()));
        QVERIFY(w->cmdGet->isEnabled());
        frmTimeSyncConfig::unloadForm();
    }
};

HOROLET_TEST_MAIN(TestSntpChronyd)
#include "tst_sntp_chronyd.moc"
