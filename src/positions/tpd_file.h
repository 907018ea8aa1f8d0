#pragma once

// Position data files (.tpd) and the file commands of the main window: Open,
// Save, Save As, New and the save-before prompt. A file is a field file:
// line 1 the model name and "NEW"/"OLD", lines 2 to 16 the rows (VEL, ACC,
// OUT, pulses, comment), line 17 the 15 program steps. Older files lack the
// type field and are old-type.

#include "positions/position_view.h"
#include "state/position_table.h"

#include <QString>
#include <optional>

struct AppState;

namespace positions {

// The current file name when no file is in use.
QString startupFileLabel(const AppState &s);    // "New Data" at start-up
QString newFileLabel(const AppState &s);        // "New " after New
QString controllerFileLabel(const AppState &s); // "Inside of C/T" after a controller read

// The filter of the dialogs that open a position file (Open, Verify).
QString tpdOpenFilter(const AppState &s);

// Read file: the file's image, or nullopt on any failure (missing file, too
// few fields, a number that does not convert), with the read message when
// showMessage is set. Nothing in s changes.
std::optional<PositionImage> readTpdFile(AppState &s, const QString &path, bool showMessage);

// Write file: the table, the device's model name and type and the program
// into path, atomically. On success the file becomes the current file and the
// table is unchanged-tagged; on failure the user is told and any earlier file
// at path is left as it was.
bool writeTpdFile(AppState &s, const PositionView &v, const QString &path);

enum class SaveResult { Saved, Cancelled, Refused };

// The commands, each inside the window's command bracket. Open is true when
// a file's positions were taken into the table.
bool openPositionFile(AppState &s, const PositionView &v);
// Open with the file already chosen (the command line): the same reading,
// messages and display as after Open's dialog.
bool openPositionFile(AppState &s, const PositionView &v, const QString &path);
SaveResult savePositionFile(AppState &s, const PositionView &v);
// Also used by the close sequence. bracketed = false for callers that already
// hold the bracket.
SaveResult savePositionFileAs(AppState &s, const PositionView &v, bool bracketed = true);

// When the table has unsaved edits, asks whether to save them first. True
// when the caller may go on: No, or Yes and the data were saved.
bool saveBeforePrompt(AppState &s, const PositionView &v);

// Clear All & New Data.
void newPositionData(AppState &s, const PositionView &v);

} // namespace positions
