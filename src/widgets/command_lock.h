#pragma once

// The commands of a window that must not start while an exchange with the
// controller runs, from whatever window it was started. A window registers
// them and routes every enable and disable of them through setUsable; the
// lock then composes with the window's own rules (modes, brackets, the motion
// lock): a command is usable when its window wants it and nothing is
// talking to the controller.

#include <QHash>
#include <QObject>
#include <QPointer>

class CommandLock {
public:
    // A command (QAction or QWidget) that the lock shuts.
    void add(QObject *command);
    // What the window wants; applied at once unless the lock holds it shut.
    // Objects that were never added are set directly.
    void setUsable(QObject *command, bool on);
    void setLocked(bool locked);
    bool locked() const { return locked_; }

private:
    static void setEnabled(QObject *o, bool on);
    void apply(QObject *o);

    QHash<QObject *, bool> wanted_;
    QList<QPointer<QObject>> members_;
    bool locked_ = false;
};
