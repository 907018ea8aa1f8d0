#include "../link/link_rig.h"
#include "common/full_timer.h"
#include "operation/motion.h"
#include "test_registry.h"
#include "ui/main_window.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

// The window as the motion procedures see it, without the widgets.
struct FakeView : MotionView {
    bool locked = false, tabsOn = true, selectiveOn = true;
    bool repeat = false, timer = false, step = false;
    QString completed, cells[16], dwell, selected = u"1"_s;

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
            cells[i] = steps.value(i - 1);
    }
};

QStringList loadCommands() {
    QStringList l{"0RD10", "0RD11"};
    for (int n = 1; n <= 15; ++n)
        l << u"0RP"_s + QString::number(n, 16).toUpper();
    return l;
}

struct MotionRig : LinkRig {
    FakeView view;
    Motion motion{s, view};
    // Position 1 at 2000, 2 at 6000 (VEL 2), 3 at 1000; moves take no time.
    MotionRig() {
        sim.setMoveTimeScale(0.001);
        sim.model().setPosition(1, {1, 1, 1, 0, 2000});
        sim.model().setPosition(2, {2, 1, 2, 0, 6000});
        sim.model().setPosition(3, {1, 1, 3, 0, 1000});
    }
    QStringList moves() const { return sim.log().filter(u"0MP"_s); }
    void homed() {
        sim.clearLog();
        prompter.clear();
        sim.model().setBlock("00", "FF30140000FFFFFF"); // OUT1 and OUT2 on after homing
        motion.homeClicked();
        QCOMPARE(sim.log(), QStringList{"0CM1"} + loadCommands() + QStringList{"0MP0"});
        QVERIFY(s.link.indicators.homeLamp && s.link.indicators.out1 && s.link.indicators.out2);
        QVERIFY(view.completed == u"H0"_s && motion.st.presentNo == 0 && motion.st.dataLoaded);
        QCOMPARE(s.link.motionTimeLimit, 72.5f); // 20000 pulses at 1600 / 5, plus ten
        QVERIFY(prompter.log.isEmpty() && idle());
        sim.clearLog();
    }
    // Calls f when the simulator receives the n-th line starting with head.
    void onLine(const QString &head, int n, std::function<void()> f) {
        QObject::connect(&sim, &SimServer::lineReceived, &sim,
                         [=, seen = 0](const QString &line) mutable {
                             if (line.startsWith(head) && ++seen == n) f();
                         });
    }
    // After every motion, however it ended.
    bool idle() const {
        return !view.locked && view.tabsOn && view.selectiveOn && !s.controllerBusy() &&
               !s.link.isPortOpen();
    }
};

// The main window in Move Mode with the program 1, 2 ... steps.
struct MoveWindow : MainWindow {
    MoveWindow(AppState &s, int steps) : MainWindow(s) {
        show();
        changeMode();
        for (int step = 1; step <= steps; ++step)
            setProgramCell(step, QString::number(step));
    }
    void click(const char *name) { findChild<QAbstractButton *>(QLatin1String(name))->click(); }
};

} // namespace

