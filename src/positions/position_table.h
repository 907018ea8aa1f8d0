#pragma once

// The position table as the user sees it: 15 rows of cell texts (VEL, ACC,
// OUT, pulses, mm, comment) and the changed tag. Row 0 and column 0 are the
// headings, so row n is position n and columns keep their familiar numbers.

#include <QString>

struct PositionTable {
    static constexpr int Rows = 16;
    static constexpr int Cols = 7;
    enum Col { ColNo = 0, ColVel = 1, ColAcc = 2, ColOut = 3, ColPulse = 4, ColMm = 5, ColComment = 6 };
    static inline const QString ChangedTag = QStringLiteral("DataChange");

    QString cells[Rows][Cols];
    QString tag; // ChangedTag after an edit; empty after load, save or clear

    const QString &text(int row, int col) const { return cells[row][col]; }
    void setText(int row, int col, const QString &t) { cells[row][col] = t; }
    bool changed() const { return tag == ChangedTag; }
};
