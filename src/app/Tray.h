#pragma once

#include <QString>

class QSystemTrayIcon;
class QWidget;

namespace horolet {

// The notification-area icon: the program's clock face, its tip the stopwatch status and
// reading. A left click shows the stopwatch window, a right click opens the context menu.
// Without a notification area the program runs iconless; the icon docks when one appears.

// Registers the icon, owned by the main window, with the current tip.
void RegisterTrayIcon(QWidget* owner);
// Removes the icon; without one it does nothing.
void RemoveTrayIcon();
// Rebuilds the tip from TimerTextStatus and ElapsedTime; without an icon it does nothing.
void UpdateTrayTip();

// Status, one blank, reading, cut to the 63 characters the tip holds.
QString TrayTipText(const QString& status, const QString& elapsed);

// The registered icon, or null.
QSystemTrayIcon* TrayIcon();
// Registered, and a notification area is there to show it.
bool TrayIconShown();

}  // namespace horolet
