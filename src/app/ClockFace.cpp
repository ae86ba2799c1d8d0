#include "app/ClockFace.h"

#include "app/Globals.h"

namespace horolet {

QString FormatClockTime(const QTime& t) {
    int h = t.hour() % 12;
    if (h == 0) h = 12;
    return QStringLiteral("%1:%2:%3 %4")
        .arg(h)
        .arg(t.minute(), 2, 10, QLatin1Char('0'))
        .arg(t.second(), 2, 10, QLatin1Char('0'))
        .arg(t.hour() < 12 ? QLatin1String("am") : QLatin1String("pm"));
}

QString FormatClockDate(const QDate& d, const QLocale& locale) {
    return locale.dayName(d.dayOfWeek(), QLocale::ShortFormat) + u' ' + QString::number(d.day()) +
           u' ' + locale.monthName(d.month(), QLocale::ShortFormat) + u' ' +
           QString::number(d.year());
}

void ClockFaceTick(AppValues& app, const std::function<QDateTime()>& now, QString& timeCaption,
                   QString& dateCaption) {
    timeCaption = FormatClockTime(now().time());
    if (now().time().second() % 3 != 0) return;
    if (app.WeatherText.isEmpty()) {
        dateCaption = FormatClockDate(now().date());
    } else if (app.WeatherShown) {
        app.WeatherShown = false;
        dateCaption = FormatClockDate(now().date());
    } else {
        app.WeatherShown = true;
        dateCaption = app.WeatherText;
    }
}

}  // namespace horolet
