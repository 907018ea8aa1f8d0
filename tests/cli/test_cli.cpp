#include "cli_rig.h"
#include "test_registry.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <csignal>
#include <pty.h>
#include <unistd.h>

namespace {

QStringList positionReads() {
    QStringList l;
    for (int n = 1; n <= 15; ++n)
        l << QStringLiteral("0RP%1").arg(n, 0, 16).toUpper();
    return l;
}

QStringList positionWrites(int digit = 2) {
    QStringList l;
    for (int n = 1; n <= 15; ++n)
        l << (QStringLiteral("0WP") + QString::number(n, 16) + QStringLiteral("110") +
              QString::number(digit) + QStringLiteral("%1").arg(n * 100, 6, 16, QLatin1Char('0')))
                 .toUpper();
    return l;
}

const QString kTimeOut =
    QStringLiteral("Communication timeout error!\n\nCheck the followings;\n\n"
                   " 1.Power ON for controller?\n\n 2.Communication cables are connected?\n");

// A controller that holds a table: 100 pulses per position number.
void fillTable(SimServer &sim) {
    for (int n = 1; n <= 15; ++n)
        sim.model().setPosition(n, {1, 1, 0, 2, n * 100});
}

QJsonObject jsonOf(const QString &out) {
    return QJsonDocument::fromJson(out.toUtf8()).object();
}

} // namespace

