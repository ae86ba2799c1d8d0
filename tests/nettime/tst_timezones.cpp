#include "app/Globals.h"
#include "nettime/ZoneTable.h"
#include "nettime/frmTimezones.h"
#include "platform/LinuxPlatform.h"
#include "support/TestMain.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

Q_DECLARE_METATYPE(horolet::LocalZoneInfo)
Q_DECLARE_METATYPE(horolet::LocalZoneInfo::Outcome)

using namespace horolet;
using Outcome = LocalZoneInfo::Outcome;

namespace {

LocalZoneInfo zoneInfo(Outcome outcome, int bias, int daylightBias = -60) {
    LocalZoneInfo info;
    info.outcome = outcome;
    info.biasMinutes = bias;
    info.daylightBiasMinutes = daylightBias;
    return info;
}

int listPosition(const QString& text) {
    const auto& table = ZoneTable();
    for (int i = 0; i < kZoneCount; ++i)
        if (QLatin1String(table[std::size_t(i)].text) == text) return i;
    return -1;
}

QDateTime utc(int y, int mo, int d, int h = 0, int mi = 0) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi), QTimeZone::utc());
}

}  // namespace

class TestTimezones final : public QObject {
    Q_OBJECT

private slots:
    void init() { test::FreshStart(); }
    void cleanup() { frmTimezones::unloadForm(); }

    void zoneTable() {
        const auto& table = ZoneTable();
        QCOMPARE(int(table.size()), 111);
        QCOMPARE(QLatin1String(table.front().text), QLatin1String("US & Canada - Central Time"));
        QCOMPARE(QLatin1String(table.back().text), QLatin1String("Yakutsk"));
        QStringList unshifted;
        QSet<QString> texts;
        for (const ZoneEntry& e : table) {
            QVERIFY2(e.offsetHours * 2 == std::round(e.offsetHours * 2), e.text);
            if (!e.shiftedInDaylightTime) unshifted << QLatin1String(e.text);
            texts.insert(QLatin1String(e.text));
        }
        QCOMPARE(unshifted, (QStringList{QStringLiteral("Brisbane"), QStringLiteral("Hawaii")}));
        QCOMPARE(texts.size(), 111);
        // In daylight time every entry but the two moves an hour; the list starts at 1.
        const ZoneOffsetArray dst = BuildZoneOffsets(-1);
        QCOMPARE(int(dst.size()), 116);
        QCOMPARE(dst[std::size_t(listPosition(QStringLiteral("Tokyo")) + 1)], 10.0);
        QCOMPARE(dst[std::size_t(listPosition(QStringLiteral("Hawaii")) + 1)], -10.0);
        // The texts as the list shows them, odd spellings kept.
        for (const char* odd : {"Aukland", "Edingburgh", "Cape Verde Is.", "Indiana (East)"})
            QVERIFY2(listPosition(QLatin1String(odd)) >= 0, odd);
    }

    void localZoneBias_data() {
        QTest::addColumn<LocalZoneInfo>("info");
        QTest::addColumn<bool>("known");
        QTest::addColumn<double>("biasMinutes");
        QTest::addColumn<int>("shiftHours");
        QTest::newRow("query failed: UTC") << zoneInfo(Outcome::Failed, 300) << true << 0.0 << 0;
        QTest::newRow("standard, bias 300")
            << zoneInfo(Outcome::Standard, 300) << true << 300.0 << 0;
        QTest::newRow("daylight, bias 300")
            << zoneInfo(Outcome::Daylight, 300) << true << 240.0 << -1;
        QTest::newRow("half-hour shift rounds to even 0")
            << zoneInfo(Outcome::Daylight, -630, -30) << true << -660.0 << 0;
        QTest::newRow("90-minute shift rounds to even -2")
            << zoneInfo(Outcome::Daylight, 0, -90) << true << -90.0 << -2;
        QTest::newRow("rules that cannot be read")
            << zoneInfo(Outcome::NoDaylightInfo, 300) << false << 0.0 << 0;
    }
    void localZoneBias() {
        QFETCH(LocalZoneInfo, info);
        QFETCH(bool, known);
        QFETCH(double, biasMinutes);
        QFETCH(int, shiftHours);
        const auto bias = LocalZoneBiasFrom(info);
        QCOMPARE(bias.has_value(), known);
        if (!known) return;
        QCOMPARE(bias->LocalBiasMinutes, biasMinutes);
        QCOMPARE(int(bias->DstShiftHours), shiftHours);
    }

