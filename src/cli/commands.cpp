#include "cli/commands.h"

#include "cli/console.h"
#include "cli/interrupt.h"
#include "common/numtext.h"
#include "controller/controller_mode.h"
#include "controller/status.h"
#include "link/port_map.h"
#include "operation/io_exchange.h"
#include "operation/motion.h"
#include "parameters/parameter_transfer.h"
#include "positions/position_transfer.h"
#include "positions/table_model.h"
#include "positions/tpd_file.h"
#include "state/app_state.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QJsonArray>
#include <QScopeGuard>
#include <QTimer>

namespace {

// The window's stand-in for the motion procedures: no controls to lock, the
// program and the choices from the command line, and a record of every
// position the actuator reached.
class ConsoleMotionView : public MotionView {
public:
    void lockMotionControls(bool) override {}
    void setMotionTabsEnabled(bool) override {}
    void setSelectiveTabEnabled(bool) override {}
    void disableModeMenu() override {}
    void showCompletedPosition(const QString &text) override {
        completed << text;
        if (onCompleted) onCompleted();
    }
    QString programCell(int step) const override { return program.value(step - 1); }
    bool repeatTicked() const override { return repeat; }
    bool timerTicked() const override { return !dwell.isEmpty(); }
    bool stepModeSelected() const override { return false; }
    QString dwellText() const override { return dwell; }
    QString selectedText() const override { return selected; }
    // Stop counts only while a motion runs, as it does while the window's
    // Move button is disabled.
    bool moveButtonEnabled() const override { return !running; }

    QStringList program;
    bool repeat = false;
    QString dwell;
    QString selected;
    bool running = false;
    QStringList completed;
    std::function<void()> onCompleted;
};

class Runner {
public:
    Runner(CommandContext &c, const CliRequest &r) : c_(c), s_(c.s), r_(r) {
        positionView_.progress = c.progress;
        parameterView_.fields = [this] { return fields_; };
        parameterView_.showFields = [this](const ParameterFields &f) { fields_ = f; };
        parameterView_.progress = c.progress;
        // The editor as it opens: empty, the factory timings applying.
        fields_.details = s_.options.showParameterDetails;
        applyDefaultCheck(fields_, true);
    }

    CommandResult execute();

private:
    // The command did not do what was asked: why, as an exit code. When the
    // link saw nothing wrong, a declined question is a usage matter and
    // anything else was the data's (the file's) fault.
    CommandResult &failed(ExitCode otherwise = ExitCode::FileError) {
        res_.code = c_.failures.failureCode(c_.prompter.declined ? ExitCode::Usage : otherwise);
        return res_;
    }
    bool fileExists(const QString &path);
    void addVerification(Verification v, const QStringList &unmatched);

    CommandResult &version();
    CommandResult &status();
    CommandResult &positionsRead();
    CommandResult &positionsWrite(bool write);
    CommandResult &paramsRead();
    CommandResult &paramsWrite(bool write);
    CommandResult &home();
    CommandResult &moveToPosition();
    CommandResult &programRun();
    CommandResult &io();
    CommandResult &output();
    CommandResult &mode();
    CommandResult &resetError();
    CommandResult &send();

    void showPositions(bool toStdout);
    void showParameters(bool toStdout);
    static QJsonObject signalsJson(const io::Poll &p);
    QString signalsLine(const io::Poll &p) const;

