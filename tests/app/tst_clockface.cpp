#include "app/ClockFace.h"
#include "app/Globals.h"
#include "support/TestMain.h"

using namespace horolet;

class TestClockFace final : public QObject {
    Q_OBJECT

    static void tickAt(AppValues& app, const QDateTime& at, QString& time, QString& date) {
        ClockFaceTick(
            app, [at] { return at; }, time, date);
    }

private slots:
    void timeFormat_data() {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("text");
        QTest::newRow("midnight") << QTime(0, 0, 0) << "12:00:00 am";
        QTest::newRow("noon") << QTime(12, 0, 0) << "12:00:00 pm";
        QTest::newRow("afternoon") << QTime(13, 5, 0) << "1:05:00 pm";
        QTest::newRow("morning") << QTime(9, 59, 59) << "9:59:59 am";
        QTest::newRow("before midnight") << QTime(23, 7, 9) << "11:07:09 pm";
        QTest::newRow("half past midnight") << QTime(0, 30, 0) << "12:30:00 am";
    }
    void timeFormat() {
        QFETCH(QTime, time);
        QFETCH(QString, text);
        QCOMPARE(FormatClockTime(time), text);
    }

    void dateFormat_data() {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::newRow("english") << QDate(2026, 12, 5) << "en_US"
                                 << "Sat 5 Dec 2026";
        QTest::newRow("single digit day") << QDate(2027, 1, 1) << "en_GB"
                                          << "Fri 1 Jan 2027";
        QTest::newRow("system language names") << QDate(2026, 12, 5) << "de_DE"
                                               << "Sa. 5 Dez. 2026";
    }
    void dateFormat() {
        QFETCH(QDate, date);
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QCOMPARE(FormatClockDate(date, QLocale(locale)), text);
    }

    // The date line changes only on seconds divisible by 3 and alternates with the weather.
    void alternation() {
        AppValues app;
        const QDate d(2026, 12, 5);
        const QString dateText = FormatClockDate(d);
        QString time, date = QStringLiteral("untouched");

        tickAt(app, QDateTime(d, QTime(10, 0, 1)), time, date);
        QCOMPARE(time, QStringLiteral("10:00:01 am"));
        QCOMPARE(date, QStringLiteral("untouched"));

        tickAt(app, QDateTime(d, QTime(10, 0, 3)), time, date);
        QCOMPARE(date, dateText);  // no weather: the date, WeatherShown unchanged
        QVERIFY(!app.WeatherShown);

        app.WeatherText = QStringLiteral("72° @ 4:53 pm");
        tickAt(app, QDateTime(d, QTime(10, 0, 4)), time, date);
        QCOMPARE(date, dateText);
        tickAt(app, QDateTime(d, QTime(10, 0, 6)), time, date);
        QCOMPARE(date, app.WeatherText);
        QVERIFY(app.WeatherShown);
        tickAt(app, QDateTime(d, QTime(10, 0, 9)), time, date);
        QCOMPARE(date, dateText);
        QVERIFY(!app.WeatherShown);
        tickAt(app, QDateTime(d, QTime(10, 0, 57)), time, date);
        QCOMPARE(date, app.WeatherText);
        tickAt(app, QDateTime(d, QTime(10, 1, 0)), time, date);  // across the minute
        QCOMPARE(date, dateText);
    }

    // Weather going away while shown: the date returns, and WeatherShown stays true, so
    // the first qualifying tick after the weather comes back shows the date again.
    void weatherGoesEmptyWhileShown() {
        AppValues app;
        const QDate d(2026, 12, 5);
        const QString dateText = FormatClockDate(d);
        QString time, date;
        app.WeatherText = QStringLiteral("50° @ 5 Pm");
        tickAt(app, QDateTime(d, QTime(8, 0, 0)), time, date);
        QCOMPARE(date, app.WeatherText);
        app.WeatherText.clear();
        tickAt(app, QDateTime(d, QTime(8, 0, 3)), time, date);
        QCOMPARE(date, dateText);
        QVERIFY(app.WeatherShown);
        app.WeatherText = QStringLiteral("51° @ 5 Pm");
        tickAt(app, QDateTime(d, QTime(8, 0, 6)), time, date);
        QCOMPARE(date, dateText);
        tickAt(app, QDateTime(d, QTime(8, 0, 9)), time, date);
        QCOMPARE(date, app.WeatherText);
    }

    // Every use of the present time reads the clock anew.
    void readsTheClockForEachUse() {
        AppValues app;
        int reads = 0;
        QString time, date;
        ClockFaceTick(
            app, [&reads] { return QDateTime(QDate(2026, 12, 5), QTime(10, 0, 2 + reads++)); },
            time, date);
        QCOMPARE(time, QStringLiteral("10:00:02 am"));
        QCOMPARE(reads, 3);  // the seconds read second is 3: the date line is rewritten
        QCOMPARE(date, FormatClockDate(QDate(2026, 12, 5)));
    }
};

HOROLET_TEST_MAIN(TestClockFace)
#include "tst_clockface.moc"
