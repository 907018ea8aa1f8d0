// Every operation that talks to the controller against every way the line
// can fail, with the fault on a line in the middle of the operation. The
// failed run must end within its time-out plus a margin, say what the link
// saw, leave every piece of data as it was, and give every command back with
// the program idle and the port as the keep option says. The same operation
// run again on a healthy line must then bring the controller's own data: a
// reply that came late is never taken for a later one.

#include "../link/link_rig.h"
#include "../positions/positions_rig.h"
#include "operation/io_bits.h"
#include "parameters/parameter_editor.h"
#include "test_registry.h"
#include "ui/main_window.h"
#include "widgets/lamp.h"

#include <QAbstractButton>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

// Exchanges get a fifth of their time-outs, which a loaded machine still
// meets; one whose reply is kept back on purpose a fiftieth, 100 ms. The
// motion clock runs 50 times fast: a move's limit of ten seconds and a
// little passes in 300 ms of the watch's ticks, homing's 22.5 s in 500 ms.
constexpr double kTimeScale = 0.2;
constexpr double kMissingTimeScale = 0.02;
constexpr double kClockSpeed = 50;
constexpr int kReplyWaitMs = int(5000 * kTimeScale);
constexpr int kMissingWaitMs = int(5000 * kMissingTimeScale);
constexpr int kMotionWaitMs = int(22.5 * 1000 / kClockSpeed) + 100; // and one tick of the watch
constexpr int kMarginMs = 200;
// A late reply comes this long after its time-out.
constexpr int kLateAfterMs = 150;

enum class Fault { Garbled, Short, Long, Split, Silent, Late, LateIntoNext, ErrorCode, Dropped };

// Each fault, and what the simulator is told when the line it hits comes in.
const struct {
    Fault fault;
    const char *name;
    const char *script; // "%1": how late, in ms
} kFaults[] = {{Fault::Garbled, "garbled", "garble"},
               {Fault::Short, "short", "short"},
               {Fault::Long, "long", "long"},
               {Fault::Split, "split", "split 3"},
               {Fault::Silent, "silent", "silent"},
               {Fault::Late, "late", "late %1"},
               {Fault::LateIntoNext, "late into the next", "late %1"},
               {Fault::ErrorCode, "error code", "alarm 0E"},
               {Fault::Dropped, "port dropped", "silent"}}; // then the adapter is pulled

const QString kEmergency =
    u"Communication error occurs!\r\n\r\nError No.0E\r\n\r\n[Emergency stop]\r\n\r\nPlease push "
    "[reset] button or turn OFF a power supply at once, after canceling an emergency stop."_s;

struct Row : LinkRig {
    MainWindow w{s};
    // A dialog's data when the user had set it up and when the dialog was left.
    QString shownBefore, shown;

    Row() {
        s.link.timeScale = kTimeScale;
        QElapsedTimer clock;
        clock.start();
        s.link.secondsSinceMidnight = [clock] { return clock.elapsed() * kClockSpeed / 1000.0; };
        sim.setMoveTimeScale(0.001);
        useDevice(s, " 28", "L", 100);
        fillValidTable(s);
        w.refreshGrids();
        // The controller holds another table than the window, and a stroke
        // of 4000 pulses: homing is expected to take 12.5 s.
        for (int n = 1; n <= 15; ++n)
            sim.model().setPosition(n, {2, 3, 1, 2, n * 900 + 7});
        sim.model().setBlock("10", "000FA002020202FF");
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
    }
    template <class T = QAbstractButton> T *get(const char *name) const {
        auto *c = w.findChild<T *>(QLatin1String(name));
        if (!c) qFatal("no %s", name);
        return c;
    }
    ParameterEditor *editor() const { return w.findChild<ParameterEditor *>(); }
    QAbstractButton *editorButton(const char *name) const {
        return editor()->findChild<QAbstractButton *>(QLatin1String(name));
    }
    void openEditorAndRead() {
        get<QAction>("parametersAction")->trigger();
        editorButton("controllerReadButton")->click();
    }
};

