#include "link/link_rig.h"
#include "operation/io_monitor.h"
#include "operation/output_change.h"
#include "test_registry.h"
#include "widgets/lamp.h"

#include <QCheckBox>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

QList<int> litLamps(const IoMonitor &m) {
    QList<int> lit;
    for (int i = 0; i < io::SignalCount; ++i)
        if (m.lamp(i)->isLit()) lit << i;
    return lit;
}

// The number of polls in the log, each exactly these three lines; -1 otherwise.
int wholePolls(const QStringList &log) {
    for (int i = 0; i < log.size(); ++i)
        if (log[i] != QStringList{"0CM1", "0RD20", "0RD2F"}[i % 3]) return -1;
    return log.size() % 3 == 0 ? int(log.size() / 3) : -1;
}

const QString kBrakeOn = u"When brake is used, check here."_s;
const QString kCurrentOn = u"When current control is done, check here."_s;
} // namespace

// The I/O monitor, the output change window and the bits they read.
class IoTest : public QObject {
    Q_OBJECT
private slots:
    void lamps_data() {
        QTest::addColumn<QString>("block");
        QTest::addColumn<int>("pos"); // 1-based position of the pair in the reply
        QTest::addColumn<QString>("pair");
        QTest::addColumn<QList<int>>("lit");
        QTest::addColumn<QList<int>>("dark");
        // The lamps the monitor test below never lights: 3 EMG STOP, 4-7
        // POSITION 1/2/4/8, 8 ALARM, 9 IN-P.
        using L = QList<int>;
        QTest::newRow("stop and emg") << "20" << 20 << "02" << L{2, 3} << L{1};
        QTest::newRow("alarm, in position") << "2F" << 12 << "03" << L{8, 9} << L{10, 11};
        QTest::newRow("all positions") << "2F" << 10 << "00" << L{4, 5, 6, 7} << L{};
        // A garbled digit ends the number, as everywhere else.
        QTest::newRow("3, garbled") << "2F" << 12 << "3G" << L{8, 9} << L{10, 11};
    }
    void lamps() {
        QFETCH(QString, block);
        QFETCH(int, pos);
        QFETCH(QString, pair);
        QFETCH(QList<int>, lit);
        QFETCH(QList<int>, dark);
        // All else is "F", so a pair read from the wrong place lights a wrong lamp.
        QString reply = QStringLiteral("0RD") + block + QString(16, u'F') + QStringLiteral("\r\n");
        reply.replace(pos - 1, 2, pair);
        const auto &sigs = io::ioSignals();
        for (int i : lit + dark) {
            QCOMPARE(io::blockOf(sigs[i]), block);
            QVERIFY2(io::lampLit(sigs[i], reply) == lit.contains(i), sigs[i].en);
        }
    }

    void lampsFollowTheControllerUntilAnAlarm() {
        LinkRig r;
        IoMonitor m(r.s);
        QCOMPARE(m.windowTitle(), u"I/O PORT"_s);
        QVERIFY(litLamps(m).isEmpty());
        r.sim.setInput(u"home"_s, true);
        r.sim.setInput(u"pos2"_s, true);
        r.sim.model().handle("0WS10");
        QList<bool> busy;
        connect(&r.sim, &SimServer::lineReceived, [&] { busy << r.s.controllerBusy(); });

        m.startStopButton()->click();
        QCOMPARE(m.startStopButton()->text(), u"Stop Monitor"_s);
        QVERIFY(!m.closeButton()->isEnabled());
        QTRY_COMPARE(litLamps(m), (QList<int>{0, 5, 10}));
        QVERIFY(r.s.link.isPortOpen() && !r.s.controllerBusy()); // open between polls

        for (const char *in : {"home", "pos2", "strobe", "stop", "pos8"})
            r.sim.setInput(QLatin1String(in), QByteArray("strobe stop pos8").contains(in));
        r.sim.model().handle("0WS20");
        QTRY_COMPARE(litLamps(m), (QList<int>{1, 2, 7, 11}));

        r.sim.raiseAlarm(u"05"_s);
        QTRY_VERIFY(!m.isMonitoring());
        QCOMPARE(r.prompter.texts().size(), 1); // the error report only
        QVERIFY(r.s.link.indicators.alarmLamp && r.s.link.indicators.alarmNo == u"05"_s);
        QCOMPARE(m.startStopButton()->text(), u"Start Monitor"_s);
        QVERIFY(m.startStopButton()->isEnabled() && m.closeButton()->isEnabled());
        QVERIFY(!r.s.controllerBusy() && !r.s.link.isPortOpen() && !busy.contains(false));
        const auto lines = r.sim.log().size();
        QTest::qWait(400);
        QCOMPARE(r.sim.log().size(), lines);
    }

