#include "stopwatch/Stopwatch.h"

#include "platform/Platform.h"

#include <limits>

namespace horolet {

namespace {

qint32 clamp32(qint64 v) {
    constexpr qint64 lo = std::numeric_limits<qint32>::min();
    constexpr qint64 hi = std::numeric_limits<qint32>::max();
    return qint32(v < lo ? lo : (v > hi ? hi : v));
}

QString twoDigits(qint64 v) {
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}

// Whole seconds of the UTC clock, as the timer's readings are compared.
QDateTime nowWholeSeconds() {
    QDateTime now = platform().currentUtc().toUTC();
    now.setTime(QTime(now.time().hour(), now.time().minute(), now.time().second()));
    return now;
}

}  // namespace

QString ElapsedText(qint32 seconds) {
    const qint64 s = seconds;
    if (s < 60) return QStringLiteral("Elapsed: %1 seconds").arg(s);
    if (s < 3600) return QStringLiteral("Elapsed: %1:%2").arg(s / 60).arg(twoDigits(s % 60));
    return QStringLiteral("Elapsed: %1:%2:%3")
        .arg(twoDigits(s / 3600), twoDigits(s % 3600 / 60), twoDigits(s % 60));
}

StopwatchMachine::StopwatchMachine(StopwatchValues& values, StopwatchDisplay& display)
    : m_values(values), m_display(display) {}

qint32 StopwatchMachine::Reading() const {
    return clamp32(qint64(m_values.StopwatchBankedSeconds) + m_values.StopwatchRunSeconds);
}

void StopwatchMachine::Toggle(StopwatchSource from) {
    StopwatchValues& v = m_values;
    const bool start = v.StopwatchState != 2;
    if (start) {
        m_display.setStatus(QStringLiteral("(Timer running)"));
        m_display.setWindowCaption(QStringLiteral("Timer is running"));
        m_display.setTicking(true);
        v.StopwatchState = 2;
        m_display.setPicture(kPictureGo);
        // The first tick starts the run; a pause or the start-up left no start behind.
        v.StopwatchStart = QDateTime();
    } else {
        m_display.setStatus(QStringLiteral("(Timer paused)"));
        m_display.setWindowCaption(QStringLiteral("Timer is paused"));
        m_display.setTicking(false);
        v.StopwatchState = 1;
        m_display.setPicture(kPicturePause);
        // The display keeps the last tick's value; the part-second since is dropped.
        v.StopwatchBankedSeconds = Reading();
        v.StopwatchRunSeconds = 0;
        v.StopwatchStart = QDateTime();
    }
    m_display.setResetEnabled(!start);
    if (from == StopwatchSource::Menu) m_display.closeMenuHost();
    m_display.setMenuItems(start);
    if (from == StopwatchSource::Button) {
        m_display.focusClock();
        m_display.updateTrayTip();
    }
}

void StopwatchMachine::Reset(StopwatchSource from) {
    StopwatchValues& v = m_values;
    if (v.StopwatchState == 2) return;
    m_display.setStatus(QStringLiteral("(Timer stopped)"));
    m_display.setWindowCaption(QStringLiteral("Timer is stopped"));
    v.StopwatchBankedSeconds = 0;
    v.StopwatchRunSeconds = 0;
    m_display.setPicture(kPictureStop);
    m_display.setElapsed(QStringLiteral("None"));
    if (from == StopwatchSource::Menu) {
        m_display.setWindowElapsed(QStringLiteral("None"));
        m_display.closeMenuHost();
        m_display.updateTrayTip();
    }
}

void StopwatchMachine::Tick() {
    StopwatchValues& v = m_values;
    const QDateTime now = nowWholeSeconds();
    if (v.StopwatchStart.isNull()) {
        // Counts the second between the click and this first tick.
        v.StopwatchStart = now;
        v.StopwatchBankedSeconds = clamp32(qint64(v.StopwatchBankedSeconds) + 1);
        ShowElapsed(v.StopwatchBankedSeconds);
    } else {
        // Measured from the start, so a late or missed tick does not change the count.
        v.StopwatchRunSeconds = clamp32(v.StopwatchStart.secsTo(now));
        ShowElapsed(Reading());
    }
}

void StopwatchMachine::Restore() {
    StopwatchValues& v = m_values;
    if (v.StopwatchBankedSeconds <= 0) {
        // A negative saved reading would otherwise count up from below zero.
        v.StopwatchBankedSeconds = 0;
        m_display.setWindowCaption(QStringLiteral("Timer is stopped"));
        m_display.setWindowElapsed(QStringLiteral("None"));
        return;
    }
    m_display.setStatus(QStringLiteral("(Timer paused)"));
    m_display.setWindowCaption(QStringLiteral("Timer is paused"));
    v.StopwatchState = 1;
    m_display.setPicture(kPicturePause);
    v.StopwatchStart = QDateTime();
    m_display.setResetEnabled(true);
    m_display.setMenuItems(false);
    ShowElapsed(v.StopwatchBankedSeconds);
}

void StopwatchMachine::ShowElapsed(qint32 seconds) {
    m_display.setElapsed(ElapsedText(seconds));
    m_display.updateTrayTip();
    m_display.setWindowElapsed(m_display.elapsed());
}

}  // namespace horolet
