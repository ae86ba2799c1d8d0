#include "app/Drag.h"
#include "app/Globals.h"
#include "app/MyPopup.h"
#include "app/Placement.h"
#include "app/Twips.h"
#include "app/frmMain.h"
#include "settings/Settings.h"
#include "support/TestMain.h"

#include <QLabel>
#include <QMenu>
#include <QWindow>

using namespace horolet;

class TestDrag final : public QObject {
    Q_OBJECT

    int m_menuOpens = 0;

    frmMain* loadMainAt(QPoint px) {
        WriteOption(QStringLiteral("Left"), QString::number(pxToTwips(px.x())));
        WriteOption(QStringLiteral("Top"), QString::number(pxToTwips(px.y())));
        frmMain* w = frmMain::form();
        if (w->pos() != px) qWarning("main window not at its stored place");
        return w;
    }

    QWidget* faceControl(frmMain* w, const QString& name) {
        if (name == QLatin1String("CurrentTime")) return w->CurrentTime;
        if (name == QLatin1String("CurrentDate")) return w->CurrentDate;
        return w->ClockBackground;
    }

private slots:
    void init() {
        test::FreshStart();
        test::Fake().screens.primary = QRect(0, 0, 1280, 800);
        test::Fake().screens.virtualDesktop = QRect(0, 0, 1280, 800);
        m_menuOpens = 0;
        SetMenuShower([this](QMenu*, const QPoint&) -> QAction* {
            ++m_menuOpens;
            return nullptr;
        });
    }
    void cleanup() {
        frmMain::unloadForm();
        MyPopup::unloadForm();
        SetMenuShower(nullptr);
    }

