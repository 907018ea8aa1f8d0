#pragma once

// A spinner without a text box of its own: two arrow buttons that step a
// value between a minimum and a maximum. The window binds it to whatever
// text field should show the value, so the field stays free text that the
// user may also type into.

#include <QWidget>

class QToolButton;

class UpDown : public QWidget {
    Q_OBJECT
public:
    UpDown(int minimum, int maximum, QWidget *parent = nullptr);

    int value() const { return value_; }
    int minimum() const { return min_; }
    int maximum() const { return max_; }
    // Clamped to the range; emits valueChanged when the value moves.
    void setValue(int v);
    // Follows a value typed into the bound field, without signalling.
    void syncValue(int v);

    void stepUp() { setValue(value_ + 1); }
    void stepDown() { setValue(value_ - 1); }

signals:
    void valueChanged(int value);

private:
    int min_;
    int max_;
    int value_;
};
