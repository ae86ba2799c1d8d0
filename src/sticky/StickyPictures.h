#pragma once

#include <QPixmap>

namespace horolet {

// The note's close button: a 5 x 5 pixel black diagonal cross on grey.
QPixmap StickyClosePicture();
// The size-grip glyph for a grip label of the given size: diagonal ridges in the
// corner that shows inside the window, on a transparent ground.
QPixmap SizeGripPicture(QSize labelSize, QSize visible);

}  // namespace horolet