// Each row as "VEL ACC OUT pulses".
QString tableText(const PositionTable &t) {
    QStringList rows;
    for (int row = 1; row <= 15; ++row) {
        QStringList cells;
        for (int col = PositionTable::ColVel; col <= PositionTable::ColPulse; ++col)
            cells << t.text(row, col).trimmed();
        rows << cells.join(u' ');
    }
    return rows.join(u',');
}

QString tableText(const SimModel &m) {
    QStringList rows;
    for (int n = 1; n <= 15; ++n) {
        const SimPosition p = m.position(n);
        rows << u"%1 %2 %3 %4"_s.arg(p.vel).arg(p.acc).arg(p.out).arg(p.pulses);
    }
    return rows.join(u',');
}

// What an operation may change and a failed one must leave alone.
QMap<QString, QString> shownData(Row &r) {
    QMap<QString, QString> m;
    QStringList cells, program, fields;
    for (int row = 1; row <= 15; ++row)
        for (int col = PositionTable::ColVel; col < PositionTable::Cols; ++col)
            cells << r.s.positions.text(row, col);
    for (int step = 1; step <= 15; ++step)
        program << r.w.programCell(step);
    m[u"table"_s] = cells.join(u'|');
    m[u"file"_s] = r.get<QLabel>("fileNameLabel")->text();
    m[u"program"_s] = program.join(u'|');
    m[u"completed"_s] = r.get<QLabel>("completedLabel")->text();
    if (ParameterEditor *e = r.editor()) {
        fields << e->windowTitle();
        for (int f = 0; f < ParameterFields::Count; ++f)
            fields << e->field(f)->text();
        m[u"editor"_s] = fields.join(u'|');
    }
    m[u"dialog"_s] = r.shown;
    return m;
}

// Every command of the main window and the editor with whether it is usable.
QStringList controls(Row &r) {
    QStringList out;
    for (QAction *a : r.w.findChildren<QAction *>())
        if (!a->isSeparator() && !a->objectName().isEmpty())
            out << a->objectName() + u':' + QString::number(a->isEnabled());
    for (QWidget *c : r.w.findChildren<QWidget *>())
        if ((qobject_cast<QAbstractButton *>(c) || qobject_cast<QLineEdit *>(c)) &&
            !c->objectName().isEmpty())
            out << c->window()->objectName() + u'.' + c->objectName() + u':' +
                       QString::number(c->isEnabled());
    return out;
}

QString motionResult(Row &r) {
    return r.get<QLabel>("completedLabel")->text() + u'@' +
           QString::number(r.sim.model().presentPulses());
}

// The output change window: what Change writes, and whether it may be pressed.
QString outputState(QDialog &d) {
    const auto lit = [&](const char *n) { return d.findChild<Lamp *>(QLatin1String(n))->isLit(); };
    const auto ticked = [&](const char *n) {
        return d.findChild<QAbstractButton *>(QLatin1String(n))->isChecked();
    };
    QString st = u"out %1 options %2"_s.arg(lit("out1LampImage") + 2 * lit("out2LampImage"))
                     .arg(ticked("brakeBox") + 2 * ticked("currentDownBox"));
    if (!d.findChild<QPushButton *>(u"changeButton"_s)->isEnabled()) st += u", Change disabled"_s;
    return st;
}

// The I/O monitor: its lamps, and whether it is idle and may be started or closed.
QString monitorState(QDialog &d) {
    QString st;
    for (int i = 0; i < io::SignalCount; ++i)
        st += d.findChild<Lamp *>(u"signalLamp%1"_s.arg(i))->isLit() ? u'1' : u'0';
    const auto *startStop = d.findChild<QPushButton *>(u"startStopButton"_s);
    if (!startStop->isEnabled() || startStop->text() != u"Start Monitor"_s ||
        !d.findChild<QPushButton *>(u"closeButton"_s)->isEnabled())
        st += u", not idle"_s;
    return st;
}

