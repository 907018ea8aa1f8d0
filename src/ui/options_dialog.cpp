#include "ui/options_dialog.h"

#include "state/app_state.h"
#include "common/numtext.h"
#include "link/port_map.h"
#include "widgets/digit_keys.h"
#include "widgets/push_button.h"
#include "widgets/twips.h"
#include "widgets/updown.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

// A one-digit box: Enter does nothing, Backspace and Tab work, only the
// digits low..high type and nothing more once the box holds a character.
bool swallowOneDigitKey(const QKeyEvent *k, qsizetype length, char low, char high) {
    if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) return true;
    // Shift+Insert types nothing yet pastes.
    if (k->matches(QKeySequence::Paste)) return true;
    if (swallowDigitKey(k, length, 1)) return true;
    // What is left types a digit or nothing (Backspace, Tab, arrows).
    const QString t = k->text();
    if (t.size() != 1 || !t[0].isDigit()) return false;
    return t[0] < QLatin1Char(low) || t[0] > QLatin1Char(high);
}

QLineEdit *newDigitBox(QWidget *parent, const char *name) {
    auto *e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setAlignment(Qt::AlignRight);
    e->setFixedWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("00")) + twips(240));
    e->setContextMenuPolicy(Qt::NoContextMenu);
    e->setAcceptDrops(false);
    e->setAttribute(Qt::WA_InputMethodEnabled, false);
    return e;
}

// Binds a spinner to its box: stepping writes the box, typing moves the spinner.
void bindSpinner(UpDown *spin, QLineEdit *box) {
    spin->setFixedHeight(box->sizeHint().height());
    QObject::connect(spin, &UpDown::valueChanged, box,
                     [box](int v) { box->setText(QString::number(v)); });
    QObject::connect(box, &QLineEdit::textChanged, spin, [spin](const QString &text) {
        if (const auto v = num::int16Of(text)) spin->syncValue(*v);
    });
}

QLabel *newCaution(QWidget *parent, const char *name) {
    auto *l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setWordWrap(true);
    return l;
}

} // namespace

frmOption::frmOption(AppState &s, QWidget *parent) : QDialog(parent), s_(s) {
    setObjectName(QStringLiteral("frmOption"));
    setModal(true);
    buildWindow();
    setCaptions();
    load();
}

