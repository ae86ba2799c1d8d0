#include "settings/Settings.h"
#include "support/TestMain.h"
#include "weather/forecast/ForecastRules.h"

#include <QUrlQuery>

using namespace horolet;

class TestForecastRules final : public QObject {
    Q_OBJECT

private slots:
    void init() { test::FreshStart(); }

    void progress_data() {
        QTest::addColumn<qint32>("progress");
        QTest::addColumn<qint32>("maximum");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<bool>("changes");
        QTest::addColumn<QString>("expected");
        const QLocale us(QLocale::English, QLocale::UnitedStates);
        const QLocale de(QLocale::German, QLocale::Germany);
        QTest::newRow("50 of 200") << 50 << 200 << us << true << "(25% loaded)";
        QTest::newRow("done clears") << 200 << 200 << us << true << "";
        QTest::newRow("engine's percent") << 45 << 100 << us << true << "(45% loaded)";
        QTest::newRow("nothing yet") << 0 << 100 << us << true << "(0% loaded)";
        QTest::newRow("just short of done is not done")
            << 399 << 400 << us << true << "(100% loaded)";
        QTest::newRow("half rounds away from zero") << 1 << 8 << us << true << "(13% loaded)";
        QTest::newRow("beyond the maximum") << 300 << 200 << us << true << "(150% loaded)";
        QTest::newRow("negative progress") << -50 << 200 << us << true << "(-25% loaded)";
        QTest::newRow("largest ratio, grouped")
            << std::numeric_limits<qint32>::max() << 1 << us << true << "(214,748,364,700% loaded)";
        QTest::newRow("user's number format") << 50000 << 2 << de << true << "(2.500.000% loaded)";
        QTest::newRow("maximum zero") << 50 << 0 << us << false << "";
        QTest::newRow("maximum negative") << -5 << -10 << us << false << "";
        QTest::newRow("smallest maximum")
            << 0 << std::numeric_limits<qint32>::min() << us << false << "";
    }
    void progress() {
        QFETCH(qint32, progress);
        QFETCH(qint32, maximum);
        QFETCH(QLocale, locale);
        QFETCH(bool, changes);
        QFETCH(QString, expected);
        const std::optional<QString> text = ProgressPanelText(progress, maximum, locale);
        QCOMPARE(text.has_value(), changes);
        if (changes) QCOMPARE(*text, expected);
    }

    void address_data() {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("zip");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("five digits unchanged")
            << "localhost:8797"
            << "72210" << QByteArray("http://localhost:8797/weather/iphone/?z=72210");
        QTest::newRow("host without port")
            << "weather.example"
            << "72210" << QByteArray("http://weather.example/weather/iphone/?z=72210");
        QTest::newRow("IPv6 loopback")
            << "[::1]:8080"
            << "72210" << QByteArray("http://[::1]:8080/weather/iphone/?z=72210");
        QTest::newRow("query characters stay in the value")
            << "127.0.0.1:1"
            << "72210&x=1" << QByteArray("http://127.0.0.1:1/weather/iphone/?z=72210%26x%3D1");
        QTest::newRow("blank, hash, plus")
            << "127.0.0.1:1"
            << "7 2#+" << QByteArray("http://127.0.0.1:1/weather/iphone/?z=7%202%23%2B");
        QTest::newRow("non-ASCII as UTF-8")
            << "127.0.0.1:1" << QStringLiteral("7\u00fc")
            << QByteArray("http://127.0.0.1:1/weather/iphone/?z=7%C3%BC");
        QTest::newRow("empty zip") << "127.0.0.1:1"
                                   << "" << QByteArray("http://127.0.0.1:1/weather/iphone/?z=");
        QTest::newRow("empty host") << ""
                                    << "72210" << QByteArray();
        QTest::newRow("host with a path") << "evil.example/x"
                                          << "72210" << QByteArray();
        QTest::newRow("host with a query") << "evil.example?a=b"
                                           << "72210" << QByteArray();
        QTest::newRow("host with user info") << "me@evil.example"
                                             << "72210" << QByteArray();
        QTest::newRow("blank in host") << "local host"
                                       << "72210" << QByteArray();
        QTest::newRow("bad port") << "localhost:99999"
                                  << "72210" << QByteArray();
    }
    void address() {
        QFETCH(QString, host);
        QFETCH(QString, zip);
        QFETCH(QByteArray, expected);
        const QUrl url = ForecastAddress(host, zip);
        if (expected.isEmpty()) {
            QVERIFY2(!url.isValid(), url.toEncoded().constData());
            return;
        }
        QCOMPARE(url.toEncoded(), expected);
        // Whatever the zip code holds, the server sees exactly one value: the zip code.
        const QUrlQuery query(url);
        QCOMPARE(query.queryItems(QUrl::FullyDecoded).size(), 1);
        QCOMPARE(query.queryItemValue(QStringLiteral("z"), QUrl::FullyDecoded), zip);
    }

