// The whole weather update against a weather service on loopback.

#include "LoopbackHttpServer.h"
#include "WeatherFixtures.h"
#include "app/Balloon.h"
#include "app/frmMain.h"
#include "settings/Settings.h"
#include "support/TestMain.h"
#include "weather/HttpExchange.h"
#include "weather/Weather.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QUrlQuery>

using namespace horolet;
using namespace horolet::test;

namespace {
const QString kOldLine = QStringLiteral("70° @ 1 pm");
const QString kOldBalloon = QStringLiteral("Not available");
const QString kDebugTitle = QStringLiteral("Debug Weather Retrieval");
}  // namespace

Q_DECLARE_METATYPE(horolet::test::LoopbackHttpServer::Reply)

class TestUpdateWeather final : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { m_server.reset(); }

    void replyTexts_data();
    void replyTexts();
    void requestLine();
    void failedExchange_data();
    void failedExchange();
    void notWellFormed_data();
    void notWellFormed();
    void errText();
    void diagnosticBox();
    void neverAnswers();
    void offline();
    void unusableHost();
    void mainWindowBalloon();

private:
    // Runs one update; the balloon's text lands in m_balloon.
    void update(bool showDebug) {
        UpdateWeatherTexts(showDebug, [this](const QString& t) { m_balloon = t; });
    }
    void serve(const QByteArray& body) {
        LoopbackHttpServer::Reply r;
        r.body = body;
        m_server->setReply(r);
    }
    void expectUnchangedBalloonAndLine(const QString& line) {
        QCOMPARE(App().WeatherText, line);
        QCOMPARE(m_balloon, kOldBalloon);
    }

    std::unique_ptr<LoopbackHttpServer> m_server;
    QString m_balloon;
};

void TestUpdateWeather::init() {
    FreshStart();
    m_server = std::make_unique<LoopbackHttpServer>();
    QVERIFY(m_server->port() != 0);
    WriteOption("WeatherHost", m_server->hostAndPort());
    App().ZipCode = "72210";
    App().WeatherText = kOldLine;
    m_balloon = kOldBalloon;
}

void TestUpdateWeather::replyTexts_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("conditions");
    QTest::newRow("normal") << NormalReply() << "95° @ 4:53 pm" << NormalConditions();
    QTest::newRow("no temp_f empties the line")
        << WeatherXml(ChangedElements({{"temp_f", QString()}})) << "" << NormalConditions();
}

void TestUpdateWeather::replyTexts() {
    QFETCH(QByteArray, body);
    QFETCH(QString, line);
    QFETCH(QString, conditions);
    serve(body);
    update(false);
    update(false);  // a second reply of the same kind gives the same line, not a longer one
    QCOMPARE(App().WeatherText, line);
    QCOMPARE(m_balloon, conditions);
    QVERIFY(Fake().boxes.isEmpty());
}

void TestUpdateWeather::requestLine() {
    serve(NormalReply());
    QSet<QString> rands;
    for (int i = 0; i < 6; ++i) update(false);
    App().ZipCode = "72210&x=1 #";  // hand-edited store: stays one query value
    update(false);
    const auto seen = m_server->requests();
    QCOMPARE(seen.size(), 7);
    for (const auto& s : seen) {
        QCOMPARE(s.method, QHttpServerRequest::Method::Get);
        QCOMPARE(s.url.path(), QString("/Weather/getCurrentConditions.asp"));
        const auto items = QUrlQuery(s.url).queryItems(QUrl::FullyDecoded);
        QCOMPARE(items.size(), 2);
        QCOMPARE(items[0].first, QString("zipCode"));
        QCOMPARE(items[0].second, &s == &seen.last() ? App().ZipCode : QString("72210"));
        QCOMPARE(items[1].first, QString("Rand"));
        const QString rand = items[1].second;
        QVERIFY2(QRegularExpression("^[1-9][0-9]{0,3}$").match(rand).hasMatch(), qPrintable(rand));
        QVERIFY(rand.toInt() <= 3000);
        rands.insert(rand);
    }
    QVERIFY2(rands.size() > 1, "the random number is drawn afresh");
}

