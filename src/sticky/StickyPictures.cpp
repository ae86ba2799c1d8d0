#include "sticky/StickyPictures.h"

#include <QPainter>

namespace horolet {

QPixmap StickyClosePicture() {
    QImage img(5, 5, QImage::Format_RGB32);
    img.fill(QColor(192, 192, 192));
    for (int i = 0; i < 5; ++i) {
        img.setPixel(i, i, qRgb(0, 0, 0));
        img.setPixel(4 - i, i, qRgb(0, 0, 0));
    }
    return QPixmap::fromImage(img);
}

QPixmap SizeGripPicture(QSize labelSize, QSize visible) {
    QPixmap p(labelSize);
    p.fill(Qt::transparent);
    QPainter g(&p);
    // Three ridges, each a light line above two shadow lines, ending in the visible corner.
    const int right = qMin(labelSize.width(), visible.width()) - 1;
    const int bottom = qMin(labelSize.height(), visible.height()) - 1;
    const QColor light(255, 255, 255);
    const QColor shadow(128, 128, 128);
    for (int ridge = 0; ridge < 3; ++ridge) {
        const int reach = 3 + 4 * ridge;  // distance of the ridge's light line from the corner
        g.setPen(light);
        g.drawLine(right - reach, bottom, right, bottom - reach);
        g.setPen(shadow);
        g.drawLine(right - reach + 1, bottom, right, bottom - reach + 1);
        g.drawLine(right - reach + 2, bottom, right, bottom - reach + 2);
    }
    return p;
}

}  // namespace horolet
