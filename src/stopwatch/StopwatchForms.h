#pragma once

#include "stopwatch/Stopwatch.h"

namespace horolet {

// The stopwatch driven through the program's windows: the main window's options panel,
// the stopwatch window, the context menu's two items and the tray tip.

// ToggleTimer (Button) and mPopTimer (Menu).
void ToggleStopwatch(StopwatchSource from);
// ResetTimer (Button) and mPopReset (Menu).
void ResetStopwatch(StopwatchSource from);
// Each tick of Timer2.
void StopwatchTick();
// The main window's load, after the saved reading has been banked.
void RestoreStopwatch();
// Shows a reading in ElapsedTime, the tray tip and the stopwatch window.
void ShowElapsed(qint32 seconds);

}  // namespace horolet
