#pragma once

#include <QString>

namespace horolet {

// Fetches the current conditions for ZipCode and sets WeatherText and the text of the
// main window's conditions balloon. Blocks the calling (user-interface) thread until the
// exchange ends; no other event of the program runs meanwhile. showDebug shows what the
// service returned.
void UpdateWeather(bool showDebug);

}  // namespace horolet
