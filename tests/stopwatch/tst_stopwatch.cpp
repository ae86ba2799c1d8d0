// The stopwatch's state machine on the fake clock, with a display that records what it
// is told: readings, runs, pauses, resets from either place, restore at start-up.

#include "app/Tray.h"
#include "stopwatch/Stopwatch.h"
#include "stopwatch/TrafficLight.h"
#include "support/TestMain.h"

using namespace horolet;
using horolet::test::Fake;

namespace {

// Keeps what each control would show; the tip is rebuilt only when asked, as the tray's is.
class RecordingDisplay final : public StopwatchDisplay {
public:
    QString status = QStringLiteral("(Timer stopped)");
    QString caption = QStringLiteral("Timer");
    QString elapsedText = QStringLiteral("Idle");
    QString windowElapsed = QStringLiteral("None");
    QString picture = kPictureStop;
    bool ticking = false;
    bool resetEnabled = true;
    bool menuLoaded = false;
    bool menuRunning = false;
    bool focused = false;
    QString tip = QStringLiteral("(Timer stopped) Idle");
    QStringList calls;

    void setStatus(const QString& t) override { status = t; }
    void setWindowCaption(const QString& t) override { caption = t; }
    void setElapsed(const QString& t) override { elapsedText = t; }
    QString elapsed() const override { return elapsedText; }
    void setWindowElapsed(const QString& t) override { windowElapsed = t; }
    void setPicture(const QString& key) override { picture = key; }
    void setTicking(bool on) override { ticking = on; }
    void setResetEnabled(bool on) override { resetEnabled = on; }
    void setMenuItems(bool running) override {
        calls << QStringLiteral("menuItems");
        menuLoaded = true;  // a reference to the host loads it
        menuRunning = running;
    }
    void closeMenuHost() override {
        calls << QStringLiteral("closeHost");
        menuLoaded = false;
    }
    void focusClock() override { focused = true; }
    void updateTrayTip() override { tip = TrayTipText(status, elapsedText); }
};

}  // namespace

class TestStopwatch final : public QObject {
    Q_OBJECT

    StopwatchValues v;
    RecordingDisplay d;

    StopwatchMachine machine() { return StopwatchMachine(v, d); }

    // One Timer2 event, a second after the last.
    void tickAfter(qint64 ms = 1000) {
        Fake().advance(ms);
        machine().Tick();
    }

private slots:
    void init() {
        horolet::test::FreshStart();
        v = {};
        d = RecordingDisplay();
        Fake().setLocal(QDateTime(QDate(2026, 5, 4), QTime(10, 0, 0, 250)));
    }

    void readings_data() {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 0 << "Elapsed: 0 seconds";
        QTest::newRow("1, plural kept") << 1 << "Elapsed: 1 seconds";
        QTest::newRow("59") << 59 << "Elapsed: 59 seconds";
        QTest::newRow("60") << 60 << "Elapsed: 1:00";
        QTest::newRow("65") << 65 << "Elapsed: 1:05";
        QTest::newRow("3599") << 3599 << "Elapsed: 59:59";
        QTest::newRow("3600") << 3600 << "Elapsed: 01:00:00";
        QTest::newRow("3661") << 3661 << "Elapsed: 01:01:01";
        QTest::newRow("86399") << 86399 << "Elapsed: 23:59:59";
        QTest::newRow("90061, no wrap at a day") << 90061 << "Elapsed: 25:01:01";
        QTest::newRow("360000, three-digit hours") << 360000 << "Elapsed: 100:00:00";
        QTest::newRow("largest") << 2147483647 << "Elapsed: 596523:14:07";
    }
    void readings() {
        QFETCH(int, seconds);
        QFETCH(QString, text);
        QCOMPARE(ElapsedText(seconds), text);
        // Showing a reading puts it in the reading box, the tip and the window's label.
        machine().ShowElapsed(seconds);
        QCOMPARE(d.elapsedText, text);
        QCOMPARE(d.windowElapsed, text);
        QCOMPARE(d.tip, d.status + QLatin1Char(' ') + text);
    }

