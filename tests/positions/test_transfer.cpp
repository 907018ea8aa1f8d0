#include "link/link_rig.h"
#include "positions/position_transfer.h"
#include "positions/progress_window.h"
#include "positions_rig.h"
#include "test_registry.h"
#include "test_support.h"

#include <QtTest>

using namespace positions;

namespace {

// The simulator holds what fillValidTable puts in the table.
void matchController(SimServer &sim) {
    for (int n = 1; n <= 15; ++n)
        sim.model().setPosition(n, {1, 1, 0, 2, n * 100});
}

QString digit(int n) {
    return QString::number(n, 16).toUpper();
}

// The exchange is over: window, flag, bracket and (not kept) port all at rest.
void checkAtRest(LinkRig &r, const ViewRecorder &rec) {
    QVERIFY(!rec.progress.open());
    QVERIFY(!r.s.controllerBusy);
    QVERIFY(!r.s.link.isPortOpen());
    QCOMPARE(rec.disabled, 1);
    QCOMPARE(rec.enabled, 1);
    QVERIFY(r.prompter.unexpected.isEmpty());
}

} // namespace

class TransferTest : public QObject {
    Q_OBJECT
private slots:
    void writeSendsOneLinePerRow_data();
    void writeSendsOneLinePerRow();
    void writeStopsBeforeSending_data();
    void writeStopsBeforeSending();
    void read_data();
    void read();
    void verify_data();
    void verify();
    void progressWindow();
};

void TransferTest::writeSendsOneLinePerRow_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<bool>("skipping"); // rows 5 (VEL 7) and C (beyond maxPulse) out of range
    QTest::addColumn<bool>("changeBkCd");
    QTest::addColumn<QString>("bk"); // the digit expected on the wire
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QStringList>("captions");
    QTest::newRow("every row, standard digit")
        << 2 << false << false << QString("2")
        << QStringList{"Data is transmitted to controller,Yes?", "Completed data transmit."}
        << QStringList{"Communication checking", "Sending Data to the controller..."};
    QTest::newRow("rows skipped, digit from the options")
        << 2 << true << true << QString("0")
        << QStringList{"Data is transmitted to controller.\r\n\r\nThe following Position data "
                       "is not transmitted.\r\n\r\n< Position No.5,C, >\r\n\r\nSending data?",
                       "Completed data transmit."}
        << QStringList{"Communication checking", "Sending Data to the controller..."};
    QTest::newRow("rows skipped, ja")
        << 1 << true << false << QString("2")
        << QStringList{"データをコントローラに転送します。\r\n\r\n以下の位置データは転送されませ"
                       "ん。\r\n\r\n< 位置No.5,C, >\r\n\r\nデータを転送しますか？",
                       "データの転送が終了しました"}
        << QStringList{"通信チェック実行中", "データをコントローラへ転送しています"};
}

void TransferTest::writeSendsOneLinePerRow() {
    QFETCH(int, language);
    QFETCH(bool, skipping);
    QFETCH(bool, changeBkCd);
    QFETCH(QString, bk);
    QFETCH(QStringList, texts);
    QFETCH(QStringList, captions);
    LinkRig r(language);
    ViewRecorder rec;
    useDevice(r.s, " 28", "L", 100);
    fillValidTable(r.s);
    setRow(r.s, 10, 2, 1, 3, 20000);
    if (skipping) {
        setRow(r.s, 5, 7, 1, 0, 500);
        setRow(r.s, 12, 1, 1, 0, 20001);
    }
    r.s.options.changeBkCd = changeBkCd;
    r.s.options.bkCdValue = 0;
    r.prompter.answers.push_back(PromptAnswer::Ok);
    writeToController(r.s, rec.view);

    QStringList expected{QStringLiteral("0RD10")};
    for (int n = 1; n <= 15; ++n)
        if (!skipping || (n != 5 && n != 12))
            expected << (n == 10
                             ? "0WPA213" + bk + "004E20"
                             : "0WP" + digit(n) + "110" + bk +
                                   QString::number(n * 100, 16).toUpper().rightJustified(6, u'0'));
    QCOMPARE(r.sim.log(), expected);
    QCOMPARE(r.sim.model().position(10), (SimPosition{2, 1, 3, bk.toInt(), 20000}));
    QCOMPARE(r.sim.model().position(5).vel, skipping ? 0 : 1); // 0: never written
    QCOMPARE(r.prompter.texts(), texts);
    QCOMPARE(r.prompter.log[0].buttons, PromptButtons::OkCancel);
    QCOMPARE(rec.progress.events,
             (QStringList{"max 3", captions[0], "open", "max 15", captions[1], "close"}));
    QCOMPARE(rec.progress.value, 15);
    QVERIFY(r.s.motionDataStale);
    checkAtRest(r, rec);
}

