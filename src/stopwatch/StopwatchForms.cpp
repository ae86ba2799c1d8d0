#include "stopwatch/StopwatchForms.h"

#include "app/Globals.h"
#include "app/MyPopup.h"
#include "app/Tray.h"
#include "app/frmMain.h"
#include "stopwatch/TrafficLight.h"
#include "stopwatch/frmTimerWindow.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

namespace horolet {

namespace {

// Writes to the stopwatch window load it, hidden, as any reference to it does; the main
// window is only written while it is loaded.
class FormsDisplay final : public StopwatchDisplay {
public:
    void setStatus(const QString& text) override {
        if (frmMain* m = frmMain::loadedForm()) m->TimerTextStatus->setText(text);
    }
    void setWindowCaption(const QString& text) override {
        frmTimerWindow::form()->setWindowTitle(text);
    }
    void setElapsed(const QString& text) override {
        if (frmMain* m = frmMain::loadedForm()) m->ElapsedTime->setText(text);
    }
    QString elapsed() const override {
        const frmMain* m = frmMain::loadedForm();
        return m ? m->ElapsedTime->text() : QString();
    }
    void setWindowElapsed(const QString& text) override {
        frmTimerWindow::form()->ElapsedTimeText->setText(text);
    }
    void setPicture(const QString& key) override {
        if (frmMain* m = frmMain::loadedForm()) m->ToggleTimer->setIcon(TrafficLightPicture(key));
    }
    void setTicking(bool on) override {
        frmMain* m = frmMain::loadedForm();
        if (!m) return;
        if (on)
            m->Timer2->start();
        else
            m->Timer2->stop();
    }
    void setResetEnabled(bool on) override {
        if (frmMain* m = frmMain::loadedForm()) m->ResetTimer->setEnabled(on);
    }
    void setMenuItems(bool running) override {
        MyPopup* host = MyPopup::form();
        host->mPopTimer->setChecked(running);
        host->mPopReset->setEnabled(!running);
    }
    void closeMenuHost() override { MyPopup::unloadForm(); }
    void focusClock() override {
        if (frmMain* m = frmMain::loadedForm()) m->ClockBackground->setFocus();
    }
    void updateTrayTip() override { UpdateTrayTip(); }
};

template <class Op>
void withStopwatch(Op op) {
    FormsDisplay display;
    StopwatchMachine machine(Stopwatch(), display);
    op(machine);
}

}  // namespace

void ToggleStopwatch(StopwatchSource from) {
    withStopwatch([from](StopwatchMachine& m) { m.Toggle(from); });
}

void ResetStopwatch(StopwatchSource from) {
    withStopwatch([from](StopwatchMachine& m) { m.Reset(from); });
}

void StopwatchTick() {
    withStopwatch([](StopwatchMachine& m) { m.Tick(); });
}

void RestoreStopwatch() {
    withStopwatch([](StopwatchMachine& m) { m.Restore(); });
}

void ShowElapsed(qint32 seconds) {
    withStopwatch([seconds](StopwatchMachine& m) { m.ShowElapsed(seconds); });
}

}  // namespace horolet
