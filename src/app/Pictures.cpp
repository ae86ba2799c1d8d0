#include "app/Pictures.h"

#include <QPainter>
#include <QtMath>

namespace horolet {

namespace {

QPixmap blank(int w, int h) {
    QPixmap p(w, h);
    p.fill(Qt::transparent);
    return p;
}

QPixmap signPicture(bool plus) {
    QPixmap p = blank(9, 9);
    QPainter g(&p);
    g.setPen(QPen(Qt::black, 1));
    g.drawLine(1, 4, 7, 4);
    if (plus) g.drawLine(4, 1, 4, 7);
    return p;
}

}  // namespace

QPixmap PlusPicture() { return signPicture(true); }
QPixmap MinusPicture() { return signPicture(false); }

QPixmap CheckMarkPicture() {
    QPixmap p = blank(9, 9);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(QPen(Qt::black, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    g.drawPolyline(QPolygonF({QPointF(1.5, 4.5), QPointF(3.5, 7), QPointF(7.5, 1.5)}));
    return p;
}

QPixmap CalendarPicture() {
    QPixmap p = blank(16, 16);
    QPainter g(&p);
    g.setPen(Qt::black);
    g.setBrush(Qt::white);
    g.drawRect(1, 2, 13, 12);
    g.fillRect(2, 3, 12, 3, QColor(200, 0, 0));
    g.setPen(QColor(90, 90, 90));
    for (int y = 8; y <= 12; y += 2)
        for (int x = 3; x <= 12; x += 3) g.drawPoint(x, y);
    return p;
}

QPixmap ClockFacePicture(int size) {
    QPixmap p = blank(size, size);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    const qreal r = size / 2.0;
    g.translate(r, r);
    g.setPen(QPen(QColor(0, 255, 0), qMax(1.0, size / 16.0)));
    g.setBrush(QColor(0, 0, 128));
    g.drawEllipse(QPointF(0, 0), r - g.pen().widthF(), r - g.pen().widthF());
    for (int i = 0; i < 12; ++i) {
        const qreal a = i * M_PI / 6;
        g.drawLine(QPointF(qSin(a) * r * 0.70, -qCos(a) * r * 0.70),
                   QPointF(qSin(a) * r * 0.82, -qCos(a) * r * 0.82));
    }
    g.setPen(QPen(QColor(0, 255, 0), qMax(1.0, size / 12.0), Qt::SolidLine, Qt::RoundCap));
    g.drawLine(QPointF(0, 0), QPointF(0, -r * 0.55));       // minute hand at twelve
    g.drawLine(QPointF(0, 0), QPointF(r * 0.38, r * 0.10));  // hour hand near three
    return p;
}

QIcon AppIcon() {
    static const QIcon icon = [] {
        QIcon i;
        for (int s : {16, 22, 24, 32, 48, 64}) i.addPixmap(ClockFacePicture(s));
        return i;
    }();
    return icon;
}

}  // namespace horolet