// The lamps as the controller's inputs and outputs are now.
QString simLamps(Row &r) {
    QString st;
    for (const io::Signal &sig : io::ioSignals()) {
        const QString block = io::blockOf(sig);
        const QString reply = u"0RD"_s + block +
                              QString::fromLatin1(r.sim.model().block(block.toLatin1())) +
                              u"\r\n"_s;
        st += io::lampLit(sig, reply) ? u'1' : u'0';
    }
    return st;
}

struct Operation {
    const char *name;
    bool moveMode;
    // The fault hits the first line that starts with faultLine; a reply kept
    // back is awaited with the short time-out after a line starting with lineBefore.
    const char *lineBefore;
    const char *faultLine;
    std::function<void(Row &)> prepare = [](Row &) {};
    std::function<void(Row &)> run{}; // once, as the user does it, with the answers
    // After a successful run the two are equal.
    std::function<QString(Row &)> result = [](Row &) { return QString(); };
    std::function<QString(Row &)> expected = [](Row &) { return QString(); };
    QStringList asked{};  // before the exchange
    QStringList done{};   // after a successful exchange
    QStringList failed{}; // after the link's message
    // What a failure rightly changes: the steps that were done before it.
    QMap<QString, QString> partly{};
    // What the motion operations must no longer trust after a failed run:
    // whatever went out before the failure may have been stored.
    QString distrusted{};
    // Also run again at once after a late reply (a read, a write, a parameter
    // read and a move stand for the rest).
    bool lateIntoNext = false;
    bool motion() const { return QByteArray(faultLine).startsWith("0MP"); }
};

