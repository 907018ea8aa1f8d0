#include "parameters/parameter_editor.h"

#include "device/device_dialog.h"
#include "device/stroke_calculator.h"
#include "parameters/std_params.h"
#include "positions/progress_window.h"
#include "state/app_state.h"
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

const char *const kFieldNames[ParameterFields::Count] = {
    "field1", "field2", "field3", "field4Out", "field4Bk", "field5", "field6",
    "field7", "field8", "field9", "field11",   "field12",  "field13"};

// Enter moves on in the order the parameters are set up, and from the
// timing rows back to the speeds.
int nextField(int f) {
    switch (f) {
    case ParameterFields::F9:
        return ParameterFields::F1;
    case ParameterFields::F13:
        return ParameterFields::F7;
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

ParameterEditor::ParameterEditor(AppState &s, QWidget *mainWindow)
    : QWidget(mainWindow, Qt::Window), s_(s) {
    setObjectName(QStringLiteral("ParameterEditor"));
    buildWindow();
    setCaptions();
    progress_ = new ProgressWindow(s_, this);
    // Until a file, the controller or Default fills it the editor shows
    // nothing, and the factory timings apply.
    ParameterFields f;
    f.details = s_.options.showParameterDetails;
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

void ParameterEditor::buildWindow() {
    parametersFrame_ = new QGroupBox(this);
    parametersFrame_->setObjectName(QStringLiteral("parametersFrame"));
    auto *grid = new QGridLayout(parametersFrame_);
    grid->setVerticalSpacing(twips(30));
    grid->setHorizontalSpacing(twips(120));
    grid->setContentsMargins(twips(120), twips(60), twips(120), twips(60));

    defaultHint_ = new QLabel(parametersFrame_);
    defaultHint_->setObjectName(QStringLiteral("defaultHint"));
    defaultHint_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    defaultButton_ = new PushButton(parametersFrame_);
    defaultButton_->setObjectName(QStringLiteral("defaultButton"));
    calculatorButton_ = new PushButton(parametersFrame_);
    calculatorButton_->setObjectName(QStringLiteral("calculatorButton"));
    grid->addWidget(defaultHint_, 0, 0, 1, 2);
    grid->addWidget(defaultButton_, 0, 2);

    const int digitWidth = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    for (int i = 0; i < ParameterFields::Count; ++i) {
        auto *e = new QLineEdit(parametersFrame_);
        e->setObjectName(QLatin1String(kFieldNames[i]));
        // The typing limit is a key rule only (eventFilter): a value from a
        // file or the controller is shown whole, so that the range check sees
        // it and refuses it, rather than a cut value reaching the controller.
        // Wide enough for any value of the field's type (-2147483648, -32768).
        const int shownLength = i <= ParameterFields::F2 ? 11 : 6;
        e->setAlignment(Qt::AlignRight);
        e->setFixedWidth(digitWidth * (shownLength + 1) + twips(180));
        // Only typed digits enter: no pasting, dropping or composing.
        e->setContextMenuPolicy(Qt::NoContextMenu);
        e->setAcceptDrops(false);
        e->setAttribute(Qt::WA_InputMethodEnabled, false);
        e->installEventFilter(this);
        fieldBoxes_[i] = e;
        if (i != ParameterFields::F4Bk) {
            fieldLabels_[i] = new QLabel(parametersFrame_);
            fieldLabels_[i]->setBuddy(e);
        }
    }
    outLabel_ = new QLabel(QStringLiteral("OUT"), parametersFrame_);
    bkLabel_ = new QLabel(QStringLiteral("BK"), parametersFrame_);

    int row = 1;
    auto fieldRow = [&](int f, QWidget *extra = nullptr) {
        grid->addWidget(fieldLabels_[f], row, 0);
        grid->addWidget(fieldBoxes_[f], row, 1, Qt::AlignLeft);
        if (extra) grid->addWidget(extra, row, 2);
        ++row;
    };
    fieldRow(ParameterFields::F1, calculatorButton_);
    fieldRow(ParameterFields::F2);
    fieldRow(ParameterFields::F3);
    {
        grid->addWidget(fieldLabels_[ParameterFields::F4Out], row, 0);
        auto *outBk = new QHBoxLayout;
        outBk->setSpacing(twips(90));
        outBk->addWidget(outLabel_);
        outBk->addWidget(fieldBoxes_[ParameterFields::F4Out]);
        outBk->addSpacing(twips(240));
        outBk->addWidget(bkLabel_);
        outBk->addWidget(fieldBoxes_[ParameterFields::F4Bk]);
        outBk->addStretch();
        grid->addLayout(outBk, row++, 1, 1, 2);
    }
    for (int f = ParameterFields::F5; f <= ParameterFields::F9; ++f)
        fieldRow(f);

    homingLabel_ = new QLabel(parametersFrame_);
    homingNoteLabel_ = new QLabel(parametersFrame_);
    homingNoteLabel_->setIndent(twips(300));
    auto *homing = new QButtonGroup(this);
    for (int i = 0; i < 2; ++i) {
        homingOption_[i] = new QRadioButton(parametersFrame_);
        homingOption_[i]->setObjectName(QStringLiteral("homingOption%1").arg(i));
        homing->addButton(homingOption_[i], i);
        homingNote_[i] = new QLabel(parametersFrame_);
        auto *h = new QHBoxLayout;
        h->setSpacing(twips(120));
        h->addWidget(homingOption_[i]);
        h->addWidget(homingNote_[i]);
        h->addStretch();
        grid->addWidget(i == 0 ? homingLabel_ : homingNoteLabel_, row, 0);
        grid->addLayout(h, row++, 1, 1, 2);
    }

    defaultBox_ = new QCheckBox(parametersFrame_);
    defaultBox_->setObjectName(QStringLiteral("defaultBox"));
    grid->addWidget(defaultBox_, row++, 0, 1, 3);
    for (int i = 0; i < 3; ++i) {
        unitLabels_[i] = new QLabel(QStringLiteral(" X 5(msec)"), parametersFrame_);
        fieldRow(ParameterFields::F11 + i, unitLabels_[i]);
    }
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(row, 1);

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("tabs"));
    const char *fileNames[] = {"fileOpenButton", "fileSaveButton", "fileVerifyButton"};
    const char *ctNames[] = {"controllerReadButton", "controllerWriteButton",
                             "controllerVerifyButton"};
    for (int tab = 0; tab < 2; ++tab) {
        auto *page = new QWidget(tabs_);
        auto *h = new QHBoxLayout(page);
        h->setSpacing(twips(180));
        for (int i = 0; i < 3; ++i) {
            auto *b = new PushButton(page);
            b->setObjectName(QLatin1String(tab == 0 ? fileNames[i] : ctNames[i]));
            b->setMinimumHeight(twips(600));
            h->addWidget(b);
            (tab == 0 ? fileButtons_ : controllerButtons_)[i] = b;
        }
        tabs_->addTab(page, QString());
    }

    connect(defaultBox_, &QCheckBox::clicked, this, &ParameterEditor::defaultCheckClicked);
    connect(defaultButton_, &QPushButton::clicked, this, &ParameterEditor::loadDefaultClicked);
    connect(calculatorButton_, &QPushButton::clicked, this, &ParameterEditor::calculateClicked);
    connect(fileButtons_[0], &QPushButton::clicked, this,
            [this] { run(params::openParameterFileCommand, false); });
    connect(fileButtons_[1], &QPushButton::clicked, this,
            [this] { run(params::saveParameterFileCommand, false); });
    connect(fileButtons_[2], &QPushButton::clicked, this,
            [this] { run(params::verifyParametersAgainstFile, false); });
    connect(controllerButtons_[0], &QPushButton::clicked, this,
            [this] { run(params::readParametersCommand, true); });
    connect(controllerButtons_[1], &QPushButton::clicked, this,
            [this] { run(params::writeParametersCommand, true); });
    connect(controllerButtons_[2], &QPushButton::clicked, this,
            [this] { run(params::verifyParametersAgainstController, true); });
}

void ParameterEditor::setCaptions() {
    const AppState &s = s_;
    setWindowTitle(s.tx("パラメータ", "Parameters"));
    parametersFrame_->setTitle(s.tx("パラメータ", "Parameters"));
    defaultHint_->setText(
        s.tx("出荷時の設定値を入力する時は、ｸﾘｯｸ　→", "Click to return to the default setting ->"));
    defaultButton_->setText(s.tx("出荷時設定", "Default"));
    calculatorButton_->setText(s.tx("計算", "Calculate"));
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
    for (int i = 0; i < ParameterFields::Count; ++i)
        if (fieldLabels_[i]) fieldLabels_[i]->setText(s.tx(labels[i][0], labels[i][1]));
    homingLabel_->setText(s.tx("10．原点復帰方式", "10.Homing method"));
    homingNoteLabel_->setText(s.tx("(旧 垂直仕様)", "(former:Vertical Setting)"));
    homingOption_[0]->setText(s.tx("押付け方式", "Pushing"));
    homingNote_[0]->setText(s.tx("(旧 標準仕様)", "(former:standard)"));
    homingOption_[1]->setText(s.tx("センサ方式", "Sensor"));
    homingNote_[1]->setText(s.tx("(旧 垂直仕様)", "(former:Vertical)"));
    defaultBox_->setText(s.tx("標準の設定値を使用する（設定を変更しないで下さい）",
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
    for (int i = 0; i < ParameterFields::Count; ++i)
        fieldBoxes_[i]->setToolTip(s.tx(tips[i][0], tips[i][1]));

    tabs_->setTabText(0, s.tx("ファイル", "File"));
    tabs_->setTabText(1, s.tx("コントローラ", "Controller"));
    const char *fileCaps[][2] = {{" ファイルの 読み込み", "Open"},
                                 {" ファイルへ 保存する", "Save"},
                                 {"ファイルと照合", "Verify"}};
    const char *ctCaps[][2] = {{"コントローラ から読込み", "Read from C/T"},
                               {"コントローラ へ書き込み", "Write to C/T"},
                               {"ｺﾝﾄﾛｰﾗ と照合", "Verify"}};
    for (int i = 0; i < 3; ++i) {
        fileButtons_[i]->setText(s.tx(fileCaps[i][0], fileCaps[i][1]));
        controllerButtons_[i]->setText(s.tx(ctCaps[i][0], ctCaps[i][1]));
    }
}

void ParameterEditor::applyDetailsOption() {
    details_ = s_.options.showParameterDetails;
    defaultBox_->setVisible(details_);
    for (int i = 0; i < 3; ++i) {
        fieldLabels_[ParameterFields::F11 + i]->setVisible(details_);
        fieldBoxes_[ParameterFields::F11 + i]->setVisible(details_);
        unitLabels_[i]->setVisible(details_);
        fieldBoxes_[ParameterFields::F11 + i]->setEnabled(details_ && !defaultBox_->isChecked());
    }
    layOut();
}

void ParameterEditor::layOut() {
    const Heights h = details_ ? kTall : kShort;
    // Sizes are only final once the style has seen every control.
    ensurePolished();
    parametersFrame_->layout()->invalidate();
    int width = parametersFrame_->sizeHint().width();
    for (int i = 0; i < tabs_->count(); ++i) {
        QWidget *page = tabs_->widget(i);
        page->layout()->invalidate();
        width = qMax(width, page->sizeHint().width() + twips(120));
    }
    width = qMax(width, tabs_->sizeHint().width());
    parametersFrame_->setGeometry(twips(kMargin), twips(kFrameTop), width, twips(h.frame));
    tabs_->setGeometry(twips(kMargin), twips(h.tabTop), width,
                       twips(h.window - h.tabTop - kMargin));
    setFixedSize(width + 2 * twips(kMargin), twips(h.window));
}

ParameterFields ParameterEditor::fields() const {
    ParameterFields f;
    for (int i = 0; i < ParameterFields::Count; ++i)
        f[i] = fieldBoxes_[i]->text();
    f.homing = homingOption_[1]->isChecked() ? 1 : homingOption_[0]->isChecked() ? 0 : -1;
    f.useDefault = defaultBox_->isChecked();
    f.details = details_;
    return f;
}

void ParameterEditor::showFields(const ParameterFields &f) {
    for (int i = 0; i < ParameterFields::Count; ++i)
        fieldBoxes_[i]->setText(f[i]);
    if (f.homing == 0 || f.homing == 1) homingOption_[f.homing]->setChecked(true);
    defaultBox_->setChecked(f.useDefault);
    for (int i = ParameterFields::F11; i <= ParameterFields::F13; ++i)
        fieldBoxes_[i]->setEnabled(details_ && !f.useDefault);
}

ParameterView ParameterEditor::view() {
    ParameterView v;
    v.fields = [this] { return fields(); };
    v.showFields = [this](const ParameterFields &f) { showFields(f); };
    v.setCaption = [this](const QString &c) { setWindowTitle(c); };
    v.progress = progress_;
    return v;
}

void ParameterEditor::disableFileAndControllerButtons() {
    for (QPushButton *b : {fileButtons_[0], fileButtons_[1], fileButtons_[2], controllerButtons_[0],
                           controllerButtons_[1], controllerButtons_[2]})
        lock_.setUsable(b, false);
}

void ParameterEditor::enableFileAndControllerButtons() {
    for (QPushButton *b : {fileButtons_[0], fileButtons_[1], fileButtons_[2], controllerButtons_[0],
                           controllerButtons_[1], controllerButtons_[2]})
        lock_.setUsable(b, true);
}

void ParameterEditor::run(void (*procedure)(AppState &, const ParameterView &), bool controller) {
    runBracketed([&] { procedure(s_, view()); }, controller);
}

void ParameterEditor::runBracketed(const std::function<void()> &work, bool controller) {
    if (s_.controllerBusy()) return; // the buttons are shut; this is the last guard
    disableFileAndControllerButtons();
    const auto after = qScopeGuard([&] { enableFileAndControllerButtons(); });
    std::optional<BusyScope> busy;
    if (controller) busy.emplace(s_.link);
    BracketScope mainWindow(mainWindowBusy);
    work();
}

void ParameterEditor::openFile(const QString &path) {
    runBracketed([&] { params::openParameterFileCommand(s_, view(), path); }, false);
}

QWidget *ParameterEditor::owner() {
    return parentWidget() ? parentWidget() : this;
}

bool ParameterEditor::eventFilter(QObject *watched, QEvent *event) {
    int f = 0;
    while (f < ParameterFields::Count && fieldBoxes_[f] != watched)
        ++f;
    if (f == ParameterFields::Count) return QWidget::eventFilter(watched, event);
    QLineEdit *e = fieldBoxes_[f];

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

void ParameterEditor::focusAfter(int f) {
    fieldBoxes_[nextField(f)]->setFocus(Qt::TabFocusReason);
    fieldBoxes_[nextField(f)]->selectAll();
}

void ParameterEditor::defaultCheckClicked(bool checked) {
    ParameterFields f = fields();
    applyDefaultCheck(f, checked);
    showFields(f);
}

void ParameterEditor::loadDefaultClicked() {
    lock_.setUsable(defaultButton_, false);
    const auto enable = qScopeGuard([this] { lock_.setUsable(defaultButton_, true); });
    bool cancelled = true;
    {
        DeviceDialog dlg(s_, owner());
        s_.prompter.exec(dlg);
        cancelled = dlg.cancelReport();
    }
    if (cancelled) return;

    sensorFlag_ = s_.device.verticalSpec;
    const CandidateDevice &c = s_.candidate;
    const auto list = params::loadStandardParameters(
        params::standardListPath(s_.programFolder, c.familyText, c.newType), c.familyText,
        sensorFlag_);
    if (!list) {
        s_.prompter.message(s_.tx("出荷時ﾊﾟﾗﾒｰﾀ初期値のﾌｧｲﾙが見つかりません。",
                                  "Can not find the file of default parameter list."));
        return;
    }
    ParameterFields f = fields();
    const params::StandardParameters *r =
        params::findStandardParameters(*list, c.size, c.speed, c.stroke);
    if (r) {
        for (int i = ParameterFields::F1; i <= ParameterFields::F9; ++i)
            f[i] = numberText(r->values[i]);
        for (int i = 0; i < 3; ++i)
            f[ParameterFields::F11 + i] = numberText(r->values[12 + i]);
        f.homing = sensorFlag_ && r->sensor != 0 ? 1 : 0;
    }
    applyDefaultCheck(f, true);
    showFields(f);
    if (!r)
        s_.prompter.message(s_.tx("該当するﾃﾞﾊﾞｲｽ情報が見つかりませんでした。",
                                  "Can not find the device information"));
}

void ParameterEditor::calculateClicked() {
    bool moved = false;
    {
        StrokeCalculator calc(s_, owner(), [&](const QString &pulses) {
            fieldBoxes_[ParameterFields::F1]->setText(pulses);
            moved = true;
        });
        s_.prompter.exec(calc);
    }
    if (moved) fieldBoxes_[ParameterFields::F2]->setFocus(Qt::OtherFocusReason);
}

void showParameterEditor(AppState &s, QWidget *mainWindow, const CommandBracket &mainWindowBusy) {
    auto *editor = mainWindow ? mainWindow->findChild<ParameterEditor *>() : nullptr;
    if (!editor) editor = new ParameterEditor(s, mainWindow);
    editor->mainWindowBusy = mainWindowBusy;
    editor->applyDetailsOption();
    if (mainWindow) editor->move(mainWindow->pos() + QPoint(twips(500), twips(500)));
    editor->show();
    editor->raise();
    editor->activateWindow();
}
