// The stopwatch through the real windows: the main window's options panel, the
// stopwatch window, the menu host and the tray icon's tip and clicks.

#include "app/MyPopup.h"
#include "app/Tray.h"
#include "app/frmMain.h"
#include "settings/Settings.h"
#include "stopwatch/StopwatchForms.h"
#include "stopwatch/TrafficLight.h"
#include "stopwatch/frmTimerWindow.h"
#include "support/TestMain.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolButton>

using namespace horolet;
using horolet::test::Fake;

class TestStopwatchForms final : public QObject {
    Q_OBJECT

    // Ends the program and starts it again on the same store, as a fresh process would.
    static frmMain* restart() {
        frmMain::unloadForm();
        ResetGlobals();
        installPlatform(std::make_unique<FakePlatform>());
        Fake().online = false;
        Fake().setLocal(QDateTime(QDate(2026, 5, 4), QTime(9, 30, 0, 300)));
        return frmMain::form();
    }

    // One event of Timer2, a second after the last.
    static void tick(frmMain* w) {
        QVERIFY(w->Timer2->isActive());
        Fake().advance(1000);
        QVERIFY(QMetaObject::invokeMethod(w->Timer2, "timeout"));
    }

    // The icon handles its clicks once control is back in the event loop.
    static void trayClick(QSystemTrayIcon::ActivationReason reason) {
        emit TrayIcon()->activated(reason);
        QCoreApplication::processEvents();
    }

    static QString tip() { return TrayIcon() ? TrayIcon()->toolTip() : QStringLiteral("<none>"); }

    static bool showsPicture(frmMain* w, const QString& key) {
        const auto img = [](const QPixmap& p) {
            return p.toImage().convertToFormat(QImage::Format_ARGB32);
        };
        return img(w->ToggleTimer->icon().pixmap(16, 16)) == img(TrafficLightPicture(key));
    }

private slots:
    void init() {
        test::FreshStart();
        WriteOption(QStringLiteral("WeatherHost"), QStringLiteral("127.0.0.1:9"));
        WriteOption(QStringLiteral("StickyVisible"), QStringLiteral("False"));
    }
    void cleanup() {
        frmMain::unloadForm();
        QVERIFY(!frmTimerWindow::isLoaded());
        QVERIFY(!TrayIcon());
    }

    void startTexts_data() {
        QTest::addColumn<QString>("saved");
        QTest::addColumn<QString>("trayTip");
        QTest::addColumn<QString>("windowLabel");
        QTest::newRow("fresh") << ""
                               << "(Timer stopped) Idle"
                               << "None";
        QTest::newRow("727 seconds") << "727"
                                     << "(Timer paused) Elapsed: 12:07"
                                     << "Elapsed: 12:07";
    }
    void startTexts() {
        QFETCH(QString, saved);
        if (!saved.isEmpty()) WriteOption(QStringLiteral("Timer"), saved);
        restart();
        QTEST(tip(), "trayTip");
        QVERIFY(!TrayIcon()->icon().isNull());
        // No notification area here: the program runs without a visible icon.
        QVERIFY(!TrayIconShown());
        frmTimerWindow* t = frmTimerWindow::loadedForm();
        QVERIFY(t && !t->isVisible());
        QTEST(t->ElapsedTimeText->text(), "windowLabel");
        // The restore sets the menu items, which loads their host.
        QCOMPARE(MyPopup::isLoaded(), !saved.isEmpty());
    }

