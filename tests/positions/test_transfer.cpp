#include "link/link_rig.h"
#include "positions/position_transfer.h"
#include "positions_rig.h"
#include "test_registry.h"
#include "test_support.h"

#include <QtTest>

using namespace positions;

namespace {

// The 28 mm device (20000 pulses); the simulator holds what fillValidTable gives.
struct Rig : LinkRig {
    explicit Rig(int language = 2, int stroke = 100) : LinkRig(language) {
        useDevice(s, " 28", "L", stroke);
        for (int n = 1; n <= 15; ++n)
            sim.model().setPosition(n, {1, 1, 0, 2, n * 100});
    }
    void checkAtRest() {
        QVERIFY(!rec.progress.open());
        QVERIFY(!s.controllerBusy());
        QVERIFY(!s.link.isPortOpen());
        QCOMPARE(QList<int>({rec.disabled, rec.enabled}), QList<int>({1, 1}));
        QVERIFY(prompter.unexpected.isEmpty());
    }
    ViewRecorder rec;
};

} // namespace

class TransferTest : public QObject {
    Q_OBJECT
private slots:
    // Rows 5 (VEL 7) and C (beyond maxPulse) are skipped; the options may set the brake digit.
    void writeSendsOneLinePerRow_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<bool>("skipping");
        QTest::addColumn<bool>("overrideBrakeDigit");
        QTest::addColumn<QString>("question");
        QTest::newRow("every row")
            << 2 << false << false << "Data is transmitted to controller,Yes?";
        QTest::newRow("rows skipped, digit from the options")
            << 2 << true << true
            << "Data is transmitted to controller.\r\n\r\nThe following Position data is not "
               "transmitted.\r\n\r\n< Position No.5,C, >\r\n\r\nSending data?";
        QTest::newRow("rows skipped, ja") << 1 << true << false
                                          << "データをコントローラに転送します。\r\n\r\n以下の位置"
                                             "データは転送されません。\r\n\r\n"
                                             "< 位置No.5,C, >\r\n\r\nデータを転送しますか？";
    }
    void writeSendsOneLinePerRow() {
        QFETCH(int, language);
        QFETCH(bool, skipping);
        QFETCH(bool, overrideBrakeDigit);
        QFETCH(QString, question);
        Rig r(language);
        fillValidTable(r.s);
        setRow(r.s, 10, 2, 1, 3, 20000);
        if (skipping) {
            setRow(r.s, 5, 7, 1, 0, 500);
            setRow(r.s, 12, 1, 1, 0, 20001);
        }
        r.s.options.overrideBrakeDigit = overrideBrakeDigit;
        r.s.options.brakeDigit = 0;
        r.prompter.answers.push_back(PromptAnswer::Ok);
        writeToController(r.s, r.rec.view);

        const QString bk = overrideBrakeDigit ? "0" : "2";
        // The controller may have been left in external start mode.
        QStringList sent{"0CM1", "0RD10"};
        for (int n = 1; n <= 15; ++n)
            if (!skipping || (n != 5 && n != 12))
                sent << (n == 10
                             ? "0WPA213" + bk + "004E20"
                             : "0WP" + QString::number(n, 16).toUpper() + "110" + bk +
                                   QString::number(n * 100, 16).toUpper().rightJustified(6, u'0'));
        QCOMPARE(r.sim.log(), sent);
        const bool ja = language == 1;
        QCOMPARE(r.prompter.texts(), (QStringList{question, ja ? "データの転送が終了しました"
                                                               : "Completed data transmit."}));
        QCOMPARE(r.prompter.log[0].buttons, PromptButtons::OkCancel);
        QCOMPARE(r.rec.progress.events,
                 (QStringList{"max 3", ja ? "通信チェック実行中" : "Communication checking", "open",
                              "max 15",
                              ja ? "データをコントローラへ転送しています"
                                 : "Sending Data to the controller...",
                              "close"}));
        QCOMPARE(r.rec.progress.value, 15);
        QVERIFY(r.s.motionDataStale && r.s.presentPositionStale);
        r.checkAtRest();
    }

    // Rows A and C lie beyond the controller's stroke of 20000 pulses.
    void writeStopsBeforeSending_data() {
        QTest::addColumn<int>("stroke"); // of the device
        QTest::addColumn<bool>("alarm");
        QTest::addColumn<QString>("message");
        QTest::newRow("beyond the controller's stroke")
            << 200 << false
            << "Some position data exceed the soft limit in the Parameter(Stroke)\r\n\r\nConfirm "
               "the position data indicated bellow, and try it again.\r\n\r\n< Position No.A,C,>";
        QTest::newRow("controller in alarm") << 100 << true << "";
        QTest::newRow("every row out of range") << 0 << false << "";
    }
    void writeStopsBeforeSending() {
        QFETCH(int, stroke);
        QFETCH(bool, alarm);
        QFETCH(QString, message);
        Rig r(2, stroke);
        fillValidTable(r.s);
        setRow(r.s, 10, 1, 1, 0, 20001);
        setRow(r.s, 12, 1, 1, 0, 30000);
        if (alarm) r.sim.raiseAlarm("0E");
        if (stroke > 0) r.prompter.answers.push_back(PromptAnswer::Ok);
        writeToController(r.s, r.rec.view);

        const QStringList sent = alarm ? QStringList{"0CM1"} : QStringList{"0CM1", "0RD10"};
        QCOMPARE(r.sim.log(), stroke > 0 ? sent : QStringList());
        if (!message.isEmpty()) QCOMPARE(r.prompter.texts().last(), message);
        QVERIFY(!r.s.motionDataStale);
        r.checkAtRest();
    }

    void read_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<bool>("tableHasData");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("texts"); // question, file label, progress caption
        QTest::newRow("empty table, ja")
            << 1 << false << int(PromptAnswer::Yes)
            << QStringList{"コントローラからデータを読み込みますか？", "ｺﾝﾄﾛｰﾗ内ﾃﾞｰﾀ",
                           "コントローラからデータを読み込んでいます。"};
        QTest::newRow("empty table")
            << 2 << false << int(PromptAnswer::Yes)
            << QStringList{"Read the data from controller?", "Inside of C/T",
                           "Reading data from controller..."};
        const QString save = "Save editing data before reading the data?";
        QTest::newRow("data, not saved")
            << 2 << true << int(PromptAnswer::No)
            << QStringList{save, "Inside of C/T", "Reading data from controller..."};
        QTest::newRow("data, cancelled")
            << 2 << true << int(PromptAnswer::Cancel) << QStringList{save};
    }
    void read() {
        QFETCH(int, language);
        QFETCH(bool, tableHasData);
        QFETCH(int, answer);
        QFETCH(QStringList, texts);
        Rig r(language);
        r.sim.model().setPosition(3, {1, 2, 0, 2, 2000}); // answers "0RP312020007D0"
        if (tableHasData) setRow(r.s, 3, 3, 3, 3, 5);
        r.s.positions.setText(3, PositionTable::ColComment, "kept");
        r.s.fileLabel = "mine";
        r.prompter.answers.push_back(PromptAnswer(answer));
        readFromController(r.s, r.rec.view);

        QCOMPARE(r.prompter.texts(), texts.mid(0, 1));
        QStringList row3;
        for (int col = 1; col <= 6; ++col)
            row3 << r.s.positions.text(3, col);
        r.checkAtRest();
        if (texts.size() == 1) {
            QVERIFY(r.sim.log().isEmpty());
            QCOMPARE(row3, (QStringList{"3", "3", "3", "      5", "  0.025", "kept"}));
            QCOMPARE(r.s.fileLabel, "mine");
            return;
        }
        QCOMPARE(row3, (QStringList{"1", "2", "0", "   2000", " 10.000", "kept"}));
        QCOMPARE(r.s.positions.text(15, PositionTable::ColPulse), "   1500");
        QCOMPARE(r.s.fileLabel, texts[1]);
        QStringList sent{"0CM1"};
        for (int n = 1; n <= 15; ++n)
            sent << "0RP" + QString::number(n, 16).toUpper();
        QCOMPARE(r.sim.log(), sent << "0RV");
        QCOMPARE(r.rec.progress.events, (QStringList{"max 16", texts[2], "open", "close"}));
        QCOMPARE(r.rec.progress.value, 15);
    }

    // File or controller differ from the table in one row (or none); neither changes the table.
    void verify_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<bool>("controller"); // else the file
        QTest::addColumn<int>("differingRow");
        QTest::addColumn<QString>("result");
        QTest::newRow("file, only comments differ")
            << 2 << false << 0
            << "Data : indicated and saved into the file(ref.tpd)\r\n\r\nResult of Verification : "
               "OK";
        QTest::newRow("file, row B differs, ja") << 1 << false << 11
                                                 << "照合データ：画面のデータとファイル(ref.tpd)"
                                                    "\r\n\r\n照合結果：ＮＧ\r\n\r\n一致しなかっ"
                                                    "た位置No.\r\n\r\n< 位置No.B>\r\n\r\n";
        QTest::newRow("controller, row 2 differs")
            << 2 << true << 2
            << "Data : indicated and inside of controller\r\n\r\nResult of Verification : "
               "NG.\r\n\r\nUnmatched Position No.\r\n\r\n< Position No.2>\r\n\r\n";
        QTest::newRow("controller, ja")
            << 1 << true << 0
            << "照合データ：画面のデータとコントローラ内のデータ\r\n\r\n照合結果：ＯＫ";
    }
    void verify() {
        QFETCH(int, language);
        QFETCH(bool, controller);
        QFETCH(int, differingRow);
        Rig r(language);
        fillValidTable(r.s);
        if (differingRow) r.sim.model().setPosition(differingRow, {3, 1, 0, 2, differingRow * 100});
        QByteArray file = "\"TZ- 35H-200 \",\"NEW\"\r\n";
        for (int n = 1; n <= 15; ++n)
            file += "\"1\",\"1\",\"0\",\"" + QByteArray::number(n == differingRow ? 1 : n * 100) +
                    "\",\"other\"\r\n";
        QFile f(r.dir.filePath("ref.tpd"));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(file + QByteArray(15, ',') + "\r\n") > 0);
        f.close();
        r.prompter.choices.push_back(controller ? 1 : 0);
        if (!controller) r.prompter.files.push_back(f.fileName());
        verifyPositions(r.s, r.rec.view);

        const PromptRecord &ask = r.prompter.log[0];
        const bool ja = language == 1;
        QCOMPARE(ask.dialogTitle, ja ? "データ照合の選択" : "Select TZ data to reference");
        QCOMPARE(ask.choices,
                 ja ? (QStringList{"ファイルと照合", "コントローラと照合", "キャンセル"})
                    : (QStringList{"TZ data file", "Inside of C/T", "Cancel"}));
        if (!ja) QCOMPARE(ask.text, "Please select TZ data to reference.");
        QCOMPARE(r.sim.log().size(), controller ? 17 : 0);
        if (controller) QCOMPARE(r.sim.log().first(), "0CM1");
        QTEST(r.prompter.log.last().text, "result");
        QCOMPARE(r.prompter.log.last().icon, PromptIcon::None);
        QCOMPARE(r.s.positions.text(1, PositionTable::ColComment), QString());
        QCOMPARE(r.s.device.size, " 28");
        r.checkAtRest();
    }
};

TZC3_TEST(TransferTest)
#include "test_transfer.moc"
