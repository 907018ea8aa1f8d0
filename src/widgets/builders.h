#pragma once

// The little builders the main window's frames share: a control with its
// object name, the program's push button, a value box, a titled frame whose
// body keeps a normal face, a rule line. Object names are the controls'
// historical names, which tests and readers find them by.

#include <QString>

class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QWidget;

template <class W> W *named(W *w, const char *name) {
    w->setObjectName(QLatin1String(name));
    return w;
}

// A push button that never becomes the default; the tip is left unset when empty.
QPushButton *makeButton(QWidget *parent, const char *name, const QString &caption,
                        const QString &tip = QString());

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text);

// A sunken white box for a value the program writes (model name, file name).
QLabel *makeValueBox(QWidget *parent, const char *name, const QString &text = QString());

// A titled frame whose title alone may turn bold: the body pins its own font
// weight so the controls inside keep their normal face. The body is what the
// frame's controls and layout go in.
QWidget *frameBody(QGroupBox *frame);
QGroupBox *makeFrame(QWidget *parent, const char *name, const QString &title, QWidget **body);

void setBoldFace(QWidget *w, bool bold);

// A sunken horizontal rule between groups of a frame.
QFrame *makeLine(QWidget *parent);
