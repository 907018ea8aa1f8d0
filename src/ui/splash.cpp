#include "ui/splash.h"

#include <QFrame>
#include <QLabel>
#include <QVBoxLayout>

QString SplashWindow::versionText() {
    // Minor and revision are written together: 1.8.0 reads "Version 1.80".
    return QStringLiteral("Version %1.%2%3")
        .arg(TZC3_VERSION_MAJOR)
        .arg(TZC3_VERSION_MINOR)
        .arg(TZC3_VERSION_PATCH);
}

SplashWindow::SplashWindow(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("SplashWindow"));
    auto *frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    frame->setLineWidth(2);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);
    auto *v = new QVBoxLayout(frame);
    v->setContentsMargins(28, 22, 28, 18);
    v->setSpacing(8);

    auto *maker = new QLabel(QStringLiteral("Velcor"), frame);
    QFont mf = maker->font();
    mf.setPointSize(mf.pointSize() + 1);
    mf.setItalic(true);
    maker->setFont(mf);
    auto *title = new QLabel(QStringLiteral("TZ-C3"), frame);
    title->setObjectName(QStringLiteral("productLabel"));
    QFont tf = title->font();
    tf.setPointSize(tf.pointSize() + 16);
    tf.setBold(true);
    title->setFont(tf);
    auto *notice = new QLabel(
        QStringLiteral("Support tool for TZ actuators and their position controllers"), frame);
    auto *version = new QLabel(versionText(), frame);
    version->setObjectName(QStringLiteral("versionLabel"));
    version->setAlignment(Qt::AlignRight);
    auto *line = new QFrame(frame);
    line->setFrameShape(QFrame::HLine);
    auto *warning = new QLabel(
        QStringLiteral("Warning: check the actuator's surroundings before any test motion."),
        frame);
    warning->setObjectName(QStringLiteral("warningLabel"));
    QFont wf = warning->font();
    wf.setPointSize(qMax(7, wf.pointSize() - 1));
    warning->setFont(wf);

    v->addWidget(maker);
    v->addWidget(title);
    v->addWidget(notice);
    v->addWidget(version);
    v->addWidget(line);
    v->addWidget(warning);
    setFixedSize(sizeHint().expandedTo(QSize(440, 0)));
}
