#pragma once

// Parameter files (.pmt): one line of the file's own name (quoted) and the
// 16 values of ParameterSlots slots 1 to 16. Files of the RP family have no homing
// method and so only 15 values; they are recognised by that count.

#include "state/parameter_set.h"

#include <QString>

struct AppState;

namespace params {

// Reads the values into slots 1, 2, ... (at most 20), records their count and
// puts the file name into slot 0. true on success; false on any error (a value that is
// not a number, none at all, too many), ParameterSlots untouched.
bool readParameterFile(ParameterSlots &da, const QString &path);

// Writes s.parameters as one .pmt line whose title is the file's name. 0
// true on success; false on failure, reported to the user, the previous file unchanged.
bool writeParameterFile(AppState &s, const QString &path);

} // namespace params
