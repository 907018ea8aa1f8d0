#include "controller/controller_mode.h"
#include "controller/status.h"
#include "link_rig.h"
#include "test_registry.h"

#include <QElapsedTimer>

using namespace Qt::StringLiterals;

namespace {
const QString kReport = u"Communication error occurs!\r\n\r\n"_s;
const QString kEmergency =
    kReport + u"Error No.0E\r\n\r\n[Emergency stop]\r\n\r\nPlease push [reset] button or turn "
              "OFF a power supply at once, after canceling an emergency stop."_s;
const QString kShowMissing = u"No Error list file!\r\nTo indicate error contents,install Error "
                             "list in same folder as program file."_s;

bool rv(LinkRig &r) {
    return r.s.link.transact(u"0RV"_s, QString(), 8);
}

// Loads error.lst with these contents from a folder of its own.
void loadList(LinkRig &r, QTemporaryDir &folder, const QByteArray &contents) {
    QFile f(folder.filePath(u"error.lst"_s));
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(contents) == contents.size());
    f.close();
    r.s.programFolder = folder.path();
    r.s.link.errorList = ErrorList();
    r.s.link.loadErrorList(r.s.programFolder);
}

#define CHECK_ELAPSED(t, lo, hi)                                                                   \
    QVERIFY2((t).elapsed() >= (lo) && (t).elapsed() < (hi),                                        \
             qPrintable(QString::number((t).elapsed())))
} // namespace

