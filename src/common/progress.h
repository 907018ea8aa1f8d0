#pragma once

// How a long exchange shows its progress: the progress window of the
// windows, a line on a terminal, or nothing. Operations take a pointer that
// may be null.

#include <QString>

// The progress of one operation: opened, labelled, advanced, closed.
class ProgressDisplay {
public:
    virtual ~ProgressDisplay() = default;
    virtual void openWindow() = 0;
    virtual void closeWindow() = 0;
    virtual void setMaximum(int maximum) = 0;
    virtual void setValue(int value) = 0;
    virtual void setLabel(const QString &text) = 0;
};
