// The conditions reply turned into the weather line, the balloon text and the
// diagnostic box, without any network.

#include "WeatherFixtures.h"
#include "support/TestMain.h"
#include "weather/WeatherReport.h"

using namespace horolet;
using namespace horolet::test;

namespace {

WeatherReply Parsed(const Elements& elements) {
    WeatherReply r = ParseWeatherReply(WeatherXml(elements));
    if (!r.wellFormed) qFatal("fixture did not parse: %s", qPrintable(r.errorReason));
    return r;
}

}  // namespace

class TestWeatherReport final : public QObject {
    Q_OBJECT
private slots:
    void shortenObservationTime_data();
    void shortenObservationTime();
    void temperatureText_data();
    void temperatureText();
    void replyTexts_data();
    void replyTexts();
    void firstElementInDocumentOrder();
    void notWellFormed_data();
    void notWellFormed();
    void debugBox();
    void parseErrorText();
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
    QTest::newRow("keeps minutes") << "12:05 PM "
                                   << "12:05 Pm";
    QTest::newRow("mixed case") << "at 9:07 aM x"
                                << "9:07 am";
    QTest::newRow("at the very end") << "Last Updated on Dec 5, 4:53 pm"
                                     << "Last Updated on Dec 5, 4:53 pm";
    QTest::newRow("no blank before marker") << "4:53pm CST"
                                            << "4:53pm CST";
    QTest::newRow("one minute digit") << "4:5 pm CST"
                                      << "4:5 pm CST";
    QTest::newRow("first of two") << "9:15 am and 10:00 pm now"
                                  << "9:15 am";
    QTest::newRow("three hour digits") << "on 114:53 pm x"
                                       << "14:53 pm";
    QTest::newRow("other digits") << "\u0664:53 pm x"
                                  << "\u0664:53 pm x";
    QTest::newRow("empty") << ""
                           << "";
}

void TestWeatherReport::shortenObservationTime() {
    QFETCH(QString, observation);
    QFETCH(QString, shortened);
    QCOMPARE(ShortenObservationTime(observation), shortened);
}

void TestWeatherReport::temperatureText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("both scales") << "72 F (22 C)"
                                 << "72° f (22 c)";
    QTest::newRow("below zero") << "-5 F (-21 C)"
                                << "-5° f (-21 c)";
    QTest::newRow("every blank-f") << "72 Fahrenheit"
                                   << "72° fahrenheit";
    QTest::newRow("no blank") << "72F"
                              << "72f";
    QTest::newRow("empty") << ""
                           << "";
}

void TestWeatherReport::temperatureText() {
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(TemperatureText(text), expected);
}

void TestWeatherReport::replyTexts_data() {
    QTest::addColumn<Elements>("changes");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("conditions");
    for (const ReplyCase& c : ReplyCases())
        QTest::newRow(c.name) << c.changes << c.line << c.conditions;
}

void TestWeatherReport::replyTexts() {
    QFETCH(Elements, changes);
    QFETCH(QString, line);
    QFETCH(QString, conditions);
    const WeatherReply reply = Parsed(ChangedElements(changes));
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
    QTest::newRow("plain text") << QByteArray("temp 72");
    QTest::newRow("two roots") << QByteArray("<a/><b/>");
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

void TestWeatherReport::debugBox() {
    const QString body = "<CurrentWeather><CityState>Springfield, IL</CityState></CurrentWeather>";
    const QString laid = DebugLayout(body);
    const QStringList lines = laid.split("\r\n");
    QCOMPARE(lines, QStringList({"<CurrentWeather>", "\t<CityState>Springfield, IL</CityState>",
                                 "</CurrentWeather>"}));
    QCOMPARE(DebugLayout("<a><StationID>K</StationID><citystate/></a>"),
             QString("<a>\r\n\t<StationID>K</StationID><citystate/></a>"));

    QCOMPARE(DebugBoxText("http://h/p?q", "Not Found", 404, body),
             "Debug Weather Gathering\r\n\r\nURL: http://h/p?q\r\n\r\nHTTP Status: Not Found "
             "(404)\r\n\r\n" +
                 laid);
}

void TestWeatherReport::parseErrorText() {
    QCOMPARE(ParseErrorText(-1072896659, "Invalid at the top level"),
             QString("Error in XML parsing\r\n\r\n-1072896659 : Invalid at the top level"));
}

HOROLET_TEST_MAIN(TestWeatherReport)
#include "tst_weatherreport.moc"
