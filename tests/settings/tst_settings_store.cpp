// The settings file shared by processes: writers in two processes shut each other out,
// and a process never answers from a stale copy of a file another process or a hand
// edit has changed.

#include "settings/ConfFormat.h"
#include "settings/Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

using namespace horolet;

namespace {

const char kWriterFlag[] = "--write-keys";

// The child: writes its own keys, each write also rewriting a key both children share.
int writeKeys(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString prefix = QString::fromLocal8Bit(argv[2]);
    const int count = QByteArray(argv[3]).toInt();
    for (int i = 0; i < count; ++i) {
        WriteOption(prefix + QString::number(i), QString::number(i));
        WriteOption(QStringLiteral("Shared"), prefix + QString::number(i));
    }
    return 0;
}

QSettings::SettingsMap onDisk() {
    QFile f(SettingsFilePath());
    QSettings::SettingsMap map;
    if (f.open(QIODevice::ReadOnly)) readConf(f, map);
    return map;
}

}  // namespace

class TestSettingsStore final : public QObject {
    Q_OBJECT

    static void startWriter(QProcess& p, const QString& prefix, int count) {
        p.start(QCoreApplication::applicationFilePath(),
                {QString::fromLatin1(kWriterFlag), prefix, QString::number(count)});
    }

private slots:
    void init() {
        QDir(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Horolet"))
            .removeRecursively();
    }

    void writersInTwoProcessesLoseNothing() {
        WriteOption(QStringLiteral("Mine"), QStringLiteral("kept"));
        QProcess a, b;
        startWriter(a, QStringLiteral("A"), 40);
        startWriter(b, QStringLiteral("B"), 40);
        QVERIFY(a.waitForFinished(120000) && b.waitForFinished(120000));
        QCOMPARE(a.exitCode(), 0);
        QCOMPARE(b.exitCode(), 0);
        const QSettings::SettingsMap map = onDisk();
        for (const QString& prefix : {QStringLiteral("A"), QStringLiteral("B")})
            for (int i = 0; i < 40; ++i)
                QCOMPARE(
                    map.value(QStringLiteral("Options/") + prefix + QString::number(i)).toString(),
                    QString::number(i));
        QCOMPARE(map.value(QStringLiteral("Options/Mine")).toString(), QStringLiteral("kept"));
        // And this process sees what they wrote, not what it had read before.
        QCOMPARE(ReadOption(QStringLiteral("A39"), QString()), QStringLiteral("39"));
        QVERIFY(ReadOption(QStringLiteral("Shared"), QString()).endsWith(QLatin1String("39")));
    }

    void anotherProcessesWriteIsSeen() {
        WriteOption(QStringLiteral("A0"), QStringLiteral("x"));
        QCOMPARE(ReadOption(QStringLiteral("A0"), QString()), QStringLiteral("x"));
        QProcess writer;
        startWriter(writer, QStringLiteral("A"), 1);  // A0 := "0", the same length as "x"
        QVERIFY(writer.waitForFinished(60000));
        QCOMPARE(ReadOption(QStringLiteral("A0"), QString()), QStringLiteral("0"));
        // A write of ours keeps the other process's key.
        WriteOption(QStringLiteral("Mine"), QStringLiteral("1"));
        QCOMPARE(onDisk().value(QStringLiteral("Options/Shared")).toString(), QStringLiteral("A0"));
    }

    void handEditInPlaceIsSeen() {
        WriteOption(QStringLiteral("ZipCode"), QStringLiteral("72210"));
        QCOMPARE(ReadOption(QStringLiteral("ZipCode"), QString()), QStringLiteral("72210"));
        QThread::msleep(30);  // a later modification time than the write's
        QFile f(SettingsFilePath());
        QVERIFY(f.open(QIODevice::ReadWrite));
        const QByteArray edited = f.readAll().replace("72210", "10001");  // same size, same file
        QVERIFY(f.seek(0));
        QCOMPARE(f.write(edited), edited.size());
        f.close();
        QCOMPARE(ReadOption(QStringLiteral("ZipCode"), QString()), QStringLiteral("10001"));
    }

    void removedFileReadsAsEmpty() {
        WriteOption(QStringLiteral("ZipCode"), QStringLiteral("72210"));
        QVERIFY(QFile::remove(SettingsFilePath()));
        QCOMPARE(ReadOption(QStringLiteral("ZipCode"), QStringLiteral("d")), QStringLiteral("d"));
        WriteOption(QStringLiteral("Top"), QStringLiteral("1"));
        QVERIFY(!onDisk().contains(QStringLiteral("Options/ZipCode")));
    }
};

int main(int argc, char** argv) {
    if (argc >= 4 && qstrcmp(argv[1], kWriterFlag) == 0) return writeKeys(argc, argv);
    QTemporaryDir configDir;
    qputenv("XDG_CONFIG_HOME", configDir.path().toLocal8Bit());
    QCoreApplication app(argc, argv);
    TestSettingsStore tc;
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_settings_store.moc"
