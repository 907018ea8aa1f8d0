#include "ui/main_window.h"

#include "state/app_state.h"
#include "common/numtext.h"
#include "device/catalogue.h"
#include "device/device_dialog.h"
#include "device/units.h"
#include "link/error_list.h"
#include "controller/controller_mode.h"
#include "operation/io_monitor.h"
#include "operation/output_change.h"
#include "controller/status.h"
#include "parameters/parameter_editor.h"
#include "positions/position_grid.h"
#include "positions/position_transfer.h"
#include "positions/progress_window.h"
#include "positions/tpd_file.h"
#include "ui/about_box.h"
#include "widgets/digit_keys.h"
#include "widgets/lamp.h"
#include "widgets/mnemonic.h"
#include "ui/options_dialog.h"
#include "ui/printing.h"
#include "widgets/push_button.h"
#include "ui/toolbar_icons.h"
#include "widgets/twips.h"
#include "widgets/updown.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolBar>
#include <QVBoxLayout>
#include <functional>

namespace {

constexpr int kPositions = 15;
constexpr int kSteps = 15;

template <class W> W *named(W *w, const char *name) {
    w->setObjectName(QLatin1String(name));
    return w;
}

QPushButton *makeButton(QWidget *parent, const char *name, const QString &caption,
                        const QString &tip = QString()) {
    auto *b = named(new PushButton(caption, parent), name);
    if (!tip.isEmpty()) b->setToolTip(tip);
    b->setAutoDefault(false);
    return b;
}

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text) {
    return named(new QLabel(text, parent), name);
}

// A sunken white box for a value the program writes (model name, file name).
QLabel *makeValueBox(QWidget *parent, const char *name, const QString &text = QString()) {
    auto *l = makeLabel(parent, name, text);
    l->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    l->setAutoFillBackground(true);
    l->setBackgroundRole(QPalette::Base);
    l->setMargin(3);
    l->setTextInteractionFlags(Qt::NoTextInteraction);
    return l;
}

// A titled frame whose title alone may turn bold: the body pins its own font
// weight so the controls inside keep their normal face.
QGroupBox *makeFrame(QWidget *parent, const char *name, const QString &title, QWidget **body) {
    auto *g = named(new QGroupBox(title, parent), name);
    auto *v = new QVBoxLayout(g);
    v->setContentsMargins(8, 4, 8, 8);
    auto *b = new QWidget(g);
    QFont normal;
    normal.setWeight(QFont::Normal);
    b->setFont(normal);
    v->addWidget(b);
    *body = b;
    return g;
}

void setBoldFace(QWidget *w, bool bold) {
    QFont f;
    f.setWeight(bold ? QFont::Bold : QFont::Normal);
    w->setFont(f);
}

// The active mode's label is bold on the window background, the other one
// greyed on the button face, as the mode has always been shown.
void styleModeLabel(QLabel *l, bool active) {
    l->setEnabled(active);
    setBoldFace(l, active);
    QPalette p = l->palette();
    p.setColor(QPalette::Window,
               QApplication::palette().color(active ? QPalette::Base : QPalette::Button));
    l->setPalette(p);
}

QFrame *makeLine(QWidget *parent) {
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

QString hexDigit(int n) {
    return QString::number(n, 16).toUpper();
}

} // namespace

frmMain::frmMain(AppState &s, QWidget *parent) : QMainWindow(parent), s_(s) {
    setObjectName(QStringLiteral("frmMain"));

    s_.link.portNumber = s_.settings.readInt16(QStringLiteral("PortNo"), 1).value_or(0);
    s_.link.portOccupy = s_.settings.readInt16(QStringLiteral("PortOccupy"), 0) > 0;
    loadErrorList();

    buildMenus();
    buildToolBar();

    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralWidget"));
    auto *outer = new QVBoxLayout(central);
    outer->setContentsMargins(8, 8, 8, 8);
    auto *h = new QHBoxLayout;
    h->setSpacing(8);
    auto *left = new QVBoxLayout;
    left->setSpacing(8);
    left->addWidget(buildModeFrame());
    left->addWidget(buildStatusFrame(), 1);
    auto *right = new QVBoxLayout;
    right->setSpacing(8);
    right->addWidget(buildEditFrame());
    right->addWidget(buildMoveFrame());
    h->addLayout(left);
    h->addLayout(right, 1);
    // Spare height stays below the frames, so showing or hiding the toolbar
    // moves them as a block and never resizes one of them.
    outer->addLayout(h);
    outer->addStretch(1);
    setCentralWidget(central);

    buildStatusBar();
    layoutProgramGrid();
    layoutPositionGrid();

    s_.fileLabel = tx("新規作成", "New Data");
    showFileLabel();
    optSutiSyori[s_.roundUpHalves ? 0 : 1]->setChecked(true);
    // Minor and revision are written together: 1.8.0 reads "Ver1.80".
    setWindowTitle(QStringLiteral("TZ-C3 Ver%1.%2%3")
                       .arg(TZC3_VERSION_MAJOR)
                       .arg(TZC3_VERSION_MINOR)
                       .arg(TZC3_VERSION_PATCH));

    registerLockedCommands();
    applyMode(true);
    connect(&s_.link, &Link::busyChanged, this, [this](bool busy) { lock_.setLocked(busy); });

    connect(&s_.link, &Link::portOpenChanged, this, [this](bool open) { imgPort->setLit(open); });
    connect(&s_.link, &Link::indicatorsChanged, this, &frmMain::showIndicators);
    connect(cmdReset, &QPushButton::clicked, this, &frmMain::resetClicked);
    connect(mnuModeTrancefer, &QAction::triggered, this,
            [this] { communicationMode(s_.link, buttonsAndToolbar()); });
    connect(mnuModeGaibu, &QAction::triggered, this,
            [this] { externalStartMode(s_.link, buttonsAndToolbar()); });
    connect(mnuShowCtversion, &QAction::triggered, this,
            [this] { showControllerVersion(s_.link, wholeBracket()); });
    connect(mnuShowParameta, &QAction::triggered, this, [this] {
        // Whatever the mode, the window's own enabled states come back as
        // they were: only the containers are switched.
        const auto usable = [this](bool on) {
            for (QWidget *w : {centralWidget(), static_cast<QWidget *>(menuBar()),
                               static_cast<QWidget *>(tbToolBar)})
                w->setEnabled(on);
        };
        showParameterEditor(s_, this, {[usable] { usable(false); }, [usable] { usable(true); }});
    });
    connect(mnuViewOption, &QAction::triggered, this, [this] { showOptions(s_, this); });
    connect(mnuFilePageSetup, &QAction::triggered, this, [this] {
        BracketScope scope(buttonsAndToolbar());
        printSetup(s_, this);
    });
    connect(mnuFilePrint, &QAction::triggered, this, [this] {
        {
            BracketScope scope(buttonsAndToolbar());
            printDocument(s_, this, progressWindow);
        }
        refreshGrids();
    });
    connect(mnuHelpAbout, &QAction::triggered, this, [this] { showAbout(s_, this); });
    connect(mnuHelpContents, &QAction::triggered, this, [this] { showHelpContents(s_, this); });
    connect(mnuShowInpOutp, &QAction::triggered, this, [this] { showIoMonitor(s_, this); });
    connect(mnuShowChangeOut, &QAction::triggered, this,
            [this] { showOutputChange(s_, this, wholeBracket()); });

    progressWindow = new frmProgress(s_, this);
    // Every position command works on the table as the user sees it, so an
    // edit still open in the grid is committed before it starts.
    const auto command = [this](auto run) {
        return [this, run] {
            flgdData->commitEdit();
            run(s_, positionView());
        };
    };
    connect(cmdFileOpen, &QPushButton::clicked, this, &frmMain::fileOpen);
    connect(cmdSaveFile, &QPushButton::clicked, this, &frmMain::fileSaveAs);
    connect(cmdGetfromCt, &QPushButton::clicked, this, command(positions::readFromController));
    connect(cmdLoadtoCt, &QPushButton::clicked, this, command(positions::writeToController));
    connect(cmdPosiDataShogo, &QPushButton::clicked, this, command(positions::verifyPositions));
    connect(mnuFileNew, &QAction::triggered, this, &frmMain::fileNew);
    connect(mnuFileSave, &QAction::triggered, this, command(positions::savePositionFile));
    connect(mnuFileSaveAs, &QAction::triggered, this, &frmMain::fileSaveAs);
    connect(mnuFileShogoFile, &QAction::triggered, this,
            command(positions::verifyAgainstFileCommand));
    connect(mnuFileShogoCt, &QAction::triggered, this,
            command(positions::verifyAgainstControllerCommand));

    motion_ = new Motion(s_, *this, this);
    // A half-typed program step counts as typed when a motion starts.
    connect(cmdHome, &QPushButton::clicked, this, [this] {
        flgdProgram->commitEdit();
        motion_->homeClicked();
    });
    connect(cmdMove, &QPushButton::clicked, this, [this] {
        flgdProgram->commitEdit();
        motion_->moveClicked();
    });
    connect(cmdSelectMove, &QPushButton::clicked, this, [this] {
        flgdProgram->commitEdit();
        motion_->selectMoveClicked();
    });
    connect(cmdTmpStop, &QPushButton::clicked, motion_, &Motion::pauseClicked);
    connect(cmdStop, &QPushButton::clicked, motion_, &Motion::stopClicked);
    connect(chkTimerUse, &QCheckBox::toggled, this, [this](bool on) {
        if (!on) motion_->timerUseCleared();
    });
    showIndicators();
}

