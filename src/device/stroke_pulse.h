#pragma once

// The stroke length in pulses from the stroke in mm and the ball-screw lead:
// the rule of the stroke-pulse calculator, also used to make the standard
// parameter lists.

#include <QString>

struct AppState;

namespace device {

// Pulses per motor revolution: 192 for the TZ-42D, 400 for all others.
int calculatorPpr(bool tz42d);

// stroke / lead x ppr, shown to one decimal ("#.#"), plus 0.9, integer part.
qint64 strokePulses(int stroke, int lead, int ppr);

// The Calculate button: the result text from the two fields' texts, or
// "Invalidity" when either is empty or out of its range.
QString strokePulseResult(const AppState &s, const QString &strokeText, const QString &leadText,
                          bool tz42d);

// The result words that are never moved into the editor.
QString invalidityWord(const AppState &s);
QString noDeviceWord(const AppState &s);

// What the fields accept when they lose the focus.
bool calculatorStrokeAllowed(const QString &text);
bool calculatorLeadAllowed(const QString &text);

} // namespace device
