#include "common/settings_store.h"
#include "ui/command_line.h"
#include "ui/startup.h"

#include <QApplication>

int main(int argc, char **argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // Help, version and a mistyped option are answered before a window
    // system is asked for, so that they work over ssh and in scripts too.
    Language language;
    language.set(storedLanguage(SettingsStore()));
    const CommandLine commandLine = parseCommandLine(arguments, language);
    if (const auto status = finishAtCommandLine(commandLine)) return *status;

    QApplication app(argc, argv);
    return runProgram(app, commandLine);
}