    void stopOrCloseDuringPoll() {
        LinkRig r;
        r.sim.setReplyDelay(400); // a poll takes 1.2 s against a 300 ms interval
        IoMonitor m(r.s);
        QPushButton *startStop = m.startStopButton();
        bool stopped = false;
        connect(&r.sim, &SimServer::lineReceived, [&](const QString &line) {
            if (r.sim.log().count(u"0RD2F"_s) < 2 || line != "0RD20" || stopped) return;
            startStop->click();
            stopped = true;
            // Stop is still running: it ends with the poll.
            QVERIFY(!m.isMonitoring() && m.pollRunning() && !startStop->isEnabled());
            QCOMPARE(startStop->text(), u"Stop Monitor"_s);
        });
        startStop->click();
        QTRY_VERIFY_WITH_TIMEOUT(startStop->isEnabled() && stopped, 10000);
        QCOMPARE(startStop->text(), u"Start Monitor"_s);
        QVERIFY(!r.s.link.isPortOpen());
        QTest::qWait(700);
        QCOMPARE(wholePolls(r.sim.log()), 3); // the interrupted poll ran to its end

        // The window's own close, mid-poll: no time-out from a port closed under it.
        r.sim.clearLog();
        connect(&r.sim, &SimServer::lineReceived, &m, [&](const QString &line) {
            if (line == "0RD20") m.reject();
        });
        startStop->click();
        QTRY_VERIFY_WITH_TIMEOUT(!m.isMonitoring() && !m.pollRunning(), 5000);
        QTest::qWait(700);
        QVERIFY(wholePolls(r.sim.log()) == 1 && !r.s.link.isPortOpen());
        QVERIFY(r.prompter.log.isEmpty());
    }

