// Controller replies. An operation talks to the simulated controller over a
// pty through the program's own port code, exactly as in use; the input may
// put its own bytes on the wire in place of any of the model's replies. So
// the link's checks, its probe and error report and every decoding of a
// reply meet arbitrary bytes at any step of a long exchange, while the steps
// before it stay right and take the program deep into the operation.
//
// Input: the first line names the operation (any other text picks one by
// its hash); a following word "close" runs it with the port closed after
// each operation, as without the keep-open option. Each further line is the reply to the next
// command the controller answers: an empty line lets the model answer, anything else is sent with
// CR LF added; a CR inside it ends that reply, and the text after it follows as unasked lines (a
// late answer, noise). When the lines run out the model answers the rest. Every command is
// answered, so no exchange ever waits for its time-out.
//
// TZC3_FUZZ_TRACE=1 prints each command and the reply sent for it, the way
// to write a seed.

#include "fuzz_support.h"

#include "controller/controller_mode.h"
#include "controller/status.h"
#include "device/units.h"
#include "link/error_list.h"
#include "operation/io_bits.h"
#include "operation/motion.h"
#include "operation/output_change.h"
#include "parameters/parameter_transfer.h"
#include "positions/position_transfer.h"
#include "positions/table_model.h"
#include "positions/tpd_file.h"
#include "sim_server.h"

#include <QCoreApplication>
#include <QHash>
#include <QList>
#include <QTimer>

#include <algorithm>

#include <cstdio>

namespace {

// The window as the motion procedures see it, without widgets.
struct MotionStandIn : MotionView {
    bool locked = false, tabsOn = true, selectiveOn = true;
    QString cells[16];
    QString selected = QStringLiteral("2");
    void lockMotionControls(bool lock) override { locked = lock; }
    void setMotionTabsEnabled(bool on) override { tabsOn = on; }
    void setSelectiveTabEnabled(bool on) override { selectiveOn = on; }
    void disableModeMenu() override {}
    void showCompletedPosition(const QString &) override {}
    QString programCell(int step) const override { return cells[step]; }
    bool repeatTicked() const override { return false; }
    bool timerTicked() const override { return false; }
    bool stepModeSelected() const override { return false; }
    QString dwellText() const override { return QString(); }
    QString selectedText() const override { return selected; }
    bool moveButtonEnabled() const override { return !locked; }
};

// One controller and one program for the whole run, like a user's session
// with the port kept open: opening a port takes Qt's lock file, which costs
// more than a whole operation. Each execution starts from the state a run
// starts with.
struct Rig {
    Rig() {
        FUZZ_CHECK(sim.start(), QStringLiteral("no pty for the simulator"));
        qputenv("TZC3_COM1", sim.devicePath().toLocal8Bit());
        sim.setPaced(false);
        sim.setMoveTimeScale(0);
        // Every position holds data of its own, so a reply taken for the
        // wrong position shows.
        for (int n = 1; n <= 15; ++n)
            sim.model().setPosition(n, modelPosition(n));
        const bool trace = !qEnvironmentVariableIsEmpty("TZC3_FUZZ_TRACE");
        sim.setReplyFilter([this, trace](const QByteArray &line, const QByteArray &reply) {
            const bool own = next >= script.size() || script[next].isEmpty();
            QByteArray out = reply;
            QList<QByteArray> unasked;
            if (own) {
                answeredByModel << line;
            } else {
                unasked = script[next].split('\r');
                out = unasked.takeFirst() + "\r\n";
                foreignLines << out << unasked;
            }
            ++next;
            if (trace) std::printf("%s -> %s", line.constData(), out.constData());
            // What follows a CR comes right after the reply, unasked: a late
            // answer to an earlier command, or noise.
            for (const QByteArray &extra : std::as_const(unasked))
                if (!extra.isEmpty())
                    QTimer::singleShot(0, &sim, [this, extra] { sim.noise(extra + "\r\n"); });
            return out;
        });
        env.s.link.loadErrorList(env.s.programFolder);
        env.s.device.size = QStringLiteral(" 28");
        env.s.device.speed = QStringLiteral("L");
        env.s.device.stroke = 100;
        env.s.device.lead = 2;
        env.s.device.ppr = 400;
        units::computeLimits(env.s);
        positionView.bracket = bracket();
    }
    void begin(const QList<QByteArray> &replies, bool keepPortOpen) {
        script = replies;
        next = 0;
        answeredByModel.clear();
        foreignLines.clear();
        disabled = enabled = 0;
        motionView = MotionStandIn();
        fields = ParameterFields();
        sim.model().powerOn();
        for (int n = 1; n <= 15; ++n)
            sim.model().setPosition(n, modelPosition(n));
        sim.clearLog();

        AppState &s = env.s;
        s.link.portOccupy = keepPortOpen;
        s.positions = PositionTable();
        s.fileLabel.clear();
        s.program.clear();
        s.parameters = ParameterSet();
        s.parameterSlots = ParameterSlots();
        const bool open = s.link.indicators.portOpen;
        s.link.indicators = StatusIndicators();
        s.link.indicators.portOpen = open;
        s.motionDataStale = s.presentPositionStale = false;
        s.link.replyTimeoutMs = 5000;
        s.link.timeScale = 1.0;
        s.link.lastReply.clear();
        s.link.lastErrorReply.clear();
        s.link.errorList.found = false;
        env.prompter.clear();
        env.prompter.answers.clear();
    }
    // Unasked lines still due go out now; the next operation meets them as
    // the input it must discard.
    void end() {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }
    static SimPosition modelPosition(int n) {
        return {1 + n % 3, 1 + (n + 1) % 3, n % 4, 2, n * 1111};
    }
    CommandBracket bracket() {
        return {[this] { ++disabled; }, [this] { ++enabled; }};
    }
    // Every row valid: VEL, ACC and OUT 1, 100 pulses per position number.
    void fillTable() {
        for (int row = 1; row <= 15; ++row) {
            const QString texts[] = {QStringLiteral("1"), QStringLiteral("1"),
                                     QStringLiteral("1"), units::pulseCellText(row * 100),
                                     QString(),           QString()};
            for (int col = 1; col <= 6; ++col)
                env.s.positions.setText(row, col, texts[col - 1]);
        }
        units::recomputeMmColumn(env.s, env.s.positions);
    }
    ParameterView parameterView(bool details) {
        const char *texts[] = {"12000", "0",  "20", "0", "0", "5", "5",
                               "10",    "20", "30", "2", "2", "2"};
        for (int i = 0; i < ParameterFields::Count; ++i)
            fields[i] = QString::fromLatin1(texts[i]);
        fields.details = details;
        fields.useDefault = !details;
        ParameterView v;
        v.fields = [this] { return fields; };
        v.showFields = [this](const ParameterFields &f) { fields = f; };
        v.setCaption = [](const QString &) {};
        return v;
    }