    void fiveTicksPauseResume() {
        machine().Toggle(StopwatchSource::Button);
        QCOMPARE(v.StopwatchState, qint16(2));
        QVERIFY(d.ticking);
        QCOMPARE(d.picture, kPictureGo);
        QVERIFY(!d.resetEnabled);
        QCOMPARE(d.tip, QStringLiteral("(Timer running) Idle"));
        QCOMPARE(d.caption, QStringLiteral("Timer is running"));
        QVERIFY(d.focused);
        QVERIFY(d.menuRunning);
        for (int i = 1; i <= 5; ++i) {
            tickAfter();
            QCOMPARE(d.elapsedText, QStringLiteral("Elapsed: %1 seconds").arg(i));
        }
        Fake().advance(400);
        machine().Toggle(StopwatchSource::Button);
        QCOMPARE(v.StopwatchState, qint16(1));
        QCOMPARE(v.StopwatchBankedSeconds, 5);
        QCOMPARE(v.StopwatchRunSeconds, 0);
        QVERIFY(v.StopwatchStart.isNull());
        QVERIFY(!d.ticking);
        QCOMPARE(d.picture, kPicturePause);
        QVERIFY(d.resetEnabled);
        QVERIFY(!d.menuRunning);
        QCOMPARE(d.caption, QStringLiteral("Timer is paused"));
        QCOMPARE(d.tip, QStringLiteral("(Timer paused) Elapsed: 5 seconds"));

        // A long pause does not count.
        Fake().advance(3600 * 1000);
        machine().Toggle(StopwatchSource::Button);
        tickAfter();
        QCOMPARE(d.elapsedText, QStringLiteral("Elapsed: 6 seconds"));
        tickAfter();
        QCOMPARE(d.elapsedText, QStringLiteral("Elapsed: 7 seconds"));
        QCOMPARE(machine().Reading(), 7);
    }

    // Pause and resume a fraction of a second after a tick, inside one second or across
    // a second boundary: each resume adds exactly one second on its first tick.
    void pauseResumeInsideOneSecond_data() {
        QTest::addColumn<int>("startMs");   // millisecond of the clock at the click
        QTest::addColumn<int>("pauseMs");   // after the last tick
        QTest::addColumn<int>("resumeMs");  // after the pause
        QTest::newRow("early in the second") << 50 << 100 << 200;
        QTest::newRow("late in the second") << 900 << 20 << 30;
        QTest::newRow("across a boundary") << 700 << 250 << 100;
        QTest::newRow("tick on the boundary") << 0 << 999 << 0;
    }
    void pauseResumeInsideOneSecond() {
        QFETCH(int, startMs);
        QFETCH(int, pauseMs);
        QFETCH(int, resumeMs);
        Fake().setLocal(QDateTime(QDate(2026, 5, 4), QTime(10, 0, 0, startMs)));
        machine().Toggle(StopwatchSource::Button);
        int expected = 0;
        for (int round = 0; round < 4; ++round) {
            for (int i = 0; i < 3; ++i) {
                tickAfter();
                QCOMPARE(machine().Reading(), ++expected);
            }
            Fake().advance(pauseMs);
            machine().Toggle(StopwatchSource::Button);
            QCOMPARE(v.StopwatchBankedSeconds, expected);
            Fake().advance(resumeMs);
            machine().Toggle(StopwatchSource::Button);
        }
        tickAfter();
        QCOMPARE(d.elapsedText, ElapsedText(expected + 1));
    }

    // Each tick measures from the run's first tick, so late or missed ticks do not drift.
    void lateAndMissedTicks() {
        machine().Toggle(StopwatchSource::Button);
        tickAfter(1000);
        tickAfter(1300);
        tickAfter(700);
        QCOMPARE(machine().Reading(), 3);
        tickAfter(4000);  // three ticks lost while the thread was busy
        QCOMPARE(machine().Reading(), 7);
        QCOMPARE(d.elapsedText, QStringLiteral("Elapsed: 7 seconds"));
    }

