#pragma once

// JSON in the shapes the weather API documents, trimmed to what the daemon reads plus
// some of what it ignores. Addresses point at the real API on purpose: the daemon must
// send every request to its configured base whatever the replies name.

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>

namespace horolet::test {

inline const QString kApi = QStringLiteral("https://api.weather.gov");

inline QByteArray Json(const QJsonObject& o) {
    return QJsonDocument(o).toJson();
}

// {"unitCode": "wmoUnit:<unit>", "value": value}; a null value when value is null.
inline QJsonObject Q(const QString& unit, const QJsonValue& value) {
    return {
        {"unitCode", QStringLiteral("wmoUnit:") + unit}, {"value", value}, {"qualityControl", "V"}};
}

inline QByteArray PointJson(const QString& grid, const QString& city, const QString& state,
                            const QString& zone) {
    const QString gridUrl = kApi + QStringLiteral("/gridpoints/") + grid;
    return Json(
        {{"type", "Feature"},
         {"properties",
          QJsonObject{{"gridId", grid.section(u'/', 0, 0)},
                      {"forecast", gridUrl + QStringLiteral("/forecast")},
                      {"observationStations", gridUrl + QStringLiteral("/stations")},
                      {"relativeLocation",
                       QJsonObject{{"properties", QJsonObject{{"city", city}, {"state", state}}}}},
                      {"timeZone", zone}}}});
}

struct StationFixture {
    QString id;
    QString name;
    QString zone;
};

inline QByteArray StationsJson(const QList<StationFixture>& stations) {
    QJsonArray features;
    QJsonArray urls;
    for (const StationFixture& s : stations) {
        const QString url = kApi + QStringLiteral("/stations/") + s.id;
        features.append(QJsonObject{{"id", url},
                                    {"type", "Feature"},
                                    {"properties", QJsonObject{{"@id", url},
                                                               {"stationIdentifier", s.id},
                                                               {"name", s.name},
                                                               {"timeZone", s.zone}}}});
        urls.append(url);
    }
    return Json(
        {{"type", "FeatureCollection"}, {"features", features}, {"observationStations", urls}});
}

// An observation with every field set; tests replace or null what they need.
inline QJsonObject ObservationProps(const QString& timestamp) {
    return {{"timestamp", timestamp},
            {"textDescription", "Partly Cloudy"},
            {"rawMessage", "KLIT 052253Z 18009KT 10SM FEW250 22/10 A3001"},
            {"temperature", Q("degC", 22.2)},
            {"dewpoint", Q("degC", 10.0)},
            {"windDirection", Q("degree_(angle)", 180)},
            {"windSpeed", Q("km_h-1", 16.668)},
            {"barometricPressure", Q("Pa", 101620)},
            {"seaLevelPressure", Q("Pa", 101590)},
            {"visibility", Q("m", 16090)},
            {"relativeHumidity", Q("percent", 45.3)},
            {"windChill", Q("degC", QJsonValue::Null)},
            {"heatIndex", Q("degC", QJsonValue::Null)}};
}

inline QJsonObject Feature(const QJsonObject& props) {
    return {{"type", "Feature"}, {"properties", props}};
}

inline QByteArray ObservationJson(const QJsonObject& props) {
    return Json(Feature(props));
}

inline QByteArray HistoryJson(const QList<QJsonObject>& observations) {
    QJsonArray features;
    for (const QJsonObject& p : observations) features.append(Feature(p));
    return Json({{"type", "FeatureCollection"}, {"features", features}});
}

inline QJsonObject Period(int number, const QString& name, const QJsonValue& temperature,
                          const QJsonValue& windSpeed, const QString& windDirection,
                          const QString& shortForecast) {
    return {{"number", number},
            {"name", name},
            {"temperature", temperature},
            {"temperatureUnit", "F"},
            {"windSpeed", windSpeed},
            {"windDirection", windDirection},
            {"shortForecast", shortForecast},
            {"detailedForecast", shortForecast + QStringLiteral(", with a high near 60.")}};
}

inline QByteArray ForecastJson(const QList<QJsonObject>& periods) {
    QJsonArray list;
    for (const QJsonObject& p : periods) list.append(p);
    return Json(
        {{"type", "Feature"}, {"properties", QJsonObject{{"units", "us"}, {"periods", list}}}});
}

}  // namespace horolet::test
