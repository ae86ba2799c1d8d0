#include "sticky/StickyNote.h"

#include "app/Globals.h"

namespace horolet {

StickyGripValues& Grip() {
    static StickyGripValues values;
    return values;
}

StickyLayout StickyLayoutFor(int width, int height) {
    StickyLayout l;
    l.title = QRect(30, 30, width - 60, 200);
    l.text = QRect(30, 270, width - 60, height - 465);
    l.close = QRect(width - 210, 60, 157, 155);
    l.grip = QRect(width - 195, height - 210, 240, 255);
    return l;
}

TwipsPlace TitleDragPlace(TwipsPlace window, float x, float y) {
    const DragValues& drag = Drag();
    window.top = window.top - drag.DragStartY + y;
    window.left = window.left - drag.DragStartX + x;
    return window;
}

std::optional<QSizeF> GripStep(double width, double height, float x, float y) {
    const DragValues& drag = Drag();
    StickyGripValues& grip = Grip();
    const float newHeight = float(y - drag.DragStartY + height);
    const float newWidth = float(x - drag.DragStartX + width);
    const bool dropped = newHeight <= kStickyMinimumSide || newWidth <= kStickyMinimumSide ||
                         y == grip.ResizeLastY || x == grip.ResizeLastX;
    grip.ResizeLastY = y;
    grip.ResizeLastX = x;
    if (dropped) return std::nullopt;
    return QSizeF(newWidth, newHeight);
}

}  // namespace horolet
