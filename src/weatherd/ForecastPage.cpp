#include "weatherd/ForecastPage.h"

#include "weatherd/Units.h"

#include <QJsonArray>

#include <cmath>

namespace horolet::weatherd {

namespace {

QString Text(const QJsonObject& o, const char* key) {
    return o.value(QLatin1String(key)).toString().trimmed();
}

// The API gives "temperature": 35 with "temperatureUnit": "F", or, in its newer form,
// a quantity {"unitCode": "wmoUnit:degC", "value": 2}.
QString Temperature(const QJsonObject& period) {
    const QJsonValue t = period.value(QLatin1String("temperature"));
    std::optional<double> celsius;
    if (t.isDouble())
        celsius = CelsiusFrom(t.toDouble(), Text(period, "temperatureUnit"));
    else
        celsius = Celsius(t);
    if (!celsius) return {};
    return QString::number(std::lround(FahrenheitOf(*celsius))) + QStringLiteral("°F");
}

QString MphText(double metresPerSecond) {
    return QString::number(std::lround(MphOf(metresPerSecond)));
}

// "5 to 10 mph", or a quantity with a value or a range.
QString WindSpeed(const QJsonValue& speed) {
    if (speed.isString()) return speed.toString().trimmed();
    if (!speed.isObject()) return {};
    const QJsonObject o = speed.toObject();
    const auto part = [&o](const char* key) {
        QJsonObject q = o;
        q.insert(QLatin1String("value"), o.value(QLatin1String(key)));
        return MetresPerSecond(q);
    };
    if (const auto v = MetresPerSecond(o)) return MphText(*v) + QStringLiteral(" mph");
    const auto lo = part("minValue");
    const auto hi = part("maxValue");
    if (lo && hi)
        return MphText(*lo) + QStringLiteral(" to ") + MphText(*hi) + QStringLiteral(" mph");
    return {};
}

const char* const kStyle =
    "body{font-family:sans-serif;font-size:13px;margin:6px;color:#111;background:#fff}"
    "h1{font-size:15px;margin:0 0 2px}"
    ".zip{color:#555;margin:0 0 6px}"
    ".period{border-top:1px solid #ccc;padding:4px 0}"
    ".name{font-weight:bold}"
    ".temp{float:right;font-weight:bold}"
    ".wind{color:#444}"
    ".source{color:#777;font-size:11px;margin-top:8px}";

QByteArray Page(const QString& title, const QString& body) {
    return (QStringLiteral("<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
                           "<meta name=\"viewport\" content=\"width=device-width, "
                           "initial-scale=1\"><title>") +
            title.toHtmlEscaped() + QStringLiteral("</title><style>") + QLatin1String(kStyle) +
            QStringLiteral("</style></head>\n<body>") + body + QStringLiteral("</body></html>\n"))
        .toUtf8();
}

}  // namespace

QList<ForecastPeriod> ParseForecast(const QJsonObject& forecast) {
    const QJsonObject p = forecast.value(QLatin1String("properties")).toObject();
    QList<ForecastPeriod> periods;
    for (const QJsonValue& v : p.value(QLatin1String("periods")).toArray()) {
        const QJsonObject o = v.toObject();
        ForecastPeriod f;
        f.name = Text(o, "name");
        f.temperature = Temperature(o);
        const QString speed = WindSpeed(o.value(QLatin1String("windSpeed")));
        const QString direction = Text(o, "windDirection");
        f.wind = speed.isEmpty() ? QString() : (direction + u' ' + speed).trimmed();
        f.shortForecast = Text(o, "shortForecast");
        if (!f.name.isEmpty() || !f.shortForecast.isEmpty()) periods.append(f);
    }
    return periods;
}

QByteArray ForecastHtml(const QString& place, const QString& zip,
                        const QList<ForecastPeriod>& periods) {
    const QString heading = place.isEmpty() ? QStringLiteral("Zip code ") + zip : place;
    QString body = QStringLiteral("<h1>") + heading.toHtmlEscaped() + QStringLiteral("</h1>");
    body += QStringLiteral("<p class=\"zip\">Forecast for zip code ") + zip.toHtmlEscaped() +
            QStringLiteral("</p>\n");
    for (const ForecastPeriod& f : periods) {
        body += QStringLiteral("<div class=\"period\"><div class=\"name\">");
        if (!f.temperature.isEmpty())
            body += QStringLiteral("<span class=\"temp\">") + f.temperature.toHtmlEscaped() +
                    QStringLiteral("</span>");
        body += f.name.toHtmlEscaped() + QStringLiteral("</div>");
        if (!f.shortForecast.isEmpty())
            body += QStringLiteral("<div>") + f.shortForecast.toHtmlEscaped() +
                    QStringLiteral("</div>");
        if (!f.wind.isEmpty())
            body += QStringLiteral("<div class=\"wind\">Wind ") + f.wind.toHtmlEscaped() +
                    QStringLiteral("</div>");
        body += QStringLiteral("</div>\n");
    }
    if (periods.isEmpty()) body += QStringLiteral("<p>No forecast periods were given.</p>");
    body += QStringLiteral("<p class=\"source\">National Weather Service forecast</p>");
    return Page(QStringLiteral("Forecast for ") + heading, body);
}

QByteArray MessageHtml(const QString& title, const QString& message) {
    return Page(title, QStringLiteral("<h1>") + title.toHtmlEscaped() + QStringLiteral("</h1><p>") +
                           message.toHtmlEscaped() + QStringLiteral("</p>"));
}

}  // namespace horolet::weatherd
