#include "app/Balloon.h"
#include "app/Globals.h"
#include "app/frmMain.h"
#include "platform/Platform.h"
#include "settings/Settings.h"
#include "weather/HttpExchange.h"
#include "weather/Weather.h"
#include "weather/WeatherReport.h"

#include <QRandomGenerator>
#include <QUrl>

namespace horolet {

QString WeatherHost() {
    return ReadOption(QStringLiteral("WeatherHost"), QStringLiteral("localhost:8797"));
}

QString WeatherUrl(const QString& host, const QString& zipCode, int rand) {
    return QStringLiteral("http://") + host +
           QStringLiteral("/Weather/getCurrentConditions.asp?zipCode=") +
           QString::fromLatin1(QUrl::toPercentEncoding(zipCode)) + QStringLiteral("&Rand=") +
           QString::number(rand);
}

namespace {

// A host setting that is not a plain host[:port] would change the rest of the address.
QUrl checkedUrl(const QString& host, const QString& url) {
    QUrl authority;
    authority.setScheme(QStringLiteral("http"));
    authority.setAuthority(host, QUrl::StrictMode);
    if (!authority.isValid() || authority.host().isEmpty() || !authority.userInfo().isEmpty() ||
        host.contains(u'/') || host.contains(u'?') || host.contains(u'#'))
        return {};
    return QUrl(url, QUrl::StrictMode);
}

}  // namespace

void UpdateWeatherTexts(bool showDebug,
                        const std::function<void(const QString&)>& setConditionsText) {
    AppValues& app = App();
    Platform& p = platform();

    const int rand = int(QRandomGenerator::global()->bounded(1, 3001));
    const QString host = WeatherHost();
    const QString url = WeatherUrl(host, app.ZipCode, rand);

    if (!p.isOnline()) return;

    HttpReply reply;
    const QUrl address = checkedUrl(host, url);
    if (address.isValid()) {
        HttpRequest request;
        request.url = address;
        reply = SendHttpRequest(request);
    }

    if (showDebug && reply.completed)
        p.messageBox(DebugBoxText(url, reply.statusText, reply.status, ReplyText(reply)),
                     MsgIcon::Information, QStringLiteral("Debug Weather Retrieval"));

    if (!reply.completed || reply.status != 200) {
        app.WeatherText.clear();
        return;
    }

    const WeatherReply parsed = ParseWeatherReply(reply.body);
    if (!parsed.wellFormed) {
        p.messageBox(ParseErrorText(parsed.errorCode, parsed.errorReason), MsgIcon::None,
                     QString());
        app.WeatherText.clear();
        return;
    }
    if (parsed.item(WeatherItem::ErrText)) return;

    app.WeatherText = WeatherLine(parsed);
    setConditionsText(ConditionsText(parsed));
}

void UpdateWeather(bool showDebug) {
    UpdateWeatherTexts(showDebug, [](const QString& text) {
        if (frmMain* f = frmMain::loadedForm(); f && f->m_oTool) f->m_oTool->setText(text);
    });
}

}  // namespace horolet
