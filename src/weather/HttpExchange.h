#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <utility>

namespace horolet {

// One HTTP request made synchronously: the calling thread waits for it, and no event of
// the program runs meanwhile. The weather request and the SOAP sender both use it.
struct HttpRequest {
    QByteArray method = "GET";
    QUrl url;
    QList<std::pair<QByteArray, QByteArray>> headers;
    QByteArray body;
};

struct HttpReply {
    bool completed = false;  // a status line and the whole body arrived within the limits
    int status = 0;
    QString statusText;
    QByteArray contentType;
    QByteArray body;
};

// A service that has not answered completely by then, or sends more, counts as failed.
inline constexpr int kHttpTimeLimitMs = 10000;
inline constexpr qint64 kHttpSizeLimit = 1024 * 1024;

HttpReply SendHttpRequest(const HttpRequest& request);

// The body as text, in the charset the reply names (UTF-8 when it names none we know).
QString ReplyText(const HttpReply& reply);

}  // namespace horolet