QList<Operation> operations() {
    QList<Operation> ops;
    const auto add = [&](const char *name, bool moveMode, const char *lineBefore,
                         const char *faultLine) -> Operation & {
        ops.append({name, moveMode, lineBefore, faultLine});
        return ops.last();
    };
    const auto home = [](Row &r) { r.get("homeButton")->click(); };
    const auto fields = [](Row &r) { return shownData(r)[u"editor"_s]; };

    Operation *o = &add("position read", false, "0RP6", "0RP7");
    o->lateIntoNext = true;
    o->run = [](Row &r) {
        r.prompter.answers = {PromptAnswer::No};
        r.get("readButton")->click();
    };
    o->result = [](Row &r) { return tableText(r.s.positions); };
    o->expected = [](Row &r) { return tableText(r.sim.model()); };
    o->asked = {u"Save editing data before reading the data?"_s};

    o = &add("position write", false, "0WP4", "0WP5");
    o->lateIntoNext = true;
    o->run = [](Row &r) {
        r.prompter.answers = {PromptAnswer::Ok};
        r.get("writeButton")->click();
    };
    o->result = [](Row &r) { return tableText(r.sim.model()); };
    o->expected = [](Row &r) { return tableText(r.s.positions); };
    o->asked = {u"Data is transmitted to controller,Yes?"_s};
    o->done = {u"Completed data transmit."_s};
    o->distrusted = u"cached data, present position"_s;

    o = &add("position verify", false, "0RP9", "0RPA");
    o->prepare = [](Row &r) {
        for (int n = 1; n <= 15; ++n)
            r.sim.model().setPosition(n, {1, 1, 0, 2, n * 100});
    };
    o->run = [](Row &r) { r.get<QAction>("verifyControllerAction")->trigger(); };
    o->done = {u"Data : indicated and inside of controller\r\n\r\nResult of Verification : OK"_s};

    o = &add("parameter read", false, "0RD00", "0RD10");
    o->lateIntoNext = true;
    o->prepare = [](Row &r) {
        r.openEditorAndRead();
        r.sim.model().setBlock("00", "FF00190000FFFFFF"); // pushing 25
        r.sim.model().setBlock("10", "003A9802020202FF"); // stroke 15000
        r.sim.model().setBlock("11", "2C5078050501FFFF"); // VEL1 11
    };
    o->run = [](Row &r) { r.editorButton("controllerReadButton")->click(); };
    o->result = fields;
    o->expected = [](Row &) { return u"Inside of C/T|15000|0|25|0|0|5|5|11|20|30|2|2|2"_s; };

    o = &add("parameter write", false, "0WD00", "0WD10");
    o->prepare = [](Row &r) {
        r.openEditorAndRead();
        r.editor()->field(ParameterFields::F1)->setText(u"15000"_s);
    };
    o->run = [](Row &r) {
        r.prompter.answers = {PromptAnswer::Yes, PromptAnswer::Ok};
        // The three seconds after the reset are a pause, not a wait for a
        // reply, so they are shortened as far as a missing reply's time-out.
        bool written = false;
        const auto shorten =
            QObject::connect(&r.sim, &SimServer::lineReceived, [&](const QString &l) {
                if (l.startsWith(u"0WD11"_s))
                    written = true;
                else if (written && l == u"0CM1"_s)
                    r.s.link.timeScale = kMissingTimeScale;
            });
        r.editorButton("controllerWriteButton")->click();
        QObject::disconnect(shorten);
        r.s.link.timeScale = kTimeScale;
    };
    o->result = [](Row &r) { return QString::fromLatin1(r.sim.model().block("10").left(6)); };
    o->expected = [](Row &) { return u"003A98"_s; };
    o->asked = {u"Send parameters to controller?"_s};
    o->done = {u"Reset controller. Is it OK?"_s};
    o->distrusted = u"cached data"_s;

    o = &add("parameter verify", false, "0RD10", "0RD11");
    o->prepare = [](Row &r) { r.openEditorAndRead(); };
    o->run = [](Row &r) { r.editorButton("controllerVerifyButton")->click(); };
    o->done = {
        u"Parameters : indicated and inside of controller\r\n\r\nResult of Verification : OK"_s};
    o->failed = {u"An error occured while reading Parameter from Controller."_s};

    o = &add("homing", true, "", "0MP0");
    o->prepare = [](Row &r) { r.sim.model().setPresentPulses(5000); };
    o->run = home;
    o->result = motionResult;
    o->expected = [](Row &) { return u"H0@0"_s; };

    o = &add("selected move", true, "", "0MP3");
    o->lateIntoNext = true;
    o->prepare = [home](Row &r) {
        home(r);
        r.get<QLineEdit>("selectedBox")->setText(u"3"_s);
    };
    o->run = [](Row &r) { r.get("selectedMoveButton")->click(); };
    o->result = motionResult;
    o->expected = [](Row &) { return u"3@2707"_s; };

    o = &add("program run", true, "", "0MP2");
    o->prepare = [home](Row &r) {
        home(r);
        for (int step = 1; step <= 3; ++step)
            r.w.setProgramCell(step, QString::number(step));
    };
    o->run = [](Row &r) { r.get("moveButton")->click(); };
    o->result = motionResult;
    o->expected = [](Row &) { return u"3@2707"_s; };
    o->partly = {{u"completed"_s, u"1"_s}};

    o = &add("I/O monitor poll", false, "0CM1", "0RD20");
    o->prepare = [](Row &r) {
        r.sim.setInput(u"home"_s, true);
        r.sim.setInput(u"pos2"_s, true);
        r.sim.model().handle("0WS10");
    };
    o->run = [](Row &r) {
        r.prompter.dialogs.push_back([&r](QDialog &d) {
            // The poll interval is the monitor's own; shortened like the time-outs.
            for (QTimer *t : d.findChildren<QTimer *>())
                if (t->interval() == 300) t->setInterval(10);
            r.shownBefore = monitorState(d);
            auto *startStop = d.findChild<QPushButton *>(u"startStopButton"_s);
            const qsizetype polled = r.sim.log().count(u"0RD2F"_s);
            startStop->click();
            (void)QTest::qWaitFor([&] {
                return r.sim.log().count(u"0RD2F"_s) > polled ||
                       startStop->text() == u"Start Monitor"_s;
            });
            if (startStop->text() != u"Start Monitor"_s) startStop->click();
            r.shown = monitorState(d);
            return int(QDialog::Rejected);
        });
        r.get<QAction>("ioMonitorAction")->trigger();
    };
    o->result = [](Row &r) { return r.shown; };
    o->expected = simLamps;

    o = &add("output change", false, "0CM1", "0WS");
    o->prepare = [](Row &r) { r.sim.model().handle("0WS21"); };
    o->run = [](Row &r) {
        r.prompter.answers = {PromptAnswer::Ok};
        r.prompter.dialogs.push_back([&r](QDialog &d) {
            d.findChild<QAbstractButton *>(u"currentDownBox"_s)->click();
            r.shownBefore = outputState(d);
            d.findChild<QPushButton *>(u"changeButton"_s)->click();
            r.shown = outputState(d);
            return int(QDialog::Rejected);
        });
        r.get<QAction>("outputChangeAction")->trigger();
    };
    o->result = [](Row &r) { return r.shown; };
    o->expected = [](Row &r) {
        const SimModel &m = r.sim.model();
        return u"out %1 options %2"_s.arg(m.outputDigit()).arg(m.optionDigit());
    };
    o->asked = {u"Read the present output status, Yes/No?"_s};
    return ops;
}

