#include "weather/WeatherReport.h"

#include "weather/SafeXml.h"

#include <QRegularExpression>
#include <QXmlStreamReader>

#include <vector>

namespace horolet {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

constexpr std::array<QStringView, std::size_t(WeatherItem::Count)> kItemNames = {
    u"ErrText",
    u"temp_f",
    u"observation_time",
    u"location",
    u"temperature_string",
    u"heat_index_string",
    u"windchill_string",
    u"weather",
    u"relative_humidity",
    u"wind_dir",
    u"wind_mph",
    u"visiblity",
    u"pressure_string",
    u"BarometerDirection"};

int itemIndex(QStringView name) {
    for (std::size_t i = 0; i < kItemNames.size(); ++i)
        if (kItemNames[i] == name) return int(i);
    return -1;
}

}  // namespace

WeatherReply ParseWeatherReply(const QByteArray& xml) {
    WeatherReply out;
    QXmlStreamReader reader(xml);
    struct Capture {
        int index;
        int depth;
    };
    std::vector<Capture> open;  // elements whose text is being gathered, innermost last
    int depth = 0;

    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (RefuseUnsafeXml(reader)) continue;
        switch (token) {
            case QXmlStreamReader::StartElement: {
                ++depth;
                if (!reader.namespaceUri().isEmpty()) break;
                const int i = itemIndex(reader.qualifiedName());
                if (i >= 0 && !out.items[std::size_t(i)]) {
                    out.items[std::size_t(i)] = QString();
                    open.push_back({i, depth});
                }
                break;
            }
            case QXmlStreamReader::EndElement:
                if (!open.empty() && open.back().depth == depth) open.pop_back();
                --depth;
                break;
            case QXmlStreamReader::Characters:
                for (const Capture& c : open)
                    out.items[std::size_t(c.index)]->append(reader.text());
                break;
            default:
                break;
        }
    }
    if (reader.hasError()) {
        out.errorCode = int(reader.error());
        out.errorReason = reader.errorString();
        out.items = {};
        return out;
    }
    out.wellFormed = true;
    return out;
}

QString ShortenObservationTime(const QString& observation) {
    static const QRegularExpression pattern(QStringLiteral("([0-9]{1,2}):([0-9][0-9]) (a|p)m "),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = pattern.match(observation);
    if (!m.hasMatch()) return observation;
    QString shortened = m.captured(1) + u':' + m.captured(2) + u' ' + m.captured(3) + u'm';
    shortened.remove(QStringLiteral(":00"));
    return shortened;
}

QString TemperatureText(const QString& text) {
    return text.toLower().replace(QStringLiteral(" f"), QStringLiteral("° f"));
}

QString WeatherLine(const WeatherReply& reply) {
    const auto& temp = reply.item(WeatherItem::temp_f);
    if (!temp) return {};
    const QString observation = reply.item(WeatherItem::observation_time).value_or(QString());
    return *temp + QStringLiteral("° @ ") + ShortenObservationTime(observation);
}

QString ConditionsText(const WeatherReply& reply) {
    auto has = [&](WeatherItem i) { return reply.item(i).has_value(); };
    auto text = [&](WeatherItem i) { return *reply.item(i); };
    using W = WeatherItem;

    QString s;
    if (has(W::location)) s = QStringLiteral("Conditions at ") + text(W::location) + kCrLf + kCrLf;
    if (has(W::temperature_string))
        s += QStringLiteral("Temp: ") + TemperatureText(text(W::temperature_string));
    for (W feels : {W::heat_index_string, W::windchill_string}) {
        if (has(feels) && !text(feels).isEmpty() &&
            !text(feels).contains(QStringLiteral("na"), Qt::CaseInsensitive))
            s += QStringLiteral(" (feels like ") + TemperatureText(text(feels)) + u')';
    }
    if (has(W::weather)) s += kCrLf + QStringLiteral("Skies: ") + text(W::weather) + kCrLf;
    if (has(W::relative_humidity))
        s += QStringLiteral("Humidity: ") + text(W::relative_humidity) +
             QStringLiteral("% humidity") + kCrLf;
    if (has(W::wind_dir) && has(W::wind_mph))
        s += QStringLiteral("Wind: From ") + text(W::wind_dir) + QStringLiteral(" at ") +
             text(W::wind_mph) + QStringLiteral(" mpi") + kCrLf;
    if (has(W::visiblity)) s += QStringLiteral("Visibility: ") + text(W::visiblity) + kCrLf;
    if (has(W::pressure_string)) s += QStringLiteral("Barometer: ") + text(W::pressure_string);
    if (has(W::BarometerDirection) && !text(W::BarometerDirection).isEmpty())
        s += u' ' + text(W::BarometerDirection);
    if (has(W::observation_time)) s += kCrLf + kCrLf + text(W::observation_time);
    return s;
}

QString DebugLayout(const QString& body) {
    QString laid = body;
    laid.replace(QStringLiteral("<CityState>"), QStringLiteral("\r\n\t<CityState>"));
    laid.replace(QStringLiteral("<StationID>"), QStringLiteral("\r\n\t<StationID>"));
    laid.replace(QStringLiteral("</CurrentWeather>"), QStringLiteral("\r\n</CurrentWeather>"));
    return laid;
}

QString DebugBoxText(const QString& url, const QString& statusText, int status,
                     const QString& body) {
    return QStringLiteral("Debug Weather Gathering") + kCrLf + kCrLf + QStringLiteral("URL: ") +
           url + kCrLf + kCrLf + QStringLiteral("HTTP Status: ") + statusText +
           QStringLiteral(" (") + QString::number(status) + u')' + kCrLf + kCrLf +
           DebugLayout(body);
}

QString ParseErrorText(int code, const QString& reason) {
    return QStringLiteral("Error in XML parsing") + kCrLf + kCrLf + QString::number(code) +
           QStringLiteral(" : ") + reason;
}

}  // namespace horolet
