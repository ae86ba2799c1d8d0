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
#include <QTcpServer>
#include <QUrlQuery>

using namespace horolet;
using namespace horolet::test;

namespace {

const QString kOldLine = QStringLiteral("70° @ 1 pm");
const QString kOldBalloon = QStringLiteral("Not available");

}  // namespace

Q_DECLARE_METATYPE(horolet::test::LoopbackHttpServer::Reply)

class TestUpdateWeather final : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void normalReply();
    void replyTexts_data();
    void replyTexts();
    void requestLine();
    void zipCodeEscaped();
    void failedExchange_data();
    void failedExchange();
    void notWellFormed_data();
    void notWellFormed();
    void errText_data();
    void errText();
    void diagnosticBox();
    void neverAnswers();
    void offline();
    void hostSetting();
    void mainWindowBalloon();

private:
    // Runs one update; the balloon's text lands in m_balloon.
    void update(bool showDebug) {
        UpdateWeatherTexts(showDebug, [this](const QString& t) { m_balloon = t; });
    }
    void serve(const QByteArray& body, int status = 200) {
        LoopbackHttpServer::Reply r;
        r.status = status;
        r.body = body;
        m_server->setReply(r);
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

void TestUpdateWeather::cleanup() {
    m_server.reset();
}

void TestUpdateWeather::normalReply() {
    serve(NormalReply());
    update(false);
    QCOMPARE(App().WeatherText, QString("95° @ 4:53 pm"));
    QCOMPARE(m_balloon, NormalConditions());
    QVERIFY(Fake().boxes.isEmpty());
    QCOMPARE(m_server->requests().size(), 1);
}

void TestUpdateWeather::replyTexts_data() {
    QTest::addColumn<Elements>("changes");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("conditions");
    for (const ReplyCase& c : ReplyCases())
        QTest::newRow(c.name) << c.changes << c.line << c.conditions;
}

void TestUpdateWeather::replyTexts() {
    QFETCH(Elements, changes);
    QFETCH(QString, line);
    QFETCH(QString, conditions);
    serve(WeatherXml(ChangedElements(changes)));
    update(false);
    update(false);  // a second reply of the same kind gives the same line, not a longer one
    QCOMPARE(App().WeatherText, line);
    QCOMPARE(m_balloon, conditions);
    QVERIFY(Fake().boxes.isEmpty());
}

void TestUpdateWeather::requestLine() {
    serve(NormalReply());
    QSet<QString> rands;
    for (int i = 0; i < 12; ++i) update(false);
    const auto seen = m_server->requests();
    QCOMPARE(seen.size(), 12);
    for (const auto& s : seen) {
        QCOMPARE(s.method, QHttpServerRequest::Method::Get);
        QCOMPARE(s.url.path(), QString("/Weather/getCurrentConditions.asp"));
        QVERIFY(s.body.isEmpty());
        const QUrlQuery q(s.url);
        const auto items = q.queryItems(QUrl::FullyEncoded);
        QCOMPARE(items.size(), 2);
        QCOMPARE(items[0].first, QString("zipCode"));
        QCOMPARE(items[0].second, QString("72210"));
        QCOMPARE(items[1].first, QString("Rand"));
        const QString rand = items[1].second;
        QVERIFY2(QRegularExpression("^[1-9][0-9]{0,3}$").match(rand).hasMatch(), qPrintable(rand));
        QVERIFY(rand.toInt() >= 1 && rand.toInt() <= 3000);
        rands.insert(rand);
    }
    QVERIFY2(rands.size() > 1, "the random number is drawn afresh");
}

void TestUpdateWeather::zipCodeEscaped() {
    serve(NormalReply());
    App().ZipCode = "72210&x=1 #";
    update(false);
    const auto seen = m_server->requests();
    QCOMPARE(seen.size(), 1);
    const QUrlQuery q(seen[0].url);
    QCOMPARE(q.queryItems().size(), 2);
    QCOMPARE(q.queryItemValue("zipCode", QUrl::FullyDecoded), QString("72210&x=1 #"));
    QVERIFY(!q.hasQueryItem("x"));
    QVERIFY(q.queryItemValue("Rand").toInt() >= 1);
}

void TestUpdateWeather::failedExchange_data() {
    QTest::addColumn<LoopbackHttpServer::Reply>("reply");
    QTest::addColumn<bool>("diagnosticBox");
    LoopbackHttpServer::Reply r;
    r.body = NormalReply();
    r.status = 404;
    QTest::newRow("404") << r << true;
    r.status = 500;
    QTest::newRow("500") << r << true;
    r.status = 204;
    r.body.clear();
    QTest::newRow("204") << r << true;
    r = {};
    r.body = NormalReply() + QByteArray(int(kHttpSizeLimit), ' ');
    QTest::newRow("body over the size limit") << r << false;
    r = {};
    r.raw = "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nConnection: close\r\n\r\n" +
            NormalReply() + QByteArray(int(kHttpSizeLimit), ' ');
    QTest::newRow("endless body over the size limit") << r << false;
    r = {};
    r.raw = "HTTP/1.1 200 OK\r\nContent-Length: 5000\r\nConnection: close\r\n\r\n" + NormalReply();
    QTest::newRow("connection closed early") << r << false;
    r = {};
    r.raw = "garbage\r\n\r\n";
    QTest::newRow("not http") << r << false;
}

void TestUpdateWeather::failedExchange() {
    QFETCH(LoopbackHttpServer::Reply, reply);
    QFETCH(bool, diagnosticBox);
    m_server->setReply(reply);

    update(false);
    QCOMPARE(App().WeatherText, QString());
    QCOMPARE(m_balloon, kOldBalloon);
    QVERIFY(Fake().boxes.isEmpty());

    App().WeatherText = kOldLine;
    update(true);
    QCOMPARE(App().WeatherText, QString());
    QCOMPARE(m_balloon, kOldBalloon);
    QCOMPARE(Fake().boxes.size(), diagnosticBox ? 1 : 0);
    if (diagnosticBox) {
        const auto& box = Fake().boxes.first();
        QCOMPARE(box.title, QString("Debug Weather Retrieval"));
        QCOMPARE(box.icon, MsgIcon::Information);
        QVERIFY2(
            box.text.contains(QString("HTTP Status: %1 (%2)")
                                  .arg(QLatin1String(reply.status == 404   ? "Not Found"
                                                     : reply.status == 500 ? "Internal Server Error"
                                                                           : "No Content"))
                                  .arg(reply.status)),
            qPrintable(box.text));
    }
}

void TestUpdateWeather::notWellFormed_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("cut short") << NormalReply().left(200);
    QTest::newRow("html") << QByteArray("<html><body><p>Oops</body></html>");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("entity bomb") << EntityBomb();
}

