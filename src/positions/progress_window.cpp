#include "positions/progress_window.h"

#include "state/app_state.h"
#include "widgets/twips.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

frmProgress::frmProgress(const AppState &s, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::WindowTitleHint | Qt::CustomizeWindowHint) {
    setObjectName(QStringLiteral("frmProgress"));
    setWindowTitle(s.tx("TZ-C3 ただいま通信中・・・", "TZ-C3 Communicating,now..."));
    setWindowModality(Qt::NonModal);
    lblProgress = new QLabel(
        s.tx("データをコントローラへ転送しています", "Sending data to the controller..."), this);
    lblProgress->setObjectName(QStringLiteral("lblProgress"));
    pbProgress = new QProgressBar(this);
    pbProgress->setObjectName(QStringLiteral("pbProgress"));
    pbProgress->setTextVisible(false);
    auto *v = new QVBoxLayout(this);
    v->addWidget(lblProgress);
    v->addWidget(pbProgress);
    setMinimumWidth(twips(4800));
}

void frmProgress::openWindow() {
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

void frmProgress::closeWindow() {
    hide();
}

void frmProgress::setMaximum(int maximum) {
    pbProgress->setMaximum(maximum);
}

void frmProgress::setValue(int value) {
    pbProgress->setValue(value);
}

void frmProgress::setLabel(const QString &text) {
    lblProgress->setText(text);
}

QString frmProgress::labelText() const {
    return lblProgress->text();
}

int frmProgress::maximum() const {
    return pbProgress->maximum();
}

int frmProgress::value() const {
    return pbProgress->value();
}
