// The conditions reply turned into the weather line, the balloon text and the
// diagnostic box, without any network.

#include "WeatherFixtures.h"
#include "support/TestMain.h"
#include "weather/WeatherReport.h"

using namespace horolet;
using namespace horolet::test;

class TestWeatherReport final : public QObject {
    Q_OBJECT
private slots:
    void shortenObservationTime_data();
    void shortenObservationTime();
    void temperatureText();
    void replyTexts_data();
    void replyTexts();
    void firstElementInDocumentOrder();
    void notWellFormed_data();
    void notWellFormed();
    void boxTexts();
};

void TestWeatherReport::shortenObservationTime_data() {
    QTest::addColumn<QString>("observation");
    QTest::addColumn<QString>("shortened");
    QTest::newRow("pm") << "Last Updated on Dec 5, 4:53 pm CST"
                        << "4:53 pm";
    QTest::newRow("full hour") << "Last Updated on Dec 5, 10:00 am EDT"
                               << "10 am";
    QTest::newRow("upper case") << "Last Updated on Dec 5, 5:00 PM EST"
                                << "5 Pm";
    QTest::newRow("at the very end") << "Updated 4:53 pm"
                                     << "Updated 4:53 pm";
    QTest::newRow("no blank before marker") << "4:53pm CST"
                                            << "4:53pm CST";
    QTest::newRow("first of two") << "9:15 am and 10:00 pm now"
                                  << "9:15 am";
    QTest::newRow("three hour digits") << "on 114:53 pm x"
                                       << "14:53 pm";
    QTest::newRow("other digits") << "\u0664:53 pm x"
                                  << "\u0664:53 pm x";
}

void TestWeatherReport::shortenObservationTime() {
    QFETCH(QString, observation);
    QFETCH(QString, shortened);
    QCOMPARE(ShortenObservationTime(observation), shortened);
}

void TestWeatherReport::temperatureText() {
    QCOMPARE(TemperatureText("-5 F (-21 C)"), QString("-5° f (-21 c)"));
    QCOMPARE(TemperatureText("72 Fahrenheit"), QString("72° fahrenheit"));
    QCOMPARE(TemperatureText("72F"), QString("72f"));
}

void TestWeatherReport::replyTexts_data() {
    QTest::addColumn<Elements>("changes");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("conditions");
    const QString missing;
    const QString normal = NormalConditions();
    const QString line = QStringLiteral("95° @ 4:53 pm");
    auto without = [&](const char* part) { return QString(normal).remove(QString(part)); };
    auto replaced = [&](const char* from, const char* to) {
        return QString(normal).replace(QString(from), QString(to));
    };
    const char* feels = " (feels like 103° f (39 c))";
    Elements nothing;
    for (const auto& e : NormalElements()) nothing.append({e.first, missing});

    QTest::newRow("normal") << Elements{} << line << normal;
    QTest::newRow("no location") << Elements{{"location", missing}} << line
                                 << without("Conditions at Springfield, IL\r\n\r\n");
    QTest::newRow("no temp_f") << Elements{{"temp_f", missing}} << "" << normal;
    QTest::newRow("empty temp_f") << Elements{{"temp_f", ""}} << "° @ 4:53 pm" << normal;
    QTest::newRow("no temperature text")
        << Elements{{"temperature_string", missing}} << line << without("Temp: 95° f (35 c)");
    QTest::newRow("no heat index")
        << Elements{{"heat_index_string", missing}} << line << without(feels);
    QTest::newRow("heat index na")
        << Elements{{"heat_index_string", "na"}} << line << without(feels);
    QTest::newRow("wind chill too") << Elements{{"windchill_string", "88 F (31 C)"}} << line
                                    << replaced("(39 c))", "(39 c)) (feels like 88° f (31 c))");
    QTest::newRow("wind chill only")
        << Elements{{"heat_index_string", "NA"}, {"windchill_string", "-5 F (-21 C)"}} << line
        << replaced("103° f (39 c)", "-5° f (-21 c)");
    QTest::newRow("no skies") << Elements{{"weather", missing}} << line
                              << without("\r\nSkies: Fair\r\n");
    QTest::newRow("no wind speed")
        << Elements{{"wind_mph", missing}} << line << without("Wind: From South at 10 mpi\r\n");
    QTest::newRow("no pressure") << Elements{{"pressure_string", missing}} << line
                                 << without("Barometer: 30.01 in (1016.2 mb)");
    QTest::newRow("empty barometer direction")
        << Elements{{"BarometerDirection", ""}} << line << without(" Rising");
    QTest::newRow("no observation time") << Elements{{"observation_time", missing}} << "95° @ "
                                         << without("\r\n\r\nLast Updated on Dec 5, 4:53 pm CST");
    QTest::newRow("observed upper case")
        << Elements{{"observation_time", "Last Updated on Dec 5, 12:05 PM EST"}} << "95° @ 12:05 Pm"
        << replaced("Dec 5, 4:53 pm CST", "Dec 5, 12:05 PM EST");
    QTest::newRow("nothing at all") << nothing << ""
                                    << "";
    QTest::newRow("markup in a value") << Elements{{"weather", "Rain & <Fog>"}} << line
                                       << replaced("Skies: Fair", "Skies: Rain & <Fog>");
}

