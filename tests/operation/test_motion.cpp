// Move Mode against the simulated controller: the commands each motion
// sends, the program run with its step, repeat, pause and stop rules, the
// failure reports, and the window's grid and dwell entry keys.

#include "../link/link_rig.h"
#include "operation/motion.h"
#include "test_registry.h"
#include "ui/lamp.h"
#include "ui/main_window.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>
#include <functional>
#include <memory>

namespace {

// The window as the motion procedures see it, without the widgets.
struct FakeView : MotionView {
    bool locked = false;
    bool tabsOn = true;
    bool selectiveOn = true;
    QString completed;
    QString cells[16];
    bool repeat = false, timer = false, step = false;
    QString dwell, selected = QStringLiteral("1");

    void lockMotionControls(bool lock) override { locked = lock; }
    void setMotionTabsEnabled(bool on) override { tabsOn = on; }
    void setSelectiveTabEnabled(bool on) override { selectiveOn = on; }
    void disableModeMenu() override {}
    void showCompletedPosition(const QString &t) override { completed = t; }
    QString programCell(int step) const override { return cells[step]; }
    bool repeatTicked() const override { return repeat; }
    bool timerTicked() const override { return timer; }
    bool stepModeSelected() const override { return step; }
    QString dwellText() const override { return dwell; }
    QString selectedText() const override { return selected; }
    bool moveButtonEnabled() const override { return !locked; }
    void program(const QStringList &steps) {
        for (int i = 1; i <= 15; ++i)
            cells[i] = i <= steps.size() ? steps[i - 1] : QString();
    }
};

QStringList loadCommands() {
    QStringList l{"0RD10", "0RD11"};
    for (int n = 1; n <= 15; ++n)
        l << QStringLiteral("0RP%1").arg(QString::number(n, 16).toUpper());
    return l;
}

// Position table in the controller: 1 at 2000, 2 at 6000 (VEL 2), 3 at 1000.
void fillTable(SimServer &sim) {
    sim.model().setPosition(1, {1, 1, 1, 0, 2000});
    sim.model().setPosition(2, {2, 1, 2, 0, 6000});
    sim.model().setPosition(3, {1, 1, 3, 0, 1000});
}

struct MotionRig : LinkRig {
    FakeView view;
    Motion motion{s, view};
    MotionRig() {
        sim.setMoveTimeScale(0.001);
        fillTable(sim);
    }
    // The 0MP lines sent since the log was cleared.
    QStringList moves() const { return sim.log().filter(QStringLiteral("0MP")); }
    void homed() {
        motion.homeClicked();
        QVERIFY(s.indicators.homeEstablished);
        sim.clearLog();
        prompter.clear();
    }
    // Calls f when the simulator receives the n-th line starting with head.
    void onLine(const QString &head, int n, std::function<void()> f) {
        auto count = std::make_shared<int>(0);
        QObject::connect(&sim, &SimServer::lineReceived, &sim, [=](const QString &line) {
            if (line.startsWith(head) && ++*count == n) f();
        });
    }
};

const QString kStepMessage = QStringLiteral("Input position No. by 16bit(Using 1 to F)");
const QString kSelectMessage = QStringLiteral("Input position No. by 16bit(Using 1 to F).");

} // namespace

class MotionTest : public QObject {
    Q_OBJECT

    // After every motion, however it ended.
    static void idle(MotionRig &r) {
        QVERIFY(!r.view.locked);
        QVERIFY(r.view.tabsOn && r.view.selectiveOn);
        QVERIFY(!r.s.controllerBusy);
        QVERIFY(!r.s.link.isPortOpen());
    }

private slots:
    void homingFromCold() {
        MotionRig r;
        r.sim.model().setBlock("00", "FF30140000FFFFFF"); // OUT1 and OUT2 on after homing
        r.motion.homeClicked();
        QCOMPARE(r.sim.log(), QStringList{"0CM1"} + loadCommands() + QStringList{"0MP0"});
        QCOMPARE(r.view.completed, QStringLiteral("H0"));
        QVERIFY(r.s.indicators.homeLamp && r.s.indicators.out1 && r.s.indicators.out2);
        QCOMPARE(r.motion.st.presentNo, qint16(0));
        QVERIFY(r.motion.st.dataLoaded);
        // 20000 pulses at 1600 / 5: the limit allows 62.5 s plus ten.
        QCOMPARE(r.s.link.motionTimeLimit, 72.5f);
        QVERIFY(r.prompter.log.isEmpty());
        idle(r);
    }

