#include "widgets/updown.h"

#include <QToolButton>
#include <QVBoxLayout>

UpDown::UpDown(int minimum, int maximum, QWidget *parent)
    : QWidget(parent), min_(minimum), max_(maximum), value_(minimum) {
    auto *v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    const auto makeArrow = [this, v](Qt::ArrowType type, const char *name) {
        auto *b = new QToolButton(this);
        b->setObjectName(QLatin1String(name));
        b->setArrowType(type);
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
        b->setFixedWidth(18);
        v->addWidget(b);
        return b;
    };
    connect(makeArrow(Qt::UpArrow, "up"), &QToolButton::clicked, this, &UpDown::stepUp);
    connect(makeArrow(Qt::DownArrow, "down"), &QToolButton::clicked, this, &UpDown::stepDown);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
}

void UpDown::setValue(int v) {
    v = qBound(min_, v, max_);
    if (v == value_) return;
    value_ = v;
    emit valueChanged(value_);
}

void UpDown::syncValue(int v) {
    if (v >= min_ && v <= max_) value_ = v;
}