void frmOption::buildWindow() {
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("tabOption"));

    // Page 0: the port.
    auto *port = new QWidget;
    lblPortNo_ = new QLabel(port);
    lblPortNo_->setObjectName(QStringLiteral("lblPortNo"));
    txtPortNo_ = newDigitBox(port, "txtPortNo");
    updPortNo_ = new UpDown(1, 9, port);
    updPortNo_->setObjectName(QStringLiteral("UpDownPortNo"));
    bindSpinner(updPortNo_, txtPortNo_);
    lblPortNo_->setBuddy(txtPortNo_);
    lblPortDevice_ = new QLabel(port);
    lblPortDevice_->setObjectName(QStringLiteral("lblPortDevice"));
    lblPortDevice_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    chkPortOccupy_ = new QCheckBox(port);
    chkPortOccupy_->setObjectName(QStringLiteral("chkPortOccupy"));
    auto *portRow = new QHBoxLayout;
    portRow->setSpacing(4);
    portRow->addWidget(lblPortNo_);
    portRow->addWidget(txtPortNo_);
    portRow->addWidget(updPortNo_);
    portRow->addSpacing(twips(180));
    portRow->addWidget(lblPortDevice_, 1);
    auto *portPage = new QVBoxLayout(port);
    portPage->addLayout(portRow);
    portPage->addSpacing(twips(240));
    portPage->addWidget(chkPortOccupy_);
    portPage->addStretch();
    connect(txtPortNo_, &QLineEdit::textChanged, this, &frmOption::showPortDevice);

    // Page 1: parameter details.
    auto *para = new QWidget;
    lblParaTyuijikou_ = newCaution(para, "lblParaTyuijikou");
    chkParametaShow_ = new QCheckBox(para);
    chkParametaShow_->setObjectName(QStringLiteral("chkParametaShow"));
    auto *paraPage = new QVBoxLayout(para);
    paraPage->addWidget(lblParaTyuijikou_);
    paraPage->addSpacing(twips(240));
    paraPage->addWidget(chkParametaShow_);
    paraPage->addStretch();

    // Page 2: the brake/current-down override.
    auto *etc = new QWidget;
    lblTyuijikou_ = newCaution(etc, "lblTyuijikou");
    chkChangeBk_ = new QCheckBox(etc);
    chkChangeBk_->setObjectName(QStringLiteral("chkChangeBk"));
    framBreakesettei_ = new QGroupBox(etc);
    framBreakesettei_->setObjectName(QStringLiteral("framBreakesettei"));
    lblBreakSet_ = new QLabel(framBreakesettei_);
    lblBreakSet_->setObjectName(QStringLiteral("lblBreakSet"));
    txtBreakNo_ = newDigitBox(framBreakesettei_, "txtBreakNo");
    updBreakNo_ = new UpDown(0, 3, framBreakesettei_);
    updBreakNo_->setObjectName(QStringLiteral("UpDownBreakNo"));
    bindSpinner(updBreakNo_, txtBreakNo_);
    lblBreakSet_->setBuddy(txtBreakNo_);
    auto *brakeRow = new QHBoxLayout(framBreakesettei_);
    brakeRow->setSpacing(4);
    brakeRow->addWidget(lblBreakSet_);
    brakeRow->addSpacing(twips(120));
    brakeRow->addWidget(txtBreakNo_);
    brakeRow->addWidget(updBreakNo_);
    brakeRow->addStretch();
    auto *etcPage = new QVBoxLayout(etc);
    etcPage->addWidget(lblTyuijikou_);
    etcPage->addSpacing(twips(120));
    etcPage->addWidget(chkChangeBk_);
    etcPage->addWidget(framBreakesettei_);
    etcPage->addStretch();
    connect(chkChangeBk_, &QCheckBox::clicked, this, &frmOption::changeBkClicked);

    // Page 3: the language of the next start.
    auto *lang = new QWidget;
    framLanguege_ = new QGroupBox(lang);
    framLanguege_->setObjectName(QStringLiteral("framLanguege"));
    auto *langRows = new QVBoxLayout(framLanguege_);
    for (int i = 0; i < 2; ++i) {
        optLanguege_[i] = new QRadioButton(framLanguege_);
        optLanguege_[i]->setObjectName(QStringLiteral("optLanguege%1").arg(i));
        langRows->addWidget(optLanguege_[i]);
    }
    auto *langPage = new QVBoxLayout(lang);
    langPage->addWidget(framLanguege_);
    langPage->addStretch();

    tabs_->addTab(port, QString());
    tabs_->addTab(para, QString());
    tabs_->addTab(etc, QString());
    tabs_->addTab(lang, QString());

    cmdOK_ = new PushButton(this);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    cmdCancel_ = new PushButton(this);
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
    cmdApply_ = new PushButton(this);
    cmdApply_->setObjectName(QStringLiteral("cmdApply"));
    for (QPushButton *b : {cmdOK_, cmdCancel_, cmdApply_}) {
        b->setAutoDefault(false);
        b->setMinimumWidth(twips(1200));
    }
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK_);
    buttons->addWidget(cmdCancel_);
    buttons->addWidget(cmdApply_);

    auto *top = new QVBoxLayout(this);
    top->addWidget(tabs_);
    top->addLayout(buttons);

    connect(cmdOK_, &QPushButton::clicked, this, &frmOption::okClicked);
    connect(cmdCancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(cmdApply_, &QPushButton::clicked, this, &QDialog::reject);
    txtPortNo_->installEventFilter(this);
    txtBreakNo_->installEventFilter(this);
}

void frmOption::setCaptions() {
    const AppState &s = s_;
    setWindowTitle(s.tx("ｵﾌﾟｼｮﾝ", "Options"));
    tabs_->setTabText(0, s.tx("通信ポート", "RS-232C"));
    tabs_->setTabText(1, s.tx("ﾊﾟﾗﾒｰﾀ表示", "Parameter"));
    tabs_->setTabText(2, QStringLiteral("etc"));
    tabs_->setTabText(3, s.tx("言語", "Languege"));

    lblPortNo_->setText(s.tx("通信ポート設定：　ポート", "RS-232C PORT : COM"));
    chkPortOccupy_->setText(s.tx("ｿﾌﾄ起動中は通信ﾎﾟｰﾄを占有する",
                                 "Occupy the communication port while running TZ-C3."));

    lblParaTyuijikou_->setText(
        s.tx("注意：設定を変更しないでください。デフォルトで非表示になっているパラメータを変更さ"
             "れた場合、正常に動作しないことがあります。",
             "Caution : Do not change pre-setting. When \"no-display\" in default setting was "
             "changed, you may have a problem for the operation."));
    chkParametaShow_->setText(s.tx("パラメータの詳細表示および印刷をする",
                                   "Display or print the details for parameters."));

    lblTyuijikou_->setText(
        s.tx("注意：設定を変更しないでください。変更された場合は、正常動作しない場合があります。"
             "また、モーターの温度が上昇することがあります。",
             "Caution : Do not change pre-setting. If changed, the operation may have a problem "
             "or the temperature or the motor may rise."));
    chkChangeBk_->setText(s.tx("ﾌﾞﾚｰｷと電流制限　設定の変更", "Change settings of BK and CD"));
    lblBreakSet_->setText(s.tx("ﾌﾞﾚｰｷと電流制限 設定値", "Settings of BK and CD"));

    framLanguege_->setTitle(s.tx("使用する言語を選択して下さい。", "Select Languege"));
    optLanguege_[0]->setText(s.tx("日本語JAPANESE", "JAPANESE"));
    optLanguege_[1]->setText(s.tx("英語ENGLISH", "ENGLISH"));

    cmdOK_->setText(QStringLiteral("OK"));
    cmdCancel_->setText(s.tx("ｷｬﾝｾﾙ", "Cancel"));
    cmdApply_->setText(s.tx("閉じる", "Close"));
}