// ---------------------------------------------------------------- motion view

void frmMain::setMotionTabsEnabled(bool on) {
    // Only the page switching is shut: Pause and Stop on the page stay live.
    SSTab1->tabBar()->setEnabled(on);
}

void frmMain::setSelectiveTabEnabled(bool on) {
    SSTab1->setTabEnabled(1, on);
}

void frmMain::showCompletedPosition(const QString &text) {
    lblkanryoNo->setText(text);
}

bool frmMain::repeatTicked() const {
    return chkRepeat->isChecked();
}

bool frmMain::timerTicked() const {
    return chkTimerUse->isChecked();
}

bool frmMain::stepModeSelected() const {
    return optSelectMode[1]->isChecked();
}

QString frmMain::dwellText() const {
    return txtTimer->text();
}

QString frmMain::selectedText() const {
    return txtNo->text();
}

bool frmMain::moveButtonEnabled() const {
    return cmdMove->isEnabled();
}

void frmMain::dwellEntered() {
    const auto v = num::int16Of(txtTimer->text());
    if (v && *v >= 0 && *v <= 999) {
        txtTimer->setText(QString::number(*v));
    } else {
        txtTimer->clear();
        s_.prompter.beep();
    }
    chkRepeat->setFocus();
}

PositionView frmMain::positionView() {
    PositionView v;
    v.bracket = wholeBracket();
    v.tableChanged = [this] { flgdData->redraw(); };
    v.programChanged = [this] { showProgram(); };
    v.fileLabelChanged = [this] { showFileLabel(); };
    v.deviceChanged = [this] { showDeviceDisplay(); };
    v.progress = progressWindow;
    return v;
}

void frmMain::fileOpen() {
    flgdData->commitEdit();
    positions::openPositionFile(s_, positionView());
    refreshGrids();
}

void frmMain::fileNew() {
    flgdData->commitEdit();
    PositionView v = positionView();
    bool cleared = false; // the user may keep the data at the save question
    v.programChanged = [this, &cleared] {
        cleared = true;
        showProgram();
    };
    positions::newPositionData(s_, v);
    if (cleared) flgdProgram->setCurrentCell(1, 1);
}

CommandBracket frmMain::wholeBracket() {
    return {[this] {
                CMDBTN_Muko();
                ToolBar_Muko();
                Menyu_Muko();
                parameterEditorUsable(false);
            },
            [this] {
                CMDBTN_Yuko();
                ToolBar_Yuko();
                Menyu_Yuko();
                parameterEditorUsable(true);
            }};
}

CommandBracket frmMain::buttonsAndToolbar() {
    return {[this] {
                CMDBTN_Muko();
                ToolBar_Muko();
                parameterEditorUsable(false);
            },
            [this] {
                CMDBTN_Yuko();
                ToolBar_Yuko();
                parameterEditorUsable(true);
            }};
}

void frmMain::parameterEditorUsable(bool on) {
    // The modeless editor could start its own exchange while ours waits.
    if (auto *editor = findChild<frmParameta *>()) editor->setEnabled(on);
}

void frmMain::showIndicators() {
    const StatusIndicators &ind = s_.link.indicators;
    imgPort->setLit(s_.link.isPortOpen());
    imgHome->setLit(ind.homeLamp);
    imgOut1->setLit(ind.out1);
    imgOut2->setLit(ind.out2);
    imgAlarm->setLit(ind.alarmLamp);
    lblAlarmNo->setText(ind.alarmNo);
    lblErrorComment->setText(ind.errorComment);
    sbPanel[0]->setText(ind.versionPanel);
}

void frmMain::resetClicked() {
    const bool edit = isEditMode();
    setUsable({cmdReset, cmdChangeDev}, false);
    frmMoveRepeat->setEnabled(false);
    CMDBTN_Muko();
    ToolBar_Muko();
    Menyu_Muko();
    parameterEditorUsable(false);
    errorReset(s_.link);
    s_.link.closePortUnlessKept();
    if (edit) {
        setUsable({cmdChangeDev}, true);
        CMDBTN_Yuko();
        ToolBar_Yuko();
        Menyu_Yuko();
    } else {
        frmMoveRepeat->setEnabled(true);
    }
    setUsable({cmdReset, cmdModeChange, mnuView}, true);
    parameterEditorUsable(true);
}

QString frmMain::tx(const char *ja, const char *en) const {
    return s_.tx(ja, en);
}

void frmMain::loadErrorList() {
    s_.link.loadErrorList(s_.programFolder);
}