    void zoneTime_data() {
        QTest::addColumn<LocalZoneInfo>("info");
        QTest::addColumn<int>("localOffsetHours");
        QTest::addColumn<QDateTime>("nowUtc");
        QTest::addColumn<QString>("place");  // empty: nothing picked yet
        QTest::addColumn<QString>("time");
        QTest::addColumn<QDate>("date");
        const LocalZoneInfo eastStd = zoneInfo(Outcome::Standard, 300);
        const LocalZoneInfo eastDst = zoneInfo(Outcome::Daylight, 300);
        // Standard time: local 08:00 is 13:00 UTC.
        QTest::newRow("standard: London is local + 5 h")
            << eastStd << -5 << utc(2026, 12, 5, 13) << "London"
            << "1:00:00 pm" << QDate(2026, 12, 5);
        QTest::newRow("standard: Tokyo is local + 14 h")
            << eastStd << -5 << utc(2026, 12, 5, 13) << "Tokyo"
            << "10:00:00 pm" << QDate(2026, 12, 5);
        QTest::newRow("standard: Tokyo past midnight is the next day")
            << eastStd << -5 << utc(2026, 12, 6, 1) << "Tokyo"
            << "10:00:00 am" << QDate(2026, 12, 6);
        // Daylight time: local 08:00 is 12:00 UTC.
        QTest::newRow("daylight: Eastern shows local time")
            << eastDst << -4 << utc(2026, 7, 1, 12) << "US & Canada - Eastern Time"
            << "8:00:00 am" << QDate(2026, 7, 1);
        QTest::newRow("daylight: Tokyo is UTC + 10 h")
            << eastDst << -4 << utc(2026, 7, 1, 12) << "Tokyo"
            << "10:00:00 pm" << QDate(2026, 7, 1);
        QTest::newRow("daylight: Hawaii stays UTC - 10 h")
            << eastDst << -4 << utc(2026, 7, 1, 12) << "Hawaii"
            << "2:00:00 am" << QDate(2026, 7, 1);
        QTest::newRow("daylight: Bombay is UTC + 6.5 h")
            << eastDst << -4 << utc(2026, 7, 1, 12) << "Bombay"
            << "6:30:00 pm" << QDate(2026, 7, 1);
        QTest::newRow("half past midnight")
            << zoneInfo(Outcome::Standard, 0) << 0 << utc(2026, 12, 5, 0, 30) << ""
            << "12:30:00 am" << QDate(2026, 12, 5);
        QTest::newRow("half past noon")
            << zoneInfo(Outcome::Standard, 0) << 0 << utc(2026, 12, 5, 12, 30) << ""
            << "12:30:00 pm" << QDate(2026, 12, 5);
        QTest::newRow("west of the date line")
            << eastStd << -5 << utc(2026, 12, 5, 3) << "Midway Island"
            << "4:00:00 pm" << QDate(2026, 12, 4);
    }
    void zoneTime() {
        QFETCH(LocalZoneInfo, info);
        QFETCH(int, localOffsetHours);
        QFETCH(QDateTime, nowUtc);
        QFETCH(QString, place);
        QFETCH(QString, time);
        QFETCH(QDate, date);
        FakePlatform& fake = test::Fake();
        fake.zoneInfo = info;
        fake.zone = QTimeZone(localOffsetHours * 3600);
        fake.utcNow = nowUtc;
        frmTimezones* w = frmTimezones::form();
        if (!place.isEmpty()) {
            const int p = listPosition(place);
            QVERIFY(p >= 0);
            emit w->cmbTimezones->activated(p);  // as a click on the entry
        }
        w->Timer1_Timer();
        QCOMPARE(w->txtZonetime->text(), time);
        QCOMPARE(w->txtZoneDate->text(), QLocale::system().toString(date, QLocale::LongFormat));
    }

    void windowLoad() {
        FakePlatform& fake = test::Fake();
        fake.zoneInfo = zoneInfo(Outcome::Daylight, 300);
        frmTimezones* w = frmTimezones::form();
        QCOMPARE(w->windowTitle(), QStringLiteral("What Time Is It?"));
        QCOMPARE(w->cmbTimezones->count(), 111);
        QCOMPARE(w->cmbTimezones->currentText(), QStringLiteral("UTC Time"));
        QCOMPARE(w->LocalBiasMinutes, 240.0);
        QCOMPARE(int(w->DstShiftHours), -1);
        QCOMPARE(w->ZoneOffsetMinutes, 0.0);
        QCOMPARE(w->Command1->text(), QStringLiteral("&Close"));
        QVERIFY(w->Timer1->isActive());
        QVERIFY(fake.boxes.isEmpty());

        // One window: another reference finds the same one, picks kept.
        emit w->cmbTimezones->activated(listPosition(QStringLiteral("Kabul")));
        QCOMPARE(w->ZoneOffsetMinutes, 5.5 * 60);
        QCOMPARE(frmTimezones::form(), w);

        // Closing and opening again loads afresh.
        w->Command1->click();
        QTRY_VERIFY(!frmTimezones::isLoaded());
        fake.zoneInfo = zoneInfo(Outcome::Standard, -540);
        frmTimezones* again = frmTimezones::form();
        QCOMPARE(again->LocalBiasMinutes, -540.0);
        QCOMPARE(int(again->DstShiftHours), 0);
        QCOMPARE(again->ZoneOffsetMinutes, 0.0);
    }

