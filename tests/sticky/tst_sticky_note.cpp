#include "StickyTestSupport.h"

#include "app/Globals.h"
#include "app/Twips.h"
#include "app/frmMain.h"
#include "sticky/StickyNote.h"
#include "sticky/frmSticky.h"
#include "support/TestMain.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>

using namespace horolet;

class TestStickyNote final : public QObject {
    Q_OBJECT

    static frmSticky* openNote(const QString& text = QStringLiteral("milk")) {
        test::SetNoteValues(QStringLiteral("Shop"), text);
        ShowStickyNote();
        return frmSticky::loadedForm();
    }

    // Moves the pointer, with the button held, to a place given in screen pixels.
    static void dragTo(QWidget* control, QPoint global) {
        QTest::mouseMove(control, control->mapFromGlobal(global));
    }

private slots:
    void init() {
        test::FreshStart();
        test::ResetNoteValues();
        test::Fake().online = false;
    }
    void cleanup() {
        frmMain::unloadForm();
        frmSticky::unloadForm();
    }

    void opensOnTheDesktop_data() {
        QTest::addColumn<QRect>("virtualDesktop");
        QTest::addColumn<float>("left");
        QTest::addColumn<float>("top");
        QTest::addColumn<QPoint>("expectedTwips");
        const QRect one(0, 0, 1920, 1080);  // 28800 x 16200 twips
        QTest::newRow("inside") << one << 1500.0f << 900.0f << QPoint(1500, 900);
        QTest::newRow("left beyond: right edge on the primary's")
            << one << 40000.0f << 0.0f << QPoint(28800 - 3000, 0);
        QTest::newRow("negative left is kept") << one << -5000.0f << 0.0f << QPoint(-5000, 0);
        QTest::newRow("left exactly at the edge is kept")
            << one << 28800.0f << 0.0f << QPoint(28800, 0);
        QTest::newRow("top beyond: bottom edge on the primary's")
            << one << 0.0f << 16215.0f << QPoint(0, 16200 - 3000);
        QTest::newRow("on a second monitor") << QRect(0, 0, 3840, 1080) << 40000.0f << 0.0f
                                             << QPoint(40005, 0);  // rounded to a pixel
    }
    void opensOnTheDesktop() {
        QFETCH(QRect, virtualDesktop);
        QFETCH(float, left);
        QFETCH(float, top);
        QFETCH(QPoint, expectedTwips);
        test::Fake().screens.virtualDesktop = virtualDesktop;
        test::SetNoteValues(QStringLiteral("t"), QStringLiteral("x"), left, top);
        frmSticky* note = FillStickyNote();
        QCOMPARE(note->pos(), QPoint(twipsToPx(expectedTwips.x()), twipsToPx(expectedTwips.y())));
        // Only the window is pulled back; the remembered place is what was stored.
        QCOMPARE(Sticky().StickyLeft, left);
        QCOMPARE(Sticky().StickyTop, top);
    }

    void keystrokeIsOnDiskOnce_data() {
        QTest::addColumn<bool>("inTitle");
        QTest::newRow("text box") << false;
        QTest::newRow("title box") << true;
    }
    void keystrokeIsOnDiskOnce() {
        QFETCH(bool, inTitle);
        frmSticky* note = openNote();
        test::StoreReplacements replacements;
        QCOMPARE(replacements.take(), 0);
        const QString key = inTitle ? QStringLiteral("StickyTitle") : QStringLiteral("StickyText");
        const QString other =
            inTitle ? QStringLiteral("StickyText") : QStringLiteral("StickyTitle");
        const QString otherBefore = test::StoredOption(other);
        QWidget* box =
            inTitle ? static_cast<QWidget*>(note->dataStickyTitle) : note->dataStickyText;
        QTest::keyClick(box, Qt::Key_End);  // moving the caret changes nothing
        QCOMPARE(replacements.take(), 0);
        QTest::keyClick(box, Qt::Key_S);
        QCOMPARE(replacements.take(), 1);
        const QString expected = inTitle ? QStringLiteral("Shops") : QStringLiteral("milks");
        QCOMPARE(test::StoredOption(key), expected);
        QCOMPARE(inTitle ? Sticky().StickyTitle : Sticky().StickyText, expected);
        QCOMPARE(test::StoredOption(other), otherBefore);
    }

    // Windows line ends become one break each; blanks of every kind stay.
    void linesAndSpacesSurviveTheBox() {
        frmSticky* note = openNote(QStringLiteral("a\r\nb\n\n\t1\u00a0kg  \n"));
        const QString kept = QStringLiteral("a\nb\n\n\t1\u00a0kg  \n");
        QCOMPARE(note->noteText(), kept);
        QCOMPARE(test::StoredOption(QStringLiteral("StickyText")), kept);
    }

