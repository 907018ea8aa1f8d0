#pragma once

// The program's push button. Enter (Return or the keypad's Enter) presses it
// when it has the focus, as Space does, in every window: the main window and
// the parameter editor are not dialogs, and several dialogs keep Enter away
// from their buttons so that Enter in a field never writes to the controller.
// A keyboard user who tabs to a button still expects Enter to press it.

#include <QPushButton>

class PushButton : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
