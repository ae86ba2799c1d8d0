#pragma once

#include "app/Forms.h"

#include <QHash>
#include <QPoint>
#include <QWidget>

#include <functional>

class QAction;
class QMenu;

namespace horolet {

// The never-shown host of the one context menu. Most commands unload it, so its next
// load sets the stopwatch items afresh.
class MyPopup final : public QWidget, public Loadable<MyPopup> {
    Q_OBJECT
public:
    MyPopup();
    ~MyPopup() override;

    void load();

    // Runs the command of one of the items below. The host may be unloaded (deleted)
    // by the time this returns.
    void click(QAction* item);

    QMenu* mPopupSys = nullptr;
    QAction* mnuGetForecast = nullptr;
    QAction* mnuUpdateTemp = nullptr;
    QAction* mnuSyncClock = nullptr;
    QAction* mPopTimer = nullptr;  // checked exactly while the stopwatch runs
    QAction* mPopReset = nullptr;  // enabled exactly while it does not
    QAction* mPopSticky = nullptr;
    QAction* mPopCal = nullptr;
    QAction* mTimezones = nullptr;
    QAction* mPopupOptions = nullptr;
    QAction* mnuTimeSync = nullptr;
    QAction* mPopupExit = nullptr;
    QAction* mNeverMind = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QHash<QAction*, void (*)()> m_commands;
};

// Opens the context menu at a screen position (the pointer's by default). The chosen
// item's command runs after the menu has closed.
void OpenContextMenu();
void OpenContextMenu(const QPoint& globalPos);

// Shows the menu and returns the chosen item, or null when it was dismissed. The
// default runs the menu modally; tests install one that does not block.
using MenuShower = std::function<QAction*(QMenu* menu, const QPoint& globalPos)>;
MenuShower SetMenuShower(MenuShower shower);

}  // namespace horolet
