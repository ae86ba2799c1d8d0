#pragma once

#include "app/Forms.h"

#include <QWidget>

class QFrame;
class QLabel;

namespace horolet {

// The small stopwatch window: its title is the status sentence, its one label a copy
// of the main window's reading. The stopwatch keeps both current; the tray shows it.
class frmTimerWindow final : public QWidget, public Loadable<frmTimerWindow> {
    Q_OBJECT
public:
    frmTimerWindow();
    ~frmTimerWindow() override;

    void load();

    QFrame* TimerPictureBox = nullptr;
    QLabel* ElapsedTimeText = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
};

// Shows the window (loading it first when needed) without an owner, in front.
void ShowTimerWindow();

}  // namespace horolet
