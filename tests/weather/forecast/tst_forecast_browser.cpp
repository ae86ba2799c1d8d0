// The forecast window with the real browser module and engine, against a loopback server.

#include "app/Globals.h"
#include "settings/Settings.h"
#include "support/TestMain.h"
#include "weather/forecast/BrowserModule.h"
#include "weather/forecast/frmPreview.h"

#include <QHttpServer>
#include <QRegularExpression>
#include <QUrlQuery>

using namespace horolet;

namespace {

bool browserEngineMapped() {
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libQt6WebEngineCore");
}

}  // namespace

class TestForecastBrowser final : public QObject {
    Q_OBJECT

    QHttpServer m_server;
    quint16 m_port = 0;
    QList<QUrl> m_requests;
    QStringList m_panel1;  // every text panel 1 was given

    QString linkTarget() const { return QStringLiteral("http://127.0.0.1:%1/next").arg(m_port); }

    // Moves the pointer over the page's link, as a user would.
    static void hoverLink(frmPreview* w) {
        QWidget* surface =
            w->WebBrowser1->focusProxy() ? w->WebBrowser1->focusProxy() : w->WebBrowser1.data();
        QTest::mouseMove(surface, QPoint(20, 20));
        QTest::mouseMove(surface, QPoint(25, 22));
    }

    void openAndWatch() {
        ShowForecast();
        connect(frmPreview::loadedForm()->webSB, &ForecastStatusBar::panelTextChanged, this,
                [this](int panel, const QString& text) {
                    if (panel == 1) m_panel1.append(text);
                });
    }

private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QVERIFY2(!browserEngineMapped(), "the engine is loaded before the window opens");
        SetBrowserModuleDirs({QStringLiteral(HOROLET_TEST_MODULE_DIR)});
        m_server.route(QStringLiteral("/weather/iphone/"), [this](const QHttpServerRequest& r) {
            m_requests.append(r.url());
            const QString page =
                QStringLiteral(
                    "<html><body style='margin:0'><a href='%1' style='display:block;"
                    "width:3000px;height:3000px'>Next</a></body></html>")
                    .arg(linkTarget());
            return QHttpServerResponse("text/html", page.toUtf8());
        });
        m_port = m_server.listen(QHostAddress::LocalHost, 0);
        QVERIFY(m_port != 0);
    }

    void init() {
        test::FreshStart();
        WriteOption(QStringLiteral("WeatherHost"), QStringLiteral("127.0.0.1:%1").arg(m_port));
        App().ZipCode = QStringLiteral("72210&x=1");
        m_requests.clear();
        m_panel1.clear();
    }
    void cleanup() { frmPreview::unloadForm(); }

    void pageLoadsWithProgress() {
        frmPreview* w = frmPreview::form();
        QVERIFY2(w->hasBrowser(), "the browser module did not load");
        QVERIFY(browserEngineMapped());
        QVERIFY(w->WebBrowser1->inherits("QWebEngineView"));
        QCOMPARE(w->webSB->panelText(1), QStringLiteral("Idle."));
        QCOMPARE(w->webSB->panelText(2), QStringLiteral("Idle."));
        openAndWatch();

        QTRY_COMPARE_WITH_TIMEOUT(m_requests.size(), 1, 60000);
        const QUrl seen = m_requests.first();
        QCOMPARE(seen.path(), QStringLiteral("/weather/iphone/"));
        const QUrlQuery query(seen);
        QCOMPARE(query.queryItems(QUrl::FullyDecoded).size(), 1);
        QCOMPARE(query.queryItemValue(QStringLiteral("z"), QUrl::FullyDecoded),
                 QStringLiteral("72210&x=1"));

        // Panel 1 counts up while the page loads and is cleared when it is complete.
        QTRY_VERIFY_WITH_TIMEOUT(!m_panel1.isEmpty() && m_panel1.last().isEmpty(), 60000);
        static const QRegularExpression loading(QStringLiteral("^\\(\\d+% loaded\\)$"));
        QVERIFY2(m_panel1.size() >= 2 && loading.match(m_panel1.first()).hasMatch(),
                 qPrintable(m_panel1.join(QLatin1Char('|'))));

        // Panel 2 tells where the link under the pointer leads.
        QTRY_VERIFY_WITH_TIMEOUT((hoverLink(w), w->webSB->panelText(2) == linkTarget()), 20000);
    }

    void showingAgainKeepsThePageReopeningLoadsAfresh() {
        openAndWatch();
        QTRY_COMPARE_WITH_TIMEOUT(m_requests.size(), 1, 60000);
        frmPreview* w = frmPreview::loadedForm();
        App().ZipCode = QStringLiteral("10001");
        ShowForecast();
        QCOMPARE(frmPreview::loadedForm(), w);
        QTest::qWait(500);
        QCOMPARE(m_requests.size(), 1);

        w->close();
        QVERIFY(!frmPreview::isLoaded());
        QCOMPARE(ReadOption(QStringLiteral("forWidth"), QString()), QStringLiteral("5610"));
        openAndWatch();
        QTRY_COMPARE_WITH_TIMEOUT(m_requests.size(), 2, 60000);
        QCOMPARE(QUrlQuery(m_requests.last()).queryItemValue(QStringLiteral("z")),
                 QStringLiteral("10001"));
    }

    // A run that ends with the window open closes it while the application still stands
    // (the engine crashes the exit otherwise) and keeps its place.
    void endOfRunClosesTheWindow() {
        openAndWatch();
        QTRY_COMPARE_WITH_TIMEOUT(m_requests.size(), 1, 60000);
        frmPreview::loadedForm()->move(150, 75);
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        QCoreApplication::exec();
        QVERIFY(!frmPreview::isLoaded());
        QCOMPARE(ReadOption(QStringLiteral("forLeft"), QString()), QStringLiteral("2250"));
        QCOMPARE(ReadOption(QStringLiteral("forTop"), QString()), QStringLiteral("1125"));
    }
};

HOROLET_TEST_MAIN(TestForecastBrowser)
#include "tst_forecast_browser.moc"
