#pragma once

// Pulses <-> millimetres for the current device, the snapping of a typed mm
// value to a whole pulse, the position limits and the unit ratio texts.

#include <QString>

struct AppState;
struct PositionTable;

namespace units {

double pulseToMm(int lead, int ppr, double pulses);
// (mm / lead) x ppr rounded half to even.
double mmToPulse(int lead, int ppr, double mm);
// The mm value of the whole pulse chosen for mm under the rounding mode.
double snapMmToPulse(int lead, bool roundUpHalves, int ppr, double mm);

// maxPulse and maxMm from stroke, lead and ppr.
void computeLimits(AppState &s);

// Texts of status bar panels 2 and 3: "1mm = 200Pulse", "1Pulse= 0.005mm".
struct Ratios {
    QString mmToPulse;
    QString pulseToMm;
};
Ratios unitRatios(const AppState &s);

// Rewrites every mm cell from its pulse cell.
void recomputeMmColumn(const AppState &s, PositionTable &t);

// A mm cell's text: "#0.000" right-justified to 7.
QString mmCellText(double mm);
// A pulse cell's text: decimal right-justified to 7.
QString pulseCellText(qint64 pulses);

} // namespace units
