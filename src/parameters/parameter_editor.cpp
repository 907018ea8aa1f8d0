#include "parameters/parameter_editor.h"

#include "state/app_state.h"
#include "device/device_dialog.h"
#include "device/stroke_calculator.h"
#include "parameters/std_params.h"
#include "positions/progress_window.h"
#include "widgets/digit_keys.h"
#include "widgets/push_button.h"
#include "widgets/twips.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTabWidget>

#include <cmath>
#include <optional>

namespace {

// Window geometry in twips: frame height, tab top and window height, without
// and with the rows of parameters 11 to 13.
struct Heights {
    int frame, tabTop, window;
};
constexpr Heights kShort{5025, 5320, 7475};
constexpr Heights kTall{6705, 6960, 9105};
constexpr int kFrameTop = 120;
constexpr int kMargin = 120;

const char *const kFieldNames[ParaFields::Count] = {
    "txtPara1", "txtPara2", "txtPara3", "txtPara4Out", "txtPara4Bk", "txtPara5", "txtPara6",
    "txtPara7", "txtPara8", "txtPara9", "txtPara11",   "txtPara12",  "txtPara13"};

// Enter moves on in the order the parameters are set up, and from the
// timing rows back to the speeds.
int nextField(int f) {
    switch (f) {
    case ParaFields::F9:
        return ParaFields::F1;
    case ParaFields::F13:
        return ParaFields::F7;
    default:
        return f + 1;
    }
}

QString numberText(double v) {
    // Whole numbers as integers; anything else (a fraction, a value too big
    // for any field) as the list holds it, for the range check to refuse.
    if (std::abs(v) < 1e15 && v == std::trunc(v)) return QString::number(qint64(v));
    return QString::number(v, 'g', 15);
}

} // namespace

frmParameta::frmParameta(AppState &s, QWidget *mainWindow)
    : QWidget(mainWindow, Qt::Window), s_(s) {
    setObjectName(QStringLiteral("frmParameta"));
    buildWindow();
    setCaptions();
    progress_ = new frmProgress(s_, this);
    // Until a file, the controller or Default fills it the editor shows
    // nothing, and the factory timings apply.
    ParaFields f;
    f.details = s_.options.parametaShow;
    applyDefaultCheck(f, true);
    showFields(f);
    applyDetailsOption();
    // Whatever window talks to the controller, none of these may start
    // another exchange or open a dialog under it meanwhile.
    for (QPushButton *b : findChildren<QPushButton *>())
        if (b->window() == this) lock_.add(b);
    lock_.setLocked(s_.controllerBusy());
    connect(&s_.link, &Link::busyChanged, this, [this](bool busy) { lock_.setLocked(busy); });
}

