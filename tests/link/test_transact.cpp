#include "link_rig.h"
#include "test_registry.h"

#include <QElapsedTimer>

namespace {
const QString kReport = QStringLiteral("Communication error occurs!\r\n\r\n");
const QString kEmergencyAdvice =
    QStringLiteral("Please push [reset] button or turn OFF a power supply at once, after "
                   "canceling an emergency stop.");
} // namespace

class TransactTest : public QObject {
    Q_OBJECT
private slots:
    void commandLines_data();
    void commandLines();
    void malformedReplyRunsProbe_data();
    void malformedReplyRunsProbe();
    void errorReplyReport_data();
    void errorReplyReport();
    void silenceTimesOut();
    void slowAndSplitReplies();
    void droppedPortEndsWaitAtOnce();
    void motionWatchWrapsAtMidnight();
    void portOpensOnDemand();
};

void TransactTest::commandLines_data() {
    QTest::addColumn<QString>("head");
    QTest::addColumn<QString>("data");
    QTest::addColumn<int>("length");
    QTest::newRow("read block") << "0RD"
                                << "10" << 23;
    QTest::newRow("write block") << "0WD"
                                 << "11283C50000000FFFF" << 23;
    QTest::newRow("read position") << "0RP"
                                   << "1" << 16;
    QTest::newRow("write position") << "0WP"
                                    << "F31300003E8" << 16;
    QTest::newRow("homing") << "0MP"
                            << "0" << 16;
    QTest::newRow("present position") << "0RC"
                                      << "" << 16;
    QTest::newRow("home state") << "0RB"
                                << "138" << 10;
    QTest::newRow("read outputs") << "0RS"
                                  << "" << 7;
    QTest::newRow("write outputs") << "0WS"
                                   << "21" << 7;
    QTest::newRow("clear error") << "0%C"
                                 << "" << 7;
    QTest::newRow("version") << "0RV"
                             << "" << 8;
    QTest::newRow("communication mode") << "0CM"
                                        << "1" << 6;
    QTest::newRow("external start mode") << "0CM"
                                         << "0" << 6;
}

void TransactTest::commandLines() {
    QFETCH(QString, head);
    QFETCH(QString, data);
    QFETCH(int, length);
    LinkRig r;
    r.sim.setMoveTimeScale(0.01);
    Link &link = r.s.link;
    link.replyTimeoutMs = 5000;
    link.motionTimeLimit = 10;
    const int status = head == QLatin1String("0MP") ? link.transactMotion(head, data, length)
                                                    : link.transact(head, data, length);
    QCOMPARE(status, 0);
    QCOMPARE(r.sim.log(), QStringList{head + data});
    QCOMPARE(link.lastReply.size(), length);
    QVERIFY(link.lastReply.startsWith(head) && link.lastReply.endsWith(QLatin1String("\r\n")));
    QVERIFY(r.prompter.log.isEmpty());
    if (head == QLatin1String("0RV")) QCOMPARE(link.lastReply, QStringLiteral("0RV1.2\r\n"));
}

void TransactTest::malformedReplyRunsProbe_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("keepPort");
    QTest::newRow("short") << "short" << false;
    QTest::newRow("long") << "long" << false;
    QTest::newRow("garbled head") << "garble" << true;
}

void TransactTest::malformedReplyRunsProbe() {
    QFETCH(QString, fault);
    QFETCH(bool, keepPort);
    LinkRig r;
    r.s.portOccupy = keepPort;
    r.sim.command(fault);
    QCOMPARE(r.s.link.transact(QStringLiteral("0RV"), QString(), 8), 1);
    QCOMPARE(r.sim.log(), (QStringList{"0RV", "0CM0"}));
    QCOMPARE(r.prompter.texts(), QStringList{msg::dataLength});
    QCOMPARE(r.prompter.log.first().icon, PromptIcon::None);
    QCOMPARE(r.s.link.isPortOpen(), keepPort);
    QCOMPARE(r.s.link.transact(QStringLiteral("0RV"), QString(), 8), 0);
}

