#include "app/Forms.h"
#include "app/Globals.h"
#include "app/MyPopup.h"
#include "app/Tray.h"
#include "app/Twips.h"
#include "app/frmCalendar.h"
#include "app/frmMain.h"
#include "nettime/NtpTestPeer.h"
#include "nettime/frmTimeSyncConfig.h"
#include "nettime/frmTimezones.h"
#include "settings/ConfFormat.h"
#include "settings/Settings.h"
#include "sticky/frmSticky.h"
#include "stopwatch/StopwatchForms.h"
#include "support/TestMain.h"
#include "weather/forecast/BrowserModule.h"
#include "weather/forecast/frmPreview.h"

#include <QAction>
#include <QCalendarWidget>
#include <QDesktopServices>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSystemTrayIcon>

using namespace horolet;

// Stands in for the desktop's browser.
class UrlRecorder final : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.append(url); }
};

class TestMenu final : public QObject {
    Q_OBJECT

    QTemporaryDir m_noBrowserModule;
    UrlRecorder m_desktop;

    // What the menu looked like each time it opened, and which item to choose.
    struct Opening {
        QStringList captions;
        bool timerChecked = false;
        bool resetEnabled = false;
        QPoint at;
    };
    QList<Opening> m_openings;
    QString m_choose;  // object name of the item to choose; empty: dismiss

    static QSettings::SettingsMap storedMap() {
        QFile f(SettingsFilePath());
        QSettings::SettingsMap map;
        if (f.open(QIODevice::ReadOnly)) readConf(f, map);
        return map;
    }

    static void flushUnloads() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Opens the menu and chooses an item, as a click on it would.
    void choose(const QString& item) {
        m_choose = item;
        OpenContextMenu(QPoint(40, 30));
        m_choose.clear();
        QCoreApplication::sendPostedEvents();  // the chosen command
        flushUnloads();
    }

private slots:
    void initTestCase() {
        // The forecast window opens without its browser and never reaches the network.
        SetBrowserModuleDirs({m_noBrowserModule.path()});
        for (const char* scheme : {"http", "https"})
            QDesktopServices::setUrlHandler(QLatin1String(scheme), &m_desktop, "open");
    }
    void cleanupTestCase() {
        for (const char* scheme : {"http", "https"})
            QDesktopServices::unsetUrlHandler(QLatin1String(scheme));
    }

    void init() {
        test::FreshStart();
        test::Fake().online = false;
        m_openings.clear();
        m_choose.clear();
        SetMenuShower([this](QMenu* menu, const QPoint& at) -> QAction* {
            auto* host = qobject_cast<MyPopup*>(menu->parentWidget());
            Opening o;
            for (const QAction* a : menu->actions()) o.captions << a->text();
            o.timerChecked = host->mPopTimer->isChecked();
            o.resetEnabled = host->mPopReset->isEnabled();
            o.at = at;
            m_openings << o;
            if (m_choose == QLatin1String("orphan")) {
                // The host goes away while the menu is open.
                QAction* exit = host->mPopupExit;
                MyPopup::unloadForm();
                return exit;
            }
            return m_choose.isEmpty() ? nullptr : menu->findChild<QAction*>(m_choose);
        });
    }
    void cleanup() {
        frmTimezones::unloadForm();
        frmTimeSyncConfig::unloadForm();
        frmPreview::unloadForm();
        frmCalendar::unloadForm();
        frmMain::unloadForm();
        MyPopup::unloadForm();
        flushUnloads();
        SetMenuShower(nullptr);
    }

    void twelveItemsInOrder() {
        OpenContextMenu(QPoint(40, 30));
        QCOMPARE(m_openings.size(), 1);
        QCOMPARE(m_openings[0].at, QPoint(40, 30));
        const QStringList expected = {
            "Get &Forecast", "&Update Temperature", "Sync Clock",     "Start &Timer",
            "&Reset Timer",  "&Show Sticky",        "Show &Calendar", "Show &Timezones",
            "Main &Options", "Timesync Options",    "&Exit",          "&Nevermind!"};
        QCOMPARE(m_openings[0].captions, expected);

        MyPopup* host = MyPopup::loadedForm();
        QVERIFY(host);  // a dismissed menu leaves its host loaded
        QVERIFY(!host->isVisible());
        QCOMPARE(host->windowTitle(), QStringLiteral("What do you want?"));
        QCOMPARE(host->mPopupSys->title(), QStringLiteral("&Menu"));
        for (const QAction* a : host->mPopupSys->actions()) {
            QVERIFY(!a->isSeparator());
            QVERIFY(a->isVisible());
            QVERIFY2(a->isEnabled(), qPrintable(a->text()));
            QVERIFY2(!a->isChecked(), qPrintable(a->text()));
        }
    }

