#pragma once

// What every fuzz target shares: the Qt application, a scratch folder for the
// files a reader wants on disk, a throw-away run-wide state, and the check
// that turns a broken promise into a crash the fuzzer keeps.
//
// A target defines LLVMFuzzerTestOneInput only. Under libFuzzer it runs
// millions of times; under replay_main.cpp (the normal test build) it runs
// once for every file of its corpus.

#include "common/scripted_prompter.h"
#include "common/settings_store.h"
#include "parameters/parameter_fields.h"
#include "state/app_state.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace fuzz {

// The offscreen QApplication, made on first use and kept for the process.
void ensureApplication();

// A folder that lives as long as the process.
QString scratchDir();

// Writes bytes to name in the scratch folder and returns the path. Aborts
// when the write fails: a target that reads a half-written file finds
// nothing real.
QString writeScratchFile(const QString &name, const QByteArray &bytes);

// A program folder holding copies of the shipped lists, made once.
QString listFolder();

// A program folder of its own (made once from listFolder()) in which bytes
// replace the list `name`; returns the folder.
QString folderWithList(const QString &folder, const QString &name, const QByteArray &bytes);

// A run-wide state for one execution, English unless told otherwise. Every
// question the operation asks is answered from the prompter's queues.
struct Env {
    explicit Env(int language = 2, const QString &programFolder = listFolder());
    SettingsStore settings;
    ScriptedPrompter prompter;
    AppState s;
};

// The language of a run: Japanese when the input's first byte is odd.
inline int languageOf(const uint8_t *data, size_t size) {
    return size > 0 && (data[0] & 1) ? 1 : 2;
}

// What the editor's fields hold reaches the controller as entered or not at
// all: when the Write button's checks pass, the three blocks it would send
// decode to the values the fields show.
void checkWriteCarries(const ParameterFields &fields);

[[noreturn]] void fail(const char *file, int line, const char *what, const QString &detail);

} // namespace fuzz

// A promise of the program that must hold for every input.
#define FUZZ_CHECK(cond, detail)                                                                   \
    do {                                                                                           \
        if (!(cond)) fuzz::fail(__FILE__, __LINE__, #cond, (detail));                              \
    } while (0)
