#include "app/Placement.h"

#include <QWidget>
#include <QWindow>

namespace horolet {

int multiMon::VirtualScreenWidth() const { return platform().screenMetrics().virtualDesktop.width(); }
int multiMon::VirtualScreenHeight() const {
    return platform().screenMetrics().virtualDesktop.height();
}
int multiMon::DisplayMonitorCount() const { return platform().screenMetrics().monitorCount; }
int multiMon::AllMonitorsSame() const { return platform().screenMetrics().allSameDepth ? 1 : 0; }

TwipsPlace KeepOnDesktop(TwipsPlace place, double windowWidth, double windowHeight,
                         bool isMainWindow) {
    Platform& p = platform();
    const QSize screen = p.primaryScreenTwips();
    const multiMon mon;
    if (isMainWindow && place.top > screen.height()) place.top = screen.height() - windowHeight;
    if (place.left / p.twipsPerPixelX() > mon.VirtualScreenWidth())
        place.left = screen.width() - windowWidth;
    if (place.top / p.twipsPerPixelY() > mon.VirtualScreenHeight())
        place.top = screen.height() - windowHeight;
    return place;
}

int SetTopmost(QWidget* window, bool topmost) {
    if (!window) return 0;
    Qt::WindowFlags flags = window->windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, topmost);
    if (QWindow* handle = window->windowHandle()) {
        // New flags on a created widget would hide it and rebuild its native window,
        // losing what was set on that; the native window takes the change as it is.
        window->overrideWindowFlags(flags);
        handle->setFlags(flags);
    } else {
        window->setWindowFlags(flags);
    }
    return topmost ? 1 : 0;
}

}  // namespace horolet
