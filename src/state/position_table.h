#pragma once

// The position table as the user sees it: 15 rows of cell texts (VEL, ACC,
// OUT, pulses, mm, comment) and the changed tag. Row 0 and column 0 are the
// headings, so row n is position n and columns keep their familiar numbers.
//
// Beside the cells live the two buffers through which files and the
// controller exchange data with the table: the loaded image (the last file or
// controller read) and the working rows (the table's values as collected for
// the last write or verification).

#include <QString>

// One position as data. The mm text is derived from the pulses and never
// stored in a file or sent to the controller.
struct PositionRecord {
    qint16 vel = 0;
    qint16 acc = 0;
    qint16 out = 0;
    qint32 pulses = 0;
    QString mmText;
    QString comment;
};

// The motion program: steps 1 to 15, each empty or one position digit. It is
// edited in Move Mode and travels with the position file.
struct ProgramSequence {
    static constexpr int Steps = 15;
    QString steps[Steps + 1]; // index 1 to 15

    void clear() {
        for (QString &t : steps)
            t.clear();
    }
};

// What a file or a controller read delivers, rows indexed 1 to 15.
struct PositionImage {
    PositionRecord rows[16];
    QString modelName;   // as the file carried it; empty after a controller read
    bool newType = true; // the file's type field ("NEW"; "OLD" or absent is old)
    QString program[ProgramSequence::Steps + 1];
};

struct PositionTable {
    static constexpr int Rows = 16;
    static constexpr int Cols = 7;
    enum Col {
        ColNo = 0,
        ColVel = 1,
        ColAcc = 2,
        ColOut = 3,
        ColPulse = 4,
        ColMm = 5,
        ColComment = 6
    };
    static inline const QString ChangedTag = QStringLiteral("DataChange");

    QString cells[Rows][Cols];
    QString tag; // ChangedTag after an edit; empty after load, save or clear

    const QString &text(int row, int col) const { return cells[row][col]; }
    void setText(int row, int col, const QString &t) { cells[row][col] = t; }
    bool changed() const { return tag == ChangedTag; }

    PositionImage loaded;
    PositionRecord working[Rows];

    // Rows flagged by the last completeness and range checks; collecting the
    // table's values skips them.
    bool incomplete[Rows] = {};
    bool outOfRange[Rows] = {};

    // Full path of the file last opened or saved; empty after start-up, New
    // and a controller read, which is when Save must ask for a name.
    QString filePath;
};