    // Rows without a good reply leave the state unknown: Change writes nothing.
    void readAndWriteBack_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("outputs");
        QTest::addColumn<int>("options");
        QTest::addColumn<QString>("answer"); // to the question, then from the controller
        QTest::addColumn<QString>("brakeTip");
        QTest::addColumn<QString>("currentTip");
        QTest::newRow("3 1") << 2 << 3 << 1 << "read"
                             << u"When brake is\u3000not used, remove check here."_s << kCurrentOn;
        QTest::newRow("1 2") << 2 << 1 << 2 << "read" << kBrakeOn
                             << "When current control is done, remove check here.";
        QTest::newRow("2 3") << 2 << 2 << 3 << "read"
                             << "When brake is not used, remove check here."
                             << "When current control is not done, remove check here.";
        QTest::newRow("4 0: unreadable")
            << 2 << 4 << 0 << "Fail to read output status." << kBrakeOn << kCurrentOn;
        QTest::newRow("garbled reply") << 2 << 3 << 3 << msg::dataLength << kBrakeOn << kCurrentOn;
        QTest::newRow("not read") << 1 << 3 << 0 << "cancel"
                                  << "ブレーキを使用する場合は、チェックを付けて下さい"
                                  << "電流制限を行う場合は、チェックを付けて下さい";
    }
    void readAndWriteBack() {
        QFETCH(int, language);
        QFETCH(int, outputs);
        QFETCH(int, options);
        QFETCH(QString, answer);
        QFETCH(QString, brakeTip);
        QFETCH(QString, currentTip);
        LinkRig r(language);
        // "0WS" refuses digits above 3, so those come from a move to an entry that holds them.
        r.sim.model().setHomed(true);
        r.sim.model().setPosition(1, SimPosition{1, 1, outputs, options, 0});
        QVERIFY(r.sim.model().finishMove(r.sim.model().handle("0MP1").moveId));
        const bool read = answer != "cancel", readable = answer == "read";
        r.prompter.answers.push_back(read ? PromptAnswer::Ok : PromptAnswer::Cancel);
        OutputChangeDialog w(r.s, r.bracket());
        if (answer == msg::dataLength) {
            connect(&r.sim, &SimServer::lineReceived, &w, [&](const QString &line) {
                if (line == "0RS") r.sim.garbleNext();
            });
        }
        w.readPresentState();

        QCOMPARE(r.prompter.log[0].buttons, PromptButtons::OkCancel);
        QCOMPARE(r.prompter.texts().mid(1),
                 readable || !read ? QStringList() : QStringList{answer});
        for (int n : {0, 1}) {
            QCOMPARE(w.outputLamp(n)->isKnown(), readable);
            QCOMPARE(w.outputLamp(n)->isLit(), readable && (outputs & (n + 1)));
        }
        if (!readable)
            QCOMPARE(w.outputLamp(1)->toolTip(),
                     language == 1 ? u"不明：先に現在の状態を読み込んで下さい"_s
                                   : u"Unknown: read the present status first."_s);
        QCOMPARE(w.brakeBox()->isChecked(), readable && (options & 1));
        QCOMPARE(w.currentDownBox()->isChecked(), readable && (options & 2));
        QCOMPARE(w.brakeBox()->toolTip(), brakeTip);
        QCOMPARE(w.currentDownBox()->toolTip(), currentTip);
        QVERIFY(w.brakeBox()->isEnabled() == readable && w.changeButton()->isEnabled() == readable);
        QVERIFY(r.disabled == 1 && r.enabled == 1 && !r.s.controllerBusy());
        QVERIFY(!r.s.link.isPortOpen());

        // What the window shows is what Change writes; a state never read is never written.
        QTest::mouseClick(w.outputLamp(0), Qt::LeftButton);
        QTest::mouseClick(w.outputLamp(0), Qt::LeftButton);
        QCOMPARE(w.outputLamp(0)->isKnown(), readable);
        const qsizetype afterRead = r.sim.log().size();
        w.writeState();
        const QStringList written{"0CM1", u"0WS%1%2"_s.arg(outputs).arg(options)};
        QCOMPARE(r.sim.log().mid(afterRead), readable ? written : QStringList());
    }

    void clicksChangeWhatIsWritten() {
        LinkRig r;
        r.sim.model().handle("0WS21");
        r.prompter.answers.push_back(PromptAnswer::Ok);
        OutputChangeDialog w(r.s, r.bracket());
        QCOMPARE(w.windowTitle(), u"Change Output Status"_s);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.readPresentState();
        QTest::mouseClick(w.outputLamp(0), Qt::LeftButton); // dark -> lit
        QTest::mouseClick(w.outputLamp(1), Qt::LeftButton); // lit -> dark
        w.brakeBox()->click();
        w.currentDownBox()->click();
        QCOMPARE(w.outputLamp(0)->toolTip(), u"When click here, it turns OFF."_s);
        QCOMPARE(w.outputLamp(1)->toolTip(), u"When click here, it turns ON."_s);
        QCOMPARE(w.currentDownBox()->toolTip(),
                 u"When current control is not done, Remove check here."_s);
        bool busyWhileWriting = false, buttonWhileWriting = true;
        connect(&r.sim, &SimServer::lineReceived, &w, [&] {
            busyWhileWriting = r.s.controllerBusy();
            buttonWhileWriting = w.changeButton()->isEnabled();
        });
        r.sim.clearLog();
        QTest::mouseClick(w.changeButton(), Qt::LeftButton);
        QCOMPARE(r.sim.log(), (QStringList{"0CM1", "0WS12"}));
        QVERIFY(busyWhileWriting && !buttonWhileWriting && w.changeButton()->isEnabled());
        QVERIFY(r.disabled == 2 && r.enabled == 2); // the read and the change
        QVERIFY(!r.s.controllerBusy() && !r.s.link.isPortOpen() && r.prompter.unexpected.isEmpty());
    }
};

TZC3_TEST(IoTest)
#include "test_io.moc"
