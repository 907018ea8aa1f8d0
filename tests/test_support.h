#pragma once

// A throw-away run-wide state for one test: its own settings file, a
// scripted prompter and the shipped lists of the build folder.

#include "state/app_state.h"
#include "common/settings_store.h"
#include "common/scripted_prompter.h"

#include <QFile>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>
#include <utility>

// Runs f with a file size limit of `bytes`: writes beyond it fail the way a
// full disk does, even for root, which ignores read-only folders.
template <class F> auto withFileSizeLimit(rlim_t bytes, F &&f) {
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    auto previous = signal(SIGXFSZ, SIG_IGN);
    rlimit tiny = saved;
    tiny.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &tiny);
    struct Restore {
        rlimit limit;
        void (*handler)(int);
        ~Restore() {
            setrlimit(RLIMIT_FSIZE, &limit);
            signal(SIGXFSZ, handler);
        }
    } restore{saved, previous};
    return std::forward<F>(f)();
}

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
