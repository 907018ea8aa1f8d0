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

OutputChangeDialog::OutputChangeDialog(AppState &s, const CommandBracket &bracket, QWidget *parent)
    : QDialog(parent), s_(s), bracket_(bracket), brakeBox_(new QCheckBox(this)),
      currentDownBox_(new QCheckBox(this)), changeButton_(new PushButton(this)) {
    setWindowTitle(s_.tx("出力の変更", "Change Output Status"));

    auto *outputs = new QGroupBox(s_.tx("出力ポート", "Output"), this);
    auto *outRow = new QHBoxLayout(outputs);
    for (int n = 0; n < 2; ++n) {
        outputLamp_[n] = new Lamp(Lamp::outColour(), outputs);
        outputLamp_[n]->setObjectName(QStringLiteral("out%1LampImage").arg(n + 1));
        // The lamps are this window's switches: large enough to aim at and to read a "?" on.
        outputLamp_[n]->setFixedSize(twips(330), twips(330));
        outputLamp_[n]->installEventFilter(this);
        outRow->addWidget(new QLabel(QString::number(n + 1), outputs));
        outRow->addWidget(outputLamp_[n]);
        outRow->addSpacing(twips(300));
    }
    outRow->addStretch();

    auto *options = new QGroupBox(s_.tx("ブレーキ", "Brake"), this);
    auto *optCol = new QVBoxLayout(options);
    brakeBox_->setObjectName(QStringLiteral("brakeBox"));
    brakeBox_->setText(s_.tx("１．ブレーキ有効", "1.Brake Enable"));
    currentDownBox_->setObjectName(QStringLiteral("currentDownBox"));
    currentDownBox_->setText(s_.tx("２．電流制限", "2.Current Down"));
    optCol->addWidget(brakeBox_);
    optCol->addWidget(currentDownBox_);
    setBrakeTip(0);
    setCurrentDownTip(0);
    // Only the user's clicks: a read sets its own tips.
    connect(brakeBox_, &QCheckBox::clicked, this, [this] { setBrakeTip(0); });
    connect(currentDownBox_, &QCheckBox::clicked, this, [this] { setCurrentDownTip(0); });

    changeButton_->setObjectName(QStringLiteral("changeButton"));
    changeButton_->setText(s_.tx("変更", "Change"));
    changeButton_->setAutoDefault(false);
    changeButton_->setMinimumWidth(twips(1200));
    connect(changeButton_, &QPushButton::clicked, this, &OutputChangeDialog::writeState);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(changeButton_);
    auto *top = new QVBoxLayout(this);
    top->addWidget(outputs);
    top->addWidget(options);
    top->addLayout(buttons);
    showStateUnknown();
}

// Until a read succeeds the window cannot say what Change would overwrite: on
// a vertical axis a guessed output or brake option can drop the load.
void OutputChangeDialog::showStateUnknown() {
    stateRead_ = false;
    for (Lamp *lamp : outputLamp_) {
        lamp->setUnknown();
        lamp->setToolTip(s_.tx("不明：先に現在の状態を読み込んで下さい",
                               "Unknown: read the present status first."));
        lamp->unsetCursor();
    }
    brakeBox_->setEnabled(false);
    currentDownBox_->setEnabled(false);
    changeButton_->setEnabled(false);
}

OutputChangeDialog::~OutputChangeDialog() = default;

bool OutputChangeDialog::eventFilter(QObject *watched, QEvent *event) {
    for (int n = 0; n < 2; ++n) {
        if (watched != outputLamp_[n] || event->type() != QEvent::MouseButtonRelease) continue;
        const auto *me = static_cast<QMouseEvent *>(event);
        if (stateRead_ && me->button() == Qt::LeftButton &&
            outputLamp_[n]->rect().contains(me->position().toPoint()))
            setOutput(n, !outputLamp_[n]->isLit());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

// The lamp is the output's pending value: what the window shows is what
// Change writes.
void OutputChangeDialog::setOutput(int n, bool on) {
    outputLamp_[n]->setLit(on);
    outputLamp_[n]->setCursor(Qt::PointingHandCursor);
    outputLamp_[n]->setToolTip(
        on ? s_.tx("クリックするとOFFになります", "When click here, it turns OFF.")
           : s_.tx("クリックするとONになります", "When click here, it turns ON."));
}

void OutputChangeDialog::setBrakeTip(int readDigit) {
    if (!brakeBox_->isChecked())
        brakeBox_->setToolTip(s_.tx("ブレーキを使用する場合は、チェックを付けて下さい",
                                    "When brake is used, check here."));
    else if (readDigit == 1) // the ideographic blank has always been there
        brakeBox_->setToolTip(s_.tx("ブレーキを使用しない場合は、チェックを外して下さい",
                                    "When brake is\u3000not used, remove check here."));
    else
        brakeBox_->setToolTip(s_.tx("ブレーキを使用しない場合は、チェックを外して下さい",
                                    "When brake is not used, remove check here."));
}

void OutputChangeDialog::setCurrentDownTip(int readDigit) {
    if (!currentDownBox_->isChecked())
        currentDownBox_->setToolTip(s_.tx("電流制限を行う場合は、チェックを付けて下さい",
                                          "When current control is done, check here."));
    else if (readDigit == 0)
        currentDownBox_->setToolTip(s_.tx("電流制限を行わない場合は、チェックを外して下さい",
                                          "When current control is not done, Remove check here."));
    else if (readDigit == 2)
        currentDownBox_->setToolTip(s_.tx("電流制限を行わない場合は、チェックを外して下さい",
                                          "When current control is done, remove check here."));
    else
        currentDownBox_->setToolTip(s_.tx("電流制限を行わない場合は、チェックを外して下さい",
                                          "When current control is not done, remove check here."));
}

io::OutputStatus OutputChangeDialog::shownStatus() const {
    return {(outputLamp_[0]->isLit() ? 1 : 0) + (outputLamp_[1]->isLit() ? 2 : 0),
            (brakeBox_->isChecked() ? 1 : 0) + (currentDownBox_->isChecked() ? 2 : 0)};
}

void OutputChangeDialog::readPresentState() {
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
    brakeBox_->setChecked((st->options & 1) != 0);
    currentDownBox_->setChecked((st->options & 2) != 0);
    setBrakeTip(st->options);
    setCurrentDownTip(st->options);
    stateRead_ = true;
    brakeBox_->setEnabled(true);
    currentDownBox_->setEnabled(true);
    changeButton_->setEnabled(true);
}

void OutputChangeDialog::writeState() {
    if (!stateRead_) return;
    changeButton_->setEnabled(false);
    BracketScope commands(bracket_);
    const auto restore = qScopeGuard([&] { changeButton_->setEnabled(true); });
    // A failure has been reported; the window keeps its state for another try.
    io::writeOutputStatus(s_.link, shownStatus());
}

void showOutputChange(AppState &s, QWidget *mainWindow, const CommandBracket &bracket) {
    OutputChangeDialog dlg(s, bracket, mainWindow);
    if (mainWindow) dlg.move(mainWindow->window()->pos() + QPoint(twips(500), twips(500)));
    dlg.readPresentState();
    s.prompter.exec(dlg);
}
