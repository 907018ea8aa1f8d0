#include "ui/lamp.h"

#include <QPainter>
#include <QRadialGradient>

Lamp::Lamp(const QColor &litColour, QWidget *parent) : QWidget(parent), colour_(litColour) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void Lamp::setLit(bool lit) {
    if (lit_ == lit) return;
    lit_ = lit;
    update();
}

QSize Lamp::sizeHint() const {
    const int d = qMax(14, fontMetrics().height());
    return {d, d};
}

void Lamp::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal d = qMin(width(), height()) - 2;
    const QRectF r((width() - d) / 2.0, (height() - d) / 2.0, d, d);

    QColor face = lit_ ? colour_ : QColor(236, 236, 236);
    if (!isEnabled()) face = QColor::fromHsv(face.hue(), face.saturation() / 3, face.value());
    QRadialGradient g(r.left() + d * 0.35, r.top() + d * 0.3, d * 0.75);
    g.setColorAt(0.0, face.lighter(lit_ ? 160 : 110));
    g.setColorAt(0.6, face);
    g.setColorAt(1.0, face.darker(lit_ ? 140 : 115));
    p.setBrush(g);
    p.setPen(QPen(QColor(110, 110, 110), 1.0));
    p.drawEllipse(r);
}
