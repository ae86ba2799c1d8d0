#include "app/frmMain.h"

#include "app/Balloon.h"
#include "app/ClockFace.h"
#include "app/Drag.h"
#include "app/Fonts.h"
#include "app/Globals.h"
#include "app/MyPopup.h"
#include "app/Pictures.h"
#include "app/Placement.h"
#include "app/Tray.h"
#include "app/Twips.h"
#include "app/frmCalendar.h"
#include "nettime/Scheduler.h"
#include "nettime/ServerList.h"
#include "nettime/modTimes.h"
#include "platform/Platform.h"
#include "settings/Settings.h"
#include "sticky/frmSticky.h"
#include "stopwatch/StopwatchForms.h"
#include "stopwatch/TrafficLight.h"
#include "stopwatch/frmTimerWindow.h"
#include "weather/Weather.h"
#include "weather/ZipCode.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

namespace horolet {

namespace {

const QColor kDarkBlue(0, 0, 128);
const QColor kGreen(0, 255, 0);

QLabel* label(QWidget* parent, const QString& text, Qt::Alignment align, QRect twips) {
    auto* l = new QLabel(text, parent);
    l->setAlignment(align);
    l->setGeometry(twips);
    return l;
}

void greenOnBlue(QLabel* l) {
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, kGreen);
    p.setColor(QPalette::Window, kDarkBlue);
    l->setPalette(p);
    l->setAutoFillBackground(true);
}

}  // namespace

ClockBackgroundBox::ClockBackgroundBox(QWidget* parent) : QWidget(parent) {
    QPalette p = palette();
    p.setColor(QPalette::Window, kDarkBlue);
    setPalette(p);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
}

frmMain::frmMain()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setWindowTitle(QStringLiteral("Horolet"));
    setWindowIcon(AppIcon());
    setFont(TahomaFont(8.25));
    buildControls();
    resize(twipsToPx(kDesignWidth), twipsToPx(kUnfoldedHeight));
}

frmMain::~frmMain() = default;

