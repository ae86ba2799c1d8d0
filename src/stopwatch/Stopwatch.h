#pragma once

#include "app/Globals.h"

#include <QString>

namespace horolet {

// The reading as the stopwatch shows it: "Elapsed: 5 seconds", "Elapsed: 1:05",
// "Elapsed: 01:01:01". Hours never wrap.
QString ElapsedText(qint32 seconds);

// Keys of the three traffic-light pictures of ToggleTimer.
inline const QString kPictureGo = QStringLiteral("Go");
inline const QString kPicturePause = QStringLiteral("Pause");
inline const QString kPictureStop = QStringLiteral("Stop");

// Where a toggle or reset came from: the options-panel buttons or the context menu.
// The two differ in focus, tray refresh, the stopwatch window's label and the menu host.
enum class StopwatchSource { Button, Menu };

// Everything the stopwatch writes to. The real one drives the main window, the stopwatch
// window, the context menu and the tray; tests record the calls.
class StopwatchDisplay {
public:
    virtual ~StopwatchDisplay() = default;

    virtual void setStatus(const QString& text) = 0;         // TimerTextStatus
    virtual void setWindowCaption(const QString& text) = 0;  // frmTimerWindow
    virtual void setElapsed(const QString& text) = 0;        // ElapsedTime
    virtual QString elapsed() const = 0;
    virtual void setWindowElapsed(const QString& text) = 0;  // ElapsedTimeText
    virtual void setPicture(const QString& key) = 0;         // ToggleTimer
    virtual void setTicking(bool on) = 0;                    // Timer2
    virtual void setResetEnabled(bool on) = 0;               // ResetTimer
    // mPopTimer checked and mPopReset disabled exactly while running.
    virtual void setMenuItems(bool running) = 0;
    virtual void closeMenuHost() = 0;
    virtual void focusClock() = 0;
    virtual void updateTrayTip() = 0;
};

// The stopwatch's state changes. The run is measured on the platform's UTC clock, so a
// daylight-saving change does not add or drop an hour, while a clock that is set still
// moves the reading.
class StopwatchMachine final {
public:
    StopwatchMachine(StopwatchValues& values, StopwatchDisplay& display);

    void Toggle(StopwatchSource from);
    // Does nothing while running: neither the button nor the menu item is offered then.
    void Reset(StopwatchSource from);
    void Tick();
    // After the load has made the state idle and banked the saved reading.
    void Restore();
    void ShowElapsed(qint32 seconds);

    // Banked plus run seconds: what is saved under "Timer".
    qint32 Reading() const;

private:
    StopwatchValues& m_values;
    StopwatchDisplay& m_display;
};

}  // namespace horolet
