#pragma once

// The daemon's side of the weather API: GET requests for JSON with the program's
// User-Agent, each bounded in time, retried once on 500 and 503, answered from a cache
// while fresh, and shared when the same address is already being fetched.

#include <QHash>
#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <chrono>
#include <functional>
#include <vector>

class QNetworkAccessManager;
class QNetworkReply;

namespace horolet::weatherd {

struct UpstreamOptions {
    QUrl base = QUrl(QStringLiteral("https://api.weather.gov"));
    QString contact;  // goes into the User-Agent; the API wants one
    // Generous: a late answer still fills the cache for the clock's next request.
    std::chrono::milliseconds timeout{15000};
    std::chrono::milliseconds retryDelay{1500};
    // Monotonic milliseconds for the cache; tests move it on.
    std::function<qint64()> monotonicMs;
};

struct UpstreamResult {
    bool ok = false;
    int status = 0;    // HTTP status, 0 when no reply came
    QJsonObject json;  // the body when ok
    QString error;     // what went wrong otherwise
};

class Upstream final : public QObject {
    Q_OBJECT
public:
    using Callback = std::function<void(const UpstreamResult&)>;

    explicit Upstream(UpstreamOptions options, QObject* parent = nullptr);
    ~Upstream() override;

    // Fetches base + pathAndQuery. The callback runs later, never inside this call, and
    // only while context lives. A good reply is kept for ttl.
    void getJson(const QString& pathAndQuery, std::chrono::seconds ttl, QObject* context,
                 Callback callback);

    // The API hands out absolute addresses; only their path and query are used, so that
    // every request goes to the configured base.
    static QString PathOf(const QString& apiAddress);

    QByteArray userAgent() const;
    int networkRequests() const { return m_networkRequests; }

private:
    struct Waiter {
        QPointer<QObject> context;
        Callback callback;
    };
    struct Entry {
        QJsonObject json;
        qint64 expiresMs = 0;
    };

    void start(const QString& key, bool isRetry);
    void finished(QNetworkReply* reply, const QString& key, bool isRetry);
    void deliver(const QString& key, const UpstreamResult& result);
    void prune();
    qint64 nowMs() const;

    UpstreamOptions m_options;
    QNetworkAccessManager* m_network;
    QHash<QString, Entry> m_cache;
    QHash<QString, std::vector<Waiter>> m_waiting;
    QHash<QString, std::chrono::seconds> m_ttl;
    int m_networkRequests = 0;
};

}  // namespace horolet::weatherd
