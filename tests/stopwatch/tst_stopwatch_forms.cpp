// The stopwatch through the real windows: the main window's options panel, the
// stopwatch window, the menu host's two items and the tray icon's tip and clicks.

#include "app/MyPopup.h"
#include "app/Tray.h"
#include "app/frmMain.h"
#include "settings/Settings.h"
#include "stopwatch/StopwatchForms.h"
#include "stopwatch/TrafficLight.h"
#include "stopwatch/frmTimerWindow.h"
#include "support/TestMain.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolButton>

using namespace horolet;
using horolet::test::Fake;

class TestStopwatchForms final : public QObject {
    Q_OBJECT

    // The process-wide values and the clock of a fresh process; the store is kept.
    static void newProcess() {
        ResetGlobals();
        installPlatform(std::make_unique<FakePlatform>());
        Fake().online = false;
        Fake().setLocal(QDateTime(QDate(2026, 5, 4), QTime(9, 30, 0, 300)));
    }

    static frmMain* start(const QString& savedTimer = QString()) {
        if (!savedTimer.isNull()) WriteOption(QStringLiteral("Timer"), savedTimer);
        return frmMain::form();
    }

    static void restart() {
        frmMain::unloadForm();
        newProcess();
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
        newProcess();
    }
    void cleanup() {
        SetMenuShower(nullptr);
        frmMain::unloadForm();
        QVERIFY(!frmTimerWindow::isLoaded());
        QVERIFY(!TrayIcon());
    }

    void freshStart() {
        frmMain* w = start();
        QCOMPARE(w->ElapsedTime->text(), QStringLiteral("Idle"));
        QCOMPARE(w->TimerTextStatus->text(), QStringLiteral("(Timer stopped)"));
        QVERIFY(showsPicture(w, kPictureStop));
        QVERIFY(w->ResetTimer->isEnabled());
        QVERIFY(!w->Timer2->isActive());
        QCOMPARE(Stopwatch().StopwatchState, qint16(0));

        frmTimerWindow* t = frmTimerWindow::loadedForm();
        QVERIFY(t);
        QVERIFY(!t->isVisible());
        QCOMPARE(t->windowTitle(), QStringLiteral("Timer is stopped"));
        QCOMPARE(t->ElapsedTimeText->text(), QStringLiteral("None"));
        QVERIFY(!MyPopup::isLoaded());

        QVERIFY(TrayIcon());
        QCOMPARE(tip(), QStringLiteral("(Timer stopped) Idle"));
        QVERIFY(!TrayIcon()->icon().isNull());
        // No notification area here: the program runs without a visible icon.
        QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
        QVERIFY(!TrayIconShown());
    }

    void restoredReading() {
        frmMain* w = start(QStringLiteral("727"));
        QCOMPARE(Stopwatch().StopwatchState, qint16(1));
        QCOMPARE(w->ElapsedTime->text(), QStringLiteral("Elapsed: 12:07"));
        QCOMPARE(w->TimerTextStatus->text(), QStringLiteral("(Timer paused)"));
        QVERIFY(showsPicture(w, kPicturePause));
        QVERIFY(w->ResetTimer->isEnabled());
        QCOMPARE(tip(), QStringLiteral("(Timer paused) Elapsed: 12:07"));
        QCOMPARE(frmTimerWindow::loadedForm()->windowTitle(), QStringLiteral("Timer is paused"));
        QCOMPARE(frmTimerWindow::loadedForm()->ElapsedTimeText->text(),
                 QStringLiteral("Elapsed: 12:07"));
        // The restore sets the menu items, which loads their host.
        QVERIFY(MyPopup::isLoaded());
        QVERIFY(!MyPopup::loadedForm()->mPopTimer->isChecked());
        QVERIFY(MyPopup::loadedForm()->mPopReset->isEnabled());
    }

