#include "weatherd/Upstream.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace horolet::weatherd {

namespace {

constexpr int kCacheLimit = 2000;

bool Retryable(int status) {
    return status == 500 || status == 503;
}

}  // namespace

Upstream::Upstream(UpstreamOptions options, QObject* parent)
    : QObject(parent), m_options(std::move(options)), m_network(new QNetworkAccessManager(this)) {
    if (!m_options.monotonicMs) {
        auto clock = std::make_shared<QElapsedTimer>();
        clock->start();
        m_options.monotonicMs = [clock] { return clock->elapsed(); };
    }
    m_network->setRedirectPolicy(QNetworkRequest::SameOriginRedirectPolicy);
}

Upstream::~Upstream() {
    // Replies aborted by the teardown must not reach a half-destroyed cache.
    for (QNetworkReply* reply : m_network->findChildren<QNetworkReply*>()) reply->disconnect(this);
    delete m_network;
}

QString Upstream::PathOf(const QString& apiAddress) {
    const QUrl url(apiAddress);
    if (!url.isValid()) return {};
    QString path = url.path(QUrl::FullyEncoded);
    if (!path.startsWith(u'/')) path.prepend(u'/');
    if (url.hasQuery()) path += u'?' + url.query(QUrl::FullyEncoded);
    return path;
}

QByteArray Upstream::userAgent() const {
    return QStringLiteral("horolet-weatherd/%1 (%2)")
        .arg(QCoreApplication::applicationVersion().isEmpty()
                 ? QStringLiteral("1.0")
                 : QCoreApplication::applicationVersion(),
             m_options.contact)
        .toUtf8();
}

qint64 Upstream::nowMs() const {
    return m_options.monotonicMs();
}

void Upstream::getJson(const QString& pathAndQuery, std::chrono::seconds ttl, QObject* context,
                       Callback callback) {
    const QString key = pathAndQuery;
    Waiter waiter{QPointer<QObject>(context), std::move(callback)};
    const auto hit = m_cache.constFind(key);
    if (hit != m_cache.constEnd() && hit->expiresMs > nowMs()) {
        UpstreamResult result{true, 200, hit->json, {}};
        QTimer::singleShot(0, context, [waiter, result] {
            if (waiter.context) waiter.callback(result);
        });
        return;
    }
    auto& waiting = m_waiting[key];
    waiting.push_back(std::move(waiter));
    // The longest wish wins when two callers share one fetch.
    m_ttl[key] = std::max(m_ttl.value(key, ttl), ttl);
    if (waiting.size() == 1) start(key, false);
}

void Upstream::start(const QString& key, bool isRetry) {
    QString base = m_options.base.toString(QUrl::FullyEncoded);
    while (base.endsWith(u'/')) base.chop(1);
    const QUrl url(base + key, QUrl::TolerantMode);

    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, userAgent());
    request.setRawHeader("Accept", "application/geo+json");
    request.setTransferTimeout(int(m_options.timeout.count()));
    ++m_networkRequests;
    QNetworkReply* reply = m_network->get(request);
    connect(reply, &QNetworkReply::finished, this,
            [this, reply, key, isRetry] { finished(reply, key, isRetry); });
}

void Upstream::finished(QNetworkReply* reply, const QString& key, bool isRetry) {
    reply->deleteLater();
    UpstreamResult result;
    result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (Retryable(result.status) && !isRetry) {
        QTimer::singleShot(m_options.retryDelay, this, [this, key] { start(key, true); });
        return;
    }
    if (reply->error() != QNetworkReply::NoError || result.status != 200) {
        result.error =
            result.status ? QStringLiteral("HTTP %1").arg(result.status) : reply->errorString();
    } else {
        QJsonParseError parseError{};
        const QJsonDocument doc = QJsonDocument::fromJson(reply->readAll(), &parseError);
        if (doc.isObject()) {
            result.ok = true;
            result.json = doc.object();
        } else {
            result.error = QStringLiteral("not a JSON object: ") + parseError.errorString();
        }
    }
    if (result.ok) {
        prune();
        const auto ttl = std::chrono::milliseconds(m_ttl.value(key));
        m_cache.insert(key, Entry{result.json, nowMs() + ttl.count()});
    } else {
        qWarning("upstream %s: %s", qPrintable(key), qPrintable(result.error));
    }
    deliver(key, result);
}

void Upstream::deliver(const QString& key, const UpstreamResult& result) {
    const std::vector<Waiter> waiting = m_waiting.take(key);
    m_ttl.remove(key);
    for (const Waiter& w : waiting)
        if (w.context) w.callback(result);
}

void Upstream::prune() {
    if (m_cache.size() < kCacheLimit) return;
    const qint64 now = nowMs();
    m_cache.removeIf([now](const auto& it) { return it.value().expiresMs <= now; });
    if (m_cache.size() >= kCacheLimit) m_cache.clear();
}

}  // namespace horolet::weatherd
