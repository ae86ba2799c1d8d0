// The daemon serving the clock's two addresses, fed by a fake weather API on loopback.

#include "support/TestMain.h"
#include "weatherd/Server.h"
#include "weatherd/Upstream.h"
#include "weatherd/WeatherService.h"
#include "weatherd/ZipTable.h"

#include "ApiFixtures.h"
#include "FakeWeatherApi.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QXmlStreamReader>

#include <memory>

using namespace horolet::weatherd;
using namespace horolet::test;
using namespace std::chrono_literals;

namespace {

const QString kPoint = QStringLiteral("/points/34.7139,-92.5084");  // zip 72210
const QString kStations = QStringLiteral("/gridpoints/LZK/82,73/stations");
const QString kForecast = QStringLiteral("/gridpoints/LZK/82,73/forecast");
const QString kLatest = QStringLiteral("/stations/KLIT/observations/latest");
const QString kLatest2 = QStringLiteral("/stations/KLZK/observations/latest");
const QString kHistory = QStringLiteral("/stations/KLIT/observations");
const QString kHistory2 = QStringLiteral("/stations/KLZK/observations");
const QString kObserved = QStringLiteral("2023-12-05T22:53:00+00:00");
const QString kContact = QStringLiteral("horolet-tests@example.com");

struct Reply {
    int status = 0;
    QByteArray contentType;
    QByteArray body;
};

QMap<QString, QString> Elements(const QByteArray& xml) {
    QMap<QString, QString> map;
    QXmlStreamReader r(xml);
    r.readNextStartElement();
    if (r.name() != u"CurrentWeather") return {{"<root>", r.name().toString()}};
    while (r.readNextStartElement()) map.insert(r.name().toString(), r.readElementText());
    if (r.hasError()) map.insert("<error>", r.errorString());
    return map;
}

}  // namespace

class TestWeatherdService final : public QObject {
    Q_OBJECT

    std::unique_ptr<FakeWeatherApi> m_api;
    std::unique_ptr<Upstream> m_upstream;
    std::unique_ptr<WeatherService> m_service;
    std::unique_ptr<Server> m_server;
    QNetworkAccessManager m_client;
    quint16 m_port = 0;
    qint64 m_monotonic = 0;
    QDateTime m_now;

    // A daemon against a fresh fake API that knows zip 72210 in full.
    void startDaemon(std::chrono::milliseconds deadline = 5s,
                     std::chrono::milliseconds upstreamTimeout = 3s) {
        m_server.reset();
        m_service.reset();
        m_upstream.reset();
        m_api = std::make_unique<FakeWeatherApi>();
        QVERIFY(m_api->listen());
        UpstreamOptions u;
        u.base = QUrl(m_api->base());
        u.contact = kContact;
        u.timeout = upstreamTimeout;
        u.retryDelay = 50ms;
        u.monotonicMs = [this] { return m_monotonic; };
        m_upstream = std::make_unique<Upstream>(u);
        ServiceOptions s;
        s.deadline = deadline;
        s.utcNow = [this] { return m_now; };
        m_service = std::make_unique<WeatherService>(*m_upstream, ZipTable::builtIn(), s);
        m_server = std::make_unique<Server>(*m_service);
        m_port = m_server->listen(QHostAddress(QHostAddress::LocalHost), 0);
        QVERIFY(m_port);
        m_monotonic = 0;
        m_now = QDateTime::fromString(kObserved, Qt::ISODate).addSecs(20 * 60);

        m_api->setJson(kPoint, PointJson("LZK/82,73", "Little Rock", "AR", "America/Chicago"));
        m_api->setJson(kStations,
                       StationsJson({{"KLIT", "Little Rock, Adams Field", "America/Chicago"},
                                     {"KLZK", "North Little Rock Airport", "America/Chicago"}}));
        m_api->setJson(kLatest, ObservationJson(ObservationProps(kObserved)));
        QJsonObject before = ObservationProps("2023-12-05T19:53:00+00:00");
        before.insert("barometricPressure", Q("Pa", 101500));
        m_api->setJson(kHistory, HistoryJson({before}));
        m_api->setJson(kForecast,
                       ForecastJson({Period(1, "Tonight", 35, "5 to 10 mph", "S", "Mostly Clear"),
                                     Period(2, "Wednesday", 58, "10 mph", "NW", "Sunny")}));
    }

