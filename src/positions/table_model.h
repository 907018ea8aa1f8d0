#pragma once

// The rules of the position table: filling it from the working rows, the
// completeness and range checks every user of the table runs first, the
// collection of its values, the comparison of the two buffers, and the commit
// rules of the in-place cell editor. No widgets here: the grid view forwards
// its keys and draws what these leave in s.positions.

#include "state/position_table.h"

#include <QString>
#include <QStringList>

struct AppState;
struct DeviceRecord;

namespace positions {

// Text of column 0 and of every row list: "1" to "F".
QString positionDigit(int row);

// ACC accepts 1 to 2 on the 42 mm high-speed model, 1 to 3 elsewhere.
int accLimit(const DeviceRecord &d);

// Longest text the cell editor accepts in a column.
int editorMaxLength(int col);

// "< Position No.A>" + two line breaks for every flagged row, in row order.
QString rowList(const AppState &s, const bool flags[PositionTable::Rows]);

// Working rows into the table. The file form also writes the comments; the
// controller form leaves them as they are. Both recompute the mm column.
void fillTableFileForm(AppState &s);
void fillTableControllerForm(AppState &s);

// Empties columns 1 to 6 of every row (New).
void clearTable(PositionTable &t);

// A row is incomplete when any of VEL, ACC, OUT or the pulse cell is empty.
struct RowCheck {
    int count = 0;
    QString list;
};
RowCheck findIncompleteRows(AppState &s);
// Applies the value ranges to columns 1 to 4; with showMessage the refusal
// message is shown when any row is flagged.
RowCheck findOutOfRangeRows(AppState &s, bool showMessage);

// The refusal for incomplete rows ("No data in the list." when all are).
void showIncompleteRows(AppState &s, const RowCheck &incomplete);

// Both checks with their messages; false when the table cannot be used.
bool validateTableForUse(AppState &s);

// First line of the messages for position values that cannot be taken.
QString valueErrorText(const AppState &s);

// Copies every row the last checks did not flag into the working rows;
// false when a value does not convert.
bool collectTableValues(AppState &s);

// Loaded image against working rows on VEL, ACC, OUT and pulses.
struct Comparison {
    bool equal = true;
    QString unmatched;       // row list of the rows that differ
    QStringList unmatchedNo; // the same rows as position digits "1" to "F"
};
Comparison compareBuffers(const AppState &s);

// The cell editor's commit. Rows 1 to 15, columns 1 to 6, inclusive.
struct CellRange {
    int top = 1;
    int left = 1;
    int bottom = 1;
    int right = 1;
};
struct CommitResult {
    bool accepted = false; // false: the current cell was emptied
    bool beeped = false;
    CellRange selection; // the selection after the commit
};
// Validates text for the current cell, writes it (into every selected row of
// the current column) or empties the cell, beeps where the rules say so and
// marks the table changed.
CommitResult commitCell(AppState &s, int row, int col, const QString &text,
                        const CellRange &selection);

} // namespace positions
