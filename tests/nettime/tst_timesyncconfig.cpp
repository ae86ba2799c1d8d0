#include "NtpTestPeer.h"
#include "app/Globals.h"
#include "app/frmMain.h"
#include "nettime/Scheduler.h"
#include "nettime/ServerList.h"
#include "nettime/frmTimeSyncConfig.h"
#include "nettime/modTimes.h"
#include "settings/Settings.h"
#include "support/TestMain.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

using namespace horolet;

class TestTimeSyncConfig final : public QObject {
    Q_OBJECT

    // The main window without any network: offline, weather host on loopback.
    static frmMain* loadMainWindow() {
        test::Fake().online = false;
        WriteOption(QStringLiteral("WeatherHost"), QStringLiteral("127.0.0.1:9"));
        return frmMain::form();
    }

private slots:
    void init() { test::FreshStart(); }
    void cleanup() {
        frmTimeSyncConfig::unloadForm();
        frmMain::unloadForm();
    }

    void serverList() {
        const QStringList& list = TimeServerList();
        QCOMPARE(list.size(), 20);
        QCOMPARE(QSet<QString>(list.begin(), list.end()).size(), 20);
        QCOMPARE(DefaultNtpServer(), list.first());
    }

    void loadFillsTheRows_data() {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("shown");
        QTest::newRow("no server yet shows the first entry")
            << QString() << TimeServerList().first();
        QTest::newRow("a typed server") << "ntp.example.test"
                                        << "ntp.example.test";
    }
    void loadFillsTheRows() {
        QFETCH(QString, server);
        QFETCH(QString, shown);
        NetTimeValues& nt = NetTime();
        nt.NtpServer = server;
        nt.SyncMinutes = -7;
        nt.WeatherMinutes = 45;
        frmTimeSyncConfig* w = frmTimeSyncConfig::form();
        QCOMPARE(w->windowTitle(), QStringLiteral("Time Synch Options"));
        QCOMPARE(w->Combo1->count(), 20);
        QCOMPARE(w->Combo1->currentText(), shown);
        QCOMPARE(w->txtSyncMin->text(), QStringLiteral("-7"));
        QCOMPARE(w->txtWeatherMin->text(), QStringLiteral("45"));
        QCOMPARE(w->lblNTPTimeValue->text(), QStringLiteral("0000/00/00 00:00:00 UTC"));
        QCOMPARE(w->lblRoundTrip->text(), QString());
        QVERIFY(w->isHidden());  // loaded on reference; the menu shows it
    }

