#pragma once

#include "platform/Platform.h"

class QWidget;

namespace horolet {

// Desktop measurements, read afresh from the screens each time.
class multiMon final {
public:
    int VirtualScreenWidth() const;   // pixels, all screens
    int VirtualScreenHeight() const;  // pixels, all screens
    int DisplayMonitorCount() const;
    int AllMonitorsSame() const;      // non-zero when all screens share one colour depth
};

// Pulls a window placed from stored twips back when it lies beyond the right or
// bottom edge of the virtual desktop. Negative or partly-off positions are kept.
// The top-versus-primary-height rule applies to the main window only.
struct TwipsPlace {
    double left = 0, top = 0;
};
TwipsPlace KeepOnDesktop(TwipsPlace place, double windowWidth, double windowHeight,
                         bool isMainWindow);

// Keeps a window above normal windows (true) or not (false).
int SetTopmost(QWidget* window, bool topmost);

}  // namespace horolet