    void browserSize_data() {
        QTest::addColumn<QSize>("client");
        QTest::addColumn<QSize>("browser");
        QTest::newRow("design") << QSize(5610, 5865) << QSize(5505, 5475);
        QTest::newRow("larger") << QSize(15000, 9000) << QSize(14895, 8610);
        QTest::newRow("exactly the margins") << QSize(105, 390) << QSize(0, 0);
        QTest::newRow("smaller than the margins") << QSize(60, 200) << QSize(0, 0);
        QTest::newRow("narrow only") << QSize(15, 5865) << QSize(0, 5475);
        QTest::newRow("nothing") << QSize(0, 0) << QSize(0, 0);
    }
    void browserSize() {
        QFETCH(QSize, client);
        QFETCH(QSize, browser);
        QCOMPARE(BrowserSizeTwips(client.width(), client.height()), browser);
    }

    void keepOnSomeScreen_data() {
        QTest::addColumn<QList<QRect>>("screens");
        QTest::addColumn<QRect>("window");
        QTest::addColumn<QRect>("expected");
        const QRect primary(0, 0, 1920, 1080);
        const QList<QRect> one{primary};
        // A second screen to the right, shorter: below it lies a gap that no screen shows.
        const QList<QRect> two{primary, QRect(1920, 0, 1280, 800)};
        QTest::newRow("on screen") << one << QRect(100, 100, 374, 391) << QRect(100, 100, 374, 391);
        QTest::newRow("partly off right kept")
            << one << QRect(1800, 100, 374, 391) << QRect(1800, 100, 374, 391);
        QTest::newRow("partly off top-left kept")
            << one << QRect(-300, -300, 374, 391) << QRect(-300, -300, 374, 391);
        QTest::newRow("wholly off right")
            << one << QRect(2000, 100, 374, 391) << QRect(1546, 100, 374, 391);
        QTest::newRow("just beyond the right edge")
            << one << QRect(1920, 0, 374, 391) << QRect(1546, 0, 374, 391);
        QTest::newRow("wholly off left")
            << one << QRect(-500, 200, 374, 391) << QRect(0, 200, 374, 391);
        QTest::newRow("wholly above")
            << one << QRect(100, -391, 374, 391) << QRect(100, 0, 374, 391);
        QTest::newRow("far below and right")
            << one << QRect(900000, 900000, 374, 391) << QRect(1546, 689, 374, 391);
        QTest::newRow("larger than the screen")
            << one << QRect(5000, 5000, 3000, 2000) << QRect(0, 0, 3000, 2000);
        QTest::newRow("on the second screen")
            << two << QRect(2500, 300, 374, 391) << QRect(2500, 300, 374, 391);
        QTest::newRow("in the gap below the second screen")
            << two << QRect(2000, 900, 100, 100) << QRect(1820, 900, 100, 100);
        QTest::newRow("empty window at a visible corner")
            << one << QRect(10, 10, 0, 0) << QRect(10, 10, 0, 0);
    }
    void keepOnSomeScreen() {
        QFETCH(QList<QRect>, screens);
        QFETCH(QRect, window);
        QFETCH(QRect, expected);
        QCOMPARE(KeepOnSomeScreen(window, screens, screens.first()), expected);
    }

    void placeRoundTrip() {
        const ForecastPlace saved{-3000, 1500, 9000, 6015};
        WriteForecastPlace(saved);
        QCOMPARE(ReadOption(QStringLiteral("forTop"), QString()), QStringLiteral("-3000"));
        QCOMPARE(ReadOption(QStringLiteral("forHeight"), QString()), QStringLiteral("6015"));
        QCOMPARE(ReadForecastPlace(ForecastPlace{1, 2, 3, 4}), saved);
    }

    void placeStoredText_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<qint32>("expected");
        QTest::newRow("absent gives the window's own") << QString() << 777;
        QTest::newRow("whole number") << "1500" << 1500;
        QTest::newRow("negative") << "-45" << -45;
        QTest::newRow("fraction rounds") << "1499.7" << 1500;
        QTest::newRow("half rounds to even") << "1234.5" << 1234;
        QTest::newRow("other half rounds to even") << "1235.5" << 1236;
        QTest::newRow("not a number") << "wide" << 777;
        QTest::newRow("beyond 32 bits") << "99999999999" << 777;
        QTest::newRow("Unknown") << "Unknown" << 777;
    }
    void placeStoredText() {
        QFETCH(QString, stored);
        QFETCH(qint32, expected);
        if (!stored.isNull()) WriteOption(QStringLiteral("forWidth"), stored);
        WriteOption(QStringLiteral("forTop"), QStringLiteral("15"));
        const ForecastPlace place = ReadForecastPlace(ForecastPlace{1, 2, 777, 4});
        QCOMPARE(place.width, expected);
        // The neighbours are read on their own.
        QCOMPARE(place.top, 15);
        QCOMPARE(place.left, 2);
        QCOMPARE(place.height, 4);
    }
};

HOROLET_TEST_MAIN(TestForecastRules)
#include "tst_forecast_rules.moc"