    void selectedMoveHomesFirstWhenNotHomed() {
        MotionRig r;
        r.view.selected = QStringLiteral("3");
        r.motion.selectMoveClicked();
        QCOMPARE(r.sim.log(), (QStringList{"0CM1", "0RB138"} + loadCommands() + loadCommands() +
                               QStringList{"0MP0", "0RC", "0MP3", "0RS"}));
        QCOMPARE(r.view.completed, QStringLiteral("3"));
        QCOMPARE(r.motion.st.presentNo, qint16(3));
        QVERIFY(r.s.indicators.out1 && r.s.indicators.out2); // "0RS" reports output 3
        QVERIFY(!r.motion.st.stepRestart);
        idle(r);

        // Homed, data cached, position known: straight to the move, timed
        // from position 3 (1000) to 2 (6000) at VEL 2 (20 x 166 per second).
        r.sim.clearLog();
        r.view.selected = QStringLiteral("2");
        r.motion.selectMoveClicked();
        QCOMPARE(r.sim.log(), (QStringList{"0CM1", "0RB138", "0MP2", "0RS"}));
        QCOMPARE(r.s.link.motionTimeLimit, float(5000.0 / 3320.0) + 10.0f);
        QVERIFY(!r.s.indicators.out1 && r.s.indicators.out2);
        idle(r);
    }

    void badSelectionSendsNothing_data() {
        QTest::addColumn<QString>("selected");
        for (const char *t : {"0", "16", "x", "2.5"})
            QTest::newRow(t) << QString::fromLatin1(t);
        QTest::newRow("empty") << QString();
    }
    void badSelectionSendsNothing() {
        QFETCH(QString, selected);
        MotionRig r;
        r.view.selected = selected;
        r.motion.selectMoveClicked();
        QVERIFY(r.sim.log().isEmpty());
        QCOMPARE(r.prompter.texts(), QStringList{kSelectMessage});
        idle(r);
    }

    void continualWithoutRepeatEndsAtStepOne() {
        MotionRig r;
        r.homed();
        r.view.program({"1", "2"});
        r.motion.moveClicked();
        QCOMPARE(r.sim.log(), (QStringList{"0CM1", "0RB138", "0RC", "0MP1", "0RS", "0MP2", "0RS"}));
        QCOMPARE(r.motion.st.stepIndex, qint16(1));
        QCOMPARE(r.view.completed, QStringLiteral("2"));
        idle(r);
    }

    void repeatRunsUntilStop() {
        MotionRig r;
        r.homed();
        r.view.program({"1", "2"});
        r.view.repeat = true;
        r.onLine(QStringLiteral("0MP"), 5, [&] { r.motion.stopClicked(); });
        r.motion.moveClicked();
        QCOMPARE(r.moves(), (QStringList{"0MP1", "0MP2", "0MP1", "0MP2", "0MP1"}));
        QCOMPARE(r.motion.st.stepIndex, qint16(2));
        QVERIFY(!r.motion.st.stopRequest);
        idle(r);
    }

    void stepModeOneStepPerClick() {
        MotionRig r;
        r.homed();
        r.view.program({"1", "2", "", "3"});
        r.view.step = true;
        QStringList perClick;
        for (int click = 0; click < 4; ++click) {
            r.sim.clearLog();
            r.motion.moveClicked();
            perClick << r.moves().join(QLatin1Char(','));
        }
        QCOMPARE(perClick, (QStringList{"0MP1", "0MP2", "", "0MP1"}));
        QCOMPARE(r.motion.st.stepIndex, qint16(2));
        idle(r);
    }

    void pauseResumesAtNextStep() {
        MotionRig r;
        r.homed();
        r.view.program({"1", "2", "3"});
        r.onLine(QStringLiteral("0MP1"), 1, [&] { r.motion.pauseClicked(); });
        r.motion.moveClicked();
        QCOMPARE(r.moves(), QStringList{"0MP1"});
        idle(r);
        r.sim.clearLog();
        r.motion.moveClicked();
        QCOMPARE(r.moves(), (QStringList{"0MP2", "0MP3"}));
        QVERIFY(!r.motion.st.pauseRequest);
        // Clicks with no program running change nothing.
        r.motion.pauseClicked();
        r.motion.stopClicked();
        QVERIFY(!r.motion.st.pauseRequest && !r.motion.st.stopRequest);
    }

