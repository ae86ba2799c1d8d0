#include "app/Globals.h"

namespace horolet {

namespace {
AppValues g_app;
StickyValues g_sticky;
StopwatchValues g_stopwatch;
NetTimeValues g_nettime;
DragValues g_drag;
}  // namespace

AppValues& App() { return g_app; }
StickyValues& Sticky() { return g_sticky; }
StopwatchValues& Stopwatch() { return g_stopwatch; }
NetTimeValues& NetTime() { return g_nettime; }
DragValues& Drag() { return g_drag; }

void ResetGlobals() {
    g_app = {};
    g_sticky = {};
    g_stopwatch = {};
    g_nettime = {};
    g_drag = {};
}

}  // namespace horolet