    CommandContext &c_;
    AppState &s_;
    const CliRequest &r_;
    CommandResult res_;
    PositionView positionView_;
    ParameterView parameterView_;
    ParameterFields fields_;
};

QString onOffText(bool on) {
    return on ? QStringLiteral("on") : QStringLiteral("off");
}

bool Runner::fileExists(const QString &path) {
    if (QFileInfo(path).isFile()) return true;
    c_.prompter.message(s_.tx("ファイルがありません: ", "No such file: ") + path);
    return false;
}

void Runner::addVerification(Verification v, const QStringList &unmatched) {
    if (v == Verification::NotDone) {
        failed();
        return;
    }
    const bool matched = v == Verification::Matched;
    res_.json[QStringLiteral("matched")] = matched;
    res_.json[QStringLiteral("unmatched")] = QJsonArray::fromStringList(unmatched);
    res_.lines << (matched ? QStringLiteral("verify: OK")
                           : QStringLiteral("verify: NG ") + unmatched.join(u' '));
    if (!matched) res_.code = ExitCode::Differences;
}

// ---------------------------------------------------------------- controller

CommandResult &Runner::version() {
    if (!showControllerVersion(s_.link, {})) return failed(ExitCode::NoController);
    const QString v = s_.link.indicators.controllerVersion;
    res_.json[QStringLiteral("version")] = v;
    res_.lines << v;
    return res_;
}

CommandResult &Runner::status() {
    Link &link = s_.link;
    BusyScope busy(link);
    const auto closing = qScopeGuard([&] { link.closePortUnlessKept(); });
    if (!link.openPort() || !setCommunicationMode(link)) return failed(ExitCode::NoController);
    const std::optional<bool> homed = readHomeState(link);
    if (!homed) return failed(ExitCode::NoController);
    link.replyTimeoutMs = 5000;
    if (!link.transact(QStringLiteral("0RS"), QString(), 7)) return failed(ExitCode::NoController);
    const auto outputs = io::outputStatusOf(link.lastReply);
    link.replyTimeoutMs = 5000;
    if (!link.transact(QStringLiteral("0RC"), QString(), 16)) return failed(ExitCode::NoController);
    const qint64 pulses = num::hexVal(QStringView(link.lastReply).mid(8, 6));

    res_.json[QStringLiteral("home")] = *homed;
    res_.json[QStringLiteral("alarm")] = QJsonValue::Null;
    res_.lines << QStringLiteral("home: ") +
                      (*homed ? QStringLiteral("established") : QStringLiteral("not established"));
    res_.lines << QStringLiteral("alarm: none");
    if (outputs) {
        res_.json[QStringLiteral("outputs")] =
            QJsonObject{{QStringLiteral("out1"), (outputs->outputs & 1) != 0},
                        {QStringLiteral("out2"), (outputs->outputs & 2) != 0},
                        {QStringLiteral("brake"), (outputs->options & 1) != 0},
                        {QStringLiteral("currentDown"), (outputs->options & 2) != 0}};
        res_.lines << QStringLiteral("OUT1: %1  OUT2: %2  brake: %3  current down: %4")
                          .arg(onOffText(outputs->outputs & 1), onOffText(outputs->outputs & 2),
                               onOffText(outputs->options & 1), onOffText(outputs->options & 2));
    }
    res_.json[QStringLiteral("position")] = pulses;
    res_.lines << QStringLiteral("position: %1 pulses").arg(pulses);
    return res_;
}

// ---------------------------------------------------------------- positions

void Runner::showPositions(bool toStdout) {
    const PositionTable &t = s_.positions;
    QJsonArray rows;
    if (toStdout) res_.lines << QStringLiteral("No VEL ACC OUT    PULSE         MM COMMENT");
    for (int row = 1; row < PositionTable::Rows; ++row) {
        const auto cell = [&](int col) { return t.text(row, col).trimmed(); };
        QJsonObject o{{QStringLiteral("no"), positions::positionDigit(row)},
                      {QStringLiteral("vel"), cell(PositionTable::ColVel).toInt()},
                      {QStringLiteral("acc"), cell(PositionTable::ColAcc).toInt()},
                      {QStringLiteral("out"), cell(PositionTable::ColOut).toInt()},
                      {QStringLiteral("pulses"), t.working[row].pulses},
                      {QStringLiteral("mm"), cell(PositionTable::ColMm)},
                      {QStringLiteral("comment"), cell(PositionTable::ColComment)}};
        rows.append(o);
        if (toStdout)
            res_.lines << QStringLiteral("%1  %2   %3   %4 %5 %6 %7")
                              .arg(positions::positionDigit(row), 2)
                              .arg(cell(PositionTable::ColVel), 1)
                              .arg(cell(PositionTable::ColAcc), 1)
                              .arg(cell(PositionTable::ColOut), 3)
                              .arg(t.working[row].pulses, 8)
                              .arg(cell(PositionTable::ColMm), 10)
                              .arg(cell(PositionTable::ColComment))
                              .trimmed();
    }
    res_.json[QStringLiteral("positions")] = rows;
}

CommandResult &Runner::positionsRead() {
    if (!positions::readFromController(s_, positionView_)) return failed();
    const bool toFile = !r_.outputFile.isEmpty();
    showPositions(!toFile);
    if (toFile) {
        c_.prompter.nextFile = r_.outputFile;
        if (positions::savePositionFileAs(s_, positionView_) != positions::SaveResult::Saved)
            return failed();
        res_.json[QStringLiteral("file")] = r_.outputFile;
    }
    return res_;
}

// write: positions write FILE [--verify]; otherwise positions verify FILE.
CommandResult &Runner::positionsWrite(bool write) {
    const QString path = r_.args.value(0);
    if (!fileExists(path)) return failed();
    c_.prompter.nextFile = path;
    if (!positions::openPositionFile(s_, positionView_)) return failed();
    res_.json[QStringLiteral("file")] = path;
    res_.json[QStringLiteral("model")] = s_.device.modelName;
    if (write) {
        if (!positions::writeToController(s_, positionView_)) return failed();
        res_.json[QStringLiteral("written")] = true;
        res_.lines << QStringLiteral("written");
        if (!r_.verify) return res_;
    }
    const Verification v = positions::verifyAgainstControllerCommand(s_, positionView_);
    addVerification(v, positions::compareBuffers(s_).unmatchedNo);
    return res_;
}

// ---------------------------------------------------------------- parameters

void Runner::showParameters(bool toStdout) {
    const ParameterSet &p = s_.parameters;
    const std::pair<const char *, qint64> items[] = {{"1", p.strokeLength},
                                                     {"2", p.homeOffset},
                                                     {"3", p.homePushing},
                                                     {"4-OUT", p.homeOutPort},
                                                     {"4-BK", p.homeOutBk},
                                                     {"5", p.homingVelocity},
                                                     {"6", p.offsetVelocity},
                                                     {"7", p.vel1},
                                                     {"8", p.vel2},
                                                     {"9", p.vel3},
                                                     {"10", p.homingMethod},
                                                     {"11", p.currentReleaseTime},
                                                     {"12", p.brakeReleaseTime},
                                                     {"13", p.brakeExecTime}};
    QJsonObject o;
    for (const auto &[label, value] : items) {
        o[QLatin1String(label)] = value;
        if (toStdout)
            res_.lines << QStringLiteral("%1 %2").arg(QLatin1String(label), -6).arg(value);
    }
    res_.json[QStringLiteral("parameters")] = o;
}

CommandResult &Runner::paramsRead() {
    if (!params::readParameters(s_, parameterView_)) return failed();
    const bool toFile = !r_.outputFile.isEmpty();
    showParameters(!toFile);
    if (toFile) {
        c_.prompter.nextFile = r_.outputFile;
        if (!params::saveParameters(s_, parameterView_)) return failed();
        res_.json[QStringLiteral("file")] = r_.outputFile;
    }
    return res_;
}

// write: params write FILE [--verify] [--no-reset]; otherwise params verify FILE.
CommandResult &Runner::paramsWrite(bool write) {
    const QString path = r_.args.value(0);
    if (!fileExists(path)) return failed();
    c_.prompter.nextFile = path;
    if (!params::openParameters(s_, parameterView_)) return failed();
    res_.json[QStringLiteral("file")] = path;
    if (write) {
        if (r_.noReset) {
            const QString question = resetQuestion(s_.lang);
            c_.prompter.preset = [question](const QString &text) -> std::optional<PromptAnswer> {
                if (text == question) return PromptAnswer::Cancel;
                return std::nullopt;
            };
        }
        const bool written = params::writeParameters(s_, parameterView_);
        c_.prompter.preset = nullptr;
        if (!written) return failed();
        // --no-reset answered the reset offer: that is no declined question.
        c_.prompter.declined = false;
        res_.json[QStringLiteral("written")] = true;
        res_.json[QStringLiteral("reset")] = !r_.noReset;
        res_.lines << QStringLiteral("written");
        if (!r_.verify) return res_;
    }
    const Verification v = params::verifyParametersWithController(s_, parameterView_);
    QString diffList;
    if (v != Verification::NotDone)
        params::parametersDiffer(s_.parameterSlots, s_.parameters, fields_.details, false,
                                 diffList);
    QStringList unmatched = diffList.split(u',', Qt::SkipEmptyParts);
    addVerification(v, unmatched);
    return res_;
}

// ---------------------------------------------------------------- motion

CommandResult &Runner::home() {
    ConsoleMotionView view;
    Motion motion(s_, view);
    motion.homeClicked();
    if (!view.completed.contains(QStringLiteral("H0"))) return failed(ExitCode::NoController);
    res_.json[QStringLiteral("completed")] = QStringLiteral("H0");
    res_.lines << QStringLiteral("H0");
    return res_;
}

CommandResult &Runner::moveToPosition() {
    ConsoleMotionView view;
    Motion motion(s_, view);
    // The window's chooser holds a decimal number; a digit that names no
    // position goes through as typed, for the window's own refusal.
    const QString typed = r_.args.value(0).toUpper();
    const int n = typed.size() == 1 ? int(num::hexVal(typed)) : 0;
    const bool digit = typed.size() == 1 && ((typed[0] >= u'1' && typed[0] <= u'9') ||
                                             (typed[0] >= u'A' && typed[0] <= u'F'));
    view.selected = digit ? QString::number(n) : typed;
    view.running = true;
    motion.selectMoveClicked();
    view.running = false;
    if (!digit) return failed(ExitCode::Usage);
    if (view.completed.isEmpty() || view.completed.last() != typed)
        return failed(ExitCode::NoController);
    res_.json[QStringLiteral("completed")] = typed;
    res_.lines << typed;
    return res_;
}

CommandResult &Runner::programRun() {
    // Every step is checked before anything moves: the window's program grid
    // takes only digits, and a slip here must not home or move the actuator
    // before it is found.
    QStringList program;
    for (const QString &a : r_.args) {
        const QString d = a.toUpper();
        const bool ok =
            d.size() == 1 && ((d[0] >= u'1' && d[0] <= u'9') || (d[0] >= u'A' && d[0] <= u'F'));
        if (!ok) {
            c_.prompter.message(programStepMessage(s_));
            res_.code = ExitCode::Usage;
            return res_;
        }
        program << d;
    }
    ConsoleMotionView view;
    Motion motion(s_, view);
    view.program = program;
    view.repeat = r_.repeat != 1;
    view.dwell = r_.dwell;
    const int wanted = r_.repeat == 0 ? -1 : r_.repeat * int(program.size());
    int moves = 0;
    view.onCompleted = [&] {
        if (view.completed.last() == QLatin1String("H0")) return;
        // The last pass has ended: Stop, as the window's button would.
        if (++moves == wanted) motion.st.stopRequest = true;
    };
    const auto stop = QObject::connect(&c_.interrupt, &InterruptWatch::interrupted, &motion,
                                       [&] { motion.stopClicked(); });
    view.running = true;
    motion.moveClicked();
    view.running = false;
    QObject::disconnect(stop);

    QStringList reached = view.completed;
    reached.removeAll(QStringLiteral("H0"));
    res_.json[QStringLiteral("completed")] = QJsonArray::fromStringList(reached);
    res_.json[QStringLiteral("moves")] = moves;
    res_.lines << reached.join(u' ');
    if (wanted < 0 && c_.interrupt.requested()) return res_; // until Ctrl+C: done
    if (moves == wanted) return res_;
    if (c_.interrupt.requested()) {
        res_.code = ExitCode::Interrupted;
        return res_;
    }
    return failed(ExitCode::NoController);
}

// ---------------------------------------------------------------- I/O

QJsonObject Runner::signalsJson(const io::Poll &p) {
    QJsonObject inputs, outputs;
    const auto &sigs = io::ioSignals();
    for (int i = 0; i < io::SignalCount; ++i) {
        const QJsonValue v = p.lit[i] ? QJsonValue(*p.lit[i]) : QJsonValue(QJsonValue::Null);
        (i < io::FirstOutput ? inputs : outputs)[QLatin1String(sigs[i].en)] = v;
    }
    return {{QStringLiteral("inputs"), inputs}, {QStringLiteral("outputs"), outputs}};
}

QString Runner::signalsLine(const io::Poll &p) const {
    QStringList parts;
    const auto &sigs = io::ioSignals();
    for (int i = 0; i < io::SignalCount; ++i)
        parts << s_.tx(sigs[i].ja, sigs[i].en) + u'=' +
                     (p.lit[i] ? (*p.lit[i] ? QStringLiteral("1") : QStringLiteral("0"))
                               : QStringLiteral("?"));
    return parts.join(u' ');
}

CommandResult &Runner::io() {
    Link &link = s_.link;
    const auto closing = qScopeGuard([&] { link.closePortUnlessKept(); });
    if (!r_.watch) {
        const io::Poll p = io::pollSignals(link);
        if (!p.ok) return failed(ExitCode::NoController);
        const QJsonObject o = signalsJson(p);
        for (auto it = o.begin(); it != o.end(); ++it)
            res_.json[it.key()] = it.value();
        res_.lines << signalsLine(p);
        return res_;
    }
    // Every 300 ms as the monitor window polls, a line each time the signals
    // change, until Ctrl+C; a poll that fails ends the watch as it ends
    // monitoring there.
    QEventLoop loop;
    QTimer timer;
    timer.setInterval(300);
    bool ok = true;
    bool polling = false;
    QString last;
    const auto tick = [&] {
        if (polling) return; // a slow controller: never two polls at once
        if (c_.interrupt.requested()) {
            loop.quit();
            return;
        }
        polling = true;
        const io::Poll p = io::pollSignals(link);
        polling = false;
        if (!p.ok) {
            ok = false;
            loop.quit();
            return;
        }
        const QString line = signalsLine(p);
        if (line != last && c_.stream) c_.stream(line, signalsJson(p));
        last = line;
        if (c_.interrupt.requested()) loop.quit();
    };
    QObject::connect(&timer, &QTimer::timeout, &loop, tick);
    QObject::connect(&c_.interrupt, &InterruptWatch::interrupted, &loop, [&] {
        if (!polling) loop.quit();
    });
    timer.start();
    QTimer::singleShot(0, &loop, tick);
    loop.exec();
    timer.stop();
    if (!ok) return failed(ExitCode::NoController);
    return res_;
}

// The output change window's question, read and write, with one output
// switched and the other output and the drive options as they were read.
CommandResult &Runner::output() {
    const int bit = r_.args[0] == QLatin1String("1") ? 1 : 2;
    const bool on = r_.args[1] == QLatin1String("on");
    if (s_.prompter.ask(s_.tx("現在の出力の状態を読み込みます。よろしいですか？",
                              "Read the present output status, Yes/No?"),
                        PromptButtons::OkCancel, PromptIcon::Question) != PromptAnswer::Ok)
        return failed(ExitCode::Usage);
    auto st = io::readOutputStatus(s_.link);
    if (!st) return failed(ExitCode::NoController);
    st->outputs = on ? st->outputs | bit : st->outputs & ~bit;
    if (!io::writeOutputStatus(s_.link, *st)) return failed(ExitCode::NoController);
    res_.json[QStringLiteral("outputs")] = st->outputs;
    res_.json[QStringLiteral("options")] = st->options;
    res_.lines << QStringLiteral("OUT1: %1  OUT2: %2")
                      .arg(onOffText(st->outputs & 1), onOffText(st->outputs & 2));
    return res_;
}

CommandResult &Runner::mode() {
    const bool comm = r_.args[0] == QLatin1String("comm");
    const bool done = comm ? communicationMode(s_.link, {}) : externalStartMode(s_.link, {});
    if (!done) return failed(ExitCode::NoController);
    res_.json[QStringLiteral("mode")] = r_.args[0];
    return res_;
}

CommandResult &Runner::resetError() {
    const bool done = errorReset(s_.link);
    s_.link.closePortUnlessKept();
    if (!done) return failed(ExitCode::NoController);
    return res_;
}

// One line as typed, its reply as it came: no mode change before it, no
// check of the reply's length, which only the user knows.
CommandResult &Runner::send() {
    Link &link = s_.link;
    const QString line = r_.args[0];
    BusyScope busy(link);
    const auto closing = qScopeGuard([&] { link.closePortUnlessKept(); });
    link.replyTimeoutMs = 5000;
    if (line.size() < 3 || !link.transact(line.left(3), line.mid(3), Link::AnyLength))
        return failed(line.size() < 3 ? ExitCode::Usage : ExitCode::NoController);
    QString reply = link.lastReply;
    reply.chop(2);
    res_.json[QStringLiteral("sent")] = line;
    res_.json[QStringLiteral("reply")] = reply;
    res_.lines << reply;
    return res_;
}

CommandResult Runner::execute() {
    const QString &cmd = r_.command;
    if (cmd == QLatin1String("version")) return version();
    if (cmd == QLatin1String("status")) return status();
    if (cmd == QLatin1String("positions read")) return positionsRead();
    if (cmd == QLatin1String("positions write")) return positionsWrite(true);
    if (cmd == QLatin1String("positions verify")) return positionsWrite(false);
    if (cmd == QLatin1String("params read")) return paramsRead();
    if (cmd == QLatin1String("params write")) return paramsWrite(true);
    if (cmd == QLatin1String("params verify")) return paramsWrite(false);
    if (cmd == QLatin1String("home")) return home();
    if (cmd == QLatin1String("move")) return moveToPosition();
    if (cmd == QLatin1String("run")) return programRun();
    if (cmd == QLatin1String("io")) return io();
    if (cmd == QLatin1String("output")) return output();
    if (cmd == QLatin1String("mode")) return mode();
    if (cmd == QLatin1String("reset-error")) return resetError();
    if (cmd == QLatin1String("send")) return send();
    return listPorts(s_);
}

} // namespace

