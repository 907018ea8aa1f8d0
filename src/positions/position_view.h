#pragma once

// What the position operations need from the window that runs them: its
// command bracket, redraw requests, and the progress window. The operations
// stay free of widgets; the main window fills this in, tests record it.

#include "common/command_bracket.h"
#include "common/progress.h"

#include <QString>
#include <functional>

struct PositionView {
    CommandBracket bracket;                 // disables and enables the window's commands
    std::function<void()> tableChanged;     // redraw the position grid from s.positions
    std::function<void()> programChanged;   // redraw the program grid from s.program
    std::function<void()> fileLabelChanged; // show s.fileLabel
    std::function<void()> deviceChanged;    // model name, old-type marker, unit ratios
    ProgressDisplay *progress = nullptr;    // none: exchanges run without one

    void redrawTable() const {
        if (tableChanged) tableChanged();
    }
    void redrawProgram() const {
        if (programChanged) programChanged();
    }
    void showFileLabel() const {
        if (fileLabelChanged) fileLabelChanged();
    }
    void showDevice() const {
        if (deviceChanged) deviceChanged();
    }
};
