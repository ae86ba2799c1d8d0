#include "weather/forecast/ForecastRules.h"

#include "settings/Settings.h"

#include <algorithm>
#include <cmath>

namespace horolet {

namespace {

// The browser's margins inside the client area in the design (twips): 60 left and top,
// 45 right, and the 330-twip status bar below it.
constexpr int kBrowserWidthMargin = 105;
constexpr int kBrowserHeightMargin = 390;

const QString kTopKey = QStringLiteral("forTop");
const QString kLeftKey = QStringLiteral("forLeft");
const QString kWidthKey = QStringLiteral("forWidth");
const QString kHeightKey = QStringLiteral("forHeight");

int clampInto(int value, int low, int high) {
    return std::clamp(value, low, std::max(low, high));
}

}  // namespace

ForecastPlace ReadForecastPlace(const ForecastPlace& current) {
    ForecastPlace place;
    place.top = ReadOptionInt32(kTopKey, current.top);
    place.left = ReadOptionInt32(kLeftKey, current.left);
    place.width = ReadOptionInt32(kWidthKey, current.width);
    place.height = ReadOptionInt32(kHeightKey, current.height);
    return place;
}

void WriteForecastPlace(const ForecastPlace& place) {
    WriteOption(kTopKey, NumberText(place.top));
    WriteOption(kLeftKey, NumberText(place.left));
    WriteOption(kWidthKey, NumberText(place.width));
    WriteOption(kHeightKey, NumberText(place.height));
}

QRect KeepOnSomeScreen(const QRect& window, const QList<QRect>& screens, const QRect& primary) {
    // An empty window still occupies its corner.
    const QRect probe(window.topLeft(), window.size().expandedTo(QSize(1, 1)));
    for (const QRect& screen : screens)
        if (screen.intersects(probe)) return window;
    QRect moved = window;
    moved.moveTo(clampInto(window.x(), primary.left(), primary.right() + 1 - window.width()),
                 clampInto(window.y(), primary.top(), primary.bottom() + 1 - window.height()));
    return moved;
}

QSize BrowserSizeTwips(int clientWidth, int clientHeight) {
    return {std::max(0, clientWidth - kBrowserWidthMargin),
            std::max(0, clientHeight - kBrowserHeightMargin)};
}

std::optional<QString> ProgressPanelText(qint32 progress, qint32 maximum, const QLocale& locale) {
    if (maximum <= 0) return std::nullopt;
    const double r = double(progress) / double(maximum);
    if (r == 1.0) return QString();
    const qint64 percent = std::llround(r * 100.0);
    return QStringLiteral("(") + locale.toString(percent) + locale.percent() +
           QStringLiteral(" loaded)");
}

QUrl ForecastAddress(const QString& host, const QString& zipCode) {
    QUrl url(QStringLiteral("http://") + host, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty() || !url.path().isEmpty() || url.hasQuery() ||
        url.hasFragment() || !url.userInfo().isEmpty())
        return {};
    url.setPath(QStringLiteral("/weather/iphone/"));
    // The zip code comes from a hand-editable store: it must stay one query value.
    url.setQuery(QStringLiteral("z=") + QString::fromLatin1(QUrl::toPercentEncoding(zipCode)),
                 QUrl::StrictMode);
    return url;
}

}  // namespace horolet
