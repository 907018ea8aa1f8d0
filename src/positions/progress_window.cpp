#include "positions/progress_window.h"

#include "state/app_state.h"
#include "widgets/twips.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

ProgressWindow::ProgressWindow(const AppState &s, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::WindowTitleHint | Qt::CustomizeWindowHint) {
    setObjectName(QStringLiteral("ProgressWindow"));
    setWindowTitle(s.tx("TZ-C3 ただいま通信中・・・", "TZ-C3 Communicating,now..."));
    setWindowModality(Qt::NonModal);
    progressLabel = new QLabel(
        s.tx("データをコントローラへ転送しています", "Sending data to the controller..."), this);
    progressLabel->setObjectName(QStringLiteral("progressLabel"));
    progressBar = new QProgressBar(this);
    progressBar->setObjectName(QStringLiteral("progressBar"));
    progressBar->setTextVisible(false);
    auto *v = new QVBoxLayout(this);
    v->addWidget(progressLabel);
    v->addWidget(progressBar);
    setMinimumWidth(twips(4800));
}

void ProgressWindow::openWindow() {
    if (parentWidget()) {
        // Over the middle of the window that started the exchange.
        const QRect owner = parentWidget()->window()->frameGeometry();
        adjustSize();
        move(owner.center() - rect().center());
    }
    // The exchanges wait in an event loop, which paints it.
    show();
    raise();
}

void ProgressWindow::closeWindow() {
    hide();
}

void ProgressWindow::setMaximum(int maximum) {
    progressBar->setMaximum(maximum);
}

void ProgressWindow::setValue(int value) {
    progressBar->setValue(value);
}

void ProgressWindow::setLabel(const QString &text) {
    progressLabel->setText(text);
}

QString ProgressWindow::labelText() const {
    return progressLabel->text();
}

int ProgressWindow::maximum() const {
    return progressBar->maximum();
}

int ProgressWindow::value() const {
    return progressBar->value();
}