    void leftDragMovesByThePointerTravel_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<Qt::MouseButton>("release");
        QTest::newRow("clock face, left up") << "ClockBackground" << Qt::LeftButton;
        QTest::newRow("time, right up") << "CurrentTime" << Qt::RightButton;
        QTest::newRow("date, middle up") << "CurrentDate" << Qt::MiddleButton;
    }
    void leftDragMovesByThePointerTravel() {
        QFETCH(QString, control);
        QFETCH(Qt::MouseButton, release);
        frmMain* w = loadMainAt(QPoint(100, 200));
        QWidget* c = faceControl(w, control);

        QTest::mousePress(c, Qt::LeftButton, {}, QPoint(10, 5));
        QVERIFY(Drag().DragActive);
        QCOMPARE(Drag().DragStartX, 150.0f);
        QCOMPARE(Drag().DragStartY, 75.0f);

        // Positions are relative to the pressed control, which travels with the window.
        QTest::mouseMove(c, QPoint(25, 12));
        QCOMPARE(w->pos(), QPoint(115, 207));
        QTest::mouseMove(c, QPoint(10, 5));  // no travel since the last event
        QCOMPARE(w->pos(), QPoint(115, 207));
        QTest::mouseMove(c, QPoint(-200, -300));  // no clamping, even off the screen
        QCOMPARE(w->pos(), QPoint(-95, -98));
        QTest::mouseMove(c, QPoint(11, 5));  // no threshold either
        QCOMPARE(w->pos(), QPoint(-94, -98));

        QTest::mouseRelease(c, release, {}, QPoint(11, 5));
        QVERIFY(!Drag().DragActive);
        QTest::mouseMove(c, QPoint(60, 60));
        QCOMPARE(w->pos(), QPoint(-94, -98));
        QCOMPARE(m_menuOpens, 0);

        // The place is saved only by the unload.
        QCOMPARE(ReadOption(QStringLiteral("Left"), 0), QStringLiteral("1500"));
        frmMain::unloadForm();
        QCOMPARE(ReadOption(QStringLiteral("Left"), 0), QStringLiteral("-1410"));
        QCOMPARE(ReadOption(QStringLiteral("Top"), 0), QStringLiteral("-1470"));
    }

    void rightPressDuringADragOpensNothing() {
        frmMain* w = loadMainAt(QPoint(100, 200));
        QTest::mousePress(w->CurrentTime, Qt::LeftButton, {}, QPoint(10, 5));
        QTest::mousePress(w->CurrentTime, Qt::RightButton, {}, QPoint(10, 5));
        QCOMPARE(m_menuOpens, 0);
        QVERIFY(Drag().DragActive);  // the right press neither opens nor ends anything
        QTest::mouseMove(w->CurrentTime, QPoint(14, 5));
        QCOMPARE(w->pos(), QPoint(104, 200));
        // Any release ends the drag, so the next right press opens the menu.
        QTest::mouseRelease(w->CurrentTime, Qt::RightButton, {}, QPoint(14, 5));
        QTest::mouseRelease(w->CurrentTime, Qt::LeftButton, {}, QPoint(14, 5));
        QTest::mousePress(w->CurrentTime, Qt::RightButton, {}, QPoint(14, 5));
        QCOMPARE(m_menuOpens, 1);
    }

    // A drag of the note shares the flag, so it also keeps the clock's menu shut.
    void anotherDragKeepsTheMenuShut() {
        frmMain* w = loadMainAt(QPoint(0, 0));
        Drag().DragActive = true;
        QTest::mousePress(w->ClockBackground, Qt::RightButton, {}, QPoint(30, 20));
        QCOMPARE(m_menuOpens, 0);
    }

    void pressesOpenTheMenu_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<int>("opens");
        QTest::newRow("right on the face") << "ClockBackground" << Qt::RightButton << 1;
        QTest::newRow("right on the time") << "CurrentTime" << Qt::RightButton << 1;
        QTest::newRow("right on the date") << "CurrentDate" << Qt::RightButton << 1;
        QTest::newRow("middle on the face") << "ClockBackground" << Qt::MiddleButton << 0;
        QTest::newRow("middle on the time") << "CurrentTime" << Qt::MiddleButton << 0;
        QTest::newRow("right on the background") << "background" << Qt::RightButton << 1;
        QTest::newRow("middle on the background") << "background" << Qt::MiddleButton << 1;
        QTest::newRow("left on the background") << "background" << Qt::LeftButton << 0;
        // A label of the about block is not the bare background.
        QTest::newRow("right on the title") << "MyTitle" << Qt::RightButton << 0;
    }
    void pressesOpenTheMenu() {
        QFETCH(QString, target);
        QFETCH(Qt::MouseButton, button);
        QFETCH(int, opens);
        frmMain* w = loadMainAt(QPoint(50, 50));
        w->FoldOrUnfold();  // the title shows only while unfolded
        QWidget* receiver = target == QLatin1String("background") ? static_cast<QWidget*>(w)
                            : target == QLatin1String("MyTitle")  ? w->MyTitle
                                                                  : faceControl(w, target);
        // The bare corner of the window, outside the clock face.
        const QPoint at = receiver == w ? QPoint(1, 1) : QPoint(3, 3);
        QVERIFY(receiver != w || !w->childAt(at));
        QTest::mousePress(receiver, button, {}, at);
        QCOMPARE(m_menuOpens, opens);
        QVERIFY(!Drag().DragActive);  // only the left button on the face drags
        QCOMPARE(w->pos(), QPoint(50, 50));
        QTest::mouseRelease(receiver, button, {}, at);
    }

    // Where the compositor places windows, the press hands the move over and the
    // program's own drag never starts.
    void compositorTakesTheMove() {
        test::Fake().systemMoves = true;
        frmMain* w = loadMainAt(QPoint(100, 100));
        QTest::mousePress(w->CurrentDate, Qt::LeftButton, {}, QPoint(10, 5));
        QCOMPARE(test::Fake().systemMoveRequests.size(), 1);
        QVERIFY(!Drag().DragActive);
        QTest::mouseMove(w->CurrentDate, QPoint(40, 40));
        QCOMPARE(w->pos(), QPoint(100, 100));
        QTest::mouseRelease(w->CurrentDate, Qt::LeftButton, {}, QPoint(40, 40));
        QTest::mousePress(w->CurrentDate, Qt::RightButton, {}, QPoint(10, 5));
        QCOMPARE(m_menuOpens, 1);
    }

    void keepOnDesktop_data() {
        QTest::addColumn<QRect>("primary");
        QTest::addColumn<QRect>("desktop");
        QTest::addColumn<bool>("mainWindow");
        QTest::addColumn<QPointF>("stored");    // left, top in twips
        QTest::addColumn<QPointF>("expected");  // left, top in twips
        const QRect hd(0, 0, 1920, 1080);       // 28800 x 16200 twips
        QTest::newRow("left beyond a 1920 px desktop")
            << hd << hd << true << QPointF(30000, 0) << QPointF(28800 - 2100, 0);
        QTest::newRow("left at the desktop edge stays")
            << hd << hd << true << QPointF(28800, 0) << QPointF(28800, 0);
        QTest::newRow("negative values are kept")
            << hd << hd << true << QPointF(-3000, -45000) << QPointF(-3000, -45000);
        // A second monitor below the primary: the first rule still pulls the top up.
        QTest::newRow("top beyond the primary, monitor below")
            << hd << QRect(0, 0, 1920, 2160) << true << QPointF(0, 20000)
            << QPointF(0, 16200 - 5610);
        // The note has no primary-height rule: only the whole desktop counts for it.
        QTest::newRow("note below the primary, monitor below")
            << hd << QRect(0, 0, 1920, 2160) << false << QPointF(0, 20000) << QPointF(0, 20000);
        QTest::newRow("note beyond the whole desktop")
            << hd << QRect(0, 0, 1920, 2160) << false << QPointF(0, 32401)
            << QPointF(0, 16200 - 5610);
        // The desktop's origin is not looked at: only its width and height.
        QTest::newRow("monitor left of the primary")
            << hd << QRect(-1920, 0, 3840, 1080) << true << QPointF(40000, 0) << QPointF(40000, 0);
    }
    void keepOnDesktop() {
        QFETCH(QRect, primary);
        QFETCH(QRect, desktop);
        QFETCH(bool, mainWindow);
        QFETCH(QPointF, stored);
        QFETCH(QPointF, expected);
        test::Fake().screens.primary = primary;
        test::Fake().screens.virtualDesktop = desktop;
        const TwipsPlace p = KeepOnDesktop({stored.x(), stored.y()}, 2100, 5610, mainWindow);
        QCOMPARE(QPointF(p.left, p.top), expected);
    }

    void multiMonReadsTheScreens() {
        FakePlatform& fake = test::Fake();
        fake.screens.virtualDesktop = QRect(-1280, -200, 3200, 1280);
        fake.screens.monitorCount = 2;
        fake.screens.allSameDepth = false;
        const multiMon mon;
        QCOMPARE(mon.VirtualScreenWidth(), 3200);
        QCOMPARE(mon.VirtualScreenHeight(), 1280);
        QCOMPARE(mon.DisplayMonitorCount(), 2);
        QCOMPARE(mon.AllMonitorsSame(), 0);
        fake.screens.allSameDepth = true;
        QVERIFY(mon.AllMonitorsSame() != 0);
    }

    void setTopmostKeepsTheWindowUp() {
        QWidget w(nullptr, Qt::Tool | Qt::FramelessWindowHint);
        w.resize(40, 20);
        w.show();
        QWindow* handle = w.windowHandle();
        QVERIFY(handle);

        QVERIFY(SetTopmost(&w, true) != 0);
        QVERIFY(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(handle->flags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(w.isVisible());
        QCOMPARE(w.windowHandle(), handle);  // the same native window, not a rebuilt one
        QVERIFY(w.windowFlags().testFlag(Qt::FramelessWindowHint));

        QCOMPARE(SetTopmost(&w, false), 0);
        QVERIFY(!handle->flags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(!w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(w.isVisible());

        QWidget notShown;
        QVERIFY(SetTopmost(&notShown, true) != 0);
        QVERIFY(notShown.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(!notShown.isVisible());
    }
};

HOROLET_TEST_MAIN(TestDrag)
#include "tst_drag.moc"