class MotionTest : public QObject {
    Q_OBJECT
private slots:
    void selectedMove() {
        MotionRig r;
        for (const char *bad : {"0", "16", "x", "2.5", ""}) {
            r.view.selected = QString::fromLatin1(bad);
            r.motion.selectMoveClicked();
            QVERIFY(r.sim.log().isEmpty() && r.idle());
        }
        QCOMPARE(r.prompter.texts(), QStringList(5, "Input position No. by 16bit(Using 1 to F)."));

        // Not homed: it homes first.
        r.view.selected = u"3"_s;
        r.motion.selectMoveClicked();
        QCOMPARE(r.sim.log(), (QStringList{"0CM1", "0RB138"} + loadCommands() + loadCommands() +
                               QStringList{"0MP0", "0RC", "0MP3", "0RS"}));
        QCOMPARE(r.view.completed, u"3"_s);
        QCOMPARE(r.motion.st.presentNo, qint16(3));
        QVERIFY(r.s.link.indicators.out1 && r.s.link.indicators.out2); // "0RS" reports output 3
        QVERIFY(!r.motion.st.stepRestart && r.idle());

        // Homed, data cached, position known: straight to the move, timed
        // from position 3 (1000) to 2 (6000) at VEL 2 (20 x 166 per second).
        r.sim.clearLog();
        r.view.selected = u"2"_s;
        r.motion.selectMoveClicked();
        QCOMPARE(r.sim.log(), (QStringList{"0CM1", "0RB138", "0MP2", "0RS"}));
        QCOMPARE(r.s.link.motionTimeLimit, float(5000.0 / 3320.0) + 10.0f);
        QVERIFY(!r.s.link.indicators.out1 && r.s.link.indicators.out2 && r.idle());

        // New parameters in the controller make the cache worthless, but the
        // actuator is still where it was sent.
        r.sim.clearLog();
        r.s.motionDataStale = true;
        r.motion.selectMoveClicked();
        QCOMPARE(r.sim.log(),
                 (QStringList{"0CM1", "0RB138"} + loadCommands() + QStringList{"0MP2", "0RS"}));
        // A new position table may put that position number somewhere else.
        r.sim.clearLog();
        r.s.motionDataStale = r.s.presentPositionStale = true;
        r.motion.selectMoveClicked();
        QCOMPARE(r.sim.log(), (QStringList{"0CM1", "0RB138"} + loadCommands() +
                               QStringList{"0RC", "0MP2", "0RS"}));
        QVERIFY(!r.s.motionDataStale && !r.s.presentPositionStale);
    }

    void programRun_data() {
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<bool>("repeat");
        QTest::addColumn<int>("stopAt"); // Stop clicked as the n-th move goes out
        QTest::addColumn<QStringList>("moves");
        QTest::addColumn<int>("nextStep");
        QTest::addColumn<bool>("badCell");
        using L = QStringList;
        QTest::newRow("once") << L{"1", "2"} << false << 0 << L{"1", "2"} << 1 << false;
        QTest::newRow("repeat until Stop")
            << L{"1", "2"} << true << 5 << L{"1", "2", "1", "2", "1"} << 2 << false;
        QTest::newRow("no first step") << L{} << false << 0 << L{} << 0 << true;
        QTest::newRow("bad step") << L{"1", "0", "2"} << false << 0 << L{"1"} << 2 << true;
    }
    void programRun() {
        QFETCH(QStringList, cells);
        QFETCH(bool, repeat);
        QFETCH(int, stopAt);
        QFETCH(QStringList, moves);
        QFETCH(int, nextStep);
        QFETCH(bool, badCell);
        MotionRig r;
        r.homed();
        r.view.program(cells);
        r.view.repeat = repeat;
        if (stopAt) r.onLine(u"0MP"_s, stopAt, [&] { r.motion.stopClicked(); });
        r.motion.moveClicked();
        QStringList log = cells.isEmpty() ? QStringList() : QStringList{"0CM1", "0RB138", "0RC"};
        for (const QString &n : moves)
            log << "0MP" + n << "0RS";
        QCOMPARE(r.sim.log(), log);
        QCOMPARE(r.motion.st.stepIndex, qint16(nextStep));
        QCOMPARE(r.prompter.texts(), badCell
                                         ? QStringList{"Input position No. by 16bit(Using 1 to F)"}
                                         : QStringList());
        QVERIFY(!r.motion.st.stopRequest && r.idle());
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
        QVERIFY(r.idle());
    }

