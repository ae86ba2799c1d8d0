#include "settings/ConfFormat.h"
#include "settings/Settings.h"
#include "support/TestMain.h"

#include <QFile>

using namespace horolet;

class TestSettings final : public QObject {
    Q_OBJECT

    // Replaces the store with the given file content, as a hand edit would.
    static void writeRawStore(const QByteArray& optionsLines) {
        const QString path = SettingsFilePath();
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("[Options]\n" + optionsLines + "\n");
    }

private slots:
    void init() { test::FreshStart(); }

    void readRules_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QVariant>("fallback");
        QTest::addColumn<QString>("expected");
        QTest::newRow("missing value gives the default")
            << QByteArray() << QVariant("Title") << "Title";
        QTest::newRow("empty text gives the default")
            << QByteArray("Key=\"\"") << QVariant("Title") << "Title";
        QTest::newRow("Unknown gives the default")
            << QByteArray("Key=Unknown") << QVariant(7) << "7";
        QTest::newRow("quoted Unknown too") << QByteArray("Key=\"Unknown\"") << QVariant(7) << "7";
        QTest::newRow("text is cut at a NUL")
            << QByteArray("Key=\"abc\\0def\"") << QVariant("x") << "abc";
        QTest::newRow("leading NUL counts as empty")
            << QByteArray("Key=\"\\0def\"") << QVariant("x") << "x";
        QTest::newRow("integer reads as decimal")
            << QByteArray("Key=@Int(45)") << QVariant(60) << "45";
        QTest::newRow("negative integer") << QByteArray("Key=@Int(-3)") << QVariant(60) << "-3";
        QTest::newRow("other type gives the default")
            << QByteArray("Key=@ByteArray(abc)") << QVariant(60) << "60";
        QTest::newRow("hand-edited comma stays text")
            << QByteArray("Key=milk, eggs") << QVariant("x") << "milk, eggs";
        QTest::newRow("comma without blank")
            << QByteArray("Key=milk,eggs") << QVariant("x") << "milk,eggs";
        QTest::newRow("escaped at sign") << QByteArray("Key=@@home") << QVariant("x") << "@home";
        QTest::newRow("escapes in quotes")
            << QByteArray("Key=\"a\\nb\\t\\\"c\\\\\"") << QVariant("x") << "a\nb\t\"c\\";
        QTest::newRow("Boolean default") << QByteArray() << QVariant(true) << "True";
        QTest::newRow("float default") << QByteArray() << QVariant(3000.0f) << "3000";
        QTest::newRow("other key does not leak") << QByteArray("Other=1") << QVariant("d") << "d";
    }
    void readRules() {
        QFETCH(QByteArray, stored);
        QFETCH(QVariant, fallback);
        QFETCH(QString, expected);
        writeRawStore(stored);
        QCOMPARE(ReadOption(QStringLiteral("Key"), fallback), expected);
    }

    void writeReadsBackExactly_data() {
        QTest::addColumn<QString>("value");
        QTest::newRow("plain") << "72210";
        QTest::newRow("lines") << "first line\r\nsecond line\nthird";
        QTest::newRow("blanks around") << "  padded  ";
        QTest::newRow("quotes and backslashes") << R"(say "hi" C:\path\)";
        QTest::newRow("ini syntax") << "[Options]\nKey=1 ; not a comment # nor this";
        QTest::newRow("at sign first") << "@Int(5)";
        QTest::newRow("commas") << "milk, eggs,bread";
        QTest::newRow("unicode") << QString::fromUtf8("Grüße ☕ 東京");
        QTest::newRow("control characters") << QStringLiteral("a\x01b\x7f");
    }
    void writeReadsBackExactly() {
        QFETCH(QString, value);
        WriteOption(QStringLiteral("StickyText"), value);
        QCOMPARE(ReadOption(QStringLiteral("StickyText"), QString()), value);
        // A fresh parse of the file on disk sees the same value: it was written at return.
        QFile f(SettingsFilePath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QSettings::SettingsMap map;
        QVERIFY(readConf(f, map));
        QCOMPARE(map.value(QStringLiteral("Options/StickyText")).toString(), value);
    }

    void writeCreatesTheFolder() {
        QVERIFY(!QFile::exists(SettingsFilePath()));
        WriteOption(QStringLiteral("ZipCode"), QStringLiteral("12345"));
        QVERIFY(QFile::exists(SettingsFilePath()));
        QCOMPARE(ReadOption(QStringLiteral("ZipCode"), QStringLiteral("72210")),
                 QStringLiteral("12345"));
    }

    void writeKeepsOtherKeys() {
        writeRawStore("Hand=milk, eggs\nCount=@Int(4)");
        WriteOption(QStringLiteral("ZipCode"), QStringLiteral("12345"));
        QCOMPARE(ReadOption(QStringLiteral("Hand"), QString()), QStringLiteral("milk, eggs"));
        QCOMPARE(ReadOption(QStringLiteral("Count"), QString()), QStringLiteral("4"));
    }

    void otherApplicationIsSeparate() {
        WriteSetting(QStringLiteral("Other"), QStringLiteral("Options"), QStringLiteral("Key"),
                     QStringLiteral("v"));
        QCOMPARE(ReadOption(QStringLiteral("Key"), QStringLiteral("d")), QStringLiteral("d"));
        QCOMPARE(ReadSetting(QStringLiteral("Other"), QStringLiteral("Options"),
                             QStringLiteral("Key"), QStringLiteral("d")),
                 QStringLiteral("v"));
    }

    void conversions_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("int16");
        QTest::addColumn<int>("int32");
        QTest::addColumn<int>("boolean");  // -1 means the fallback (false)
        QTest::newRow("whole") << "60" << 60 << 60 << 1;
        QTest::newRow("zero") << "0" << 0 << 0 << 0;
        QTest::newRow("negative") << "-3000" << -3000 << -3000 << 1;
        QTest::newRow("half rounds to even down") << "12.5" << 12 << 12 << 1;
        QTest::newRow("half rounds to even up") << "13.5" << 14 << 14 << 1;
        QTest::newRow("blanks") << " 45 " << 45 << 45 << 1;
        QTest::newRow("over 16 bits") << "99999" << 7 << 99999 << 1;
        QTest::newRow("over 32 bits") << "3000000000" << 7 << 7 << 1;
        QTest::newRow("not a number") << "abc" << 7 << 7 << -1;
        QTest::newRow("empty") << "" << 7 << 7 << -1;
        QTest::newRow("True") << "True" << 7 << 7 << 1;
        QTest::newRow("false in lower case") << "false" << 7 << 7 << 0;
        QTest::newRow("infinity") << "inf" << 7 << 7 << -1;
    }
    void conversions() {
        QFETCH(QString, text);
        QFETCH(int, int16);
        QFETCH(int, int32);
        QFETCH(int, boolean);
        QCOMPARE(int(ToInt16(text, 7)), int16);
        QCOMPARE(ToInt32(text, 7), int32);
        QCOMPARE(ToBool(text, false), boolean == 1);
    }

    void storedOutOfRangeGivesTheKeysDefault() {
        writeRawStore("SyncMins=99999\nWeatherMins=abc\nStickyTop=1e999");
        QCOMPARE(ReadOptionInt16(QStringLiteral("SyncMins"), 60), qint16(60));
        QCOMPARE(ReadOptionInt16(QStringLiteral("WeatherMins"), 60), qint16(60));
        QCOMPARE(ReadOptionFloat(QStringLiteral("StickyTop"), 0), 0.0f);
    }

    void numberTexts_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << 1440.0 << "1440";
        QTest::newRow("negative") << -3000.0 << "-3000";
        QTest::newRow("fraction") << 12.5 << "12.5";
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("large whole") << 10000000.0 << "10000000";
    }
    void numberTexts() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(NumberText(value), text);
    }
};

HOROLET_TEST_MAIN(TestSettings)
#include "tst_settings.moc"
