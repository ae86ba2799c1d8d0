#pragma once

#include <QString>

#include <functional>

namespace horolet {

// Fetches the current conditions for ZipCode and sets WeatherText and the text of the
// main window's conditions balloon. Blocks the calling (user-interface) thread until the
// exchange ends; no other event of the program runs meanwhile. showDebug shows what the
// service returned.
void UpdateWeather(bool showDebug);

// The same update with the balloon's text handed to setConditionsText.
void UpdateWeatherTexts(bool showDebug,
                        const std::function<void(const QString&)>& setConditionsText);

// Host (and port) of the weather service: the "WeatherHost" setting, read on every use.
QString WeatherHost();

// The address of one conditions request; the zip code is escaped as a query value.
QString WeatherUrl(const QString& host, const QString& zipCode, int rand);

}  // namespace horolet
