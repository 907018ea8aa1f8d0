#include "widgets/eliding_label.h"

#include <QPainter>

QSize ElidingLabel::minimumSizeHint() const {
    const QSize full = QLabel::minimumSizeHint();
    return {qMin(full.width(), fontMetrics().averageCharWidth() * 12), full.height()};
}

void ElidingLabel::paintEvent(QPaintEvent *event) {
    QFrame::paintEvent(event);
    QPainter p(this);
    const QRect r = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    p.setPen(palette().color(foregroundRole()));
    p.drawText(r, int(alignment()) | Qt::TextSingleLine,
               fontMetrics().elidedText(text(), Qt::ElideRight, r.width()));
}