class CliTest : public QObject {
    Q_OBJECT
private slots:
    // Each command sends what the window's command sends, prints its result
    // on stdout and nothing but the window's messages on stderr.
    void commandsSendTheWindowsTraffic_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("wire");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        const QStringList motionData = QStringList{"0RD10", "0RD11"} + positionReads();
        QTest::newRow("version") << QStringList{"version"} << QStringList{"0CM1", "0RV"} << "1.2\n"
                                 << "Version of the controller is 1.2.\n";
        QTest::newRow("version in Japanese")
            << QStringList{"--lang", "ja", "version"} << QStringList{"0CM1", "0RV"} << "1.2\n"
            << "コントローラのバージョンは、 1.2 です。\n";
        QTest::newRow("status") << QStringList{"status"}
                                << QStringList{"0CM1", "0RB138", "0RS", "0RC"}
                                << "home: not established\nalarm: none\n"
                                   "OUT1: off  OUT2: off  brake: off  current down: off\n"
                                   "position: 0 pulses\n"
                                << "";
        QTest::newRow("home") << QStringList{"home"}
                              << QStringList{"0CM1"} + motionData + QStringList{"0MP0"} << "H0\n"
                              << "";
        QTest::newRow("move: homes first")
            << QStringList{"move", "a"}
            << QStringList{"0CM1", "0RB138"} + motionData + motionData +
                   QStringList{"0MP0", "0RC", "0MPA", "0RS"}
            << "A\n"
            << "";
        QTest::newRow("io") << QStringList{"io"} << QStringList{"0CM1", "0RD20", "0RD2F"}
                            << "HOME LS=0 STROBE=0 STOP=0 EMG STOP=0 POSITION 1=0 POSITION 2=0 "
                               "POSITION 4=0 POSITION 8=0 ALARM=0 IN-P=0 OUT1=0 OUT2=0\n"
                            << "";
        QTest::newRow("output keeps the other digits")
            << QStringList{"--yes", "output", "2", "on"}
            << QStringList{"0CM1", "0RS", "0CM1", "0WS20"} << "OUT1: off  OUT2: on\n"
            << "Read the present output status, Yes/No?\n-> OK (--yes)\n";
        QTest::newRow("external mode")
            << QStringList{"--yes", "mode", "external"} << QStringList{"0CM1", "0CM0"} << ""
            << "Change to [External start mode].\n\nIs it OK?\n-> Yes (--yes)\n"
               "Chaged to [External start mode].\n";
        QTest::newRow("reset-error")
            << QStringList{"reset-error"} << QStringList{"0%C", "0CM1"} << ""
            << "";
        QTest::newRow("send") << QStringList{"send", "0RV"} << QStringList{"0RV"} << "0RV1.2\n"
                              << "";
    }
    void commandsSendTheWindowsTraffic() {
        QFETCH(QStringList, args);
        QFETCH(QStringList, wire);
        QFETCH(QString, out);
        QFETCH(QString, err);
        CliRig rig;
        fillTable(rig.sim);
        const CliResult r = rig.onSim(args);
        QCOMPARE(r.err, err);
        QCOMPARE(r.out, out);
        QCOMPARE(r.code, 0);
        QCOMPARE(rig.sim.log(), wire);
    }

    // One object per command, the same fields whatever the language.
    void jsonIsOneObjectPerCommand() {
        CliRig rig;
        CliResult r = rig.onSim({"--json", "version"});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.endsWith(u'\n') && r.out.count(u'\n') == 1);
        const QJsonObject o = jsonOf(r.out);
        QCOMPARE(o.value("command").toString(), "version");
        QCOMPARE(o.value("version").toString(), "1.2");
        QCOMPARE(o.value("exit").toInt(), 0);
        QCOMPARE(o.value("result").toString(), "ok");
        QCOMPARE(o.value("port").toString(), rig.sim.devicePath());
        QCOMPARE(o.value("messages").toArray(), QJsonArray{"Version of the controller is 1.2."});

        rig.sim.model().setPosition(3, {2, 3, 1, 2, 0x123});
        r = rig.onSim({"--json", "--yes", "positions", "read"});
        QCOMPARE(r.code, 0);
        const QJsonObject row3 = jsonOf(r.out).value("positions").toArray().at(2).toObject();
        QCOMPARE(row3.value("no").toString(), "3");
        QCOMPARE(row3.value("vel").toInt(), 2);
        QCOMPARE(row3.value("acc").toInt(), 3);
        QCOMPARE(row3.value("out").toInt(), 1);
        QCOMPARE(row3.value("pulses").toInt(), 0x123);
    }

    // A file written by the tool is the file the windows write: what went
    // to the controller comes back byte for byte.
    void positionsWriteVerifyAndReadBack() {
        CliRig rig;
        rig.writeFile("in.tpd", tpdText());
        CliResult r = rig.onSim({"--yes", "positions", "write", rig.file("in.tpd"), "--verify"});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, "written\nverify: OK\n");
        const QStringList wire = QStringList{"0CM1", "0RD10"} + positionWrites() +
                                 QStringList{"0CM1"} + positionReads() + QStringList{"0RV"};
        QCOMPARE(rig.sim.log(), wire);
        QVERIFY(r.err.contains("Completed data transmit.\n"));
        QVERIFY(r.err.endsWith("Data : indicated and inside of controller\n\n"
                               "Result of Verification : OK\n"));

        rig.sim.clearLog();
        r = rig.onSim({"--yes", "positions", "read", "-o", rig.file("out.tpd")});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, "");
        QCOMPARE(rig.readFile("out.tpd"), tpdText());
    }

    // A verification that finds differences lists them and ends with 1.
    void positionsVerifyMismatch() {
        CliRig rig;
        rig.writeFile("in.tpd", tpdText());
        QCOMPARE(rig.onSim({"--yes", "positions", "write", rig.file("in.tpd")}).code, 0);
        rig.sim.model().setPosition(3, {1, 1, 0, 2, 999});
        rig.sim.model().setPosition(0xA, {2, 1, 0, 2, 1000});
        const CliResult r = rig.onSim({"--json", "positions", "verify", rig.file("in.tpd")});
        QCOMPARE(r.code, 1);
        const QJsonObject o = jsonOf(r.out);
        QCOMPARE(o.value("result").toString(), "differences");
        QCOMPARE(o.value("unmatched").toArray(), (QJsonArray{"3", "A"}));
        QCOMPARE(o.value("messages").toArray().last().toString(),
                 "Data : indicated and inside of controller\n\nResult of Verification : NG.\n\n"
                 "Unmatched Position No.\n\n< Position No.3>\n\n< Position No.A>\n\n");
    }

    void paramsWriteWithAndWithoutReset_data() {
        QTest::addColumn<bool>("noReset");
        QTest::newRow("reset") << false;
        QTest::newRow("--no-reset") << true;
    }
    void paramsWriteWithAndWithoutReset() {
        QFETCH(bool, noReset);
        CliRig rig;
        rig.writeFile("p.pmt", pmtText);
        QStringList args{"--yes", "params", "write", rig.file("p.pmt"), "--verify"};
        if (noReset) args << "--no-reset";
        const CliResult r = rig.onSim(args);
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, "written\nverify: OK\n");
        const QStringList log = rig.sim.log();
        QCOMPARE(log.filter(QRegularExpression("^0WD")).size(), 3);
        QCOMPARE(log.contains("0CM3"), !noReset);
        QCOMPARE(r.err.contains("Reset controller. Is it OK?\n-> Cancel\n"), noReset);
    }

    // What goes wrong ends with its own code and message, and a refusal
    // before the traffic sends nothing at all.
    void failuresEndWithTheirCode_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("errEnd");
        QTest::addColumn<bool>("silentWire");
        QTest::newRow("silent controller")
            << "silent" << QStringList{"--timeout", "200", "version"} << 3 << kTimeOut << false;
        QTest::newRow("missing port")
            << "noport" << QStringList{"status"} << 3
            << "/dev/tzc3-no-such-port: the device is not there — is the adapter plugged in?\n"
            << true;
        QTest::newRow("alarm during a move")
            << "alarm" << QStringList{"run", "1", "2"} << 4
            << "Communication error occurs!\n\nError No.0E\n\n[Emergency stop]\n\n"
               "Please push [reset] button or turn OFF a power supply at once, after canceling "
               "an emergency stop.\n"
            << false;
        QTest::newRow("bad file") << "badfile" << QStringList{"--yes", "positions", "write", "bad"}
                                  << 5
                                  << "An error occured while getting Value of Position Data.\n\n"
                                     "Opening file is canceled.\n"
                                  << true;
        QTest::newRow("missing file") << "" << QStringList{"--yes", "params", "write", "none.pmt"}
                                      << 5 << "No such file: none.pmt\n"
                                      << true;
        QTest::newRow("no terminal without --yes")
            << "goodfile" << QStringList{"positions", "write", "good"} << 2
            << "Data is transmitted to controller,Yes?\nThere is no terminal to answer this "
               "question on (or several ports run at once). Run again with --yes to answer it "
               "positively. Nothing was sent.\n"
            << true;
        QTest::newRow("position beyond the stroke")
            << "farfile" << QStringList{"--yes", "positions", "write", "far"} << 5
            << "Some position data exceed the soft limit in the Parameter(Stroke)\n\n"
               "Confirm the position data indicated bellow, and try it again.\n\n"
               "< Position No.F,>\n"
            << false;
        QTest::newRow("move to no position")
            << "" << QStringList{"move", "0"} << 2 << "Input position No. by 16bit(Using 1 to F).\n"
            << true;
        QTest::newRow("program step that is no position")
            << "" << QStringList{"run", "1", "G"} << 2
            << "Input position No. by 16bit(Using 1 to F)\n"
            << true;
        QTest::newRow("unknown command") << "" << QStringList{"fly"} << 2
                                         << "tzc3-cli: Unknown command: fly\nSee tzc3-cli --help.\n"
                                         << true;
        QTest::newRow("option of another command")
            << "" << QStringList{"version", "--verify"} << 2
            << "tzc3-cli: --verify does not apply to version.\nSee tzc3-cli --help.\n"
            << true;
    }
    void failuresEndWithTheirCode() {
        QFETCH(QString, setup);
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, errEnd);
        QFETCH(bool, silentWire);
        CliRig rig;
        QDir::setCurrent(rig.dir.path());
        if (setup == "silent") rig.sim.setSilent(true);
        if (setup == "alarm") rig.sim.alarmDuringNextMove("0E");
        if (setup == "badfile") rig.writeFile("bad", "\"TZ- 28L-100 \",\"NEW\"\r\n\"1\",\"x\"\r\n");
        if (setup == "goodfile") rig.writeFile("good", tpdText());
        if (setup == "farfile")
            rig.writeFile("far", tpdText([](int n) { return n == 15 ? 15000 : n * 100; }));
        if (setup == "farfile")
            rig.sim.model().setBlock("10", "002710" + rig.sim.model().block("10").mid(6));
        fillTable(rig.sim);
        const CliResult r =
            setup == "noport"
                ? rig.run(QStringList{"--lang", "en", "--device", "/dev/tzc3-no-such-port"} + args)
                : rig.onSim(args);
        QVERIFY2(r.err.endsWith(errEnd), qPrintable(r.err));
        QCOMPARE(r.code, code);
        if (silentWire) QCOMPARE(rig.sim.log(), QStringList());
        QCOMPARE(rig.sim.idle(), true);
    }

    // Every line with its time, in the order it passed.
    void traceAppendsTheLines() {
        CliRig rig;
        const QString trace = rig.file("trace.log");
        rig.writeFile("trace.log", "earlier\n");
        QCOMPARE(rig.onSim({"--trace", trace, "version"}).code, 0);
        const QStringList lines = QString::fromUtf8(rig.readFile("trace.log")).split(u'\n');
        QCOMPARE(lines.first(), "earlier");
        const QRegularExpression stamp("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} ");
        QStringList events;
        for (const QString &l : lines.mid(1, lines.size() - 2)) {
            QVERIFY2(stamp.match(l).hasMatch(), qPrintable(l));
            events << l.mid(24)
                          .remove(rig.sim.devicePath() + u' ')
                          .remove(QRegularExpression(" \\(\\d+ ms\\)$"));
        }
        QCOMPARE(events, (QStringList{"port opened " + rig.sim.devicePath(), "> 0CM1", "< 0CM1",
                                      "> 0RV", "< 0RV1.2", "port closed " + rig.sim.devicePath()}));
    }

    // Ctrl+C stops a program as the Stop button does: the move under way
    // ends, nothing more is sent, the port is closed.
    void interruptStopsAfterTheCurrentMove() {
        CliRig rig;
        fillTable(rig.sim);
        rig.sim.setMoveTimeScale(0.2);
        connect(&rig.sim, &SimServer::lineReceived, this, [&](const QString &line) {
            if (line == "0MP1" && rig.lastPid > 0) ::kill(pid_t(rig.lastPid), SIGINT);
        });
        const CliResult r = rig.onSim({"run", "1", "2", "3", "--repeat", "3"},
                                      [&](QProcess &p) { rig.lastPid = p.processId(); });
        QCOMPARE(r.code, 130);
        QCOMPARE(rig.sim.log().filter(QRegularExpression("^0MP")), (QStringList{"0MP0", "0MP1"}));
        QCOMPARE(rig.sim.log().last(), "0RS");
        QCOMPARE(r.out, "1\n");
    }

    // The monitor's poll every 300 ms, a line when a signal changes, until
    // Ctrl+C, which is the normal end of a watch.
    void ioWatchUntilInterrupted() {
        CliRig rig;
        int polls = 0;
        connect(&rig.sim, &SimServer::lineReceived, this, [&](const QString &line) {
            if (line != "0RD2F") return;
            ++polls;
            if (polls == 2) rig.sim.setInput("strobe", true);
            if (polls == 4 && rig.lastPid > 0) ::kill(pid_t(rig.lastPid), SIGINT);
        });
        const CliResult r = rig.onSim({"--json", "io", "--watch"},
                                      [&](QProcess &p) { rig.lastPid = p.processId(); });
        QCOMPARE(r.code, 0);
        const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
        // A line per change, then the command's own object.
        QVERIFY2(lines.size() == 3, qPrintable(r.out));
        QCOMPARE(jsonOf(lines[2]).value("result").toString(), "ok");
        QCOMPARE(jsonOf(lines[0]).value("inputs").toObject().value("STROBE").toBool(), false);
        QCOMPARE(jsonOf(lines[1]).value("inputs").toObject().value("STROBE").toBool(), true);
        const QStringList wire = rig.sim.log();
        QVERIFY(wire.size() >= 12);
        for (int i = 0; i + 2 < wire.size(); i += 3)
            QCOMPARE(wire.mid(i, 3), (QStringList{"0CM1", "0RD20", "0RD2F"}));
    }

    // A question on a terminal waits for the user's answer there.
    void questionAskedOnTheTerminal_data() {
        QTest::addColumn<QByteArray>("typed");
        QTest::addColumn<int>("code");
        QTest::newRow("yes") << QByteArray("y\n") << 0;
        QTest::newRow("no") << QByteArray("n\n") << 2;
    }
    void questionAskedOnTheTerminal() {
        QFETCH(QByteArray, typed);
        QFETCH(int, code);
        CliRig rig;
        int master = -1, slave = -1;
        QVERIFY(::openpty(&master, &slave, nullptr, nullptr, nullptr) == 0);
        rig.stdinFd = slave;
        QVERIFY(::write(master, typed.constData(), size_t(typed.size())) == typed.size());
        const CliResult r = rig.onSim({"mode", "comm"});
        ::close(master);
        ::close(slave);
        QCOMPARE(r.code, code);
        QVERIFY(r.err.startsWith("Change to [Communication mode].\n\nIs it OK? [y/n] "));
        QCOMPARE(rig.sim.log(), code == 0 ? QStringList{"0CM1"} : QStringList());
    }

    // Four controllers at once: each gets the whole table, the summary
    // names every port, and the worst result is the run's.
    void fourPortsInParallel() {
        CliRig rigs[4];
        rigs[0].writeFile("in.tpd", tpdText());
        QStringList args{"--lang", "en", "--yes"};
        for (CliRig &r : rigs)
            args << "--device" << r.sim.devicePath();
        CliResult r = rigs[0].run(args + QStringList{"positions", "write", rigs[0].file("in.tpd")});
        QCOMPARE(r.code, 0);
        for (CliRig &rig : rigs) {
            QCOMPARE(rig.sim.log().filter(QRegularExpression("^0WP")), positionWrites());
            QVERIFY(r.out.contains(
                QRegularExpression("\n" + QRegularExpression::escape(rig.sim.devicePath()) +
                                   " +0 ok +\\d+\\.\\d{3} s\n")));
            QVERIFY(r.out.contains("[" + rig.sim.devicePath() + "] written\n"));
        }
        QVERIFY(r.out.contains(QRegularExpression("PORT +RESULT +TIME\n")));

        rigs[2].sim.setSilent(true);
        r = rigs[0].run(args + QStringList{"--json", "--timeout", "200", "version"});
        QCOMPARE(r.code, 3);
        const QJsonObject o = jsonOf(r.out);
        QCOMPARE(o.value("exit").toInt(), 3);
        const QJsonArray ports = o.value("ports").toArray();
        QCOMPARE(ports.size(), 4);
        for (int i = 0; i < 4; ++i) {
            const QJsonObject p = ports.at(i).toObject();
            QCOMPARE(p.value("port").toString(), rigs[i].sim.devicePath());
            QCOMPARE(p.value("exit").toInt(), i == 2 ? 3 : 0);
            QCOMPARE(p.value("output").toObject().value("version").toString(), i == 2 ? "" : "1.2");
        }
    }
};

TZC3_TEST(CliTest)
#include "test_cli.moc"
