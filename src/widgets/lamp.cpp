#include "widgets/lamp.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

Lamp::Lamp(const QColor &litColour, QWidget *parent) : QWidget(parent), colour_(litColour) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void Lamp::setLit(bool lit) {
    setState(lit ? State::On : State::Off);
}

void Lamp::setUnknown() {
    setState(State::Unknown);
}

void Lamp::setState(State s) {
    if (state_ == s) return;
    state_ = s;
    update();
}

QSize Lamp::sizeHint() const {
    const int d = qMax(16, fontMetrics().height() + 2);
    return {d, d};
}

void Lamp::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    // A lamp of a disabled frame is there but out of use: faded, not recoloured.
    if (!isEnabled()) p.setOpacity(0.45);
    const qreal d = qMin(width(), height()) - 1;
    const QRectF outer((width() - d) / 2.0, (height() - d) / 2.0, d, d);

    // The bezel: dark above, light below, as a light sunk into the panel.
    QLinearGradient bezel(outer.topLeft(), outer.bottomLeft());
    bezel.setColorAt(0.0, QColor(85, 85, 85));
    bezel.setColorAt(1.0, QColor(190, 190, 190));
    p.setPen(Qt::NoPen);
    p.setBrush(bezel);
    p.drawEllipse(outer);

    const qreal ring = qMax(2.0, d * 0.14);
    const QRectF light = outer.adjusted(ring, ring, -ring, -ring);
    const qreal ld = light.width();
    QColor face;
    switch (state_) {
    case State::On:
        face = colour_;
        break;
    case State::Off:
        face = QColor(138, 138, 138);
        break;
    case State::Unknown:
        face = QColor(214, 214, 214);
        break;
    }
    const bool on = state_ == State::On;
    QRadialGradient g(light.left() + ld * 0.4, light.top() + ld * 0.35, ld * 0.7);
    g.setColorAt(0.0, face.lighter(on ? 150 : 118));
    g.setColorAt(0.7, face);
    g.setColorAt(1.0, face.darker(on ? 135 : 125));
    p.setBrush(g);
    p.setPen(QPen(QColor(60, 60, 60), 0.8));
    p.drawEllipse(light);

    if (state_ == State::Unknown) {
        QFont f = font();
        f.setBold(true);
        f.setPixelSize(qMax(7, qRound(ld * 0.85)));
        p.setFont(f);
        p.setPen(QColor(70, 70, 70));
        p.drawText(light, Qt::AlignCenter, QStringLiteral("?"));
        return;
    }
    // The glint of the glass, brighter on a lit lamp.
    const QRectF glint(light.left() + ld * 0.22, light.top() + ld * 0.14, ld * 0.34, ld * 0.24);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, on ? 170 : 70));
    p.drawEllipse(glint);
}
