#pragma once

// The commands of tzc3-cli on one port: each runs the same operation the
// windows run, with the console standing in for the windows, and says how it
// ended as an exit code, a JSON object and the lines for stdout.

#include "cli/outcome.h"
#include "cli/request.h"

#include <QJsonObject>
#include <QStringList>
#include <functional>

struct AppState;
class ConsolePrompter;
class InterruptWatch;
class ProgressDisplay;

struct CommandResult {
    ExitCode code = ExitCode::Success;
    QJsonObject json;  // the command's own fields
    QStringList lines; // what stdout shows in text mode
};

struct CommandContext {
    AppState &s;
    ConsolePrompter &prompter;
    FailureWatch &failures;
    InterruptWatch &interrupt;
    ProgressDisplay *progress = nullptr;
    // Output that cannot wait for the end of the command (io --watch): one
    // text line, or one JSON object.
    std::function<void(const QString &line, const QJsonObject &json)> stream;
};

CommandResult runCommand(CommandContext &c, const CliRequest &r);

// The port table of "ports".
CommandResult listPorts(const AppState &s);
