#include "app/Placement.h"

#include <QWidget>

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
    const bool visible = window->isVisible();
    if (window->testAttribute(Qt::WA_WState_Created) &&
        window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == topmost)
        return topmost ? 1 : 0;
    window->setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
    if (visible) window->show();  // changing flags hides the window
    return topmost ? 1 : 0;
}

}  // namespace horolet