void TestWeatherReport::replyTexts() {
    QFETCH(Elements, changes);
    QFETCH(QString, line);
    QFETCH(QString, conditions);
    const WeatherReply reply = ParseWeatherReply(WeatherXml(ChangedElements(changes)));
    QVERIFY(reply.wellFormed);
    QCOMPARE(WeatherLine(reply), line);
    QCOMPARE(ConditionsText(reply), conditions);
}

void TestWeatherReport::firstElementInDocumentOrder() {
    const WeatherReply r = ParseWeatherReply(
        "<CurrentWeather><data><location>Here <b>and</b> <temp_f>40</temp_f></location></data>"
        "<temp_f>41</temp_f><location>There</location>"
        "<x:wind_dir xmlns:x=\"urn:other\">North</x:wind_dir>"
        "<deep><deeper><ErrText/></deeper></deep>"
        "<weather><![CDATA[A < B]]></weather><wind_mph>  7 </wind_mph></CurrentWeather>");
    QVERIFY(r.wellFormed);
    QCOMPARE(r.item(WeatherItem::location), QString("Here and 40"));
    QCOMPARE(r.item(WeatherItem::temp_f), QString("40"));
    QCOMPARE(r.item(WeatherItem::ErrText), QString(""));
    QCOMPARE(r.item(WeatherItem::weather), QString("A < B"));
    QCOMPARE(r.item(WeatherItem::wind_mph), QString("  7 "));
    QVERIFY(!r.item(WeatherItem::wind_dir));  // in another namespace: not this element
    QVERIFY(!r.item(WeatherItem::visiblity));
}

void TestWeatherReport::notWellFormed_data() {
    QTest::addColumn<QByteArray>("xml");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("html") << QByteArray("<html><body>Service Unavailable</body>");
    QTest::newRow("crossed tags") << QByteArray("<CurrentWeather><temp_f>1</CurrentWeather>");
    QTest::newRow("undeclared entity") << QByteArray("<CurrentWeather>&nbsp;</CurrentWeather>");
    QTest::newRow("entity bomb") << EntityBomb();
    QTest::newRow("external entity") << QByteArray(
        "<?xml version=\"1.0\"?><!DOCTYPE w [<!ENTITY x SYSTEM "
        "\"file:///etc/passwd\">]><w><temp_f>&x;</temp_f></w>");
    QTest::newRow("external dtd") << QByteArray(
        "<!DOCTYPE w SYSTEM \"http://127.0.0.1:9/w.dtd\"><w><temp_f>1</temp_f></w>");
}

void TestWeatherReport::notWellFormed() {
    QFETCH(QByteArray, xml);
    const WeatherReply r = ParseWeatherReply(xml);
    QVERIFY(!r.wellFormed);
    QVERIFY(r.errorCode != 0);
    QVERIFY(!r.errorReason.isEmpty());
    for (const auto& item : r.items) QVERIFY(!item);
}

void TestWeatherReport::boxTexts() {
    QCOMPARE(DebugLayout("<a><StationID>K</StationID><citystate/></a>"),
             QString("<a>\r\n\t<StationID>K</StationID><citystate/></a>"));
    QCOMPARE(
        DebugBoxText("http://h/p?q", "Not Found", 404,
                     "<CurrentWeather><CityState>S</CityState></CurrentWeather>"),
        QString(
            "Debug Weather Gathering\r\n\r\nURL: http://h/p?q\r\n\r\nHTTP Status: "
            "Not Found "
            "(404)\r\n\r\n<CurrentWeather>\r\n\t<CityState>S</CityState>\r\n</CurrentWeather>"));
    QCOMPARE(ParseErrorText(-1072896659, "Invalid at the top level"),
             QString("Error in XML parsing\r\n\r\n-1072896659 : Invalid at the top level"));
}

HOROLET_TEST_MAIN(TestWeatherReport)
#include "tst_weatherreport.moc"
