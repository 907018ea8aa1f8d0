#include "ui/main_window.h"

#include "controller/controller_mode.h"
#include "device/catalogue.h"
#include "device/device_dialog.h"
#include "device/units.h"
#include "parameters/parameter_editor.h"
#include "positions/position_grid.h"
#include "positions/position_transfer.h"
#include "positions/progress_window.h"
#include "positions/tpd_file.h"
#include "state/app_state.h"
#include "ui/edit_panel.h"
#include "ui/move_panel.h"
#include "ui/status_panel.h"
#include "widgets/builders.h"
#include "widgets/lamp.h"
#include "widgets/updown.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <functional>

namespace {

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
    frmTrancefer = new StatusPanel(s_, this);
    left->addWidget(frmTrancefer, 1);
    auto *right = new QVBoxLayout;
    right->setSpacing(8);
    frmDataEdit = new EditPanel(s_, this);
    right->addWidget(frmDataEdit);
    frmMoveRepeat = new MovePanel(s_, this);
    right->addWidget(frmMoveRepeat);
    h->addLayout(left);
    h->addLayout(right, 1);
    // Spare height stays below the frames, so showing or hiding the toolbar
    // moves them as a block and never resizes one of them.
    outer->addLayout(h);
    outer->addStretch(1);
    setCentralWidget(central);

    buildStatusBar();

    s_.fileLabel = tx("新規作成", "New Data");
    showFileLabel();
    // Minor and revision are written together: 1.8.0 reads "Ver1.80".
    setWindowTitle(QStringLiteral("TZ-C3 Ver%1.%2%3")
                       .arg(TZC3_VERSION_MAJOR)
                       .arg(TZC3_VERSION_MINOR)
                       .arg(TZC3_VERSION_PATCH));

    registerLockedCommands();
    applyMode(true);
    connect(&s_.link, &Link::busyChanged, this, [this](bool busy) { lock_.setLocked(busy); });

    connect(&s_.link, &Link::portOpenChanged, this,
            [this](bool open) { frmTrancefer->imgPort->setLit(open); });
    connect(&s_.link, &Link::indicatorsChanged, this, &frmMain::showIndicators);
    connect(frmTrancefer->cmdChangeDev, &QPushButton::clicked, this, &frmMain::changeDevice);
    connect(frmTrancefer->cmdReset, &QPushButton::clicked, this, &frmMain::resetClicked);
    connectMenuItems();

    progressWindow = new frmProgress(s_, this);
    // Every position command works on the table as the user sees it, so an
    // edit still open in the grid is committed before it starts.
    const auto command = [this](auto run) {
        return [this, run] {
            frmDataEdit->flgdData->commitEdit();
            run(s_, positionView());
        };
    };
    connect(frmDataEdit->cmdFileOpen, &QPushButton::clicked, this, &frmMain::fileOpen);
    connect(frmDataEdit->cmdSaveFile, &QPushButton::clicked, this, &frmMain::fileSaveAs);
    connect(frmDataEdit->cmdGetfromCt, &QPushButton::clicked, this,
            command(positions::readFromController));
    connect(frmDataEdit->cmdLoadtoCt, &QPushButton::clicked, this,
            command(positions::writeToController));
    connect(frmDataEdit->cmdPosiDataShogo, &QPushButton::clicked, this,
            command(positions::verifyPositions));
    connect(mnuFileNew, &QAction::triggered, this, &frmMain::fileNew);
    connect(mnuFileSave, &QAction::triggered, this, command(positions::savePositionFile));
    connect(mnuFileSaveAs, &QAction::triggered, this, &frmMain::fileSaveAs);
    connect(mnuFileShogoFile, &QAction::triggered, this,
            command(positions::verifyAgainstFileCommand));
    connect(mnuFileShogoCt, &QAction::triggered, this,
            command(positions::verifyAgainstControllerCommand));

    motion_ = new Motion(s_, *this, this);
    // A half-typed program step counts as typed when a motion starts.
    connect(frmMoveRepeat->cmdHome, &QPushButton::clicked, this, [this] {
        frmMoveRepeat->flgdProgram->commitEdit();
        motion_->homeClicked();
    });
    connect(frmMoveRepeat->cmdMove, &QPushButton::clicked, this, [this] {
        frmMoveRepeat->flgdProgram->commitEdit();
        motion_->moveClicked();
    });
    connect(frmMoveRepeat->cmdSelectMove, &QPushButton::clicked, this, [this] {
        frmMoveRepeat->flgdProgram->commitEdit();
        motion_->selectMoveClicked();
    });
    connect(frmMoveRepeat->cmdTmpStop, &QPushButton::clicked, motion_, &Motion::pauseClicked);
    connect(frmMoveRepeat->cmdStop, &QPushButton::clicked, motion_, &Motion::stopClicked);
    connect(frmMoveRepeat->chkTimerUse, &QCheckBox::toggled, this, [this](bool on) {
        if (!on) motion_->timerUseCleared();
    });
    showIndicators();
}