void frmMain::buildControls() {
    ClockBackground = new ClockBackgroundBox(this);
    ClockBackground->setGeometry(twipsRect(60, 60, 2000, 570));
    ClockBackground->setAccessibleName(QStringLiteral("Clock"));

    CurrentTime = label(ClockBackground, QStringLiteral("Initializing..."), Qt::AlignCenter,
                        twipsRect(60, -30, 1755, 330));
    CurrentTime->setFont(TahomaFont(14.25));
    // A label's accessible name is its text; the description says what the text is.
    CurrentTime->setAccessibleDescription(QStringLiteral("Time"));
    greenOnBlue(CurrentTime);
    CurrentDate = label(ClockBackground, QStringLiteral("Starting up ..."), Qt::AlignCenter,
                        twipsRect(165, 285, 1575, 195));
    greenOnBlue(CurrentDate);
    CurrentDate->setAccessibleDescription(QStringLiteral("Date or current weather"));

    ShowStickyButton = new QToolButton(ClockBackground);
    ShowStickyButton->setGeometry(twipsRect(15, 345, 157, 155));
    ShowStickyButton->setIcon(CheckMarkPicture());
    ShowStickyButton->setIconSize(QSize(8, 8));
    ShowStickyButton->setToolTip(QStringLiteral("Click to show sticky note"));
    ShowStickyButton->setFocusPolicy(Qt::NoFocus);
    ShowStickyButton->setAccessibleName(QStringLiteral("Show sticky note"));

    ToggleOptionsView = new QToolButton(ClockBackground);
    ToggleOptionsView->setGeometry(twipsRect(1770, 345, 157, 155));
    ToggleOptionsView->setIcon(PlusPicture());
    ToggleOptionsView->setIconSize(QSize(8, 8));
    ToggleOptionsView->setToolTip(QStringLiteral("Click to show options"));
    ToggleOptionsView->setFocusPolicy(Qt::NoFocus);
    ToggleOptionsView->setAccessibleName(QStringLiteral("Show options"));

    MyTitle = label(this, QStringLiteral("A tiny desktop clock, timer and calendar viewer "),
                    Qt::AlignRight | Qt::AlignTop, twipsRect(585, 735, 1380, 675));
    MyTitle->setWordWrap(true);
    MyPic = new QLabel(this);
    MyPic->setGeometry(twipsRect(180, 795, 570, 510));
    MyPic->setPixmap(ClockFacePicture(32));
    MyPic->setAlignment(Qt::AlignCenter);
    MyPic->setAccessibleName(QStringLiteral("Horolet clock face"));
    MyCopyright = label(this, QStringLiteral("© 2026 Horolet"), Qt::AlignRight,
                        twipsRect(630, 1770, 1305, 225));
    MyName = label(this, QStringLiteral("Horolet team"), Qt::AlignRight,
                   twipsRect(450, 1980, 1485, 240));

    Frame1 = new QGroupBox(QStringLiteral("Horolet Options"), this);
    Frame1->setGeometry(twipsRect(90, 2280, 1935, 3240));
    Label1 = label(Frame1, QStringLiteral("Zip Code"), Qt::AlignRight | Qt::AlignVCenter,
                   twipsRect(120, 360, 735, 255));
    txtZipCode = new QLineEdit(Frame1);
    txtZipCode->setGeometry(twipsRect(960, 315, 855, 325));
    txtZipCode->setMaxLength(5);
    txtZipCode->setToolTip(QStringLiteral("Enter your zip code here for temp and conditions"));
    txtZipCode->setAccessibleName(QStringLiteral("Zip Code"));
    ElapsedTime = new QLineEdit(QStringLiteral("Idle"), Frame1);
    ElapsedTime->setGeometry(twipsRect(120, 810, 1695, 325));
    ElapsedTime->setAlignment(Qt::AlignCenter);
    ElapsedTime->setReadOnly(true);
    ElapsedTime->setAccessibleName(QStringLiteral("Stopwatch reading"));
    ToggleTimer = new QToolButton(Frame1);
    ToggleTimer->setGeometry(twipsRect(150, 1215, 335, 335));
    ToggleTimer->setIconSize(QSize(16, 16));
    ToggleTimer->setIcon(TrafficLightPicture(kPictureStop));
    ToggleTimer->setAccessibleName(QStringLiteral("Start or pause the stopwatch"));
    TimerTextStatus = label(Frame1, QStringLiteral("(Timer stopped)"), Qt::AlignCenter,
                            twipsRect(525, 1320, 1275, 255));
    TimerTextStatus->setAccessibleDescription(QStringLiteral("Stopwatch state"));
    ResetTimer = new QPushButton(QStringLiteral("&Reset Timer"), Frame1);
    ResetTimer->setGeometry(twipsRect(150, 1680, 1640, 375));
    ShowCalendar = new QPushButton(CalendarPicture(), QStringLiteral("&View Calendar"), Frame1);
    ShowCalendar->setGeometry(twipsRect(150, 2205, 1640, 375));
    ShowCalendar->setIconSize(QSize(16, 16));
    CloseHorolet = new QPushButton(QStringLiteral("&Close Horolet"), Frame1);
    CloseHorolet->setGeometry(twipsRect(150, 2715, 1640, 375));

    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);
    Timer2 = new QTimer(this);
    Timer2->setInterval(1000);
    Timer3 = new QTimer(this);
    Timer3->setInterval(60000);

    // The clock face and its labels drag the window and open the menu.
    for (QWidget* face : {static_cast<QWidget*>(ClockBackground),
                          static_cast<QWidget*>(CurrentTime), static_cast<QWidget*>(CurrentDate)})
        face->installEventFilter(this);

    connect(Timer1, &QTimer::timeout, this, &frmMain::ClockTick);
    connect(Timer3, &QTimer::timeout, this, &Timer3Tick);
    connect(&NtpExchange::instance(), &NtpExchange::currentTimeTipChanged, CurrentTime,
            &QLabel::setToolTip);
    connect(ToggleOptionsView, &QToolButton::clicked, this, &frmMain::onToggleOptionsView);
    connect(ShowStickyButton, &QToolButton::clicked, this, &frmMain::onShowStickyButton);
    connect(ShowCalendar, &QPushButton::clicked, this, &frmMain::onShowCalendar);
    connect(CloseHorolet, &QPushButton::clicked, this, [] { unloadForm(); });
    // The zip code is checked when the focus moves from its box to another control of the
    // program; switching to another application or a message box taking the focus is no
    // such move.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        if (old == txtZipCode && now && !m_unloaded && !qobject_cast<QMessageBox*>(now->window()))
            ZipCodeLostFocus(txtZipCode->text());
    });
    connect(ToggleTimer, &QToolButton::clicked, this,
            [] { ToggleStopwatch(StopwatchSource::Button); });
    connect(ResetTimer, &QPushButton::clicked, this,
            [] { ResetStopwatch(StopwatchSource::Button); });
    connect(Timer2, &QTimer::timeout, this, &StopwatchTick);
}

