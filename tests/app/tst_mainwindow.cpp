#include "app/Balloon.h"
#include "app/Globals.h"
#include "app/Twips.h"
#include "app/frmMain.h"
#include "settings/ConfFormat.h"
#include "settings/Settings.h"
#include "support/TestMain.h"

#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

using namespace horolet;

class TestMainWindow final : public QObject {
    Q_OBJECT

    static QSettings::SettingsMap storedMap() {
        QFile f(SettingsFilePath());
        QSettings::SettingsMap map;
        if (f.open(QIODevice::ReadOnly)) readConf(f, map);
        return map;
    }

private slots:
    void init() {
        test::FreshStart();
        test::Fake().screens.primary = QRect(0, 0, 1280, 800);
        test::Fake().screens.virtualDesktop = QRect(0, 0, 1280, 800);
    }
    void cleanup() { frmMain::unloadForm(); }

    void firstStartUsesEveryDefault() {
        frmMain* w = frmMain::form();
        QVERIFY(w->isVisible());
        QCOMPARE(w->pos(), QPoint(0, 0));
        QCOMPARE(w->height(), twipsToPx(675));
        QCOMPARE(w->outlineHeightTwips(), 675);
        QCOMPARE(w->ElapsedTime->text(), QStringLiteral("Idle"));
        QCOMPARE(w->TimerTextStatus->text(), QStringLiteral("(Timer stopped)"));
        QCOMPARE(w->txtZipCode->text(), QStringLiteral("72210"));
        QCOMPARE(w->CurrentTime->text(), QStringLiteral("3:07:09 pm"));  // the fake clock
        QVERIFY(w->Timer1->isActive());
        QVERIFY(w->Timer3->isActive());
        QVERIFY(!App().OptionsExpanded);
        QVERIFY(Sticky().StickyVisible);
        QCOMPARE(Sticky().StickyTitle, QStringLiteral("Title"));
        QCOMPARE(Sticky().StickyText, QStringLiteral("Text of this note"));
        QCOMPARE(Sticky().StickyWidth, 3000.0f);
        QCOMPARE(NetTime().SyncMinutes, qint16(60));
        QCOMPARE(NetTime().WeatherMinutes, qint16(60));
        QVERIFY(!NetTime().NtpServer.isEmpty());
        QVERIFY(test::Fake().hiddenFromTaskbar.contains(w));
        QVERIFY(w->windowFlags().testFlag(Qt::FramelessWindowHint));
        QVERIFY(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    }

    void unloadWritesEveryKey() {
        WriteOption(QStringLiteral("Top"), QStringLiteral("1440"));
        WriteOption(QStringLiteral("Left"), QStringLiteral("-3000"));
        WriteOption(QStringLiteral("StickyTitle"), QStringLiteral(""));
        frmMain::form();
        Sticky().StickyVisible = false;
        frmMain::unloadForm();
        QVERIFY(!frmMain::isLoaded());

        const QSettings::SettingsMap map = storedMap();
        const QList<QPair<QString, QString>> expected = {
            {"Timer", "0"},           {"Top", "1440"},
            {"Left", "-3000"},        {"StickyVisible", "False"},
            {"StickyTitle", "Title"}, {"StickyText", "Text of this note"},
            {"StickyTop", "0"},       {"StickyLeft", "0"},
            {"StickyWidth", "3000"},  {"StickyHeight", "3000"},
            {"ZipCode", "72210"},     {"SyncMins", "60"},
            {"WeatherMins", "60"}};
        for (const auto& [key, value] : expected)
            QCOMPARE(map.value(QStringLiteral("Options/") + key).toString(), value);
        QVERIFY(!map.value(QStringLiteral("Options/NTPServer")).toString().isEmpty());
        QCOMPARE(map.size(), expected.size() + 1);
    }

    void storedValuesComeBack() {
        WriteOption(QStringLiteral("ZipCode"), QStringLiteral("10001"));
        WriteOption(QStringLiteral("SyncMins"), QStringLiteral("0"));
        WriteOption(QStringLiteral("WeatherMins"), QStringLiteral("0"));
        WriteOption(QStringLiteral("NTPServer"), QStringLiteral("time.example"));
        WriteOption(QStringLiteral("StickyVisible"), QStringLiteral("False"));
        frmMain* w = frmMain::form();
        QCOMPARE(w->txtZipCode->text(), QStringLiteral("10001"));
        QCOMPARE(App().ZipCode, QStringLiteral("10001"));
        QCOMPARE(NetTime().NtpServer, QStringLiteral("time.example"));
        QVERIFY(!w->Timer3->isActive());  // both intervals off
        QVERIFY(!Sticky().StickyVisible);
    }

    void placement_data() {
        QTest::addColumn<QString>("top");
        QTest::addColumn<QString>("left");
        QTest::addColumn<QPoint>("expectedTwips");
        // Primary 1280 x 800 px = 19200 x 12000 twips.
        QTest::newRow("inside") << "1500"
                                << "3000" << QPoint(3000, 1500);
        QTest::newRow("top beyond the screen uses the unfolded height")
            << "12001"
            << "0" << QPoint(0, 12000 - 5610);
        QTest::newRow("top exactly at the screen height stays") << "12000"
                                                                << "0" << QPoint(0, 12000);
        QTest::newRow("left beyond the virtual desktop") << "0"
                                                         << "30000" << QPoint(19200 - 2100, 0);
        QTest::newRow("left exactly at the desktop edge stays") << "0"
                                                                << "19200" << QPoint(19200, 0);
        QTest::newRow("negative values are kept") << "-1500"
                                                  << "-3000" << QPoint(-3000, -1500);
        QTest::newRow("unreadable values give 0") << "abc"
                                                  << "" << QPoint(0, 0);
    }
    void placement() {
        QFETCH(QString, top);
        QFETCH(QString, left);
        QFETCH(QPoint, expectedTwips);
        WriteOption(QStringLiteral("Top"), top);
        WriteOption(QStringLiteral("Left"), left);
        frmMain* w = frmMain::form();
        QCOMPARE(w->pos(), QPoint(twipsToPx(expectedTwips.x()), twipsToPx(expectedTwips.y())));
    }

    void placementWithSecondMonitor() {
        // A second monitor right of the primary widens the virtual desktop.
        test::Fake().screens.virtualDesktop = QRect(0, 0, 2560, 800);
        WriteOption(QStringLiteral("Left"), QStringLiteral("30000"));  // 2000 px: on monitor two
        frmMain* w = frmMain::form();
        QCOMPARE(w->x(), 2000);
    }

    void foldAndUnfold() {
        frmMain* w = frmMain::form();
        const QPoint topLeft = w->pos();
        w->ToggleOptionsView->click();
        QVERIFY(App().OptionsExpanded);
        QCOMPARE(w->height(), twipsToPx(5610));
        QCOMPARE(w->outlineHeightTwips(), 5610);
        QCOMPARE(w->pos(), topLeft);  // it grows downwards
        w->ToggleOptionsView->click();
        QVERIFY(!App().OptionsExpanded);
        QCOMPARE(w->height(), twipsToPx(675));
        QCOMPARE(w->outlineHeightTwips(), 675);
    }

    void controlsSitAtTheirTwipsPlaces() {
        frmMain* w = frmMain::form();
        QCOMPARE(w->ClockBackground->geometry(), twipsRect(60, 60, 2000, 570));
        QCOMPARE(w->Frame1->geometry(), twipsRect(90, 2280, 1935, 3240));
        QCOMPARE(w->txtZipCode->maxLength(), 5);
        QCOMPARE(w->CloseHorolet->text(), QStringLiteral("&Close Horolet"));
        QCOMPARE(w->Timer3->interval(), 60000);
    }

    void closeButtonUnloads() {
        frmMain* w = frmMain::form();
        w->CloseHorolet->click();
        QVERIFY(!frmMain::isLoaded());
        QCOMPARE(storedMap().value(QStringLiteral("Options/ZipCode")).toString(),
                 QStringLiteral("72210"));
    }

    void balloonStartsNotAvailable() {
        BalloonTool* tool = frmMain::form()->m_oTool;
        QVERIFY(tool);
        QCOMPARE(tool->title(), QStringLiteral("Current Conditions"));
        QCOMPARE(tool->text(), QStringLiteral("Not available"));
        tool->showNow();
        QVERIFY(tool->isShown());
        tool->setText(QStringLiteral("Conditions at X\r\n\r\nTemp: 1"));
        QCOMPARE(tool->text(), QStringLiteral("Conditions at X\r\n\r\nTemp: 1"));
        tool->hideNow();
        QVERIFY(!tool->isShown());
    }
};

HOROLET_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