    void ctrlASelectsTheWholeText() {
        frmSticky* note = openNote(QStringLiteral("one\ntwo three"));
        QTest::keyClick(note->dataStickyText, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(note->noteText(), QStringLiteral("one\ntwo three"));
        QTest::keyClick(note->dataStickyText, Qt::Key_Z);  // replaces the selection
        QCOMPARE(test::StoredOption(QStringLiteral("StickyText")), QStringLiteral("z"));
    }

    void titleDragMovesTheNote() {
        const Qt::MouseButton button = Qt::LeftButton;
        frmSticky* note = openNote();
        QLineEdit* title = note->dataStickyTitle;
        const QPoint start = note->pos();
        const QPoint to = title->mapToGlobal(QPoint(20, 5)) + QPoint(-200, -150);
        QTest::mousePress(title, button, {}, QPoint(20, 5));
        QVERIFY(Drag().DragActive);
        dragTo(title, to);  // no clamping to the screen
        QCOMPARE(note->pos(), start + QPoint(-200, -150));
        QCOMPARE(Sticky().StickyLeft, float(pxToTwips(start.x() - 200)));
        QCOMPARE(Sticky().StickyTop, float(pxToTwips(start.y() - 150)));
        QCOMPARE(title->mapFromGlobal(to), QPoint(20, 5));  // the pointer keeps its spot
        QTest::mouseRelease(title, button, {}, QPoint(20, 5));
        QVERIFY(!Drag().DragActive);
        QTest::mouseMove(title, QPoint(60, 8));  // no button: no drag
        QCOMPARE(note->pos(), start + QPoint(-200, -150));
    }

    void gripStepRules_data() {
        QTest::addColumn<float>("lastX");
        QTest::addColumn<float>("lastY");
        QTest::addColumn<float>("x");
        QTest::addColumn<float>("y");
        QTest::addColumn<QSizeF>("size");  // empty: the step is dropped
        // Window 3000 x 3000, pressed at 75, 75 of the grip.
        QTest::newRow("outwards") << 0.0f << 0.0f << 525.0f << 375.0f << QSizeF(3450, 3300);
        QTest::newRow("inwards") << 0.0f << 0.0f << -300.0f << -150.0f << QSizeF(2625, 2775);
        QTest::newRow("width would be 2000") << 0.0f << 0.0f << -925.0f << 600.0f << QSizeF();
        QTest::newRow("height would be below 2000")
            << 0.0f << 0.0f << 600.0f << -1000.0f << QSizeF();
        QTest::newRow("width just above 2000")
            << 0.0f << 0.0f << -924.0f << 600.0f << QSizeF(2001, 3525);
        QTest::newRow("x as in the previous move")
            << 300.0f << 90.0f << 300.0f << 600.0f << QSizeF();
        QTest::newRow("y as in the previous move")
            << 300.0f << 90.0f << 600.0f << 90.0f << QSizeF();
    }
    void gripStepRules() {
        QFETCH(float, lastX);
        QFETCH(float, lastY);
        QFETCH(float, x);
        QFETCH(float, y);
        QFETCH(QSizeF, size);
        Drag().DragStartX = Drag().DragStartY = 75;
        Grip().ResizeLastX = lastX;
        Grip().ResizeLastY = lastY;
        QCOMPARE(GripStep(3000, 3000, x, y).value_or(QSizeF()), size);
        // Dropped or not, the move's coordinates are what the next move is compared with.
        QCOMPARE(Grip().ResizeLastX, x);
        QCOMPARE(Grip().ResizeLastY, y);
    }

    void gripResizesWithThePointer() {
        frmSticky* note = openNote();
        QLabel* grip = note->StickyResize;
        const QPoint to = grip->mapToGlobal(QPoint(5, 5)) + QPoint(40, 30);
        QTest::mousePress(grip, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(Grip().StickyResizing);
        dragTo(grip, to);
        QCOMPARE(note->size(), QSize(240, 230));
        QCOMPARE(Sticky().StickyWidth, 3600.0f);
        QCOMPARE(Sticky().StickyHeight, 3450.0f);
        // The grip moved with the corner and the text box followed.
        QCOMPARE(grip->mapFromGlobal(to), QPoint(5, 5));
        QCOMPARE(note->dataStickyText->geometry(), twipsRect(30, 270, 3600 - 60, 3450 - 465));
        QTest::mouseRelease(grip, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(!Grip().StickyResizing);
        QTest::mouseMove(grip, QPoint(12, 12));
        QCOMPARE(note->size(), QSize(240, 230));
    }

    void compositorMovesAndResizesWhereItPlacesWindows() {
        test::Fake().systemMoves = true;
        frmSticky* note = openNote();
        QTest::mousePress(note->dataStickyTitle, Qt::LeftButton, {}, QPoint(20, 5));
        QCOMPARE(test::Fake().systemMoveRequests.size(), 1);
        QVERIFY(!Drag().DragActive);
        note->move(note->pos() + QPoint(70, 40));  // as the compositor would report it
        QTRY_COMPARE(Sticky().StickyLeft, float(pxToTwips(note->x())));
        QTRY_COMPARE(Sticky().StickyTop, float(pxToTwips(note->y())));
        QTest::mouseRelease(note->dataStickyTitle, Qt::LeftButton, {}, QPoint(20, 5));

        QTest::mousePress(note->StickyResize, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(test::Fake().systemResizeRequests,
                 QList<Qt::Edges>{Qt::RightEdge | Qt::BottomEdge});
        QVERIFY(!Grip().StickyResizing);
        QVERIFY(note->minimumWidth() * 15 > 2000);
        note->resize(260, 250);
        QTRY_COMPARE(Sticky().StickyWidth, 3900.0f);
        QTRY_COMPARE(Sticky().StickyHeight, 3750.0f);
    }

    void closeButtonHidesAndShowBringsBackFromMemory() {
        frmSticky* note = openNote();
        QTest::keyClicks(note->dataStickyTitle, QStringLiteral("!"));
        QTest::keyClicks(note->dataStickyText, QStringLiteral("eggs "));
        QTest::mouseClick(note->ToggleOptionsView, Qt::LeftButton);
        QVERIFY(!frmSticky::isLoaded());
        QVERIFY(!Sticky().StickyVisible);
        QVERIFY(!Hook().HookInstalled);
        QCOMPARE(test::StoredOption(QStringLiteral("StickyText")), QStringLiteral("eggs milk"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        ShowStickyNote();
        frmSticky* again = frmSticky::loadedForm();
        QVERIFY(again && again->isVisible());
        QVERIFY(Sticky().StickyVisible);
        QCOMPARE(again->dataStickyTitle->text(), QStringLiteral("Shop!"));
        QCOMPARE(again->noteText(), QStringLiteral("eggs milk"));
    }

    void mainWindowLoadFillsAndShowsTheNote_data() {
        QTest::addColumn<bool>("visible");
        QTest::newRow("visible") << true;
        QTest::newRow("hidden") << false;
    }
    void mainWindowLoadFillsAndShowsTheNote() {
        QFETCH(bool, visible);
        WriteOption(QStringLiteral("StickyVisible"), visible ? "True" : "False");
        WriteOption(QStringLiteral("StickyTitle"), QStringLiteral("Call"));
        WriteOption(QStringLiteral("StickyText"), QStringLiteral("Bob at 5"));
        WriteOption(QStringLiteral("StickyLeft"), QStringLiteral("40000"));
        WriteOption(QStringLiteral("StickyWidth"), QStringLiteral("4500"));
        frmMain* w = frmMain::form();
        frmSticky* note = frmSticky::loadedForm();
        QVERIFY(note);
        QCOMPARE(note->isVisible(), visible);
        QCOMPARE(note->dataStickyTitle->text(), QStringLiteral("Call"));
        QCOMPARE(note->noteText(), QStringLiteral("Bob at 5"));
        QCOMPARE(note->x(), twipsToPx(28800 - 4500));
        QVERIFY(Hook().HookInstalled);
        // The button shows the note with the remembered texts, not what the boxes hold.
        note->dataStickyTitle->setText(QStringLiteral("typed"));
        Sticky().StickyTitle = QStringLiteral("remembered");
        w->ShowStickyButton->click();
        QVERIFY(note->isVisible());
        QCOMPARE(note->dataStickyTitle->text(), QStringLiteral("remembered"));
        QTRY_VERIFY(w->ClockBackground->hasFocus());
    }

    void mainWindowUnloadTakesTheNoteDown() {
        frmMain::form();
        frmSticky* note = frmSticky::loadedForm();
        QTest::keyClicks(note->dataStickyText, QStringLiteral("new "));
        note->move(note->pos() + QPoint(15, 0));  // not by the title: not remembered
        frmMain::unloadForm();
        QVERIFY(!frmSticky::isLoaded());
        QVERIFY(!Hook().HookInstalled);
        QCOMPARE(test::StoredOption(QStringLiteral("StickyText")),
                 QStringLiteral("new Text of this note"));
        QCOMPARE(test::StoredOption(QStringLiteral("StickyVisible")), QStringLiteral("True"));
        QCOMPARE(test::StoredOption(QStringLiteral("StickyLeft")), QStringLiteral("0"));
    }
};

HOROLET_TEST_MAIN(TestStickyNote)
#include "tst_sticky_note.moc"
