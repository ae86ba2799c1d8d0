#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

#include <functional>

namespace horolet {

struct AppValues;

// "h:mm:ss am/pm": 12-hour clock, midnight is 12 am, noon 12 pm.
QString FormatClockTime(const QTime& t);
// "ddd d mmm yyyy" with the locale's abbreviated day and month names.
QString FormatClockDate(const QDate& d, const QLocale& locale = QLocale::system());

// One tick of the clock face. Reads the clock through now() once per use, as the
// tick reads it three times; sets the time caption and, on seconds divisible by 3,
// the date line (alternating with the weather line while there is one).
void ClockFaceTick(AppValues& app, const std::function<QDateTime()>& now, QString& timeCaption,
                   QString& dateCaption);

}  // namespace horolet
