#include "stopwatch/TrafficLight.h"

#include "stopwatch/Stopwatch.h"

#include <QPainter>

namespace horolet {

namespace {

struct Lamp {
    QString key;
    QColor lit;
    QColor dark;
    int top;
};

QPixmap draw(const QString& key) {
    const Lamp lamps[] = {{kPictureStop, QColor(255, 0, 0), QColor(90, 0, 0), 1},
                          {kPicturePause, QColor(255, 220, 0), QColor(90, 75, 0), 6},
                          {kPictureGo, QColor(0, 230, 0), QColor(0, 80, 0), 11}};
    QPixmap p(16, 16);
    p.fill(Qt::transparent);
    QPainter g(&p);
    g.setPen(QColor(20, 20, 20));
    g.setBrush(QColor(50, 50, 50));
    g.drawRoundedRect(QRectF(4.5, 0.5, 7, 15), 2, 2);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(Qt::NoPen);
    for (const Lamp& lamp : lamps) {
        g.setBrush(lamp.key == key ? lamp.lit : lamp.dark);
        g.drawEllipse(QRectF(5.5, lamp.top, 5, 4));
    }
    return p;
}

}  // namespace

QPixmap TrafficLightPicture(const QString& key) {
    return draw(key);
}

}  // namespace horolet