    void stopDuringHomingEndsNextRunAfterOneMove() {
        MotionRig r;
        r.onLine(QStringLiteral("0MP0"), 1, [&] { r.motion.stopClicked(); });
        r.motion.homeClicked();
        QVERIFY(r.motion.st.stopRequest);
        r.sim.clearLog();
        r.view.program({"1", "2"});
        r.motion.moveClicked();
        QCOMPARE(r.moves(), QStringList{"0MP1"});
        QVERIFY(!r.motion.st.stopRequest);
    }

    void badProgramCells() {
        MotionRig r;
        r.view.program({});
        r.motion.moveClicked();
        QVERIFY(r.sim.log().isEmpty());
        QCOMPARE(r.prompter.texts(), QStringList{kStepMessage});
        idle(r);

        r.homed();
        r.view.program({"1", "0", "2"});
        r.motion.moveClicked();
        QCOMPARE(r.moves(), QStringList{"0MP1"});
        QCOMPARE(r.prompter.texts(), QStringList{kStepMessage});
        idle(r);
    }

    void homingSensorErrorReport() {
        MotionRig r;
        r.sim.failNextHoming();
        r.motion.homeClicked();
        QCOMPARE(r.prompter.texts(),
                 (QStringList{
                     "Communication error occurs!\r\n\r\nError No.0B\r\n\r\n[Home sensor not "
                     "detected]\r\n\r\nIn order to reset an error, please turn OFF a power "
                     "supply at once.",
                     "Home sensor could not be detected at homing.\r\n\r\nConfirm the "
                     "followings;\r\n\r\n 1.Isn't homing of the slide interrupted by any "
                     "obstacle?\r\n\r\n (Please check whether especially a main part attachment "
                     "screw is long.)\r\n\r\n 2.Aren't the connector pins loosing?\r\n\r\n 3.Is "
                     "the parameter setting correct?\r\n\r\n 4.Is the power voltage enough?"}));
        QVERIFY(r.s.indicators.alarmLamp && !r.s.indicators.homeLamp);
        QCOMPARE(r.s.indicators.alarmNo, QStringLiteral("0B"));
        QCOMPARE(r.motion.st.presentNo, qint16(-1));
        QVERIFY(!r.motion.st.dataLoaded);
        idle(r);
    }

    void moveWithoutReplyTimesOut() {
        MotionRig r;
        r.homed();
        r.s.portOccupy = true; // a motion time-out closes the port regardless
        double clock = 1000;
        double timedOutAt = 0;
        r.s.link.secondsSinceMidnight = [&] { return clock += 3; };
        r.prompter.onPrompt = [&](const PromptRecord &) { timedOutAt = clock; };
        r.sim.neverFinishNextMove();
        r.view.program({"1", "2"});
        r.motion.moveClicked();
        // Home to position 1: 2000 pulses at 10 x 166 per second, plus ten.
        const float limit = float(2000.0 / 1660.0) + 10.0f;
        QCOMPARE(r.s.link.motionTimeLimit, limit);
        QCOMPARE(r.prompter.texts(), QStringList{msg::timeOut});
        const double elapsed = timedOutAt - 1003;
        QVERIFY2(elapsed >= limit && elapsed < limit + 3, qPrintable(QString::number(elapsed)));
        QCOMPARE(r.moves(), QStringList{"0MP1"});
        QCOMPARE(r.motion.st.presentNo, qint16(-1));
        QVERIFY(!r.motion.st.dataLoaded);
        idle(r);
    }

