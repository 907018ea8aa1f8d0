#pragma once

#include "ui/command_line.h"

class QApplication;
class QTranslator;
class SettingsStore;
struct AppState;
class MainWindow;

// Qt's own texts (file, print and page setup dialogs, standard buttons) in
// the run's language: installs Qt's translations into translator for a
// Japanese run. False when they are not installed on this machine; Qt then
// speaks English.
bool installQtTranslations(QTranslator &translator, bool japanese);

// The start-up sequence up to the running main window. splashMs is 2000 in
// the program; tests pass 0. The command line's port or device then holds for
// the run, and its files open as File > Open and the parameter editor's Open
// would open them. Returns the shown main window (owned by caller).
MainWindow *startUp(AppState &s, int splashMs, const CommandLine &commandLine = {});

// The whole program: settings store, prompter, start-up, event loop.
int runProgram(QApplication &app, const CommandLine &commandLine);