    void parseInterval_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("minutes");  // -99999: refused
        const int refused = -99999;
        QTest::newRow("plain") << "60" << 60;
        QTest::newRow("blanks around") << " 15 " << 15;
        QTest::newRow("negative") << "-5" << -5;
        QTest::newRow("half rounds to even, down") << "2.5" << 2;
        QTest::newRow("half rounds to even, up") << "3.5" << 4;
        QTest::newRow("lowest") << "-32768" << -32768;
        QTest::newRow("rounds into range") << "32767.4" << 32767;
        QTest::newRow("empty") << "" << refused;
        QTest::newRow("number then text") << "10 min" << refused;
        QTest::newRow("rounds out of range") << "32767.5" << refused;
        QTest::newRow("too small") << "-32769" << refused;
        QTest::newRow("infinite") << "inf" << refused;
        QTest::newRow("not a number at all") << "nan" << refused;
    }
    void parseInterval() {
        QFETCH(QString, text);
        QFETCH(int, minutes);
        const MinutesParse p = ParseIntervalMinutes(text, QStringLiteral("Sync Every"));
        if (minutes == -99999) {
            QVERIFY(!p.minutes);
            QVERIFY(p.problem.contains(QStringLiteral("\"Sync Every\"")));
        } else {
            QVERIFY2(p.minutes, qPrintable(p.problem));
            QCOMPARE(int(*p.minutes), minutes);
            QVERIFY(p.problem.isEmpty());
        }
    }

    void saveStoresAndSchedules_data() {
        QTest::addColumn<QString>("sync");
        QTest::addColumn<QString>("weather");
        QTest::addColumn<bool>("timerRuns");
        QTest::newRow("both off stops the minute timer") << "0"
                                                         << "0" << false;
        QTest::newRow("weather only") << "0"
                                      << "5" << true;
        QTest::newRow("sync only, fraction rounded") << "14.5"
                                                     << "0" << true;
    }
    void saveStoresAndSchedules() {
        QFETCH(QString, sync);
        QFETCH(QString, weather);
        QFETCH(bool, timerRuns);
        frmMain* m = loadMainWindow();
        NetTimeValues& nt = NetTime();
        nt.SyncMinuteCount = 12;
        nt.WeatherMinuteCount = 30;
        frmTimeSyncConfig* w = frmTimeSyncConfig::form();
        w->Combo1->setEditText(QStringLiteral("ntp.example.test"));
        w->txtSyncMin->setText(sync);
        w->txtWeatherMin->setText(weather);
        w->cmdSave->click();

        const qint16 expectSync = ParseIntervalMinutes(sync, QString()).minutes.value();
        const qint16 expectWeather = ParseIntervalMinutes(weather, QString()).minutes.value();
        QCOMPARE(nt.NtpServer, QStringLiteral("ntp.example.test"));
        QCOMPARE(nt.SyncMinutes, expectSync);
        QCOMPARE(nt.WeatherMinutes, expectWeather);
        QCOMPARE(ReadOption(QStringLiteral("SyncMins"), QString()), QString::number(expectSync));
        QCOMPARE(ReadOption(QStringLiteral("WeatherMins"), QString()),
                 QString::number(expectWeather));
        QCOMPARE(ReadOption(QStringLiteral("NTPServer"), QString()),
                 QStringLiteral("ntp.example.test"));
        QCOMPARE(nt.SyncMinuteCount, qint16(0));
        QCOMPARE(nt.WeatherMinuteCount, qint16(0));
        QCOMPARE(m->Timer3->isActive(), timerRuns);
        QTRY_VERIFY(!frmTimeSyncConfig::isLoaded());
    }

    void saveRefusesBadIntervals_data() {
        QTest::addColumn<QString>("sync");
        QTest::addColumn<QString>("weather");
        QTest::addColumn<QString>("mentions");
        QTest::newRow("empty sync") << ""
                                    << "5"
                                    << "Sync Every";
        QTest::newRow("weather not a number") << "5"
                                              << "five"
                                              << "Update Temp";
        QTest::newRow("weather out of range") << "5"
                                              << "99999"
                                              << "Update Temp";
    }
    void saveRefusesBadIntervals() {
        QFETCH(QString, sync);
        QFETCH(QString, weather);
        QFETCH(QString, mentions);
        NetTimeValues& nt = NetTime();
        nt.NtpServer = QStringLiteral("old.example.test");
        nt.SyncMinutes = 60;
        nt.WeatherMinutes = 30;
        nt.SyncMinuteCount = 3;
        frmTimeSyncConfig* w = frmTimeSyncConfig::form();
        w->Combo1->setEditText(QStringLiteral("new.example.test"));
        w->txtSyncMin->setText(sync);
        w->txtWeatherMin->setText(weather);
        w->cmdSave->click();

        const auto& boxes = test::Fake().boxes;
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes[0].text.contains(mentions), qPrintable(boxes[0].text));
        QCOMPARE(boxes[0].icon, MsgIcon::Exclamation);
        QCOMPARE(nt.NtpServer, QStringLiteral("old.example.test"));
        QCOMPARE(nt.SyncMinutes, qint16(60));
        QCOMPARE(nt.WeatherMinutes, qint16(30));
        QCOMPARE(nt.SyncMinuteCount, qint16(3));
        QCOMPARE(ReadOption(QStringLiteral("SyncMins"), QStringLiteral("unset")),
                 QStringLiteral("unset"));
        QTest::qWait(10);
        QVERIFY(frmTimeSyncConfig::isLoaded());
    }

    void closingSavesNothing() {
        NetTime().SyncMinutes = 60;
        frmTimeSyncConfig* w = frmTimeSyncConfig::form();
        w->txtSyncMin->setText(QStringLiteral("5"));
        w->Combo1->setEditText(QStringLiteral("other.example.test"));
        w->close();
        QTRY_VERIFY(!frmTimeSyncConfig::isLoaded());
        QCOMPARE(NetTime().SyncMinutes, qint16(60));
        QCOMPARE(ReadOption(QStringLiteral("SyncMins"), QStringLiteral("unset")),
                 QStringLiteral("unset"));
    }

    void compareAsksTheTypedServerOnly() {
        FakePlatform& fake = test::Fake();
        fake.resolveAnswer.clear();  // every lookup fails, so no exchange waits
        NetTimeValues& nt = NetTime();
        nt.NtpServer = QStringLiteral("saved.example.test");
        nt.SetClockOnReply = true;
        frmTimeSyncConfig* w = frmTimeSyncConfig::form();
        w->Combo1->setEditText(QStringLiteral("typed.example.test"));
        w->cmdGet->click();
        QCOMPARE(fake.lookups, QStringList{QStringLiteral("typed.example.test")});
        QCOMPARE(nt.NtpServer, QStringLiteral("saved.example.test"));
        QCOMPARE(nt.SetClockOnReply, false);
        // "Set Now" right after uses the saved server, and leaves the flag set.
        w->cmdSet->click();
        QCOMPARE(fake.lookups.last(), QStringLiteral("saved.example.test"));
        QCOMPARE(nt.SetClockOnReply, true);
        QVERIFY(w->cmdGet->isEnabled());
        QVERIFY(w->cmdSet->isEnabled());
    }

    void buttonsWaitWithTheExchange() {
        FakePlatform& fake = test::Fake();
        fake.resolveAnswer = QStringLiteral("127.0.0.2");  // nobody answers there
        frmTimeSyncConfig* w = frmTimeSyncConfig::form();
        test::TickDriver driver(fake, 1000);
        QList<bool> seen;
        driver.onStep = [&] {
            if (seen.isEmpty())
                seen = {w->cmdGet->isEnabled(), w->cmdSet->isEnabled(), w->cmdSave->isEnabled()};
        };
        w->cmdGet->click();
        QCOMPARE(seen, (QList<bool>{false, false, true}));
        QVERIFY(w->cmdGet->isEnabled());
        QVERIFY(w->cmdSet->isEnabled());
    }

    void windowClosedDuringTheWait() {
        FakePlatform& fake = test::Fake();
        fake.resolveAnswer = QStringLiteral("127.0.0.2");
        frmTimeSyncConfig* w = frmTimeSyncConfig::form();
        test::TickDriver driver(fake, 1000);
        driver.onStep = [w = QPointer<frmTimeSyncConfig>(w)] {
            if (w) w->close();
        };
        w->cmdSet->click();  // must come back without touching the deleted window
        QTRY_VERIFY(!frmTimeSyncConfig::isLoaded());
    }

    void syncMinutesBoxSelectsAllOnFocus() {
        frmTimeSyncConfig* w = frmTimeSyncConfig::form();
        w->txtSyncMin->setText(QStringLiteral("120"));
        w->txtWeatherMin->setText(QStringLiteral("30"));
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QTest::mouseClick(w->txtSyncMin, Qt::LeftButton, {}, QPoint(3, 5));
        QTRY_COMPARE(w->txtSyncMin->selectedText(), QStringLiteral("120"));
        QTest::mouseClick(w->txtWeatherMin, Qt::LeftButton, {}, QPoint(3, 5));
        QTest::qWait(20);
        QVERIFY(w->txtWeatherMin->hasFocus());
        QCOMPARE(w->txtWeatherMin->selectedText(), QString());
    }

    void minuteTick_data() {
        QTest::addColumn<int>("syncMinutes");
        QTest::addColumn<int>("weatherMinutes");
        QTest::addColumn<int>("ticks");
        QTest::addColumn<QString>("events");
        QTest::newRow("weather every minute, no sync") << 0 << 1 << 3 << "W W W";
        QTest::newRow("both at 60: weather first on the 60th tick")
            << 60 << 60 << 61
            << (QStringList(59, QStringLiteral("-")) << QStringLiteral("WS") << QStringLiteral("-"))
                   .join(u' ');
        QTest::newRow("different intervals") << 2 << 3 << 6 << "- S W S - WS";
        QTest::newRow("negative fires every tick") << -5 << 0 << 2 << "S S";
    }
    void minuteTick() {
        QFETCH(int, syncMinutes);
        QFETCH(int, weatherMinutes);
        QFETCH(int, ticks);
        QFETCH(QString, events);
        NetTimeValues& nt = NetTime();
        nt.SyncMinutes = qint16(syncMinutes);
        nt.WeatherMinutes = qint16(weatherMinutes);
        QString tick;
        MinuteActions actions;
        actions.updateWeather = [&] { tick += u'W'; };
        actions.syncClock = [&] {
            tick += u'S';
            QVERIFY(nt.SetClockOnReply);
        };
        QStringList seen;
        for (int i = 0; i < ticks; ++i) {
            tick.clear();
            MinuteTick(nt, actions);
            seen << (tick.isEmpty() ? QStringLiteral("-") : tick);
            QVERIFY(!nt.SetClockOnReply);
        }
        QCOMPARE(seen.join(u' '), events);
    }

    void minuteCountsWrap() {
        NetTimeValues& nt = NetTime();
        nt.SyncMinuteCount = 32767;
        nt.WeatherMinuteCount = 32767;
        nt.WeatherMinutes = 0;
        nt.SyncMinutes = 0;
        int calls = 0;
        MinuteTick(nt, {[&] { ++calls; }, [&] { ++calls; }});
        QCOMPARE(nt.SyncMinuteCount, qint16(-32768));
        QCOMPARE(nt.WeatherMinuteCount, qint16(-32768));
        QCOMPARE(calls, 0);
    }

    void timer3DrivesTheMainWindow() {
        frmMain* m = loadMainWindow();
        NetTimeValues& nt = NetTime();
        nt.WeatherMinutes = 1;
        nt.SyncMinutes = 1;
        m->CurrentTime->setToolTip(QString());
        Timer3Tick();
        QCOMPARE(m->CurrentDate->text(), QStringLiteral("Updating temp..."));
        // Offline: the sync sends nothing and only stamps the hover text.
        QCOMPARE(m->CurrentTime->toolTip(),
                 QStringLiteral("Time last synched @ ") + LongTimeText(QTime(15, 7, 9)));
        QVERIFY(!nt.SetClockOnReply);

        // The timer itself is wired to the tick.
        nt.WeatherMinutes = 0;
        nt.SyncMinutes = 0;
        nt.SyncMinuteCount = 0;
        m->Timer3->start(5);
        QTRY_VERIFY(nt.SyncMinuteCount >= 2);
        m->Timer3->stop();
    }
};

HOROLET_TEST_MAIN(TestTimeSyncConfig)
#include "tst_timesyncconfig.moc"