void TestUpdateWeather::notWellFormed() {
    QFETCH(QByteArray, body);
    serve(body);
    update(true);
    QCOMPARE(App().WeatherText, QString());
    QCOMPARE(m_balloon, kOldBalloon);
    const auto boxes = Fake().boxes;
    QCOMPARE(boxes.size(), 2);
    QCOMPARE(boxes[0].title, QString("Debug Weather Retrieval"));
    QVERIFY(boxes[1].text.startsWith("Error in XML parsing\r\n\r\n"));
    QVERIFY2(QRegularExpression("^Error in XML parsing\r\n\r\n-?[1-9][0-9]* : .+")
                 .match(boxes[1].text)
                 .hasMatch(),
             qPrintable(boxes[1].text));
    QCOMPARE(boxes[1].icon, MsgIcon::None);
    QCOMPARE(boxes[1].title, appTitle());

    Fake().boxes.clear();
    update(false);
    QCOMPARE(Fake().boxes.size(), 1);
    QVERIFY(Fake().boxes[0].text.startsWith("Error in XML parsing"));
}

void TestUpdateWeather::errText_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("alone") << QByteArray(
        "<CurrentWeather><ErrText>Bad zip</ErrText></CurrentWeather>");
    QTest::newRow("with every element")
        << WeatherXml(NormalElements() + Elements{{"ErrText", "Station down"}});
    QTest::newRow("deep and empty") << QByteArray(
        "<CurrentWeather><temp_f>50</temp_f><a><b><ErrText/></b></a></CurrentWeather>");
}

