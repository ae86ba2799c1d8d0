#include "StickyTestSupport.h"

#include "sticky/frmSticky.h"
#include "sticky/modScrollbar.h"
#include "support/TestMain.h"

using namespace horolet;

// The note's window procedure, through the fake system's window procedures.
class TestStickyHook final : public QObject {
    Q_OBJECT

    static WindowHandle loadNote() {
        test::SetNoteValues(QStringLiteral("t"), QStringLiteral("x"));
        return frmSticky::form()->winId();
    }
    static WindowProc procOf(WindowHandle window) {
        return test::Fake().windowProcs.value(window, &FakePlatform::OwnWindowProc);
    }

private slots:
    void init() {
        test::FreshStart();
        test::ResetNoteValues();
    }
    void cleanup() { frmSticky::unloadForm(); }

    void loadInstallsAndUnloadRemoves() {
        const WindowHandle first = loadNote();
        QCOMPARE(Hook().HookedWindow, first);
        QVERIFY(procOf(first) == &StickyWindowProc);
        QVERIFY(Hook().PreviousWindowProc == &FakePlatform::OwnWindowProc);
        frmSticky::unloadForm();
        QVERIFY(!Hook().HookInstalled);
        QVERIFY(procOf(first) == &FakePlatform::OwnWindowProc);
        // Loaded again: the new window gets the procedure, and no complaint is made.
        const WindowHandle second = loadNote();
        QVERIFY(Hook().HookInstalled);
        QVERIFY(procOf(second) == &StickyWindowProc);
        QVERIFY(test::Fake().boxes.isEmpty());
    }

    void hookingTwiceIsRefused() {
        const WindowHandle window = loadNote();
        HookWindow();
        QCOMPARE(test::Fake().boxes.size(), 1);
        const FakePlatform::Box box = test::Fake().boxes.first();
        QCOMPARE(box.text, QStringLiteral("Don't hook it twice without unhooking, or you will "
                                          "be unable to unhook it."));
        QCOMPARE(box.icon, MsgIcon::None);
        QCOMPARE(box.title, QStringLiteral("Horolet"));
        // The first installation is intact and can still be taken back.
        QVERIFY(Hook().PreviousWindowProc == &FakePlatform::OwnWindowProc);
        UnhookWindow();
        QVERIFY(procOf(window) == &FakePlatform::OwnWindowProc);
        UnhookWindow();  // not installed: nothing happens
        QVERIFY(procOf(window) == &FakePlatform::OwnWindowProc);
        QCOMPARE(test::Fake().boxes.size(), 1);
        // Unhooked, the window gets everything.
        test::Fake().sendWindowMessage(window, kSwallowedMessage, 0, 0);
        QCOMPARE(test::Fake().ownProcMessages.size(), 1);
    }

    void messagesGoThroughTheProcedure_data() {
        QTest::addColumn<quint32>("message");
        QTest::newRow("0xC0FFFF") << quint32(0xC0FFFF);
        QTest::newRow("one below") << quint32(0xC0FFFE);
        QTest::newRow("one above") << quint32(0xC10000);
    }
    void messagesGoThroughTheProcedure() {
        QFETCH(quint32, message);
        const bool swallowed = message == 0xC0FFFF;
        const WindowHandle window = loadNote();
        test::Fake().ownProcAnswer = 4711;
        const qintptr answer = test::Fake().sendWindowMessage(window, message, 7, -3);
        QCOMPARE(answer, swallowed ? qintptr(0) : qintptr(4711));
        const auto& seen = test::Fake().ownProcMessages;
        QCOMPARE(seen.size(), swallowed ? 0 : 1);
        if (!swallowed) {
            QCOMPARE(seen[0].window, window);
            QCOMPARE(seen[0].message, message);
            QCOMPARE(seen[0].wParam, quintptr(7));
            QCOMPARE(seen[0].lParam, qintptr(-3));
        }
    }

    void refusedReplacementLeavesNothingToPutBack() {
        test::Fake().refuseWindowProcs = true;
        loadNote();
        QVERIFY(!Hook().HookInstalled);
        QVERIFY(Hook().PreviousWindowProc == nullptr);
        test::Fake().refuseWindowProcs = false;
        frmSticky::unloadForm();  // the unhook must not install anything, null least of all
        QVERIFY(test::Fake().windowProcs.isEmpty());
        QVERIFY(test::Fake().boxes.isEmpty());
    }
};

HOROLET_TEST_MAIN(TestStickyHook)
#include "tst_sticky_hook.moc"
