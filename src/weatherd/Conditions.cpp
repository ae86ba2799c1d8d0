#include "weatherd/Conditions.h"

#include "weatherd/Units.h"

#include <QJsonArray>
#include <QXmlStreamWriter>

#include <array>
#include <cmath>

namespace horolet::weatherd {

namespace {

// Below this change over three hours the barometer reads as steady (about 0.015 in).
constexpr double kSteadyPa = 50.0;
// The API computes a heat index from 80 F up and a wind chill up to 50 F above 3 mph.
constexpr double kHeatIndexFromF = 80.0;
constexpr double kWindChillUpToF = 50.0;
constexpr double kWindChillAboveMph = 3.0;

QJsonObject Properties(const QJsonObject& feature) {
    const QJsonValue p = feature.value(QLatin1String("properties"));
    return p.isObject() ? p.toObject() : feature;
}

std::optional<QString> FeelsLike(const std::optional<double>& tempC,
                                 const std::optional<double>& valueC, bool applies) {
    if (!tempC) return std::nullopt;
    if (!applies) return QStringLiteral("NA");
    if (!valueC) return std::nullopt;
    return TemperatureText(*valueC);
}

}  // namespace

Observation ParseObservation(const QJsonObject& feature) {
    const QJsonObject p = Properties(feature);
    const auto q = [&p](const char* key) { return p.value(QLatin1String(key)); };
    Observation o;
    o.time = QDateTime::fromString(q("timestamp").toString(), Qt::ISODate).toUTC();
    o.description = q("textDescription").toString().trimmed();
    o.temperatureC = Celsius(q("temperature"));
    o.heatIndexC = Celsius(q("heatIndex"));
    o.windChillC = Celsius(q("windChill"));
    o.humidityPercent = Percent(q("relativeHumidity"));
    o.windDirectionDeg = Degrees(q("windDirection"));
    o.windSpeedMs = MetresPerSecond(q("windSpeed"));
    o.visibilityM = Metres(q("visibility"));
    o.pressurePa = Pascals(q("barometricPressure"));
    if (!o.pressurePa) o.pressurePa = Pascals(q("seaLevelPressure"));
    return o;
}

QList<Observation> ParseObservations(const QJsonObject& collection) {
    QList<Observation> list;
    for (const QJsonValue& f : collection.value(QLatin1String("features")).toArray())
        if (f.isObject()) list.append(ParseObservation(f.toObject()));
    return list;
}

QString WholeNumber(double value) {
    return QString::number(std::lround(value));
}

QString TemperatureText(double celsius) {
    return WholeNumber(FahrenheitOf(celsius)) + QStringLiteral(" F (") + WholeNumber(celsius) +
           QStringLiteral(" C)");
}

QString PressureText(double pascals) {
    return QString::number(InchesOfMercuryOf(pascals), 'f', 2) + QStringLiteral(" in (") +
           QString::number(pascals / 100.0, 'f', 1) + QStringLiteral(" mb)");
}

QString VisibilityText(double metres) {
    return QString::number(MilesOf(metres), 'f', 2);
}

QString CompassName(double degrees) {
    static const std::array<const char*, 8> kNames = {"North", "Northeast", "East", "Southeast",
                                                      "South", "Southwest", "West", "Northwest"};
    const double d = std::fmod(std::fmod(degrees, 360.0) + 360.0, 360.0);
    // Each name covers 45 degrees centred on its bearing; a boundary belongs to the
    // sector clockwise of it.
    const int sector = int(std::floor((d + 22.5) / 45.0)) % 8;
    return QLatin1String(kNames[size_t(sector)]);
}

QString PressureTrend(double nowPa, double beforePa) {
    const double change = nowPa - beforePa;
    if (change >= kSteadyPa) return QStringLiteral("Rising");
    if (change <= -kSteadyPa) return QStringLiteral("Falling");
    return QStringLiteral("Steady");
}

QString ObservationTimeText(const QDateTime& utc, const QTimeZone& zone) {
    static const std::array<const char*, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const QTimeZone z = zone.isValid() ? zone : QTimeZone::utc();
    const QDateTime local = utc.toTimeZone(z);
    const QDate d = local.date();
    const QTime t = local.time();
    const int hour12 = t.hour() % 12 == 0 ? 12 : t.hour() % 12;
    QString abbreviation = z.abbreviation(utc);
    if (abbreviation.isEmpty()) abbreviation = QStringLiteral("UTC");
    return QStringLiteral("Last Updated on %1 %2, %3:%4 %5 %6")
        .arg(QLatin1String(kMonths[size_t(d.month() - 1)]))
        .arg(d.day())
        .arg(hour12)
        .arg(t.minute(), 2, 10, QLatin1Char('0'))
        .arg(t.hour() < 12 ? QLatin1String("am") : QLatin1String("pm"))
        .arg(abbreviation);
}

Elements ConditionElements(const StationPlace& place, const Observation& now,
                           std::optional<double> pressureBeforePa) {
    Elements e;
    const auto add = [&e](const char* name, const QString& value) {
        e.append({QLatin1String(name), value});
    };
    if (!place.cityState.isEmpty()) add("CityState", place.cityState);
    if (!place.stationId.isEmpty()) add("StationID", place.stationId);
    if (!place.stationName.isEmpty()) {
        const bool named =
            place.state.isEmpty() || place.stationName.endsWith(QStringLiteral(", ") + place.state);
        add("location",
            named ? place.stationName : place.stationName + QStringLiteral(", ") + place.state);
    }
    if (now.time.isValid()) add("observation_time", ObservationTimeText(now.time, place.zone));

    const std::optional<double> tempF =
        now.temperatureC ? std::optional(FahrenheitOf(*now.temperatureC)) : std::nullopt;
    // A plain flag and value rather than an optional: GCC's -O2 flow analysis reports the
    // optional's payload as maybe-uninitialized.
    const bool hasWind = now.windSpeedMs.has_value();
    const double windMph = hasWind ? MphOf(*now.windSpeedMs) : 0.0;
    if (tempF) {
        add("temp_f", WholeNumber(*tempF));
        add("temperature_string", TemperatureText(*now.temperatureC));
    }
    const bool heatApplies = tempF && *tempF >= kHeatIndexFromF;
    const bool chillApplies =
        tempF && *tempF <= kWindChillUpToF && (!hasWind || windMph > kWindChillAboveMph);
    if (auto hi = FeelsLike(now.temperatureC, now.heatIndexC, heatApplies))
        add("heat_index_string", *hi);
    if (auto wc = FeelsLike(now.temperatureC, now.windChillC, chillApplies))
        add("windchill_string", *wc);
    if (!now.description.isEmpty()) add("weather", now.description);
    if (now.humidityPercent) add("relative_humidity", WholeNumber(*now.humidityPercent));
    if (hasWind && std::lround(windMph) == 0)
        add("wind_dir", QStringLiteral("Calm"));
    else if (now.windDirectionDeg)
        add("wind_dir", CompassName(*now.windDirectionDeg));
    if (hasWind) add("wind_mph", WholeNumber(windMph));
    if (now.visibilityM) add("visiblity", VisibilityText(*now.visibilityM));
    if (now.pressurePa) {
        add("pressure_string", PressureText(*now.pressurePa));
        if (pressureBeforePa)
            add("BarometerDirection", PressureTrend(*now.pressurePa, *pressureBeforePa));
    }
    return e;
}

QByteArray ConditionsXml(const Elements& elements) {
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.writeStartDocument();
    w.writeStartElement(QStringLiteral("CurrentWeather"));
    for (const auto& [name, value] : elements) w.writeTextElement(name, value);
    w.writeEndElement();
    w.writeEndDocument();
    return out;
}

QByteArray ErrorXml(const QString& message) {
    return ConditionsXml({{QStringLiteral("ErrText"), message}});
}

}  // namespace horolet::weatherd