    void movingTimeArithmetic() {
        MotionRig r;
        r.motion.data.strokePulses = 20000;
        r.motion.data.speedByVel[0] = 0;
        QCOMPARE(r.motion.calc_MovingTime(0), -1.0f);
        r.motion.data.speedByVel[0] = 5; // 1600 / 5 = 320
        r.motion.data.speedByVel[1] = 10;
        r.motion.data.velOf[1] = 1;
        r.motion.data.pulsesOf[1] = 3320;
        QCOMPARE(r.motion.calc_MovingTime(1), 62.5f + 2.0f); // not homed: homing first
        r.s.indicators.homeEstablished = true;
        r.motion.st.currentPulses = 4980;
        QCOMPARE(r.motion.calc_MovingTime(1), 1.0f); // |3320 - 4980| / 1660
        r.motion.data.velOf[1] = 10;                 // no such VEL code
        QCOMPARE(r.motion.calc_MovingTime(1), -1.0f);
        r.motion.data.velOf[1] = 4; // a code without a speed
        QCOMPARE(r.motion.calc_MovingTime(1), -1.0f);
        r.motion.data.velOf[1] = 1;
        r.motion.data.speedByVel[1] = 200; // 200 x 166 overflows 16 bits
        QCOMPARE(r.motion.calc_MovingTime(1), -1.0f);

        // Speed bytes are stored four times over, halves to the even value.
        r.sim.model().setBlock("11", "2A2E2205FFFFFFFF"); // 42, 46, 34
        QCOMPARE(r.s.link.openPort(), 0);
        QCOMPARE(r.motion.loadMotionData(), 0);
        QCOMPARE(QList<qint16>({r.motion.data.speedByVel[0], r.motion.data.speedByVel[1],
                                r.motion.data.speedByVel[2], r.motion.data.speedByVel[3]}),
                 (QList<qint16>{5, 10, 12, 8}));
        QCOMPARE(r.motion.data.pulsesOf[2], 6000);
        QCOMPARE(r.motion.data.velOf[2], qint16(2));
    }

    void positionWriteDropsCachedData() {
        MotionRig r;
        r.homed();
        r.motion.st.presentNo = 1;
        r.s.motionDataStale = true;
        r.view.selected = QStringLiteral("3");
        r.motion.selectMoveClicked();
        QCOMPARE(r.sim.log(), (QStringList{"0CM1", "0RB138"} + loadCommands() +
                               QStringList{"0RC", "0MP3", "0RS"}));
        QVERIFY(!r.s.motionDataStale);
    }
};
TZC3_TEST(MotionTest)

// The same procedures behind the real window: clicks arriving while a move
// or a dwell is under way, closing, and the keys of the grid and dwell box.
class MotionWindowTest : public QObject {
    Q_OBJECT

    template <class W> static W *find(frmMain &w, const char *name) {
        return w.findChild<W *>(QLatin1String(name));
    }

private slots:
    void clicksDuringMoveAndDwell() {
        LinkRig rig;
        rig.sim.setMoveTimeScale(0.001);
        fillTable(rig.sim);
        frmMain w(rig.s);
        w.show();
        w.changeMode();
        w.setProgramCell(1, QStringLiteral("1"));
        w.setProgramCell(2, QStringLiteral("2"));
        w.setProgramCell(3, QStringLiteral("3"));
        auto *move = find<QAbstractButton>(w, "cmdMove");
        bool closed = true;
        bool homeLocked = false;
        int moves = 0;
        QObject::connect(&rig.sim, &SimServer::lineReceived, &rig.sim, [&](const QString &l) {
            if (l == QLatin1String("0MP0")) homeLocked = !find<QWidget>(w, "cmdHome")->isEnabled();
            if (!l.startsWith(QLatin1String("0MP")) || l == QLatin1String("0MP0")) return;
            if (++moves == 1) {
                closed = w.close(); // refused while the move runs
                QTimer::singleShot(0, &w, [&] { find<QAbstractButton>(w, "cmdTmpStop")->click(); });
            }
        });
        move->click();
        QVERIFY(!closed && w.isVisible());
        QVERIFY(homeLocked);
        QCOMPARE(moves, 1);
        QCOMPARE(find<QLabel>(w, "lblkanryoNo")->text(), QStringLiteral("1"));
        QVERIFY(move->isEnabled() && !rig.s.controllerBusy);

        // Resumed with a 99.9 s dwell that Stop cuts short.
        find<QCheckBox>(w, "chkTimerUse")->setChecked(true);
        find<QLineEdit>(w, "txtTimer")->setText(QStringLiteral("999"));
        rig.sim.clearLog();
        QObject::connect(&rig.sim, &SimServer::lineReceived, &rig.sim, [&](const QString &l) {
            if (l == QLatin1String("0RS"))
                QTimer::singleShot(50, &w, [&] { find<QAbstractButton>(w, "cmdStop")->click(); });
        });
        QElapsedTimer t;
        t.start();
        move->click();
        QVERIFY(t.elapsed() < 5000);
        QCOMPARE(rig.sim.log().filter(QStringLiteral("0MP")), QStringList{"0MP2"});
        QVERIFY(move->isEnabled() && find<QWidget>(w, "cmdHome")->isEnabled());
        QVERIFY(w.motion()->dwellTimer()->isActive() == false);
        QVERIFY(rig.prompter.unexpected.isEmpty());
    }

