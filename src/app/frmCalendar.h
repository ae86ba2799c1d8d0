#pragma once

#include "app/Forms.h"

#include <QWidget>

class QCalendarWidget;

namespace horolet {

// "Quick Calendar": a month calendar opened at today's date. A viewer only; it keeps
// no state and saves nothing.
class frmCalendar final : public QWidget, public Loadable<frmCalendar> {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 2595;  // twips
    static constexpr int kClientHeight = 2340;

    frmCalendar();
    ~frmCalendar() override;

    void load();

    QCalendarWidget* MonthView1 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
};

// Shows the calendar modeless and without an owner; a second call while it is open
// brings up the same window without reloading it.
void ShowCalendarWindow();

}  // namespace horolet