    void fiveTicksPauseExitRestart() {
        frmMain* w = start();
        w->ToggleTimer->click();
        QVERIFY(showsPicture(w, kPictureGo));
        QVERIFY(!w->ResetTimer->isEnabled());
        QCOMPARE(tip(), QStringLiteral("(Timer running) Idle"));
        for (int i = 0; i < 5; ++i) tick(w);
        QCOMPARE(w->ElapsedTime->text(), QStringLiteral("Elapsed: 5 seconds"));
        QCOMPARE(frmTimerWindow::loadedForm()->ElapsedTimeText->text(),
                 QStringLiteral("Elapsed: 5 seconds"));
        Fake().advance(600);
        w->ToggleTimer->click();
        QVERIFY(!w->Timer2->isActive());
        QCOMPARE(tip(), QStringLiteral("(Timer paused) Elapsed: 5 seconds"));

        restart();
        QCOMPARE(ReadOption(QStringLiteral("Timer"), 0), QStringLiteral("5"));
        w = start();
        QCOMPARE(w->ElapsedTime->text(), QStringLiteral("Elapsed: 5 seconds"));
        QCOMPARE(w->TimerTextStatus->text(), QStringLiteral("(Timer paused)"));
        QVERIFY(showsPicture(w, kPicturePause));
        w->ToggleTimer->click();
        tick(w);
        QCOMPARE(w->ElapsedTime->text(), QStringLiteral("Elapsed: 6 seconds"));
    }

    void exitWhileRunningSavesFullReading() {
        frmMain* w = start(QStringLiteral("100"));
        w->ToggleTimer->click();
        for (int i = 0; i < 4; ++i) tick(w);
        QCOMPARE(Stopwatch().StopwatchRunSeconds, 3);  // the first tick banks its second
        restart();
        QCOMPARE(ReadOption(QStringLiteral("Timer"), 0), QStringLiteral("104"));
        w = start();
        QCOMPARE(w->ElapsedTime->text(), QStringLiteral("Elapsed: 1:44"));
    }

    void resetThenExitStartsIdle() {
        frmMain* w = start(QStringLiteral("727"));
        w->ResetTimer->click();
        QCOMPARE(w->ElapsedTime->text(), QStringLiteral("None"));
        restart();
        QCOMPARE(ReadOption(QStringLiteral("Timer"), 0), QStringLiteral("0"));
        w = start();
        QCOMPARE(w->ElapsedTime->text(), QStringLiteral("Idle"));
        QCOMPARE(Stopwatch().StopwatchState, qint16(0));
    }

    void resetNotOfferedWhileRunning() {
        frmMain* w = start(QStringLiteral("10"));
        w->ToggleTimer->click();
        tick(w);
        w->ResetTimer->click();  // disabled: nothing happens
        QCOMPARE(Stopwatch().StopwatchBankedSeconds, 11);
        QCOMPARE(w->TimerTextStatus->text(), QStringLiteral("(Timer running)"));
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
        frmMain* w = start(QStringLiteral("90"));
        ShowTimerWindow();
        if (fromMenu)
            ResetStopwatch(StopwatchSource::Menu);
        else
            w->ResetTimer->click();
        frmTimerWindow* t = frmTimerWindow::loadedForm();
        QVERIFY(t && t->isVisible());
        QCOMPARE(t->windowTitle(), QStringLiteral("Timer is stopped"));
        QTEST(t->ElapsedTimeText->text(), "windowLabel");
        QTEST(tip(), "trayTip");
        QCOMPARE(w->ElapsedTime->text(), QStringLiteral("None"));
        QCOMPARE(w->TimerTextStatus->text(), QStringLiteral("(Timer stopped)"));
        QVERIFY(showsPicture(w, kPictureStop));
        QCOMPARE(MyPopup::isLoaded(), !fromMenu);  // the menu's reset closes its host
    }

