#include "operation/output_change.h"

#include "operation/io_exchange.h"
#include "state/app_state.h"
#include "widgets/lamp.h"
#include "widgets/push_button.h"
#include "widgets/twips.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScopeGuard>
#include <QVBoxLayout>

frmChangeOut::frmChangeOut(AppState &s, const CommandBracket &bracket, QWidget *parent)
    : QDialog(parent), s_(s), bracket_(bracket), chkBrake_(new QCheckBox(this)),
      chkCurrentDown_(new QCheckBox(this)), cmdChange_(new PushButton(this)) {
    setWindowTitle(s_.tx("出力の変更", "Change Output Status"));

    auto *outputs = new QGroupBox(s_.tx("出力ポート", "Output"), this);
    auto *outRow = new QHBoxLayout(outputs);
    for (int n = 0; n < 2; ++n) {
        imgOut_[n] = new Lamp(Lamp::outColour(), outputs);
        imgOut_[n]->setObjectName(QStringLiteral("imgOut%1").arg(n + 1));
        // The lamps are this window's switches: large enough to aim at and to read a "?" on.
        imgOut_[n]->setFixedSize(twips(330), twips(330));
        imgOut_[n]->installEventFilter(this);
        outRow->addWidget(new QLabel(QString::number(n + 1), outputs));
        outRow->addWidget(imgOut_[n]);
        outRow->addSpacing(twips(300));
    }
    outRow->addStretch();

    auto *options = new QGroupBox(s_.tx("ブレーキ", "Brake"), this);
    auto *optCol = new QVBoxLayout(options);
    chkBrake_->setObjectName(QStringLiteral("chkBrake"));
    chkBrake_->setText(s_.tx("１．ブレーキ有効", "1.Brake Enable"));
    chkCurrentDown_->setObjectName(QStringLiteral("chkCurrentDown"));
    chkCurrentDown_->setText(s_.tx("２．電流制限", "2.Current Down"));
    optCol->addWidget(chkBrake_);
    optCol->addWidget(chkCurrentDown_);
    setBrakeTip(0);
    setCurrentDownTip(0);
    // Only the user's clicks: a read sets its own tips.
    connect(chkBrake_, &QCheckBox::clicked, this, [this] { setBrakeTip(0); });
    connect(chkCurrentDown_, &QCheckBox::clicked, this, [this] { setCurrentDownTip(0); });

    cmdChange_->setObjectName(QStringLiteral("cmdChange"));
    cmdChange_->setText(s_.tx("変更", "Change"));
    cmdChange_->setAutoDefault(false);
    cmdChange_->setMinimumWidth(twips(1200));
    connect(cmdChange_, &QPushButton::clicked, this, &frmChangeOut::writeState);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdChange_);
    auto *top = new QVBoxLayout(this);
    top->addWidget(outputs);
    top->addWidget(options);
    top->addLayout(buttons);
    showStateUnknown();
}

// Until a read succeeds the window cannot say what Change would overwrite: on
// a vertical axis a guessed output or brake option can drop the load.
void frmChangeOut::showStateUnknown() {
    stateRead_ = false;
    for (Lamp *lamp : imgOut_) {
        lamp->setUnknown();
        lamp->setToolTip(s_.tx("不明：先に現在の状態を読み込んで下さい",
                               "Unknown: read the present status first."));
        lamp->unsetCursor();
    }
    chkBrake_->setEnabled(false);
    chkCurrentDown_->setEnabled(false);
    cmdChange_->setEnabled(false);
}

frmChangeOut::~frmChangeOut() = default;