// The exchange with the controller, its failure reports and the commands built on it.
class LinkTest : public QObject {
    Q_OBJECT
private slots:
    void malformedReplyRunsProbe_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("keepPort");
        QTest::newRow("short") << "short" << false;
        QTest::newRow("long") << "long" << false;
        QTest::newRow("garbled head") << "garble" << true;
    }
    void malformedReplyRunsProbe() {
        QFETCH(QString, fault);
        QFETCH(bool, keepPort);
        LinkRig r;
        r.s.link.portOccupy = keepPort;
        r.sim.command(fault);
        QVERIFY(!rv(r));
        QCOMPARE(r.sim.log(), (QStringList{"0RV", "0CM0"}));
        QCOMPARE(r.prompter.texts(), QStringList{msg::dataLength});
        QCOMPARE(r.prompter.log.first().icon, PromptIcon::None);
        QCOMPARE(r.s.link.isPortOpen(), keepPort);
        QVERIFY(rv(r));
    }

    void errorReplyReport_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("toProbe");
        QTest::addColumn<QString>("comment");
        QTest::addColumn<QString>("text");
        QTest::newRow("emergency stop") << 2 << "0E" << false << "Emergency stop" << kEmergency;
        QTest::newRow("answer to probe") << 2 << "0E" << true << "Emergency stop" << kEmergency;
        QTest::newRow("other code") << 2 << "05" << false << "Overload detected"
                                    << kReport + "Error No.05\r\n\r\n[Overload detected]\r\n\r\n"
                                                 "In order to reset an error, please turn OFF a "
                                                 "power supply at once.";
        QTest::newRow("not listed") << 2 << "3F" << false << "No contents for this Error No."
                                    << kReport + "[No contents for this Error No.]";
        QTest::newRow("japanese") << 1 << "0E" << false << "非常停止"
                                  << "エラーが発生しました！\r\n\r\nError No.0E\r\n\r\n[非常停止]"
                                     "\r\n\r\n非常停止を解除後に、[リセット]ボタンを押すか、"
                                     "一度電源をOFFにして下さい。";
    }
    void errorReplyReport() {
        QFETCH(int, language);
        QFETCH(QString, code);
        QFETCH(bool, toProbe);
        QFETCH(QString, comment);
        QFETCH(QString, text);
        LinkRig r(language);
        StatusIndicators &ind = r.s.link.indicators;
        ind.homeLamp = ind.out1 = ind.out2 = true;
        r.sim.raiseAlarm(code);
        if (toProbe) r.sim.garbleNext();
        QSignalSpy redraws(&r.s.link, &Link::indicatorsChanged);
        QVERIFY(!r.s.link.transact(u"0RS"_s, QString(), 7));
        QCOMPARE(r.prompter.texts(), QStringList{text});
        QCOMPARE(r.prompter.log.first().icon, toProbe ? PromptIcon::None : PromptIcon::Exclamation);
        QCOMPARE(r.sim.log().size(), toProbe ? 2 : 1);
        QVERIFY(ind.alarmLamp && !ind.homeLamp && !ind.out1 && !ind.out2 && !redraws.isEmpty());
        QCOMPARE(ind.alarmNo, code);
        QCOMPARE(ind.errorComment, comment);

        // Shown until an exchange succeeds.
        r.sim.model().clearAlarm();
        QVERIFY(r.s.link.transact(u"0RS"_s, QString(), 7));
        QVERIFY(!ind.alarmLamp && ind.alarmNo.isEmpty() && ind.errorComment == u"No Error"_s);
    }

    // What a log or a trace sees of the line: each exchange in order, with
    // the failures named and the probe marked.
    void trafficReport() {
        LinkRig r;
        QList<LinkEvent> events;
        QObject::connect(&r.s.link, &Link::traffic, [&events](const LinkEvent &e) { events << e; });
        const auto seen = [&events] {
            QStringList out;
            for (const LinkEvent &e : std::as_const(events)) {
                QString t = QString::number(int(e.kind)) + u' ' + QString::fromLatin1(e.bytes);
                if (!e.note.isEmpty()) t += u'|' + e.note;
                if (e.probe) t += u"|probe"_s;
                if (e.kind == LinkEvent::Kind::Received || e.kind == LinkEvent::Kind::TimeOut)
                    t += e.elapsedMs >= 0 ? u"|timed"_s : u"|untimed"_s;
                out << t;
            }
            events.clear();
            return out;
        };
        using K = LinkEvent::Kind;
        const auto k = [](K kind, const QString &rest) {
            return QString::number(int(kind)) + u' ' + rest;
        };
        const QString dev = r.sim.devicePath();

        QVERIFY(rv(r));
        r.s.link.closePort();
        const QString version = r.s.link.lastReply;
        QCOMPARE(seen(), (QStringList{k(K::PortOpened, u"|"_s + dev), k(K::Sent, u"0RV\r\n"_s),
                                      k(K::Received, version + u"|timed"_s),
                                      k(K::PortClosed, u"|"_s + dev)}));

        r.sim.garbleNext();
        QVERIFY(!rv(r));
        const QStringList garbled = seen();
        QCOMPARE(garbled.size(), 7);
        QVERIFY(garbled[3].startsWith(k(K::WrongReply, QString())) &&
                garbled[3].endsWith(u"|head"_s));
        QCOMPARE(garbled[4], k(K::Sent, u"0CM0\r\n|probe"_s));

        r.sim.raiseAlarm(u"05"_s);
        QVERIFY(!rv(r));
        QCOMPARE(seen().at(2), k(K::Received, u"0%%05\r\n|timed"_s));
        r.sim.model().clearAlarm();
        r.s.link.closePort();
        seen();

        r.s.link.replyTimeoutMs = 100;
        r.sim.silentNext();
        QVERIFY(!rv(r));
        QCOMPARE(seen(), (QStringList{k(K::PortOpened, u"|"_s + dev), k(K::Sent, u"0RV\r\n"_s),
                                      k(K::TimeOut, u"|timed"_s), k(K::PortClosed, u"|"_s + dev)}));

        qputenv("TZC3_COM1", QByteArray("/nonexistent/tty"));
        QVERIFY(!rv(r));
        QCOMPARE(events.size(), 1);
        QCOMPARE(events[0].portNumber, 1);
        QCOMPARE(
            events[0].failure,
            u"COM1 (/nonexistent/tty): the device is not there — is the adapter plugged in?"_s);
        QCOMPARE(seen(), QStringList{k(K::PortOpenFailed, u"|/nonexistent/tty"_s)});

        // A device given by its path is named by its path alone.
        r.s.link.setDeviceOverride(u"/nonexistent/other"_s);
        QVERIFY(!rv(r));
        QCOMPARE(events.size(), 1);
        QCOMPARE(events[0].portNumber, 0);
        QCOMPARE(events[0].failure,
                 u"/nonexistent/other: the device is not there — is the adapter plugged in?"_s);
    }

    void waitingForTheReply() {
        LinkRig r;
        r.sim.setSilent(true);
        QElapsedTimer t;
        t.start();
        QVERIFY(!rv(r));
        CHECK_ELAPSED(t, 5000, 7000);
        QCOMPARE(r.prompter.texts(), QStringList{msg::timeOut});
        QCOMPARE(r.sim.log(), QStringList{"0RV"}); // never repeated, no probe
        QCOMPARE(r.lampChanges, (QList<bool>{true, false}));
        t.start();
        QVERIFY(!setCommunicationMode(r.s.link)); // the mode change waits one second only
        CHECK_ELAPSED(t, 1000, 2500);
        r.sim.setSilent(false);
        r.sim.setReplyDelay(1500); // no limit at 0
        r.s.link.replyTimeoutMs = 0;
        QVERIFY(rv(r));
        r.sim.setReplyDelay(0);
        r.sim.splitNext(8);
        QVERIFY(r.s.link.transact(u"0RD"_s, u"10"_s, 23));
        QVERIFY(r.s.link.receiveBuffer.isEmpty());
    }

    // A close asked for while a reply is awaited comes from outside the
    // exchange: it would turn a good reply into a time-out. The exchange and
    // a pause also count as busy.
    void nothingClosesThePortUnderAWaitingExchange() {
        LinkRig r;
        r.sim.setReplyDelay(50);
        QStringList seen;
        QObject::connect(&r.sim, &SimServer::lineReceived, [&] {
            r.s.link.closePortUnlessKept();
            r.s.link.closePort();
            seen << QString::number(r.s.link.isPortOpen()) + QString::number(r.s.controllerBusy());
        });
        QVERIFY(rv(r));
        QCOMPARE(seen, QStringList{"11"});
        QVERIFY(r.prompter.texts().isEmpty() && r.s.link.isPortOpen() && !r.s.controllerBusy());
        r.s.link.closePortUnlessKept(); // the exchange's owner may
        QVERIFY(!r.s.link.isPortOpen());
        QList<bool> busy;
        QObject::connect(&r.s.link, &Link::busyChanged, [&](bool b) { busy << b; });
        r.s.link.pause(10);
        QCOMPARE(busy, (QList<bool>{true, false}));
    }

    // Position 5 answers after its time-out, or noise comes in unasked.
    // Whether it is in before the next command goes out or comes while that
    // answer is awaited, with the port kept open or not, the next exchange
    // has the right answer or fails with a message: it never takes position
    // 5's answer for position 1's.
    void lateReplyIsNeverTakenForTheNextOne_data() {
        QTest::addColumn<bool>("kept");
        QTest::addColumn<QString>("fault");
        for (bool kept : {false, true})
            for (const char *fault :
                 {"late, in before the next command", "late, in during the next one", "noise"})
                QTest::addRow("%s, %s", kept ? "kept open" : "closed", fault) << kept << fault;
    }
    void lateReplyIsNeverTakenForTheNextOne() {
        QFETCH(bool, kept);
        QFETCH(QString, fault);
        LinkRig r;
        r.s.link.portOccupy = kept;
        r.s.link.timeScale = 0.05; // 250 ms for the usual 5000
        r.sim.model().setPosition(1, {1, 1, 0, 2, 0x111});
        r.sim.model().setPosition(5, {3, 3, 3, 2, 0x555});
        QByteArray discarded;
        QObject::connect(&r.s.link, &Link::inputDiscarded,
                         [&](const QByteArray &b) { discarded += b; });
        const QString one = u"0RP11102000111\r\n"_s;
        if (fault == u"noise"_s) {
            QVERIFY(r.s.link.transact(u"0RP"_s, u"5"_s, 16));
            r.sim.noise("\x7f~0R");
            QTest::qWait(50);
        } else {
            r.sim.lateNext(400);
            QVERIFY(!r.s.link.transact(u"0RP"_s, u"5"_s, 16));
            QCOMPARE(r.prompter.texts(), QStringList{msg::timeOut});
            if (fault.contains(u"before"_s)) QTest::qWait(600);
        }
        r.prompter.clear();
        const bool ok = r.s.link.transact(u"0RP"_s, u"1"_s, 16);
        if (fault.contains(u"during"_s)) {
            QVERIFY(!ok);
            QCOMPARE(r.prompter.texts(), QStringList{msg::dataLength});
        } else {
            // Whatever was in before the command went out is no reason to fail.
            QVERIFY(ok);
            QCOMPARE(r.s.link.lastReply, one);
            QVERIFY(r.prompter.texts().isEmpty());
        }
        if (fault == u"noise"_s) QCOMPARE(discarded, "\x7f~0R");
        // And the exchange after runs clean.
        QTest::qWait(300);
        QVERIFY(r.s.link.transact(u"0RP"_s, u"1"_s, 16));
        QCOMPARE(r.s.link.lastReply, one);
    }

    void droppedPortEndsWaitAtOnce() {
        LinkRig r;
        r.s.link.portOccupy = true; // a dead port is closed all the same
        r.sim.setSilent(true);
        QTimer::singleShot(100, &r.sim, [&] { r.sim.dropPort(); });
        QElapsedTimer t;
        t.start();
        QVERIFY(!rv(r));
        CHECK_ELAPSED(t, 0, 2000);
        QCOMPARE(r.prompter.texts(), QStringList{msg::timeOut});
        QVERIFY(!r.s.link.isPortOpen() && !r.s.link.indicators.portOpen);
        r.sim.setSilent(false);
        r.startSim(); // plugged in again: the next exchange opens it afresh
        QVERIFY(rv(r));
    }

    void motionWatchWrapsAtMidnight() {
        LinkRig r;
        r.s.link.portOccupy = true; // a motion time-out closes the port regardless
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
        QVERIFY(!r.s.link.transactMotion(u"0MP"_s, u"0"_s, 16));
        QCOMPARE(clockAtTimeOut, 4.0);
        QCOMPARE(r.prompter.texts(), QStringList{msg::timeOut});
        QVERIFY(!r.s.link.isPortOpen());
        QCOMPARE(r.sim.log(), QStringList{"0MP0"});
        r.sim.setMoveTimeScale(0.01);
        QVERIFY(r.s.link.transactMotion(u"0MP"_s, u"0"_s, 16));
    }

    void portOpensOnDemand() {
        LinkRig r;
        // A damaged port number is replaced by the stored one.
        r.s.settings.write(u"PortNo"_s, u"2"_s);
        qputenv("TZC3_COM2", r.sim.devicePath().toLocal8Bit());
        r.s.link.portNumber = 12;
        r.s.link.portOccupy = true;
        QVERIFY(r.s.link.openPort());
        QCOMPARE(r.s.link.portNumber, qint16(2));
        r.s.link.closePortUnlessKept();
        QVERIFY(r.s.link.isPortOpen());
        r.s.link.changePortNumber(3);
        QVERIFY(!r.s.link.isPortOpen());
        qunsetenv("TZC3_COM2");

        qputenv("TZC3_COM3", QByteArray("/nonexistent/tty"));
        QVERIFY(!rv(r));
        QVERIFY(r.prompter.log.isEmpty()); // a missing port fails quietly
        QCOMPARE(r.lampChanges, (QList<bool>{true, false}));
        qunsetenv("TZC3_COM3");

        QCOMPARE(
            portmap::orderDevices({"/dev/ttyS1", "/dev/ttyUSB10", "/dev/ttyACM0", "/dev/ttyUSB2",
                                   "/dev/ttyS0", "/dev/tty.usb", "/dev/cu.usb"}),
            (QStringList{"/dev/ttyUSB2", "/dev/ttyUSB10", "/dev/ttyACM0", "/dev/ttyS0",
                         "/dev/ttyS1", "/dev/cu.usb"}));
    }

    void errorListFile() {
        LinkRig r(1);
        QTemporaryDir folder;
        QByteArray list = "40\r\n\" E\",\"first, with a comma\"\r\n\"0E\",\"second\"\r\n";
        for (int i = 3; i <= 40; ++i)
            list += "\"" + QByteArray::number(i + 32, 16) + "\",x\r\n";
        loadList(r, folder, list);
        QVERIFY(r.prompter.log.isEmpty());
        QCOMPARE(r.s.link.errorList.entries().size(), 40);
        r.s.link.showControllerError(u"0%%0E\r\n"_s); // the first entry of that value wins
        QCOMPARE(r.s.link.indicators.errorComment, u"first, with a comma"_s);
        // A code far too long for any integer is compared without overflowing.
        loadList(r, folder, "2\r\n\"FFFFFFFFFFFFFFFFFFFF\",\"huge\"\r\n\"0E\",\"stop\"\r\n");
        r.s.link.showControllerError(u"0%%0E\r\n"_s);
        QCOMPARE(r.s.link.indicators.errorComment, u"stop"_s);

        // One entry too many: no list at all.
        r.s.setLanguage(2);
        loadList(r, folder, "41\r\n" + QByteArray("\"01\",\"x\"\r\n").repeated(41));
        QCOMPARE(r.prompter.texts(), QStringList{"No file of Error list!\r\nTo display error "
                                                 "contents,install Error list in same folder "
                                                 "as program file."});
        // Said once as the reply arrives and once by the report; labels untouched.
        r.prompter.clear();
        r.s.link.indicators = StatusIndicators();
        r.sim.raiseAlarm(u"0E"_s);
        QVERIFY(!rv(r));
        QCOMPARE(r.prompter.texts(), (QStringList{kShowMissing, kShowMissing,
                                                  kReport + "[No contents for this Error No.]"}));
        QVERIFY(!r.s.link.indicators.alarmLamp);
    }

    // The error reset's and the home state's happy paths are also in the window tests.
    void homeStateErrorResetAndReset() {
        LinkRig r;
        r.sim.model().setHomed(true);
        QCOMPARE(readHomeState(r.s.link), std::optional<bool>(true));
        QCOMPARE(r.sim.log(), QStringList{"0RB138"});
        QVERIFY(r.s.link.indicators.homeLamp && r.s.link.indicators.homeEstablished);
        QVERIFY(!r.s.link.isPortOpen());
        r.sim.garbleNext();
        QVERIFY(!readHomeState(r.s.link).has_value());
        QVERIFY(r.s.link.indicators.homeLamp); // a failed read leaves the lamp
        r.prompter.clear();
        r.sim.garbleNext();
        QVERIFY(!::errorReset(r.s.link));
        QCOMPARE(r.prompter.texts(), QStringList{msg::dataLength}); // the only message
        QVERIFY(!r.s.controllerBusy() && !r.s.link.isPortOpen());

        // Reset writes without waiting for an answer that never comes.
        r.s.link.indicators.out1 = r.s.link.indicators.out2 = true;
        r.sim.clearLog();
        r.prompter.answers = {PromptAnswer::Ok};
        QElapsedTimer t;
        t.start();
        QVERIFY(resetController(r.s.link));
        CHECK_ELAPSED(t, 0, 500);
        QVERIFY(!r.s.link.indicators.out1 && !r.s.link.indicators.out2);
        QTRY_COMPARE(r.sim.log(), (QStringList{"0CM1", "0CM3"}));
        QVERIFY(!r.sim.model().homed()); // it reached the controller before the port closed
        QCOMPARE(readHomeState(r.s.link), std::optional<bool>(false));
        QVERIFY(!r.s.link.indicators.homeLamp && !r.s.link.indicators.homeEstablished);
    }

    void versionMenu() {
        LinkRig r;
        r.sim.model().setVersion("2.1");
        showControllerVersion(r.s.link, r.bracket());
        QCOMPARE(r.prompter.texts(), QStringList{"Version of the controller is 2.1."});
        QCOMPARE(r.s.link.indicators.versionPanel, u"The version of this C/T is 2.1"_s);
        QVERIFY(r.disabled == 1 && r.enabled == 1 && !r.s.controllerBusy() &&
                !r.s.link.isPortOpen());

        QObject::connect(&r.sim, &SimServer::lineReceived, [&](const QString &line) {
            if (line == QLatin1String("0RV")) r.sim.shortenNext();
        });
        r.prompter.clear();
        showControllerVersion(r.s.link, r.bracket());
        QCOMPARE(
            r.prompter.texts(),
            (QStringList{msg::dataLength, "Failed to get version information of controller."}));
        QCOMPARE(r.s.link.indicators.versionPanel, u"No version information"_s);
        QVERIFY(r.disabled == 2 && r.enabled == 2 && !r.s.controllerBusy());

        // An alarm is cleared so that the next operation gets an answer.
        r.sim.raiseAlarm(u"05"_s);
        r.sim.clearLog();
        QVERIFY(!readControllerVersion(r.s.link));
        QCOMPARE(r.sim.log(), (QStringList{"0RV", "0%C"}));
        QVERIFY(r.sim.model().alarm().isEmpty() && !r.s.link.isPortOpen());
    }

    void modeMenus() {
        LinkRig r;
        const QString toExternal = u"Change to [External start mode].\r\n\r\nIs it OK?"_s;
        const QString toCommunication = u"Change to [Communication mode].\r\n\r\nIs it OK?"_s;
        r.prompter.answers = {PromptAnswer::No,  PromptAnswer::No,  PromptAnswer::Cancel,
                              PromptAnswer::Yes, PromptAnswer::Yes, PromptAnswer::Yes};
        externalStartMode(r.s.link, r.bracket());
        communicationMode(r.s.link, r.bracket());
        QVERIFY(!resetController(r.s.link));
        QVERIFY(r.sim.log().isEmpty() && r.lampChanges.isEmpty());
        QCOMPARE(r.prompter.log[0].buttons, PromptButtons::YesNo);
        QCOMPARE(r.prompter.log[2].buttons, PromptButtons::OkCancel);
        QVERIFY(r.disabled == 2 && r.enabled == 2 && !r.s.controllerBusy());

        bool busyDuringExchange = false;
        QObject::connect(&r.sim, &SimServer::lineReceived,
                         [&](const QString &) { busyDuringExchange = r.s.controllerBusy(); });
        externalStartMode(r.s.link, r.bracket());
        QCOMPARE(r.sim.log(), (QStringList{"0CM1", "0CM0"}));
        QVERIFY(!r.sim.model().communicationMode());
        communicationMode(r.s.link, r.bracket());
        QVERIFY(r.sim.model().communicationMode());
        QCOMPARE(r.prompter.texts(),
                 (QStringList{toExternal, toCommunication, "Reset controller. Is it OK?",
                              toExternal, "Chaged to [External start mode].", toCommunication,
                              "Changed [Communication mode]."}));
        QVERIFY(busyDuringExchange && !r.s.controllerBusy());
        QCOMPARE(r.lampChanges, (QList<bool>{true, false, true, false}));

        // A failing second command ends with the advice to restart the controller.
        int modeZero = 0;
        QObject::connect(&r.sim, &SimServer::lineReceived, [&](const QString &line) {
            if (line == QLatin1String("0CM0") && ++modeZero == 1) r.sim.garbleNext();
        });
        r.prompter.clear();
        externalStartMode(r.s.link, r.bracket());
        QCOMPARE(r.prompter.texts().mid(1),
                 (QStringList{msg::dataLength, kReport + "If not activated when reset switch "
                                                         "on,Turn off the power once and turn on "
                                                         "again."}));
        QVERIFY(r.enabled == 5 && !r.s.controllerBusy());
    }
};

TZC3_TEST(LinkTest)
#include "test_link.moc"