    void stopwatchItemsFollowTheState_data() {
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<bool>("resetEnabled");
        QTest::newRow("idle") << 0 << false << true;
        QTest::newRow("paused") << 1 << false << true;
        QTest::newRow("running") << 2 << true << false;
    }
    void stopwatchItemsFollowTheState() {
        QFETCH(int, state);
        QFETCH(bool, checked);
        QFETCH(bool, resetEnabled);
        // Loaded once while idle: only a fresh load picks the state up.
        OpenContextMenu(QPoint(1, 1));
        MyPopup::unloadForm();
        Stopwatch().StopwatchState = qint16(state);
        OpenContextMenu(QPoint(1, 1));
        QCOMPARE(m_openings.size(), 2);
        QCOMPARE(m_openings[1].timerChecked, checked);
        QCOMPARE(m_openings[1].resetEnabled, resetEnabled);
    }

    void commandsUnloadTheHost_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<bool>("unloads");
        QTest::newRow("Nevermind") << "mNeverMind" << true;
        QTest::newRow("Update Temperature") << "mnuUpdateTemp" << false;
        QTest::newRow("Show Calendar") << "mPopCal" << true;
        QTest::newRow("Main Options") << "mPopupOptions" << true;
        QTest::newRow("Get Forecast") << "mnuGetForecast" << true;
        QTest::newRow("Show Timezones") << "mTimezones" << false;
        QTest::newRow("Timesync Options") << "mnuTimeSync" << true;
    }
    void commandsUnloadTheHost() {
        QFETCH(QString, item);
        QFETCH(bool, unloads);
        frmMain::form();
        choose(item);
        QCOMPARE(MyPopup::isLoaded(), !unloads);
    }

    void nevermindClosesNothingVisible() {
        frmMain* w = frmMain::form();
        ShowCalendarWindow();
        const bool expanded = App().OptionsExpanded;
        // A status the tip has not caught up with yet, as after a pause from the menu.
        w->TimerTextStatus->setText(QStringLiteral("(Timer paused)"));
        QCOMPARE(TrayIcon()->toolTip(), QStringLiteral("(Timer stopped) Idle"));
        choose(QStringLiteral("mNeverMind"));
        QVERIFY(!MyPopup::isLoaded());
        QVERIFY(w->isVisible());
        QVERIFY(frmCalendar::loadedForm()->isVisible());
        QCOMPARE(App().OptionsExpanded, expanded);
        QCOMPARE(TrayIcon()->toolTip(), QStringLiteral("(Timer paused) Idle"));
    }

    // The two stopwatch items drive the stopwatch and show its state at the next opening.
    void stopwatchFromTheMenu() {
        frmMain* w = frmMain::form();
        choose(QStringLiteral("mPopTimer"));
        QCOMPARE(Stopwatch().StopwatchState, qint16(2));
        QVERIFY(w->Timer2->isActive());
        choose(QString());
        QVERIFY(m_openings.last().timerChecked);
        QVERIFY(!m_openings.last().resetEnabled);

        StopwatchTick();
        test::Fake().advance(3000);
        StopwatchTick();
        choose(QStringLiteral("mPopTimer"));  // pause
        QCOMPARE(Stopwatch().StopwatchState, qint16(1));
        QVERIFY(Stopwatch().StopwatchBankedSeconds > 0);
        choose(QString());
        QVERIFY(!m_openings.last().timerChecked);
        QVERIFY(m_openings.last().resetEnabled);

        choose(QStringLiteral("mPopReset"));
        QCOMPARE(Stopwatch().StopwatchBankedSeconds, 0);
        QCOMPARE(w->ElapsedTime->text(), QStringLiteral("None"));
        QVERIFY(!MyPopup::isLoaded());
    }

    void showCalendarTwiceShowsOneWindow() {
        choose(QStringLiteral("mPopCal"));
        frmCalendar* f = frmCalendar::loadedForm();
        QVERIFY(f && f->isVisible());
        QVERIFY(!MyPopup::isLoaded());
        f->MonthView1->showNextMonth();
        const int month = f->MonthView1->monthShown();
        choose(QStringLiteral("mPopCal"));
        QCOMPARE(frmCalendar::loadedForm(), f);
        QCOMPARE(f->MonthView1->monthShown(), month);  // not loaded again
    }

    void windowsOpenModeless() {
        choose(QStringLiteral("mnuGetForecast"));
        QVERIFY(frmPreview::loadedForm() && frmPreview::loadedForm()->isVisible());
        choose(QStringLiteral("mnuTimeSync"));
        QVERIFY(frmTimeSyncConfig::loadedForm() && frmTimeSyncConfig::loadedForm()->isVisible());
        for (QWidget* w : {static_cast<QWidget*>(frmPreview::loadedForm()),
                           static_cast<QWidget*>(frmTimeSyncConfig::loadedForm())}) {
            QVERIFY(!w->parentWidget());
            QVERIFY(!w->isModal());
        }
        QVERIFY(m_desktop.opened.isEmpty());
    }

    void timezonesTwiceShowsOneWindow() {
        choose(QStringLiteral("mTimezones"));
        frmTimezones* first = frmTimezones::loadedForm();
        QVERIFY(first && first->isVisible());
        choose(QStringLiteral("mTimezones"));
        QCOMPARE(frmTimezones::loadedForm(), first);
        const QWidgetList tops = QApplication::topLevelWidgets();
        QCOMPARE(std::count_if(tops.begin(), tops.end(),
                               [](QWidget* t) { return qobject_cast<frmTimezones*>(t); }),
                 1);
        QVERIFY(MyPopup::isLoaded());
    }

    // The menu's sync sets the clock from the reply and leaves the flag off again.
    void syncClockSetsTheClock() {
        const QHostAddress peer(QStringLiteral("127.0.0.77"));
        test::FakeNtpServer server(peer, 123);
        if (!server.bound) QSKIP("no permission to serve port 123 on a loopback address");
        server.script = [](const QByteArray& request) {
            return QList<test::FakeNtpServer::Datagram>{
                {test::ServerReply(request, 3913056000u, 0), nullptr}};
        };
        FakePlatform& fake = test::Fake();
        fake.online = true;
        fake.realTicks = true;  // a lost reply ends the wait after 10 s
        fake.resolveAnswer = peer.toString();
        NetTime().NtpServer = QStringLiteral("time.menu.test");

        choose(QStringLiteral("mnuSyncClock"));
        QCOMPARE(fake.lookups, QStringList{QStringLiteral("time.menu.test")});
        QCOMPARE(server.requests.size(), 1);
        QCOMPARE(fake.clockSets.size(), 1);
        QCOMPARE(fake.clockSets.first().date(), QDate(2024, 1, 1));
        QVERIFY(!NetTime().SetClockOnReply);
        QVERIFY(!MyPopup::isLoaded());
    }

    void syncClockFailureLeavesTheFlagOff() {
        test::Fake().online = true;
        test::Fake().resolveAnswer.clear();  // the server's name does not resolve
        NetTime().NtpServer = QStringLiteral("nowhere.menu.test");
        choose(QStringLiteral("mnuSyncClock"));
        QCOMPARE(test::Fake().lookups, QStringList{QStringLiteral("nowhere.menu.test")});
        QVERIFY(test::Fake().clockSets.isEmpty());
        QVERIFY(!NetTime().SetClockOnReply);
        QVERIFY(!MyPopup::isLoaded());
    }

    void mainOptionsFolds() {
        frmMain* w = frmMain::form();
        choose(QStringLiteral("mPopupOptions"));
        QVERIFY(App().OptionsExpanded);
        QCOMPARE(w->height(), twipsToPx(frmMain::kUnfoldedHeight));
        choose(QStringLiteral("mPopupOptions"));
        QVERIFY(!App().OptionsExpanded);
        QCOMPARE(w->height(), twipsToPx(frmMain::kFoldedHeight));
    }

    void showStickyShowsTheRememberedNote() {
        WriteOption(QStringLiteral("StickyVisible"), QStringLiteral("False"));
        WriteOption(QStringLiteral("StickyTitle"), QStringLiteral("Groceries"));
        frmMain::form();
        QVERIFY(!Sticky().StickyVisible);
        frmSticky* note = frmSticky::loadedForm();
        QVERIFY(note && !note->isVisible());
        choose(QStringLiteral("mPopSticky"));
        note = frmSticky::loadedForm();
        QVERIFY(note && note->isVisible());
        QCOMPARE(note->dataStickyTitle->text(), QStringLiteral("Groceries"));
        QVERIFY(Sticky().StickyVisible);
        QVERIFY(!MyPopup::isLoaded());
    }

    void updateTemperatureKeepsTheHost() {
        frmMain::form();
        choose(QStringLiteral("mnuUpdateTemp"));
        QVERIFY(MyPopup::isLoaded());
    }

    // The menu closing without a choice runs nothing; nor does a choice whose host went
    // away while the menu was open.
    void dismissedOrOrphanedChoiceRunsNothing() {
        frmMain* w = frmMain::form();
        OpenContextMenu(QPoint(5, 5));
        QVERIFY(MyPopup::isLoaded());
        choose(QStringLiteral("orphan"));
        QVERIFY(frmMain::isLoaded());
        QVERIFY(w->isVisible());
    }

    // "&Exit" and the close button store the same values, the full reading included.
    void exitStoresWhatTheCloseButtonStores_data() {
        QTest::addColumn<bool>("viaMenu");
        QTest::newRow("close button") << false;
        QTest::newRow("menu exit") << true;
    }
    void exitStoresWhatTheCloseButtonStores() {
        QFETCH(bool, viaMenu);
        WriteOption(QStringLiteral("Left"), QStringLiteral("1500"));
        WriteOption(QStringLiteral("Top"), QStringLiteral("-750"));
        WriteOption(QStringLiteral("StickyTitle"), QStringLiteral("Shopping"));
        frmMain* w = frmMain::form();
        StopwatchValues& sw = Stopwatch();
        sw.StopwatchState = 2;
        sw.StopwatchBankedSeconds = 700;
        sw.StopwatchRunSeconds = 27;
        if (viaMenu)
            choose(QStringLiteral("mPopupExit"));
        else
            w->CloseHorolet->click();
        flushUnloads();
        QVERIFY(!frmMain::isLoaded());
        QVERIFY(!MyPopup::isLoaded());
        QVERIFY(!TrayIcon());
        const QSettings::SettingsMap map = storedMap();
        QCOMPARE(map.value(QStringLiteral("Options/Timer")).toString(), QStringLiteral("727"));
        QCOMPARE(map.value(QStringLiteral("Options/Left")).toString(), QStringLiteral("1500"));
        QCOMPARE(map.value(QStringLiteral("Options/Top")).toString(), QStringLiteral("-750"));
        QCOMPARE(map.value(QStringLiteral("Options/StickyTitle")).toString(),
                 QStringLiteral("Shopping"));
        QCOMPARE(map.size(), 14);
    }

    // A press that opens the menu is fully handled before the command runs, so "&Exit"
    // does not pull the clock face away from under its own mouse event.
    void commandWaitsForTheOpeningPress() {
        frmMain* w = frmMain::form();
        m_choose = QStringLiteral("mPopupExit");
        QTest::mousePress(w->CurrentTime, Qt::RightButton, {}, QPoint(5, 5));
        QCOMPARE(m_openings.size(), 1);
        QVERIFY(frmMain::isLoaded());
        QTest::mouseRelease(w->CurrentTime, Qt::RightButton, {}, QPoint(5, 5));
        QCoreApplication::sendPostedEvents();
        flushUnloads();
        QVERIFY(!frmMain::isLoaded());
        QVERIFY(storedMap().contains(QStringLiteral("Options/Timer")));
    }

    void exitLeavesTheCalendarRunning() {
        frmMain::form();
        ShowCalendarWindow();
        choose(QStringLiteral("mPopupExit"));
        QVERIFY(!frmMain::isLoaded());
        QVERIFY(storedMap().contains(QStringLiteral("Options/Timer")));
        QVERIFY(frmCalendar::loadedForm()->isVisible());
        QCOMPARE(FormLifetime::loadedCount(), 1);
        frmCalendar::loadedForm()->close();
        flushUnloads();
        QCOMPARE(FormLifetime::loadedCount(), 0);
    }
};

HOROLET_TEST_MAIN(TestMenu)
#include "tst_menu.moc"
