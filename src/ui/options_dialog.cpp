#include "ui/options_dialog.h"

#include "common/numtext.h"
#include "link/port_map.h"
#include "state/app_state.h"
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
#include <QTreeWidget>
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

OptionsDialog::OptionsDialog(AppState &s, QWidget *parent) : QDialog(parent), s_(s) {
    setObjectName(QStringLiteral("OptionsDialog"));
    setModal(true);
    buildWindow();
    setCaptions();
    load();
}

void OptionsDialog::buildWindow() {
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("pages"));

    // Page 0: the port.
    auto *port = new QWidget;
    portCaption_ = new QLabel(port);
    portCaption_->setObjectName(QStringLiteral("portCaption"));
    portBox_ = newDigitBox(port, "portBox");
    portSpinner_ = new UpDown(1, 9, port);
    portSpinner_->setObjectName(QStringLiteral("portSpinner"));
    bindSpinner(portSpinner_, portBox_);
    portCaption_->setBuddy(portBox_);
    portDeviceLabel_ = new QLabel(port);
    portDeviceLabel_->setObjectName(QStringLiteral("portDeviceLabel"));
    portDeviceLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Every serial device of the machine with the number that reaches it, so
    // the user picks the adapter rather than guessing its number.
    portList_ = new QTreeWidget(port);
    portList_->setObjectName(QStringLiteral("portList"));
    portList_->setRootIsDecorated(false);
    portList_->setColumnCount(3);
    portList_->setSelectionMode(QAbstractItemView::SingleSelection);
    portList_->setMinimumHeight(portList_->fontMetrics().height() * 6);
    keepPortOpenBox_ = new QCheckBox(port);
    keepPortOpenBox_->setObjectName(QStringLiteral("keepPortOpenBox"));
    auto *portRow = new QHBoxLayout;
    portRow->setSpacing(4);
    portRow->addWidget(portCaption_);
    portRow->addWidget(portBox_);
    portRow->addWidget(portSpinner_);
    portRow->addSpacing(twips(180));
    portRow->addWidget(portDeviceLabel_, 1);
    auto *portPage = new QVBoxLayout(port);
    portPage->addLayout(portRow);
    portPage->addWidget(portList_, 1);
    portPage->addSpacing(twips(120));
    portPage->addWidget(keepPortOpenBox_);
    portPage->addStretch();
    connect(portBox_, &QLineEdit::textChanged, this, &OptionsDialog::showPortDevice);
    connect(portList_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item) {
        const int n = item->data(0, Qt::UserRole).toInt();
        if (n >= 1 && n <= 9 && portBox_->isEnabled()) portBox_->setText(QString::number(n));
    });

    // Page 1: parameter details.
    auto *para = new QWidget;
    detailsCaution_ = newCaution(para, "detailsCaution");
    detailsBox_ = new QCheckBox(para);
    detailsBox_->setObjectName(QStringLiteral("detailsBox"));
    auto *paraPage = new QVBoxLayout(para);
    paraPage->addWidget(detailsCaution_);
    paraPage->addSpacing(twips(240));
    paraPage->addWidget(detailsBox_);
    paraPage->addStretch();

    // Page 2: the brake/current-down override.
    auto *etc = new QWidget;
    brakeCaution_ = newCaution(etc, "brakeCaution");
    brakeOverrideBox_ = new QCheckBox(etc);
    brakeOverrideBox_->setObjectName(QStringLiteral("brakeOverrideBox"));
    brakeFrame_ = new QGroupBox(etc);
    brakeFrame_->setObjectName(QStringLiteral("brakeFrame"));
    brakeCaption_ = new QLabel(brakeFrame_);
    brakeCaption_->setObjectName(QStringLiteral("brakeCaption"));
    brakeBox_ = newDigitBox(brakeFrame_, "brakeBox");
    brakeSpinner_ = new UpDown(0, 3, brakeFrame_);
    brakeSpinner_->setObjectName(QStringLiteral("brakeSpinner"));
    bindSpinner(brakeSpinner_, brakeBox_);
    brakeCaption_->setBuddy(brakeBox_);
    auto *brakeRow = new QHBoxLayout(brakeFrame_);
    brakeRow->setSpacing(4);
    brakeRow->addWidget(brakeCaption_);
    brakeRow->addSpacing(twips(120));
    brakeRow->addWidget(brakeBox_);
    brakeRow->addWidget(brakeSpinner_);
    brakeRow->addStretch();
    auto *etcPage = new QVBoxLayout(etc);
    etcPage->addWidget(brakeCaution_);
    etcPage->addSpacing(twips(120));
    etcPage->addWidget(brakeOverrideBox_);
    etcPage->addWidget(brakeFrame_);
    etcPage->addStretch();
    connect(brakeOverrideBox_, &QCheckBox::clicked, this, &OptionsDialog::changeBkClicked);

    // Page 3: the language of the next start.
    auto *lang = new QWidget;
    languageFrame_ = new QGroupBox(lang);
    languageFrame_->setObjectName(QStringLiteral("languageFrame"));
    auto *langRows = new QVBoxLayout(languageFrame_);
    for (int i = 0; i < 2; ++i) {
        languageOption_[i] = new QRadioButton(languageFrame_);
        languageOption_[i]->setObjectName(
            QLatin1String(i == 0 ? "japaneseOption" : "englishOption"));
        langRows->addWidget(languageOption_[i]);
    }
    auto *langPage = new QVBoxLayout(lang);
    langPage->addWidget(languageFrame_);
    langPage->addStretch();

    tabs_->addTab(port, QString());
    tabs_->addTab(para, QString());
    tabs_->addTab(etc, QString());
    tabs_->addTab(lang, QString());

    okButton_ = new PushButton(this);
    okButton_->setObjectName(QStringLiteral("okButton"));
    cancelButton_ = new PushButton(this);
    cancelButton_->setObjectName(QStringLiteral("cancelButton"));
    closeButton_ = new PushButton(this);
    closeButton_->setObjectName(QStringLiteral("closeButton"));
    for (QPushButton *b : {okButton_, cancelButton_, closeButton_}) {
        b->setAutoDefault(false);
        b->setMinimumWidth(twips(1200));
    }
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton_);
    buttons->addWidget(closeButton_);

    auto *top = new QVBoxLayout(this);
    top->addWidget(tabs_);
    top->addLayout(buttons);

    connect(okButton_, &QPushButton::clicked, this, &OptionsDialog::okClicked);
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::reject);
    portBox_->installEventFilter(this);
    brakeBox_->installEventFilter(this);
}

