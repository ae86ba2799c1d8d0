#pragma once

#include "app/Placement.h"

#include <Qt>

namespace horolet {

// Mouse button codes as the clock's mouse handlers see them.
inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;
inline constexpr int kMiddleButton = 4;
int ButtonCode(Qt::MouseButton button);

// What a press asks the window to do.
enum class PressAction { Nothing, StartDrag, OpenMenu };

// The clock face (and its two labels). Coordinates are twips relative to the control
// that received the press; the shared Drag() values carry the drag between events.
PressAction ClockFaceMouseDown(int button, float x, float y);
// Moves the window place by the pointer's travel while a drag is active; false when
// there is no drag.
bool ClockFaceMouseMove(float x, float y, TwipsPlace& window);
void ClockFaceMouseUp();

// The window's own background: every button but the left opens the menu.
PressAction BackgroundMouseDown(int button);

}  // namespace horolet
