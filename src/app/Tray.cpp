#include "app/Tray.h"

#include "app/MyPopup.h"
#include "app/Pictures.h"
#include "app/frmMain.h"
#include "stopwatch/frmTimerWindow.h"

#include <QCursor>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QSystemTrayIcon>

namespace horolet {

namespace {

constexpr int kTipLength = 63;  // the tip field's 64 characters hold a terminating NUL

QPointer<QSystemTrayIcon>& trayIcon() {
    static QPointer<QSystemTrayIcon> icon;
    return icon;
}

QString currentTip() {
    const frmMain* main = frmMain::loadedForm();
    if (!main) return QString();
    return TrayTipText(main->TimerTextStatus->text(), main->ElapsedTime->text());
}

void onActivated(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
        case QSystemTrayIcon::Trigger:
            ShowTimerWindow();
            break;
        case QSystemTrayIcon::Context:
            OpenContextMenu(QCursor::pos());
            break;
        default:
            break;
    }
}

}  // namespace

QString TrayTipText(const QString& status, const QString& elapsed) {
    return (status + QLatin1Char(' ') + elapsed).left(kTipLength);
}

void RegisterTrayIcon(QWidget* owner) {
    QPointer<QSystemTrayIcon>& icon = trayIcon();
    if (icon) return;
    icon = new QSystemTrayIcon(AppIcon(), owner);
    icon->setToolTip(currentTip());
    // Queued: a menu command may remove the icon, which must not happen while the icon
    // is still handling the click.
    QObject::connect(icon, &QSystemTrayIcon::activated, icon, &onActivated, Qt::QueuedConnection);
    // Stays registered without a notification area; Qt docks it once one appears.
    icon->show();
}

void RemoveTrayIcon() {
    if (QSystemTrayIcon* icon = trayIcon().data()) {
        icon->hide();
        delete icon;
    }
}

void UpdateTrayTip() {
    if (QSystemTrayIcon* icon = trayIcon().data()) icon->setToolTip(currentTip());
}

QSystemTrayIcon* TrayIcon() {
    return trayIcon().data();
}

bool TrayIconShown() {
    const QSystemTrayIcon* icon = trayIcon().data();
    return icon && icon->isVisible() && QSystemTrayIcon::isSystemTrayAvailable();
}

}  // namespace horolet