void TransferTest::writeStopsBeforeSending_data() {
    QTest::addColumn<int>("stroke"); // of the device; the controller's is 20000 pulses
    QTest::addColumn<bool>("alarm");
    QTest::addColumn<QString>("message"); // empty: reported by the link
    QTest::addColumn<QStringList>("sent");
    QTest::newRow("beyond the controller's stroke")
        << 200 << false
        << "Some position data exceed the soft limit in the Parameter(Stroke)\r\n\r\nConfirm the "
           "position data indicated bellow, and try it again.\r\n\r\n< Position No.A,C,>"
        << QStringList{"0RD10"};
    QTest::newRow("controller in alarm") << 100 << true << "" << QStringList{"0RD10"};
    QString all;
    for (int n = 1; n <= 15; ++n)
        all += "< Position No." + digit(n) + ">\r\n\r\n";
    QTest::newRow("every row out of range")
        << 0 << false
        << "Wrong data in some Positions! Confirm the position data indicated below once "
           "again.\r\n\r\n" +
               all
        << QStringList();
}

void TransferTest::writeStopsBeforeSending() {
    QFETCH(int, stroke);
    QFETCH(bool, alarm);
    QFETCH(QString, message);
    QFETCH(QStringList, sent);
    LinkRig r;
    ViewRecorder rec;
    useDevice(r.s, " 28", "L", stroke);
    fillValidTable(r.s);
    setRow(r.s, 10, 1, 1, 0, 20001);
    setRow(r.s, 12, 1, 1, 0, 30000);
    if (alarm) r.sim.raiseAlarm(QStringLiteral("0E"));
    if (stroke > 0) r.prompter.answers.push_back(PromptAnswer::Ok);
    writeToController(r.s, rec.view);

    QCOMPARE(r.sim.log(), sent);
    if (!message.isEmpty()) QCOMPARE(r.prompter.texts().last(), message);
    QVERIFY(!r.s.motionDataStale);
    checkAtRest(r, rec);
}

void TransferTest::read_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<bool>("tableHasData");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("texts"); // question, file label, progress caption
    QTest::newRow("empty table") << 2 << false << int(PromptAnswer::Yes)
                                 << QStringList{"Read the data from controller?", "Inside of C/T",
                                                "Reading data from controller..."};
    QTest::newRow("empty table, ja")
        << 1 << false << int(PromptAnswer::Yes)
        << QStringList{"コントローラからデータを読み込みますか？", "ｺﾝﾄﾛｰﾗ内ﾃﾞｰﾀ",
                       "コントローラからデータを読み込んでいます。"};
    QTest::newRow("data, not saved")
        << 2 << true << int(PromptAnswer::No)
        << QStringList{"Save editing data before reading the data?", "Inside of C/T",
                       "Reading data from controller..."};
    QTest::newRow("data, cancelled") << 2 << true << int(PromptAnswer::Cancel)
                                     << QStringList{"Save editing data before reading the data?"};
}

void TransferTest::read() {
    QFETCH(int, language);
    QFETCH(bool, tableHasData);
    QFETCH(int, answer);
    QFETCH(QStringList, texts);
    LinkRig r(language);
    ViewRecorder rec;
    useDevice(r.s, " 28", "L", 100);
    matchController(r.sim);
    r.sim.model().setPosition(3, {1, 2, 0, 2, 2000}); // answers "0RP312020007D0"
    if (tableHasData) setRow(r.s, 3, 3, 3, 3, 5);
    r.s.positions.setText(3, PositionTable::ColComment, QStringLiteral("kept"));
    r.s.fileLabel = QStringLiteral("mine");
    r.prompter.answers.push_back(PromptAnswer(answer));
    readFromController(r.s, rec.view);

    QCOMPARE(r.prompter.texts(), texts.mid(0, 1));
    QStringList row3;
    for (int col = 1; col <= 6; ++col)
        row3 << r.s.positions.text(3, col);
    if (texts.size() == 1) {
        QVERIFY(r.sim.log().isEmpty());
        QCOMPARE(row3, (QStringList{"3", "3", "3", "      5", "  0.025", "kept"}));
        QCOMPARE(r.s.fileLabel, QStringLiteral("mine"));
        checkAtRest(r, rec);
        return;
    }
    QCOMPARE(row3, (QStringList{"1", "2", "0", "   2000", " 10.000", "kept"}));
    QCOMPARE(r.s.positions.text(15, PositionTable::ColPulse), QStringLiteral("   1500"));
    QCOMPARE(r.s.fileLabel, texts[1]);
    QStringList expected;
    for (int n = 1; n <= 15; ++n)
        expected << QStringLiteral("0RP") + digit(n);
    QCOMPARE(r.sim.log(), expected << QStringLiteral("0RV"));
    QCOMPARE(rec.progress.events, (QStringList{"max 16", texts[2], "open", "close"}));
    QCOMPARE(rec.progress.value, 15);
    checkAtRest(r, rec);
}