    void pauseAndStop() {
        MotionRig r;
        r.homed();
        r.view.program({"1", "2", "3"});
        // Clicks with no program running change nothing.
        r.motion.pauseClicked();
        r.motion.stopClicked();
        QVERIFY(!r.motion.st.pauseRequest && !r.motion.st.stopRequest);

        // A Stop during homing ends the next run after one move.
        r.onLine(u"0MP0"_s, 1, [&] { r.motion.stopClicked(); });
        r.motion.homeClicked();
        QVERIFY(r.motion.st.stopRequest);
        r.sim.clearLog();
        r.motion.moveClicked();
        QCOMPARE(r.moves(), QStringList{"0MP1"});
        QVERIFY(!r.motion.st.stopRequest);

        // Stop cuts a 99.9 s dwell short.
        r.view.timer = true;
        r.view.dwell = u"999"_s;
        bool busy = false;
        r.onLine(u"0RS"_s, 1, [&] {
            busy = r.s.controllerBusy() && r.view.locked;
            QTimer::singleShot(50, &r.sim, [&] { r.motion.stopClicked(); });
        });
        r.sim.clearLog();
        QElapsedTimer t;
        t.start();
        r.motion.moveClicked();
        QVERIFY(t.elapsed() < 5000 && busy);
        QCOMPARE(r.moves(), QStringList{"0MP1"});
        QVERIFY(!r.motion.dwellTimer()->isActive() && r.idle());
    }

    // The window's Move, Pause and Stop reach the run while it goes; Move resumes.
    void windowButtonsDriveTheRun() {
        MotionRig r;
        MoveWindow w(r.s, 3);
        const auto click = [&](const char *name) { w.click(name); };
        r.onLine(u"0MP1"_s, 1, [&] { click("pauseButton"); });
        click("moveButton");
        QCOMPARE(r.moves(), (QStringList{"0MP0", "0MP1"})); // homed first, then paused
        r.sim.clearLog();
        w.findChild<QCheckBox *>(u"repeatBox"_s)->setChecked(true);
        r.onLine(u"0MP"_s, 3, [&] { click("stopButton"); });
        click("moveButton");
        QCOMPARE(r.moves(), (QStringList{"0MP2", "0MP3", "0MP1"}));
        QVERIFY(w.findChild<QWidget *>(u"moveButton"_s)->isEnabled() && !r.s.controllerBusy());
    }

    // A Pause before any step has run (during the run's own first homing, or
    // during Home) has no step to resume after: the run starts at step 1,
    // not at the grid's label cell.
    void pauseBeforeTheFirstStepResumesAtStepOne_data() {
        QTest::addColumn<bool>("duringHome");
        QTest::newRow("during the run's first homing") << false;
        QTest::newRow("during Home") << true;
    }
    void pauseBeforeTheFirstStepResumesAtStepOne() {
        QFETCH(bool, duringHome);
        MotionRig r;
        MoveWindow w(r.s, 2);
        const auto click = [&](const char *name) { w.click(name); };
        r.onLine(u"0MP0"_s, 1, [&] { click("pauseButton"); });
        if (duringHome) click("homeButton");
        click("moveButton");
        QCOMPARE(r.prompter.texts(), QStringList());
        QCOMPARE(r.moves(), (QStringList{"0MP0", "0MP1", "0MP2"}));
        QVERIFY(w.findChild<QWidget *>(u"moveButton"_s)->isEnabled() && !r.s.controllerBusy());
    }

    void failedMovesForgetThePosition() {
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
        QVERIFY(r.s.link.indicators.alarmLamp && !r.s.link.indicators.homeLamp);
        QCOMPARE(r.s.link.indicators.alarmNo, u"0B"_s);
        QVERIFY(r.motion.st.presentNo == -1 && !r.motion.st.dataLoaded && r.idle());

        // An alarm during a program's move ends the run with its report only.
        r.sim.model().clearAlarm();
        r.homed();
        r.sim.alarmDuringNextMove(u"05"_s);
        r.view.program({"1", "2"});
        r.motion.moveClicked();
        QCOMPARE(r.moves(), QStringList{"0MP1"});
        QCOMPARE(r.prompter.texts().size(), 1);
        QVERIFY(r.motion.st.presentNo == -1 && !r.motion.st.dataLoaded && r.idle());
    }