// ---------------------------------------------------------------- frames

QWidget *frmMain::buildModeFrame() {
    QWidget *body = nullptr;
    frmJog = makeFrame(this, "frmJog", tx("モード選択", "Mode Select"), &body);
    lblEditMode = makeLabel(body, "lblEditMode", tx("ﾃﾞｰﾀ編集ﾓｰﾄﾞ", "Edit Mode"));
    lblMoveMode = makeLabel(body, "lblMoveMode", tx("移動ﾓｰﾄﾞ", "Move Mode"));
    for (QLabel *l : {lblEditMode, lblMoveMode}) {
        l->setAlignment(Qt::AlignCenter);
        l->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        l->setAutoFillBackground(true);
        l->setMinimumHeight(l->fontMetrics().height() + 12);
        l->setMargin(2);
    }
    cmdModeChange = makeButton(body, "cmdModeChange", tx("ﾓｰﾄﾞ切替", "Change Mode"));
    connect(cmdModeChange, &QPushButton::clicked, this, &frmMain::changeMode);

    auto *g = new QGridLayout(body);
    g->setContentsMargins(0, 0, 0, 0);
    g->setHorizontalSpacing(6);
    g->setVerticalSpacing(8);
    g->addWidget(lblEditMode, 0, 0);
    g->addWidget(lblMoveMode, 0, 1);
    g->addWidget(cmdModeChange, 1, 0, 1, 2);
    return frmJog;
}

QWidget *frmMain::buildStatusFrame() {
    QWidget *body = nullptr;
    frmTrancefer = makeFrame(this, "frmTrancefer", tx("ステータス", "Status"), &body);

    lblShowDev = makeLabel(body, "lblShowDev", tx("使用機種", "Type of TZ"));
    lblDeviceType = makeValueBox(body, "lblDeviceType");
    lblDeviceType->setMinimumWidth(150);
    // The type area keeps its room whether or not the old-type badge shows,
    // so the model name does not jump when the device changes.
    pictureSelectType = named(new QFrame(body), "pictureSelectType");
    lblOldType = makeLabel(pictureSelectType, "lblOldType", tx("旧型", "Old"));
    lblOldType->setAlignment(Qt::AlignCenter);
    lblOldType->setStyleSheet(QStringLiteral("QLabel { color: white; background: #b05a10;"
                                             " border-radius: 3px; padding: 1px 4px; }"));
    setBoldFace(lblOldType, true);
    {
        auto *v = new QVBoxLayout(pictureSelectType);
        v->setContentsMargins(0, 0, 0, 0);
        v->addWidget(lblOldType);
        const QFontMetrics fm(lblOldType->font());
        pictureSelectType->setFixedWidth(qMax(fm.horizontalAdvance(QStringLiteral("Old")),
                                              fm.horizontalAdvance(QStringLiteral("旧型"))) +
                                         16);
    }
    cmdChangeDev = makeButton(body, "cmdChangeDev", tx("機種変更", "Change"));
    connect(cmdChangeDev, &QPushButton::clicked, this, &frmMain::changeDevice);

    lblFilelabel = makeLabel(body, "lblFilelabel", tx("ﾌｧｲﾙ名", "File Name"));
    lblFileName = makeValueBox(body, "lblFileName");
    lblFileName->setWordWrap(true);

    imgPort = named(new Lamp(Lamp::portColour(), body), "imgPort");
    lblJotai = makeLabel(body, "lblJotai", QStringLiteral("RS-232C"));
    lblJotai->setToolTip(tx("緑ランプ：通信ポートOPEN 　赤ランプ：通信ポートCLOSE",
                            "Green:COM-PORT OPEN / White:COM-PORT CLOSE"));
    imgHome = named(new Lamp(Lamp::homeColour(), body), "imgHome");
    lblHome = makeLabel(body, "lblHome", tx("原点復帰", "Home"));
    imgAlarm = named(new Lamp(Lamp::alarmColour(), body), "imgAlarm");
    lblError = makeLabel(body, "lblError", QStringLiteral("ALARM"));
    Label1 = makeLabel(body, "Label1", QStringLiteral("No."));
    lblAlarmNo = makeValueBox(body, "lblAlarmNo");
    lblAlarmNo->setAlignment(Qt::AlignCenter);
    lblAlarmNo->setMinimumWidth(lblAlarmNo->fontMetrics().horizontalAdvance(QStringLiteral("WW")) +
                                12);
    lblErrorComment = makeValueBox(body, "lblErrorComment", QStringLiteral("No Error"));
    lblErrorComment->setWordWrap(true);
    lblErrorComment->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblErrorComment->setMinimumHeight(lblErrorComment->fontMetrics().height() * 3 + 10);
    cmdReset = makeButton(body, "cmdReset", tx("ﾘｾｯﾄ", "Reset"));

    auto *v = new QVBoxLayout(body);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(4);
    v->addWidget(lblShowDev);
    auto *dev = new QHBoxLayout;
    dev->setSpacing(4);
    dev->addWidget(lblDeviceType, 1);
    dev->addWidget(pictureSelectType);
    v->addLayout(dev);
    auto *change = new QHBoxLayout;
    change->addStretch(1);
    change->addWidget(cmdChangeDev);
    v->addLayout(change);
    v->addSpacing(4);
    v->addWidget(lblFilelabel);
    v->addWidget(lblFileName);
    v->addSpacing(6);
    v->addWidget(makeLine(body));
    v->addSpacing(2);

    auto *lamps = new QGridLayout;
    lamps->setHorizontalSpacing(6);
    lamps->setVerticalSpacing(6);
    lamps->addWidget(imgPort, 0, 0);
    lamps->addWidget(lblJotai, 0, 1, 1, 3);
    lamps->addWidget(imgHome, 1, 0);
    lamps->addWidget(lblHome, 1, 1, 1, 3);
    lamps->addWidget(imgAlarm, 2, 0);
    lamps->addWidget(lblError, 2, 1);
    lamps->addWidget(Label1, 2, 2, Qt::AlignRight);
    lamps->addWidget(lblAlarmNo, 2, 3);
    lamps->setColumnStretch(1, 1);
    v->addLayout(lamps);
    v->addWidget(lblErrorComment);
    v->addStretch(1);
    v->addWidget(makeLine(body));
    auto *reset = new QHBoxLayout;
    reset->addStretch(1);
    reset->addWidget(cmdReset);
    v->addLayout(reset);
    return frmTrancefer;
}