// ---------------------------------------------------------------- the frames' controls

Lamp *frmMain::portLamp() const {
    return frmTrancefer->imgPort;
}

Lamp *frmMain::homeLamp() const {
    return frmTrancefer->imgHome;
}

Lamp *frmMain::outLamp(int n) const {
    return n == 2 ? frmMoveRepeat->imgOut2 : frmMoveRepeat->imgOut1;
}

Lamp *frmMain::alarmLamp() const {
    return frmTrancefer->imgAlarm;
}

PositionGrid *frmMain::positionGrid() const {
    return frmDataEdit->flgdData;
}

ProgramGrid *frmMain::programGrid() const {
    return frmMoveRepeat->flgdProgram;
}

// ---------------------------------------------------------------- motion view

void frmMain::setMotionTabsEnabled(bool on) {
    // Only the page switching is shut: Pause and Stop on the page stay live.
    frmMoveRepeat->SSTab1->tabBar()->setEnabled(on);
}

void frmMain::setSelectiveTabEnabled(bool on) {
    frmMoveRepeat->SSTab1->setTabEnabled(1, on);
}

void frmMain::showCompletedPosition(const QString &text) {
    frmMoveRepeat->lblkanryoNo->setText(text);
}

bool frmMain::repeatTicked() const {
    return frmMoveRepeat->chkRepeat->isChecked();
}

bool frmMain::timerTicked() const {
    return frmMoveRepeat->chkTimerUse->isChecked();
}

bool frmMain::stepModeSelected() const {
    return frmMoveRepeat->optSelectMode[1]->isChecked();
}

QString frmMain::dwellText() const {
    return frmMoveRepeat->txtTimer->text();
}

QString frmMain::selectedText() const {
    return frmMoveRepeat->txtNo->text();
}

bool frmMain::moveButtonEnabled() const {
    return frmMoveRepeat->cmdMove->isEnabled();
}

PositionView frmMain::positionView() {
    PositionView v;
    v.bracket = wholeBracket();
    v.tableChanged = [this] { frmDataEdit->flgdData->redraw(); };
    v.programChanged = [this] { frmMoveRepeat->showProgram(); };
    v.fileLabelChanged = [this] { showFileLabel(); };
    v.deviceChanged = [this] { showDeviceDisplay(); };
    v.progress = progressWindow;
    return v;
}

void frmMain::fileOpen() {
    frmDataEdit->flgdData->commitEdit();
    positions::openPositionFile(s_, positionView());
    refreshGrids();
}

void frmMain::fileNew() {
    frmDataEdit->flgdData->commitEdit();
    PositionView v = positionView();
    bool cleared = false; // the user may keep the data at the save question
    v.programChanged = [this, &cleared] {
        cleared = true;
        frmMoveRepeat->showProgram();
    };
    positions::newPositionData(s_, v);
    if (cleared) frmMoveRepeat->flgdProgram->setCurrentCell(1, 1);
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
    frmTrancefer->showIndicators();
    frmMoveRepeat->imgOut1->setLit(ind.out1);
    frmMoveRepeat->imgOut2->setLit(ind.out2);
    sbPanel[0]->setText(ind.versionPanel);
}

