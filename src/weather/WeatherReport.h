#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>

namespace horolet {

// The elements of a conditions reply that the program reads, each as the text of the
// first element of that name in document order.
enum class WeatherItem {
    ErrText,
    temp_f,
    observation_time,
    location,
    temperature_string,
    heat_index_string,
    windchill_string,
    weather,
    relative_humidity,
    wind_dir,
    wind_mph,
    visiblity,  // the service spells it this way
    pressure_string,
    BarometerDirection,
    Count
};

struct WeatherReply {
    bool wellFormed = false;
    int errorCode = 0;  // when not well-formed: the parser's error code and reason
    QString errorReason;
    std::array<std::optional<QString>, std::size_t(WeatherItem::Count)> items;

    const std::optional<QString>& item(WeatherItem i) const { return items[std::size_t(i)]; }
};

// Parses an untrusted reply: no DTD is accepted, so nothing external is fetched and no
// entity can expand.
WeatherReply ParseWeatherReply(const QByteArray& xml);

// "Last Updated on Dec 5, 4:53 pm CST" -> "4:53 pm"; "5:00 PM " -> "5 Pm"; unchanged
// when no "h:mm am " is found.
QString ShortenObservationTime(const QString& observation);

// "72 F (22 C)" -> "72° f (22 c)".
QString TemperatureText(const QString& text);

// The short line for the clock face; empty when the reply has no temperature.
QString WeatherLine(const WeatherReply& reply);

// The full report for the conditions balloon; a missing element drops its line.
QString ConditionsText(const WeatherReply& reply);

// What the diagnostic box shows of one exchange.
QString DebugLayout(const QString& body);
QString DebugBoxText(const QString& url, const QString& statusText, int status,
                     const QString& body);

QString ParseErrorText(int code, const QString& reason);

}  // namespace horolet