    void fiveTicksPauseExitRestart() {
        frmMain* w = restart();
        w->ToggleTimer->click();
        QVERIFY(showsPicture(w, kPictureGo));
        QVERIFY(!w->ResetTimer->isEnabled());
        for (int i = 0; i < 5; ++i) tick(w);
        QCOMPARE(frmTimerWindow::loadedForm()->ElapsedTimeText->text(),
                 QStringLiteral("Elapsed: 5 seconds"));
        Fake().advance(600);
        w->ToggleTimer->click();
        w = restart();
        QCOMPARE(w->ElapsedTime->text(), QStringLiteral("Elapsed: 5 seconds"));
        QVERIFY(showsPicture(w, kPicturePause));
        w->ToggleTimer->click();
        tick(w);
        QCOMPARE(w->ElapsedTime->text(), QStringLiteral("Elapsed: 6 seconds"));
        // Ended while running, the banked and the running seconds are saved.
        for (int i = 0; i < 3; ++i) tick(w);
        w->ResetTimer->click();  // disabled while running: nothing happens
        w = restart();
        QCOMPARE(ReadOption(QStringLiteral("Timer"), 0), QStringLiteral("9"));
    }

    void resetFromButtonOrMenu_data() {
        QTest::addColumn<bool>("fromMenu");
        QTest::addColumn<QString>("windowLabel");
        QTest::addColumn<QString>("trayTip");
        QTest::newRow("button") << false << "Elapsed: 1:30"
                                << "(Timer paused) Elapsed: 1:30";
        QTest::newRow("menu") << true << "None"
                              << "(Timer stopped) None";
    }
    void resetFromButtonOrMenu() {
        QFETCH(bool, fromMenu);
        WriteOption(QStringLiteral("Timer"), QStringLiteral("90"));
        frmMain* w = restart();
        ShowTimerWindow();
        if (fromMenu)
            ResetStopwatch(StopwatchSource::Menu);
        else
            w->ResetTimer->click();
        frmTimerWindow* t = frmTimerWindow::loadedForm();
        QCOMPARE(t->windowTitle(), QStringLiteral("Timer is stopped"));
        QTEST(t->ElapsedTimeText->text(), "windowLabel");
        QTEST(tip(), "trayTip");
        QCOMPARE(w->ElapsedTime->text(), QStringLiteral("None"));
        QVERIFY(showsPicture(w, kPictureStop));
        QCOMPARE(MyPopup::isLoaded(), !fromMenu);  // the menu's reset closes its host
        // Reopened, the window can only tell running from not running; its load
        // refreshes the tip.
        frmTimerWindow::unloadForm();
        trayClick(QSystemTrayIcon::Trigger);
        QCOMPARE(frmTimerWindow::loadedForm()->windowTitle(), QStringLiteral("Timer is paused"));
        QCOMPARE(frmTimerWindow::loadedForm()->ElapsedTimeText->text(), QStringLiteral("None"));
        QCOMPARE(tip(), QStringLiteral("(Timer stopped) None"));
        w = restart();
        QCOMPARE(w->ElapsedTime->text(), QStringLiteral("Idle"));
    }

    void trayClickShowsTimerWindow() {
        WriteOption(QStringLiteral("Timer"), QStringLiteral("42"));
        frmMain* w = restart();
        frmTimerWindow::unloadForm();
        trayClick(QSystemTrayIcon::Trigger);
        frmTimerWindow* t = frmTimerWindow::loadedForm();
        QVERIFY(t && t->isVisible());
        QVERIFY(t->windowFlags().testFlag(Qt::Tool));
        QCOMPARE(t->windowTitle(), QStringLiteral("Timer is paused"));
        QCOMPARE(t->ElapsedTimeText->text(), QStringLiteral("Elapsed: 42 seconds"));
        // Closed while running, the next tick loads it hidden with the running texts.
        w->ToggleTimer->click();
        QVERIFY(t->close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!frmTimerWindow::isLoaded());
        tick(w);
        t = frmTimerWindow::loadedForm();
        QVERIFY(t && !t->isVisible());
        QCOMPARE(t->windowTitle(), QStringLiteral("Timer is running"));
        QCOMPARE(t->ElapsedTimeText->text(), QStringLiteral("Elapsed: 43 seconds"));
    }
};

HOROLET_TEST_MAIN(TestStopwatchForms)
#include "tst_stopwatch_forms.moc"
