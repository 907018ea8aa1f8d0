#include "link/link_rig.h"
#include "parameters/parameter_codec.h"
#include "parameters/parameter_transfer.h"
#include "parameters_rig.h"
#include "test_registry.h"
#include "test_support.h"

#include <QtTest>

using namespace params;

namespace {

// Every stored position within 100 pulses, so any stroke passes the check.
void smallPositions(SimServer &sim) {
    for (int n = 1; n <= 15; ++n)
        sim.model().setPosition(n, {1, 1, 0, 2, 100});
}

void checkAtRest(LinkRig &r, const EditorStandIn &e) {
    QVERIFY(!e.progress.open());
    QVERIFY(!r.s.link.isPortOpen());
    QVERIFY(r.prompter.unexpected.isEmpty());
}

QString controllerResult(const QString &diffs) {
    return "Parameters : indicated and inside of controller\r\n\r\nResult of Verification : " +
           (diffs.isEmpty() ? "OK" : "NG.\r\n\r\n<Unmatched Parameter No.>\r\n" + diffs);
}

} // namespace

class ParameterTransferTest : public QObject {
    Q_OBJECT
private slots:
    void writeReadVerify() {
        LinkRig r;
        smallPositions(r.sim);
        EditorStandIn e;
        e.f[ParameterFields::F4Out] = "3";
        e.f[ParameterFields::F4Bk] = "2";
        e.f[ParameterFields::F3] = "200";
        e.f[ParameterFields::F2] = "300";
        // Position 5 beyond the stroke: No stops before anything is written.
        r.sim.model().setPosition(5, {1, 1, 0, 2, 20000});
        r.prompter.answers = {PromptAnswer::Yes, PromptAnswer::No};
        writeParametersCommand(r.s, e.v);
        QCOMPARE(
            r.prompter.texts().value(1),
            "Value of the position data exceeds the stroke.\r\n\r\n< Position No.5,>\r\n\r\nIt "
            "becomes an error unless the data is changed. Correct data.\r\n\r\nContinue "
            "writing parameters?");
        QVERIFY(r.sim.log().filter("0WD").isEmpty());
        QVERIFY(!r.s.motionDataStale);
        checkAtRest(r, e);

        smallPositions(r.sim);
        r.prompter.clear();
        r.prompter.answers = {PromptAnswer::Yes, PromptAnswer::Ok}; // send, reset
        writeParametersCommand(r.s, e.v);
        QCOMPARE(r.prompter.texts(),
                 (QStringList{"Send parameters to controller?", "Reset controller. Is it OK?"}));
        QCOMPARE(r.sim.log().filter(QRegularExpression("^0(WD|CM3)")),
                 (QStringList{"0WD00FF32C8012CFFFFFF", "0WD10002EE002020202FF",
                              "0WD11285078050501FFFF", "0CM3"}));
        // New parameters do not move the actuator: its position stays known.
        QVERIFY(r.s.motionDataStale && !r.s.presentPositionStale);
        QVERIFY(e.progress.events.contains("Checking data,now..."));
        QVERIFY(e.progress.events.contains("Sending Data to the controller..."));
        checkAtRest(r, e);

        // The controller restarted after "0CM3"; it keeps what it was written.
        EditorStandIn back(ParameterFields{});
        back.f.homing = 1;
        r.prompter.clear();
        readParametersCommand(r.s, back.v);
        QCOMPARE(back.caption, "Inside of C/T");
        for (int i = ParameterFields::F1; i <= ParameterFields::F9; ++i)
            QCOMPARE(back.f[i], e.f[i]);
        QCOMPARE(back.f.homing, 0);
        QCOMPARE(r.s.parameters.homeOffset, 300);
        checkAtRest(r, back);

        verifyParametersAgainstController(r.s, e.v);
        e.f[ParameterFields::F7] = "11";
        verifyParametersAgainstController(r.s, e.v);
        QCOMPARE(r.prompter.texts(), (QStringList{controllerResult(""), controllerResult("7,")}));
        checkAtRest(r, e);
    }

    // VEL1 0x2A = 10.5 quarter steps, homing byte "00" = sensor; then a silent controller.
    void readDecodesControllerBytes() {
        LinkRig r;
        QVERIFY(r.sim.model().setBlock("11", "2A5078050500FFFF"));
        EditorStandIn e;
        readParametersCommand(r.s, e.v);
        QCOMPARE(e.f[ParameterFields::F7], "10");
        QCOMPARE(e.f.homing, 1);
        QCOMPARE(r.sim.log().filter("0RD"), (QStringList{"0RD00", "0RD10", "0RD11"}));
        ParameterSlots garbled; // a digit that is not one ends the number, as in every reply
        decodeParameterBlock(QStringLiteral("10"), QStringLiteral("0012G402050505FF"), garbled,
                             true);
        QCOMPARE(garbled.number(1), 18.0);
        QVERIFY(e.progress.events.contains("Reading parameters from the controller."));
        checkAtRest(r, e);

        r.sim.setSilent(true);
        r.prompter.clear();
        r.s.link.replyTimeoutMs = 100;
        verifyParametersAgainstController(r.s, e.v);
        QCOMPARE(r.prompter.texts().last(),
                 "An error occured while reading Parameter from Controller.");
        checkAtRest(r, e);
    }

