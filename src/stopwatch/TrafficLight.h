#pragma once

#include <QPixmap>
#include <QString>

namespace horolet {

// The 16 x 16 traffic light of ToggleTimer: red at the top, yellow in the middle, green
// at the bottom; "Go" lights the green lamp, "Pause" the yellow and "Stop" the red.
// Any other key gives the unlit light.
QPixmap TrafficLightPicture(const QString& key);

}  // namespace horolet
