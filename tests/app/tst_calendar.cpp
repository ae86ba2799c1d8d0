#include "app/Forms.h"
#include "app/Globals.h"
#include "app/Tray.h"
#include "app/Twips.h"
#include "app/frmCalendar.h"
#include "app/frmMain.h"
#include "settings/Settings.h"
#include "support/TestMain.h"

#include <QCalendarWidget>
#include <QPushButton>

using namespace horolet;

class TestCalendar final : public QObject {
    Q_OBJECT

    // 31 January 2027, 22:30 in a zone five hours behind UTC: already February in UTC.
    static void lateOnTheLastOfJanuary() {
        FakePlatform& fake = test::Fake();
        fake.zone = QTimeZone(-5 * 3600);
        fake.setLocal(QDateTime(QDate(2027, 1, 31), QTime(22, 30)));
    }

    static void flushUnloads() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

private slots:
    void init() {
        test::FreshStart();
        lateOnTheLastOfJanuary();
    }
    void cleanup() {
        frmCalendar::unloadForm();
        frmMain::unloadForm();
        flushUnloads();
    }

    void opensAtTodaysLocalDate() {
        QCOMPARE(test::Fake().currentUtc().date(), QDate(2027, 2, 1));
        ShowCalendarWindow();
        frmCalendar* f = frmCalendar::loadedForm();
        QVERIFY(f);
        QVERIFY(f->isVisible());
        QCOMPARE(f->MonthView1->selectedDate(), QDate(2027, 1, 31));
        QCOMPARE(f->MonthView1->yearShown(), 2027);
        QCOMPARE(f->MonthView1->monthShown(), 1);
    }

    void looksAsDesigned() {
        ShowCalendarWindow();
        frmCalendar* f = frmCalendar::loadedForm();
        QCOMPARE(f->windowTitle(), QStringLiteral("Quick Calendar"));
        QCOMPARE(f->windowType(), Qt::Tool);
        QVERIFY(!f->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        QCOMPARE(f->minimumSize(), f->maximumSize());  // not resizable
        QVERIFY(f->width() >= twipsToPx(frmCalendar::kClientWidth));
        QVERIFY(f->height() >= twipsToPx(frmCalendar::kClientHeight));
        QCOMPARE(f->MonthView1->geometry(), f->rect());
        QCOMPARE(f->MonthView1->font().family(), QStringLiteral("Tahoma"));
        // Every day of the month fits: the control has at least the room it asks for.
        QVERIFY(f->MonthView1->width() >= f->MonthView1->minimumSizeHint().width());
        QVERIFY(f->MonthView1->height() >= f->MonthView1->minimumSizeHint().height());
    }

    // A second show brings up the same window without loading it again: the month the
    // user paged to stays, and so does the day it was opened on.
    void secondShowKeepsThePage() {
        ShowCalendarWindow();
        frmCalendar* first = frmCalendar::loadedForm();
        first->MonthView1->showNextMonth();
        first->MonthView1->showNextMonth();
        test::Fake().advance(qint64(26) * 3600 * 1000);  // past midnight
        ShowCalendarWindow();
        QCOMPARE(frmCalendar::loadedForm(), first);
        QCOMPARE(first->MonthView1->monthShown(), 3);
        QCOMPARE(first->MonthView1->selectedDate(), QDate(2027, 1, 31));
    }

    void reopenedReturnsToToday() {
        ShowCalendarWindow();
        frmCalendar* f = frmCalendar::loadedForm();
        f->MonthView1->setCurrentPage(2030, 7);
        f->MonthView1->setSelectedDate(QDate(2030, 7, 4));
        QVERIFY(f->close());
        flushUnloads();
        QVERIFY(!frmCalendar::isLoaded());

        test::Fake().advance(qint64(2) * 3600 * 1000);  // 00:30 on 1 February
        ShowCalendarWindow();
        f = frmCalendar::loadedForm();
        QCOMPARE(f->MonthView1->selectedDate(), QDate(2027, 2, 1));
        QCOMPARE(f->MonthView1->monthShown(), 2);
        QCOMPARE(f->MonthView1->yearShown(), 2027);
    }

    void buttonShowsOneWindow() {
        frmMain* w = frmMain::form();
        w->ShowCalendar->click();
        frmCalendar* f = frmCalendar::loadedForm();
        QVERIFY(f && f->isVisible());
        w->ShowCalendar->click();
        QCOMPARE(frmCalendar::loadedForm(), f);
        const QWidgetList tops = QApplication::topLevelWidgets();
        QCOMPARE(std::count_if(tops.begin(), tops.end(),
                               [](QWidget* t) { return qobject_cast<frmCalendar*>(t) != nullptr; }),
                 1);
    }

    // The main window's unload saves and takes its own windows down, but the calendar
    // stays and keeps the process alive until it is closed.
    void outlivesTheMainWindow() {
        frmMain* w = frmMain::form();
        const int withoutCalendar = FormLifetime::loadedCount();
        w->ShowCalendar->click();
        QCOMPARE(FormLifetime::loadedCount(), withoutCalendar + 1);

        QVERIFY(TrayIcon());
        QVERIFY(ReadOption(QStringLiteral("Timer"), QStringLiteral("none")) ==
                QLatin1String("none"));
        frmMain::unloadForm();
        flushUnloads();
        QVERIFY(!frmMain::isLoaded());
        QVERIFY(!TrayIcon());
        QCOMPARE(ReadOption(QStringLiteral("Timer"), QStringLiteral("none")), QStringLiteral("0"));
        QVERIFY(frmCalendar::loadedForm()->isVisible());
        QCOMPARE(FormLifetime::loadedCount(), 1);  // only the calendar is left

        QVERIFY(frmCalendar::loadedForm()->close());
        flushUnloads();
        QVERIFY(!frmCalendar::isLoaded());
        QCOMPARE(FormLifetime::loadedCount(), 0);
    }
};

HOROLET_TEST_MAIN(TestCalendar)
#include "tst_calendar.moc"