    // The controller outlives the program's port.
    SimServer sim;
    fuzz::Env env;
    QList<QByteArray> script;
    int next = 0;
    QList<QByteArray> answeredByModel; // commands the model's own reply answered
    QList<QByteArray> foreignLines;    // every line of the input put on the wire
    int disabled = 0, enabled = 0;
    PositionView positionView;
    ParameterFields fields;
    MotionStandIn motionView;
};

void answer(Rig &r, std::initializer_list<PromptAnswer> answers) {
    r.env.prompter.answers.assign(answers.begin(), answers.end());
}

// One poll of the I/O monitor: both blocks, every lamp from its reply. The
// window polls from a 300 ms timer, so its steps run here directly.
void ioPoll(Rig &r) {
    AppState &s = r.env.s;
    BusyScope busy(s.link);
    if (!s.link.openPort() || !setCommunicationMode(s.link)) return;
    for (bool ioBlock : {false, true}) {
        s.link.replyTimeoutMs = 5000;
        if (!s.link.transact(QStringLiteral("0RD"),
                             ioBlock ? QStringLiteral("2F") : QStringLiteral("20"), 23))
            break;
        for (const io::Signal &sig : io::ioSignals())
            if (sig.ioBlock == ioBlock) io::lampLit(sig, s.link.lastReply);
    }
    s.link.closePortUnlessKept();
}

// A read that succeeds shows, for every position the controller answered
// itself, exactly what it holds: an answer that names another position (a
// late one) is never taken for it. Positions some input line names are left
// out, since that line may have come just when their answer was due.
void readPositions(Rig &r) {
    AppState &s = r.env.s;
    answer(r, {PromptAnswer::Yes});
    positions::readFromController(s, r.positionView);
    if (s.fileLabel != positions::controllerFileLabel(s)) return;
    for (int n = 1; n <= 15; ++n) {
        const QByteArray command = "0RP" + positions::positionDigit(n).toLatin1();
        if (!r.answeredByModel.contains(command)) continue;
        if (std::any_of(r.foreignLines.begin(), r.foreignLines.end(),
                        [&](const QByteArray &l) { return l.left(4).toUpper() == command; }))
            continue;
        const PositionRecord &shown = s.positions.loaded.rows[n];
        const SimPosition held = Rig::modelPosition(n);
        FUZZ_CHECK(shown.vel == held.vel && shown.acc == held.acc && shown.out == held.out &&
                       shown.pulses == held.pulses,
                   QStringLiteral("position %1 shows %2 pulses, the controller holds %3")
                       .arg(n)
                       .arg(shown.pulses)
                       .arg(held.pulses));
    }
}

struct Operation {
    const char *name;
    void (*run)(Rig &);
};

const Operation kOperations[] = {
    {"read-positions", readPositions},
    {"write-positions",
     [](Rig &r) {
         r.fillTable();
         answer(r, {PromptAnswer::Ok});
         positions::writeToController(r.env.s, r.positionView);
     }},
    {"verify-positions",
     [](Rig &r) {
         r.fillTable();
         positions::verifyAgainstControllerCommand(r.env.s, r.positionView);
     }},
    {"read-parameters",
     [](Rig &r) { params::readParametersCommand(r.env.s, r.parameterView(true)); }},
    {"verify-parameters",
     [](Rig &r) { params::verifyParametersAgainstController(r.env.s, r.parameterView(false)); }},
    {"write-parameters",
     [](Rig &r) {
         // Its pauses (half a second, then three while the controller
         // restarts) would dwarf everything else. Time-outs shrink alike, to
         // 2 ms at the least, still above a reply's time here.
         r.env.s.link.timeScale = 0.002;
         answer(r, {PromptAnswer::Yes, PromptAnswer::Yes, PromptAnswer::Ok});
         params::writeParametersCommand(r.env.s, r.parameterView(false));
     }},
    {"home",
     [](Rig &r) {
         Motion m(r.env.s, r.motionView);
         m.homeClicked();
     }},
    {"move",
     [](Rig &r) {
         Motion m(r.env.s, r.motionView);
         m.selectMoveClicked();
     }},
    {"program",
     [](Rig &r) {
         r.motionView.cells[1] = QStringLiteral("1");
         r.motionView.cells[2] = QStringLiteral("3");
         r.motionView.cells[3] = QStringLiteral("2");
         Motion m(r.env.s, r.motionView);
         m.moveClicked();
     }},
    {"version", [](Rig &r) { showControllerVersion(r.env.s.link, r.bracket()); }},
    {"io-poll", ioPoll},
    {"change-out",
     [](Rig &r) {
         OutputChangeDialog dlg(r.env.s, r.bracket());
         answer(r, {PromptAnswer::Ok});
         dlg.readPresentState();
         dlg.writeState();
     }},
    {"error-reset", [](Rig &r) { errorReset(r.env.s.link); }},
    {"external-mode",
     [](Rig &r) {
         answer(r, {PromptAnswer::Yes});
         externalStartMode(r.env.s.link, r.bracket());
     }},
};

const Operation &operationFor(const QByteArray &name) {
    for (const Operation &op : kOperations)
        if (name == op.name) return op;
    return kOperations[qHash(name) % std::size(kOperations)];
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzz::ensureApplication();
    QList<QByteArray> lines =
        QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)).split('\n');
    const QByteArray first = lines.takeFirst().trimmed();
    const Operation &op = operationFor(first.split(' ').first());
    static Rig r;
    r.begin(lines, !first.split(' ').contains("close"));
    op.run(r);
    r.end();

    // However the exchange went, the program is ready for the next one.
    AppState &s = r.env.s;
    FUZZ_CHECK(!s.controllerBusy(), QString::fromLatin1(op.name));
    FUZZ_CHECK(r.disabled == r.enabled, QString::fromLatin1(op.name));
    const MotionStandIn &v = r.motionView;
    FUZZ_CHECK(!v.locked && v.tabsOn && v.selectiveOn, QString::fromLatin1(op.name));
    return 0;
}
