// The horolet-weatherd program itself: its start-up checks and its replies over loopback.

#include "settings/Settings.h"
#include "support/TestMain.h"
#include "weather/Weather.h"
#include "weather/WeatherReport.h"
#include "weatherd/Conditions.h"

#include "DaemonHarness.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTcpServer>
#include <QXmlStreamReader>

using namespace horolet::test;

namespace {

struct Fetched {
    int status = 0;
    QByteArray body;
};

Fetched Fetch(quint16 port, const QString& pathAndQuery) {
    QNetworkAccessManager network;
    QNetworkReply* r = network.get(
        QNetworkRequest(QUrl(QStringLiteral("http://localhost:%1%2").arg(port).arg(pathAndQuery))));
    if (!QTest::qWaitFor([r] { return r->isFinished(); }, 20000)) qWarning("no reply");
    Fetched f{r->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), r->readAll()};
    delete r;
    return f;
}

QMap<QString, QString> Elements(const QByteArray& xml) {
    QMap<QString, QString> map;
    QXmlStreamReader r(xml);
    if (!r.readNextStartElement() || r.name() != u"CurrentWeather") return {};
    while (r.readNextStartElement()) map.insert(r.name().toString(), r.readElementText());
    return map;
}

}  // namespace

class TestWeatherdDaemon final : public QObject {
    Q_OBJECT

private slots:
    void servesTheClockOverLoopback() {
        DaemonHarness d;
        const QDateTime observed = d.serveLittleRock();
        QVERIFY(d.startAgainstFake());

        // "localhost" as in the clock's default host setting.
        const Fetched f = Fetch(
            d.port(), QStringLiteral("/Weather/getCurrentConditions.asp?zipCode=72210&Rand=17"));
        QCOMPARE(f.status, 200);
        const auto e = Elements(f.body);
        QCOMPARE(e.value("temp_f"), "72");
        QCOMPARE(e.value("StationID"), "KLIT");
        QCOMPARE(e.value("observation_time"),
                 horolet::weatherd::ObservationTimeText(observed, QTimeZone("America/Chicago")));
        QCOMPARE(e.value("BarometerDirection"), "Rising");

        const Fetched page = Fetch(d.port(), QStringLiteral("/weather/iphone/?z=72210"));
        QCOMPARE(page.status, 200);
        QVERIFY(page.body.contains("Mostly Clear"));

        for (const SeenRequest& s : d.api().seen())
            QVERIFY(s.userAgent.contains("horolet-tests@example.com"));
    }

    // The clock's own weather update, its request blocking this thread, against the
    // program against the fake API.
    void clockShowsTheDaemonsReport() {
        horolet::test::FreshStart();
        DaemonHarness d;
        const QDateTime observed = d.serveLittleRock();
        QVERIFY(d.startAgainstFake());
        horolet::WriteOption(QStringLiteral("WeatherHost"),
                             QStringLiteral("127.0.0.1:%1").arg(d.port()));
        horolet::App().ZipCode = QStringLiteral("72210");
        QString balloon;
        horolet::UpdateWeatherTexts(false, [&](const QString& text) { balloon = text; });

        const QString time =
            horolet::weatherd::ObservationTimeText(observed, QTimeZone("America/Chicago"));
        QCOMPARE(horolet::App().WeatherText,
                 QStringLiteral("72° @ ") + horolet::ShortenObservationTime(time));
        QCOMPARE(balloon, QStringLiteral("Conditions at Little Rock, Adams Field, AR\r\n\r\n"
                                         "Temp: 72° f (22 c)\r\n"
                                         "Skies: Partly Cloudy\r\n"
                                         "Humidity: 45% humidity\r\n"
                                         "Wind: From South at 10 mpi\r\n"
                                         "Visibility: 10.00\r\n"
                                         "Barometer: 30.01 in (1016.2 mb) Rising\r\n\r\n") +
                              time);
        QVERIFY(horolet::test::Fake().boxes.isEmpty());
    }

    void clockKeepsItsLineForAnUnknownZipCode() {
        horolet::test::FreshStart();
        DaemonHarness d;
        QVERIFY(d.startAgainstFake());
        horolet::WriteOption(QStringLiteral("WeatherHost"),
                             QStringLiteral("127.0.0.1:%1").arg(d.port()));
        horolet::App().ZipCode = QStringLiteral("99950");
        horolet::App().WeatherText = QStringLiteral("61° @ 3:53 pm");
        bool balloonSet = false;
        horolet::UpdateWeatherTexts(false, [&](const QString&) { balloonSet = true; });
        QCOMPARE(horolet::App().WeatherText, QStringLiteral("61° @ 3:53 pm"));
        QVERIFY(!balloonSet);
        QCOMPARE(d.api().total(), 0);
    }

    void refusesToStartWithoutContact() {
        DaemonHarness d;
        QVERIFY(!d.start({"--listen", "127.0.0.1:0", "--upstream", d.api().base()}));
        QTRY_COMPARE_WITH_TIMEOUT(d.process().state(), QProcess::NotRunning, 5000);
        QCOMPARE(d.process().exitCode(), 2);
        QVERIFY(d.process().readAllStandardError().contains("no contact set"));
    }

    void readsItsSettingsFile() {
        const QString dir = qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Horolet");
        QVERIFY(QDir().mkpath(dir));
        QFile conf(dir + QStringLiteral("/weatherd.conf"));
        DaemonHarness d;
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write(("Contact=from-the-file@example.com\nUpstream=" + d.api().base() +
                    "\nListen=127.0.0.1:0\n")
                       .toUtf8());
        conf.close();
        d.serveLittleRock();
        const bool started = d.start({});
        conf.remove();
        QVERIFY(started);
        Fetch(d.port(), QStringLiteral("/Weather/getCurrentConditions.asp?zipCode=72210"));
        QVERIFY(d.api().total() > 0);
        QVERIFY(d.api().seen().constFirst().userAgent.contains("from-the-file@example.com"));
    }

    void portInUse() {
        QTcpServer taken;
        QVERIFY(taken.listen(QHostAddress(QHostAddress::LocalHost), 0));
        DaemonHarness d;
        QVERIFY(!d.start({"--listen", QStringLiteral("127.0.0.1:%1").arg(taken.serverPort()),
                          "--contact", "a@example.com"}));
        QTRY_COMPARE_WITH_TIMEOUT(d.process().state(), QProcess::NotRunning, 5000);
        QCOMPARE(d.process().exitCode(), 1);
        QVERIFY(d.process().readAllStandardError().contains("cannot listen"));
    }
};

HOROLET_TEST_MAIN(TestWeatherdDaemon)
#include "tst_weatherd_daemon.moc"
