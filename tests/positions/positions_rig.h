#pragma once

// A recording stand-in for the window and quick ways to set up a device and table.

#include "state/app_state.h"
#include "device/units.h"
#include "positions/position_view.h"
#include "positions/table_model.h"

#include <QStringList>

struct RecordingProgress : ProgressDisplay {
    void openWindow() override { events << QStringLiteral("open"); }
    void closeWindow() override { events << QStringLiteral("close"); }
    void setMaximum(int m) override { events << QStringLiteral("max %1").arg(m); }
    void setValue(int v) override { value = v; } // only the last one matters
    void setLabel(const QString &t) override { events << t; }
    bool open() const { return events.lastIndexOf("open") > events.lastIndexOf("close"); }
    int value = 0;
    QStringList events;
};

struct ViewRecorder {
    ViewRecorder() {
        view.bracket = {[this] { ++disabled; }, [this] { ++enabled; }};
        view.progress = &progress;
    }
    PositionView view;
    RecordingProgress progress;
    int disabled = 0;
    int enabled = 0;
};

// A device set by hand, lead 2 and 400 pulses, for tests that need no catalogue.
inline void useDevice(AppState &s, const char *size, const char *speed, int stroke) {
    s.device.size = QString::fromLatin1(size);
    s.device.speed = QString::fromLatin1(speed);
    s.device.stroke = qint16(stroke);
    s.device.lead = 2;
    s.device.ppr = 400;
    units::computeLimits(s);
}

inline void setRow(AppState &s, int row, int vel, int acc, int out, int pulses,
                   const QString &comment = QString()) {
    const QString texts[] = {QString::number(vel), QString::number(acc), QString::number(out),
                             units::pulseCellText(pulses)};
    for (int col = 1; col <= 4; ++col)
        s.positions.setText(row, col, texts[col - 1]);
    s.positions.setText(row, PositionTable::ColComment, comment);
    units::recomputeMmColumn(s, s.positions);
}

// Every row valid: VEL 1, ACC 1, OUT 0, 100 pulses per position number.
inline void fillValidTable(AppState &s) {
    for (int row = 1; row <= 15; ++row)
        setRow(s, row, 1, 1, 0, row * 100);
}