    void menuToggleLeavesTipUntilNextRefresh() {
        frmMain* w = start();
        w->ToggleTimer->click();
        tick(w);
        tick(w);
        ToggleStopwatch(StopwatchSource::Menu);
        QCOMPARE(w->TimerTextStatus->text(), QStringLiteral("(Timer paused)"));
        QCOMPARE(tip(), QStringLiteral("(Timer running) Elapsed: 2 seconds"));
        // The host was closed and its items set afresh.
        QVERIFY(MyPopup::isLoaded());
        QVERIFY(!MyPopup::loadedForm()->mPopTimer->isChecked());
        QVERIFY(MyPopup::loadedForm()->mPopReset->isEnabled());

        ToggleStopwatch(StopwatchSource::Menu);
        QVERIFY(MyPopup::loadedForm()->mPopTimer->isChecked());
        QVERIFY(!MyPopup::loadedForm()->mPopReset->isEnabled());
        QVERIFY(!w->ResetTimer->isEnabled());
        tick(w);
        QCOMPARE(tip(), QStringLiteral("(Timer running) Elapsed: 3 seconds"));
    }

    void trayClickShowsTimerWindow() {
        frmMain* w = start(QStringLiteral("42"));
        trayClick(QSystemTrayIcon::Trigger);
        frmTimerWindow* t = frmTimerWindow::loadedForm();
        QVERIFY(t && t->isVisible());
        QVERIFY(t->windowFlags().testFlag(Qt::Tool));
        QVERIFY(!t->parentWidget());
        QCOMPARE(t->size(), QSize(134, 21));
        QCOMPARE(t->ElapsedTimeText->text(), QStringLiteral("Elapsed: 42 seconds"));
        // A second click only brings the same window up.
        trayClick(QSystemTrayIcon::Trigger);
        QCOMPARE(frmTimerWindow::loadedForm(), t);

        // Running: the label follows each tick.
        w->ToggleTimer->click();
        tick(w);
        QCOMPARE(t->ElapsedTimeText->text(), QStringLiteral("Elapsed: 43 seconds"));

        // Closed while running, the next tick loads it hidden with the running texts.
        QVERIFY(t->close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!frmTimerWindow::isLoaded());
        tick(w);
        t = frmTimerWindow::loadedForm();
        QVERIFY(t && !t->isVisible());
        QCOMPARE(t->windowTitle(), QStringLiteral("Timer is running"));
        QCOMPARE(t->ElapsedTimeText->text(), QStringLiteral("Elapsed: 44 seconds"));
    }

    // Reopened after a close, the window can only tell running from not running.
    void reopenedWindowTexts_data() {
        QTest::addColumn<bool>("reset");
        QTest::addColumn<QString>("label");
        QTest::newRow("paused") << false << "Elapsed: 42 seconds";
        QTest::newRow("reset") << true << "None";
    }
    void reopenedWindowTexts() {
        QFETCH(bool, reset);
        frmMain* w = start(QStringLiteral("42"));
        if (reset) w->ResetTimer->click();
        frmTimerWindow::unloadForm();
        const QString tipBefore = tip();
        trayClick(QSystemTrayIcon::Trigger);
        frmTimerWindow* t = frmTimerWindow::loadedForm();
        QVERIFY(t && t->isVisible());
        QCOMPARE(t->windowTitle(), QStringLiteral("Timer is paused"));
        QTEST(t->ElapsedTimeText->text(), "label");
        // Its load refreshes the tip from the main window.
        QCOMPARE(tip(), TrayTipText(w->TimerTextStatus->text(), w->ElapsedTime->text()));
        QVERIFY(!reset || tip() != tipBefore);
    }

    void trayRightClickOpensMenu() {
        start();
        QMenu* shown = nullptr;
        SetMenuShower([&shown](QMenu* menu, const QPoint&) -> QAction* {
            shown = menu;
            return nullptr;
        });
        trayClick(QSystemTrayIcon::Context);
        QVERIFY(MyPopup::isLoaded());
        QCOMPARE(shown, MyPopup::loadedForm()->mPopupSys);
        QVERIFY(!frmTimerWindow::loadedForm()->isVisible());
    }

    void unloadRemovesIconAndWindow() {
        start();
        ShowTimerWindow();
        frmMain::unloadForm();
        QVERIFY(!TrayIcon());
        QVERIFY(!frmTimerWindow::isLoaded());
        UpdateTrayTip();  // without an icon: no effect
        RemoveTrayIcon();
        QVERIFY(!TrayIcon());
    }
};

HOROLET_TEST_MAIN(TestStopwatchForms)
#include "tst_stopwatch_forms.moc"
