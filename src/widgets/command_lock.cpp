#include "widgets/command_lock.h"

#include <QAction>
#include <QWidget>

void CommandLock::setEnabled(QObject *o, bool on) {
    if (auto *a = qobject_cast<QAction *>(o))
        a->setEnabled(on);
    else if (auto *w = qobject_cast<QWidget *>(o))
        w->setEnabled(on);
}

void CommandLock::add(QObject *command) {
    if (!command || wanted_.contains(command)) return;
    // The command's own state, not the one its parents impose.
    bool own = true;
    if (auto *a = qobject_cast<QAction *>(command))
        own = a->isEnabled();
    else if (auto *w = qobject_cast<QWidget *>(command))
        own = !w->testAttribute(Qt::WA_ForceDisabled);
    wanted_.insert(command, own);
    members_ << command;
    apply(command);
}

void CommandLock::setUsable(QObject *command, bool on) {
    if (!wanted_.contains(command)) {
        setEnabled(command, on);
        return;
    }
    wanted_[command] = on;
    apply(command);
}

void CommandLock::setLocked(bool locked) {
    if (locked_ == locked) return;
    locked_ = locked;
    for (const QPointer<QObject> &o : members_)
        if (o) apply(o);
}

void CommandLock::apply(QObject *o) {
    setEnabled(o, wanted_.value(o, true) && !locked_);
}