void TransactTest::errorReplyReport_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("toProbe");
    QTest::addColumn<QString>("comment");
    QTest::addColumn<QString>("text");
    QTest::newRow("emergency stop")
        << 2 << "0E" << false << "Emergency stop"
        << kReport + "Error No.0E\r\n\r\n[Emergency stop]\r\n\r\n" + kEmergencyAdvice;
    QTest::newRow("other code") << 2 << "05" << false << "Overload detected"
                                << kReport + "Error No.05\r\n\r\n[Overload detected]\r\n\r\n"
                                             "In order to reset an error, please turn OFF a "
                                             "power supply at once.";
    QTest::newRow("not listed") << 2 << "3F" << false << "No contents for this Error No."
                                << kReport + "[No contents for this Error No.]";
    QTest::newRow("answer to probe")
        << 2 << "0E" << true << "Emergency stop"
        << kReport + "Error No.0E\r\n\r\n[Emergency stop]\r\n\r\n" + kEmergencyAdvice;
    QTest::newRow("japanese")
        << 1 << "0E" << false << "非常停止"
        << "エラーが発生しました！\r\n\r\nError No.0E\r\n\r\n[非常停止]\r\n\r\n"
           "非常停止を解除後に、[リセット]ボタンを押すか、一度電源をOFFに"
           "して下さい。";
}

void TransactTest::errorReplyReport() {
    QFETCH(int, language);
    QFETCH(QString, code);
    QFETCH(bool, toProbe);
    QFETCH(QString, comment);
    QFETCH(QString, text);
    LinkRig r(language);
    StatusIndicators &ind = r.s.indicators;
    ind.homeLamp = ind.out1 = ind.out2 = true;
    r.sim.raiseAlarm(code);
    if (toProbe) r.sim.garbleNext();
    QSignalSpy redraws(&r.s.link, &Link::indicatorsChanged);

    QCOMPARE(r.s.link.transact(QStringLiteral("0RS"), QString(), 7), 1);
    QCOMPARE(r.prompter.texts(), QStringList{text});
    QCOMPARE(r.prompter.log.first().icon, toProbe ? PromptIcon::None : PromptIcon::Exclamation);
    QCOMPARE(r.sim.log().size(), toProbe ? 2 : 1);
    QVERIFY(ind.alarmLamp && !ind.homeLamp && !ind.out1 && !ind.out2);
    QCOMPARE(ind.alarmNo, code);
    QCOMPARE(ind.errorComment, comment);
    QVERIFY(!redraws.isEmpty());

    // Shown until an exchange succeeds.
    r.sim.model().clearAlarm();
    QCOMPARE(r.s.link.transact(QStringLiteral("0RS"), QString(), 7), 0);
    QVERIFY(!ind.alarmLamp && ind.alarmNo.isEmpty());
    QCOMPARE(ind.errorComment, QStringLiteral("No Error"));
}

void TransactTest::silenceTimesOut() {
    LinkRig r;
    r.sim.setSilent(true);
    QElapsedTimer t;
    t.start();
    QCOMPARE(r.s.link.transact(QStringLiteral("0RC"), QString(), 16), 1);
    QVERIFY2(t.elapsed() >= 5000 && t.elapsed() < 7000, qPrintable(QString::number(t.elapsed())));
    QCOMPARE(r.prompter.texts(), QStringList{msg::timeOut});
    QCOMPARE(r.sim.log(), QStringList{"0RC"}); // never repeated, no probe
    QCOMPARE(r.lampChanges, (QList<bool>{true, false}));
    r.sim.setSilent(false);
    QCOMPARE(r.s.link.transact(QStringLiteral("0RC"), QString(), 16), 0);
}

void TransactTest::slowAndSplitReplies() {
    LinkRig r;
    r.sim.setReplyDelay(1500);
    r.s.link.replyTimeoutMs = 0;
    QCOMPARE(r.s.link.transact(QStringLiteral("0RV"), QString(), 8), 0);

    r.sim.setReplyDelay(0);
    r.sim.splitNext(8);
    QCOMPARE(r.s.link.transact(QStringLiteral("0RD"), QStringLiteral("10"), 23), 0);
    QVERIFY(r.s.link.receiveBuffer.isEmpty());
    QVERIFY(r.prompter.log.isEmpty());
}

