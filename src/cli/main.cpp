// tzc3-cli: the program's operations from a shell, on the core library
// alone (Qt Core and Qt SerialPort): no display, no window toolkit.

#include "cli/commands.h"
#include "cli/console.h"
#include "cli/interrupt.h"
#include "cli/outcome.h"
#include "cli/parallel.h"
#include "cli/request.h"
#include "cli/trace.h"
#include "common/numtext.h"
#include "common/settings_store.h"
#include "device/catalogue.h"
#include "device/units.h"
#include "state/app_state.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <cmath>
#include <cstdio>
#include <unistd.h>

namespace {

void printJson(const QJsonObject &o) {
    writeTo(stdout, QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)) + u'\n');
}

// The device the command works with: --model, else the one the windows
// left in the settings (as the main window restores it at start). False when
// --model names no device of the catalogues (the user has been told).
bool takeDevice(AppState &s, const QString &model) {
    if (!model.isEmpty()) {
        if (!device::parseModelName(s, model, QStringLiteral("NEW")) || !device::adoptCandidate(s))
            return false;
        device::buildModelName(s);
        return true;
    }
    if (device::restoreDevice(s)) {
        device::loadCatalogue(s, false);
        device::findDeviceInCatalogue(s, false);
        units::computeLimits(s);
        device::buildModelName(s);
    }
    return true;
}

int runOnOnePort(const CliRequest &r, SettingsStore &settings, InterruptWatch &interrupt) {
    StderrLine err(::isatty(STDERR_FILENO) == 1);
    const ConsolePrompter::AskMode askMode = r.yes ? ConsolePrompter::AskMode::Yes
                                             : ::isatty(STDIN_FILENO) == 1
                                                 ? ConsolePrompter::AskMode::Terminal
                                                 : ConsolePrompter::AskMode::Refuse;
    Language lang;
    lang.set(r.language ? r.language : storedLanguage(settings));
    ConsolePrompter prompter(lang, err, askMode);
    AppState s(settings, prompter, QCoreApplication::applicationDirPath());
    s.setLanguage(lang.code());
    s.roundUpHalves =
        std::nearbyint(num::val(settings.read(QStringLiteral("MmRoundUp"), QStringLiteral("1")))) >
        0;

    CommandResult res;
    QJsonObject head{{QStringLiteral("command"), r.command}};
    const auto finish = [&](CommandResult &done) {
        if (r.json) {
            QJsonObject o = head;
            for (auto it = done.json.begin(); it != done.json.end(); ++it)
                o[it.key()] = it.value();
            o[QStringLiteral("exit")] = int(done.code);
            o[QStringLiteral("result")] = resultName(done.code);
            o[QStringLiteral("messages")] = QJsonArray::fromStringList(prompter.messages);
            printJson(o);
        } else if (!done.lines.isEmpty()) {
            writeTo(stdout, done.lines.join(u'\n') + u'\n');
        }
        return int(done.code);
    };

    if (r.command == QLatin1String("ports")) {
        res = listPorts(s);
        return finish(res);
    }

    // The port: the one named, else the one the windows use.
    Link &link = s.link;
    link.portNumber = settings.readInt16(QStringLiteral("PortNo"), 1).value_or(0);
    link.portOccupy = settings.readInt16(QStringLiteral("PortOccupy"), 0) > 0;
    QString portLabel = QString::number(link.portNumber);
    if (!r.targets.isEmpty()) {
        const CliRequest::Target &t = r.targets.first();
        portLabel = t.value;
        if (t.isDevice)
            link.setDeviceOverride(t.value);
        else
            link.portNumber = qint16(t.value.toInt());
    }
    head[QStringLiteral("port")] = portLabel;
    link.replyTimeoutOverrideMs = r.timeoutMs;
    link.loadErrorList(s.programFolder);

    TraceWriter trace(link, portLabel);
    if (!r.traceFile.isEmpty() && !trace.open(r.traceFile)) {
        prompter.message(lang.tx("トレースファイルを開けません: ", "Cannot open the trace file: ") +
                         r.traceFile + QStringLiteral(" (") + trace.errorString() + u')');
        res.code = ExitCode::FileError;
        return finish(res);
    }
    if (!takeDevice(s, r.model)) {
        res.code = ExitCode::Usage;
        return finish(res);
    }
    head[QStringLiteral("model")] = s.device.modelName;

    FailureWatch failures(link);
    // The link says nothing when the port cannot be opened; the user of a
    // shell needs to know which port and why.
    QObject::connect(&link, &Link::traffic, &link, [&](const LinkEvent &e) {
        if (e.kind == LinkEvent::Kind::PortOpenFailed) prompter.message(e.failure);
    });
    TerminalProgress progress(err);
    CommandContext c{s, prompter, failures, interrupt, &progress, {}};
    c.stream = [&](const QString &line, const QJsonObject &json) {
        if (r.json) {
            QJsonObject o = head;
            for (auto it = json.begin(); it != json.end(); ++it)
                o[it.key()] = it.value();
            printJson(o);
        } else {
            writeTo(stdout, line + u'\n');
        }
    };
    res = runCommand(c, r);
    link.closePort();
    return finish(res);
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("TZ-C3"));
    SettingsStore settings;
    Language settingsLanguage;
    settingsLanguage.set(storedLanguage(settings));

    const ParseOutcome parsed = parseCommandLine(app.arguments().mid(1), settingsLanguage);
    switch (parsed.kind) {
    case ParseOutcome::Help:
    case ParseOutcome::Version:
        writeTo(stdout, parsed.text);
        return 0;
    case ParseOutcome::Error:
        writeTo(stderr, parsed.text + u'\n');
        return int(ExitCode::Usage);
    case ParseOutcome::Run:
        break;
    }
    InterruptWatch interrupt;
    const CliRequest &r = parsed.request;
    if (r.targets.size() > 1) {
        Language lang;
        lang.set(r.language ? r.language : settingsLanguage.code());
        return runInParallel(r, lang, interrupt);
    }
    return runOnOnePort(r, settings, interrupt);
}
