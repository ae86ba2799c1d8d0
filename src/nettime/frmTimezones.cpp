#include "nettime/frmTimezones.h"

#include "app/ClockFace.h"
#include "app/Fonts.h"
#include "app/Twips.h"
#include "platform/Platform.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

namespace horolet {

namespace {

const QColor kDarkBlue(0, 0, 128);
const QColor kLightGreen(128, 255, 128);
const QColor kLightYellow(255, 255, 128);

QLabel* zoneLabel(QWidget* parent, const QString& text, QRect twips, const QColor& ink,
                  const QFont& font) {
    auto* l = new QLabel(text, parent);
    l->setGeometry(twips);
    l->setAlignment(Qt::AlignCenter);
    l->setFont(font);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, ink);
    p.setColor(QPalette::Window, kDarkBlue);
    l->setPalette(p);
    l->setAutoFillBackground(true);
    return l;
}

// A small globe, the window's own icon.
QIcon globeIcon() {
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter g(&pm);
    g.setRenderHint(QPainter::Antialiasing);
    g.setBrush(QColor(40, 90, 200));
    g.setPen(QPen(kDarkBlue, 1.5));
    g.drawEllipse(QRectF(2, 2, 28, 28));
    g.setBrush(Qt::NoBrush);
    g.setPen(QPen(kLightGreen, 1.2));
    g.drawEllipse(QRectF(10, 2, 12, 28));
    g.drawLine(QPointF(16, 2), QPointF(16, 30));
    g.drawLine(QPointF(2, 16), QPointF(30, 16));
    g.drawLine(QPointF(5, 9), QPointF(27, 9));
    g.drawLine(QPointF(5, 23), QPointF(27, 23));
    return QIcon(pm);
}

}  // namespace

frmTimezones::frmTimezones()
    : QWidget(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                           Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("What Time Is It?"));
    setWindowIcon(globeIcon());
    setFont(TahomaFont(8.25));
    buildControls();
    setFixedSize(twipsToPx(kClientWidth), twipsToPx(kClientHeight));
}

void frmTimezones::buildControls() {
    Frame1 = new QGroupBox(QStringLiteral("Select Timezone/Locale"), this);
    Frame1->setGeometry(twipsRect(60, 30, 3105, 795));
    cmbTimezones = new QComboBox(Frame1);
    cmbTimezones->setGeometry(twipsRect(120, 315, 2865, 315));
    cmbTimezones->setEditable(true);
    // Typed text selects nothing: no completion, no new entries.
    cmbTimezones->setInsertPolicy(QComboBox::NoInsert);
    cmbTimezones->setCompleter(nullptr);
    cmbTimezones->setEditText(QStringLiteral("UTC Time"));
    cmbTimezones->setAccessibleName(QStringLiteral("Timezone"));
    cmbTimezones->lineEdit()->installEventFilter(this);

    txtZonetime = zoneLabel(this, QStringLiteral("00:00:00 am"), twipsRect(60, 915, 3105, 480),
                            kLightGreen, TahomaFont(14.25));
    txtZoneDate = zoneLabel(this, QStringLiteral("12/31/2002 Wednesday"),
                            twipsRect(60, 1395, 3105, 300), kLightYellow, TahomaFont(8.25, true));

    Command1 = new QPushButton(QStringLiteral("&Close"), this);
    Command1->setGeometry(twipsRect(1080, 1905, 1065, 375));

    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);

    connect(cmbTimezones, &QComboBox::activated, this, &frmTimezones::onActivated);
    connect(Timer1, &QTimer::timeout, this, &frmTimezones::Timer1_Timer);
    connect(Command1, &QPushButton::clicked, this, &QWidget::close);
}

void frmTimezones::load() {
    Platform& p = platform();
    const std::optional<LocalZoneBias> local = LocalZoneBiasFrom(p.localZoneInfo());
    if (!local) {
        p.messageBox(QStringLiteral("Cannot determine local time zone."), MsgIcon::Critical,
                     QString());
        // The caller still holds the window it asked for; it unloads once control is back
        // in the event loop and refuses to show meanwhile.
        m_closed = true;
        QTimer::singleShot(0, this, &QWidget::close);
        return;
    }
    LocalBiasMinutes = local->LocalBiasMinutes;
    DstShiftHours = local->DstShiftHours;
    ZoneOffsets = BuildZoneOffsets(DstShiftHours);
    for (const ZoneEntry& e : ZoneTable()) cmbTimezones->addItem(QString::fromLatin1(e.text));
    // The box keeps showing "UTC Time" until a place is picked.
    cmbTimezones->setCurrentIndex(-1);
    cmbTimezones->setEditText(QStringLiteral("UTC Time"));
    ZoneOffsetMinutes = 0;
    p.hideFromTaskbar(this);
    Timer1->start();
}

bool frmTimezones::eventFilter(QObject* watched, QEvent* event) {
    // Enter or leaving the box finishes the typed text, and the combo box then picks an
    // entry of the same name; that is not a click on the list.
    if (watched == cmbTimezones->lineEdit()) {
        const bool enter = event->type() == QEvent::KeyPress &&
                           (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return ||
                            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Enter);
        if (enter || event->type() == QEvent::FocusOut) {
            m_typedText = true;
            QTimer::singleShot(0, this, [this] { m_typedText = false; });
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmTimezones::onActivated(int listPosition) {
    if (!m_typedText) cmbTimezones_Click(listPosition);
}

void frmTimezones::cmbTimezones_Click(int listPosition) {
    if (listPosition < 0 || listPosition >= kZoneCount) return;
    ZoneOffsetMinutes = ZoneOffsets[std::size_t(listPosition) + 1] * 60;
}

void frmTimezones::Timer1_Timer() {
    Platform& p = platform();
    const QDateTime t = ZoneWallClock(p.currentLocal(), ZoneOffsetMinutes, LocalBiasMinutes);
    txtZonetime->setText(FormatClockTime(t.time()));
    const QDateTime d = ZoneWallClock(p.currentLocal(), ZoneOffsetMinutes, LocalBiasMinutes);
    txtZoneDate->setText(QLocale::system().toString(d.date(), QLocale::LongFormat));
}

void frmTimezones::setVisible(bool visible) {
    // A window whose load refused to open stays hidden until it is deleted.
    if (visible && m_closed) return;
    QWidget::setVisible(visible);
}

void frmTimezones::closeEvent(QCloseEvent* event) {
    m_closed = true;
    Timer1->stop();
    event->accept();
    finishUnload(this);
}

}  // namespace horolet
