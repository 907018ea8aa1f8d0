#pragma once

// The position table and the controller: reading the controller's 15
// positions, writing the table after checking it against the controller's
// stroke, and verifying the table against the controller or a file. Every
// exchange goes through s.link.transact, which reports its own failures; the
// operations here end quietly after one.

#include "common/verification.h"
#include "positions/position_view.h"
#include "state/position_table.h"

#include <QString>

struct AppState;

namespace positions {

// The brake and current-down digit sent with every position: the options'
// value when its override is on, otherwise 2.
int brakeCurrentDownDigit(const AppState &s);

// The 11-character wire form of a position: number, VEL, ACC, OUT as one
// hexadecimal digit each, the brake/current-down digit, six hexadecimal
// digits of pulses. A field too wide for its place is "X".
QString positionEntry(int row, const PositionRecord &r, int brakeDigit);

// "0RP" for positions 1 to 15 into the loaded image. False on failure.
bool readControllerTable(AppState &s, const PositionView &v);

// The commands, each inside the window's command bracket. True when the
// table was read / every valid row was written.
bool readFromController(AppState &s, const PositionView &v);
bool writeToController(AppState &s, const PositionView &v);
// The Verify button: asks which reference to verify against.
void verifyPositions(AppState &s, const PositionView &v);
// The two verification menu entries.
void verifyAgainstFileCommand(AppState &s, const PositionView &v);
Verification verifyAgainstControllerCommand(AppState &s, const PositionView &v);

} // namespace positions
