#pragma once

#include <QList>
#include <QLocale>
#include <QRect>
#include <QSize>
#include <QString>
#include <QUrl>

#include <optional>

namespace horolet {

// The forecast window's place and size in twips, as the store keeps them.
struct ForecastPlace {
    qint32 top = 0;
    qint32 left = 0;
    qint32 width = 0;
    qint32 height = 0;
    friend bool operator==(const ForecastPlace&, const ForecastPlace&) = default;
};

// Reads forTop, forLeft, forWidth and forHeight, each with the matching field of
// current as its default; a value that is not a whole 32-bit number (after rounding)
// gives the default as well.
ForecastPlace ReadForecastPlace(const ForecastPlace& current);
void WriteForecastPlace(const ForecastPlace& place);

// A place that lies wholly off every screen (pixels) moves onto the primary screen,
// as near to where it was as fits; any other place is kept.
QRect KeepOnSomeScreen(const QRect& window, const QList<QRect>& screens, const QRect& primary);

// The browser's size for the window's client size (both twips): the design's margins
// around it and the status bar below it, never negative.
QSize BrowserSizeTwips(int clientWidth, int clientHeight);

// Panel 1's text for a progress report; nothing when the text is to stay as it is.
std::optional<QString> ProgressPanelText(qint32 progress, qint32 maximum,
                                         const QLocale& locale = QLocale());

// The forecast page for a zip code; invalid when host is not a plain host[:port].
QUrl ForecastAddress(const QString& host, const QString& zipCode);

}  // namespace horolet