void TestUpdateWeather::failedExchange_data() {
    QTest::addColumn<LoopbackHttpServer::Reply>("reply");
    QTest::addColumn<QString>("status");  // in the diagnostic box; empty: no box
    const QByteArray oversized = NormalReply() + QByteArray(int(kHttpSizeLimit), ' ');
    LoopbackHttpServer::Reply r;
    r.body = NormalReply();
    r.status = 404;
    QTest::newRow("404") << r << "HTTP Status: Not Found (404)";
    r.status = 500;
    QTest::newRow("500") << r << "HTTP Status: Internal Server Error (500)";
    r = {};
    r.body = oversized;
    QTest::newRow("body over the size limit") << r << "";
    r = {};
    r.raw = "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nConnection: close\r\n\r\n" + oversized;
    QTest::newRow("endless body over the size limit") << r << "";
    r.raw = "HTTP/1.1 200 OK\r\nContent-Length: 5000\r\nConnection: close\r\n\r\n" + NormalReply();
    QTest::newRow("connection closed early") << r << "";
}

void TestUpdateWeather::failedExchange() {
    QFETCH(LoopbackHttpServer::Reply, reply);
    QFETCH(QString, status);
    m_server->setReply(reply);
    update(false);
    expectUnchangedBalloonAndLine("");
    QVERIFY(Fake().boxes.isEmpty());

    update(true);
    QCOMPARE(Fake().boxes.size(), status.isEmpty() ? 0 : 1);
    if (!status.isEmpty()) {
        QCOMPARE(Fake().boxes[0].title, kDebugTitle);
        QCOMPARE(Fake().boxes[0].icon, MsgIcon::Information);
        QVERIFY2(Fake().boxes[0].text.contains(status), qPrintable(Fake().boxes[0].text));
    }
}

void TestUpdateWeather::notWellFormed_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("cut short") << NormalReply().left(200);
    QTest::newRow("html") << QByteArray("<html><body><p>Oops</body></html>");
    QTest::newRow("entity bomb") << EntityBomb();
}

void TestUpdateWeather::notWellFormed() {
    QFETCH(QByteArray, body);
    serve(body);
    update(true);
    expectUnchangedBalloonAndLine("");
    const auto boxes = Fake().boxes;
    QCOMPARE(boxes.size(), 2);
    QCOMPARE(boxes[0].title, kDebugTitle);
    QVERIFY2(QRegularExpression("^Error in XML parsing\r\n\r\n-?[1-9][0-9]* : .+")
                 .match(boxes[1].text)
                 .hasMatch(),
             qPrintable(boxes[1].text));
    QCOMPARE(boxes[1].icon, MsgIcon::None);
    QCOMPARE(boxes[1].title, appTitle());

    update(false);  // the parse error shows even without the diagnostic box
    QCOMPARE(Fake().boxes.size(), 3);
}

void TestUpdateWeather::errText() {
    serve(WeatherXml(NormalElements() + Elements{{"ErrText", "Station down"}}));
    update(false);
    expectUnchangedBalloonAndLine(kOldLine);
    QVERIFY(Fake().boxes.isEmpty());
    update(true);
    expectUnchangedBalloonAndLine(kOldLine);
    QCOMPARE(Fake().boxes.size(), 1);
    QCOMPARE(Fake().boxes[0].title, kDebugTitle);
}