void TestUpdateWeather::errText() {
    QFETCH(QByteArray, body);
    serve(body);
    update(false);
    QCOMPARE(App().WeatherText, kOldLine);
    QCOMPARE(m_balloon, kOldBalloon);
    QVERIFY(Fake().boxes.isEmpty());
    update(true);
    QCOMPARE(App().WeatherText, kOldLine);
    QCOMPARE(Fake().boxes.size(), 1);
    QCOMPARE(Fake().boxes[0].title, QString("Debug Weather Retrieval"));
}

void TestUpdateWeather::diagnosticBox() {
    const QByteArray body =
        "<CurrentWeather><CityState>Springfield, IL</CityState><temp_f>64</temp_f>"
        "<observation_time>Last Updated on Dec 5, 10:00 am CST</observation_time>"
        "</CurrentWeather>";
    serve(body);
    App().ZipCode = "62701";
    update(true);
    QCOMPARE(Fake().boxes.size(), 1);
    const auto& box = Fake().boxes[0];
    QCOMPARE(box.icon, MsgIcon::Information);
    QCOMPARE(box.title, QString("Debug Weather Retrieval"));
    const QUrlQuery q(m_server->requests().at(0).url);
    const QString url = QString("http://%1/Weather/getCurrentConditions.asp?zipCode=62701&Rand=%2")
                            .arg(m_server->hostAndPort(), q.queryItemValue("Rand"));
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
    QCOMPARE(m_server->requests().size(), 1);
    QCOMPARE(App().WeatherText, QString());
    QCOMPARE(m_balloon, kOldBalloon);
    QVERIFY(Fake().boxes.isEmpty());
    QTRY_COMPARE(timerRuns, 2);
}

void TestUpdateWeather::offline() {
    serve(NormalReply());
    Fake().online = false;
    update(true);
    update(false);
    QCOMPARE(m_server->requests().size(), 0);
    QCOMPARE(App().WeatherText, kOldLine);
    QCOMPARE(m_balloon, kOldBalloon);
    QVERIFY(Fake().boxes.isEmpty());
}

void TestUpdateWeather::hostSetting() {
    QCOMPARE(ReadOption("WeatherHost", QString()), m_server->hostAndPort());
    WriteOption("WeatherHost", "");
    QCOMPARE(WeatherHost(), QString("localhost:8797"));
    QCOMPARE(
        WeatherUrl("example.test:81", "72210", 17),
        QString("http://example.test:81/Weather/getCurrentConditions.asp?zipCode=72210&Rand=17"));

    // Nothing listens there: a failed request.
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const quint16 unused = closed.serverPort();
    closed.close();
    WriteOption("WeatherHost", QString("127.0.0.1:%1").arg(unused));
    update(true);
    QCOMPARE(App().WeatherText, QString());
    QVERIFY(Fake().boxes.isEmpty());

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

    WriteOption("WeatherHost", m_server->hostAndPort());
    update(false);
    QCOMPARE(App().WeatherText, QString("95° @ 4:53 pm"));
}

void TestUpdateWeather::mainWindowBalloon() {
    serve(NormalReply());
    frmMain* main = frmMain::form();  // its load fetches the weather once
    QCOMPARE(m_server->requests().size(), 1);
    QCOMPARE(main->m_oTool->text(), NormalConditions());
    QCOMPARE(App().WeatherText, QString("95° @ 4:53 pm"));

    serve(
        "<CurrentWeather><location>Little Rock, AR</location><temp_f>41</temp_f></CurrentWeather>");
    UpdateWeather(false);
    QCOMPARE(main->m_oTool->text(), QString("Conditions at Little Rock, AR\r\n\r\n"));
    QCOMPARE(App().WeatherText, QString("41° @ "));

    // A double click on the time asks again, with the diagnostic box.
    QTest::mouseDClick(main->CurrentTime, Qt::LeftButton);
    QCOMPARE(m_server->requests().size(), 3);
    QCOMPARE(Fake().boxes.size(), 1);
    QCOMPARE(Fake().boxes[0].title, QString("Debug Weather Retrieval"));
    frmMain::unloadForm();
}

HOROLET_TEST_MAIN(TestUpdateWeather)
#include "tst_updateweather.moc"