QString linkMessage(Fault f) {
    switch (f) {
    case Fault::Garbled:
    case Fault::Short:
    case Fault::Long:
        return msg::dataLength;
    case Fault::ErrorCode:
        return kEmergency;
    case Fault::Split:
        return {};
    default:
        return msg::timeOut;
    }
}

QString distrusted(const AppState &s) {
    QStringList l;
    if (s.motionDataStale) l << u"cached data"_s;
    if (s.presentPositionStale) l << u"present position"_s;
    return l.join(u", "_s);
}

// A run that succeeded: no failure message, and the controller's data.
void checkRight(Row &r, const Operation &op) {
    QVERIFY2(r.prompter.unexpected.isEmpty(), qPrintable(r.prompter.unexpected.join(u'/')));
    QCOMPARE(r.prompter.texts().join(u" / "), (op.asked + op.done).join(u" / "));
    QCOMPARE(op.result(r), op.expected(r));
}

} // namespace

class FaultMatrixTest : public QObject {
    Q_OBJECT
private slots:
    void everyOperationAgainstEveryFault_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("faultIndex");
        QTest::addColumn<bool>("kept");
        const QList<Operation> ops = operations();
        for (int i = 0; i < ops.size(); ++i)
            for (int f = 0; f < int(std::size(kFaults)); ++f)
                for (bool kept : {false, true}) {
                    const Fault fault = kFaults[f].fault;
                    const bool late = fault == Fault::Late || fault == Fault::LateIntoNext;
                    if ((kept && !late) || (fault == Fault::LateIntoNext && !ops[i].lateIntoNext))
                        continue;
                    QTest::addRow("%s, %s%s", ops[i].name, kFaults[f].name,
                                  kept ? ", port kept open" : "")
                        << i << f << kept;
                }
    }
    void everyOperationAgainstEveryFault() {
        QFETCH(int, index);
        QFETCH(int, faultIndex);
        QFETCH(bool, kept);
        const Operation op = operations().at(index);
        const Fault fault = kFaults[faultIndex].fault;
        Row r;
        r.s.link.portOccupy = kept;
        if (op.moveMode) r.get("changeModeButton")->click();
        op.prepare(r);
        QVERIFY2(r.prompter.unexpected.isEmpty() && !r.prompter.texts().contains(msg::timeOut),
                 qPrintable(r.prompter.texts().join(u'/')));
        const QStringList usable = controls(r);
        const bool late = fault == Fault::Late || fault == Fault::LateIntoNext;
        const bool missing = late || fault == Fault::Silent;
        // A dead line ends the wait at once, without waiting for the time-out.
        const int waitMs = fault == Fault::Dropped ? 0
                           : op.motion()           ? kMotionWaitMs
                           : missing               ? kMissingWaitMs
                                                   : kReplyWaitMs;
        const int lateMs = waitMs + kLateAfterMs;

        QElapsedTimer clock;
        clock.start();
        qint64 faultAt = -1;
        const auto arm = QObject::connect(&r.sim, &SimServer::lineReceived, [&](const QString &l) {
            if (faultAt >= 0) return;
            const bool hit = l.startsWith(QLatin1String(op.faultLine));
            if (hit) {
                faultAt = clock.elapsed();
                r.sim.command(QString::fromLatin1(kFaults[faultIndex].script)
                                  .replace(u"%1"_s, QString::number(lateMs)));
                if (fault == Fault::Dropped)
                    QTimer::singleShot(0, &r.sim, [&r] { r.sim.dropPort(); });
            }
            const bool next =
                missing && !hit && *op.lineBefore && l.startsWith(QLatin1String(op.lineBefore));
            r.s.link.timeScale = next ? kMissingTimeScale : kTimeScale;
        });
        QMap<QString, QString> before = shownData(r);
        r.prompter.clear();
        r.shownBefore.clear();
        op.run(r);
        const qint64 sinceFault = clock.elapsed() - faultAt;
        QObject::disconnect(arm);
        before[u"dialog"_s] = r.shownBefore;
        QVERIFY2(faultAt >= 0, "the fault never came");
        if (fault == Fault::Split) { // collected into one reply: no fault at all
            checkRight(r, op);
            if (QTest::currentTestFailed()) return;
        } else {
            QVERIFY2(sinceFault <= waitMs + kMarginMs, qPrintable(QString::number(sinceFault)));
            QVERIFY2(r.prompter.unexpected.isEmpty(), qPrintable(r.prompter.unexpected.join(u'/')));
            QCOMPARE(r.prompter.texts().join(u" / "),
                     (op.asked + QStringList{linkMessage(fault)} + op.failed).join(u" / "));
            QMap<QString, QString> untouched = before;
            untouched.insert(op.partly);
            QCOMPARE(shownData(r), untouched);
            QCOMPARE(distrusted(r.s), op.distrusted);
        }
        QVERIFY(!r.s.controllerBusy());
        // A dead port and a motion that ran out of time are closed whatever the option says.
        const bool forcedClose =
            fault == Fault::Dropped || (op.motion() && (fault == Fault::Silent || late));
        QCOMPARE(r.s.link.isPortOpen(), kept && !forcedClose);
        QCOMPARE(controls(r), usable);

        if (fault == Fault::LateIntoNext) {
            // The next run starts at once, so the late reply comes while it
            // waits: it may fail, but only visibly, and never with wrong data.
            before = shownData(r);
            r.prompter.clear();
            op.run(r);
            const QStringList texts = r.prompter.texts();
            if (texts.contains(msg::timeOut) || texts.contains(msg::dataLength)) {
                before[u"dialog"_s] = r.shownBefore;
                QCOMPARE(shownData(r), before);
            } else {
                checkRight(r, op);
                if (QTest::currentTestFailed()) return;
            }
            QVERIFY(!r.s.controllerBusy());
        }
        // Whatever was owed is in, the adapter plugged in again, the alarm cleared.
        QVERIFY(QTest::qWaitFor([&] { return r.sim.idle(); }));
        if (late) QTest::qWait(50); // from the simulator through the pty into the port
        if (fault == Fault::Dropped) r.startSim();
        if (fault == Fault::ErrorCode) r.sim.model().clearAlarm();

        r.prompter.clear();
        op.run(r);
        checkRight(r, op);
        if (QTest::currentTestFailed()) return;
        QVERIFY(!r.s.controllerBusy());
        QCOMPARE(r.s.link.isPortOpen(), kept);
        QCOMPARE(controls(r), usable);
    }
};

TZC3_TEST(FaultMatrixTest)
#include "test_fault_matrix.moc"
