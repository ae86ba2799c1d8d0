// The stopwatch's state machine on the fake clock, with a display that records what it
// is told: readings, runs, pauses, the menu's toggle, restore at start-up.

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
    QString elapsedText = QStringLiteral("Idle");
    QString windowElapsed, caption, picture = kPictureStop;
    QString tip = QStringLiteral("(Timer stopped) Idle");
    bool menuRunning = false, focused = false;
    QStringList calls;

    void setStatus(const QString& t) override { status = t; }
    void setWindowCaption(const QString& t) override { caption = t; }
    void setElapsed(const QString& t) override { elapsedText = t; }
    QString elapsed() const override { return elapsedText; }
    void setWindowElapsed(const QString& t) override { windowElapsed = t; }
    void setPicture(const QString& key) override { picture = key; }
    void setTicking(bool) override {}
    void setResetEnabled(bool) override {}
    void setMenuItems(bool running) override {
        calls << QStringLiteral("menuItems");
        menuRunning = running;
    }
    void closeMenuHost() override { calls << QStringLiteral("closeHost"); }
    void focusClock() override { focused = true; }
    void updateTrayTip() override { tip = TrayTipText(status, elapsedText); }
};

}  // namespace

class TestStopwatch final : public QObject {
    Q_OBJECT

    StopwatchValues v;
    RecordingDisplay d;

