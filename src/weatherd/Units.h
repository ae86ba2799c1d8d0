#pragma once

// The weather API reports measurements as {"unitCode": "wmoUnit:degC", "value": 22.2}.
// These read one such value into a fixed unit; a null value, a missing one or a unit we
// do not know gives nothing, so that the element built from it is left out.

#include <QJsonValue>

#include <optional>

namespace horolet::weatherd {

std::optional<double> Celsius(const QJsonValue& quantity);
std::optional<double> MetresPerSecond(const QJsonValue& quantity);
std::optional<double> Pascals(const QJsonValue& quantity);
std::optional<double> Metres(const QJsonValue& quantity);
std::optional<double> Percent(const QJsonValue& quantity);
std::optional<double> Degrees(const QJsonValue& quantity);

// A bare number with a unit given apart (the forecast's "temperature": 35 with
// "temperatureUnit": "F"), in the unit-code spelling without its prefix.
std::optional<double> CelsiusFrom(double value, QStringView unit);

constexpr double FahrenheitOf(double celsius) {
    return celsius * 9.0 / 5.0 + 32.0;
}
constexpr double MphOf(double metresPerSecond) {
    return metresPerSecond / 0.44704;
}
constexpr double InchesOfMercuryOf(double pascals) {
    return pascals / 3386.389;
}
constexpr double MilesOf(double metres) {
    return metres / 1609.344;
}

}  // namespace horolet::weatherd