    void get(const QString& pathAndQuery, std::function<void(const Reply&)> done) {
        QNetworkReply* r = m_client.get(QNetworkRequest(
            QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(pathAndQuery))));
        connect(r, &QNetworkReply::finished, this, [r, done] {
            r->deleteLater();
            done({r->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(),
                  r->header(QNetworkRequest::ContentTypeHeader).toByteArray(), r->readAll()});
        });
    }

    Reply fetch(const QString& pathAndQuery) {
        Reply reply;
        bool done = false;
        get(pathAndQuery, [&](const Reply& r) {
            reply = r;
            done = true;
        });
        if (!QTest::qWaitFor([&] { return done; }, 20000)) qWarning("no reply");
        return reply;
    }

    QMap<QString, QString> conditions(const QString& zip = QStringLiteral("72210")) {
        const Reply r = fetch(QStringLiteral("/Weather/getCurrentConditions.asp?zipCode=") + zip +
                              QStringLiteral("&Rand=1234"));
        if (r.status != 200) return {{"<status>", QString::number(r.status)}};
        return Elements(r.body);
    }

private slots:
    void init() { startDaemon(); }
    void cleanup() {
        m_server.reset();
        m_service.reset();
        m_upstream.reset();
        m_api.reset();
    }

    void fullReport() {
        const Reply r = fetch("/Weather/getCurrentConditions.asp?zipCode=72210&Rand=2871");
        QCOMPARE(r.status, 200);
        QVERIFY(r.contentType.startsWith("text/xml"));
        const auto e = Elements(r.body);
        QCOMPARE(e.value("CityState"), "Little Rock, AR");
        QCOMPARE(e.value("StationID"), "KLIT");
        QCOMPARE(e.value("location"), "Little Rock, Adams Field, AR");
        QCOMPARE(e.value("observation_time"), "Last Updated on Dec 5, 4:53 pm CST");
        QCOMPARE(e.value("temp_f"), "72");
        QCOMPARE(e.value("temperature_string"), "72 F (22 C)");
        QCOMPARE(e.value("heat_index_string"), "NA");
        QCOMPARE(e.value("windchill_string"), "NA");
        QCOMPARE(e.value("weather"), "Partly Cloudy");
        QCOMPARE(e.value("relative_humidity"), "45");
        QCOMPARE(e.value("wind_dir"), "South");
        QCOMPARE(e.value("wind_mph"), "10");
        QCOMPARE(e.value("visiblity"), "10.00");
        QCOMPARE(e.value("pressure_string"), "30.01 in (1016.2 mb)");
        QCOMPARE(e.value("BarometerDirection"), "Rising");
        QCOMPARE(e.size(), 15);
    }

    void upstreamRequestsAreWellFormed() {
        conditions();
        const auto seen = m_api->seen();
        QCOMPARE(seen.size(), 4);  // point, stations, latest, history
        for (const SeenRequest& s : seen) {
            QVERIFY(s.userAgent.startsWith("horolet-weatherd/"));
            QVERIFY2(s.userAgent.contains(kContact.toUtf8()), s.userAgent);
            QCOMPARE(s.accept, "application/geo+json");
            QVERIFY2(!s.query.contains("Rand", Qt::CaseInsensitive), qPrintable(s.query));
        }
        // The history asks for the hour around three hours before the observation.
        const SeenRequest history = seen.last();
        QCOMPARE(history.path, kHistory);
        QVERIFY2(history.query.contains("start=2023-12-05T19:23:00Z"), qPrintable(history.query));
        QVERIFY2(history.query.contains("end=2023-12-05T20:23:00Z"), qPrintable(history.query));
    }

    void nullsLeaveElementsOut() {
        QJsonObject p = ObservationProps(kObserved);
        p.insert("windDirection", Q("degree_(angle)", QJsonValue::Null));
        p.insert("visibility", Q("m", QJsonValue::Null));
        p.insert("relativeHumidity", Q("percent", QJsonValue::Null));
        p.insert("textDescription", QJsonValue::Null);
        m_api->setJson(kLatest, ObservationJson(p));
        const auto e = conditions();
        for (const char* gone : {"wind_dir", "visiblity", "relative_humidity", "weather"})
            QVERIFY2(!e.contains(gone), gone);
        QCOMPARE(e.value("wind_mph"), "10");
        QCOMPARE(e.value("temp_f"), "72");
    }

    void stationZoneAcrossDaylightSaving_data() {
        QTest::addColumn<QString>("observed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("standard") << "2023-03-12T07:45:00+00:00"
                                  << "Last Updated on Mar 12, 1:45 am CST";
        QTest::newRow("daylight") << "2023-03-12T08:15:00+00:00"
                                  << "Last Updated on Mar 12, 3:15 am CDT";
    }
    void stationZoneAcrossDaylightSaving() {
        QFETCH(QString, observed);
        QFETCH(QString, expected);
        // The point says Chicago; the station's own zone wins.
        m_api->setJson(kStations, StationsJson({{"KLIT", "Somewhere", "America/Chicago"}}));
        m_api->setJson(kPoint, PointJson("LZK/82,73", "Little Rock", "AR", "America/Denver"));
        m_api->setJson(kLatest, ObservationJson(ObservationProps(observed)));
        m_now = QDateTime::fromString(observed, Qt::ISODate).addSecs(600);
        QCOMPARE(conditions().value("observation_time"), expected);
    }

    void fallbackStation_data() {
        QTest::addColumn<QString>("problem");
        QTest::newRow("stale") << "stale";
        QTest::newRow("no temperature") << "no temperature";
        QTest::newRow("server error") << "server error";
        QTest::newRow("no observation") << "not found";
    }
    void fallbackStation() {
        QFETCH(QString, problem);
        QJsonObject first = ObservationProps(kObserved);
        if (problem == u"stale") first.insert("timestamp", "2023-12-05T21:12:00+00:00");
        if (problem == u"no temperature") first.insert("temperature", Q("degC", QJsonValue::Null));
        if (problem == u"server error")
            m_api->setReplies(kLatest, {{500, "{}"}});
        else if (problem == u"not found")
            m_api->setReplies(kLatest, {{404, "{}"}});
        else
            m_api->setJson(kLatest, ObservationJson(first));
        QJsonObject second = ObservationProps(kObserved);
        second.insert("temperature", Q("degC", 10));
        m_api->setJson(kLatest2, ObservationJson(second));
        m_api->setJson(kHistory2, HistoryJson({}));
        const auto e = conditions();
        QCOMPARE(e.value("StationID"), "KLZK");
        QCOMPARE(e.value("location"), "North Little Rock Airport, AR");
        QCOMPARE(e.value("temp_f"), "50");
        QVERIFY(!e.contains("BarometerDirection"));  // no history there
    }

    // At most two hours old is fresh; older everywhere is an error, not a stale report.
    void observationAge_data() {
        QTest::addColumn<int>("hours");
        QTest::newRow("exactly two hours") << 2;
        QTest::newRow("three hours at every station") << 3;
    }
    void observationAge() {
        QFETCH(int, hours);
        m_now = QDateTime::fromString(kObserved, Qt::ISODate).addSecs(hours * 3600);
        m_api->setJson(kLatest2, ObservationJson(ObservationProps(kObserved)));
        const auto e = conditions();
        if (hours == 2) {
            QCOMPARE(e.value("StationID"), "KLIT");
            QCOMPARE(m_api->count(kLatest2), 0);
        } else {
            QCOMPARE(e.keys(), QStringList{"ErrText"});
        }
    }

    void secondRequestWithinTenMinutesStaysHome() {
        const auto first = conditions();
        const int calls = m_api->total();
        QCOMPARE(calls, 4);
        m_monotonic += 9 * 60 * 1000;
        QCOMPARE(conditions(), first);
        QCOMPARE(m_api->total(), calls);

        // Observations go stale after ten minutes; the place stays known for a day.
        m_monotonic += 2 * 60 * 1000;
        conditions();
        QCOMPARE(m_api->count(kLatest), 2);
        QCOMPARE(m_api->count(kPoint), 1);
        QCOMPARE(m_api->count(kStations), 1);
        m_monotonic += 24 * 3600 * 1000;
        conditions();
        QCOMPARE(m_api->count(kPoint), 2);
    }

    void clientsAskingAtOnceShareOneFetch() {
        m_api->hold(kLatest);
        int answered = 0;
        for (int i = 0; i < 3; ++i)
            get(QStringLiteral("/Weather/getCurrentConditions.asp?zipCode=72210&Rand=%1").arg(i),
                [&](const Reply& r) { answered += Elements(r.body).value("temp_f") == "72"; });
        QVERIFY(QTest::qWaitFor([&] { return m_api->count(kLatest) == 1; }, 5000));
        QTest::qWait(100);
        m_api->release(kLatest);
        QTRY_COMPARE_WITH_TIMEOUT(answered, 3, 5000);
        QCOMPARE(m_api->count(kLatest), 1);
    }

    void unknownZipCode_data() {
        QTest::addColumn<QString>("zip");
        QTest::newRow("not in the gazetteer") << "99950";
        QTest::newRow("four digits") << "7221";
        QTest::newRow("path tricks") << "..%2F..%2Fx";
    }
    void unknownZipCode() {
        QFETCH(QString, zip);
        const auto e = conditions(zip);
        QCOMPARE(e.keys(), QStringList{"ErrText"});
        QCOMPARE(m_api->total(), 0);
    }

    void retries_data() {
        QTest::addColumn<QList<int>>("statuses");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("calls");
        QTest::newRow("500 then fine") << QList<int>{500, 200} << true << 2;
        QTest::newRow("503 twice") << QList<int>{503, 503, 200} << false << 2;
        QTest::newRow("502 is not retried") << QList<int>{502, 200} << false << 1;
        QTest::newRow("200 that is not JSON") << QList<int>{299} << false << 1;
    }
    void retries() {
        QFETCH(QList<int>, statuses);
        QFETCH(bool, ok);
        QFETCH(int, calls);
        QList<CannedReply> replies;
        const QByteArray point = PointJson("LZK/82,73", "Little Rock", "AR", "America/Chicago");
        for (int s : statuses)  // 299: a page where JSON belongs
            replies.append({s == 299 ? 200 : s, s == 200   ? point
                                                : s == 299 ? QByteArray("<html>maintenance</html>")
                                                           : QByteArray("{}")});
        m_api->setReplies(kPoint, replies);
        const auto e = conditions();
        QCOMPARE(e.contains("ErrText"), !ok);
        QCOMPARE(e.contains("temp_f"), ok);
        QCOMPARE(m_api->count(kPoint), calls);
        // A failure is not kept: the next request asks again.
        if (!ok) {
            conditions();
            QCOMPARE(m_api->count(kPoint), calls + 1);
        }
    }

    void oneSlowClientDoesNotHoldUpAnother() {
        // Zip 72201 has another point, whose look-up hangs.
        const QString slowPoint = QStringLiteral("/points/34.747,-92.2809");
        m_api->hold(slowPoint);
        QMap<QString, QString> slow;
        bool slowDone = false;
        get("/Weather/getCurrentConditions.asp?zipCode=72201&Rand=5", [&](const Reply& r) {
            slow = Elements(r.body);
            slowDone = true;
        });
        QVERIFY(QTest::qWaitFor([&] { return m_api->count(slowPoint) == 1; }, 5000));
        QCOMPARE(conditions().value("temp_f"), "72");
        QVERIFY(!slowDone);
        m_api->setJson(slowPoint, PointJson("LZK/82,73", "Little Rock", "AR", "America/Chicago"));
        m_api->release(slowPoint);
        QTRY_VERIFY_WITH_TIMEOUT(slowDone, 5000);
        QCOMPARE(slow.value("temp_f"), "72");
    }

    // A hanging upstream ends in an error within the upstream limit or the client's
    // deadline, whichever is shorter; a late answer afterwards breaks nothing.
    void hangingUpstream_data() {
        QTest::addColumn<int>("deadlineMs");
        QTest::addColumn<int>("upstreamMs");
        QTest::newRow("upstream limit") << 5000 << 300;
        QTest::newRow("client deadline") << 400 << 10000;
    }
    void hangingUpstream() {
        QFETCH(int, deadlineMs);
        QFETCH(int, upstreamMs);
        startDaemon(std::chrono::milliseconds(deadlineMs), std::chrono::milliseconds(upstreamMs));
        m_api->hold(kPoint);
        QElapsedTimer t;
        t.start();
        QCOMPARE(conditions().keys(), QStringList{"ErrText"});
        QVERIFY2(t.elapsed() < 4000, qPrintable(QString::number(t.elapsed())));
        m_api->release(kPoint);
        QTest::qWait(200);
        QCOMPARE(conditions().value("temp_f"), "72");
    }

    void clientGoneBeforeTheAnswer() {
        m_api->hold(kLatest);
        QNetworkReply* r = m_client.get(QNetworkRequest(QUrl(
            QStringLiteral("http://127.0.0.1:%1/Weather/getCurrentConditions.asp?zipCode=72210")
                .arg(m_port))));
        QVERIFY(QTest::qWaitFor([&] { return m_api->count(kLatest) == 1; }, 5000));
        r->abort();
        r->deleteLater();
        QTest::qWait(50);
        m_api->release(kLatest);
        QTest::qWait(200);
        QCOMPARE(conditions().value("temp_f"), "72");
    }

    void forecastPage() {
        const Reply r = fetch("/weather/iphone/?z=72210");
        QCOMPARE(r.status, 200);
        QVERIFY(r.contentType.startsWith("text/html"));
        const QString html = QString::fromUtf8(r.body);
        QVERIFY(html.contains("<h1>Little Rock, AR</h1>"));
        QVERIFY(html.contains("Tonight"));
        QVERIFY(html.contains(QStringLiteral("35°F")));
        QVERIFY(html.contains("Wind S 5 to 10 mph"));
        QVERIFY(html.contains("Sunny"));
        QVERIFY(html.indexOf("Tonight") < html.indexOf("Wednesday"));
        // Cached too: a second page makes no upstream call.
        const int calls = m_api->total();
        QCOMPARE(fetch("/weather/iphone/?z=72210").body, r.body);
        QCOMPARE(m_api->total(), calls);
    }

    void forecastPageFailures_data() {
        QTest::addColumn<QString>("zip");
        QTest::addColumn<int>("forecastStatus");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("says");
        QTest::newRow("unknown zip") << "99950" << 200 << 404 << "Unknown zip code";
        QTest::newRow("upstream down") << "72210" << 503 << 502 << "Forecast not available";
    }
    void forecastPageFailures() {
        QFETCH(QString, zip);
        QFETCH(int, forecastStatus);
        QFETCH(int, status);
        QFETCH(QString, says);
        if (forecastStatus != 200) m_api->setReplies(kForecast, {{forecastStatus, "{}"}});
        const Reply r = fetch(QStringLiteral("/weather/iphone/?z=") + zip);
        QCOMPARE(r.status, status);
        QVERIFY(QString::fromUtf8(r.body).contains(says));
    }

    void otherAddressesAreNotFound() {
        QCOMPARE(fetch("/Weather/getCurrentConditionsXasp?zipCode=72210").status, 404);
        QCOMPARE(fetch("/weather/getCurrentConditions.asp?zipCode=72210").status, 404);
        QCOMPARE(m_api->total(), 0);
    }
};

HOROLET_TEST_MAIN(TestWeatherdService)
#include "tst_weatherd_service.moc"
