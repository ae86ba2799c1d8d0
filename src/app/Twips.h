#pragma once

#include <QRect>
#include <QWidget>

#include <cmath>

namespace horolet {

// Positions and sizes are kept in twips: 15 twips per logical pixel.
inline constexpr int kTwipsPerPixel = 15;

inline int twipsToPx(double twips) { return int(std::lround(twips / kTwipsPerPixel)); }
inline double pxToTwips(int px) { return double(px) * kTwipsPerPixel; }

inline QRect twipsRect(int left, int top, int width, int height) {
    return {twipsToPx(left), twipsToPx(top), twipsToPx(width), twipsToPx(height)};
}

inline void setGeometryTwips(QWidget* w, int left, int top, int width, int height) {
    w->setGeometry(twipsRect(left, top, width, height));
}

// A top-level window's place and size in twips (outer frame for the place).
struct TwipsGeometry {
    double left = 0, top = 0, width = 0, height = 0;
};

inline TwipsGeometry windowTwips(const QWidget* w) {
    const QRect f = w->frameGeometry();
    return {pxToTwips(f.x()), pxToTwips(f.y()), pxToTwips(w->width()), pxToTwips(w->height())};
}

}  // namespace horolet