QWidget *frmMain::buildEditFrame() {
    QWidget *body = nullptr;
    frmDataEdit = makeFrame(this, "frmDataEdit", tx("データ編集モード", "Edit Mode"), &body);

    cmdFileOpen = makeButton(body, "cmdFileOpen", tx("ﾌｧｲﾙを開く", "File Open"),
                             tx("ﾃﾞｰﾀﾌｧｲﾙを開きます", "Open Data file"));
    cmdSaveFile = makeButton(body, "cmdSaveFile", tx("ﾌｧｲﾙへ保存", "File Save"),
                             tx("ﾌｧｲﾙに名前を付けて保存します", "Save to file As..."));
    cmdGetfromCt = makeButton(body, "cmdGetfromCt", tx("ｺﾝﾄﾛｰﾗから読込み", "Read from C/T"),
                              tx("ｺﾝﾄﾛｰﾗからﾃﾞｰﾀを読み込みます", "Read Data from Controller"));
    cmdLoadtoCt = makeButton(body, "cmdLoadtoCt", tx("ｺﾝﾄﾛｰﾗへ 書込み", "Write to  C/T"),
                             tx("ｺﾝﾄﾛｰﾗへﾃﾞｰﾀを書き込みます", "Write Data to Controller"));
    cmdPosiDataShogo = makeButton(body, "cmdPosiDataShogo", tx("データ照合", "Verify"),
                                  tx("ﾃﾞｰﾀの照合を行います", "Compare data"));

    auto *rounding = named(new QFrame(body), "fraSutiSyori");
    rounding->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    optSutiSyori[0] =
        named(new QRadioButton(tx("mm位置 切り上げ", "Round up"), rounding), "optSutiSyori0");
    optSutiSyori[0]->setToolTip(
        tx("位置をmm入力した時に、位置を取りうる値に切り上げます",
           "When the Position is input with millimeter,it sets the value is Rounded up to the "
           "adaptable value."));
    optSutiSyori[1] =
        named(new QRadioButton(tx("mm位置 切り捨て", "Round down"), rounding), "optSutiSyori1");
    optSutiSyori[1]->setToolTip(
        tx("位置をmm入力した時に、位置を取りうる値に切り下げます",
           "When the Position is input with millimeter,it sets the value is Rounded down to the "
           "adaptable value."));
    {
        auto *v = new QVBoxLayout(rounding);
        v->setContentsMargins(8, 6, 8, 6);
        v->addWidget(optSutiSyori[0]);
        v->addWidget(optSutiSyori[1]);
    }
    for (QRadioButton *o : optSutiSyori)
        connect(o, &QRadioButton::clicked, this,
                [this] { s_.roundUpHalves = optSutiSyori[0]->isChecked(); });

    flgdData = named(new PositionGrid(s_, body), "flgdData");

    auto *buttons = new QVBoxLayout;
    buttons->setSpacing(6);
    for (QPushButton *b : {cmdFileOpen, cmdSaveFile, cmdGetfromCt, cmdLoadtoCt, cmdPosiDataShogo}) {
        b->setMinimumHeight(b->sizeHint().height() + 6);
        buttons->addWidget(b);
    }
    buttons->addSpacing(10);
    buttons->addWidget(rounding);
    buttons->addStretch(1);

    auto *h = new QHBoxLayout(body);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(10);
    h->addLayout(buttons);
    h->addWidget(flgdData, 1);
    return frmDataEdit;
}

QWidget *frmMain::buildMoveFrame() {
    QWidget *body = nullptr;
    frmMoveRepeat = makeFrame(this, "frmMoveRepeat", tx("移動モード", "Move Mode"), &body);

    SSTab1 = named(new QTabWidget(body), "SSTab1");
    SSTab1->addTab(buildContinualPage(), tx("連続移動", "Continual Motion"));
    SSTab1->addTab(buildSelectivePage(), tx("選択移動", "Selective Motion"));

    cmdHome = makeButton(body, "cmdHome", tx("原点復帰", "Home"));
    cmdHome->setMinimumHeight(cmdHome->sizeHint().height() + 8);
    lblKanryoiti = makeLabel(body, "lblKanryoiti", tx("移動完了位置", "Position"));
    lblkanryoNo = makeValueBox(body, "lblkanryoNo");
    lblkanryoNo->setAlignment(Qt::AlignCenter);
    setBoldFace(lblkanryoNo, true);
    lblkanryoNo->setMinimumHeight(lblkanryoNo->fontMetrics().height() + 10);
    lblOutput12 = makeLabel(body, "lblOutput12", tx("出力", "OUT"));
    imgOut1 = named(new Lamp(Lamp::outColour(), body), "imgOutLamp1");
    lblOutLamp1 = makeLabel(body, "lblOutLamp1", QStringLiteral("1"));
    imgOut2 = named(new Lamp(Lamp::outColour(), body), "imgOutLamp2");
    lblOutLamp2 = makeLabel(body, "lblOutLamp2", QStringLiteral("2"));

    auto *side = new QVBoxLayout;
    side->setSpacing(4);
    side->addSpacing(SSTab1->tabBar()->sizeHint().height());
    side->addWidget(cmdHome);
    side->addSpacing(8);
    side->addWidget(lblKanryoiti);
    side->addWidget(lblkanryoNo);
    side->addSpacing(8);
    side->addWidget(lblOutput12);
    auto *outs = new QHBoxLayout;
    outs->setSpacing(4);
    outs->addWidget(imgOut1);
    outs->addWidget(lblOutLamp1);
    outs->addSpacing(10);
    outs->addWidget(imgOut2);
    outs->addWidget(lblOutLamp2);
    outs->addStretch(1);
    side->addLayout(outs);
    side->addStretch(1);

    auto *h = new QHBoxLayout(body);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(10);
    h->addWidget(SSTab1, 1);
    h->addLayout(side);
    return frmMoveRepeat;
}

