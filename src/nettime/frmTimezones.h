#pragma once

#include "app/Forms.h"
#include "nettime/ZoneTable.h"

#include <QWidget>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTimer;

namespace horolet {

// "What Time Is It?": the time and date of a place chosen from the zone table.
class frmTimezones final : public QWidget, public Loadable<frmTimezones> {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 3225;  // twips
    static constexpr int kClientHeight = 2475;

    frmTimezones();

    void load();
    void cmbTimezones_Click(int listPosition);
    void Timer1_Timer();

    QGroupBox* Frame1 = nullptr;
    QComboBox* cmbTimezones = nullptr;
    QLabel* txtZonetime = nullptr;
    QLabel* txtZoneDate = nullptr;
    QPushButton* Command1 = nullptr;
    QTimer* Timer1 = nullptr;

    ZoneOffsetArray ZoneOffsets{};
    double LocalBiasMinutes = 0;
    qint16 DstShiftHours = 0;
    double ZoneOffsetMinutes = 0;

    void setVisible(bool visible) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void onActivated(int listPosition);
    bool m_closed = false;
    bool m_typedText = false;
};

}  // namespace horolet