    // The controller holds 5 for parameters 11 to 13.
    void detailsOptionDecidesParameters11To13_data() {
        QTest::addColumn<bool>("details");
        QTest::addColumn<bool>("useDefault");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("shown11");
        QTest::newRow("details shown, own values") << true << false << QString("11,12,13,") << "5";
        QTest::newRow("details shown, default box") << true << true << QString() << "2";
        QTest::newRow("details hidden") << false << false << QString() << "2";
    }
    void detailsOptionDecidesParameters11To13() {
        QFETCH(bool, details);
        QFETCH(bool, useDefault);
        QFETCH(QString, result);
        LinkRig r;
        QVERIFY(r.sim.model().setBlock("10", "004E2002050505FF"));
        EditorStandIn e(exampleFields(details));
        e.f.useDefault = useDefault;
        e.f[ParameterFields::F1] = "20000";
        verifyParametersAgainstController(r.s, e.v);
        QCOMPARE(r.prompter.texts(), QStringList{controllerResult(result)});
        readParametersCommand(r.s, e.v);
        QTEST(e.f[ParameterFields::F11], "shown11");
    }

    void preChecksStopBeforeAnything_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QStringList>("changes"); // field index=text
        QTest::addColumn<QString>("message");
        QTest::newRow("empty field")
            << 2 << QStringList{"5="}
            << "No data in some of parameters.\r\n\r\nFill the data in and try it again.";
        QTest::newRow("out of range")
            << 2 << QStringList{"3=3", "7=61", "9=0"}
            << "Invalid volue for parameter No.7,9,.\r\n\r\nComfirm data value and try it again.";
        QTest::newRow("out of range, Japanese")
            << 1 << QStringList{"0=16777216"}
            << "パラメータの1,の数値が正しくありません。\r\n\r\n値を確認後もう一度行って下さい。";
    }
    void preChecksStopBeforeAnything() {
        QFETCH(int, language);
        QFETCH(QStringList, changes);
        QFETCH(QString, message);
        LinkRig r(language);
        EditorStandIn e;
        for (const QString &c : changes)
            e.f[c.section('=', 0, 0).toInt()] = c.section('=', 1);
        r.prompter.answers = {PromptAnswer::Yes};
        for (auto proc : {saveParameterFileCommand, verifyParametersAgainstFile,
                          verifyParametersAgainstController, writeParametersCommand}) {
            r.prompter.clear();
            proc(r.s, e.v);
            QCOMPARE(r.prompter.texts().last(), message);
            QVERIFY(r.prompter.unexpected.isEmpty());
        }
        QVERIFY(r.sim.log().isEmpty());
        QCOMPARE(r.s.parameters, ParameterSet{});
    }

    // OUT and BK share one two-digit decimal field of block "00": 10 or more
    // would go as "X" or as another pair of digits. Only the write refuses;
    // a file or a verification may hold such a value.
    void valuesTheBlocksCannotCarryAreNeverSent_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("bk");
        QTest::addColumn<QString>("message"); // empty: written
        const QString tail = ".\r\n\r\nComfirm data value and try it again.";
        QTest::newRow("OUT 10") << 2 << "10"
                                << "0"
                                << "Invalid volue for parameter No.4-OUT," + tail;
        QTest::newRow("BK 12, ja") << 1 << "0"
                                   << "12"
                                   << "パラメータの4-BK,の数値が正しくありません。\r\n\r\n"
                                      "値を確認後もう一度行って下さい。";
        QTest::newRow("both") << 2 << "255"
                              << "10"
                              << "Invalid volue for parameter No.4-OUT,4-BK," + tail;
        QTest::newRow("9 and 9 fit") << 2 << "9"
                                     << "9"
                                     << "";
    }
    void valuesTheBlocksCannotCarryAreNeverSent() {
        QFETCH(int, language);
        QFETCH(QString, out);
        QFETCH(QString, bk);
        QFETCH(QString, message);
        LinkRig r(language);
        smallPositions(r.sim);
        EditorStandIn e;
        e.f[ParameterFields::F4Out] = out;
        e.f[ParameterFields::F4Bk] = bk;
        r.prompter.answers = {PromptAnswer::Yes, PromptAnswer::Cancel}; // send; no reset
        writeParametersCommand(r.s, e.v);
        if (message.isEmpty()) {
            QCOMPARE(r.sim.log().filter("0WD00").value(0), "0WD00FF99140000FFFFFF");
        } else {
            QCOMPARE(r.prompter.texts().last(), message);
            QVERIFY(r.sim.log().isEmpty());
        }
        checkAtRest(r, e);
    }

    void saveAndOpenFiles() {
        TestEnv env;
        EditorStandIn e;
        const QString path = env.dir.filePath("Parameta.pmt");
        env.prompter.files = {path};
        saveParameterFileCommand(env.s, e.v);
        const auto saved = [&] {
            QFile f(path);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };
        const QByteArray line = "\"Parameta.pmt\",12000,0,20,0,0,5,5,10,20,30,0,2,2,2,2,0\r\n";
        QCOMPARE(saved(), line);
        QCOMPARE(e.caption, "Parameta");
        QCOMPARE(env.prompter.log.first().file.initialName, "Parameta.pmt");
        // A full disk: said like a failed position file save; the file and caption stay.
        env.prompter.clear();
        env.prompter.files = {path};
        e.caption.clear();
        withFileSizeLimit(16, [&] { saveParameterFileCommand(env.s, e.v); });
        QCOMPARE(env.prompter.texts().size(), 1);
        const QString said = env.prompter.texts().first();
        QVERIFY(
            said.startsWith("The parameter file could not be saved.\r\n\r\n" + path + "\r\n\r\n"));
        QVERIFY(said.endsWith(
            "\r\n\r\nNothing was written; an earlier file of that name is unchanged."));
        QCOMPARE(env.prompter.log.last().icon, PromptIcon::Exclamation);
        QCOMPARE(saved(), line);
        QCOMPARE(e.caption, QString());

        const QString broken = "An error occured while opening Parameter file.";
        const std::tuple<const char *, const char *, QString, int> cases[] = {
            // name, bytes, message, homing
            {"rp.pmt", "\"rp.pmt\",12000,0,20,0,0,5,5,10,20,30,0,2,2,2,2\r\n",
             "The data is RP parameter.\r\nTo use the data for TZ,fill the Vertical setting and "
             "save as TZ parameter.",
             0},
            {"tz.pmt", "\"tz.pmt\",9000,0,20,0,0,5,5,10,20,30,0,2,2,2,2,1\r\n", "", 1},
            {"long.pmt", "\"long.pmt\",1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21\r\n",
             broken, 1},
            {"text.pmt", "\"text.pmt\",12000,zero\r\n", broken, 1},
            {"quoted.pmt", "\"quoted.pmt\",12000,\"zero\"\r\n", broken, 1},
            // The comma promises a 16th value, so this is no RP file.
            {"comma.pmt", "\"comma.pmt\",12000,0,20,0,0,5,5,10,20,30,0,2,2,2,2,\r\n", "", 0},
            {"tz.pmt", "\"tz.pmt\",\"9000\",0,20,0,0,5,5,10,20,30,0,2,2,2,2,&H1\r\n", "", 1},
        };
        for (const auto &[name, bytes, message, homing] : cases) {
            env.writeFile(name, bytes);
            env.prompter.clear();
            e.f = ParameterFields{};
            e.f.homing = 1;
            env.prompter.files = {env.dir.filePath(name)};
            openParameterFileCommand(env.s, e.v);
            QCOMPARE(env.prompter.texts(),
                     message.isEmpty() ? QStringList{} : QStringList{message});
            QCOMPARE(e.f.homing, homing);
            QVERIFY(env.prompter.unexpected.isEmpty());
        }
        QCOMPARE(e.caption, "tz");
        QCOMPARE(env.s.parameters.strokeLength, 9000);

        // An editor holding data offers to save it first; Cancel ends there.
        env.prompter.clear();
        env.prompter.answers = {PromptAnswer::Cancel};
        openParameterFileCommand(env.s, EditorStandIn().v);
        QCOMPARE(env.prompter.texts(), QStringList{"Save the parameter into the file?"});
        QCOMPARE(env.prompter.log.size(), 1);
    }

    // An RP file holds no homing method, so a wrong option cannot show.
    void verifyAgainstFile() {
        TestEnv env;
        env.writeFile("same.pmt", "\"same.pmt\",12000,0,20,0,0,5,5,10,20,30,0,2,2,2,2,0\r\n");
        env.writeFile("rp.pmt", "\"rp.pmt\",12000,0,20,0,0,5,5,11,20,30,0,2,9,9,9\r\n");
        EditorStandIn e;
        env.prompter.files = {env.dir.filePath("same.pmt"), env.dir.filePath("rp.pmt")};
        env.prompter.answers = {PromptAnswer::Ok};
        verifyParametersAgainstFile(env.s, e.v);
        e.f.homing = 1;
        verifyParametersAgainstFile(env.s, e.v);
        const QString t = "Parameters : indicated and saved into the file";
        QCOMPARE(env.prompter.texts(),
                 (QStringList{t + "(same.pmt)\r\n\r\nResult of Verification : OK",
                              "The data is RP parameter.\r\n\r\nThere is not value in setting of "
                              "<10.Vertical>.Verify of Vertical setting will skip.\r\n\r\n"
                              "Are you continue? ",
                              t + "\r\n\r\nResult of Verification : NG.\r\n\r\n"
                                  "<Unmatched Parameter No.>\r\n7,"}));
        QCOMPARE(e.caption, QString()); // a verification names no source
    }
};

TZC3_TEST(ParameterTransferTest)
#include "test_parameter_transfer.moc"
