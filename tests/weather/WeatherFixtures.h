#pragma once

// Conditions replies as the weather service sends them, for tests and the benchmark.

#include <QByteArray>
#include <QList>
#include <QString>

#include <utility>

namespace horolet::test {

using Elements = QList<std::pair<QString, QString>>;

inline Elements NormalElements() {
    return {{"CityState", "Springfield, IL"},
            {"StationID", "KSPI"},
            {"location", "Springfield, IL"},
            {"observation_time", "Last Updated on Dec 5, 4:53 pm CST"},
            {"weather", "Fair"},
            {"temperature_string", "95 F (35 C)"},
            {"temp_f", "95"},
            {"relative_humidity", "45"},
            {"wind_dir", "South"},
            {"wind_mph", "10"},
            {"pressure_string", "30.01 in (1016.2 mb)"},
            {"BarometerDirection", "Rising"},
            {"heat_index_string", "103 F (39 C)"},
            {"windchill_string", "NA"},
            {"visiblity", "10.00"}};
}

// The normal elements with some replaced (same name) or left out (null text).
inline Elements ChangedElements(const Elements& changes) {
    Elements out;
    for (auto [name, text] : NormalElements()) {
        for (const auto& [cName, cText] : changes)
            if (cName == name) text = cText;
        if (!text.isNull()) out.append({name, text});
    }
    return out;
}

inline QByteArray WeatherXml(const Elements& elements) {
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<CurrentWeather>");
    for (const auto& [name, text] : elements)
        xml += u'<' + name + u'>' + text.toHtmlEscaped() + QStringLiteral("</") + name + u'>';
    return (xml + QStringLiteral("</CurrentWeather>\r\n")).toUtf8();
}

inline QByteArray NormalReply() {
    return WeatherXml(NormalElements());
}

inline QString NormalConditions() {
    return QStringLiteral(
        "Conditions at Springfield, IL\r\n\r\n"
        "Temp: 95° f (35 c) (feels like 103° f (39 c))\r\n"
        "Skies: Fair\r\n"
        "Humidity: 45% humidity\r\n"
        "Wind: From South at 10 mpi\r\n"
        "Visibility: 10.00\r\n"
        "Barometer: 30.01 in (1016.2 mb) Rising\r\n\r\n"
        "Last Updated on Dec 5, 4:53 pm CST");
}

// A reply that would expand to gigabytes if its entities were expanded.
inline QByteArray EntityBomb() {
    QByteArray dtd = "<?xml version=\"1.0\"?>\n<!DOCTYPE CurrentWeather [\n<!ENTITY a0 \"lol\">\n";
    for (int i = 1; i <= 9; ++i)
        dtd += "<!ENTITY a" + QByteArray::number(i) + " \"" +
               QByteArray("&a" + QByteArray::number(i - 1) + ";").repeated(10) + "\">\n";
    return dtd + "]>\n<CurrentWeather><temp_f>&a9;</temp_f></CurrentWeather>";
}

}  // namespace horolet::test
