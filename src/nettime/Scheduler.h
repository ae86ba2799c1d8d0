#pragma once

#include <functional>

class QTimer;

namespace horolet {

struct NetTimeValues;

// What a minute tick starts when an interval is reached.
struct MinuteActions {
    std::function<void()> updateWeather;  // shows "Updating temp..." and fetches the weather
    std::function<void()> syncClock;      // runs with SetClockOnReply set
};

// One tick of the main window's minute timer: counts both minutes (wrapping), then runs
// the weather update and after it the clock sync when their intervals are reached.
void MinuteTick(NetTimeValues& nt, const MinuteActions& actions);

// Runs the minute timer exactly while one of the intervals is non-zero.
void ApplyMinuteTimer(QTimer* timer, const NetTimeValues& nt);

// The tick of frmMain's Timer3 with the program's own actions.
void Timer3Tick();

}  // namespace horolet
