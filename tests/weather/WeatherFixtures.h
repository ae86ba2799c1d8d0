#pragma once

// Conditions replies as the weather service sends them, for tests and the benchmark.

#include <QByteArray>
#include <QList>
#include <QString>

#include <utility>

namespace horolet::test {

using Elements = QList<std::pair<QString, QString>>;

inline Elements NormalElements() {
    return {
        {QStringLiteral("CityState"), QStringLiteral("Springfield, IL")},
        {QStringLiteral("StationID"), QStringLiteral("KSPI")},
        {QStringLiteral("location"), QStringLiteral("Springfield, IL")},
        {QStringLiteral("observation_time"), QStringLiteral("Last Updated on Dec 5, 4:53 pm CST")},
        {QStringLiteral("weather"), QStringLiteral("Fair")},
        {QStringLiteral("temperature_string"), QStringLiteral("95 F (35 C)")},
        {QStringLiteral("temp_f"), QStringLiteral("95")},
        {QStringLiteral("relative_humidity"), QStringLiteral("45")},
        {QStringLiteral("wind_dir"), QStringLiteral("South")},
        {QStringLiteral("wind_mph"), QStringLiteral("10")},
        {QStringLiteral("pressure_string"), QStringLiteral("30.01 in (1016.2 mb)")},
        {QStringLiteral("BarometerDirection"), QStringLiteral("Rising")},
        {QStringLiteral("heat_index_string"), QStringLiteral("103 F (39 C)")},
        {QStringLiteral("windchill_string"), QStringLiteral("NA")},
        {QStringLiteral("visiblity"), QStringLiteral("10.00")}};
}

// The normal elements with some replaced (same name) or left out (null text).
inline Elements ChangedElements(const Elements& changes) {
    Elements out;
    for (const auto& [name, text] : NormalElements()) {
        QString value = text;
        bool keep = true;
        for (const auto& [cName, cText] : changes) {
            if (cName != name) continue;
            keep = !cText.isNull();
            value = cText;
        }
        if (keep) out.append({name, value});
    }
    return out;
}

inline QByteArray WeatherXml(const Elements& elements) {
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<CurrentWeather>");
    for (const auto& [name, text] : elements)
        xml += u'<' + name + u'>' + text.toHtmlEscaped() + QStringLiteral("</") + name + u'>';
    xml += QStringLiteral("</CurrentWeather>\r\n");
    return xml.toUtf8();
}

inline QByteArray NormalReply() {
    return WeatherXml(NormalElements());
}

inline QString NormalConditions() {
    return QStringLiteral(
        "Conditions at Springfield, IL\r\n"
        "\r\n"
        "Temp: 95° f (35 c) (feels like 103° f (39 c))\r\n"
        "Skies: Fair\r\n"
        "Humidity: 45% humidity\r\n"
        "Wind: From South at 10 mpi\r\n"
        "Visibility: 10.00\r\n"
        "Barometer: 30.01 in (1016.2 mb) Rising\r\n"
        "\r\n"
        "Last Updated on Dec 5, 4:53 pm CST");
}

// A reply that would expand to gigabytes if its entities were expanded.
inline QByteArray EntityBomb() {
    QByteArray dtd = "<?xml version=\"1.0\"?>\n<!DOCTYPE CurrentWeather [\n<!ENTITY a0 \"lol\">\n";
    for (int i = 1; i <= 9; ++i) {
        dtd += "<!ENTITY a" + QByteArray::number(i) + " \"";
        for (int j = 0; j < 10; ++j) dtd += "&a" + QByteArray::number(i - 1) + ";";
        dtd += "\">\n";
    }
    return dtd + "]>\n<CurrentWeather><temp_f>&a9;</temp_f></CurrentWeather>";
}

}  // namespace horolet::test
