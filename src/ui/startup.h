#pragma once

class QApplication;
struct AppState;
class MainWindow;

// The start-up sequence up to the running main window. splashMs is 2000 in
// the program; tests pass 0. Returns the shown main window (owned by caller).
MainWindow *startUp(AppState &s, int splashMs);

// The whole program: settings store, prompter, start-up, event loop.
int runProgram(QApplication &app);
