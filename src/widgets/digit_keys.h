#pragma once

// The key rule of the program's number fields: only digits type, and none
// once the field is full. Backspace, Delete, Tab and keys that type nothing
// (arrows, Home, End) keep working. Enter is the caller's to handle first.

#include <QKeyEvent>

// True when the key must be swallowed.
inline bool swallowDigitKey(const QKeyEvent *k, qsizetype length, int maxLength) {
    switch (k->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return false;
    default:
        break;
    }
    const QString t = k->text();
    if (t.isEmpty()) return false;
    if (length >= maxLength) return true;
    // Ctrl+V and the like arrive as control characters: no pasting either.
    const bool digit = t.size() == 1 && t[0] >= u'0' && t[0] <= u'9' &&
                       !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    return !digit;
}
