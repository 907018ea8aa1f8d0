#pragma once

// The command line of the program: --help, --version, a port or a device for
// this run only, and the files to open once the program has started. Help,
// version and usage errors are texts for the caller to print; nothing here
// opens a window or writes a setting.

#include "common/language.h"

#include <QString>
#include <QStringList>
#include <optional>

struct CommandLine {
    enum class Action { Run, ShowHelp, ShowVersion, UsageError };
    Action action = Action::Run;
    // The help or version text for stdout, or the error for stderr.
    QString output;

    // --port N: the COM port number (1 to 9) of this run; the saved one stays.
    std::optional<qint16> port;
    // --device PATH: a serial device opened instead of a numbered port.
    QString device;
    // Absolute paths of a position file (opened as File > Open does) and a
    // parameter file (opened in the parameter editor); empty when not given.
    QString positionFile;
    QString parameterFile;
};

// Parses arguments (arguments[0] being the program) with texts in the run's
// language. A file whose name ends in ".pmt" is a parameter file; any other
// is opened as a position file, whose reading then says what is wrong with it.
CommandLine parseCommandLine(const QStringList &arguments, const Language &lang);

// A run that ends at the command line: prints the help or the version to
// stdout, or the usage error to stderr, and answers the exit status (0, or 2
// after a usage error). nullopt when the program is to start.
std::optional<int> finishAtCommandLine(const CommandLine &c);
