#include "nettime/frmTimeSyncConfig.h"

#include "app/Fonts.h"
#include "app/Globals.h"
#include "app/Pictures.h"
#include "app/Twips.h"
#include "app/frmMain.h"
#include "nettime/Scheduler.h"
#include "nettime/ServerList.h"
#include "nettime/modTimes.h"
#include "platform/Platform.h"
#include "settings/Settings.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTimer>

#include <cmath>
#include <limits>

namespace horolet {

namespace {

QLabel* rowLabel(QWidget* parent, const QString& text, QRect twips,
                 Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* l = new QLabel(text, parent);
    l->setAlignment(align);
    l->setGeometry(twips);
    return l;
}

QLineEdit* minutesBox(QWidget* parent, QRect twips) {
    auto* box = new QLineEdit(parent);
    box->setGeometry(twips);
    box->setAlignment(Qt::AlignRight);
    return box;
}

}  // namespace

MinutesParse ParseIntervalMinutes(const QString& text, const QString& rowName) {
    MinutesParse result;
    const QString t = text.trimmed();
    const QString quotedRow = u'"' + rowName + u'"';
    if (t.isEmpty()) {
        result.problem =
            QStringLiteral("Please enter the minutes for %1 (0 to disable).").arg(quotedRow);
        return result;
    }
    bool ok = false;
    double value = QLocale::c().toDouble(t, &ok);
    if (!ok) value = QLocale::system().toDouble(t, &ok);
    if (!ok || !std::isfinite(value)) {
        result.problem = QStringLiteral(
                             "\"%1\" is not a number. Please enter the minutes for %2 as a whole "
                             "number (0 to disable).")
                             .arg(t, quotedRow);
        return result;
    }
    const double whole = std::nearbyint(value);  // halves to the even neighbour
    if (whole < std::numeric_limits<qint16>::min() || whole > std::numeric_limits<qint16>::max()) {
        result.problem =
            QStringLiteral("The minutes for %1 must be between -32768 and 32767.").arg(quotedRow);
        return result;
    }
    result.minutes = qint16(whole);
    return result;
}

frmTimeSyncConfig::frmTimeSyncConfig()
    : QWidget(nullptr, Qt::Tool | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                           Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("Time Synch Options"));
    setWindowIcon(AppIcon());
    setFont(TahomaFont());
    buildControls();
    setFixedSize(twipsToPx(kClientWidth), twipsToPx(kClientHeight));
}

void frmTimeSyncConfig::buildControls() {
    Frame1 = new QGroupBox(this);
    Frame1->setGeometry(twipsRect(60, 0, 4560, 2850));

    const auto right = Qt::AlignRight | Qt::AlignVCenter;
    Label7 =
        rowLabel(Frame1, QStringLiteral("Update Temp :"), twipsRect(60, 240, 1260, 285), right);
    txtWeatherMin = minutesBox(Frame1, twipsRect(1380, 240, 600, 285));
    txtWeatherMin->setText(QStringLiteral("60"));
    Label6 = rowLabel(Frame1, QStringLiteral("minutes (enter 0 to disable)"),
                      twipsRect(2040, 240, 2460, 285));

    Label1 =
        rowLabel(Frame1, QStringLiteral("Time Server :"), twipsRect(60, 645, 1260, 315), right);
    Combo1 = new QComboBox(Frame1);
    Combo1->setGeometry(twipsRect(1380, 645, 3060, 315));
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    Combo1->setEditText(QStringLiteral("Combo1"));
    Combo1->setAccessibleName(QStringLiteral("Time Server"));

    Label3 =
        rowLabel(Frame1, QStringLiteral("Sync Every :"), twipsRect(60, 1080, 1260, 285), right);
    txtSyncMin = minutesBox(Frame1, twipsRect(1380, 1080, 600, 285));
    txtSyncMin->setText(QStringLiteral("60"));
    txtSyncMin->installEventFilter(this);
    Label5 = rowLabel(Frame1, QStringLiteral("minutes (enter 0 to disable)"),
                      twipsRect(2040, 1080, 2460, 285));
    lblRoundTrip = rowLabel(Frame1, QString(), twipsRect(3780, 1080, 720, 285), right);

    Label2 =
        rowLabel(Frame1, QStringLiteral("Server Time :"), twipsRect(60, 1485, 1260, 255), right);
    lblNTPTimeValue = rowLabel(Frame1, QStringLiteral("0000/00/00 00:00:00 UTC"),
                               twipsRect(1380, 1485, 3060, 255));
    Label4 =
        rowLabel(Frame1, QStringLiteral("Local Time :"), twipsRect(60, 1845, 1260, 255), right);
    lblLocalTimeValue = rowLabel(Frame1, QStringLiteral("0000/00/00 00:00:00 UTC"),
                                 twipsRect(1380, 1845, 3060, 255));

    cmdGet = new QPushButton(QStringLiteral("Compare"), Frame1);
    cmdGet->setGeometry(twipsRect(180, 2295, 1275, 375));
    cmdSet = new QPushButton(QStringLiteral("Set Now"), Frame1);
    cmdSet->setGeometry(twipsRect(1642, 2295, 1275, 375));
    cmdSave = new QPushButton(QStringLiteral("Save"), Frame1);
    cmdSave->setGeometry(twipsRect(3105, 2295, 1275, 375));

    connect(cmdGet, &QPushButton::clicked, this, &frmTimeSyncConfig::cmdGet_Click);
    connect(cmdSet, &QPushButton::clicked, this, &frmTimeSyncConfig::cmdSet_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmTimeSyncConfig::cmdSave_Click);

    NtpExchange& exchange = NtpExchange::instance();
    connect(&exchange, &NtpExchange::localTimeValueChanged, lblLocalTimeValue, &QLabel::setText);
    connect(&exchange, &NtpExchange::ntpTimeValueChanged, lblNTPTimeValue, &QLabel::setText);
    connect(&exchange, &NtpExchange::roundTripChanged, lblRoundTrip,
            [l = lblRoundTrip](const QString& text) {
                // It sits over the end of the row's caption and covers it only while it shows.
                l->setText(text);
                l->setAutoFillBackground(!text.isEmpty());
                l->raise();
            });
}

