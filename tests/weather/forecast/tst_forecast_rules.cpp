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
        QTest::addColumn<QString>("expected");
        const QLocale us(QLocale::English, QLocale::UnitedStates);
        QTest::newRow("50 of 200") << 50 << 200 << us << "(25% loaded)";
        QTest::newRow("done clears") << 200 << 200 << us << "";
        QTest::newRow("just short of done") << 399 << 400 << us << "(100% loaded)";
        QTest::newRow("half rounds away from zero") << 1 << 8 << us << "(13% loaded)";
        QTest::newRow("negative progress") << -50 << 200 << us << "(-25% loaded)";
        QTest::newRow("largest ratio, grouped")
            << std::numeric_limits<qint32>::max() << 1 << us << "(214,748,364,700% loaded)";
        QTest::newRow("user's number format")
            << 50000 << 2 << QLocale(QLocale::German, QLocale::Germany) << "(2.500.000% loaded)";
        QTest::newRow("maximum zero") << 50 << 0 << us << "untouched";
        QTest::newRow("smallest maximum")
            << 0 << std::numeric_limits<qint32>::min() << us << "untouched";
    }
    void progress() {
        QFETCH(qint32, progress);
        QFETCH(qint32, maximum);
        QFETCH(QLocale, locale);
        QFETCH(QString, expected);
        QCOMPARE(ProgressPanelText(progress, maximum, locale).value_or("untouched"), expected);
    }

    void address_data() {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("zip");
        QTest::addColumn<QByteArray>("expected");  // empty: no address
        QTest::newRow("five digits unchanged")
            << "localhost:8797"
            << "72210" << QByteArray("http://localhost:8797/weather/iphone/?z=72210");
        QTest::newRow("IPv6 loopback")
            << "[::1]:8080"
            << "72210" << QByteArray("http://[::1]:8080/weather/iphone/?z=72210");
        QTest::newRow("query characters stay in the value")
            << "h"
            << "72210&x=1" << QByteArray("http://h/weather/iphone/?z=72210%26x%3D1");
        QTest::newRow("blank, hash, plus, non-ASCII")
            << "h"
            << "7 2#+\u00fc" << QByteArray("http://h/weather/iphone/?z=7%202%23%2B%C3%BC");
        QTest::newRow("empty host") << ""
                                    << "72210" << QByteArray();
        QTest::newRow("host with a path") << "evil.example/x"
                                          << "72210" << QByteArray();
        QTest::newRow("host with user info") << "me@evil.example"
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

    void browserSize() {
        QCOMPARE(BrowserSizeTwips(5610, 5865), QSize(5505, 5475));
        QCOMPARE(BrowserSizeTwips(105, 390), QSize(0, 0));
        QCOMPARE(BrowserSizeTwips(60, 200), QSize(0, 0));
        QCOMPARE(BrowserSizeTwips(15, 5865), QSize(0, 5475));
    }

    void keepOnSomeScreen_data() {
        QTest::addColumn<QList<QRect>>("screens");
        QTest::addColumn<QRect>("window");
        QTest::addColumn<QRect>("expected");
        const QList<QRect> one{QRect(0, 0, 1920, 1080)};
        // A second screen to the right, shorter: below it lies a gap that no screen shows.
        const QList<QRect> two{one[0], QRect(1920, 0, 1280, 800)};
        const QRect partlyOff(-300, -300, 374, 391);
        QTest::newRow("partly off kept") << one << partlyOff << partlyOff;
        QTest::newRow("just beyond the right edge")
            << one << QRect(1920, 0, 374, 391) << QRect(1546, 0, 374, 391);
        QTest::newRow("wholly off left")
            << one << QRect(-500, 200, 374, 391) << QRect(0, 200, 374, 391);
        QTest::newRow("far below and right")
            << one << QRect(900000, 900000, 374, 391) << QRect(1546, 689, 374, 391);
        QTest::newRow("larger than the screen")
            << one << QRect(5000, 5000, 3000, 2000) << QRect(0, 0, 3000, 2000);
        QTest::newRow("on the second screen")
            << two << QRect(2500, 300, 374, 391) << QRect(2500, 300, 374, 391);
        QTest::newRow("in the gap below the second screen")
            << two << QRect(2000, 900, 100, 100) << QRect(1820, 900, 100, 100);
    }
    void keepOnSomeScreen() {
        QFETCH(QList<QRect>, screens);
        QFETCH(QRect, window);
        QFETCH(QRect, expected);
        QCOMPARE(KeepOnSomeScreen(window, screens, screens.first()), expected);
    }

    void placeStoredText_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<qint32>("expected");
        QTest::newRow("absent gives the window's own") << QString() << 777;
        QTest::newRow("negative") << "-45" << -45;
        QTest::newRow("half rounds to even") << "1234.5" << 1234;
        QTest::newRow("other half rounds to even") << "1235.5" << 1236;
        QTest::newRow("not a number") << "wide" << 777;
        QTest::newRow("beyond 32 bits") << "99999999999" << 777;
    }
    void placeStoredText() {
        QFETCH(QString, stored);
        QFETCH(qint32, expected);
        if (!stored.isNull()) WriteOption(QStringLiteral("forWidth"), stored);
        WriteOption(QStringLiteral("forTop"), QStringLiteral("15"));
        const ForecastPlace place = ReadForecastPlace(ForecastPlace{1, 2, 777, 4});
        // The neighbours are read on their own.
        QCOMPARE(place, (ForecastPlace{15, 2, expected, 4}));
    }
};

HOROLET_TEST_MAIN(TestForecastRules)
#include "tst_forecast_rules.moc"
