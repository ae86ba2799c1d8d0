#pragma once

// The forecast page the clock's forecast window shows: the coming periods of the weather
// API's forecast as one small page with nothing loaded from elsewhere.

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>

namespace horolet::weatherd {

struct ForecastPeriod {
    QString name;           // "Tonight"
    QString temperature;    // "35°F"; empty when the API gave none
    QString wind;           // "S 5 to 10 mph"
    QString shortForecast;  // "Mostly Clear"
};

QList<ForecastPeriod> ParseForecast(const QJsonObject& forecast);

QByteArray ForecastHtml(const QString& place, const QString& zip,
                        const QList<ForecastPeriod>& periods);

// The same page frame holding only a message.
QByteArray MessageHtml(const QString& title, const QString& message);

}  // namespace horolet::weatherd
