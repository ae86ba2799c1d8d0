#pragma once

// Current conditions: one observation of the weather API read into fixed units, and the
// texts of the CurrentWeather document the clock reads.

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QTimeZone>

#include <optional>
#include <utility>

namespace horolet::weatherd {

struct Observation {
    QDateTime time;  // UTC; invalid when the API gave none
    QString description;
    std::optional<double> temperatureC;
    std::optional<double> heatIndexC;
    std::optional<double> windChillC;
    std::optional<double> humidityPercent;
    std::optional<double> windDirectionDeg;
    std::optional<double> windSpeedMs;
    std::optional<double> visibilityM;
    std::optional<double> pressurePa;  // altimeter pressure, else sea-level pressure
};

// Reads one observation (a GeoJSON feature, or its "properties").
Observation ParseObservation(const QJsonObject& feature);

// Reads a list of observations (a GeoJSON feature collection).
QList<Observation> ParseObservations(const QJsonObject& collection);

// Where an observation comes from: the place the zip code names and the station.
struct StationPlace {
    QString cityState;  // "Little Rock, AR"
    QString stationId;  // "KLIT"
    QString stationName;
    QString state;  // "AR"
    QTimeZone zone;
};

using Elements = QList<std::pair<QString, QString>>;

// The CurrentWeather elements in document order; values the API left null are left out.
// pressureBeforePa is the station's pressure about three hours before the observation.
Elements ConditionElements(const StationPlace& place, const Observation& now,
                           std::optional<double> pressureBeforePa);

QByteArray ConditionsXml(const Elements& elements);
QByteArray ErrorXml(const QString& message);

// Text pieces, exposed for the tests.
QString WholeNumber(double value);
QString TemperatureText(double celsius);               // "72 F (22 C)"
QString PressureText(double pascals);                  // "30.01 in (1016.2 mb)"
QString VisibilityText(double metres);                 // "10.00"
QString CompassName(double degrees);                   // "South"
QString PressureTrend(double nowPa, double beforePa);  // "Rising", "Falling", "Steady"
QString ObservationTimeText(const QDateTime& utc, const QTimeZone& zone);

}  // namespace horolet::weatherd