    void programGridKeys() {
        LinkRig rig;
        frmMain w(rig.s);
        w.show();
        w.changeMode();
        ProgramGrid *g = w.programGrid();
        QLineEdit *ed = g->editor();
        g->setFocus();
        g->setCurrentCell(1, 1);

        QTest::keyClick(g, Qt::Key_A); // lower case is raised
        QVERIFY(g->isEditing());
        QCOMPARE(ed->text(), QStringLiteral("A"));
        QTest::keyClick(ed, Qt::Key_Return);
        QCOMPARE(w.programCell(1), QStringLiteral("A"));
        QCOMPARE(rig.s.program.steps[1], QStringLiteral("A"));
        QCOMPARE(g->currentColumn(), 2);

        QTest::keyClick(g, Qt::Key_G); // not a digit: opens the box empty
        QCOMPARE(ed->text(), QString());
        QTest::keyClicks(ed, QStringLiteral("0g56")); // only one position digit goes in
        QCOMPARE(ed->text(), QStringLiteral("5"));
        QTest::keyClick(ed, Qt::Key_Right);
        QCOMPARE(w.programCell(2), QStringLiteral("5"));
        QCOMPARE(g->currentColumn(), 3);

        g->setCurrentCell(1, 15);
        QTest::keyClick(g, Qt::Key_F);
        QTest::keyClick(ed, Qt::Key_Enter);
        QCOMPARE(w.programCell(15), QStringLiteral("F"));
        QCOMPARE(g->currentColumn(), 1); // wraps

        // Leaving a cell with the box empty clears the cell with a beep.
        g->setCurrentCell(1, 2);
        QTest::keyClick(g, Qt::Key_Space); // opens with the cell's text
        QCOMPARE(ed->text(), QStringLiteral("5"));
        QTest::keyClick(ed, Qt::Key_Backspace);
        QTest::keyClick(ed, Qt::Key_Left);
        QCOMPARE(w.programCell(2), QString());
        QCOMPARE(rig.prompter.beeps(), 1);
        QCOMPARE(g->currentColumn(), 1);
        QVERIFY(!g->isEditing());
        QTest::keyClick(g, Qt::Key_Space);
        QTest::keyClick(ed, Qt::Key_Left); // first step: nowhere to go
        QVERIFY(g->isEditing());

        // Escape drops the edit; the grid taking the focus keeps it.
        QTest::keyClick(ed, Qt::Key_Escape);
        QCOMPARE(w.programCell(1), QStringLiteral("A"));
        QVERIFY(!g->isEditing());
        QTest::keyClick(g, Qt::Key_C);
        g->commitEdit();
        QCOMPARE(w.programCell(1), QStringLiteral("C"));
        QCOMPARE(rig.prompter.beeps(), 1);
    }

    void dwellEntry_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("after");
        QTest::newRow("empty gives 0") << QString() << QStringLiteral("0");
        QTest::newRow("leading zeros") << QStringLiteral("007") << QStringLiteral("7");
        QTest::newRow("letters dropped") << QStringLiteral("1a2.3") << QStringLiteral("123");
        QTest::newRow("three at most") << QStringLiteral("9999") << QStringLiteral("999");
    }
    void dwellEntry() {
        QFETCH(QString, typed);
        QFETCH(QString, after);
        LinkRig rig;
        frmMain w(rig.s);
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.changeMode();
        find<QCheckBox>(w, "chkTimerUse")->setChecked(true);
        auto *box = find<QLineEdit>(w, "txtTimer");
        box->setFocus();
        QTest::keyClicks(box, typed);
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(box->text(), after);
        QCOMPARE(QApplication::focusWidget(), find<QWidget>(w, "chkRepeat"));
        QCOMPARE(rig.prompter.beeps(), 0);
    }
};
TZC3_TEST(MotionWindowTest)

#include "test_motion.moc"