void TransferTest::verify_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("choice"); // 0 file, 1 controller
    QTest::addColumn<int>("differingRow");
    QTest::addColumn<QString>("result");
    QTest::newRow("file, only comments differ")
        << 2 << 0 << 0
        << "Data : indicated and saved into the file(ref.tpd)\r\n\r\nResult of Verification : OK";
    QTest::newRow("file, row B differs, ja")
        << 1 << 0 << 11
        << "照合データ：画面のデータとファイル(ref.tpd)\r\n\r\n照合結果：ＮＧ\r\n\r\n一致しなかった"
           "位置No.\r\n\r\n< 位置No.B>\r\n\r\n";
    QTest::newRow("controller, row 2 differs")
        << 2 << 1 << 2
        << "Data : indicated and inside of controller\r\n\r\nResult of Verification : "
           "NG.\r\n\r\nUnmatched Position No.\r\n\r\n< Position No.2>\r\n\r\n";
    QTest::newRow("controller, ja")
        << 1 << 1 << 0 << "照合データ：画面のデータとコントローラ内のデータ\r\n\r\n照合結果：ＯＫ";
}

void TransferTest::verify() {
    QFETCH(int, language);
    QFETCH(int, choice);
    QFETCH(int, differingRow);
    QFETCH(QString, result);
    LinkRig r(language);
    ViewRecorder rec;
    useDevice(r.s, " 28", "L", 100);
    fillValidTable(r.s);
    matchController(r.sim);
    if (differingRow) r.sim.model().setPosition(differingRow, {3, 1, 0, 2, differingRow * 100});
    QByteArray file = "\"TZ- 35H-200 \",\"NEW\"\r\n";
    for (int n = 1; n <= 15; ++n)
        file += "\"1\",\"1\",\"0\",\"" + QByteArray::number(n == differingRow ? 1 : n * 100) +
                "\",\"other\"\r\n";
    QFile f(r.dir.filePath(QStringLiteral("ref.tpd")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(file + QByteArray(15, ',') + "\r\n");
    f.close();
    r.prompter.choices.push_back(choice);
    if (choice == 0) r.prompter.files.push_back(f.fileName());
    verifyPositions(r.s, rec.view);

    const PromptRecord &ask = r.prompter.log[0];
    QCOMPARE(ask.dialogTitle, language == 1 ? QStringLiteral("データ照合の選択")
                                            : QStringLiteral("Select TZ data to reference"));
    QCOMPARE(ask.choices, language == 1
                              ? (QStringList{"ファイルと照合", "コントローラと照合", "キャンセル"})
                              : (QStringList{"TZ data file", "Inside of C/T", "Cancel"}));
    if (language == 2) QCOMPARE(ask.text, QStringLiteral("Please select TZ data to reference."));
    QCOMPARE(r.sim.log().size(), choice == 0 ? 0 : 16);
    QCOMPARE(r.prompter.log.last().text, result);
    QCOMPARE(r.prompter.log.last().icon, PromptIcon::None);
    // The reference changes neither the table nor the device.
    QCOMPARE(r.s.positions.text(1, PositionTable::ColComment), QString());
    QCOMPARE(r.s.device.size, QStringLiteral(" 28"));
    checkAtRest(r, rec);
}

// The real window through a whole read: shown while it runs, hidden after.
void TransferTest::progressWindow() {
    TestEnv ja(1);
    QCOMPARE(frmProgress(ja.s).windowTitle(), QStringLiteral("TZ-C3 ただいま通信中・・・"));
    LinkRig r;
    frmProgress window(r.s);
    QCOMPARE(window.windowTitle(), QStringLiteral("TZ-C3 Communicating,now..."));
    QCOMPARE(window.labelText(), QStringLiteral("Sending data to the controller..."));
    PositionView view;
    view.progress = &window;
    bool shownWhileReading = false;
    QObject::connect(&r.sim, &SimServer::lineReceived,
                     [&] { shownWhileReading = shownWhileReading || window.isVisible(); });
    r.prompter.answers.push_back(PromptAnswer::Yes);
    readFromController(r.s, view);
    QVERIFY(shownWhileReading);
    QVERIFY(!window.isVisible());
    QCOMPARE(window.value(), 15);
}

TZC3_TEST(TransferTest)
#include "test_transfer.moc"