    // Runs over a daylight-saving change count seconds, not hours.
    void daylightSavingChange_data() {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QDateTime>("start");  // ten seconds or less before the change
        const auto utc = [](int month, int day, int h, int m, int s) {
            return QDateTime(QDate(2026, month, day), QTime(h, m, s), QTimeZone::utc());
        };
        QTest::newRow("Berlin, clocks forward")
            << QByteArray("Europe/Berlin") << utc(3, 29, 0, 59, 50);
        QTest::newRow("Berlin, clocks back")
            << QByteArray("Europe/Berlin") << utc(10, 25, 0, 59, 50);
        QTest::newRow("New York, clocks forward")
            << QByteArray("America/New_York") << utc(3, 8, 6, 59, 58);
    }
    void daylightSavingChange() {
        QFETCH(QByteArray, zone);
        QFETCH(QDateTime, start);
        Fake().zone = QTimeZone(zone);
        QVERIFY(Fake().zone.isValid());
        Fake().utcNow = start;
        const int offsetBefore = Fake().currentLocal().offsetFromUtc();
        machine().Toggle(StopwatchSource::Button);
        for (int i = 1; i <= 30; ++i) tickAfter();
        QVERIFY(Fake().currentLocal().offsetFromUtc() != offsetBefore);  // the change happened
        QCOMPARE(machine().Reading(), 30);
        QCOMPARE(d.elapsedText, QStringLiteral("Elapsed: 30 seconds"));
        machine().Toggle(StopwatchSource::Button);
        QCOMPARE(v.StopwatchBankedSeconds, 30);
    }

    // The wall clock stays the reference: a clock set during a run moves the reading.
    void clockSetDuringRun() {
        machine().Toggle(StopwatchSource::Button);
        tickAfter();
        tickAfter();
        QVERIFY(Fake().setSystemClockUtc(Fake().utcNow.addSecs(60)));
        tickAfter();
        QCOMPARE(machine().Reading(), 63);
    }

    void menuToggle() {
        d.menuLoaded = true;
        machine().Toggle(StopwatchSource::Menu);
        // The host is closed before its items are set; the items then load it afresh.
        QCOMPARE(d.calls, QStringList({"closeHost", "menuItems"}));
        QVERIFY(d.menuLoaded);
        QVERIFY(d.menuRunning);
        QVERIFY(!d.focused);
        QCOMPARE(d.tip, QStringLiteral("(Timer stopped) Idle"));  // not refreshed
        tickAfter();
        tickAfter();
        QCOMPARE(d.tip, QStringLiteral("(Timer running) Elapsed: 2 seconds"));

        d.calls.clear();
        machine().Toggle(StopwatchSource::Menu);
        QCOMPARE(d.calls, QStringList({"closeHost", "menuItems"}));
        QVERIFY(!d.menuRunning);
        QCOMPARE(d.status, QStringLiteral("(Timer paused)"));
        // The tip keeps the running status until the next refresh.
        QCOMPARE(d.tip, QStringLiteral("(Timer running) Elapsed: 2 seconds"));
        QCOMPARE(v.StopwatchBankedSeconds, 2);
    }

    void resetFromButtonAndMenu_data() {
        QTest::addColumn<bool>("fromMenu");
        QTest::newRow("button") << false;
        QTest::newRow("menu") << true;
    }
    void resetFromButtonAndMenu() {
        QFETCH(bool, fromMenu);
        machine().Toggle(StopwatchSource::Button);
        for (int i = 0; i < 4; ++i) tickAfter();
        machine().Toggle(StopwatchSource::Button);
        d.calls.clear();
        d.menuLoaded = true;
        machine().Reset(fromMenu ? StopwatchSource::Menu : StopwatchSource::Button);

        QCOMPARE(v.StopwatchBankedSeconds, 0);
        QCOMPARE(v.StopwatchState, qint16(1));
        QCOMPARE(d.status, QStringLiteral("(Timer stopped)"));
        QCOMPARE(d.caption, QStringLiteral("Timer is stopped"));
        QCOMPARE(d.picture, kPictureStop);
        QCOMPARE(d.elapsedText, QStringLiteral("None"));
        if (fromMenu) {
            QCOMPARE(d.windowElapsed, QStringLiteral("None"));
            QCOMPARE(d.tip, QStringLiteral("(Timer stopped) None"));
            QCOMPARE(d.calls, QStringList({"closeHost"}));
            QVERIFY(!d.menuLoaded);
        } else {
            QCOMPARE(d.windowElapsed, QStringLiteral("Elapsed: 4 seconds"));
            QCOMPARE(d.tip, QStringLiteral("(Timer paused) Elapsed: 4 seconds"));
            QVERIFY(d.calls.isEmpty());
        }
        // The next run starts from nothing; its first tick shows one second.
        machine().Toggle(StopwatchSource::Button);
        tickAfter();
        QCOMPARE(d.elapsedText, QStringLiteral("Elapsed: 1 seconds"));
    }

