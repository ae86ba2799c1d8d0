#pragma once

#include "app/Forms.h"

#include <QString>
#include <QWidget>

#include <optional>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace horolet {

// An interval text as Save takes it: a number that rounds (half to even) to a 16-bit
// signed whole number of minutes. On failure, why it was refused.
struct MinutesParse {
    std::optional<qint16> minutes;
    QString problem;  // empty when minutes is set
};
MinutesParse ParseIntervalMinutes(const QString& text, const QString& rowName);

// The time-sync options: server, both automatic intervals, compare and set now.
class frmTimeSyncConfig final : public QWidget, public Loadable<frmTimeSyncConfig> {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 4680;  // twips
    static constexpr int kClientHeight = 2910;

    frmTimeSyncConfig();

    void load();
    void ButtonState(bool enabled);

    // The buttons' handlers.
    void cmdGet_Click();
    void cmdSet_Click();
    void cmdSave_Click();

    QGroupBox* Frame1 = nullptr;
    QLabel* Label7 = nullptr;
    QLineEdit* txtWeatherMin = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* Combo1 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* txtSyncMin = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* lblRoundTrip = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* lblNTPTimeValue = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* lblLocalTimeValue = nullptr;
    QPushButton* cmdGet = nullptr;
    QPushButton* cmdSet = nullptr;
    QPushButton* cmdSave = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
};

}  // namespace horolet
