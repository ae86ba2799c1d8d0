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

// One reply with some elements changed, and the two texts it must give.
struct ReplyCase {
    const char* name;
    Elements changes;
    QString line;
    QString conditions;
};

inline QList<ReplyCase> ReplyCases() {
    const QString missing;
    const QString normal = NormalConditions();
    const QString line = QStringLiteral("95° @ 4:53 pm");
    auto without = [&](const char* part) {
        return QString(normal).remove(QString::fromUtf8(part));
    };
    auto replaced = [&](const char* from, const char* to) {
        return QString(normal).replace(QString::fromUtf8(from), QString::fromUtf8(to));
    };
    auto observed = [&](const char* time) {
        return replaced("Last Updated on Dec 5, 4:53 pm CST", time);
    };
    Elements nothing;
    for (const auto& [name, text] : NormalElements()) nothing.append({name, missing});

    return {
        {"normal", {}, line, normal},
        {"no location",
         {{"location", missing}},
         line,
         without("Conditions at Springfield, IL\r\n\r\n")},
        {"no temperature", {{"temp_f", missing}}, "", normal},
        {"empty temperature", {{"temp_f", ""}}, "° @ 4:53 pm", normal},
        {"no temperature text",
         {{"temperature_string", missing}},
         line,
         without("Temp: 95° f (35 c)")},
        {"empty temperature text", {{"temperature_string", ""}}, line, without("95° f (35 c)")},
        {"no heat index",
         {{"heat_index_string", missing}},
         line,
         without(" (feels like 103° f (39 c))")},
        {"heat index na",
         {{"heat_index_string", "na"}},
         line,
         without(" (feels like 103° f (39 c))")},
        {"heat index empty",
         {{"heat_index_string", ""}},
         line,
         without(" (feels like 103° f (39 c))")},
        {"wind chill too",
         {{"windchill_string", "88 F (31 C)"}},
         line,
         replaced("(39 c))", "(39 c)) (feels like 88° f (31 c))")},
        {"wind chill only",
         {{"heat_index_string", "NA"}, {"windchill_string", "-5 F (-21 C)"}},
         line,
         replaced("103° f (39 c)", "-5° f (-21 c)")},
        {"no skies", {{"weather", missing}}, line, without("\r\nSkies: Fair\r\n")},
        {"no humidity",
         {{"relative_humidity", missing}},
         line,
         without("Humidity: 45% humidity\r\n")},
        {"no wind direction",
         {{"wind_dir", missing}},
         line,
         without("Wind: From South at 10 mpi\r\n")},
        {"no wind speed", {{"wind_mph", missing}}, line, without("Wind: From South at 10 mpi\r\n")},
        {"no visibility", {{"visiblity", missing}}, line, without("Visibility: 10.00\r\n")},
        {"no pressure",
         {{"pressure_string", missing}},
         line,
         without("Barometer: 30.01 in (1016.2 mb)")},
        {"no barometer direction", {{"BarometerDirection", missing}}, line, without(" Rising")},
        {"empty barometer direction", {{"BarometerDirection", ""}}, line, without(" Rising")},
        {"no observation time",
         {{"observation_time", missing}},
         "95° @ ",
         without("\r\n\r\nLast Updated on Dec 5, 4:53 pm CST")},
        {"full hour",
         {{"observation_time", "Last Updated on Dec 5, 10:00 am EDT"}},
         "95° @ 10 am",
         observed("Last Updated on Dec 5, 10:00 am EDT")},
        {"upper-case marker",
         {{"observation_time", "Last Updated on Dec 5, 12:05 PM EST"}},
         "95° @ 12:05 Pm",
         observed("Last Updated on Dec 5, 12:05 PM EST")},
        {"time at the very end",
         {{"observation_time", "Last Updated on Dec 5, 4:53 pm"}},
         "95° @ Last Updated on Dec 5, 4:53 pm",
         observed("Last Updated on Dec 5, 4:53 pm")},
        {"nothing at all", nothing, "", ""},
        {"markup in a value",
         {{"weather", "Rain & <Fog>"}},
         line,
         replaced("Skies: Fair", "Skies: Rain & <Fog>")},
    };
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
