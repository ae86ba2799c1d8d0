#include "weatherd/WeatherService.h"

#include "weatherd/Conditions.h"
#include "weatherd/ForecastPage.h"
#include "weatherd/Upstream.h"

#include <QJsonArray>
#include <QTimeZone>
#include <QTimer>
#include <QUrlQuery>

#include <optional>

namespace horolet::weatherd {

namespace {

using namespace std::chrono_literals;

constexpr std::chrono::seconds kPlaceTtl = 24h;
constexpr std::chrono::seconds kWeatherTtl = 10min;
constexpr qint64 kStaleAfterSecs = 2 * 3600;
constexpr qint64 kTrendSpanSecs = 3 * 3600;
constexpr qint64 kTrendSlackSecs = 30 * 60;

QString Text(const QJsonObject& o, const char* key) {
    return o.value(QLatin1String(key)).toString().trimmed();
}

QTimeZone Zone(const QString& iana) {
    const QTimeZone z(iana.toUtf8());
    return z;
}

QString Coordinate(double degrees) {
    QString s = QString::number(degrees, 'f', 4);
    while (s.endsWith(u'0')) s.chop(1);
    if (s.endsWith(u'.')) s.chop(1);
    return s == QLatin1String("-0") ? QStringLiteral("0") : s;
}

// What /points/{lat},{lon} tells about a place.
struct Point {
    QString stationsPath;
    QString forecastPath;
    QString cityState;
    QString state;
    QTimeZone zone;
};

std::optional<Point> ParsePoint(const QJsonObject& doc) {
    const QJsonObject p = doc.value(QLatin1String("properties")).toObject();
    Point point;
    point.stationsPath = Upstream::PathOf(Text(p, "observationStations"));
    point.forecastPath = Upstream::PathOf(Text(p, "forecast"));
    const QJsonObject where = p.value(QLatin1String("relativeLocation"))
                                  .toObject()
                                  .value(QLatin1String("properties"))
                                  .toObject();
    const QString city = Text(where, "city");
    point.state = Text(where, "state");
    point.cityState = city.isEmpty() || point.state.isEmpty()
                          ? city + point.state
                          : city + QStringLiteral(", ") + point.state;
    point.zone = Zone(Text(p, "timeZone"));
    if (point.stationsPath.isEmpty() && point.forecastPath.isEmpty()) return std::nullopt;
    return point;
}

struct Station {
    QString id;
    QString name;
    QTimeZone zone;
};

QList<Station> ParseStations(const QJsonObject& doc) {
    QList<Station> list;
    for (const QJsonValue& f : doc.value(QLatin1String("features")).toArray()) {
        const QJsonObject p = f.toObject().value(QLatin1String("properties")).toObject();
        Station s{Text(p, "stationIdentifier"), Text(p, "name"), Zone(Text(p, "timeZone"))};
        if (!s.id.isEmpty()) list.append(s);
    }
    if (list.isEmpty()) {
        for (const QJsonValue& v : doc.value(QLatin1String("observationStations")).toArray()) {
            const QString path = Upstream::PathOf(v.toString());
            const QString id = path.section(u'/', -1);
            if (!id.isEmpty()) list.append(Station{id, id, {}});
        }
    }
    return list;
}

bool ValidStationId(const QString& id) {
    if (id.isEmpty() || id.size() > 16) return false;
    for (const QChar c : id)
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'_' && c != u'-') return false;
    return true;
}

// One client's question, alive until it is answered or its deadline passes.
class Request : public QObject {
public:
    Request(WeatherService& service, QString zip)
        : QObject(&service), m_service(service), m_zip(std::move(zip)) {
        QTimer::singleShot(service.options().deadline, this, [this] { timedOut(); });
    }

protected:
    virtual void timedOut() = 0;

    Upstream& upstream() const { return m_service.upstream(); }
    bool answered() const { return m_answered; }
    void markAnswered() {
        m_answered = true;
        deleteLater();
    }

    // Looks the zip code up and fetches its point; false when the zip code is unknown.
    bool fetchPoint(std::function<void(const Point&)> next,
                    std::function<void(const QString&)> fail) {
        const auto at = m_service.zips().find(m_zip);
        if (!at) return false;
        const QString path =
            QStringLiteral("/points/") + Coordinate(at->lat) + u',' + Coordinate(at->lon);
        upstream().getJson(path, kPlaceTtl, this, [next, fail](const UpstreamResult& r) {
            const auto point = r.ok ? ParsePoint(r.json) : std::nullopt;
            if (point)
                next(*point);
            else
                fail(r.ok ? QStringLiteral("no weather data for this place") : r.error);
        });
        return true;
    }

    WeatherService& m_service;
    const QString m_zip;

private:
    bool m_answered = false;
};

class ConditionsRequest final : public Request {
public:
    ConditionsRequest(WeatherService& service, QString zip,
                      std::function<void(const QByteArray&)> done)
        : Request(service, std::move(zip)), m_done(std::move(done)) {}

    void start() {
        if (!fetchPoint([this](const Point& p) { onPoint(p); },
                        [this](const QString& e) { failed(e); }))
            answer(ErrorXml(QStringLiteral("Unknown zip code")));
    }

private:
    void timedOut() override {
        answer(ErrorXml(QStringLiteral("The weather service did not answer in time")));
    }

    void answer(const QByteArray& xml) {
        if (answered()) return;
        markAnswered();
        m_done(xml);
    }

    void failed(const QString& why) {
        answer(ErrorXml(QStringLiteral("The weather service is unavailable (") + why + u')'));
    }

