// The daemon's pure parts: unit conversions, the texts the clock parses, the zip table,
// the forecast page and the settings.

#include "support/TestMain.h"
#include "weatherd/Conditions.h"
#include "weatherd/ForecastPage.h"
#include "weatherd/Options.h"
#include "weatherd/Units.h"
#include "weatherd/Upstream.h"
#include "weatherd/ZipTable.h"

#include "ApiFixtures.h"

#include <QFile>
#include <QTemporaryDir>

using namespace horolet::weatherd;
using horolet::test::Q;

namespace {

QString ElementValue(const Elements& e, const QString& name) {
    for (const auto& [key, value] : e)
        if (key == name) return value;
    return QStringLiteral("<absent>");
}

}  // namespace

class TestWeatherdTexts final : public QObject {
    Q_OBJECT

private slots:
    void unitConversion_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("expected");  // NaN: nothing
        const double none = qQNaN();
        const struct {
            const char *name, *kind, *unit;
            double value, expected;
        } rows[] = {
            {"degF", "temp", "wmoUnit:degF", 212.0, 100.0},
            {"kelvin", "temp", "wmoUnit:K", 273.15, 0.0},
            {"old prefix", "temp", "unit:degC", 5.0, 5.0},
            {"unknown temp unit", "temp", "wmoUnit:degR", 5.0, none},
            {"km/h", "speed", "wmoUnit:km_h-1", 36.0, 10.0},
            {"knots", "speed", "wmoUnit:kt", 10.0, 5.144444},
            {"hPa", "pressure", "wmoUnit:hPa", 1016.2, 101620.0},
            {"km", "length", "wmoUnit:km", 2.5, 2500.0},
            {"length as speed", "speed", "wmoUnit:m", 3.0, none},
            {"percent", "percent", "wmoUnit:percent", 45.3, 45.3},
            {"angle", "angle", "wmoUnit:degree_(angle)", 270.0, 270.0},
        };
        for (const auto& r : rows)
            QTest::newRow(r.name) << QString::fromLatin1(r.kind) << QString::fromLatin1(r.unit)
                                  << r.value << r.expected;
    }
    void unitConversion() {
        QFETCH(QString, kind);
        QFETCH(QString, unit);
        QFETCH(double, value);
        QFETCH(double, expected);
        const QJsonObject q{{"unitCode", unit}, {"value", value}};
        std::optional<double> got;
        if (kind == u"temp") got = Celsius(q);
        if (kind == u"speed") got = MetresPerSecond(q);
        if (kind == u"pressure") got = Pascals(q);
        if (kind == u"length") got = Metres(q);
        if (kind == u"percent") got = Percent(q);
        if (kind == u"angle") got = Degrees(q);
        if (qIsNaN(expected)) {
            QVERIFY(!got);
        } else {
            QVERIFY(got);
            QVERIFY2(qAbs(*got - expected) < 1e-4, qPrintable(QString::number(*got)));
        }
    }

    void nullsGiveNothing() {
        QVERIFY(!Celsius(Q("degC", QJsonValue::Null)));
        QVERIFY(!Celsius(QJsonValue()));
        QVERIFY(!Celsius(QJsonObject{{"unitCode", "wmoUnit:degC"}}));
        QVERIFY(!Celsius(QJsonObject{{"unitCode", "wmoUnit:degC"}, {"value", "22"}}));
    }

    void temperatureText_data() {
        QTest::addColumn<double>("celsius");
        QTest::addColumn<QString>("expected");
        QTest::newRow("example") << 22.2 << "72 F (22 C)";
        QTest::newRow("freezing") << 0.0 << "32 F (0 C)";
        QTest::newRow("minus forty") << -40.0 << "-40 F (-40 C)";
        QTest::newRow("half up") << 21.5 << "71 F (22 C)";
        QTest::newRow("half down below zero") << -0.5 << "31 F (-1 C)";
    }
    void temperatureText() {
        QFETCH(double, celsius);
        QFETCH(QString, expected);
        QCOMPARE(TemperatureText(celsius), expected);
    }

    void pressureText_data() {
        QTest::addColumn<double>("pascals");
        QTest::addColumn<QString>("expected");
        QTest::newRow("example") << 101620.0 << "30.01 in (1016.2 mb)";
        QTest::newRow("standard") << 101325.0 << "29.92 in (1013.3 mb)";
    }
    void pressureText() {
        QFETCH(double, pascals);
        QFETCH(QString, expected);
        QCOMPARE(PressureText(pascals), expected);
    }

    void visibilityText_data() {
        QTest::addColumn<double>("metres");
        QTest::addColumn<QString>("expected");
        QTest::newRow("ten miles as reported") << 16090.0 << "10.00";
        QTest::newRow("quarter mile") << 402.336 << "0.25";
    }
    void visibilityText() {
        QFETCH(double, metres);
        QFETCH(QString, expected);
        QCOMPARE(VisibilityText(metres), expected);
    }

    void compassName_data() {
        QTest::addColumn<double>("degrees");
        QTest::addColumn<QString>("expected");
        QTest::newRow("0") << 0.0 << "North";
        QTest::newRow("22.4") << 22.4 << "North";
        QTest::newRow("22.5") << 22.5 << "Northeast";
        QTest::newRow("67.5") << 67.5 << "East";
        QTest::newRow("157.5") << 157.5 << "South";
        QTest::newRow("337.4") << 337.4 << "Northwest";
        QTest::newRow("337.5") << 337.5 << "North";
        QTest::newRow("360") << 360.0 << "North";
        QTest::newRow("-90") << -90.0 << "West";
    }
    void compassName() {
        QFETCH(double, degrees);
        QFETCH(QString, expected);
        QCOMPARE(CompassName(degrees), expected);
    }

    void pressureTrend_data() {
        QTest::addColumn<double>("now");
        QTest::addColumn<double>("before");
        QTest::addColumn<QString>("expected");
        QTest::newRow("falling") << 101400.0 << 101620.0 << "Falling";
        QTest::newRow("just rising") << 101650.0 << 101600.0 << "Rising";
        QTest::newRow("just steady") << 101649.0 << 101600.0 << "Steady";
    }
    void pressureTrend() {
        QFETCH(double, now);
        QFETCH(double, before);
        QFETCH(QString, expected);
        QCOMPARE(PressureTrend(now, before), expected);
    }

    void observationTime_data() {
        QTest::addColumn<QString>("utc");
        QTest::addColumn<QString>("zone");
        QTest::addColumn<QString>("expected");
        const char* const rows[][4] = {
            {"afternoon", "2023-12-05T22:53:00Z", "America/Chicago", "Dec 5, 4:53 pm CST"},
            {"before spring change", "2023-03-12T07:59:00Z", "America/Chicago",
             "Mar 12, 1:59 am CST"},
            {"after spring change", "2023-03-12T08:00:00Z", "America/Chicago",
             "Mar 12, 3:00 am CDT"},
            {"first 1:30 in autumn", "2023-11-05T06:30:00Z", "America/Chicago",
             "Nov 5, 1:30 am CDT"},
            {"second 1:30 in autumn", "2023-11-05T07:30:00Z", "America/Chicago",
             "Nov 5, 1:30 am CST"},
            {"no daylight saving", "2023-07-01T19:05:00Z", "America/Phoenix",
             "Jul 1, 12:05 pm MST"},
            {"unknown zone", "2023-01-01T10:07:00Z", "Nowhere/Special", "Jan 1, 10:07 am UTC"},
        };
        for (const auto& r : rows)
            QTest::newRow(r[0]) << QString::fromLatin1(r[1]) << QString::fromLatin1(r[2])
                                << QStringLiteral("Last Updated on ") + QLatin1String(r[3]);
    }
    void observationTime() {
        QFETCH(QString, utc);
        QFETCH(QString, zone);
        QFETCH(QString, expected);
        const QDateTime t = QDateTime::fromString(utc, Qt::ISODate);
        QCOMPARE(ObservationTimeText(t, QTimeZone(zone.toUtf8())), expected);
    }

    void feelsLike_data() {
        QTest::addColumn<QJsonValue>("tempC");
        QTest::addColumn<QJsonValue>("heatC");
        QTest::addColumn<QJsonValue>("chillC");
        QTest::addColumn<double>("windKmh");
        QTest::addColumn<QString>("heat");
        QTest::addColumn<QString>("chill");
        const QJsonValue null(QJsonValue::Null);
        QTest::newRow("mild: neither applies") << QJsonValue(22.2) << null << null << 16.0 << "NA"
                                               << "NA";
        QTest::newRow("hot with heat index")
            << QJsonValue(35.0) << QJsonValue(39.4) << null << 16.0 << "103 F (39 C)"
            << "NA";
        QTest::newRow("hot, heat index null")
            << QJsonValue(35.0) << null << null << 16.0 << "<absent>"
            << "NA";
        QTest::newRow("cold with wind chill")
            << QJsonValue(-5.0) << null << QJsonValue(-11.0) << 20.0 << "NA"
            << "12 F (-11 C)";
        QTest::newRow("cold and calm")
            << QJsonValue(-5.0) << null << QJsonValue(-6.0) << 3.0 << "NA"
            << "NA";
        QTest::newRow("no temperature")
            << null << QJsonValue(39.4) << QJsonValue(-11.0) << 16.0 << "<absent>"
            << "<absent>";
    }
    void feelsLike() {
        QFETCH(QJsonValue, tempC);
        QFETCH(QJsonValue, heatC);
        QFETCH(QJsonValue, chillC);
        QFETCH(double, windKmh);
        QFETCH(QString, heat);
        QFETCH(QString, chill);
        QJsonObject p = horolet::test::ObservationProps(QStringLiteral("2023-12-05T22:53:00Z"));
        p.insert("temperature", Q("degC", tempC));
        p.insert("heatIndex", Q("degC", heatC));
        p.insert("windChill", Q("degC", chillC));
        p.insert("windSpeed", Q("km_h-1", windKmh));
        const Elements e = ConditionElements({}, ParseObservation(p), std::nullopt);
        QCOMPARE(ElementValue(e, "heat_index_string"), heat);
        QCOMPARE(ElementValue(e, "windchill_string"), chill);
    }

    void everyElementInOrder() {
        StationPlace place{"Little Rock, AR", "KLIT", "Little Rock, Adams Field", "AR",
                           QTimeZone("America/Chicago")};
        const Observation o = ParseObservation(horolet::test::Feature(
            horolet::test::ObservationProps(QStringLiteral("2023-12-05T22:53:00+00:00"))));
        const Elements e = ConditionElements(place, o, 101500.0);
        QStringList names;
        for (const auto& kv : e) names << kv.first;
        QCOMPARE(names,
                 QStringList({"CityState", "StationID", "location", "observation_time", "temp_f",
                              "temperature_string", "heat_index_string", "windchill_string",
                              "weather", "relative_humidity", "wind_dir", "wind_mph", "visiblity",
                              "pressure_string", "BarometerDirection"}));
        QCOMPARE(ElementValue(e, "location"), "Little Rock, Adams Field, AR");
        QCOMPARE(ElementValue(e, "temp_f"), "72");
        QCOMPARE(ElementValue(e, "relative_humidity"), "45");
        QCOMPARE(ElementValue(e, "wind_dir"), "South");
        QCOMPARE(ElementValue(e, "wind_mph"), "10");
        QCOMPARE(ElementValue(e, "BarometerDirection"), "Rising");
    }

    void elementFromAPartialObservation_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QJsonValue>("value");
        QTest::addColumn<QString>("element");
        QTest::addColumn<QString>("expected");
        QTest::newRow("sea-level pressure stands in")
            << "barometricPressure" << QJsonValue(Q("Pa", QJsonValue::Null)) << "pressure_string"
            << "30.00 in (1015.9 mb)";
        QTest::newRow("calm") << "windSpeed" << QJsonValue(Q("km_h-1", 0)) << "wind_dir"
                              << "Calm";
    }
    void elementFromAPartialObservation() {
        QFETCH(QString, field);
        QFETCH(QJsonValue, value);
        QFETCH(QString, element);
        QFETCH(QString, expected);
        QJsonObject p = horolet::test::ObservationProps(QStringLiteral("2023-12-05T22:53:00Z"));
        p.insert(field, value);
        p.insert("windDirection", Q("degree_(angle)", QJsonValue::Null));
        const Elements e = ConditionElements({}, ParseObservation(p), std::nullopt);
        QCOMPARE(ElementValue(e, element), expected);
    }

    void xmlEscapesAndErrText() {
        const QByteArray xml = ConditionsXml({{"weather", "Rain & <Fog>"}});
        QVERIFY(xml.contains("<CurrentWeather><weather>Rain &amp; &lt;Fog&gt;</weather>"));
        const QByteArray err = ErrorXml(QStringLiteral("Unknown zip code"));
        QVERIFY(
            err.contains("<CurrentWeather><ErrText>Unknown zip code</ErrText></CurrentWeather>"));
    }

    void builtInZipTable() {
        const ZipTable& t = ZipTable::builtIn();
        QCOMPARE(t.year(), 2021);
        QVERIFY(t.size() > 30000);
        const auto lr = t.find(u"72210");
        QVERIFY(lr);
        QCOMPARE(qRound(lr->lat * 10000), 347139);
        QCOMPARE(qRound(lr->lon * 10000), -925084);
        const auto samoa = t.find(u"96799");
        QVERIFY(samoa && samoa->lon < -170);
        for (const char16_t* bad : {u"99950", u"7221", u"722100", u"7221a", u"", u"-7221"})
            QVERIFY2(!t.find(bad), qPrintable(QString::fromUtf16(bad)));
    }

    void damagedZipTable_data() {
        QTest::addColumn<QByteArray>("data");
        QByteArray good("HZIP\x07\xe5\x00\x00\x00\x01\x01\x1a\x12\x05\x4c\x03\xf1\xe2\x64", 19);
        QTest::newRow("good") << good;
        QTest::newRow("wrong magic") << QByteArray("XZIP").append(good.mid(4));
        QTest::newRow("longer") << QByteArray(good).append('x');
        QTest::newRow("empty") << QByteArray();
    }
    void damagedZipTable() {
        QFETCH(QByteArray, data);
        const ZipTable t(data);
        const bool good = QByteArray(QTest::currentDataTag()) == "good";
        QCOMPARE(t.size(), good ? 1 : 0);
        const auto hit = t.find(u"72210");  // 0x011a12
        QCOMPARE(bool(hit), good);
        if (hit) QCOMPARE(qRound(hit->lat * 10000), 347139);
    }

    void pathOf_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("expected");
        QTest::newRow("absolute") << "https://api.weather.gov/gridpoints/LZK/82,73/stations"
                                  << "/gridpoints/LZK/82,73/stations";
        QTest::newRow("elsewhere") << "https://evil.example/stations/KLIT"
                                   << "/stations/KLIT";
    }
    void pathOf() {
        QFETCH(QString, address);
        QFETCH(QString, expected);
        QCOMPARE(Upstream::PathOf(address), expected);
    }

    void forecastPeriods() {
        using horolet::test::Period;
        const QJsonObject newStyle{
            {"number", 3},
            {"name", "Wednesday"},
            {"temperature", Q("degC", 15)},
            {"windSpeed",
             QJsonObject{{"unitCode", "wmoUnit:km_h-1"}, {"minValue", 8.05}, {"maxValue", 16.09}}},
            {"windDirection", "NW"},
            {"shortForecast", "Sunny"}};
        const auto periods = ParseForecast(
            QJsonDocument::fromJson(
                horolet::test::ForecastJson(
                    {Period(1, "Tonight", 35, "5 to 10 mph", "S", "Mostly Clear"),
                     Period(2, "Tuesday", QJsonValue::Null, "10 mph", "", "Rain <heavy>"),
                     newStyle}))
                .object());
        QCOMPARE(periods.size(), 3);
        QCOMPARE(periods[0].name, "Tonight");
        QCOMPARE(periods[0].temperature, QStringLiteral("35°F"));
        QCOMPARE(periods[0].wind, "S 5 to 10 mph");
        QCOMPARE(periods[1].temperature, QString());
        QCOMPARE(periods[1].wind, "10 mph");
        QCOMPARE(periods[2].temperature, QStringLiteral("59°F"));
        QCOMPARE(periods[2].wind, "NW 5 to 10 mph");

        const QString html = QString::fromUtf8(ForecastHtml("Little Rock, AR", "72210", periods));
        QVERIFY(html.contains("<h1>Little Rock, AR</h1>"));
        QVERIFY(html.contains("Rain &lt;heavy&gt;"));
        QVERIFY(!html.contains("<heavy>"));
        // Self-contained: nothing is fetched from elsewhere.
        for (const char* outside : {"src=", "href=", "<script", "<link", "url(", "@import"})
            QVERIFY2(!html.contains(QLatin1String(outside)), outside);
    }

    void listenAddress_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("port");
        QTest::newRow("v4") << "127.0.0.1:8797" << true << "127.0.0.1" << 8797;
        QTest::newRow("v6") << "[::1]:9000" << true << "::1" << 9000;
        QTest::newRow("bare port") << "9001" << true << "127.0.0.1" << 9001;
        QTest::newRow("port too big") << "127.0.0.1:65536" << false << "" << 0;
        QTest::newRow("host name") << "localhost:8797" << false << "" << 0;
    }
    void listenAddress() {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(QString, address);
        QFETCH(int, port);
        QHostAddress a;
        quint16 p = 1;
        QCOMPARE(ParseListen(text, a, p), ok);
        if (ok) {
            QCOMPARE(a, QHostAddress(address));
            QCOMPARE(int(p), port);
        }
    }

    void options_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("contact");
        QTest::addColumn<QString>("upstream");
        QTest::addColumn<int>("port");
        QTest::newRow("from file")
            << "# mine\n[weatherd]\nContact = Jane <jane@example.com>, example.com\n"
               "Listen=127.0.0.1:9100\nUpstream=http://127.0.0.1:5000\n"
            << QStringList{} << true << "Jane <jane@example.com>, example.com"
            << "http://127.0.0.1:5000" << 9100;
        QTest::newRow("command line wins")
            << "Contact=a@example.com\nListen=9100\n"
            << QStringList{"--contact", "b@example.com"} << true << "b@example.com"
            << "https://api.weather.gov" << 9100;
        QTest::newRow("no contact") << "" << QStringList{} << false << ""
                                    << "" << 0;
        QTest::newRow("contact with a line break")
            << "" << QStringList{"--contact", "a@example.com\r\nX-Evil: 1"} << false << ""
            << "" << 0;
        QTest::newRow("bad upstream") << "Contact=a@example.com\nUpstream=ftp://example.com\n"
                                      << QStringList{} << false << ""
                                      << "" << 0;
    }
    void options() {
        QFETCH(QString, file);
        QFETCH(QStringList, args);
        QFETCH(bool, ok);
        QFETCH(QString, contact);
        QFETCH(QString, upstream);
        QFETCH(int, port);
        QTemporaryDir dir;
        const QString path = dir.filePath("weatherd.conf");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(file.toUtf8());
        f.close();
        DaemonOptions o;
        const ParseOutcome r =
            ParseOptions(QStringList{"horolet-weatherd", "--config", path} + args, o);
        QCOMPARE(r.action == ParseOutcome::Action::Run, ok);
        if (!ok) {
            QVERIFY(!r.message.isEmpty());
            return;
        }
        QCOMPARE(o.contact, contact);
        QCOMPARE(o.upstream.toString(), upstream);
        QCOMPARE(int(o.port), port);
        QCOMPARE(o.address, QHostAddress(QHostAddress::LocalHost));
    }
};

HOROLET_TEST_MAIN(TestWeatherdTexts)
#include "tst_weatherd_texts.moc"