void frmParameta::buildWindow() {
    framPara_ = new QGroupBox(this);
    framPara_->setObjectName(QStringLiteral("framPara"));
    auto *grid = new QGridLayout(framPara_);
    grid->setVerticalSpacing(twips(30));
    grid->setHorizontalSpacing(twips(120));
    grid->setContentsMargins(twips(120), twips(60), twips(120), twips(60));

    lblDefaultHint_ = new QLabel(framPara_);
    lblDefaultHint_->setObjectName(QStringLiteral("lblDefaultHint"));
    lblDefaultHint_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    cmdLoadDefoultPara_ = new PushButton(framPara_);
    cmdLoadDefoultPara_->setObjectName(QStringLiteral("cmdLoadDefoultPara"));
    cmdSelectDevice_ = new PushButton(framPara_);
    cmdSelectDevice_->setObjectName(QStringLiteral("cmdSelectDevice"));
    grid->addWidget(lblDefaultHint_, 0, 0, 1, 2);
    grid->addWidget(cmdLoadDefoultPara_, 0, 2);

    const int digitWidth = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    for (int i = 0; i < ParaFields::Count; ++i) {
        auto *e = new QLineEdit(framPara_);
        e->setObjectName(QLatin1String(kFieldNames[i]));
        // The typing limit is a key rule only (eventFilter): a value from a
        // file or the controller is shown whole, so that the range check sees
        // it and refuses it, rather than a cut value reaching the controller.
        // Wide enough for any value of the field's type (-2147483648, -32768).
        const int shownLength = i <= ParaFields::F2 ? 11 : 6;
        e->setAlignment(Qt::AlignRight);
        e->setFixedWidth(digitWidth * (shownLength + 1) + twips(180));
        // Only typed digits enter: no pasting, dropping or composing.
        e->setContextMenuPolicy(Qt::NoContextMenu);
        e->setAcceptDrops(false);
        e->setAttribute(Qt::WA_InputMethodEnabled, false);
        e->installEventFilter(this);
        txtPara_[i] = e;
        if (i != ParaFields::F4Bk) {
            lblPara_[i] = new QLabel(framPara_);
            lblPara_[i]->setBuddy(e);
        }
    }
    lblOut_ = new QLabel(QStringLiteral("OUT"), framPara_);
    lblBk_ = new QLabel(QStringLiteral("BK"), framPara_);

    int row = 1;
    auto fieldRow = [&](int f, QWidget *extra = nullptr) {
        grid->addWidget(lblPara_[f], row, 0);
        grid->addWidget(txtPara_[f], row, 1, Qt::AlignLeft);
        if (extra) grid->addWidget(extra, row, 2);
        ++row;
    };
    fieldRow(ParaFields::F1, cmdSelectDevice_);
    fieldRow(ParaFields::F2);
    fieldRow(ParaFields::F3);
    {
        grid->addWidget(lblPara_[ParaFields::F4Out], row, 0);
        auto *outBk = new QHBoxLayout;
        outBk->setSpacing(twips(90));
        outBk->addWidget(lblOut_);
        outBk->addWidget(txtPara_[ParaFields::F4Out]);
        outBk->addSpacing(twips(240));
        outBk->addWidget(lblBk_);
        outBk->addWidget(txtPara_[ParaFields::F4Bk]);
        outBk->addStretch();
        grid->addLayout(outBk, row++, 1, 1, 2);
    }
    for (int f = ParaFields::F5; f <= ParaFields::F9; ++f)
        fieldRow(f);

    lblPara10_ = new QLabel(framPara_);
    lblPara10Note_ = new QLabel(framPara_);
    lblPara10Note_->setIndent(twips(300));
    auto *homing = new QButtonGroup(this);
    for (int i = 0; i < 2; ++i) {
        optHome_[i] = new QRadioButton(framPara_);
        optHome_[i]->setObjectName(QStringLiteral("optHome%1").arg(i));
        homing->addButton(optHome_[i], i);
        lblHomeNote_[i] = new QLabel(framPara_);
        auto *h = new QHBoxLayout;
        h->setSpacing(twips(120));
        h->addWidget(optHome_[i]);
        h->addWidget(lblHomeNote_[i]);
        h->addStretch();
        grid->addWidget(i == 0 ? lblPara10_ : lblPara10Note_, row, 0);
        grid->addLayout(h, row++, 1, 1, 2);
    }

    chkUseDefoult_ = new QCheckBox(framPara_);
    chkUseDefoult_->setObjectName(QStringLiteral("chkUseDefoult"));
    grid->addWidget(chkUseDefoult_, row++, 0, 1, 3);
    for (int i = 0; i < 3; ++i) {
        lblUnit_[i] = new QLabel(QStringLiteral(" X 5(msec)"), framPara_);
        fieldRow(ParaFields::F11 + i, lblUnit_[i]);
    }
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(row, 1);

    tabPara_ = new QTabWidget(this);
    tabPara_->setObjectName(QStringLiteral("tabPara"));
    const char *fileNames[] = {"cmdFileOpen", "cmdFileSave", "cmdFileShogo"};
    const char *ctNames[] = {"cmdCtRead", "cmdCtWrite", "cmdCtShogo"};
    for (int tab = 0; tab < 2; ++tab) {
        auto *page = new QWidget(tabPara_);
        auto *h = new QHBoxLayout(page);
        h->setSpacing(twips(180));
        for (int i = 0; i < 3; ++i) {
            auto *b = new PushButton(page);
            b->setObjectName(QLatin1String(tab == 0 ? fileNames[i] : ctNames[i]));
            b->setMinimumHeight(twips(600));
            h->addWidget(b);
            (tab == 0 ? cmdFile_ : cmdController_)[i] = b;
        }
        tabPara_->addTab(page, QString());
    }

    connect(chkUseDefoult_, &QCheckBox::clicked, this, &frmParameta::defaultCheckClicked);
    connect(cmdLoadDefoultPara_, &QPushButton::clicked, this, &frmParameta::loadDefaultClicked);
    connect(cmdSelectDevice_, &QPushButton::clicked, this, &frmParameta::calculateClicked);
    connect(cmdFile_[0], &QPushButton::clicked, this,
            [this] { run(params::ReadParaFileProc, false); });
    connect(cmdFile_[1], &QPushButton::clicked, this,
            [this] { run(params::SaveParaFileProc, false); });
    connect(cmdFile_[2], &QPushButton::clicked, this,
            [this] { run(params::ParaFileShogoProc, false); });
    connect(cmdController_[0], &QPushButton::clicked, this,
            [this] { run(params::GetParametaValue, true); });
    connect(cmdController_[1], &QPushButton::clicked, this,
            [this] { run(params::ParametaWriteProc, true); });
    connect(cmdController_[2], &QPushButton::clicked, this,
            [this] { run(params::ParaCtShogoProc, true); });
}

