#include "app/Drag.h"

#include "app/Globals.h"

namespace horolet {

int ButtonCode(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return kLeftButton;
        case Qt::RightButton:
            return kRightButton;
        case Qt::MiddleButton:
            return kMiddleButton;
        default:
            return 0;
    }
}

PressAction ClockFaceMouseDown(int button, float x, float y) {
    DragValues& drag = Drag();
    if (button == kLeftButton) {
        drag.DragActive = true;
        drag.DragStartX = x;
        drag.DragStartY = y;
        return PressAction::StartDrag;
    }
    // A right press during a drag (here or on the note) must not open the menu.
    if (button == kRightButton && !drag.DragActive) return PressAction::OpenMenu;
    return PressAction::Nothing;
}

bool ClockFaceMouseMove(float x, float y, TwipsPlace& window) {
    const DragValues& drag = Drag();
    if (!drag.DragActive) return false;
    window.top = window.top - drag.DragStartY + y;
    window.left = window.left - drag.DragStartX + x;
    return true;
}

void ClockFaceMouseUp() {
    Drag().DragActive = false;
}

PressAction BackgroundMouseDown(int button) {
    return button != kLeftButton ? PressAction::OpenMenu : PressAction::Nothing;
}

}  // namespace horolet
