#pragma once

// A throw-away run-wide state for one test: its own settings file, a
// scripted prompter and the shipped lists of the build folder.

#include "app/app_state.h"
#include "app/settings_store.h"
#include "ui/scripted_prompter.h"

#include <QFile>
#include <QTemporaryDir>

struct TestEnv {
    QTemporaryDir dir;
    SettingsStore settings{dir.filePath(QStringLiteral("settings.ini"))};
    ScriptedPrompter prompter;
    AppState s{settings, prompter, QStringLiteral(TZC3_BUILD_DIR)};

    explicit TestEnv(int language = 2) { s.setLanguage(language); }

    // Points the program folder at a private copy of the shipped lists, which
    // a test may then damage.
    void useOwnFolder() {
        for (const char *name : {"tzdevice.lst", "wtzdevice.lst", "rpdevice.lst", "error.lst"})
            QFile::copy(QStringLiteral(TZC3_BUILD_DIR "/") + QLatin1String(name),
                        dir.filePath(QLatin1String(name)));
        s.programFolder = dir.path();
    }
    void writeFile(const QString &name, const QByteArray &bytes) {
        QFile f(dir.filePath(name));
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(bytes);
    }
};