void frmMain::load() {
    Platform& p = platform();
    AppValues& app = App();
    StickyValues& sticky = Sticky();
    StopwatchValues& sw = Stopwatch();
    NetTimeValues& nt = NetTime();

    // 1. The balloon over the clock face.
    m_oTooltip = new BalloonTooltip(this);
    m_oTool = m_oTooltip->addTool(ClockBackground, QString());
    m_oTool->setTitle(QStringLiteral("Current Conditions"));
    m_oTool->setText(QStringLiteral("Not available"));

    // 2, 3. The stopwatch starts idle with the saved reading banked.
    sw.StopwatchState = 0;
    Timer2->stop();
    sw.StopwatchBankedSeconds = ReadOptionInt32(QStringLiteral("Timer"), 0);

    // 4. Place the window from the stored place, at its unfolded height.
    TwipsPlace place;
    place.top = ReadOptionFloat(QStringLiteral("Top"), 0);
    place.left = ReadOptionFloat(QStringLiteral("Left"), 0);
    place = KeepOnDesktop(place, kDesignWidth, kUnfoldedHeight, true);
    move(twipsToPx(place.left), twipsToPx(place.top));

    // 5, 6. The note's and the network settings.
    sticky.StickyVisible = ReadOptionBool(QStringLiteral("StickyVisible"), true);
    sticky.StickyTitle = ReadOption(QStringLiteral("StickyTitle"), QStringLiteral("Title"));
    sticky.StickyText =
        ReadOption(QStringLiteral("StickyText"), QStringLiteral("Text of this note"));
    sticky.StickyTop = ReadOptionFloat(QStringLiteral("StickyTop"), 0);
    sticky.StickyLeft = ReadOptionFloat(QStringLiteral("StickyLeft"), 0);
    sticky.StickyWidth = ReadOptionFloat(QStringLiteral("StickyWidth"), 3000);
    sticky.StickyHeight = ReadOptionFloat(QStringLiteral("StickyHeight"), 3000);
    app.ZipCode = ReadOption(QStringLiteral("ZipCode"), QStringLiteral("72210"));
    nt.NtpServer = ReadOption(QStringLiteral("NTPServer"), DefaultNtpServer());
    nt.SyncMinutes = ReadOptionInt16(QStringLiteral("SyncMins"), 60);
    nt.WeatherMinutes = ReadOptionInt16(QStringLiteral("WeatherMins"), 60);

    // 7. The zip code box.
    txtZipCode->setText(app.ZipCode);

    // 8. The note's boxes (loads the note window hidden).
    FillStickyNote();

    // 9. Restore the stopwatch (loads the stopwatch window hidden).
    RestoreStopwatch();

    // 10. Fold.
    setHeightTwips(kFoldedHeight);

    // 11. The time and date of the moment, so the design texts never show.
    const QDateTime now = p.currentLocal();
    CurrentTime->setText(FormatClockTime(now.time()));
    CurrentDate->setText(FormatClockDate(platform().currentLocal().date()));

    // 12.
    ToggleOptionsView->setIcon(PlusPicture());
    app.OptionsExpanded = false;

    // 13, 14.
    Timer1->start();
    Drag().DragActive = false;

    // 15. Show the window, out of the task bar, painted before anything slow runs.
    p.hideFromTaskbar(this);
    show();
    repaint();

    // 16. Register the tray icon.
    RegisterTrayIcon(this);

    // 17. Show the note when it was visible.
    if (sticky.StickyVisible) frmSticky::form()->show();

    // 18. The minute scheduler runs while either interval is set.
    if (nt.SyncMinutes != 0 || nt.WeatherMinutes != 0)
        Timer3->start();
    else
        Timer3->stop();

    // 19. The first weather request.
    UpdateWeather(false);
}

void frmMain::setHeightTwips(int twips) {
    m_outlineHeight = twips;
    setFixedHeight(twipsToPx(twips));
    setFixedWidth(twipsToPx(kDesignWidth));
    update();
}

void frmMain::ClockTick() {
    QString time = CurrentTime->text();
    QString date = CurrentDate->text();
    ClockFaceTick(
        App(), [] { return platform().currentLocal(); }, time, date);
    CurrentTime->setText(time);
    CurrentDate->setText(date);
}

void frmMain::FoldOrUnfold() {
    AppValues& app = App();
    if (app.OptionsExpanded) {
        ToggleOptionsView->setIcon(PlusPicture());
        app.OptionsExpanded = false;
        setHeightTwips(kFoldedHeight);
    } else {
        ToggleOptionsView->setIcon(MinusPicture());
        app.OptionsExpanded = true;
        setHeightTwips(kUnfoldedHeight);
    }
}

