#include "weather/HttpExchange.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringDecoder>
#include <QThread>
#include <QTimer>

#include <memory>

namespace horolet {

namespace {

// Transport, proxy and protocol failures leave no usable reply; content and server
// errors (404, 500, ...) are completed exchanges with their status.
bool transportFailed(QNetworkReply::NetworkError e) {
    const int code = int(e);
    return (code >= 1 && code < 200) || (code >= 300 && code < 400);
}

// Runs on a worker thread with its own event loop, so the caller's thread only waits.
HttpReply exchange(const HttpRequest& request) {
    HttpReply out;
    QNetworkAccessManager manager;
    QNetworkRequest req(request.url);
    for (const auto& [name, value] : request.headers) req.setRawHeader(name, value);
    req.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);

    QNetworkReply* reply = manager.sendCustomRequest(req, request.method, request.body);
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    limit.setTimerType(Qt::PreciseTimer);  // a coarse timer may fire up to 5 % early
    bool overTime = false;
    bool overSize = false;
    QByteArray body;

    QObject::connect(&limit, &QTimer::timeout, reply, [&] {
        overTime = true;
        reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [&] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > kHttpSizeLimit) {
            overSize = true;
            reply->abort();
        }
    });
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [&] {
        if (overSize) return;
        body += reply->read(kHttpSizeLimit + 1 - body.size());
        if (body.size() > kHttpSizeLimit) {
            overSize = true;
            reply->abort();
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);

    limit.start(kHttpTimeLimitMs);
    if (!reply->isFinished()) loop.exec();
    limit.stop();

    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (overTime || overSize || !status.isValid() || transportFailed(reply->error())) return out;
    body += reply->read(kHttpSizeLimit + 1 - body.size());
    if (body.size() > kHttpSizeLimit) return out;

    out.completed = true;
    out.status = status.toInt();
    out.statusText = QString::fromLatin1(
        reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray());
    out.contentType = reply->rawHeader("Content-Type");
    out.body = std::move(body);
    return out;
}

}  // namespace

HttpReply SendHttpRequest(const HttpRequest& request) {
    HttpReply result;
    // Blocking on a thread instead of running a local event loop here: no timer, click or
    // second request of the program can run until this one has ended.
    std::unique_ptr<QThread> worker(QThread::create([&] { result = exchange(request); }));
    worker->start();
    worker->wait();
    return result;
}

QString ReplyText(const HttpReply& reply) {
    if (auto bom = QStringConverter::encodingForData(reply.body)) {
        QStringDecoder decoder(*bom);
        return decoder.decode(reply.body);
    }
    for (QByteArray part : reply.contentType.split(';')) {
        part = part.trimmed();
        if (!part.toLower().startsWith("charset=")) continue;
        QByteArray name = part.mid(8).trimmed();
        if (name.size() >= 2 && name.startsWith('"') && name.endsWith('"'))
            name = name.mid(1, name.size() - 2);
        QStringDecoder decoder(name.constData());
        if (decoder.isValid()) return decoder.decode(reply.body);
    }
    return QString::fromUtf8(reply.body);
}

}  // namespace horolet
