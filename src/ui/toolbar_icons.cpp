#include "ui/toolbar_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>

namespace {

// Everything is drawn on a 48 x 48 canvas; Qt scales it to the toolbar.
constexpr int S = 48;
const QColor kInk(60, 60, 60);

QPolygonF points(std::initializer_list<QPointF> list) {
    return QPolygonF(QList<QPointF>(list));
}

void page(QPainter &p, const QRectF &r) {
    const qreal fold = r.width() * 0.3;
    p.setPen(QPen(kInk, 2));
    p.setBrush(Qt::white);
    p.drawPolygon(points({r.topLeft(),
                          {r.right() - fold, r.top()},
                          {r.right(), r.top() + fold},
                          r.bottomRight(),
                          r.bottomLeft()}));
    QPainterPath corner;
    corner.moveTo(r.right() - fold, r.top());
    corner.lineTo(r.right() - fold, r.top() + fold);
    corner.lineTo(r.right(), r.top() + fold);
    p.setBrush(QColor(215, 215, 215));
    p.drawPath(corner);
}

void textLines(QPainter &p, const QRectF &r, int n) {
    p.setPen(QPen(QColor(150, 160, 180), 2));
    for (int i = 0; i < n; ++i) {
        const qreal y = r.top() + r.height() * (0.4 + 0.15 * i);
        p.drawLine(QPointF(r.left() + 5, y), QPointF(r.right() - 5, y));
    }
}

// The controller: a dark box with a green lamp and a connector.
void controller(QPainter &p, const QRectF &r) {
    p.setPen(QPen(kInk, 2));
    p.setBrush(QColor(95, 105, 120));
    p.drawRoundedRect(r, 3, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(70, 210, 80));
    p.drawEllipse(QRectF(r.left() + 4, r.top() + 4, 6, 6));
    p.setBrush(QColor(210, 210, 210));
    p.drawRect(QRectF(r.left() + 4, r.bottom() - 8, r.width() - 8, 4));
}

void arrow(QPainter &p, QPointF from, QPointF to, const QColor &c) {
    p.setPen(QPen(c, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(from, to);
    const QPointF d = to - from;
    const qreal len = std::sqrt(d.x() * d.x() + d.y() * d.y());
    const QPointF u = d / len;
    const QPointF n(-u.y(), u.x());
    QPolygonF head;
    head << to + u * 4 << to - u * 8 + n * 8 << to - u * 8 - n * 8;
    p.setPen(QPen(c, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(c);
    p.drawPolygon(head);
}

void drawNew(QPainter &p) {
    page(p, QRectF(10, 4, 28, 38));
    p.setPen(QPen(QColor(230, 170, 0), 3, Qt::SolidLine, Qt::RoundCap));
    const QPointF c(36, 36);
    for (int i = 0; i < 4; ++i) {
        const qreal a = i * 3.14159265 / 4;
        const QPointF d(std::cos(a) * 8, std::sin(a) * 8);
        p.drawLine(c - d, c + d);
    }
}

void drawOpen(QPainter &p) {
    p.setPen(QPen(kInk, 2));
    p.setBrush(QColor(225, 180, 60));
    p.drawPolygon(points({{4, 40}, {4, 10}, {16, 10}, {20, 14}, {38, 14}, {38, 40}}));
    p.setBrush(QColor(250, 215, 100));
    p.drawPolygon(points({{4, 40}, {12, 22}, {45, 22}, {38, 40}}));
}

void drawSave(QPainter &p) {
    p.setPen(QPen(kInk, 2));
    p.setBrush(QColor(50, 95, 170));
    p.drawPolygon(points({{6, 6}, {36, 6}, {42, 12}, {42, 42}, {6, 42}}));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(12, 6, 22, 13));
    p.setBrush(QColor(200, 200, 205));
    p.drawRect(QRectF(12, 27, 24, 15));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(50, 95, 170));
    p.drawRect(QRectF(27, 8, 5, 9));
}

void drawPrint(QPainter &p) {
    page(p, QRectF(14, 3, 20, 18));
    p.setPen(QPen(kInk, 2));
    p.setBrush(QColor(175, 180, 188));
    p.drawRoundedRect(QRectF(4, 18, 40, 18), 3, 3);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(12, 30, 24, 14));
    textLines(p, QRectF(12, 28, 24, 16), 2);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(70, 210, 80));
    p.drawEllipse(QRectF(36, 22, 5, 5));
}

void drawRead(QPainter &p) {
    controller(p, QRectF(24, 4, 20, 26));
    page(p, QRectF(4, 18, 20, 26));
    textLines(p, QRectF(4, 18, 20, 26), 3);
    arrow(p, QPointF(34, 34), QPointF(26, 42), QColor(40, 150, 60));
}

void drawLoad(QPainter &p) {
    controller(p, QRectF(24, 18, 20, 26));
    page(p, QRectF(4, 4, 20, 26));
    textLines(p, QRectF(4, 4, 20, 26), 3);
    arrow(p, QPointF(14, 34), QPointF(22, 42), QColor(200, 80, 30));
}

void drawVerify(QPainter &p) {
    page(p, QRectF(4, 4, 20, 28));
    textLines(p, QRectF(4, 4, 20, 28), 3);
    page(p, QRectF(22, 10, 20, 28));
    textLines(p, QRectF(22, 10, 20, 28), 3);
    p.setPen(QPen(QColor(30, 160, 60), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(points({{12, 34}, {20, 42}, {36, 24}}));
}

} // namespace

QIcon toolbarIcon(const QString &key) {
    QPixmap pm(S, S);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    if (key == QLatin1String("New"))
        drawNew(p);
    else if (key == QLatin1String("Open"))
        drawOpen(p);
    else if (key == QLatin1String("Save"))
        drawSave(p);
    else if (key == QLatin1String("Print"))
        drawPrint(p);
    else if (key == QLatin1String("Read"))
        drawRead(p);
    else if (key == QLatin1String("Load"))
        drawLoad(p);
    else if (key == QLatin1String("Verify"))
        drawVerify(p);
    p.end();
    return QIcon(pm);
}