    void onPoint(const Point& p) {
        m_point = p;
        if (p.stationsPath.isEmpty()) return failed(QStringLiteral("no observation stations"));
        upstream().getJson(p.stationsPath, kPlaceTtl, this, [this](const UpstreamResult& r) {
            if (!r.ok) return failed(r.error);
            m_stations = ParseStations(r.json);
            m_stations.removeIf([](const Station& s) { return !ValidStationId(s.id); });
            if (m_stations.size() > m_service.options().stationsToTry)
                m_stations.resize(m_service.options().stationsToTry);
            tryStation(0);
        });
    }

    void tryStation(qsizetype index) {
        if (index >= m_stations.size()) {
            if (m_lastError.isEmpty())
                answer(ErrorXml(QStringLiteral("No recent observation near this zip code")));
            else
                failed(m_lastError);
            return;
        }
        const QString path = QStringLiteral("/stations/") + m_stations[index].id +
                             QStringLiteral("/observations/latest");
        upstream().getJson(path, kWeatherTtl, this, [this, index](const UpstreamResult& r) {
            if (!r.ok) {
                m_lastError = r.error;
                return tryStation(index + 1);
            }
            const Observation o = ParseObservation(r.json);
            const QDateTime now = m_service.options().utcNow();
            const bool fresh = o.time.isValid() && o.time.secsTo(now) <= kStaleAfterSecs;
            if (!fresh || !o.temperatureC) {
                m_lastError.clear();
                return tryStation(index + 1);
            }
            onObservation(m_stations[index], o);
        });
    }

    void onObservation(const Station& station, const Observation& o) {
        m_station = station;
        m_observation = o;
        if (!o.pressurePa) return build(std::nullopt);
        const QDateTime target = o.time.addSecs(-kTrendSpanSecs);
        QUrlQuery query;
        query.addQueryItem(QStringLiteral("start"),
                           target.addSecs(-kTrendSlackSecs).toString(Qt::ISODate));
        query.addQueryItem(QStringLiteral("end"),
                           target.addSecs(kTrendSlackSecs).toString(Qt::ISODate));
        const QString path = QStringLiteral("/stations/") + station.id +
                             QStringLiteral("/observations?") + query.toString(QUrl::FullyEncoded);
        upstream().getJson(path, kWeatherTtl, this, [this, target](const UpstreamResult& r) {
            std::optional<double> before;
            qint64 bestGap = kTrendSlackSecs + 1;
            if (r.ok) {
                for (const Observation& h : ParseObservations(r.json)) {
                    if (!h.pressurePa || !h.time.isValid()) continue;
                    const qint64 gap = qAbs(h.time.secsTo(target));
                    if (gap < bestGap) {
                        bestGap = gap;
                        before = h.pressurePa;
                    }
                }
            }
            build(before);
        });
    }

    void build(std::optional<double> pressureBefore) {
        StationPlace place;
        place.cityState = m_point.cityState;
        place.stationId = m_station.id;
        place.stationName = m_station.name;
        place.state = m_point.state;
        place.zone = m_station.zone.isValid() ? m_station.zone : m_point.zone;
        answer(ConditionsXml(ConditionElements(place, m_observation, pressureBefore)));
    }

    std::function<void(const QByteArray&)> m_done;
    Point m_point;
    QList<Station> m_stations;
    Station m_station;
    Observation m_observation;
    QString m_lastError;
};

class ForecastRequest final : public Request {
public:
    ForecastRequest(WeatherService& service, QString zip, std::function<void(const HtmlPage&)> done)
        : Request(service, std::move(zip)), m_done(std::move(done)) {}

    void start() {
        if (!fetchPoint([this](const Point& p) { onPoint(p); },
                        [this](const QString& e) { failed(e); }))
            answer({404, MessageHtml(QStringLiteral("Unknown zip code"),
                                     QStringLiteral("There is no place with the zip code ") +
                                         m_zip + u'.')});
    }

private:
    void timedOut() override {
        answer({504, MessageHtml(QStringLiteral("Forecast not available"),
                                 QStringLiteral("The weather service did not answer in time."))});
    }

    void answer(const HtmlPage& page) {
        if (answered()) return;
        markAnswered();
        m_done(page);
    }

    void failed(const QString& why) {
        answer({502, MessageHtml(QStringLiteral("Forecast not available"),
                                 QStringLiteral("The weather service is unavailable (") + why +
                                     QStringLiteral(")."))});
    }

    void onPoint(const Point& p) {
        if (p.forecastPath.isEmpty()) return failed(QStringLiteral("no forecast for this place"));
        upstream().getJson(p.forecastPath, kWeatherTtl, this, [this, p](const UpstreamResult& r) {
            if (!r.ok) return failed(r.error);
            answer({200, ForecastHtml(p.cityState, m_zip, ParseForecast(r.json))});
        });
    }

    std::function<void(const HtmlPage&)> m_done;
};

}  // namespace

WeatherService::WeatherService(Upstream& upstream, const ZipTable& zips, ServiceOptions options,
                               QObject* parent)
    : QObject(parent), m_upstream(upstream), m_zips(zips), m_options(std::move(options)) {
    if (!m_options.utcNow) m_options.utcNow = [] { return QDateTime::currentDateTimeUtc(); };
    if (m_options.stationsToTry < 1) m_options.stationsToTry = 1;
}

void WeatherService::currentConditions(const QString& zip,
                                       std::function<void(const QByteArray&)> done) {
    (new ConditionsRequest(*this, zip, std::move(done)))->start();
}

void WeatherService::forecastPage(const QString& zip, std::function<void(const HtmlPage&)> done) {
    (new ForecastRequest(*this, zip, std::move(done)))->start();
}

}  // namespace horolet::weatherd