void frmTimeSyncConfig::load() {
    const NetTimeValues& nt = NetTime();
    Combo1->addItems(TimeServerList());
    Combo1->setCurrentIndex(0);
    if (!nt.NtpServer.isEmpty()) Combo1->setEditText(nt.NtpServer);
    txtSyncMin->setText(QString::number(nt.SyncMinutes));
    txtWeatherMin->setText(QString::number(nt.WeatherMinutes));

    const QRect screen = platform().screenMetrics().primary;
    move(screen.center() - QPoint(width() / 2, height() / 2));
    platform().hideFromTaskbar(this);
}

void frmTimeSyncConfig::ButtonState(bool enabled) {
    cmdGet->setEnabled(enabled);
    cmdSet->setEnabled(enabled);
}

void frmTimeSyncConfig::cmdGet_Click() {
    NetTimeValues& nt = NetTime();
    const QString saved = nt.NtpServer;
    nt.NtpServer = Combo1->currentText();
    QPointer<frmTimeSyncConfig> self(this);
    ButtonState(false);
    nt.SetClockOnReply = false;
    SyncClock();
    // The window may have been closed while the exchange waited.
    if (self) ButtonState(true);
    nt.NtpServer = saved;
}

void frmTimeSyncConfig::cmdSet_Click() {
    QPointer<frmTimeSyncConfig> self(this);
    ButtonState(false);
    NetTime().SetClockOnReply = true;
    SyncClock();
    if (self) ButtonState(true);
}

void frmTimeSyncConfig::cmdSave_Click() {
    // Both intervals are checked before anything changes, so a refused text keeps the
    // previous values and the window open.
    const MinutesParse sync =
        ParseIntervalMinutes(txtSyncMin->text(), QStringLiteral("Sync Every"));
    const MinutesParse weather =
        ParseIntervalMinutes(txtWeatherMin->text(), QStringLiteral("Update Temp"));
    const std::pair<const MinutesParse*, QLineEdit*> rows[] = {{&sync, txtSyncMin},
                                                               {&weather, txtWeatherMin}};
    for (const auto& [parse, box] : rows) {
        if (!parse->minutes) {
            platform().messageBox(parse->problem, MsgIcon::Exclamation, appTitle());
            box->setFocus();
            box->selectAll();
            return;
        }
    }

    NetTimeValues& nt = NetTime();
    nt.NtpServer = Combo1->currentText();
    nt.SyncMinutes = *sync.minutes;
    nt.WeatherMinutes = *weather.minutes;
    WriteOption(QStringLiteral("SyncMins"), QString::number(nt.SyncMinutes));
    WriteOption(QStringLiteral("WeatherMins"), QString::number(nt.WeatherMinutes));
    WriteOption(QStringLiteral("NTPServer"), nt.NtpServer);
    nt.SyncMinuteCount = 0;
    nt.WeatherMinuteCount = 0;
    if (frmMain* m = frmMain::loadedForm()) ApplyMinuteTimer(m->Timer3, nt);
    close();
}

bool frmTimeSyncConfig::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtSyncMin && event->type() == QEvent::FocusIn) {
        // After the click that gave the focus has placed the cursor.
        QTimer::singleShot(0, txtSyncMin, [box = txtSyncMin] { box->selectAll(); });
    }
    return QWidget::eventFilter(watched, event);
}

void frmTimeSyncConfig::closeEvent(QCloseEvent* event) {
    event->accept();
    finishUnload(this);
}

}  // namespace horolet