QWidget *frmMain::buildContinualPage() {
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("tabContinual"));

    flgdProgram = named(new ProgramGrid(s_, page), "flgdProgram");
    flgdProgram->writeCell = [this](int step, const QString &text) { setProgramCell(step, text); };

    auto *modes = named(new QFrame(page), "fraSelectMode");
    modes->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    optSelectMode[0] =
        named(new QRadioButton(tx("連続移動", "Continual"), modes), "optSelectMode0");
    optSelectMode[1] = named(new QRadioButton(tx("Step移動", "Step"), modes), "optSelectMode1");
    optSelectMode[0]->setChecked(true);
    {
        auto *h = new QHBoxLayout(modes);
        h->setContentsMargins(8, 4, 8, 4);
        h->addWidget(optSelectMode[0]);
        h->addWidget(optSelectMode[1]);
    }
    chkRepeat = named(new QCheckBox(tx("くり返し", "Repeat"), page), "chkRepeat");

    frmTimer = named(new QFrame(page), "frmTimer");
    frmTimer->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    chkTimerUse = named(new QCheckBox(tx("タイマー", "Timer"), frmTimer), "chkTimerUse");
    lblTimer = makeLabel(frmTimer, "lblTimer", tx("停止時間(100msec)", "Wait (100msec)"));
    lblTimer->setToolTip(tx("設定値は100msec単位です。例：10(1秒)",
                            "Unit for setting is 100msec. (e.g. 10 = 1 second)"));
    txtTimer = named(new QLineEdit(frmTimer), "txtTimer");
    txtTimer->setToolTip(
        tx("100msec単位で入力して下さい。例：10(1秒)", "Input with 100msec unit."));
    txtTimer->setAlignment(Qt::AlignRight);
    txtTimer->setMaxLength(3);
    txtTimer->installEventFilter(this);
    txtTimer->setFixedWidth(txtTimer->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 14);
    {
        auto *h = new QHBoxLayout(frmTimer);
        h->setContentsMargins(8, 4, 8, 4);
        h->setSpacing(6);
        h->addWidget(chkTimerUse);
        h->addSpacing(6);
        h->addWidget(lblTimer);
        h->addWidget(txtTimer);
    }
    // The dwell box only counts while the timer is in use.
    connect(chkTimerUse, &QCheckBox::toggled, this, [this](bool on) {
        lblTimer->setEnabled(on);
        txtTimer->setEnabled(on);
    });

    cmdMove = makeButton(page, "cmdMove", tx("移動", "Move"));
    cmdTmpStop = makeButton(page, "cmdTmpStop", tx("一時停止", "Pause"));
    cmdStop = makeButton(page, "cmdStop", tx("停止", "Stop"));
    cmdDataClear = makeButton(page, "cmdDataClear", tx("全消去", "Clear"));
    cmdInp1toF = makeButton(page, "cmdInp1toF", QStringLiteral("1 to F"));
    connect(cmdDataClear, &QPushButton::clicked, this, &frmMain::clearProgram);
    connect(cmdInp1toF, &QPushButton::clicked, this, &frmMain::fillProgram1toF);

    auto *options = new QHBoxLayout;
    options->setSpacing(10);
    options->addWidget(modes);
    options->addWidget(chkRepeat);
    options->addStretch(1);
    options->addWidget(frmTimer);

    auto *commands = new QHBoxLayout;
    commands->setSpacing(6);
    for (QPushButton *b : {cmdMove, cmdTmpStop, cmdStop})
        commands->addWidget(b);
    commands->addStretch(1);
    commands->addWidget(cmdDataClear);
    commands->addWidget(cmdInp1toF);

    auto *v = new QVBoxLayout(page);
    v->setContentsMargins(8, 8, 8, 8);
    v->setSpacing(8);
    v->addWidget(flgdProgram);
    v->addLayout(options);
    v->addLayout(commands);
    v->addStretch(1);
    return page;
}

QWidget *frmMain::buildSelectivePage() {
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("tabSelective"));

    lblSelect = makeLabel(page, "lblSelect", tx("移動位置No.", "Position"));
    txtNo = named(new QLineEdit(QStringLiteral("1"), page), "txtNo");
    txtNo->setAlignment(Qt::AlignRight);
    txtNo->setFixedWidth(txtNo->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 14);
    UpDown1 = named(new UpDown(1, kPositions, page), "UpDown1");
    UpDown1->setFixedHeight(txtNo->sizeHint().height());
    txtHexNo = named(new QLineEdit(QStringLiteral("1"), page), "txtHexNo");
    txtHexNo->setReadOnly(true);
    txtHexNo->setFocusPolicy(Qt::NoFocus);
    txtHexNo->setAlignment(Qt::AlignCenter);
    txtHexNo->setFixedWidth(txtNo->width());
    cmdSelectMove = makeButton(page, "cmdSelectMove", tx("移動", "Move"));

    connect(UpDown1, &UpDown::valueChanged, this,
            [this](int v) { txtNo->setText(QString::number(v)); });
    // The hexadecimal box follows the decimal one whether stepped or typed.
    connect(txtNo, &QLineEdit::textChanged, this, [this](const QString &text) {
        const double v = num::val(text);
        const bool valid = v >= 1 && v <= kPositions && v == int(v);
        txtHexNo->setText(valid ? hexDigit(int(v)) : QString());
        if (valid) UpDown1->syncValue(int(v));
    });

    auto *row = new QHBoxLayout;
    row->setSpacing(4);
    row->addWidget(lblSelect);
    row->addSpacing(6);
    row->addWidget(txtNo);
    row->addWidget(UpDown1);
    row->addSpacing(6);
    row->addWidget(txtHexNo);
    row->addSpacing(16);
    row->addWidget(cmdSelectMove);
    row->addStretch(1);

    auto *v = new QVBoxLayout(page);
    v->setContentsMargins(8, 12, 8, 8);
    v->addLayout(row);
    v->addStretch(1);
    return page;
}

// ---------------------------------------------------------------- grids

void frmMain::layoutPositionGrid() {
    QTableWidget *g = flgdData;
    g->setRowCount(kPositions);
    g->setColumnCount(PositionTable::Cols - 1);
    g->setHorizontalHeaderLabels({tx("速度", "VEL"), tx("加速", "ACC"), tx("出力", "OUT"),
                                  tx("位置(ﾊﾟﾙｽ)", "Posi(Pulse)"), tx("位置(mm)", "Posi(mm)"),
                                  tx("コメント", "Comment")});
    QStringList rows;
    for (int r = 1; r <= kPositions; ++r)
        rows << hexDigit(r);
    g->setVerticalHeaderLabels(rows);
    g->setSelectionMode(QAbstractItemView::ContiguousSelection);
    g->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    g->setWordWrap(false);
    g->setCornerButtonEnabled(false);

    // Pulses and millimetres come right-justified to seven characters, so a
    // fixed-pitch face lines their digits up under the centred heading.
    QFont digits = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    digits.setPointSizeF(g->font().pointSizeF());
    for (int r = 0; r < kPositions; ++r) {
        for (int c = 1; c < PositionTable::Cols; ++c) {
            auto *item = new QTableWidgetItem;
            item->setTextAlignment(c == PositionTable::ColComment
                                       ? Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter)
                                       : Qt::Alignment(Qt::AlignCenter));
            if (c == PositionTable::ColPulse || c == PositionTable::ColMm) item->setFont(digits);
            if (c == PositionTable::ColMm) item->setBackground(QColor(224, 224, 224));
            g->setItem(r, c - 1, item);
        }
    }
    g->setCurrentCell(0, 0);

    QHeaderView *vh = g->verticalHeader();
    vh->setDefaultAlignment(Qt::AlignCenter);
    vh->setSectionResizeMode(QHeaderView::Fixed);
    vh->setDefaultSectionSize(g->fontMetrics().height() + 6);
    vh->setMinimumWidth(twips(300));

    // The given widths are kept unless a heading needs more room to show.
    QHeaderView *hh = g->horizontalHeader();
    hh->setSectionResizeMode(QHeaderView::Fixed);
    const int widths[] = {500, 500, 500, 1055, 1055};
    int used = 0;
    for (int c = 0; c < 5; ++c) {
        const int w = qMax(twips(widths[c]), hh->sectionSizeHint(c));
        g->setColumnWidth(c, w);
        used += w;
    }
    hh->setStretchLastSection(true);
    const int commentMin = hh->fontMetrics().horizontalAdvance(QLatin1Char('W')) * 12;
    g->setMinimumWidth(vh->sizeHint().width() + used + commentMin + 2 * g->frameWidth());
    g->setMinimumHeight(hh->sizeHint().height() + kPositions * vh->defaultSectionSize() +
                        2 * g->frameWidth());
}

