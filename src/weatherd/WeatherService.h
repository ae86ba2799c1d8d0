#pragma once

// Answers the clock's two questions for a zip code: the current conditions as a
// CurrentWeather document, and the forecast page. Each question runs on its own, so a
// slow upstream answer for one client never holds up another.

#include "weatherd/ZipTable.h"

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QString>

#include <chrono>
#include <functional>

namespace horolet::weatherd {

class Upstream;

struct ServiceOptions {
    // Longest a client waits for its answer, whatever the upstream does: inside the
    // clock's own ten-second limit, so that it gets an ErrText and keeps its line.
    std::chrono::milliseconds deadline{8000};
    // Stations tried, nearest first, for an observation that is recent and has a temperature.
    int stationsToTry = 3;
    std::function<QDateTime()> utcNow;  // the observation's age is measured against it
};

struct HtmlPage {
    int status = 200;
    QByteArray html;
};

class WeatherService final : public QObject {
public:
    WeatherService(Upstream& upstream, const ZipTable& zips, ServiceOptions options,
                   QObject* parent = nullptr);

    // done runs exactly once, possibly before this returns.
    void currentConditions(const QString& zip, std::function<void(const QByteArray&)> done);
    void forecastPage(const QString& zip, std::function<void(const HtmlPage&)> done);

    Upstream& upstream() const { return m_upstream; }
    const ZipTable& zips() const { return m_zips; }
    const ServiceOptions& options() const { return m_options; }

private:
    Upstream& m_upstream;
    const ZipTable& m_zips;
    ServiceOptions m_options;
};

}  // namespace horolet::weatherd
