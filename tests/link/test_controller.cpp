#include "link_rig.h"
#include "operation/controller_mode.h"
#include "operation/status.h"
#include "test_registry.h"

#include <QElapsedTimer>

namespace {
const QString kShowMissing =
    QStringLiteral("No Error list file!\r\n"
                   "To indicate error contents,install Error list in same folder as program file.");
} // namespace

class ControllerTest : public QObject {
    Q_OBJECT
private slots:
    void errorListLoads_data();
    void errorListLoads();
    void tooLongErrorListMeansNoList();
    void errorReset();
    void homeState();
    void versionMenu();
    void versionReadDuringAlarmClearsIt();
    void communicationModeWaitsOneSecond();
    void declinedQuestionsSendNothing();
    void modeMenus();
    void externalStartModeFailure();
    void resetWritesWithoutWaiting();
};

void ControllerTest::errorListLoads_data() {
    QTest::addColumn<int>("entries"); // 0: the shipped list
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("comment");
    QTest::newRow("shipped, english") << 0 << 2 << "Emergency stop"; // entry "72"
    QTest::newRow("shipped, japanese") << 0 << 1 << "非常停止";
    QTest::newRow("40 entries, first match") << 40 << 1 << "first, with a comma";
}

void ControllerTest::errorListLoads() {
    QFETCH(int, entries);
    QFETCH(int, language);
    QFETCH(QString, comment);
    LinkRig r(language);
    QTemporaryDir lists;
    if (entries) {
        QFile f(lists.filePath(QStringLiteral("error.lst")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("40\r\n\"E\",\"first, with a comma\"\r\n\"0E\",\"second\"\r\n");
        for (int i = 3; i <= entries; ++i)
            f.write("\"" + QByteArray::number(i + 32, 16) + "\",x\r\n");
        f.close();
        r.s.programFolder = lists.path();
        loadErrorList(r.s);
    }
    QVERIFY(r.prompter.log.isEmpty());
    QCOMPARE(r.s.link.errorList.entries().size(), entries ? entries : 32);
    showControllerError(r.s, QStringLiteral("0%%0E\r\n"));
    QCOMPARE(r.s.indicators.errorComment, comment);
}

void ControllerTest::tooLongErrorListMeansNoList() {
    LinkRig r;
    QTemporaryDir lists;
    QFile f(lists.filePath(QStringLiteral("error.lst")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("41\r\n" + QByteArray("\"01\",\"x\"\r\n").repeated(41));
    f.close();
    r.s.programFolder = lists.path();
    r.s.link.errorList = ErrorList();
    loadErrorList(r.s);
    QCOMPARE(r.prompter.texts(),
             QStringList{"No file of Error list!\r\nTo display error contents,install Error list "
                         "in same folder as program file."});

    // Said once as the reply arrives and once by the report; labels untouched.
    r.prompter.clear();
    r.sim.raiseAlarm(QStringLiteral("0E"));
    QCOMPARE(r.s.link.transact(QStringLiteral("0RV"), QString(), 8), 1);
    QCOMPARE(r.prompter.texts(),
             (QStringList{kShowMissing, kShowMissing,
                          "Communication error occurs!\r\n\r\n[No contents for this Error No.]"}));
    QVERIFY(!r.s.indicators.alarmLamp);
}

void ControllerTest::errorReset() {
    LinkRig r;
    r.sim.raiseAlarm(QStringLiteral("05"));
    QCOMPARE(r.s.link.transact(QStringLiteral("0RS"), QString(), 7), 1);
    r.sim.clearLog();
    r.prompter.clear();
    QCOMPARE(::errorReset(r.s), 0);
    QCOMPARE(r.sim.log(), (QStringList{"0%C", "0CM1"}));
    QVERIFY(r.prompter.log.isEmpty());
    QVERIFY(!r.s.indicators.alarmLamp && !r.s.controllerBusy);

    r.sim.garbleNext();
    QCOMPARE(::errorReset(r.s), 1);
    QCOMPARE(r.prompter.texts(), QStringList{msg::dataLength}); // the only message
    QVERIFY(!r.s.controllerBusy && !r.s.link.isPortOpen());
}

void ControllerTest::homeState() {
    for (bool homed : {true, false}) {
        LinkRig r;
        r.sim.model().setHomed(homed);
        r.s.indicators.homeLamp = !homed;
        QCOMPARE(readHomeState(r.s), homed ? 1 : 0);
        QCOMPARE(r.sim.log(), QStringList{"0RB138"});
        QCOMPARE(r.s.indicators.homeLamp, homed);
        QCOMPARE(r.s.indicators.homeEstablished, homed);
        QVERIFY(!r.s.link.isPortOpen());
        r.sim.garbleNext();
        QCOMPARE(readHomeState(r.s), -1);
        QCOMPARE(r.s.indicators.homeLamp, homed); // a failed read leaves the lamp
    }
}

void ControllerTest::versionMenu() {
    LinkRig r;
    r.sim.model().setVersion("2.1");
    showControllerVersion(r.s, r.bracket());
    QCOMPARE(r.sim.log(), (QStringList{"0CM1", "0RV"}));
    QCOMPARE(r.prompter.texts(), QStringList{"Version of the controller is 2.1."});
    QCOMPARE(r.s.indicators.versionPanel, QStringLiteral("The version of this C/T is 2.1"));
    QVERIFY(r.disabled == 1 && r.enabled == 1 && !r.s.controllerBusy && !r.s.link.isPortOpen());

    QObject::connect(&r.sim, &SimServer::lineReceived, [&](const QString &line) {
        if (line == QLatin1String("0RV")) r.sim.shortenNext();
    });
    r.prompter.clear();
    showControllerVersion(r.s, r.bracket());
    QCOMPARE(r.prompter.texts(),
             (QStringList{msg::dataLength, "Failed to get version information of controller."}));
    QCOMPARE(r.s.indicators.versionPanel, QStringLiteral("No version information"));
    QVERIFY(r.disabled == 2 && r.enabled == 2 && !r.s.controllerBusy);
}

void ControllerTest::versionReadDuringAlarmClearsIt() {
    LinkRig r;
    r.sim.raiseAlarm(QStringLiteral("05"));
    QCOMPARE(GetVersionNo(r.s), 1);
    QCOMPARE(r.sim.log(), (QStringList{"0RV", "0%C"}));
    QCOMPARE(r.s.indicators.versionPanel, QStringLiteral("No version information"));
    QVERIFY(r.prompter.texts().value(0).contains(QLatin1String("Error No.05")));
    QVERIFY(r.sim.model().alarm().isEmpty());
    QVERIFY(!r.s.link.isPortOpen());
}

void ControllerTest::communicationModeWaitsOneSecond() {
    LinkRig r;
    r.sim.setSilent(true);
    QElapsedTimer t;
    t.start();
    QCOMPARE(setCommunicationMode(r.s), 1);
    QVERIFY2(t.elapsed() >= 1000 && t.elapsed() < 2500, qPrintable(QString::number(t.elapsed())));
}

void ControllerTest::declinedQuestionsSendNothing() {
    LinkRig r;
    r.prompter.answers = {PromptAnswer::No, PromptAnswer::No, PromptAnswer::Cancel};
    externalStartMode(r.s, r.bracket());
    communicationMode(r.s, r.bracket());
    QCOMPARE(resetController(r.s), 1);
    QVERIFY(r.sim.log().isEmpty() && r.lampChanges.isEmpty());
    QCOMPARE(r.prompter.texts(), (QStringList{"Change to [External start mode].\r\n\r\nIs it OK?",
                                              "Change to [Communication mode].\r\n\r\nIs it OK?",
                                              "Reset controller. Is it OK?"}));
    QCOMPARE(r.prompter.log[0].buttons, PromptButtons::YesNo);
    QCOMPARE(r.prompter.log[2].buttons, PromptButtons::OkCancel);
    QVERIFY(r.disabled == 2 && r.enabled == 2 && !r.s.controllerBusy);
}

void ControllerTest::modeMenus() {
    LinkRig r;
    r.prompter.answers = {PromptAnswer::Yes, PromptAnswer::Yes};
    bool busyDuringExchange = false;
    QObject::connect(&r.sim, &SimServer::lineReceived,
                     [&](const QString &) { busyDuringExchange = r.s.controllerBusy; });
    externalStartMode(r.s, r.bracket());
    QCOMPARE(r.sim.log(), (QStringList{"0CM1", "0CM0"}));
    QVERIFY(!r.sim.model().communicationMode());
    communicationMode(r.s, r.bracket());
    QVERIFY(r.sim.model().communicationMode());
    QCOMPARE(r.prompter.texts().value(1), QStringLiteral("Chaged to [External start mode]."));
    QCOMPARE(r.prompter.texts().value(3), QStringLiteral("Changed [Communication mode]."));
    QVERIFY(busyDuringExchange && !r.s.controllerBusy);
    QCOMPARE(r.lampChanges, (QList<bool>{true, false, true, false}));
}

void ControllerTest::externalStartModeFailure() {
    LinkRig r;
    r.prompter.answers = {PromptAnswer::Yes};
    QObject::connect(&r.sim, &SimServer::lineReceived, [&](const QString &line) {
        if (line == QLatin1String("0CM0") && r.sim.log().size() == 2) r.sim.garbleNext();
    });
    externalStartMode(r.s, r.bracket());
    QCOMPARE(r.prompter.texts().mid(1),
             (QStringList{msg::dataLength,
                          "Communication error occurs!\r\n\r\nIf not activated when reset switch "
                          "on,Turn off the power once and turn on again."}));
    QVERIFY(r.enabled == 1 && !r.s.controllerBusy);
}

void ControllerTest::resetWritesWithoutWaiting() {
    LinkRig r;
    r.s.indicators.out1 = r.s.indicators.out2 = true;
    r.sim.model().setHomed(true);
    r.prompter.answers = {PromptAnswer::Ok};
    QElapsedTimer t;
    t.start();
    QCOMPARE(resetController(r.s), 0);
    QVERIFY2(t.elapsed() < 500, qPrintable(QString::number(t.elapsed())));
    QVERIFY(!r.s.indicators.out1 && !r.s.indicators.out2);
    QTRY_COMPARE(r.sim.log(), (QStringList{"0CM1", "0CM3"}));
    QVERIFY(!r.sim.model().homed()); // it reached the controller before the port closed
}

TZC3_TEST(ControllerTest)
#include "test_controller.moc"