void TestUpdateWeather::diagnosticBox() {
    serve(
        "<CurrentWeather><CityState>Springfield, IL</CityState><temp_f>64</temp_f>"
        "<observation_time>Last Updated on Dec 5, 10:00 am CST</observation_time>"
        "</CurrentWeather>");
    App().ZipCode = "62701";
    update(true);
    QCOMPARE(Fake().boxes.size(), 1);
    const auto& box = Fake().boxes[0];
    QCOMPARE(box.icon, MsgIcon::Information);
    QCOMPARE(box.title, kDebugTitle);
    const QString url = QString("http://%1/Weather/getCurrentConditions.asp?zipCode=62701&Rand=%2")
                            .arg(m_server->hostAndPort(),
                                 QUrlQuery(m_server->requests().at(0).url).queryItemValue("Rand"));
    QCOMPARE(box.text, "Debug Weather Gathering\r\n\r\nURL: " + url +
                           "\r\n\r\nHTTP Status: OK (200)\r\n\r\n"
                           "<CurrentWeather>\r\n\t<CityState>Springfield, IL</CityState>"
                           "<temp_f>64</temp_f><observation_time>Last Updated on Dec 5, 10:00 am "
                           "CST</observation_time>\r\n</CurrentWeather>");
    QCOMPARE(App().WeatherText, QString("64° @ 10 am"));
    QCOMPARE(m_balloon, QString("\r\n\r\nLast Updated on Dec 5, 10:00 am CST"));
}

void TestUpdateWeather::neverAnswers() {
    LoopbackHttpServer::Reply silent;
    silent.silent = true;
    m_server->setReply(silent);
    // No timer of the program may run while the request waits (a nested event loop
    // would let them).
    int timerRuns = 0;
    QTimer::singleShot(0, this, [&] { ++timerRuns; });
    QTimer::singleShot(1000, this, [&] { ++timerRuns; });
    QElapsedTimer clock;
    clock.start();
    update(true);
    const qint64 ms = clock.elapsed();
    QCOMPARE(timerRuns, 0);
    QVERIFY2(ms >= kHttpTimeLimitMs - 100 && ms < kHttpTimeLimitMs + 2000,
             qPrintable(QString::number(ms)));
    expectUnchangedBalloonAndLine("");
    QVERIFY(Fake().boxes.isEmpty());
    QTRY_COMPARE(timerRuns, 2);
}

void TestUpdateWeather::offline() {
    serve(NormalReply());
    Fake().online = false;
    update(true);
    QCOMPARE(m_server->requests().size(), 0);
    expectUnchangedBalloonAndLine(kOldLine);
    QVERIFY(Fake().boxes.isEmpty());
}

void TestUpdateWeather::unusableHost() {
    WriteOption("WeatherHost", "");
    QCOMPARE(WeatherHost(), QString("localhost:8797"));
    // A setting that would change the path is refused rather than followed.
    serve(NormalReply());
    for (const QString& host : {m_server->hostAndPort() + "/x?", "user@" + m_server->hostAndPort(),
                                QString("127.0.0.1:notaport")}) {
        App().WeatherText = kOldLine;
        WriteOption("WeatherHost", host);
        update(false);
        QCOMPARE(App().WeatherText, QString());
    }
    QCOMPARE(m_server->requests().size(), 0);
}

void TestUpdateWeather::mainWindowBalloon() {
    serve(
        "<CurrentWeather><location>Little Rock, AR</location><temp_f>41</temp_f></CurrentWeather>");
    frmMain* main = frmMain::form();  // its load fetches the weather once
    QCOMPARE(m_server->requests().size(), 1);
    QCOMPARE(main->m_oTool->text(), QString("Conditions at Little Rock, AR\r\n\r\n"));
    QCOMPARE(App().WeatherText, QString("41° @ "));

    // A double click on the time asks again, with the diagnostic box.
    QTest::mouseDClick(main->CurrentTime, Qt::LeftButton);
    QCOMPARE(m_server->requests().size(), 2);
    QCOMPARE(Fake().boxes.size(), 1);
    QCOMPARE(Fake().boxes[0].title, kDebugTitle);
    frmMain::unloadForm();
}

HOROLET_TEST_MAIN(TestUpdateWeather)
#include "tst_updateweather.moc"
