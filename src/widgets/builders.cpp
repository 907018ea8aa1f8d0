#include "widgets/builders.h"

#include "widgets/push_button.h"

#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

QPushButton *makeButton(QWidget *parent, const char *name, const QString &caption,
                        const QString &tip) {
    auto *b = named(new PushButton(caption, parent), name);
    if (!tip.isEmpty()) b->setToolTip(tip);
    b->setAutoDefault(false);
    return b;
}

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text) {
    return named(new QLabel(text, parent), name);
}

QLabel *makeValueBox(QWidget *parent, const char *name, const QString &text) {
    auto *l = makeLabel(parent, name, text);
    l->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    l->setAutoFillBackground(true);
    l->setBackgroundRole(QPalette::Base);
    l->setMargin(3);
    l->setTextInteractionFlags(Qt::NoTextInteraction);
    return l;
}

QWidget *frameBody(QGroupBox *frame) {
    auto *v = new QVBoxLayout(frame);
    v->setContentsMargins(8, 4, 8, 8);
    auto *body = new QWidget(frame);
    QFont normal;
    normal.setWeight(QFont::Normal);
    body->setFont(normal);
    v->addWidget(body);
    return body;
}

QGroupBox *makeFrame(QWidget *parent, const char *name, const QString &title, QWidget **body) {
    auto *g = named(new QGroupBox(title, parent), name);
    *body = frameBody(g);
    return g;
}

void setBoldFace(QWidget *w, bool bold) {
    QFont f;
    f.setWeight(bold ? QFont::Bold : QFont::Normal);
    w->setFont(f);
}

QFrame *makeLine(QWidget *parent) {
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}