void TransactTest::droppedPortEndsWaitAtOnce() {
    LinkRig r;
    r.s.portOccupy = true; // a dead port is closed all the same
    r.sim.setSilent(true);
    QTimer::singleShot(100, &r.sim, [&] { r.sim.dropPort(); });
    QElapsedTimer t;
    t.start();
    QCOMPARE(r.s.link.transact(QStringLiteral("0RV"), QString(), 8), 1);
    QVERIFY2(t.elapsed() < 2000, qPrintable(QString::number(t.elapsed())));
    QCOMPARE(r.prompter.texts(), QStringList{msg::timeOut});
    QVERIFY(!r.s.link.isPortOpen() && !r.s.indicators.portOpen);

    // Plugged in again: the next operation opens it afresh.
    r.sim.setSilent(false);
    r.startSim();
    QCOMPARE(r.s.link.transact(QStringLiteral("0RV"), QString(), 8), 0);
}

void TransactTest::motionWatchWrapsAtMidnight() {
    LinkRig r;
    r.s.portOccupy = true; // a motion time-out closes the port regardless
    double clock = 86398;
    double clockAtTimeOut = -1;
    r.s.link.secondsSinceMidnight = [&] { return clock; };
    r.prompter.onPrompt = [&](const PromptRecord &) { clockAtTimeOut = clock; };
    // 4.9 s elapsed at 3.9 (5.9 s if the day were counted as 86400 s).
    QTimer::singleShot(250, &r.sim, [&] { clock = 3.9; });
    QTimer::singleShot(600, &r.sim, [&] { clock = 4.0; });
    r.sim.neverFinishNextMove();
    r.s.link.replyTimeoutMs = 0;
    r.s.link.motionTimeLimit = 5;
    QCOMPARE(r.s.link.transactMotion(QStringLiteral("0MP"), QStringLiteral("0"), 16), 1);
    QCOMPARE(clockAtTimeOut, 4.0);
    QCOMPARE(r.prompter.texts(), QStringList{msg::timeOut});
    QVERIFY(!r.s.link.isPortOpen());
    QCOMPARE(r.sim.log(), QStringList{"0MP0"});

    r.sim.setMoveTimeScale(0.01);
    QCOMPARE(r.s.link.transactMotion(QStringLiteral("0MP"), QStringLiteral("0"), 16), 0);
}

void TransactTest::portOpensOnDemand() {
    LinkRig r;
    // A damaged port number is replaced by the stored one.
    r.s.settings.write(QStringLiteral("PortNo"), QStringLiteral("2"));
    qputenv("TZC3_COM2", r.sim.devicePath().toLocal8Bit());
    r.s.portNumber = 12;
    r.s.portOccupy = true;
    QCOMPARE(r.s.link.openPort(), 0);
    QCOMPARE(r.s.portNumber, qint16(2));
    r.s.link.closePortUnlessKept();
    QVERIFY(r.s.link.isPortOpen());
    r.s.link.changePortNumber(3);
    QVERIFY(!r.s.link.isPortOpen());
    qunsetenv("TZC3_COM2");

    qputenv("TZC3_COM3", QByteArray("/nonexistent/tty"));
    QCOMPARE(r.s.link.transact(QStringLiteral("0RV"), QString(), 8), 1);
    QVERIFY(r.prompter.log.isEmpty()); // a missing port fails quietly
    QCOMPARE(r.lampChanges, (QList<bool>{true, false}));
    qunsetenv("TZC3_COM3");

    QCOMPARE(portmap::orderDevices({"/dev/ttyS1", "/dev/ttyUSB10", "/dev/ttyACM0", "/dev/ttyUSB2",
                                    "/dev/ttyS0", "/dev/tty.usb", "/dev/cu.usb"}),
             (QStringList{"/dev/ttyUSB2", "/dev/ttyUSB10", "/dev/ttyACM0", "/dev/ttyS0",
                          "/dev/ttyS1", "/dev/cu.usb"}));
}

TZC3_TEST(TransactTest)
#include "test_transact.moc"
