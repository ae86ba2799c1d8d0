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

    static frmSticky* openNote(const QString& title = QStringLiteral("Shopping"),
                               const QString& text = QStringLiteral("milk")) {
        test::SetNoteValues(title, text);
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

    void looksAsDesigned() {
        frmSticky* note = openNote();
        QVERIFY(note->windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(note->palette().color(QPalette::Window), QColor(255, 255, 128));
        QCOMPARE(note->dataStickyTitle->palette().color(QPalette::Base), QColor(64, 64, 64));
        QVERIFY(note->dataStickyTitle->font().bold());
        QCOMPARE(note->dataStickyTitle->alignment(), Qt::AlignCenter);
        QCOMPARE(note->dataStickyText->palette().color(QPalette::Base), QColor(255, 255, 192));
        QCOMPARE(note->dataStickyText->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(note->StickyResize->cursor().shape(), Qt::SizeFDiagCursor);
        const QImage cross = note->ToggleOptionsView->icon().pixmap(5, 5).toImage();
        QCOMPARE(cross.size(), QSize(5, 5));
        QCOMPARE(QColor(cross.pixel(2, 2)), QColor(Qt::black));
        QCOMPARE(QColor(cross.pixel(0, 4)), QColor(Qt::black));
        QCOMPARE(QColor(cross.pixel(2, 0)), QColor(192, 192, 192));
        QVERIFY(!note->StickyResize->pixmap().isNull());
    }

    void controlsFollowTheWindowSize_data() {
        QTest::addColumn<float>("width");
        QTest::addColumn<float>("height");
        QTest::newRow("default size") << 3000.0f << 3000.0f;
        QTest::newRow("design size") << 3000.0f << 3195.0f;
        QTest::newRow("wide and low") << 6000.0f << 2100.0f;
    }
    void controlsFollowTheWindowSize() {
        QFETCH(float, width);
        QFETCH(float, height);
        test::SetNoteValues(QStringLiteral("t"), QStringLiteral("x"), 0, 0, width, height);
        frmSticky* note = FillStickyNote();
        const int w = int(width), h = int(height);
        QCOMPARE(note->size(), QSize(twipsToPx(w), twipsToPx(h)));
        QCOMPARE(note->dataStickyTitle->geometry(), twipsRect(30, 30, w - 60, 200));
        QCOMPARE(note->dataStickyText->geometry(), twipsRect(30, 270, w - 60, h - 465));
        QCOMPARE(note->ToggleOptionsView->geometry(), twipsRect(w - 210, 60, 157, 155));
        QCOMPARE(note->StickyResize->geometry(), twipsRect(w - 195, h - 210, 240, 255));
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
        QTest::newRow("partly off the right edge is kept")
            << one << 27000.0f << 0.0f << QPoint(27000, 0);
        QTest::newRow("left exactly at the edge is kept")
            << one << 28800.0f << 0.0f << QPoint(28800, 0);
        QTest::newRow("top beyond: bottom edge on the primary's")
            << one << 0.0f << 16215.0f << QPoint(0, 16200 - 3000);
        QTest::newRow("top exactly at the edge is kept")
            << one << 0.0f << 16200.0f << QPoint(0, 16200);
        QTest::newRow("both beyond")
            << one << 90000.0f << 90000.0f << QPoint(28800 - 3000, 16200 - 3000);
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
        frmSticky* note = openNote(QStringLiteral("Shop"), QStringLiteral("milk"));
        test::StoreReplacements replacements;
        QVERIFY(replacements.valid());
        replacements.take();
        const QString key = inTitle ? QStringLiteral("StickyTitle") : QStringLiteral("StickyText");
        const QString other =
            inTitle ? QStringLiteral("StickyText") : QStringLiteral("StickyTitle");
        const QString otherBefore = test::StoredOption(other);

        QWidget* box = inTitle ? static_cast<QWidget*>(note->dataStickyTitle)
                               : static_cast<QWidget*>(note->dataStickyText);
        QTest::keyClick(box, Qt::Key_End);  // moving the caret changes nothing
        QCOMPARE(replacements.take(), 0);
        QTest::keyClick(box, Qt::Key_S);
        QCOMPARE(replacements.take(), 1);
        const QString expected = inTitle ? QStringLiteral("Shops") : QStringLiteral("milks");
        QCOMPARE(test::StoredOption(key), expected);
        QCOMPARE(inTitle ? Sticky().StickyTitle : Sticky().StickyText, expected);
        QCOMPARE(test::StoredOption(other), otherBefore);

        QTest::keyClick(box, Qt::Key_Backspace);
        QCOMPARE(replacements.take(), 1);
        QCOMPARE(test::StoredOption(key),
                 inTitle ? QStringLiteral("Shop") : QStringLiteral("milk"));
    }

    void linesAndSpacesSurviveTheBox_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("kept");
        QTest::newRow("lines") << "a\nb\n\nc"
                               << "a\nb\n\nc";
        QTest::newRow("windows line ends become one break each") << "a\r\nb"
                                                                 << "a\nb";
        QTest::newRow("non-breaking space stays")
            << QStringLiteral("1\u00a0kg") << QStringLiteral("1\u00a0kg");
        QTest::newRow("tabs and trailing blanks") << "\tx  \n"
                                                  << "\tx  \n";
    }
    void linesAndSpacesSurviveTheBox() {
        QFETCH(QString, stored);
        QFETCH(QString, kept);
        frmSticky* note = openNote(QStringLiteral("t"), stored);
        QCOMPARE(note->noteText(), kept);
        QCOMPARE(Sticky().StickyText, kept);
        QCOMPARE(test::StoredOption(QStringLiteral("StickyText")), kept);
    }

    void shiftEnterIsALineBreak() {
        frmSticky* note = openNote(QStringLiteral("t"), QString());
        QTest::keyClicks(note->dataStickyText, QStringLiteral("a"));
        QTest::keyClick(note->dataStickyText, Qt::Key_Return, Qt::ShiftModifier);
        QTest::keyClicks(note->dataStickyText, QStringLiteral("b"));
        QCOMPARE(test::StoredOption(QStringLiteral("StickyText")), QStringLiteral("a\nb"));
    }

    void ctrlASelectsTheWholeText() {
        frmSticky* note = openNote(QStringLiteral("t"), QStringLiteral("one\ntwo three"));
        test::StoreReplacements replacements;
        replacements.take();
        QTest::keyClick(note->dataStickyText, Qt::Key_A, Qt::ControlModifier);
        const QTextCursor c = note->dataStickyText->textCursor();
        QCOMPARE(c.selectionStart(), 0);
        QCOMPARE(c.selectionEnd(), QStringLiteral("one\ntwo three").size());
        QCOMPARE(note->noteText(), QStringLiteral("one\ntwo three"));
        QCOMPARE(replacements.take(), 0);
        // Typing then replaces the selection, as after any select-all.
        QTest::keyClick(note->dataStickyText, Qt::Key_Z);
        QCOMPARE(test::StoredOption(QStringLiteral("StickyText")), QStringLiteral("z"));
    }

    void titleDragMovesTheNote_data() {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::newRow("left button") << Qt::LeftButton;
        QTest::newRow("right button too") << Qt::RightButton;
    }
    void titleDragMovesTheNote() {
        QFETCH(Qt::MouseButton, button);
        frmSticky* note = openNote();
        QLineEdit* title = note->dataStickyTitle;
        const QPoint start = note->pos();
        const QPoint grab = title->mapToGlobal(QPoint(20, 5));
        QTest::mousePress(title, button, {}, QPoint(20, 5));
        QVERIFY(Drag().DragActive);
        QCOMPARE(Drag().DragStartX, 300.0f);
        QCOMPARE(Drag().DragStartY, 75.0f);

        dragTo(title, grab + QPoint(30, 20));
        QCOMPARE(note->pos(), start + QPoint(30, 20));
        dragTo(title, grab + QPoint(-200, -150));  // no clamping to the screen
        QCOMPARE(note->pos(), start + QPoint(-200, -150));
        QCOMPARE(Sticky().StickyLeft, float(pxToTwips(start.x() - 200)));
        QCOMPARE(Sticky().StickyTop, float(pxToTwips(start.y() - 150)));
        // The pointer stays on the grabbed spot of the title.
        QCOMPARE(title->mapFromGlobal(grab + QPoint(-200, -150)), QPoint(20, 5));

        QTest::mouseRelease(title, button, {}, title->mapFromGlobal(grab + QPoint(-200, -150)));
        QVERIFY(!Drag().DragActive);
        const QPoint rest = note->pos();
        QTest::mouseMove(title, QPoint(60, 8));  // no button: no drag
        QCOMPARE(note->pos(), rest);
    }

    void gripStepRules_data() {
        QTest::addColumn<float>("lastX");
        QTest::addColumn<float>("lastY");
        QTest::addColumn<float>("x");
        QTest::addColumn<float>("y");
        QTest::addColumn<bool>("applied");
        QTest::addColumn<QSizeF>("size");
        // Window 3000 x 3000, pressed at 75, 75 of the grip.
        QTest::newRow("outwards") << 0.0f << 0.0f << 525.0f << 375.0f << true << QSizeF(3450, 3300);
        QTest::newRow("inwards") << 0.0f << 0.0f << -300.0f << -150.0f << true
                                 << QSizeF(2625, 2775);
        QTest::newRow("width would be 2000")
            << 0.0f << 0.0f << -925.0f << 600.0f << false << QSizeF();
        QTest::newRow("height would be below 2000")
            << 0.0f << 0.0f << 600.0f << -1000.0f << false << QSizeF();
        QTest::newRow("width just above 2000")
            << 0.0f << 0.0f << -924.0f << 600.0f << true << QSizeF(2001, 3525);
        QTest::newRow("x as in the previous move")
            << 300.0f << 90.0f << 300.0f << 600.0f << false << QSizeF();
        QTest::newRow("y as in the previous move")
            << 300.0f << 90.0f << 600.0f << 90.0f << false << QSizeF();
    }
    void gripStepRules() {
        QFETCH(float, lastX);
        QFETCH(float, lastY);
        QFETCH(float, x);
        QFETCH(float, y);
        QFETCH(bool, applied);
        QFETCH(QSizeF, size);
        Drag().DragStartX = 75;
        Drag().DragStartY = 75;
        Grip().ResizeLastX = lastX;
        Grip().ResizeLastY = lastY;
        const auto step = GripStep(3000, 3000, x, y);
        QCOMPARE(step.has_value(), applied);
        if (applied) QCOMPARE(*step, size);
        // Dropped or not, the move's coordinates are what the next move is compared with.
        QCOMPARE(Grip().ResizeLastX, x);
        QCOMPARE(Grip().ResizeLastY, y);
    }

    void gripResizesWithThePointer() {
        frmSticky* note = openNote();
        QLabel* grip = note->StickyResize;
        const QPoint grab = grip->mapToGlobal(QPoint(5, 5));
        QTest::mousePress(grip, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(Grip().StickyResizing);
        QCOMPARE(Drag().DragStartX, 75.0f);

        dragTo(grip, grab + QPoint(40, 30));
        QCOMPARE(note->size(), QSize(240, 230));
        QCOMPARE(Sticky().StickyWidth, 3600.0f);
        QCOMPARE(Sticky().StickyHeight, 3450.0f);
        // The grip moved with the corner, so the pointer is on the grabbed spot again,
        // and the text box followed.
        QCOMPARE(grip->mapFromGlobal(grab + QPoint(40, 30)), QPoint(5, 5));
        QCOMPARE(note->dataStickyText->geometry(), twipsRect(30, 270, 3600 - 60, 3450 - 465));

        QTest::mouseRelease(grip, Qt::LeftButton, {}, grip->mapFromGlobal(grab + QPoint(40, 30)));
        QVERIFY(!Grip().StickyResizing);
        QTest::mouseMove(grip, QPoint(12, 12));
        QCOMPARE(note->size(), QSize(240, 230));
    }

    void gripStopsShortOf2000Twips() {
        // 2100 x 3000 twips: the width reaches the limit long before the height.
        test::SetNoteValues(QStringLiteral("t"), QStringLiteral("x"), 1500, 1500, 2100, 3000);
        ShowStickyNote();
        frmSticky* note = frmSticky::loadedForm();
        QLabel* grip = note->StickyResize;
        QPoint pointer = grip->mapToGlobal(QPoint(5, 5));
        QTest::mousePress(grip, Qt::LeftButton, {}, QPoint(5, 5));
        // Steps of different lengths, so that no event repeats the previous one's place.
        dragTo(grip, pointer += QPoint(-3, -3));
        QCOMPARE(note->size(), QSize(137, 197));
        dragTo(grip, pointer += QPoint(-2, -2));
        QCOMPARE(note->size(), QSize(135, 195));
        dragTo(grip, pointer += QPoint(-1, -1));
        QCOMPARE(note->size(), QSize(134, 194));  // 2010 twips wide
        dragTo(grip, pointer += QPoint(-2, -2));  // 1980 would be too narrow: nothing changes
        QCOMPARE(note->size(), QSize(134, 194));
        dragTo(grip, pointer += QPoint(-1, -40));
        QCOMPARE(note->size(), QSize(134, 194));
        QCOMPARE(Sticky().StickyWidth, 2010.0f);
        QCOMPARE(Sticky().StickyHeight, 2910.0f);
    }

    void gripIgnoresARepeatedCoordinate() {
        frmSticky* note = openNote();
        QLabel* grip = note->StickyResize;
        QTest::mousePress(grip, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseMove(grip, QPoint(5, 9));  // the first move still counts
        const QSize afterFirst = note->size();
        QCOMPARE(afterFirst, QSize(200, 204));
        // The pointer goes straight down: the x of every event is the previous one's.
        for (int dy = 4; dy <= 20; dy += 4) {
            QTest::mouseMove(grip, QPoint(5, 5 + dy));
            QCOMPARE(note->size(), afterFirst);
        }
        // And straight right: y repeats.
        for (int x = 15; x <= 35; x += 10) {
            QTest::mouseMove(grip, QPoint(x, 25));
            QCOMPARE(note->size(), afterFirst);
        }
        // A move with both coordinates new resizes again.
        QTest::mouseMove(grip, QPoint(45, 35));
        QCOMPARE(note->size(), QSize(240, 234));
    }

    void compositorMovesAndResizesWhereItPlacesWindows() {
        test::Fake().systemMoves = true;
        frmSticky* note = openNote();
        QTest::mousePress(note->dataStickyTitle, Qt::LeftButton, {}, QPoint(20, 5));
        QCOMPARE(test::Fake().systemMoveRequests.size(), 1);
        QVERIFY(!Drag().DragActive);
        const QPoint placed = note->pos() + QPoint(70, 40);
        note->move(placed);  // as the compositor would report it
        QTRY_COMPARE(Sticky().StickyLeft, float(pxToTwips(placed.x())));
        QTRY_COMPARE(Sticky().StickyTop, float(pxToTwips(placed.y())));
        QTest::mouseRelease(note->dataStickyTitle, Qt::LeftButton, {}, QPoint(20, 5));

        QTest::mousePress(note->StickyResize, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(test::Fake().systemResizeRequests,
                 QList<Qt::Edges>{Qt::RightEdge | Qt::BottomEdge});
        QVERIFY(!Grip().StickyResizing);
        QVERIFY(note->minimumWidth() * 15 > 2000);
        note->resize(260, 250);
        QTRY_COMPARE(Sticky().StickyWidth, 3900.0f);
        QTRY_COMPARE(Sticky().StickyHeight, 3750.0f);
        QCOMPARE(note->StickyResize->geometry(), twipsRect(3900 - 195, 3750 - 210, 240, 255));
    }

    void closeButtonHidesAndShowBringsBackFromMemory() {
        frmSticky* note = openNote(QStringLiteral("Shop"), QStringLiteral("milk"));
        QTest::keyClicks(note->dataStickyTitle, QStringLiteral("!"));
        QTest::keyClicks(note->dataStickyText, QStringLiteral("eggs "));
        QTest::mouseClick(note->ToggleOptionsView, Qt::LeftButton);
        QVERIFY(!frmSticky::isLoaded());
        QVERIFY(!Sticky().StickyVisible);
        QVERIFY(!Hook().HookInstalled);
        QCOMPARE(Sticky().StickyTitle, QStringLiteral("Shop!"));
        QCOMPARE(Sticky().StickyText, QStringLiteral("eggs milk"));
        QCOMPARE(test::StoredOption(QStringLiteral("StickyText")), QStringLiteral("eggs milk"));
        QCOMPARE(test::StoredOption(QStringLiteral("StickyTitle")), QStringLiteral("Shop!"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        ShowStickyNote();
        frmSticky* again = frmSticky::loadedForm();
        QVERIFY(again && again->isVisible());
        QVERIFY(Sticky().StickyVisible);
        QCOMPARE(again->dataStickyTitle->text(), QStringLiteral("Shop!"));
        QCOMPARE(again->noteText(), QStringLiteral("eggs milk"));
    }

    void movedNoteKeepsItsPlaceWhenShownAgain() {
        frmSticky* note = openNote();
        const QPoint grab = note->dataStickyTitle->mapToGlobal(QPoint(20, 5));
        QTest::mousePress(note->dataStickyTitle, Qt::LeftButton, {}, QPoint(20, 5));
        dragTo(note->dataStickyTitle, grab + QPoint(100, 50));
        QTest::mouseRelease(note->dataStickyTitle, Qt::LeftButton, {}, QPoint(20, 5));
        const QPoint moved = note->pos();
        note->ToggleOptionsView->click();
        ShowStickyNote();
        QCOMPARE(frmSticky::loadedForm()->pos(), moved);
    }

    void mainWindowLoadFillsAndShowsTheNote_data() {
        QTest::addColumn<QString>("visible");
        QTest::newRow("visible") << "True";
        QTest::newRow("hidden") << "False";
    }
    void mainWindowLoadFillsAndShowsTheNote() {
        QFETCH(QString, visible);
        WriteOption(QStringLiteral("StickyVisible"), visible);
        WriteOption(QStringLiteral("StickyTitle"), QStringLiteral("Call"));
        WriteOption(QStringLiteral("StickyText"), QStringLiteral("Bob at 5"));
        WriteOption(QStringLiteral("StickyLeft"), QStringLiteral("40000"));
        WriteOption(QStringLiteral("StickyWidth"), QStringLiteral("4500"));
        frmMain::form();
        frmSticky* note = frmSticky::loadedForm();
        QVERIFY(note);
        QCOMPARE(note->isVisible(), visible == QLatin1String("True"));
        QCOMPARE(note->dataStickyTitle->text(), QStringLiteral("Call"));
        QCOMPARE(note->noteText(), QStringLiteral("Bob at 5"));
        QCOMPARE(note->x(), twipsToPx(28800 - 4500));
        QVERIFY(Hook().HookInstalled);
    }

    void showStickyButtonShowsTheRememberedTexts() {
        WriteOption(QStringLiteral("StickyVisible"), QStringLiteral("False"));
        frmMain* w = frmMain::form();
        frmSticky::form()->dataStickyTitle->setText(QStringLiteral("typed"));
        Sticky().StickyTitle = QStringLiteral("remembered");
        w->ShowStickyButton->click();
        frmSticky* note = frmSticky::loadedForm();
        QVERIFY(note->isVisible());
        QVERIFY(Sticky().StickyVisible);
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
