#pragma once

// A status lamp: a light in its colour when on, a dim grey light when off,
// and a pale light marked "?" where the program does not know the state. A
// sunk bezel round a filled light keeps it from reading as an option button.
// Drawn rather than loaded from images so it scales with the screen and looks
// the same on every platform.

#include <QColor>
#include <QWidget>

class Lamp : public QWidget {
    Q_OBJECT
public:
    explicit Lamp(const QColor &litColour, QWidget *parent = nullptr);

    // On or off, and so known.
    void setLit(bool lit);
    // Neither on nor off as far as the program knows.
    void setUnknown();
    bool isLit() const { return state_ == State::On; }
    bool isKnown() const { return state_ != State::Unknown; }
    QColor litColour() const { return colour_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    // The colours the program uses for its lamps.
    static QColor portColour() { return QColor(40, 190, 60); }
    static QColor homeColour() { return QColor(170, 215, 30); }
    static QColor outColour() { return QColor(255, 140, 20); }
    static QColor alarmColour() { return QColor(225, 35, 35); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    enum class State { Off, On, Unknown };
    void setState(State s);

    QColor colour_;
    State state_ = State::Off;
};