    void typedTextSelectsNothing() {
        frmTimezones* w = frmTimezones::form();
        emit w->cmbTimezones->activated(listPosition(QStringLiteral("Paris")));
        QLineEdit* edit = w->cmbTimezones->lineEdit();
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("Tokyo"));
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(w->ZoneOffsetMinutes, 60.0);
        QCOMPARE(w->cmbTimezones->count(), 111);
        // Moving through the list with the arrow keys is a pick like a click.
        QTest::qWait(5);
        QTest::keyClick(edit, Qt::Key_Down);
        QCOMPARE(w->cmbTimezones->currentText(), QStringLiteral("Urumqi"));
        QCOMPARE(w->ZoneOffsetMinutes, 8 * 60.0);
    }

    // A zone without daylight rules (UTC here) opens and shows its time; rules that
    // exist but cannot be read refuse to open.
    void openingDependsOnTheRules_data() {
        QTest::addColumn<bool>("readable");
        QTest::newRow("no daylight saving at all") << true;
        QTest::newRow("rules that cannot be read") << false;
    }
    void openingDependsOnTheRules() {
        QFETCH(bool, readable);
        FakePlatform& fake = test::Fake();
        fake.zoneInfo = readable ? DescribeZone(QTimeZone::utc(), utc(2026, 7, 1))
                                 : zoneInfo(Outcome::NoDaylightInfo, 0);
        fake.utcNow = utc(2026, 7, 1, 9, 15);
        frmTimezones* w = frmTimezones::form();
        w->show();
        QCOMPARE(w->isVisible(), readable);
        if (readable) {
            QVERIFY(fake.boxes.isEmpty());
            w->Timer1_Timer();
            QCOMPARE(w->txtZonetime->text(), QStringLiteral("9:15:00 am"));
            return;
        }
        QCOMPARE(fake.boxes.size(), 1);
        QCOMPARE(fake.boxes[0].text, QStringLiteral("Cannot determine local time zone."));
        QCOMPARE(fake.boxes[0].icon, MsgIcon::Critical);
        QCOMPARE(fake.boxes[0].title, appTitle());
        QTRY_VERIFY(!frmTimezones::isLoaded());
    }

    void describeZone_data() {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QDateTime>("at");
        QTest::addColumn<LocalZoneInfo::Outcome>("outcome");
        QTest::addColumn<int>("bias");
        QTest::addColumn<int>("daylightBias");
        const QDateTime winter = utc(2026, 1, 15, 12);
        const QDateTime summer = utc(2026, 7, 1, 12);
        QTest::newRow("UTC") << QByteArray("UTC") << summer << Outcome::Standard << 0 << 0;
        QTest::newRow("Tokyo, old rules only")
            << QByteArray("Asia/Tokyo") << summer << Outcome::Standard << -540 << 0;
        QTest::newRow("Arizona") << QByteArray("America/Phoenix") << summer << Outcome::Standard
                                 << 420 << 0;
        QTest::newRow("New York, summer")
            << QByteArray("America/New_York") << summer << Outcome::Daylight << 300 << -60;
        QTest::newRow("Sydney, January")
            << QByteArray("Australia/Sydney") << winter << Outcome::Daylight << -600 << -60;
        QTest::newRow("Lord Howe's half hour")
            << QByteArray("Australia/Lord_Howe") << winter << Outcome::Daylight << -630 << -30;
    }
    void describeZone() {
        QFETCH(QByteArray, zone);
        QFETCH(QDateTime, at);
        QFETCH(LocalZoneInfo::Outcome, outcome);
        QFETCH(int, bias);
        QFETCH(int, daylightBias);
        const QTimeZone tz(zone);
        QVERIFY2(tz.isValid(), "time-zone data missing: install tzdata");
        const LocalZoneInfo info = DescribeZone(tz, at);
        QCOMPARE(info.outcome, outcome);
        QCOMPARE(info.biasMinutes, bias);
        QCOMPARE(info.daylightBiasMinutes, daylightBias);
        QCOMPARE(info.standardBiasMinutes, 0);
        // What the window makes of it is the zone's real offset.
        QCOMPARE(-LocalZoneBiasFrom(info)->LocalBiasMinutes * 60, double(tz.offsetFromUtc(at)));
        QCOMPARE(DescribeZone(QTimeZone(), at).outcome, Outcome::Failed);
    }
};

HOROLET_TEST_MAIN(TestTimezones)
#include "tst_timezones.moc"