void frmParameta::setCaptions() {
    const AppState &s = s_;
    setWindowTitle(s.tx("パラメータ", "Parameters"));
    framPara_->setTitle(s.tx("パラメータ", "Parameters"));
    lblDefaultHint_->setText(
        s.tx("出荷時の設定値を入力する時は、ｸﾘｯｸ　→", "Click to return to the default setting ->"));
    cmdLoadDefoultPara_->setText(s.tx("出荷時設定", "Default"));
    cmdSelectDevice_->setText(s.tx("計算", "Calculate"));
    const char *labels[][2] = {{"１． ストローク長", " 1.Stroke Length"},
                               {"２． 原点オフセット", " 2.Home Position Offset"},
                               {"３． 原点押し込み量", " 3.Home Pushing Amount"},
                               {"４． 原点復帰後出力", " 4.Output After Homing"},
                               {nullptr, nullptr},
                               {"５． 原点復帰速度", " 5.Homing Velocity"},
                               {"６． オフセット移動速度", " 6.Offset Moving Velocity"},
                               {"７． 速度１ 設定", " 7.VEL1 Setting"},
                               {"８． 速度２ 設定", " 8.VEL2 Setting"},
                               {"９． 速度３ 設定", " 9.VEL3 Setting"},
                               {"11． 電流制限解除時間", "11.Time to release Current"},
                               {"12． ブレーキ解除時間", "12.Time to release Brake"},
                               {"13． ブレーキ作動時間", "13.Brake executing Time"}};
    for (int i = 0; i < ParaFields::Count; ++i)
        if (lblPara_[i]) lblPara_[i]->setText(s.tx(labels[i][0], labels[i][1]));
    lblPara10_->setText(s.tx("10．原点復帰方式", "10.Homing method"));
    lblPara10Note_->setText(s.tx("(旧 垂直仕様)", "(former:Vertical Setting)"));
    optHome_[0]->setText(s.tx("押付け方式", "Pushing"));
    lblHomeNote_[0]->setText(s.tx("(旧 標準仕様)", "(former:standard)"));
    optHome_[1]->setText(s.tx("センサ方式", "Sensor"));
    lblHomeNote_[1]->setText(s.tx("(旧 垂直仕様)", "(former:Vertical)"));
    chkUseDefoult_->setText(s.tx("標準の設定値を使用する（設定を変更しないで下さい）",
                                 "Apply Default Parameters(Don't change)"));

    const char *tips[][2] = {{"不明時は[計算]をクリックして、計算により値を求めることができます",
                              "If the value is unclear, then click [Calculate]"},
                             {"０～700までの整数", "integer:0 to 700"},
                             {"０～255までの整数", "integer:0 to 255"},
                             {"０：なし １：OUT1のみ ２：OUT2のみ ３：OUT1&OUT2",
                              "0:Nothing 1:OUT1 2:OUT2 3:OUT1 and OUT2"},
                             {"０：なし　１：ブレーキ有効　２：電流制限　３：ブレーキ&電流制限",
                              "0:Nothing 1:BK Enable 2:C.D Enable 3:BK and C.D Enable"},
                             {"1～16までの整数", "integer:1 to 16"},
                             {"1～16までの整数", "integer:1 to 16"},
                             {"1～60までの整数", "integer:1 to 60"},
                             {"1～60までの整数", "integer:1 to 60"},
                             {"1～60までの整数", "integer:1 to 60"},
                             {"０～255までの整数", "integer:0 to 255"},
                             {"０～255までの整数", "integer:0 to 255"},
                             {"０～255までの整数", "integer:0 to 255"}};
    for (int i = 0; i < ParaFields::Count; ++i)
        txtPara_[i]->setToolTip(s.tx(tips[i][0], tips[i][1]));

    tabPara_->setTabText(0, s.tx("ファイル", "File"));
    tabPara_->setTabText(1, s.tx("コントローラ", "Controller"));
    const char *fileCaps[][2] = {{" ファイルの 読み込み", "Open"},
                                 {" ファイルへ 保存する", "Save"},
                                 {"ファイルと照合", "Verify"}};
    const char *ctCaps[][2] = {{"コントローラ から読込み", "Read from C/T"},
                               {"コントローラ へ書き込み", "Write to C/T"},
                               {"ｺﾝﾄﾛｰﾗ と照合", "Verify"}};
    for (int i = 0; i < 3; ++i) {
        cmdFile_[i]->setText(s.tx(fileCaps[i][0], fileCaps[i][1]));
        cmdController_[i]->setText(s.tx(ctCaps[i][0], ctCaps[i][1]));
    }
}