void frmMain::layoutProgramGrid() {
    QTableWidget *g = flgdProgram;
    g->setRowCount(2);
    g->setColumnCount(kSteps + 1);
    g->horizontalHeader()->hide();
    g->verticalHeader()->hide();
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->setSelectionMode(QAbstractItemView::SingleSelection);
    g->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    g->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    g->setWordWrap(false);

    const QBrush fixed = QApplication::palette().button();
    const auto fixedItem = [&](const QString &text) {
        auto *item = new QTableWidgetItem(text);
        item->setFlags(Qt::ItemIsEnabled);
        item->setBackground(fixed);
        item->setTextAlignment(Qt::AlignCenter);
        return item;
    };
    g->setItem(0, 0, fixedItem(QStringLiteral("No.")));
    g->setItem(1, 0, fixedItem(tx("位置No.", "Posi No.")));
    for (int c = 1; c <= kSteps; ++c) {
        g->setItem(0, c, fixedItem(QString::number(c)));
        auto *cell = new QTableWidgetItem;
        cell->setTextAlignment(Qt::AlignCenter);
        g->setItem(1, c, cell);
    }

    g->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    g->verticalHeader()->setMinimumSectionSize(1);
    g->setRowHeight(0, twips(350));
    g->setRowHeight(1, twips(380));
    g->setFixedHeight(qMax(twips(750), twips(350) + twips(380) + 2 * g->frameWidth()));
    g->horizontalHeader()->setMinimumSectionSize(1);
    g->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    const int labelWidth = g->fontMetrics().horizontalAdvance(g->item(1, 0)->text()) + 12;
    g->setMinimumWidth(qMax(twips(7200), labelWidth * 6) + 2 * g->frameWidth());
    g->selectionModel()->setCurrentIndex(g->model()->index(1, 1), QItemSelectionModel::NoUpdate);
    g->installEventFilter(this);
    sizeProgramColumns();
}

// Column 0 is a sixth of the grid, each step a third of column 0; the few
// pixels whole-pixel widths leave over go to column 0 so the row is filled.
void frmMain::sizeProgramColumns() {
    // Headings and scroll bars are off, so the grid's inside is all cells.
    const int width = flgdProgram->contentsRect().width();
    const int step = width / 18;
    flgdProgram->setColumnWidth(0, width - kSteps * step);
    for (int c = 1; c <= kSteps; ++c)
        flgdProgram->setColumnWidth(c, step);
}

