#pragma once

#include "app/Forms.h"

#include <QWidget>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QToolButton;

namespace horolet {

class BalloonTool;
class BalloonTooltip;

// The clock face; its mouse events belong to the main window.
class ClockBackgroundBox final : public QWidget {
    Q_OBJECT
public:
    explicit ClockBackgroundBox(QWidget* parent);
};

// The main clock window: a borderless strip with the clock face, folding open to the
// about block and the options panel.
class frmMain final : public QWidget, public Loadable<frmMain> {
    Q_OBJECT
public:
    static constexpr int kDesignWidth = 2100;   // twips
    static constexpr int kFoldedHeight = 675;   // twips
    static constexpr int kUnfoldedHeight = 5610;

    frmMain();
    ~frmMain() override;

    void load();

    // Fold or unfold, as the options button does (without moving the focus).
    void FoldOrUnfold();
    void ClockTick();

    // Controls, named as the rest of the program knows them.
    ClockBackgroundBox* ClockBackground = nullptr;
    QLabel* CurrentTime = nullptr;
    QLabel* CurrentDate = nullptr;
    QToolButton* ShowStickyButton = nullptr;
    QToolButton* ToggleOptionsView = nullptr;
    QLabel* MyTitle = nullptr;
    QLabel* MyPic = nullptr;
    QLabel* MyCopyright = nullptr;
    QLabel* MyName = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* txtZipCode = nullptr;
    QLineEdit* ElapsedTime = nullptr;
    QToolButton* ToggleTimer = nullptr;
    QLabel* TimerTextStatus = nullptr;
    QPushButton* ResetTimer = nullptr;
    QPushButton* ShowCalendar = nullptr;
    QPushButton* CloseHorolet = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;
    QTimer* Timer3 = nullptr;

    BalloonTooltip* m_oTooltip = nullptr;
    BalloonTool* m_oTool = nullptr;

    // Height of the outline rectangle, in twips; follows the window height.
    int outlineHeightTwips() const { return m_outlineHeight; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void buildControls();
    void setHeightTwips(int twips);
    void onToggleOptionsView();
    void onShowStickyButton();
    void onShowCalendar();
    void unloadSteps();
    bool clockFaceMouse(QWidget* control, QMouseEvent* event);

    int m_outlineHeight = kUnfoldedHeight;
    bool m_unloaded = false;
};

// The entry routine: hides the program from the task bar, shows the main window,
// then makes it top-most.
void Main();

}  // namespace horolet
