#pragma once

// Printing: File > Printer (the platform's page setup) and File > Print (the
// selection dialog, the platform's print dialog, then one page holding the
// position table, the parameters or both, laid out in twips from the page's
// printable origin).

#include "state/parameter_set.h"

#include <QString>

struct AppState;
struct PrintChoice;
class ProgressDisplay;
class QPaintDevice;
class QWidget;

// The positions as printed: row 0 the headings, rows 1 to 15 one position
// each; columns number, VEL, ACC, OUT, pulses, mm, comment.
struct PrintTable {
    static constexpr int Rows = 16;
    static constexpr int Cols = 7;
    QString cells[Rows][Cols];
};

// Everything one page needs, gathered before the page is begun so that a
// failure sends nothing to the printer.
struct PrintJob {
    bool positions = false;
    QString sourceLine; // "Device: ... /  ..."
    PrintTable table;
    bool parameters = false;
    bool paraFromFile = false; // prints the file title and its rule
    ParameterSlots para;
};

// Reads the sources the user chose into job; false when printing must stop
// (the user has been told, unless the read that failed said nothing). A read
// from the controller shows its progress on `progress`, if any.
bool gatherPrintData(AppState &s, const PrintChoice &choice, PrintJob &job,
                     ProgressDisplay *progress);

// Draws the page on `page`, whose origin is the printable origin and whose
// size the printable area, and ends the document. False when the device
// could not be started.
bool printPage(const AppState &s, const PrintJob &job, QPaintDevice &page);

// The two menu commands; the caller brackets them with its command buttons
// and toolbar. Print reads parameters from the controller under `progress`,
// the window the other reads show.
void printSetup(AppState &s, QWidget *mainWindow);
void printDocument(AppState &s, QWidget *mainWindow, ProgressDisplay *progress);
