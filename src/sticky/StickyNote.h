#pragma once

#include "app/Placement.h"

#include <QRect>
#include <QSizeF>

#include <optional>

namespace horolet {

// Values of the note alone (the title drag uses the shared Drag() values).
struct StickyGripValues {
    bool StickyResizing = false;
    float ResizeLastX = 0;  // twips, relative to the grip
    float ResizeLastY = 0;
};
StickyGripValues& Grip();

inline constexpr int kStickyDesignWidth = 3000;  // twips
inline constexpr int kStickyDesignHeight = 3195;
// A grip step never makes either side this small or smaller.
inline constexpr float kStickyMinimumSide = 2000;

// Places of the note's controls (twips) in a window of the given width and height.
struct StickyLayout {
    QRect title, text, close, grip;
};
StickyLayout StickyLayoutFor(int width, int height);

// The window's place after a title-drag move with the pointer at x, y (twips, relative
// to the title box): it follows the pointer's travel since the press.
TwipsPlace TitleDragPlace(TwipsPlace window, float x, float y);

// One move of the grip with the pointer at x, y (twips, relative to the grip) on a
// window of the given size: the new size (width, height), or nothing when the step is
// dropped because a side would be 2000 twips or less, or because x or y repeats the
// previous move's. Either way the move's x and y are kept for the next one.
std::optional<QSizeF> GripStep(double width, double height, float x, float y);

}  // namespace horolet