void OptionsDialog::setCaptions() {
    const AppState &s = s_;
    setWindowTitle(s.tx("ｵﾌﾟｼｮﾝ", "Options"));
    tabs_->setTabText(0, s.tx("通信ポート", "RS-232C"));
    tabs_->setTabText(1, s.tx("ﾊﾟﾗﾒｰﾀ表示", "Parameter"));
    tabs_->setTabText(2, QStringLiteral("etc"));
    tabs_->setTabText(3, s.tx("言語", "Languege"));

    portCaption_->setText(s.tx("通信ポート設定：　ポート", "RS-232C PORT : COM"));
    portList_->setHeaderLabels(
        {s.tx("ポート", "Port"), s.tx("デバイス", "Device"), s.tx("説明", "Description")});
    keepPortOpenBox_->setText(s.tx("ｿﾌﾄ起動中は通信ﾎﾟｰﾄを占有する",
                                   "Occupy the communication port while running TZ-C3."));

    detailsCaution_->setText(
        s.tx("注意：設定を変更しないでください。デフォルトで非表示になっているパラメータを変更さ"
             "れた場合、正常に動作しないことがあります。",
             "Caution : Do not change pre-setting. When \"no-display\" in default setting was "
             "changed, you may have a problem for the operation."));
    detailsBox_->setText(s.tx("パラメータの詳細表示および印刷をする",
                              "Display or print the details for parameters."));

    brakeCaution_->setText(
        s.tx("注意：設定を変更しないでください。変更された場合は、正常動作しない場合があります。"
             "また、モーターの温度が上昇することがあります。",
             "Caution : Do not change pre-setting. If changed, the operation may have a problem "
             "or the temperature or the motor may rise."));
    brakeOverrideBox_->setText(s.tx("ﾌﾞﾚｰｷと電流制限　設定の変更", "Change settings of BK and CD"));
    brakeCaption_->setText(s.tx("ﾌﾞﾚｰｷと電流制限 設定値", "Settings of BK and CD"));

    languageFrame_->setTitle(s.tx("使用する言語を選択して下さい。", "Select Languege"));
    languageOption_[0]->setText(s.tx("日本語JAPANESE", "JAPANESE"));
    languageOption_[1]->setText(s.tx("英語ENGLISH", "ENGLISH"));

    okButton_->setText(QStringLiteral("OK"));
    cancelButton_->setText(s.tx("ｷｬﾝｾﾙ", "Cancel"));
    closeButton_->setText(s.tx("閉じる", "Close"));
}

namespace {

qint16 storedPortNumber(const AppState &s) {
    return s.settings.readInt16(QStringLiteral("PortNo"), 1).value_or(0);
}

} // namespace

void OptionsDialog::load() {
    const qint16 port = s_.link.portNumber >= 1 && s_.link.portNumber <= 9 ? s_.link.portNumber
                                                                           : storedPortNumber(s_);
    portBox_->setText(QString::number(port));
    fillPortList();
    showPortDevice();

    detailsBox_->setChecked(s_.options.showParameterDetails);

    // The override's controls start as the cleared box leaves them; a set
    // override then goes through the same rule as the user's click.
    brakeOverrideBox_->setChecked(s_.options.overrideBrakeDigit);
    changeBkClicked();

    // The running language, not a pending choice: choosing it again is how
    // the user takes a change back.
    languageOption_[s_.japanese() ? 0 : 1]->setChecked(true);

    keepPortOpenBox_->setChecked(s_.link.portOccupy);

    // Opened while an operation holds the port (nothing offers it then, but
    // nothing here may close or switch the port under an exchange either).
    const bool portFree = !s_.controllerBusy();
    for (QWidget *w :
         std::initializer_list<QWidget *>{portBox_, portSpinner_, portList_, keepPortOpenBox_})
        w->setEnabled(portFree);
}