bool frmMain::eventFilter(QObject *watched, QEvent *event) {
    if (watched == flgdProgram && event->type() == QEvent::Resize) sizeProgramColumns();
    if (watched == txtTimer && event->type() == QEvent::KeyPress) {
        const auto *k = static_cast<QKeyEvent *>(event);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            dwellEntered();
            return true;
        }
        return swallowDigitKey(k, txtTimer->text().size(), 3);
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::refreshGrids() {
    flgdData->redraw();
    showProgram();
}

void frmMain::showProgram() {
    for (int c = 1; c <= kSteps; ++c)
        flgdProgram->item(1, c)->setText(s_.program.steps[c]);
}

QString frmMain::programCell(int step) const {
    const QTableWidgetItem *item = flgdProgram->item(1, step);
    return item ? item->text() : QString();
}

void frmMain::setProgramCell(int step, const QString &text) {
    if (step < 1 || step > kSteps) return;
    s_.program.steps[step] = text;
    flgdProgram->item(1, step)->setText(text);
}

void frmMain::clearProgram() {
    for (int c = 1; c <= kSteps; ++c)
        setProgramCell(c, QString());
}

void frmMain::fillProgram1toF() {
    for (int c = 1; c <= kSteps; ++c)
        setProgramCell(c, hexDigit(c));
}

// ---------------------------------------------------------------- menus, toolbar, status bar

void frmMain::buildMenus() {
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("menuBar"));
    // A menu and its action share the program's name for the menu.
    const auto menu = [bar](QMenu *in, const char *name, const QString &title, QAction *&action) {
        QMenu *m = in ? in->addMenu(mnemonicCaption(title)) : bar->addMenu(mnemonicCaption(title));
        m->setObjectName(QLatin1String(name));
        action = m->menuAction();
        action->setObjectName(QLatin1String(name));
        return m;
    };
    const auto item = [](QMenu *m, const char *name, const QString &text,
                         const QKeySequence &key = QKeySequence()) {
        QAction *a = m->addAction(mnemonicCaption(text));
        a->setObjectName(QLatin1String(name));
        a->setShortcut(key);
        return a;
    };

    QMenu *file = menu(nullptr, "mnuFile", tx("ファイル(&F)", "File(&F)"), mnuFile);
    mnuFileNew = item(file, "mnuFileNew", tx("全消去＆新規作成(&N)", "Clear All & New Data(&N)"),
                      QKeySequence(Qt::CTRL | Qt::Key_N));
    mnuFileOpen = item(file, "mnuFileOpen", tx("開く(&O)", "File Open(&O)"),
                       QKeySequence(Qt::CTRL | Qt::Key_O));
    mnuFileGetfromCt =
        item(file, "mnuFileGetfromCt", tx("ｺﾝﾄﾛｰﾗから読込み(&R)", "Read from C/T(&R)"));
    file->addSeparator();
    mnuFileSave = item(file, "mnuFileSave", tx("上書き保存(&S)", "Save(&S)"),
                       QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuFileSaveAs = item(file, "mnuFileSaveAs", tx("名前を付けて保存(&A)", "Save As...(&A)"));
    mnuFileLoadtoCt = item(file, "mnuFileLoadtoCt", tx("ｺﾝﾄﾛｰﾗへ書込み(&L)", "Write to C/T(&L)"));
    file->addSeparator();
    QMenu *verify = menu(file, "mnuFileShogo", tx("データ照合", "Verfy Position"), mnuFileShogo);
    mnuFileShogoFile = item(verify, "mnuFileShogoFile", tx("ファイルと照合", "File"));
    mnuFileShogoCt = item(verify, "mnuFileShogoCt", tx("コントローラと照合", "C/T"));
    file->addSeparator();
    mnuFilePageSetup = item(file, "mnuFilePageSetup", tx("プリンター設定(&U)", "Printer"));
    mnuFilePrint =
        item(file, "mnuFilePrint", tx("印刷(&P)", "Print(&P)"), QKeySequence(Qt::CTRL | Qt::Key_P));
    file->addSeparator();
    mnuFileExit = item(file, "mnuFileExit", tx("終了(&X)", "Exit(&X)"));

    QMenu *view = menu(nullptr, "mnuView", tx("表示(&V)", "View(&V)"), mnuView);
    mnuViewToolBar = item(view, "mnuViewToolBar", tx("ツールバー(&T)", "ToolBar(&T)"));
    mnuViewStatusBar = item(view, "mnuViewStatusBar", tx("ステータスバー(&B)", "StatusBar(&B)"));
    for (QAction *a : {mnuViewToolBar, mnuViewStatusBar}) {
        a->setCheckable(true);
        a->setChecked(true);
    }
    view->addSeparator();
    QMenu *io = menu(view, "mnuShowState", tx("入出力( &S)", "Input/Output(&S)"), mnuShowState);
    mnuShowInpOutp = item(io, "mnuShowInpOutp", tx("入出力の状態(&I)", "I/O Monitor(&I)"));
    mnuShowChangeOut = item(io, "mnuShowChangeOut", tx("出力の変更(&C)", "Change Out(&C)"));
    mnuShowParameta = item(view, "mnuShowParameta", tx("パラメータ(&P)", "Parameter(&P)"));
    mnuViewOption = item(view, "mnuViewOption", tx("オプション(&O)", "Option(&O)"));
    mnuShowCtversion = item(view, "mnuShowCtversion", tx("ｺﾝﾄﾛｰﾗのﾊﾞｰｼﾞｮﾝ", "Version Of C/T"));

    QMenu *mode = menu(nullptr, "mnuModeChange", tx("ｺﾝﾄﾛｰﾗﾓｰﾄﾞ変更(&M)", "Change C/T Mode(&M)"),
                       mnuModeChange);
    mnuModeTrancefer = item(mode, "mnuModeTrancefer", tx("通信ﾓｰﾄﾞ(&T)", "Communication Mode(&T)"));
    mnuModeGaibu = item(mode, "mnuModeGaibu", tx("外部起動ﾓｰﾄﾞ(&G)", "External start mode(&G)"));

    QMenu *help = menu(nullptr, "mnuHelp", tx("ヘルプ(&H)", "Help(&H)"), mnuHelp);
    mnuHelpContents = item(help, "mnuHelpContents", tx("目次(&C)", "Contents(&C)"));
    help->addSeparator();
    mnuHelpAbout = item(help, "mnuHelpAbout", tx("バージョン情報(&A)...", "Version(&A)..."));

    // Items that are "the same as" a button press that button, so each
    // command has one path whichever way the user starts it.
    connect(mnuFileOpen, &QAction::triggered, this, [this] { cmdFileOpen->click(); });
    connect(mnuFileGetfromCt, &QAction::triggered, this, [this] { cmdGetfromCt->click(); });
    connect(mnuFileLoadtoCt, &QAction::triggered, this, [this] { cmdLoadtoCt->click(); });
    connect(mnuFileExit, &QAction::triggered, this, [this] {
        // A refused close (an exchange runs, or the user said Cancel) leaves
        // the port to whoever uses it.
        if (close()) s_.link.closePort();
    });
    connect(mnuViewToolBar, &QAction::toggled, this,
            [this](bool on) { tbToolBar->setVisible(on); });
    connect(mnuViewStatusBar, &QAction::toggled, this,
            [this](bool on) { statusBar()->setVisible(on); });
}

void frmMain::buildToolBar() {
    tbToolBar = new QToolBar(tx("ツールバー", "ToolBar"), this);
    tbToolBar->setObjectName(QStringLiteral("tbToolBar"));
    tbToolBar->setMovable(false);
    tbToolBar->setFloatable(false);
    tbToolBar->setIconSize(QSize(24, 24));
    tbToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    addToolBar(Qt::TopToolBarArea, tbToolBar);

    struct Button {
        const char *key; // nullptr: separator
        const char *ja;
        const char *en;
    };
    const Button buttons[] = {
        {"New", "全消去＆新規作成", "All clear & New Data"},
        {"Open", "開く", "Open Data file"},
        {"Save", "上書き保存", "Over Write Data file"},
        {nullptr, nullptr, nullptr},
        {"Print", "印刷", "Print Data and Parameters"},
        {nullptr, nullptr, nullptr},
        {"Read", "ｺﾝﾄﾛｰﾗから読み込み", "Read from C/T"},
        {"Load", "ｺﾝﾄﾛｰﾗへ書き込み", "Write to C/T"},
        {"Shogo", "ﾃﾞｰﾀの照合", "Verify Data"},
    };
    for (const Button &b : buttons) {
        if (!b.key) {
            tbButtons << tbToolBar->addSeparator();
            continue;
        }
        const QString tip = tx(b.ja, b.en);
        // The text shows in the toolbar's overflow menu when the window is narrow.
        QAction *a = tbToolBar->addAction(toolbarIcon(QLatin1String(b.key)), mnemonicCaption(tip));
        a->setObjectName(QLatin1String(b.key));
        a->setToolTip(tip);
        tbButtons << a;
    }
    connect(tbToolBar, &QToolBar::actionTriggered, this,
            [this](QAction *a) { toolbarButtonClick(a->objectName()); });
}

void frmMain::toolbarButtonClick(const QString &key) {
    if (key == QLatin1String("New"))
        mnuFileNew->trigger();
    else if (key == QLatin1String("Open"))
        cmdFileOpen->click();
    else if (key == QLatin1String("Save"))
        mnuFileSave->trigger();
    else if (key == QLatin1String("Print"))
        mnuFilePrint->trigger();
    else if (key == QLatin1String("Read"))
        cmdGetfromCt->click();
    else if (key == QLatin1String("Load"))
        cmdLoadtoCt->click();
    else if (key == QLatin1String("Shogo"))
        cmdPosiDataShogo->click();
}

void frmMain::buildStatusBar() {
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("sbStatusBar"));
    bar->setSizeGripEnabled(true);
    for (int i = 0; i < 3; ++i) {
        auto *panel = new QLabel(bar);
        panel->setObjectName(QStringLiteral("sbPanel%1").arg(i + 1));
        panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        panel->setMargin(1);
        panel->setMinimumWidth(i == 0 ? 200 : 130);
        bar->addPermanentWidget(panel, i == 0 ? 1 : 0);
        sbPanel[i] = panel;
    }
}

QLabel *frmMain::statusPanel(int n) const {
    return n >= 1 && n <= 3 ? sbPanel[n - 1] : nullptr;
}

// ---------------------------------------------------------------- device and file display

void frmMain::showDeviceDisplay() {
    lblDeviceType->setText(s_.device.modelName);
    showDeviceType();
    const units::Ratios r = units::unitRatios(s_);
    sbPanel[1]->setText(r.mmToPulse);
    sbPanel[2]->setText(r.pulseToMm);
}

void frmMain::showDeviceType() {
    pictureSelectType->setVisible(s_.device.tz);
    lblOldType->setVisible(!s_.device.newType);
}

void frmMain::showFileLabel() {
    lblFileName->setText(s_.fileLabel);
}

void frmMain::changeDevice() {
    flgdData->commitEdit();
    setUsable({cmdChangeDev}, false);
    {
        frmDevice2 dlg(s_, this);
        s_.prompter.exec(dlg);
        if (device::applyDeviceChange(s_, dlg.cancelReport())) {
            units::recomputeMmColumn(s_, s_.positions);
            showDeviceDisplay();
        }
    }
    setUsable({cmdChangeDev}, true);
    refreshGrids();
}