void frmMain::resetClicked() {
    const bool edit = isEditMode();
    setUsable({frmTrancefer->cmdReset, frmTrancefer->cmdChangeDev}, false);
    frmMoveRepeat->setEnabled(false);
    CMDBTN_Muko();
    ToolBar_Muko();
    Menyu_Muko();
    parameterEditorUsable(false);
    errorReset(s_.link);
    s_.link.closePortUnlessKept();
    if (edit) {
        setUsable({frmTrancefer->cmdChangeDev}, true);
        CMDBTN_Yuko();
        ToolBar_Yuko();
        Menyu_Yuko();
    } else {
        frmMoveRepeat->setEnabled(true);
    }
    setUsable({frmTrancefer->cmdReset, cmdModeChange, mnuView}, true);
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

// ---------------------------------------------------------------- grids

void frmMain::refreshGrids() {
    frmDataEdit->flgdData->redraw();
    frmMoveRepeat->showProgram();
}

QString frmMain::programCell(int step) const {
    return frmMoveRepeat->programCell(step);
}

void frmMain::setProgramCell(int step, const QString &text) {
    frmMoveRepeat->setProgramCell(step, text);
}

void frmMain::clearProgram() {
    frmMoveRepeat->clearProgram();
}

void frmMain::fillProgram1toF() {
    frmMoveRepeat->fillProgram1toF();
}

// ---------------------------------------------------------------- device and file display

void frmMain::showDeviceDisplay() {
    frmTrancefer->showDevice();
    const units::Ratios r = units::unitRatios(s_);
    sbPanel[1]->setText(r.mmToPulse);
    sbPanel[2]->setText(r.pulseToMm);
}

void frmMain::showDeviceType() {
    frmTrancefer->showDeviceType();
}

void frmMain::showFileLabel() {
    frmTrancefer->showFileLabel();
}

void frmMain::changeDevice() {
    frmDataEdit->flgdData->commitEdit();
    setUsable({frmTrancefer->cmdChangeDev}, false);
    {
        frmDevice2 dlg(s_, this);
        s_.prompter.exec(dlg);
        if (device::applyDeviceChange(s_, dlg.cancelReport())) {
            units::recomputeMmColumn(s_, s_.positions);
            showDeviceDisplay();
        }
    }
    setUsable({frmTrancefer->cmdChangeDev}, true);
    refreshGrids();
}

// ---------------------------------------------------------------- modes and enable rules

bool frmMain::isEditMode() const {
    return lblEditMode->isEnabled();
}

void frmMain::changeMode() {
    frmDataEdit->flgdData->commitEdit();
    frmMoveRepeat->flgdProgram->commitEdit();
    applyMode(!isEditMode());
}

void frmMain::applyMode(bool edit) {
    const bool move = !edit;
    styleModeLabel(lblEditMode, edit);
    styleModeLabel(lblMoveMode, move);

    const MovePanel &m = *frmMoveRepeat;
    frmMoveRepeat->setEnabled(move);
    setBoldFace(frmMoveRepeat, move);
    setUsable(
        QList<QWidget *>{m.frmTimer,      m.lblSelect,        m.lblKanryoiti,     m.lblkanryoNo,
                         m.chkRepeat,     m.chkTimerUse,      m.cmdMove,          m.cmdStop,
                         m.cmdSelectMove, m.cmdDataClear,     m.cmdTmpStop,       m.cmdHome,
                         m.cmdInp1toF,    m.optSelectMode[0], m.optSelectMode[1], m.lblOutput12,
                         m.lblOutLamp1,   m.lblOutLamp2,      m.imgOut1,          m.imgOut2,
                         m.flgdProgram,   m.SSTab1,           m.UpDown1},
        move);
    m.lblTimer->setEnabled(move && m.chkTimerUse->isChecked());
    m.txtTimer->setEnabled(move && m.chkTimerUse->isChecked());

    const EditPanel &e = *frmDataEdit;
    frmDataEdit->setEnabled(edit);
    setBoldFace(frmDataEdit, edit);
    setUsable(QList<QWidget *>{e.cmdFileOpen, e.cmdSaveFile, e.cmdLoadtoCt, e.cmdGetfromCt,
                               e.cmdPosiDataShogo, e.optSutiSyori[0], e.optSutiSyori[1],
                               frmTrancefer->cmdChangeDev, e.flgdData},
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
        if (b->window() == this && b != frmMoveRepeat->cmdTmpStop && b != frmMoveRepeat->cmdStop)
            lock_.add(b);
}

QList<QWidget *> frmMain::commandButtons() const {
    const EditPanel &e = *frmDataEdit;
    return {e.cmdFileOpen,      e.cmdSaveFile,          e.cmdLoadtoCt, e.cmdGetfromCt,
            e.cmdPosiDataShogo, frmTrancefer->cmdReset, cmdModeChange};
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
    const MovePanel &m = *frmMoveRepeat;
    setUsable(QList<QWidget *>{m.cmdHome, m.cmdSelectMove, m.cmdMove, cmdModeChange, m.cmdDataClear,
                               m.cmdInp1toF, m.chkTimerUse, m.chkRepeat, frmTrancefer->cmdReset,
                               m.optSelectMode[0], m.optSelectMode[1]},
              !lock);
    // An unticked Timer keeps its dwell box shut even when the lock lifts.
    m.txtTimer->setEnabled(!lock && m.chkTimerUse->isChecked());
    parameterEditorUsable(!lock);
}

// ---------------------------------------------------------------- closing

bool frmMain::fileSaveAs() {
    frmDataEdit->flgdData->commitEdit();
    // Only a written file lets the caller go on: a cancelled dialog, a
    // refused table and a failed write all leave the edits unsaved.
    return positions::savePositionFileAs(s_, positionView()) == positions::SaveResult::Saved;
}

bool frmMain::confirmClose() {
    if (s_.controllerBusy()) return false;
    s_.exitCancelled = false;
    // The question depends on the changed tag, which an open edit has yet
    // to set.
    frmDataEdit->flgdData->commitEdit();
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