void frmParameta::applyDetailsOption() {
    details_ = s_.options.parametaShow;
    chkUseDefoult_->setVisible(details_);
    for (int i = 0; i < 3; ++i) {
        lblPara_[ParaFields::F11 + i]->setVisible(details_);
        txtPara_[ParaFields::F11 + i]->setVisible(details_);
        lblUnit_[i]->setVisible(details_);
        txtPara_[ParaFields::F11 + i]->setEnabled(details_ && !chkUseDefoult_->isChecked());
    }
    layOut();
}

void frmParameta::layOut() {
    const Heights h = details_ ? kTall : kShort;
    // Sizes are only final once the style has seen every control.
    ensurePolished();
    framPara_->layout()->invalidate();
    int width = framPara_->sizeHint().width();
    for (int i = 0; i < tabPara_->count(); ++i) {
        QWidget *page = tabPara_->widget(i);
        page->layout()->invalidate();
        width = qMax(width, page->sizeHint().width() + twips(120));
    }
    width = qMax(width, tabPara_->sizeHint().width());
    framPara_->setGeometry(twips(kMargin), twips(kFrameTop), width, twips(h.frame));
    tabPara_->setGeometry(twips(kMargin), twips(h.tabTop), width,
                          twips(h.window - h.tabTop - kMargin));
    setFixedSize(width + 2 * twips(kMargin), twips(h.window));
}

ParaFields frmParameta::fields() const {
    ParaFields f;
    for (int i = 0; i < ParaFields::Count; ++i)
        f[i] = txtPara_[i]->text();
    f.homing = optHome_[1]->isChecked() ? 1 : optHome_[0]->isChecked() ? 0 : -1;
    f.useDefault = chkUseDefoult_->isChecked();
    f.details = details_;
    return f;
}

void frmParameta::showFields(const ParaFields &f) {
    for (int i = 0; i < ParaFields::Count; ++i)
        txtPara_[i]->setText(f[i]);
    if (f.homing == 0 || f.homing == 1) optHome_[f.homing]->setChecked(true);
    chkUseDefoult_->setChecked(f.useDefault);
    for (int i = ParaFields::F11; i <= ParaFields::F13; ++i)
        txtPara_[i]->setEnabled(details_ && !f.useDefault);
}

ParameterView frmParameta::view() {
    ParameterView v;
    v.fields = [this] { return fields(); };
    v.showFields = [this](const ParaFields &f) { showFields(f); };
    v.setCaption = [this](const QString &c) { setWindowTitle(c); };
    v.progress = progress_;
    return v;
}

void frmParameta::ParametaCMDBTN_Muko() {
    for (QPushButton *b : {cmdFile_[0], cmdFile_[1], cmdFile_[2], cmdController_[0],
                           cmdController_[1], cmdController_[2]})
        lock_.setUsable(b, false);
}

void frmParameta::ParametaCMDBTN_Yuko() {
    for (QPushButton *b : {cmdFile_[0], cmdFile_[1], cmdFile_[2], cmdController_[0],
                           cmdController_[1], cmdController_[2]})
        lock_.setUsable(b, true);
}