    StopwatchMachine machine() { return StopwatchMachine(v, d); }
    void toggle() { machine().Toggle(StopwatchSource::Button); }

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
        QTest::newRow("1, plural kept") << 1 << "Elapsed: 1 seconds";
        QTest::newRow("59") << 59 << "Elapsed: 59 seconds";
        QTest::newRow("60") << 60 << "Elapsed: 1:00";
        QTest::newRow("3599") << 3599 << "Elapsed: 59:59";
        QTest::newRow("3600") << 3600 << "Elapsed: 01:00:00";
        QTest::newRow("3661") << 3661 << "Elapsed: 01:01:01";
        QTest::newRow("90061, no wrap at a day") << 90061 << "Elapsed: 25:01:01";
        QTest::newRow("360000, three-digit hours") << 360000 << "Elapsed: 100:00:00";
        QTest::newRow("largest") << 2147483647 << "Elapsed: 596523:14:07";
    }
    void readings() {
        QFETCH(int, seconds);
        QFETCH(QString, text);
        // Showing a reading puts it in the reading box, the tip and the window's label.
        machine().ShowElapsed(seconds);
        QCOMPARE(d.elapsedText, text);
        QCOMPARE(d.windowElapsed, text);
        QCOMPARE(d.tip, d.status + QLatin1Char(' ') + text);
    }

    // Each tick measures from the run's start, so late or missed ticks do not drift, and a
    // long pause does not count.
    void runPauseResume() {
        toggle();
        QCOMPARE(d.tip, QStringLiteral("(Timer running) Idle"));
        QVERIFY(d.focused);
        tickAfter(1000);
        tickAfter(1300);
        tickAfter(700);
        QCOMPARE(machine().Reading(), 3);
        tickAfter(2000);  // a tick lost while the thread was busy
        QCOMPARE(d.elapsedText, QStringLiteral("Elapsed: 5 seconds"));
        Fake().advance(400);
        toggle();
        QCOMPARE(v.StopwatchBankedSeconds, 5);
        QCOMPARE(d.picture, kPicturePause);
        QCOMPARE(d.tip, QStringLiteral("(Timer paused) Elapsed: 5 seconds"));
        Fake().advance(3600 * 1000);
        toggle();
        tickAfter();
        QCOMPARE(d.elapsedText, QStringLiteral("Elapsed: 6 seconds"));
    }

    // Pause and resume a fraction of a second after a tick, inside one second or across
    // a second boundary: each resume adds exactly one second on its first tick.
    void pauseResumeInsideOneSecond_data() {
        QTest::addColumn<int>("startMs");   // millisecond of the clock at the click
        QTest::addColumn<int>("pauseMs");   // after the last tick
        QTest::addColumn<int>("resumeMs");  // after the pause
        QTest::newRow("across a boundary") << 700 << 250 << 100;
        QTest::newRow("tick on the boundary") << 0 << 999 << 0;
    }
    void pauseResumeInsideOneSecond() {
        QFETCH(int, startMs);
        QFETCH(int, pauseMs);
        QFETCH(int, resumeMs);
        Fake().setLocal(QDateTime(QDate(2026, 5, 4), QTime(10, 0, 0, startMs)));
        toggle();
        int expected = 0;
        for (int round = 0; round < 4; ++round) {
            tickAfter();
            tickAfter();
            expected += 2;
            Fake().advance(pauseMs);
            toggle();
            QCOMPARE(v.StopwatchBankedSeconds, expected);
            Fake().advance(resumeMs);
            toggle();
        }
        tickAfter();
        QCOMPARE(machine().Reading(), expected + 1);
    }

    // Runs over a daylight-saving change count seconds, not hours.
    void daylightSavingChange_data() {
        QTest::addColumn<QDateTime>("start");  // ten seconds before the change, in UTC
        QTest::newRow("clocks forward")
            << QDateTime(QDate(2026, 3, 29), QTime(0, 59, 50), QTimeZone::utc());
        QTest::newRow("clocks back")
            << QDateTime(QDate(2026, 10, 25), QTime(0, 59, 50), QTimeZone::utc());
    }
    void daylightSavingChange() {
        QFETCH(QDateTime, start);
        Fake().zone = QTimeZone("Europe/Berlin");
        QVERIFY(Fake().zone.isValid());
        Fake().utcNow = start;
        const int offsetBefore = Fake().currentLocal().offsetFromUtc();
        toggle();
        for (int i = 1; i <= 30; ++i) tickAfter();
        QVERIFY(Fake().currentLocal().offsetFromUtc() != offsetBefore);  // the change happened
        QCOMPARE(d.elapsedText, QStringLiteral("Elapsed: 30 seconds"));
        toggle();
        QCOMPARE(v.StopwatchBankedSeconds, 30);
    }

    // The wall clock stays the reference: a clock set during a run moves the reading.
    void clockSetDuringRun() {
        toggle();
        tickAfter();
        QVERIFY(Fake().setSystemClockUtc(Fake().utcNow.addSecs(60)));
        tickAfter();
        QCOMPARE(machine().Reading(), 62);
    }

    void menuToggle() {
        machine().Toggle(StopwatchSource::Menu);
        // The host is closed before its items are set; the items then load it afresh.
        QCOMPARE(d.calls, QStringList({"closeHost", "menuItems"}));
        QVERIFY(d.menuRunning);
        QVERIFY(!d.focused);
        QCOMPARE(d.tip, QStringLiteral("(Timer stopped) Idle"));  // not refreshed
        tickAfter();
        tickAfter();
        machine().Toggle(StopwatchSource::Menu);
        QVERIFY(!d.menuRunning);
        QCOMPARE(d.status, QStringLiteral("(Timer paused)"));
        // The tip keeps the running status until the next refresh.
        QCOMPARE(d.tip, QStringLiteral("(Timer running) Elapsed: 2 seconds"));
    }

    void restore_data() {
        QTest::addColumn<int>("saved");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("elapsed");
        QTest::addColumn<QString>("picture");
        QTest::newRow("nothing saved") << 0 << "Timer is stopped"
                                       << "Idle" << kPictureStop;
        QTest::newRow("negative") << -40 << "Timer is stopped"
                                  << "Idle" << kPictureStop;
        QTest::newRow("727") << 727 << "Timer is paused"
                             << "Elapsed: 12:07" << kPicturePause;
    }
    void restore() {
        QFETCH(int, saved);
        v.StopwatchBankedSeconds = saved;
        machine().Restore();
        QCOMPARE(int(v.StopwatchState), saved > 0 ? 1 : 0);
        QTEST(d.caption, "caption");
        QTEST(d.elapsedText, "elapsed");
        QTEST(d.picture, "picture");
        // A restored reading resumes from where it was; nothing negative is carried on.
        toggle();
        tickAfter();
        QCOMPARE(machine().Reading(), qMax(saved, 0) + 1);
    }

    void tipCutTo63() {
        const QString tip = TrayTipText(QString(40, u's'), QString(40, u'e'));
        QCOMPARE(tip, QString(40, u's') + u' ' + QString(22, u'e'));
    }

    // The lit lamp: red at the top for Stop, yellow in the middle for Pause, green at the
    // bottom for Go; the other two stay dark.
    void trafficLights() {
        const QString keys[] = {kPictureStop, kPicturePause, kPictureGo};
        const int hue[] = {0, 52, 120};
        for (int lit = 0; lit < 3; ++lit) {
            const QImage img = TrafficLightPicture(keys[lit]).toImage();
            QCOMPARE(img.size(), QSize(16, 16));
            for (int lamp = 0; lamp < 3; ++lamp) {
                const QColor c = img.pixelColor(8, 3 + 5 * lamp);
                QCOMPARE(c.value() > 200, lamp == lit);
                QVERIFY2(qAbs(c.hue() - hue[lamp]) <= 4, qPrintable(c.name()));
            }
        }
    }
};

HOROLET_TEST_MAIN(TestStopwatch)
#include "tst_stopwatch.moc"
