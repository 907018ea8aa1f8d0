#pragma once

// The command line of tzc3-cli: global options, the command and its own
// arguments, parsed by QCommandLineParser and checked before anything is
// sent.

#include "common/language.h"

#include <QString>
#include <QStringList>
#include <optional>

struct CliRequest {
    // One entry per --port or --device, in the order given: a port number
    // "1" to "9" or a device path.
    struct Target {
        bool isDevice = false;
        QString value;
        QString label() const { return value; }
    };
    QList<Target> targets;
    QString model;
    int language = 0; // 0: the settings' language; 1 Japanese, 2 English
    bool json = false;
    bool yes = false;
    int timeoutMs = 0; // 0: the program's own time-outs
    QString traceFile;

    QString command;    // "positions read", "home", ...
    QStringList args;   // the command's own arguments
    QString outputFile; // -o
    bool verify = false;
    bool noReset = false;
    bool watch = false;
    int repeat = 1; // 0: until Ctrl+C
    QString dwell;  // in units of 100 ms, empty: none

    // The arguments a worker for one target runs with: these, with only
    // that target.
    QStringList workerArguments(const Target &t) const;
    QStringList original; // every argument after the program's name
};

struct ParseOutcome {
    enum Kind { Run, Help, Version, Error } kind = Run;
    CliRequest request;
    QString text; // help or version text, or the usage error
};

// Parses arguments (argv without the program's name). `lang` is the language
// for messages when the command line names none.
ParseOutcome parseCommandLine(const QStringList &arguments, const Language &settingsLanguage);

// The message of a usage error as the user reads it.
QString usageErrorText(const Language &lang, const QString &detail);