    void resetWhileIdleKeepsIdle() {
        machine().Reset(StopwatchSource::Button);
        QCOMPARE(v.StopwatchState, qint16(0));
        QCOMPARE(d.elapsedText, QStringLiteral("None"));
        QCOMPARE(d.caption, QStringLiteral("Timer is stopped"));
    }

    // Neither reset is offered while running; calling one anyway changes nothing.
    void resetWhileRunningIgnored() {
        machine().Toggle(StopwatchSource::Button);
        tickAfter();
        tickAfter();
        machine().Reset(StopwatchSource::Menu);
        QCOMPARE(d.status, QStringLiteral("(Timer running)"));
        tickAfter();
        QCOMPARE(machine().Reading(), 3);
    }

    void restore_data() {
        QTest::addColumn<int>("saved");
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("elapsed");
        QTest::addColumn<QString>("windowElapsed");
        QTest::addColumn<QString>("picture");
        QTest::newRow("nothing saved") << 0 << 0 << "(Timer stopped)"
                                       << "Timer is stopped"
                                       << "Idle"
                                       << "None" << kPictureStop;
        QTest::newRow("negative") << -40 << 0 << "(Timer stopped)"
                                  << "Timer is stopped"
                                  << "Idle"
                                  << "None" << kPictureStop;
        QTest::newRow("one second") << 1 << 1 << "(Timer paused)"
                                    << "Timer is paused"
                                    << "Elapsed: 1 seconds"
                                    << "Elapsed: 1 seconds" << kPicturePause;
        QTest::newRow("727") << 727 << 1 << "(Timer paused)"
                             << "Timer is paused"
                             << "Elapsed: 12:07"
                             << "Elapsed: 12:07" << kPicturePause;
    }
    void restore() {
        QFETCH(int, saved);
        v.StopwatchBankedSeconds = saved;
        machine().Restore();
        QTEST(int(v.StopwatchState), "state");
        QTEST(d.status, "status");
        QTEST(d.caption, "caption");
        QTEST(d.elapsedText, "elapsed");
        QTEST(d.windowElapsed, "windowElapsed");
        QTEST(d.picture, "picture");
        QVERIFY(d.resetEnabled);
        QVERIFY(!d.menuRunning);
        // A restored reading resumes from where it was; nothing negative is carried on.
        machine().Toggle(StopwatchSource::Button);
        tickAfter();
        QCOMPARE(machine().Reading(), qMax(saved, 0) + 1);
    }

    void tipCutTo63() {
        QCOMPARE(TrayTipText(QStringLiteral("(Timer stopped)"), QStringLiteral("Idle")),
                 QStringLiteral("(Timer stopped) Idle"));
        const QString tip =
            TrayTipText(QString(40, QLatin1Char('s')), QString(40, QLatin1Char('e')));
        QCOMPARE(tip.size(), 63);
        QCOMPARE(tip,
                 QString(40, QLatin1Char('s')) + QLatin1Char(' ') + QString(22, QLatin1Char('e')));
    }

    // The lit lamp: red at the top for Stop, yellow in the middle for Pause, green at the
    // bottom for Go; the other two stay dark.
    void trafficLights_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("litLamp");  // 0 top, 1 middle, 2 bottom
        QTest::newRow("Stop") << kPictureStop << 0;
        QTest::newRow("Pause") << kPicturePause << 1;
        QTest::newRow("Go") << kPictureGo << 2;
    }
    void trafficLights() {
        QFETCH(QString, key);
        QFETCH(int, litLamp);
        const QImage img = TrafficLightPicture(key).toImage();
        QCOMPARE(img.size(), QSize(16, 16));
        const int lampY[] = {3, 8, 13};
        const QColor hue[] = {QColor(255, 0, 0), QColor(255, 220, 0), QColor(0, 230, 0)};
        for (int lamp = 0; lamp < 3; ++lamp) {
            const QColor c = img.pixelColor(8, lampY[lamp]);
            const bool lit = c.value() > 200;
            QCOMPARE(lit, lamp == litLamp);
            QVERIFY2(qAbs(c.hue() - hue[lamp].hue()) <= 4, qPrintable(c.name()));
        }
        QVERIFY(img.pixelColor(0, 8).alpha() == 0);  // transparent around the housing
    }
};

HOROLET_TEST_MAIN(TestStopwatch)
#include "tst_stopwatch.moc"