void frmMain::onToggleOptionsView() {
    FoldOrUnfold();
    ClockBackground->setFocus();
}

void frmMain::onShowStickyButton() {
    ShowStickyNote();
    activateWindow();
    ClockBackground->setFocus();
}

void frmMain::onShowCalendar() {
    ShowCalendarWindow();
}

void frmMain::unloadSteps() {
    const StopwatchValues& sw = Stopwatch();
    const StickyValues& sticky = Sticky();
    const NetTimeValues& nt = NetTime();
    const TwipsGeometry g = windowTwips(this);

    // 1. Unload the note, the menu host and the stopwatch window.
    frmSticky::unloadForm();
    MyPopup::unloadForm();
    frmTimerWindow::unloadForm();

    // 2. Write every setting back.
    WriteOption(QStringLiteral("Timer"),
                QString::number(qint64(sw.StopwatchBankedSeconds) + sw.StopwatchRunSeconds));
    WriteOption(QStringLiteral("Top"), NumberText(g.top));
    WriteOption(QStringLiteral("Left"), NumberText(g.left));
    WriteOption(QStringLiteral("StickyVisible"), SettingText(sticky.StickyVisible));
    WriteOption(QStringLiteral("StickyTitle"), sticky.StickyTitle);
    WriteOption(QStringLiteral("StickyText"), sticky.StickyText);
    WriteOption(QStringLiteral("StickyTop"), NumberText(sticky.StickyTop));
    WriteOption(QStringLiteral("StickyLeft"), NumberText(sticky.StickyLeft));
    WriteOption(QStringLiteral("StickyWidth"), NumberText(sticky.StickyWidth));
    WriteOption(QStringLiteral("StickyHeight"), NumberText(sticky.StickyHeight));
    WriteOption(QStringLiteral("ZipCode"), App().ZipCode);
    WriteOption(QStringLiteral("NTPServer"), nt.NtpServer);
    WriteOption(QStringLiteral("SyncMins"), QString::number(nt.SyncMinutes));
    WriteOption(QStringLiteral("WeatherMins"), QString::number(nt.WeatherMinutes));

    // 3. Remove the tray icon.
    RemoveTrayIcon();
}

void frmMain::closeEvent(QCloseEvent* event) {
    if (!m_unloaded) {
        m_unloaded = true;
        Timer1->stop();
        Timer2->stop();
        Timer3->stop();
        unloadSteps();
    }
    event->accept();
    finishUnload(this);
}

void frmMain::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    QPainter g(this);
    g.setPen(palette().color(QPalette::WindowText));
    g.drawRect(0, 0, width() - 1, twipsToPx(m_outlineHeight) - 1);
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonDblClick:
            if (watched == CurrentTime &&
                static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
                UpdateWeather(true);
                return true;
            }
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
            if (watched == ClockBackground || watched == CurrentTime || watched == CurrentDate)
                return clockFaceMouse(static_cast<QWidget*>(watched),
                                      static_cast<QMouseEvent*>(event));
            break;
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}

bool frmMain::clockFaceMouse(QWidget* control, QMouseEvent* event) {
    // Twips relative to the control that was pressed; it keeps the pointer until release.
    const float x = float(event->position().x() * kTwipsPerPixel);
    const float y = float(event->position().y() * kTwipsPerPixel);
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            const int button = ButtonCode(event->button());
            // Where the compositor places windows, it takes the move over.
            if (button == kLeftButton && platform().startSystemMove(control)) return true;
            if (ClockFaceMouseDown(button, x, y) == PressAction::OpenMenu) OpenContextMenu();
            return true;
        }
        case QEvent::MouseMove: {
            const TwipsGeometry g = windowTwips(this);
            TwipsPlace place{g.left, g.top};
            if (ClockFaceMouseMove(x, y, place)) move(twipsToPx(place.left), twipsToPx(place.top));
            return true;
        }
        default:
            ClockFaceMouseUp();
            return true;
    }
}

void frmMain::mousePressEvent(QMouseEvent* event) {
    // Only the bare background: presses that children pass up do not count.
    if (!childAt(event->position().toPoint()) &&
        BackgroundMouseDown(ButtonCode(event->button())) == PressAction::OpenMenu) {
        event->accept();
        OpenContextMenu();
        return;
    }
    QWidget::mousePressEvent(event);
}

void Main() {
    frmMain* w = frmMain::form();
    SetTopmost(w, true);
}

}  // namespace horolet