    void speedBytesAndEstimates() {
        MotionRig r;
        r.sim.model().setBlock("11", "2A2E2205FFFFFFFF"); // 42, 46, 34
        QVERIFY(r.s.link.openPort());
        QVERIFY(r.motion.loadMotionData());
        MotionDataCache &d = r.motion.data;
        QCOMPARE(
            QList<qint16>({d.speedByVel[0], d.speedByVel[1], d.speedByVel[2], d.speedByVel[3]}),
            (QList<qint16>{5, 10, 12, 8}));
        QVERIFY(d.strokePulses == 20000 && d.pulsesOf[2] == 6000 && d.velOf[2] == 2);
        // Before homing a move's estimate includes the homing.
        QCOMPARE(r.motion.estimateMoveSeconds(1), 20000.f / 320 + 2000.f / 1660);
        d.speedByVel[1] = 200; // 200 x 166 overflows 16 bits
        QCOMPARE(r.motion.estimateMoveSeconds(1), -1.0f);
        d.speedByVel[0] = 0; // no homing speed
        QCOMPARE(r.motion.estimateMoveSeconds(0), -1.0f);
    }

    // The window's own keys for the dwell box and the program grid.
    void entryKeys() {
        LinkRig r;
        MainWindow w(r.s);
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.changeMode();
        w.findChild<QCheckBox *>(u"timerBox"_s)->setChecked(true);
        auto *box = w.findChild<QLineEdit *>(u"dwellBox"_s);
        for (const auto &[typed, after] :
             {std::pair{"", "0"}, {"007", "7"}, {"1a2.3", "123"}, {"9999", "999"}}) {
            box->clear();
            box->setFocus();
            QTest::keyClicks(box, QString::fromLatin1(typed));
            QTest::keyClick(box, Qt::Key_Return); // on to Repeat
            QCOMPARE(box->text(), QString::fromLatin1(after));
            QCOMPARE(QApplication::focusWidget(), w.findChild<QWidget *>(u"repeatBox"_s));
        }
        box->setText(u"1.5"_s); // pasted: rounded like every number read from text
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(box->text(), u"2"_s);
        QCOMPARE(r.prompter.beeps(), 0);

        ProgramGrid *g = w.programGrid();
        QLineEdit *ed = g->editor();
        g->setFocus();
        g->setCurrentCell(1, 1);
        QTest::keyClick(g, Qt::Key_A); // lower case is raised
        QVERIFY(g->isEditing() && ed->text() == u"A"_s);
        QTest::keyClick(ed, Qt::Key_Return);
        QVERIFY(w.programCell(1) == u"A"_s && r.s.program.steps[1] == u"A"_s);
        QCOMPARE(g->currentColumn(), 2);

        QTest::keyClick(g, Qt::Key_G); // not a digit: opens the box empty
        QCOMPARE(ed->text(), QString());
        QTest::keyClicks(ed, u"0g56"_s); // only one position digit goes in
        QCOMPARE(ed->text(), u"5"_s);
        QTest::keyClick(ed, Qt::Key_Right);
        QVERIFY(w.programCell(2) == u"5"_s && g->currentColumn() == 3);

        g->setCurrentCell(1, 15);
        QTest::keyClick(g, Qt::Key_F);
        QTest::keyClick(ed, Qt::Key_Enter);
        QVERIFY(w.programCell(15) == u"F"_s && g->currentColumn() == 1); // wraps

        // Leaving a cell with the box empty clears the cell with a beep.
        g->setCurrentCell(1, 2);
        QTest::keyClick(g, Qt::Key_Space); // opens with the cell's text
        QCOMPARE(ed->text(), u"5"_s);
        QTest::keyClick(ed, Qt::Key_Backspace);
        QTest::keyClick(ed, Qt::Key_Left);
        QVERIFY(w.programCell(2).isEmpty() && r.prompter.beeps() == 1);
        QVERIFY(g->currentColumn() == 1 && !g->isEditing());

        // Escape drops the edit; the grid taking the focus keeps it.
        QTest::keyClick(g, Qt::Key_9);
        QTest::keyClick(ed, Qt::Key_Escape);
        QVERIFY(w.programCell(1) == u"A"_s && !g->isEditing());
        QTest::keyClick(g, Qt::Key_C);
        g->commitEdit();
        QVERIFY(w.programCell(1) == u"C"_s && r.prompter.beeps() == 1);
    }
};
TZC3_TEST(MotionTest)

#include "test_motion.moc"
