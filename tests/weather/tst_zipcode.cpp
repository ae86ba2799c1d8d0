// The zip code box: checked when it loses the focus, taken into use when it passes.

#include "app/frmMain.h"
#include "settings/Settings.h"
#include "support/TestMain.h"
#include "weather/ZipCode.h"

#include <QLineEdit>
#include <QPushButton>

using namespace horolet;
using namespace horolet::test;

namespace {

const QString kRejected = QStringLiteral(
    "Invalid zip code. Must be exactly 5 digits!\r\n\r\nPlease fix this or you won't get the "
    "updated temperature.");

}  // namespace

class TestZipCode final : public QObject {
    Q_OBJECT
private slots:
    void init() {
        FreshStart();
        Fake().online = false;  // the main window's load must not reach for the weather
    }
    void cleanup() { frmMain::unloadForm(); }

    void check_data();
    void check();
    void leavingTheBox();
    void startUpTakesSavedCodeUnchecked();
};

void TestZipCode::check_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("five digits") << "72210" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("four digits") << "7221" << false;
    QTest::newRow("six digits") << "722101" << false;
    QTest::newRow("letter") << "7221a" << false;
    QTest::newRow("sign") << "+7221" << false;
    QTest::newRow("blank") << " 7221" << false;
    QTest::newRow("point") << "72.10" << false;
    QTest::newRow("arabic-indic digits") << "\u0667\u0662\u0662\u0661\u0660" << false;
}

void TestZipCode::check() {
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QCOMPARE(ZipCodeAcceptable(text), accepted);

    App().ZipCode = "72210";
    ZipCodeLostFocus(text);
    QCOMPARE(App().ZipCode, accepted ? text : QString("72210"));
    if (accepted) {
        QVERIFY(Fake().boxes.isEmpty());
    } else {
        QCOMPARE(Fake().boxes.size(), 1);
        QCOMPARE(Fake().boxes[0].text, kRejected);
        QCOMPARE(Fake().boxes[0].icon, MsgIcon::Critical);
        QCOMPARE(Fake().boxes[0].title, QString("Error in Zip Code"));
    }
    QVERIFY(ReadOption("ZipCode", QString()).isEmpty());  // the store is written at exit only
}

void TestZipCode::leavingTheBox() {
    frmMain* main = frmMain::form();
    main->FoldOrUnfold();
    main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(main));
    QLineEdit* box = main->txtZipCode;

    // At most five characters go in.
    box->setFocus();
    QTRY_VERIFY(box->hasFocus());
    box->clear();
    QTest::keyClicks(box, "1234567");
    QCOMPARE(box->text(), QString("12345"));

    // A short entry is refused each time the focus leaves; the code in use stays.
    box->setText("7221");
    main->ElapsedTime->setFocus();
    QCOMPARE(Fake().boxes.size(), 1);
    QCOMPARE(App().ZipCode, QString("72210"));
    QCOMPARE(box->text(), QString("7221"));
    box->setFocus();
    main->ElapsedTime->setFocus();
    QCOMPARE(Fake().boxes.size(), 2);

    // Five digits are taken silently; nothing is stored yet.
    box->setFocus();
    box->setText("90210");
    QCOMPARE(App().ZipCode, QString("72210"));  // not while typing
    main->ResetTimer->setFocus();
    QCOMPARE(App().ZipCode, QString("90210"));
    QCOMPARE(Fake().boxes.size(), 2);
    QVERIFY(ReadOption("ZipCode", QString()).isEmpty());

    // Return in the box is no loss of focus.
    box->setFocus();
    box->setText("1");
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(Fake().boxes.size(), 2);
}

void TestZipCode::startUpTakesSavedCodeUnchecked() {
    WriteOption("ZipCode", "7x");
    frmMain* main = frmMain::form();
    QCOMPARE(main->txtZipCode->text(), QString("7x"));
    QCOMPARE(App().ZipCode, QString("7x"));
    QVERIFY(Fake().boxes.isEmpty());
}

HOROLET_TEST_MAIN(TestZipCode)
#include "tst_zipcode.moc"
