// The forecast window without its browser module: placement, layout, events and the
// offer of the desktop's browser.

#include "app/Globals.h"
#include "settings/Settings.h"
#include "support/TestMain.h"
#include "weather/forecast/BrowserModule.h"
#include "weather/forecast/frmPreview.h"

#include <QDesktopServices>
#include <QLabel>

using namespace horolet;

// Stands in for the desktop's browser.
class UrlRecorder final : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.append(url); }
};

class TestFrmPreview final : public QObject {
    Q_OBJECT

    QTemporaryDir m_noModule;
    UrlRecorder m_desktop;

    static void storePlace(qint32 top, qint32 left, qint32 width, qint32 height) {
        WriteOption(QStringLiteral("forTop"), QString::number(top));
        WriteOption(QStringLiteral("forLeft"), QString::number(left));
        WriteOption(QStringLiteral("forWidth"), QString::number(width));
        WriteOption(QStringLiteral("forHeight"), QString::number(height));
    }
    static QString stored(const char* key) {
        return ReadOption(QString::fromLatin1(key), QStringLiteral("(absent)"));
    }
    static int questions() {
        int n = 0;
        for (const auto& box : test::Fake().boxes) n += box.icon == MsgIcon::Question;
        return n;
    }

private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        SetBrowserModuleDirs({m_noModule.path()});
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &m_desktop, "open");
    }
    void cleanupTestCase() { QDesktopServices::unsetUrlHandler(QStringLiteral("http")); }

    void init() {
        test::FreshStart();
        App().ZipCode = QStringLiteral("72210");
        m_desktop.opened.clear();
    }
    void cleanup() { frmPreview::unloadForm(); }

    void firstRunAtDesignSize() {
        frmPreview* w = frmPreview::form();
        QCOMPARE(w->windowTitle(), QStringLiteral("Current Weather"));
        QVERIFY(w->windowFlags().testFlag(Qt::Tool));
        QVERIFY(!w->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!w->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(test::Fake().hiddenFromTaskbar.contains(w));
        QCOMPARE(w->size(), QSize(374, 391));  // 5610 x 5865 twips
        QCOMPARE(w->WebBrowser1->geometry(), QRect(4, 4, 367, 365));
        QCOMPARE(w->webSB->geometry(), QRect(0, 369, 374, 22));
        const ForecastPlace place = w->currentPlace();
        w->close();
        QVERIFY(!frmPreview::isLoaded());
        QCOMPARE(stored("forWidth"), QStringLiteral("5610"));
        QCOMPARE(stored("forHeight"), QStringLiteral("5865"));
        QCOMPARE(stored("forTop"), QString::number(place.top));
        QCOMPARE(stored("forLeft"), QString::number(place.left));
    }

    void placementRoundTrip() {
        storePlace(1500, 3000, 9000, 6015);
        frmPreview* w = frmPreview::form();
        QCOMPARE(w->frameGeometry().topLeft(), QPoint(200, 100));
        QCOMPARE(w->size(), QSize(600, 401));
        QCOMPARE(w->WebBrowser1->size(), QSize(593, 375));
        QCOMPARE(w->webSB->geometry(), QRect(0, 379, 600, 22));
        w->close();
        QCOMPARE(stored("forTop"), QStringLiteral("1500"));
        QCOMPARE(stored("forLeft"), QStringLiteral("3000"));
        QCOMPARE(stored("forWidth"), QStringLiteral("9000"));
        QCOMPARE(stored("forHeight"), QStringLiteral("6015"));
    }

    void placeOffEveryScreenComesBack() {
        ScreenMetrics& screens = test::Fake().screens;
        screens.primary = QRect(0, 0, 1920, 1080);
        screens.screens = {screens.primary, QRect(1920, 0, 1280, 800)};
        screens.virtualDesktop = QRect(0, 0, 3200, 1080);
        // Below the smaller second screen: inside the bounding box, but on no screen.
        storePlace(900 * 15, 2000 * 15, 100 * 15, 100 * 15);
        frmPreview* w = frmPreview::form();
        QCOMPARE(w->frameGeometry().topLeft(), QPoint(1820, 900));
    }

    void userResizeRefitsBrowser() {
        ShowForecast();
        frmPreview* w = frmPreview::loadedForm();
        w->resize(500, 300);
        QTRY_COMPARE(w->WebBrowser1->size(), QSize(493, 274));
        QCOMPARE(w->webSB->geometry(), QRect(0, 278, 500, 22));
        w->resize(5, 10);  // never a negative size
        QTRY_COMPARE(w->WebBrowser1->size(), QSize(0, 0));
    }

    void eventsReachThePanels() {
        frmPreview* w = frmPreview::form();
        w->ProgressChange(50, 200);
        QCOMPARE(w->webSB->panelText(1), QStringLiteral("(25% loaded)"));
        w->ProgressChange(7, 0);
        QCOMPARE(w->webSB->panelText(1), QStringLiteral("(25% loaded)"));
        w->ProgressChange(4, 4);
        QCOMPARE(w->webSB->panelText(1), QString());
        w->StatusTextChange(QStringLiteral("http://127.0.0.1/next"));
        QCOMPARE(w->webSB->panelText(2), QStringLiteral("http://127.0.0.1/next"));
    }

    void withoutModuleExplainsAndOffers_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("declined") << false;
        QTest::newRow("accepted") << true;
    }
    void withoutModuleExplainsAndOffers() {
        QFETCH(bool, yes);
        test::Fake().yesNoAnswer = yes;
        App().ZipCode = QStringLiteral("72210&x=1");
        ShowForecast();
        frmPreview* w = frmPreview::loadedForm();
        QVERIFY(!w->hasBrowser());
        QVERIFY(!BrowserModuleLoaded());
        const QString address =
            QStringLiteral("http://localhost:8797/weather/iphone/?z=72210%26x%3D1");
        QCOMPARE(w->address().toEncoded(), address.toLatin1());
        QCOMPARE(w->webSB->panelText(1), QStringLiteral("No built-in browser."));
        QCOMPARE(w->webSB->panelText(2), address);
        QVERIFY(qobject_cast<QLabel*>(w->WebBrowser1.data())->text().contains(address));

        QTRY_COMPARE(questions(), 1);
        const auto box = test::Fake().boxes.last();
        QCOMPARE(box.title, QStringLiteral("Current Weather"));
        QVERIFY(box.text.contains(address));
        QCoreApplication::processEvents();
        QCOMPARE(m_desktop.opened, yes ? QList<QUrl>{w->address()} : QList<QUrl>{});

        // Showing the open window again neither asks again nor builds a new address.
        App().ZipCode = QStringLiteral("10001");
        ShowForecast();
        QCOMPARE(frmPreview::loadedForm(), w);
        QTest::qWait(50);
        QCOMPARE(questions(), 1);
        QCOMPARE(w->address().toEncoded(), address.toLatin1());
    }

    void brokenModuleIsReported() {
        QTemporaryDir dir;
        QFile broken(dir.filePath(QStringLiteral("libhorolet-browser.so")));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("not a library");
        broken.close();
        SetBrowserModuleDirs({dir.path()});
        ShowForecast();
        SetBrowserModuleDirs({m_noModule.path()});
        frmPreview* w = frmPreview::loadedForm();
        QVERIFY(!w->hasBrowser());
        QVERIFY(w->isVisible());
        QTRY_COMPARE(questions(), 1);
        QVERIFY2(test::Fake().boxes.last().text.contains(broken.fileName()),
                 qPrintable(test::Fake().boxes.last().text));
    }

    void unusableHostSetting() {
        WriteOption(QStringLiteral("WeatherHost"), QStringLiteral("evil.example/x?"));
        ShowForecast();
        frmPreview* w = frmPreview::loadedForm();
        QVERIFY(!w->address().isValid());
        QCOMPARE(w->webSB->panelText(1), QStringLiteral("No forecast address."));
        QVERIFY(w->webSB->panelText(2).contains(QStringLiteral("evil.example/x?")));
        QTest::qWait(50);
        QCOMPARE(questions(), 0);
    }
};

HOROLET_TEST_MAIN(TestFrmPreview)
#include "tst_frmpreview.moc"
