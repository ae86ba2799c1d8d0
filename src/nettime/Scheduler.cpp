#include "nettime/Scheduler.h"

#include "app/Globals.h"
#include "app/frmMain.h"
#include "nettime/modTimes.h"
#include "weather/Weather.h"

#include <QLabel>
#include <QTimer>

namespace horolet {

namespace {

qint16 nextMinute(qint16 count) {
    return qint16(quint16(count) + 1u);
}

}  // namespace

void MinuteTick(NetTimeValues& nt, const MinuteActions& actions) {
    nt.SyncMinuteCount = nextMinute(nt.SyncMinuteCount);
    nt.WeatherMinuteCount = nextMinute(nt.WeatherMinuteCount);
    if (nt.WeatherMinuteCount >= nt.WeatherMinutes && nt.WeatherMinutes != 0) {
        nt.WeatherMinuteCount = 0;
        if (actions.updateWeather) actions.updateWeather();
    }
    if (nt.SyncMinuteCount >= nt.SyncMinutes && nt.SyncMinutes != 0) {
        nt.SyncMinuteCount = 0;
        nt.SetClockOnReply = true;
        if (actions.syncClock) actions.syncClock();
        nt.SetClockOnReply = false;
    }
}

void ApplyMinuteTimer(QTimer* timer, const NetTimeValues& nt) {
    if (!timer) return;
    if (nt.SyncMinutes != 0 || nt.WeatherMinutes != 0)
        timer->start();
    else
        timer->stop();
}

void Timer3Tick() {
    MinuteActions actions;
    actions.updateWeather = [] {
        if (frmMain* m = frmMain::loadedForm())
            m->CurrentDate->setText(QStringLiteral("Updating temp..."));
        UpdateWeather(false);
    };
    actions.syncClock = [] { SyncClock(); };
    MinuteTick(NetTime(), actions);
}

}  // namespace horolet
