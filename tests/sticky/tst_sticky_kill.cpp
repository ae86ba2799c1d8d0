// Killing the program without any unload keeps everything typed into the note: a child
// process types into the note and is killed with SIGKILL; the store must hold the text.

#include "StickyTestSupport.h"

#include "platform/FakePlatform.h"
#include "sticky/frmSticky.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <cstdio>

using namespace horolet;

namespace {

const char kChildFlag[] = "--type-into-note";
const QString kTyped = QStringLiteral(
    "Buy milk, eggs and bread; call the plumber about the kitchen tap before Friday. ");

// The child types kTyped one key at a time, reporting each key once its change handler
// has returned, then waits to be killed.
int typeIntoNote(int argc, char** argv, int pauseMs) {
    QApplication app(argc, argv);
    installPlatform(std::make_unique<FakePlatform>());
    test::SetNoteValues(QStringLiteral("Errands"), QString());
    ShowStickyNote();
    QPlainTextEdit* box = frmSticky::loadedForm()->dataStickyText;
    for (const QChar c : kTyped) {
        // For the characters typed here the key code is the upper-case character's.
        QKeyEvent press(QEvent::KeyPress, c.toUpper().unicode(), Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(box, &press);
        std::printf("typed\n");
        std::fflush(stdout);
        QThread::msleep(pauseMs);
    }
    for (;;) QThread::sleep(1);
}

}  // namespace

class TestStickyKill final : public QObject {
    Q_OBJECT

private slots:
    void killedWhileTypingKeepsTheText() {
        const int pauseMs = 20, killAfterKeys = int(kTyped.size() / 2);  // killed mid-typing
        QDir(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Horolet"))
            .removeRecursively();
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QString::fromLatin1(kChildFlag), QString::number(pauseMs)});
        QVERIFY2(child.waitForStarted(), qPrintable(child.errorString()));
        int reported = 0;
        while (reported < killAfterKeys && child.state() == QProcess::Running) {
            if (!child.canReadLine() && !child.waitForReadyRead(30000)) break;
            while (child.canReadLine())
                if (child.readLine().startsWith("typed")) ++reported;
        }
        child.kill();  // SIGKILL: no unload, no clean-up of any kind
        QVERIFY(child.waitForFinished(10000));
        QVERIFY2(reported >= killAfterKeys, child.readAllStandardError().constData());

        // Every key reported before the kill is in the store; whatever came after can only
        // add to it. The file is whole: it was replaced, never half written.
        const QString stored = test::StoredOption(QStringLiteral("StickyText"));
        QVERIFY2(stored.size() >= reported, qPrintable(stored));
        QCOMPARE(stored, kTyped.left(stored.size()));
        QCOMPARE(test::StoredOption(QStringLiteral("StickyTitle")), QStringLiteral("Errands"));
        // The killed writer held no lock that outlives it.
        WriteOption(QStringLiteral("StickyTitle"), QStringLiteral("after"));
        QCOMPARE(test::StoredOption(QStringLiteral("StickyTitle")), QStringLiteral("after"));
    }
};

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");  // the child inherits it
    if (argc >= 3 && qstrcmp(argv[1], kChildFlag) == 0)
        return typeIntoNote(1, argv, QByteArray(argv[2]).toInt());
    QTemporaryDir configDir;
    qputenv("XDG_CONFIG_HOME", configDir.path().toLocal8Bit());
    QApplication app(argc, argv);
    TestStickyKill tc;
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_sticky_kill.moc"
