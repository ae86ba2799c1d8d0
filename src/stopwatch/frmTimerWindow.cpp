#include "stopwatch/frmTimerWindow.h"

#include "app/Globals.h"
#include "app/Pictures.h"
#include "app/Tray.h"
#include "app/Twips.h"
#include "app/frmMain.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>

namespace horolet {

frmTimerWindow::frmTimerWindow()
    : QWidget(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
    setWindowTitle(QStringLiteral("Timer"));
    setWindowIcon(AppIcon());
    setFixedSize(twipsToPx(2010), twipsToPx(315));

    TimerPictureBox = new QFrame(this);
    TimerPictureBox->setGeometry(twipsRect(15, 30, 1965, 255));
    ElapsedTimeText = new QLabel(QStringLiteral("None"), TimerPictureBox);
    ElapsedTimeText->setGeometry(twipsRect(0, 0, 1965, 225));
    ElapsedTimeText->setAlignment(Qt::AlignCenter);
    ElapsedTimeText->setAccessibleDescription(QStringLiteral("Stopwatch reading"));
}

frmTimerWindow::~frmTimerWindow() = default;

void frmTimerWindow::load() {
    if (const frmMain* main = frmMain::loadedForm())
        ElapsedTimeText->setText(main->ElapsedTime->text());
    // The state does not tell an idle or reset stopwatch from a paused one.
    setWindowTitle(Stopwatch().StopwatchState == 2 ? QStringLiteral("Timer is running")
                                                   : QStringLiteral("Timer is paused"));
    UpdateTrayTip();
}

void frmTimerWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    finishUnload(this);
}

void ShowTimerWindow() {
    frmTimerWindow* w = frmTimerWindow::form();
    w->show();
    w->raise();
    w->activateWindow();
}

}  // namespace horolet
