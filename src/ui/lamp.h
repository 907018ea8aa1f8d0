#pragma once

// A status lamp: a small round light in its colour when lit, a neutral
// grey-white when not. Drawn rather than loaded from images so it scales
// with the screen and looks the same on every platform.

#include <QColor>
#include <QWidget>

class Lamp : public QWidget {
    Q_OBJECT
public:
    explicit Lamp(const QColor &litColour, QWidget *parent = nullptr);

    void setLit(bool lit);
    bool isLit() const { return lit_; }
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
    QColor colour_;
    bool lit_ = false;
};