void OptionsDialog::changeBkClicked() {
    const bool on = brakeOverrideBox_->isChecked();
    brakeBox_->setText(on ? QString::number(s_.options.brakeDigit) : QStringLiteral("2"));
    for (QWidget *w :
         std::initializer_list<QWidget *>{brakeFrame_, brakeCaption_, brakeBox_, brakeSpinner_})
        w->setEnabled(on);
}

void OptionsDialog::fillPortList() {
    portList_->clear();
    for (const portmap::PortRow &row : portmap::portTable()) {
        auto *item = new QTreeWidgetItem(portList_);
        item->setText(0, row.number ? QStringLiteral("COM%1").arg(row.number)
                                    : s_.tx("（番号なし）", "(no number)"));
        item->setData(0, Qt::UserRole, row.number);
        item->setText(1, row.source == portmap::Source::Environment
                             ? row.device + QStringLiteral(" (TZC3_COM%1)").arg(row.number)
                             : row.device);
        item->setText(2, row.description);
        if (!row.number)
            item->setForeground(0, palette().color(QPalette::Disabled, QPalette::Text));
    }
}

void OptionsDialog::showPortDevice() {
    const int n = num::int16Of(portBox_->text()).value_or(0);
    const QString device = portmap::portDeviceFor(n);
    portDeviceLabel_->setText(device.isEmpty()
                                  ? s_.tx("この番号に割り当てられたシリアルデバイスがありません",
                                          "no serial device is mapped to this number")
                                  : portmap::describePort(n));
    // The selected number's row stands out; the others are plain.
    for (int i = 0; i < portList_->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = portList_->topLevelItem(i);
        const bool selected = item->data(0, Qt::UserRole).toInt() == n && n != 0;
        QFont f = portList_->font();
        f.setBold(selected);
        for (int c = 0; c < portList_->columnCount(); ++c)
            item->setFont(c, f);
        item->setSelected(selected);
        if (selected) portList_->setCurrentItem(item);
    }
    // Measured in the faces just given, so the bold row is not cut.
    for (int c = 0; c < 2; ++c)
        portList_->resizeColumnToContents(c);
}

bool OptionsDialog::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::KeyPress && (watched == portBox_ || watched == brakeBox_)) {
        const auto *k = static_cast<QKeyEvent *>(event);
        const auto *box = static_cast<QLineEdit *>(watched);
        return watched == portBox_ ? swallowOneDigitKey(k, box->text().size(), '1', '9')
                                   : swallowOneDigitKey(k, box->text().size(), '0', '3');
    }
    return QDialog::eventFilter(watched, event);
}

void OptionsDialog::okClicked() {
    // Under a running exchange the port stays as it is (its controls are
    // shut then, see load()).
    if (!s_.controllerBusy()) {
        const auto typed = num::int16Of(portBox_->text());
        const qint16 port = typed && *typed >= 1 && *typed <= 9 ? *typed : storedPortNumber(s_);
        s_.link.changePortNumber(port);
    }

    Options &o = s_.options;
    o.overrideBrakeDigit = false;
    o.brakeDigit = 2;
    if (brakeOverrideBox_->isChecked()) {
        // A box without a digit (emptied, or a blank) is no choice at all,
        // not a 0: the override goes off and the standard digit stays.
        const QString text = brakeBox_->text().trimmed();
        const auto v = num::int16Of(text);
        if (!text.isEmpty() && text.at(0).isDigit() && v && *v >= 0 && *v <= 3) {
            o.overrideBrakeDigit = true;
            o.brakeDigit = *v;
        }
    }

    o.showParameterDetails = detailsBox_->isChecked();
    s_.languageChangePending = languageOption_[0]->isChecked() != s_.japanese();

    s_.link.portOccupy = keepPortOpenBox_->isChecked();
    s_.settings.write(QStringLiteral("PortOccupy"), s_.link.portOccupy ? 1 : 0);
    accept();
}

void showOptions(AppState &s, QWidget *mainWindow) {
    {
        OptionsDialog dialog(s, mainWindow);
        s.prompter.exec(dialog);
    }
    if (s.languageChangePending)
        s.prompter.message(s.tx("使用言語の設定が変更されています。\r\n"
                                "TZ-C3を一度終了させてから、もう一度起動してください。",
                                "Language Setting has been changed.\r\n"
                                "finish TZ-C3 and restart TZ-C3 again."));
}
