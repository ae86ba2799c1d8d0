#include "app/frmCalendar.h"

#include "app/Fonts.h"
#include "app/Twips.h"
#include "platform/Platform.h"

#include <QCalendarWidget>
#include <QCloseEvent>

namespace horolet {

frmCalendar::frmCalendar()
    : QWidget(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("Quick Calendar"));
    const QFont tahoma = TahomaFont();
    setFont(tahoma);

    MonthView1 = new QCalendarWidget(this);
    MonthView1->setFont(tahoma);
    // Week numbers and long day names would not fit the small window.
    MonthView1->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    MonthView1->setHorizontalHeaderFormat(QCalendarWidget::SingleLetterDayNames);
    MonthView1->setGridVisible(false);

    // The design size, grown where the platform's fonts need more room so that no
    // day is cut off.
    const QSize design(twipsToPx(kClientWidth), twipsToPx(kClientHeight));
    const QSize size = design.expandedTo(MonthView1->minimumSizeHint());
    MonthView1->setGeometry(QRect(QPoint(0, 0), size));
    setFixedSize(size);
}

frmCalendar::~frmCalendar() = default;

void frmCalendar::load() {
    // One reading of the clock, so year, month and day always belong to the same date.
    const QDate today = platform().currentLocal().date();
    MonthView1->setSelectedDate(today);
    MonthView1->setCurrentPage(today.year(), today.month());
}

void frmCalendar::closeEvent(QCloseEvent* event) {
    event->accept();
    finishUnload(this);
}

void ShowCalendarWindow() {
    frmCalendar* f = frmCalendar::form();
    f->show();
    f->raise();
    f->activateWindow();
}

}  // namespace horolet