namespace {

qint16 storedPortNumber(const AppState &s) {
    return s.settings.readInt16(QStringLiteral("PortNo"), 1).value_or(0);
}

} // namespace

void frmOption::load() {
    const qint16 port =
        s_.link.portNumber >= 1 && s_.link.portNumber <= 9 ? s_.link.portNumber : storedPortNumber(s_);
    txtPortNo_->setText(QString::number(port));
    showPortDevice();

    chkParametaShow_->setChecked(s_.options.parametaShow);

    // The override's controls start as the cleared box leaves them; a set
    // override then goes through the same rule as the user's click.
    chkChangeBk_->setChecked(s_.options.changeBkCd);
    changeBkClicked();

    // The running language, not a pending choice: choosing it again is how
    // the user takes a change back.
    optLanguege_[s_.japanese() ? 0 : 1]->setChecked(true);

    chkPortOccupy_->setChecked(s_.link.portOccupy);

    // Opened while an operation holds the port (nothing offers it then, but
    // nothing here may close or switch the port under an exchange either).
    const bool portFree = !s_.controllerBusy();
    for (QWidget *w : std::initializer_list<QWidget *>{txtPortNo_, updPortNo_, chkPortOccupy_})
        w->setEnabled(portFree);
}

void frmOption::changeBkClicked() {
    const bool on = chkChangeBk_->isChecked();
    txtBreakNo_->setText(on ? QString::number(s_.options.bkCdValue) : QStringLiteral("2"));
    for (QWidget *w : std::initializer_list<QWidget *>{framBreakesettei_, lblBreakSet_, txtBreakNo_,
                                                       updBreakNo_})
        w->setEnabled(on);
}

void frmOption::showPortDevice() {
    lblPortDevice_->setText(portmap::describePort(num::int16Of(txtPortNo_->text()).value_or(0)));
}

bool frmOption::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::KeyPress && (watched == txtPortNo_ || watched == txtBreakNo_)) {
        const auto *k = static_cast<QKeyEvent *>(event);
        const auto *box = static_cast<QLineEdit *>(watched);
        return watched == txtPortNo_ ? swallowOneDigitKey(k, box->text().size(), '1', '9')
                                     : swallowOneDigitKey(k, box->text().size(), '0', '3');
    }
    return QDialog::eventFilter(watched, event);
}

void frmOption::okClicked() {
    // Under a running exchange the port stays as it is (its controls are
    // shut then, see load()).
    if (!s_.controllerBusy()) {
        const auto typed = num::int16Of(txtPortNo_->text());
        const qint16 port = typed && *typed >= 1 && *typed <= 9 ? *typed : storedPortNumber(s_);
        s_.link.changePortNumber(port);
    }

    Options &o = s_.options;
    o.changeBkCd = false;
    o.bkCdValue = 2;
    if (chkChangeBk_->isChecked()) {
        // A box without a digit (emptied, or a blank) is no choice at all,
        // not a 0: the override goes off and the standard digit stays.
        const QString text = txtBreakNo_->text().trimmed();
        const auto v = num::int16Of(text);
        if (!text.isEmpty() && text.at(0).isDigit() && v && *v >= 0 && *v <= 3) {
            o.changeBkCd = true;
            o.bkCdValue = *v;
        }
    }

    o.parametaShow = chkParametaShow_->isChecked();
    s_.languageChangePending = optLanguege_[0]->isChecked() != s_.japanese();

    s_.link.portOccupy = chkPortOccupy_->isChecked();
    s_.settings.write(QStringLiteral("PortOccupy"), s_.link.portOccupy ? 1 : 0);
    accept();
}

void showOptions(AppState &s, QWidget *mainWindow) {
    {
        frmOption dialog(s, mainWindow);
        s.prompter.exec(dialog);
    }
    if (s.languageChangePending)
        s.prompter.message(s.tx("使用言語の設定が変更されています。\r\n"
                                "TZ-C3を一度終了させてから、もう一度起動してください。",
                                "Language Setting has been changed.\r\n"
                                "finish TZ-C3 and restart TZ-C3 again."));
}
