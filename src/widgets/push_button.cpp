#include "widgets/push_button.h"

#include <QKeyEvent>

void PushButton::keyPressEvent(QKeyEvent *event) {
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) {
        QPushButton::keyPressEvent(event);
        return;
    }
    // A held key presses once: its repeats would otherwise land on whatever
    // button the focus moves to while this one's command disables it.
    if (!event->isAutoRepeat()) click();
    event->accept();
}
