#pragma once

// Moving the parameters between the editor, .pmt files and the controller,
// and verifying the editor against either. The procedures reach the editor
// only through ParameterView, so they run the same against the window and
// against a test's plain fields. Controller failures are reported by
// s.link.transact; the procedures then end quietly.

#include "common/verification.h"
#include "parameters/parameter_fields.h"
#include "positions/position_view.h"

#include <QString>
#include <functional>

struct AppState;

struct ParameterView {
    std::function<ParameterFields()> fields;                 // what the editor shows
    std::function<void(const ParameterFields &)> showFields; // replace what it shows
    std::function<void(const QString &)> setCaption;         // the source's name
    ProgressDisplay *progress = nullptr;
};

namespace params {

// The six buttons of the editor.
void openParameterFileCommand(AppState &s, const ParameterView &v);
// Open with the file already chosen (the command line), as after the dialog.
void openParameterFileCommand(AppState &s, const ParameterView &v, const QString &path);
void saveParameterFileCommand(AppState &s, const ParameterView &v);
void verifyParametersAgainstFile(AppState &s, const ParameterView &v);
void readParametersCommand(AppState &s, const ParameterView &v);
void writeParametersCommand(AppState &s, const ParameterView &v);
void verifyParametersAgainstController(AppState &s, const ParameterView &v);

// The same buttons for a caller that needs to know how they ended (the
// command line): true when the file was opened or saved, the controller's
// parameters read or the set written; a verification says how it ended.
bool openParameters(AppState &s, const ParameterView &v);
bool saveParameters(AppState &s, const ParameterView &v);
bool readParameters(AppState &s, const ParameterView &v);
bool writeParameters(AppState &s, const ParameterView &v);
Verification verifyParametersWithController(AppState &s, const ParameterView &v);

// Reads the three blocks into s.parameterSlots. Parameters 11 to 13 are taken from
// the controller only when `takeDetails`, otherwise they read as 2. False
// when an exchange failed (the link has said why).
bool readParametersFromController(AppState &s, ProgressDisplay *progress, bool takeDetails);

// Compares ParameterSlots with the set; differing item labels go into diffList.
// Parameters 11 to 13 take part only with `details`; the homing method not
// with `skipHoming` (a file that holds none). True when any item differs.
bool parametersDiffer(const ParameterSlots &da, const ParameterSet &p, bool details,
                      bool skipHoming, QString &diffList);

// Whether every position stored in the controller fits the set's stroke;
// those that do not go into `list` (position digits, each followed by ",").
// Leaves the progress window open unless the check failed.
enum class StrokeCheck { Fits, Exceeds, Failed };
StrokeCheck checkPositionsFitStroke(AppState &s, ProgressDisplay *progress, QString &list);

// Sends the three blocks. False when an exchange failed.
bool writeParameterBlocks(AppState &s, ProgressDisplay *progress, const QStringList &blocks);

} // namespace params