CommandResult runCommand(CommandContext &c, const CliRequest &r) {
    Runner runner(c, r);
    CommandResult res = runner.execute();
    if (res.code == ExitCode::ControllerError) {
        const StatusIndicators &ind = c.s.link.indicators;
        res.json[QStringLiteral("alarm")] =
            QJsonObject{{QStringLiteral("code"), c.failures.errorCode},
                        {QStringLiteral("description"), ind.errorComment}};
        if (r.command == QLatin1String("status"))
            res.lines << QStringLiteral("alarm: ") + c.failures.errorCode + u' ' + ind.errorComment;
    }
    return res;
}

CommandResult listPorts(const AppState &) {
    CommandResult res;
    QJsonArray ports;
    for (int n = 1; n <= 9; ++n) {
        const portmap::PortMapping m = portmap::mappingFor(n);
        if (m.device.isEmpty()) continue;
        const bool env = m.source == portmap::Source::Environment;
        ports.append(QJsonObject{{QStringLiteral("number"), n},
                                 {QStringLiteral("device"), m.device},
                                 {QStringLiteral("source"),
                                  env ? QStringLiteral("environment") : QStringLiteral("system")}});
        res.lines << QStringLiteral("%1 %2").arg(n).arg(portmap::describePort(n));
    }
    res.json[QStringLiteral("ports")] = ports;
    return res;
}
