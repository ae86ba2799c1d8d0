#include "app/MyPopup.h"

#include "app/Globals.h"
#include "app/Tray.h"
#include "app/Twips.h"
#include "app/frmCalendar.h"
#include "app/frmMain.h"
#include "nettime/frmTimeSyncConfig.h"
#include "nettime/frmTimezones.h"
#include "nettime/modTimes.h"
#include "settings/Settings.h"
#include "sticky/frmSticky.h"
#include "stopwatch/StopwatchForms.h"
#include "stopwatch/frmTimerWindow.h"
#include "weather/Weather.h"
#include "weather/forecast/frmPreview.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QMenu>
#include <QPointer>

namespace horolet {

namespace {

QAction* showModally(QMenu* menu, const QPoint& globalPos) {
    return menu->exec(globalPos);
}

MenuShower& shower() {
    static MenuShower s = showModally;
    return s;
}

// Shows a window without an owner, or brings the open one up.
void showModeless(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
}

// The commands. Each runs after the menu has closed; those that unload the host do it
// last, except where the called operation does it itself.

void mnuGetForecast_Click() {
    ShowForecast();
    MyPopup::unloadForm();
}

void mnuUpdateTemp_Click() {
    UpdateWeather(false);
}

void mnuSyncClock_Click() {
    NetTime().SetClockOnReply = true;
    SyncClock();
    NetTime().SetClockOnReply = false;
    MyPopup::unloadForm();
}

// The stopwatch's menu variants close the host themselves.
void mPopTimer_Click() {
    ToggleStopwatch(StopwatchSource::Menu);
}

void mPopReset_Click() {
    ResetStopwatch(StopwatchSource::Menu);
}

void mPopSticky_Click() {
    ShowStickyNote();
    MyPopup::unloadForm();
}

void mPopCal_Click() {
    ShowCalendarWindow();
    MyPopup::unloadForm();
}

void mTimezones_Click() {
    showModeless(frmTimezones::form());
}

void mPopupOptions_Click() {
    if (frmMain* w = frmMain::loadedForm()) w->FoldOrUnfold();
    MyPopup::unloadForm();
}

void mnuTimeSync_Click() {
    showModeless(frmTimeSyncConfig::form());
    MyPopup::unloadForm();
}

void mPopupExit_Click() {
    // 1. A first save; the main window's unload below writes the full set again.
    WriteOption(QStringLiteral("Timer"), QString::number(Stopwatch().StopwatchBankedSeconds));
    if (const frmMain* w = frmMain::loadedForm()) {
        const TwipsGeometry g = windowTwips(w);
        WriteOption(QStringLiteral("Top"), NumberText(g.top));
        WriteOption(QStringLiteral("Left"), NumberText(g.left));
    }
    WriteOption(QStringLiteral("StickyTitle"), Sticky().StickyTitle);
    WriteOption(QStringLiteral("StickyText"), Sticky().StickyText);

    // 2. The menu host, the note and the stopwatch window.
    MyPopup::unloadForm();
    frmSticky::unloadForm();
    frmTimerWindow::unloadForm();

    // 3. The tray icon.
    RemoveTrayIcon();

    // 4. The main window; its unload saves everything and takes the rest down.
    frmMain::unloadForm();
}

void mNeverMind_Click() {
    MyPopup::unloadForm();
    UpdateTrayTip();
}

struct ItemDef {
    QAction* MyPopup::*member;
    const char* name;
    const char* caption;
    void (*command)();
};

// The items in display order, without separators.
const ItemDef kItems[] = {
    {&MyPopup::mnuGetForecast, "mnuGetForecast", "Get &Forecast", mnuGetForecast_Click},
    {&MyPopup::mnuUpdateTemp, "mnuUpdateTemp", "&Update Temperature", mnuUpdateTemp_Click},
    {&MyPopup::mnuSyncClock, "mnuSyncClock", "Sync Clock", mnuSyncClock_Click},
    {&MyPopup::mPopTimer, "mPopTimer", "Start &Timer", mPopTimer_Click},
    {&MyPopup::mPopReset, "mPopReset", "&Reset Timer", mPopReset_Click},
    {&MyPopup::mPopSticky, "mPopSticky", "&Show Sticky", mPopSticky_Click},
    {&MyPopup::mPopCal, "mPopCal", "Show &Calendar", mPopCal_Click},
    {&MyPopup::mTimezones, "mTimezones", "Show &Timezones", mTimezones_Click},
    {&MyPopup::mPopupOptions, "mPopupOptions", "Main &Options", mPopupOptions_Click},
    {&MyPopup::mnuTimeSync, "mnuTimeSync", "Timesync Options", mnuTimeSync_Click},
    {&MyPopup::mPopupExit, "mPopupExit", "&Exit", mPopupExit_Click},
    {&MyPopup::mNeverMind, "mNeverMind", "&Nevermind!", mNeverMind_Click},
};

}  // namespace

MyPopup::MyPopup() : QWidget(nullptr, Qt::Tool) {
    setWindowTitle(QStringLiteral("What do you want?"));

    mPopupSys = new QMenu(QStringLiteral("&Menu"), this);
    mPopupSys->setObjectName(QStringLiteral("mPopupSys"));
    for (const ItemDef& d : kItems) {
        QAction* item = mPopupSys->addAction(QString::fromUtf8(d.caption));
        item->setObjectName(QLatin1String(d.name));
        m_commands.insert(item, d.command);
        this->*d.member = item;
    }
    mPopTimer->setCheckable(true);
}

MyPopup::~MyPopup() = default;

void MyPopup::load() {
    const bool running = Stopwatch().StopwatchState == 2;
    mPopTimer->setChecked(running);
    mPopReset->setEnabled(!running);
}

void MyPopup::click(QAction* item) {
    // Copy the command first: it may delete this host and its items.
    const auto command = m_commands.value(item);
    if (command) command();
}

void MyPopup::closeEvent(QCloseEvent* event) {
    event->accept();
    finishUnload(this);
}

void OpenContextMenu() {
    OpenContextMenu(QCursor::pos());
}

void OpenContextMenu(const QPoint& globalPos) {
    // The popup grabs pointer and keyboard, so it comes up in front of whatever program
    // is active; the host itself is never shown.
    QPointer<MyPopup> host = MyPopup::form();
    QAction* chosen = shower()(host->mPopupSys, globalPos);
    // Something may have unloaded the host while the menu was open.
    if (!host || !chosen) return;
    // The command runs once the event that opened the menu is done with: "&Exit" deletes
    // the clock face and the tray icon that may still be delivering it, and the item
    // itself goes with the host. An item that goes away before then runs nothing.
    QPointer<QAction> item = chosen;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [item] {
            MyPopup* h = MyPopup::loadedForm();
            if (item && h) h->click(item);
        },
        Qt::QueuedConnection);
}

MenuShower SetMenuShower(MenuShower s) {
    MenuShower previous = std::move(shower());
    shower() = s ? std::move(s) : MenuShower(showModally);
    return previous;
}

}  // namespace horolet