void frmParameta::run(void (*procedure)(AppState &, const ParameterView &), bool controller) {
    if (s_.controllerBusy()) return; // the buttons are shut; this is the last guard
    ParametaCMDBTN_Muko();
    const auto after = qScopeGuard([&] { ParametaCMDBTN_Yuko(); });
    std::optional<BusyScope> busy;
    if (controller) busy.emplace(s_.link);
    BracketScope mainWindow(mainWindowBusy);
    procedure(s_, view());
}

QWidget *frmParameta::owner() {
    return parentWidget() ? parentWidget() : this;
}

bool frmParameta::eventFilter(QObject *watched, QEvent *event) {
    int f = 0;
    while (f < ParaFields::Count && txtPara_[f] != watched)
        ++f;
    if (f == ParaFields::Count) return QWidget::eventFilter(watched, event);
    QLineEdit *e = txtPara_[f];

    if (event->type() == QEvent::KeyPress) {
        const auto *k = static_cast<QKeyEvent *>(event);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            focusAfter(f);
            return true;
        }
        return swallowDigitKey(k, e->text().size(), fieldMaxLength(f));
    }
    if (event->type() == QEvent::FocusOut) {
        // Only the user moving on inside the window is leaving the field; a
        // message box or another window taking the focus is not.
        const Qt::FocusReason r = static_cast<QFocusEvent *>(event)->reason();
        if (r != Qt::ActiveWindowFocusReason && r != Qt::PopupFocusReason &&
            !fieldValueAllowed(f, e->text())) {
            e->clear();
            s_.prompter.beep();
        }
    }
    return false;
}

void frmParameta::focusAfter(int f) {
    txtPara_[nextField(f)]->setFocus(Qt::TabFocusReason);
    txtPara_[nextField(f)]->selectAll();
}

void frmParameta::defaultCheckClicked(bool checked) {
    ParaFields f = fields();
    applyDefaultCheck(f, checked);
    showFields(f);
}

void frmParameta::loadDefaultClicked() {
    lock_.setUsable(cmdLoadDefoultPara_, false);
    const auto enable = qScopeGuard([this] { lock_.setUsable(cmdLoadDefoultPara_, true); });
    bool cancelled = true;
    {
        frmDevice2 dlg(s_, owner());
        s_.prompter.exec(dlg);
        cancelled = dlg.cancelReport();
    }
    if (cancelled) return;

    sensorFlag_ = s_.device.verticalSpec;
    const CandidateDevice &c = s_.candidate;
    const auto list = params::loadStdParaList(
        params::stdListPath(s_.programFolder, c.familyText, c.newType), c.familyText, sensorFlag_);
    if (!list) {
        s_.prompter.message(s_.tx("出荷時ﾊﾟﾗﾒｰﾀ初期値のﾌｧｲﾙが見つかりません。",
                                  "Can not find the file of default parameter list."));
        return;
    }
    ParaFields f = fields();
    const params::StdParaRecord *r = params::findStdPara(*list, c.size, c.speed, c.stroke);
    if (r) {
        for (int i = ParaFields::F1; i <= ParaFields::F9; ++i)
            f[i] = numberText(r->values[i]);
        for (int i = 0; i < 3; ++i)
            f[ParaFields::F11 + i] = numberText(r->values[12 + i]);
        f.homing = sensorFlag_ && r->sensor != 0 ? 1 : 0;
    }
    applyDefaultCheck(f, true);
    showFields(f);
    if (!r)
        s_.prompter.message(s_.tx("該当するﾃﾞﾊﾞｲｽ情報が見つかりませんでした。",
                                  "Can not find the device information"));
}

void frmParameta::calculateClicked() {
    bool moved = false;
    {
        frmDevice calc(s_, owner(), [&](const QString &pulses) {
            txtPara_[ParaFields::F1]->setText(pulses);
            moved = true;
        });
        s_.prompter.exec(calc);
    }
    if (moved) txtPara_[ParaFields::F2]->setFocus(Qt::OtherFocusReason);
}

void showParameterEditor(AppState &s, QWidget *mainWindow, const CommandBracket &mainWindowBusy) {
    auto *editor = mainWindow ? mainWindow->findChild<frmParameta *>() : nullptr;
    if (!editor) editor = new frmParameta(s, mainWindow);
    editor->mainWindowBusy = mainWindowBusy;
    editor->applyDetailsOption();
    if (mainWindow) editor->move(mainWindow->pos() + QPoint(twips(500), twips(500)));
    editor->show();
    editor->raise();
    editor->activateWindow();
}
