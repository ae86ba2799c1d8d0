// The clock must not pay for the browser engine: the real program, started with its
// browser module in place, runs without mapping the engine until the forecast opens.

#include "settings/Settings.h"
#include "support/TestMain.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QHttpServer>
#include <QProcess>

#include <csignal>

using namespace horolet;

class TestForecastLazy final : public QObject {
    Q_OBJECT

    static QByteArray mapsOf(qint64 pid) {
        QFile maps(QStringLiteral("/proc/%1/maps").arg(pid));
        return maps.open(QIODevice::ReadOnly) ? maps.readAll() : QByteArray();
    }

private slots:
    void clockStartsWithoutTheEngine() {
        const QString binary = QStringLiteral(HOROLET_BINARY);
        const QString module =
            QFileInfo(binary).path() + QStringLiteral("/modules/libhorolet-browser.so");
        QVERIFY2(QFileInfo::exists(module), qPrintable(module));

        // The program's start-up weather request comes here; its arrival shows the load ran.
        QHttpServer weather;
        bool asked = false;
        weather.route(QStringLiteral("/Weather/getCurrentConditions.asp"), [&asked] {
            asked = true;
            return QHttpServerResponse(QHttpServerResponse::StatusCode::NotFound);
        });
        const quint16 port = weather.listen(QHostAddress::LocalHost, 0);
        QVERIFY(port != 0);
        test::FreshStart();
        WriteOption(QStringLiteral("WeatherHost"), QStringLiteral("127.0.0.1:%1").arg(port));

        QProcess clock;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        clock.setProcessEnvironment(env);  // with this test's own settings folder
        clock.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        clock.start(binary, {});
        QVERIFY(clock.waitForStarted());

        // Up: the GUI is there, and the load has asked for the weather (or had time to).
        QElapsedTimer since;
        since.start();
        QTRY_VERIFY_WITH_TIMEOUT(mapsOf(clock.processId()).contains("libqoffscreen"), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(asked || since.elapsed() > 5000, 20000);
        QTest::qWait(500);
        const QByteArray maps = mapsOf(clock.processId());
        QCOMPARE(clock.state(), QProcess::Running);

        ::kill(pid_t(clock.processId()), SIGTERM);
        QTRY_VERIFY_WITH_TIMEOUT(clock.state() == QProcess::NotRunning, 20000);
        QCOMPARE(clock.exitStatus(), QProcess::NormalExit);

        QVERIFY(maps.contains("libQt6Widgets"));
        QVERIFY2(!maps.contains("WebEngine"), "the browser engine was loaded");
        QVERIFY2(!maps.contains("horolet-browser"), "the browser module was loaded");
        // It ran its course: the unload saved the settings.
        QCOMPARE(ReadOption(QStringLiteral("ZipCode"), QString()), QStringLiteral("72210"));
    }
};

HOROLET_TEST_MAIN(TestForecastLazy)
#include "tst_forecast_lazy.moc"