bool frmChangeOut::eventFilter(QObject *watched, QEvent *event) {
    for (int n = 0; n < 2; ++n) {
        if (watched != imgOut_[n] || event->type() != QEvent::MouseButtonRelease) continue;
        const auto *me = static_cast<QMouseEvent *>(event);
        if (stateRead_ && me->button() == Qt::LeftButton &&
            imgOut_[n]->rect().contains(me->position().toPoint()))
            setOutput(n, !imgOut_[n]->isLit());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

// The lamp is the output's pending value: what the window shows is what
// Change writes.
void frmChangeOut::setOutput(int n, bool on) {
    imgOut_[n]->setLit(on);
    imgOut_[n]->setCursor(Qt::PointingHandCursor);
    imgOut_[n]->setToolTip(
        on ? s_.tx("クリックするとOFFになります", "When click here, it turns OFF.")
           : s_.tx("クリックするとONになります", "When click here, it turns ON."));
}

void frmChangeOut::setBrakeTip(int readDigit) {
    if (!chkBrake_->isChecked())
        chkBrake_->setToolTip(s_.tx("ブレーキを使用する場合は、チェックを付けて下さい",
                                    "When brake is used, check here."));
    else if (readDigit == 1) // the ideographic blank has always been there
        chkBrake_->setToolTip(s_.tx("ブレーキを使用しない場合は、チェックを外して下さい",
                                    "When brake is\u3000not used, remove check here."));
    else
        chkBrake_->setToolTip(s_.tx("ブレーキを使用しない場合は、チェックを外して下さい",
                                    "When brake is not used, remove check here."));
}

void frmChangeOut::setCurrentDownTip(int readDigit) {
    if (!chkCurrentDown_->isChecked())
        chkCurrentDown_->setToolTip(s_.tx("電流制限を行う場合は、チェックを付けて下さい",
                                          "When current control is done, check here."));
    else if (readDigit == 0)
        chkCurrentDown_->setToolTip(s_.tx("電流制限を行わない場合は、チェックを外して下さい",
                                          "When current control is not done, Remove check here."));
    else if (readDigit == 2)
        chkCurrentDown_->setToolTip(s_.tx("電流制限を行わない場合は、チェックを外して下さい",
                                          "When current control is done, remove check here."));
    else
        chkCurrentDown_->setToolTip(s_.tx("電流制限を行わない場合は、チェックを外して下さい",
                                          "When current control is not done, remove check here."));
}

io::OutputStatus frmChangeOut::shownStatus() const {
    return {(imgOut_[0]->isLit() ? 1 : 0) + (imgOut_[1]->isLit() ? 2 : 0),
            (chkBrake_->isChecked() ? 1 : 0) + (chkCurrentDown_->isChecked() ? 2 : 0)};
}

void frmChangeOut::readPresentState() {
    BracketScope commands(bracket_);
    // Declining leaves the window as it opened: the state unknown.
    if (s_.prompter.ask(s_.tx("現在の出力の状態を読み込みます。よろしいですか？",
                              "Read the present output status, Yes/No?"),
                        PromptButtons::OkCancel, PromptIcon::Question) != PromptAnswer::Ok)
        return;
    const auto st = io::readOutputStatus(s_.link);
    if (!st) return;
    setOutput(0, (st->outputs & 1) != 0);
    setOutput(1, (st->outputs & 2) != 0);
    chkBrake_->setChecked((st->options & 1) != 0);
    chkCurrentDown_->setChecked((st->options & 2) != 0);
    setBrakeTip(st->options);
    setCurrentDownTip(st->options);
    stateRead_ = true;
    chkBrake_->setEnabled(true);
    chkCurrentDown_->setEnabled(true);
    cmdChange_->setEnabled(true);
}

void frmChangeOut::writeState() {
    if (!stateRead_) return;
    cmdChange_->setEnabled(false);
    BracketScope commands(bracket_);
    const auto restore = qScopeGuard([&] { cmdChange_->setEnabled(true); });
    // A failure has been reported; the window keeps its state for another try.
    io::writeOutputStatus(s_.link, shownStatus());
}

void showOutputChange(AppState &s, QWidget *mainWindow, const CommandBracket &bracket) {
    frmChangeOut dlg(s, bracket, mainWindow);
    if (mainWindow) dlg.move(mainWindow->window()->pos() + QPoint(twips(500), twips(500)));
    dlg.readPresentState();
    s.prompter.exec(dlg);
}