// ---------------------------------------------------------------- modes and enable rules

bool frmMain::isEditMode() const {
    return lblEditMode->isEnabled();
}

void frmMain::changeMode() {
    flgdData->commitEdit();
    flgdProgram->commitEdit();
    applyMode(!isEditMode());
}

void frmMain::applyMode(bool edit) {
    const bool move = !edit;
    styleModeLabel(lblEditMode, edit);
    styleModeLabel(lblMoveMode, move);

    frmMoveRepeat->setEnabled(move);
    setBoldFace(frmMoveRepeat, move);
    setUsable(QList<QWidget *>{frmTimer,      lblSelect,        lblKanryoiti,     lblkanryoNo,
                               chkRepeat,     chkTimerUse,      cmdMove,          cmdStop,
                               cmdSelectMove, cmdDataClear,     cmdTmpStop,       cmdHome,
                               cmdInp1toF,    optSelectMode[0], optSelectMode[1], lblOutput12,
                               lblOutLamp1,   lblOutLamp2,      imgOut1,          imgOut2,
                               flgdProgram,   SSTab1,           UpDown1},
              move);
    lblTimer->setEnabled(move && chkTimerUse->isChecked());
    txtTimer->setEnabled(move && chkTimerUse->isChecked());

    frmDataEdit->setEnabled(edit);
    setBoldFace(frmDataEdit, edit);
    setUsable(QList<QWidget *>{cmdFileOpen, cmdSaveFile, cmdLoadtoCt, cmdGetfromCt,
                               cmdPosiDataShogo, optSutiSyori[0], optSutiSyori[1], cmdChangeDev,
                               flgdData},
              edit);
    setUsable(toolbarButtons(), edit);
    setUsable(QList<QAction *>{mnuFileNew, mnuFileOpen, mnuFileGetfromCt, mnuFileSave,
                               mnuFileSaveAs, mnuFileLoadtoCt, mnuFileShogo, mnuFilePageSetup,
                               mnuFilePrint, mnuShowState, mnuShowChangeOut, mnuShowInpOutp,
                               mnuShowParameta, mnuShowCtversion, mnuModeChange},
              edit);
}

void frmMain::setUsable(std::initializer_list<QObject *> items, bool on) {
    for (QObject *item : items)
        lock_.setUsable(item, on);
}

void frmMain::registerLockedCommands() {
    const QList<QAction *> exempt{mnuFileExit, mnuViewToolBar, mnuViewStatusBar};
    std::function<void(QMenu *)> walk = [&](QMenu *menu) {
        for (QAction *a : menu->actions()) {
            if (a->menu())
                walk(a->menu());
            else if (!a->isSeparator() && !exempt.contains(a))
                lock_.add(a);
        }
    };
    for (QAction *top : menuBar()->actions())
        if (top->menu()) walk(top->menu());
    for (QAction *a : toolbarButtons())
        lock_.add(a);
    for (QPushButton *b : findChildren<QPushButton *>())
        if (b->window() == this && b != cmdTmpStop && b != cmdStop) lock_.add(b);
}

QList<QWidget *> frmMain::commandButtons() const {
    return {cmdFileOpen,      cmdSaveFile, cmdLoadtoCt,  cmdGetfromCt,
            cmdPosiDataShogo, cmdReset,    cmdModeChange};
}

QList<QAction *> frmMain::toolbarButtons() const {
    QList<QAction *> out;
    for (QAction *a : tbButtons)
        if (!a->isSeparator()) out << a;
    return out;
}

QList<QAction *> frmMain::menuItems() const {
    return {mnuFileNew,    mnuFileOpen,      mnuFileGetfromCt, mnuFileSave,
            mnuFileSaveAs, mnuFileShogo,     mnuFileLoadtoCt,  mnuFilePageSetup,
            mnuFilePrint,  mnuShowCtversion, mnuModeChange,    mnuView};
}

void frmMain::CMDBTN_Muko() {
    setUsable(commandButtons(), false);
}
void frmMain::CMDBTN_Yuko() {
    setUsable(commandButtons(), true);
}
void frmMain::ToolBar_Muko() {
    setUsable(toolbarButtons(), false);
}
void frmMain::ToolBar_Yuko() {
    setUsable(toolbarButtons(), true);
}
void frmMain::Menyu_Muko() {
    setUsable(menuItems(), false);
}
void frmMain::Menyu_Yuko() {
    setUsable(menuItems(), true);
}

void frmMain::CTModeChange_Muko() {
    setUsable({mnuModeChange}, false);
}

void frmMain::CTModeChange_Yuko() {
    setUsable({mnuModeChange}, true);
}

void frmMain::lockMotionControls(bool lock) {
    setUsable(QList<QWidget *>{cmdHome, cmdSelectMove, cmdMove, cmdModeChange, cmdDataClear,
                               cmdInp1toF, chkTimerUse, chkRepeat, cmdReset, optSelectMode[0],
                               optSelectMode[1]},
              !lock);
    // An unticked Timer keeps its dwell box shut even when the lock lifts.
    txtTimer->setEnabled(!lock && chkTimerUse->isChecked());
    parameterEditorUsable(!lock);
}

// ---------------------------------------------------------------- closing

bool frmMain::fileSaveAs() {
    flgdData->commitEdit();
    // Only a written file lets the caller go on: a cancelled dialog, a
    // refused table and a failed write all leave the edits unsaved.
    return positions::savePositionFileAs(s_, positionView()) == positions::SaveResult::Saved;
}

bool frmMain::confirmClose() {
    if (s_.controllerBusy()) return false;
    s_.exitCancelled = false;
    // The question depends on the changed tag, which an open edit has yet
    // to set.
    flgdData->commitEdit();
    if (!s_.positions.changed()) {
        const PromptAnswer a = s_.prompter.ask(tx("TZ-C3 を終了します。", "Finish TZ-C3."),
                                               PromptButtons::OkCancel, PromptIcon::Question);
        if (a != PromptAnswer::Ok) {
            s_.exitCancelled = true;
            return false;
        }
        s_.link.closePortUnlessKept();
        return true;
    }
    const PromptAnswer a =
        s_.prompter.ask(tx("データが変更されています。終了前にファイルに保存しますか？",
                           "Data have been changed.Save in file?"),
                        PromptButtons::YesNoCancel, PromptIcon::Question);
    if (a == PromptAnswer::Yes) return fileSaveAs();
    if (a == PromptAnswer::No) return true;
    s_.exitCancelled = true;
    return false;
}

void frmMain::unload() {
    s_.settings.write(QStringLiteral("PortNo"), s_.link.portNumber);
    // A language chosen in the options takes effect at the next start.
    const int language = s_.languageChangePending ? (s_.lang.code() == 1 ? 2 : 1) : s_.lang.code();
    s_.settings.write(QStringLiteral("Languege"), language);
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w != this && w->isVisible()) w->close();
}

void frmMain::closeEvent(QCloseEvent *event) {
    if (!confirmClose()) {
        event->ignore();
        return;
    }
    unload();
    event->accept();
}
