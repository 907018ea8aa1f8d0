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

MainWindow::MainWindow(AppState &s, QWidget *parent) : QMainWindow(parent), s_(s) {
    setObjectName(QStringLiteral("MainWindow"));

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
    statusFrame = new StatusPanel(s_, this);
    left->addWidget(statusFrame, 1);
    auto *right = new QVBoxLayout;
    right->setSpacing(8);
    editFrame = new EditPanel(s_, this);
    right->addWidget(editFrame);
    moveFrame = new MovePanel(s_, this);
    right->addWidget(moveFrame);
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
            [this](bool open) { statusFrame->portLampImage->setLit(open); });
    connect(&s_.link, &Link::indicatorsChanged, this, &MainWindow::showIndicators);
    connect(statusFrame->changeDeviceButton, &QPushButton::clicked, this,
            &MainWindow::changeDevice);
    connect(statusFrame->resetButton, &QPushButton::clicked, this, &MainWindow::resetClicked);
    connectMenuItems();

    progressWindow = new ProgressWindow(s_, this);
    // Every position command works on the table as the user sees it, so an
    // edit still open in the grid is committed before it starts.
    const auto command = [this](auto run) {
        return [this, run] {
            editFrame->positionGrid->commitEdit();
            run(s_, positionView());
        };
    };
    connect(editFrame->openButton, &QPushButton::clicked, this, &MainWindow::fileOpen);
    connect(editFrame->saveButton, &QPushButton::clicked, this, &MainWindow::fileSaveAs);
    connect(editFrame->readButton, &QPushButton::clicked, this,
            command(positions::readFromController));
    connect(editFrame->writeButton, &QPushButton::clicked, this,
            command(positions::writeToController));
    connect(editFrame->verifyButton, &QPushButton::clicked, this,
            command(positions::verifyPositions));
    connect(newAction, &QAction::triggered, this, &MainWindow::fileNew);
    connect(saveAction, &QAction::triggered, this, command(positions::savePositionFile));
    connect(saveAsAction, &QAction::triggered, this, &MainWindow::fileSaveAs);
    connect(verifyFileAction, &QAction::triggered, this,
            command(positions::verifyAgainstFileCommand));
    connect(verifyControllerAction, &QAction::triggered, this,
            command(positions::verifyAgainstControllerCommand));

    motion_ = new Motion(s_, *this, this);
    // A half-typed program step counts as typed when a motion starts.
    connect(moveFrame->homeButton, &QPushButton::clicked, this, [this] {
        moveFrame->programGrid->commitEdit();
        motion_->homeClicked();
    });
    connect(moveFrame->moveButton, &QPushButton::clicked, this, [this] {
        moveFrame->programGrid->commitEdit();
        motion_->moveClicked();
    });
    connect(moveFrame->selectedMoveButton, &QPushButton::clicked, this, [this] {
        moveFrame->programGrid->commitEdit();
        motion_->selectMoveClicked();
    });
    connect(moveFrame->pauseButton, &QPushButton::clicked, motion_, &Motion::pauseClicked);
    connect(moveFrame->stopButton, &QPushButton::clicked, motion_, &Motion::stopClicked);
    connect(moveFrame->timerBox, &QCheckBox::toggled, this, [this](bool on) {
        if (!on) motion_->timerUseCleared();
    });
    showIndicators();
}

// ---------------------------------------------------------------- the frames' controls

Lamp *MainWindow::portLamp() const {
    return statusFrame->portLampImage;
}

Lamp *MainWindow::homeLamp() const {
    return statusFrame->homeLampImage;
}

Lamp *MainWindow::outLamp(int n) const {
    return n == 2 ? moveFrame->out2LampImage : moveFrame->out1LampImage;
}

Lamp *MainWindow::alarmLamp() const {
    return statusFrame->alarmLampImage;
}

PositionGrid *MainWindow::positionGrid() const {
    return editFrame->positionGrid;
}

ProgramGrid *MainWindow::programGrid() const {
    return moveFrame->programGrid;
}

// ---------------------------------------------------------------- motion view

void MainWindow::setMotionTabsEnabled(bool on) {
    // Only the page switching is shut: Pause and Stop on the page stay live.
    moveFrame->motionTabs->tabBar()->setEnabled(on);
}

void MainWindow::setSelectiveTabEnabled(bool on) {
    moveFrame->motionTabs->setTabEnabled(1, on);
}

void MainWindow::showCompletedPosition(const QString &text) {
    moveFrame->completedLabel->setText(text);
}

bool MainWindow::repeatTicked() const {
    return moveFrame->repeatBox->isChecked();
}

bool MainWindow::timerTicked() const {
    return moveFrame->timerBox->isChecked();
}

bool MainWindow::stepModeSelected() const {
    return moveFrame->runModeOption[1]->isChecked();
}

QString MainWindow::dwellText() const {
    return moveFrame->dwellBox->text();
}

QString MainWindow::selectedText() const {
    return moveFrame->selectedBox->text();
}

bool MainWindow::moveButtonEnabled() const {
    return moveFrame->moveButton->isEnabled();
}

PositionView MainWindow::positionView() {
    PositionView v;
    v.bracket = wholeBracket();
    v.tableChanged = [this] { editFrame->positionGrid->redraw(); };
    v.programChanged = [this] { moveFrame->showProgram(); };
    v.fileLabelChanged = [this] { showFileLabel(); };
    v.deviceChanged = [this] { showDeviceDisplay(); };
    v.progress = progressWindow;
    return v;
}

void MainWindow::fileOpen() {
    editFrame->positionGrid->commitEdit();
    positions::openPositionFile(s_, positionView());
    refreshGrids();
}

void MainWindow::openPositionFile(const QString &path) {
    editFrame->positionGrid->commitEdit();
    positions::openPositionFile(s_, positionView(), path);
    refreshGrids();
}

void MainWindow::openParameterFile(const QString &path) {
    parametersAction->trigger();
    if (auto *editor = findChild<ParameterEditor *>()) editor->openFile(path);
}

void MainWindow::fileNew() {
    editFrame->positionGrid->commitEdit();
    PositionView v = positionView();
    bool cleared = false; // the user may keep the data at the save question
    v.programChanged = [this, &cleared] {
        cleared = true;
        moveFrame->showProgram();
    };
    positions::newPositionData(s_, v);
    if (cleared) moveFrame->programGrid->setCurrentCell(1, 1);
}

CommandBracket MainWindow::wholeBracket() {
    return {[this] {
                disableCommandButtons();
                disableToolBar();
                disableMenus();
                parameterEditorUsable(false);
            },
            [this] {
                enableCommandButtons();
                enableToolBar();
                enableMenus();
                parameterEditorUsable(true);
            }};
}

CommandBracket MainWindow::buttonsAndToolbar() {
    return {[this] {
                disableCommandButtons();
                disableToolBar();
                parameterEditorUsable(false);
            },
            [this] {
                enableCommandButtons();
                enableToolBar();
                parameterEditorUsable(true);
            }};
}

void MainWindow::parameterEditorUsable(bool on) {
    // The modeless editor could start its own exchange while ours waits.
    if (auto *editor = findChild<ParameterEditor *>()) editor->setEnabled(on);
}

void MainWindow::showIndicators() {
    const StatusIndicators &ind = s_.link.indicators;
    statusFrame->showIndicators();
    moveFrame->out1LampImage->setLit(ind.out1);
    moveFrame->out2LampImage->setLit(ind.out2);
    statusPanels[0]->setText(ind.versionPanel);
}

void MainWindow::resetClicked() {
    const bool edit = isEditMode();
    setUsable({statusFrame->resetButton, statusFrame->changeDeviceButton}, false);
    moveFrame->setEnabled(false);
    disableCommandButtons();
    disableToolBar();
    disableMenus();
    parameterEditorUsable(false);
    errorReset(s_.link);
    s_.link.closePortUnlessKept();
    if (edit) {
        setUsable({statusFrame->changeDeviceButton}, true);
        enableCommandButtons();
        enableToolBar();
        enableMenus();
    } else {
        moveFrame->setEnabled(true);
    }
    setUsable({statusFrame->resetButton, changeModeButton, viewMenu}, true);
    parameterEditorUsable(true);
}

QString MainWindow::tx(const char *ja, const char *en) const {
    return s_.tx(ja, en);
}

void MainWindow::loadErrorList() {
    s_.link.loadErrorList(s_.programFolder);
}

// ---------------------------------------------------------------- frames

QWidget *MainWindow::buildModeFrame() {
    QWidget *body = nullptr;
    modeFrame = makeFrame(this, "modeFrame", tx("モード選択", "Mode Select"), &body);
    editModeLabel = makeLabel(body, "editModeLabel", tx("ﾃﾞｰﾀ編集ﾓｰﾄﾞ", "Edit Mode"));
    moveModeLabel = makeLabel(body, "moveModeLabel", tx("移動ﾓｰﾄﾞ", "Move Mode"));
    for (QLabel *l : {editModeLabel, moveModeLabel}) {
        l->setAlignment(Qt::AlignCenter);
        l->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        l->setAutoFillBackground(true);
        l->setMinimumHeight(l->fontMetrics().height() + 12);
        l->setMargin(2);
    }
    changeModeButton = makeButton(body, "changeModeButton", tx("ﾓｰﾄﾞ切替", "Change Mode"));
    connect(changeModeButton, &QPushButton::clicked, this, &MainWindow::changeMode);

    auto *g = new QGridLayout(body);
    g->setContentsMargins(0, 0, 0, 0);
    g->setHorizontalSpacing(6);
    g->setVerticalSpacing(8);
    g->addWidget(editModeLabel, 0, 0);
    g->addWidget(moveModeLabel, 0, 1);
    g->addWidget(changeModeButton, 1, 0, 1, 2);
    return modeFrame;
}

// ---------------------------------------------------------------- grids

void MainWindow::refreshGrids() {
    editFrame->positionGrid->redraw();
    moveFrame->showProgram();
}

QString MainWindow::programCell(int step) const {
    return moveFrame->programCell(step);
}

void MainWindow::setProgramCell(int step, const QString &text) {
    moveFrame->setProgramCell(step, text);
}

void MainWindow::clearProgram() {
    moveFrame->clearProgram();
}

void MainWindow::fillProgram1toF() {
    moveFrame->fillProgram1toF();
}

// ---------------------------------------------------------------- device and file display

void MainWindow::showDeviceDisplay() {
    statusFrame->showDevice();
    const units::Ratios r = units::unitRatios(s_);
    statusPanels[1]->setText(r.mmToPulse);
    statusPanels[2]->setText(r.pulseToMm);
}

void MainWindow::showDeviceType() {
    statusFrame->showDeviceType();
}

void MainWindow::showFileLabel() {
    statusFrame->showFileLabel();
}

void MainWindow::changeDevice() {
    editFrame->positionGrid->commitEdit();
    setUsable({statusFrame->changeDeviceButton}, false);
    {
        DeviceDialog dlg(s_, this);
        s_.prompter.exec(dlg);
        if (device::applyDeviceChange(s_, dlg.cancelReport())) {
            units::recomputeMmColumn(s_, s_.positions);
            showDeviceDisplay();
        }
    }
    setUsable({statusFrame->changeDeviceButton}, true);
    refreshGrids();
}

// ---------------------------------------------------------------- modes and enable rules

bool MainWindow::isEditMode() const {
    return editModeLabel->isEnabled();
}

void MainWindow::changeMode() {
    editFrame->positionGrid->commitEdit();
    moveFrame->programGrid->commitEdit();
    applyMode(!isEditMode());
}

void MainWindow::applyMode(bool edit) {
    const bool move = !edit;
    styleModeLabel(editModeLabel, edit);
    styleModeLabel(moveModeLabel, move);

    const MovePanel &m = *moveFrame;
    moveFrame->setEnabled(move);
    setBoldFace(moveFrame, move);
    setUsable(QList<QWidget *>{m.dwellFrame,         m.selectedCaption,  m.completedCaption,
                               m.completedLabel,     m.repeatBox,        m.timerBox,
                               m.moveButton,         m.stopButton,       m.selectedMoveButton,
                               m.clearProgramButton, m.pauseButton,      m.homeButton,
                               m.fillProgramButton,  m.runModeOption[0], m.runModeOption[1],
                               m.outputsCaption,     m.out1Caption,      m.out2Caption,
                               m.out1LampImage,      m.out2LampImage,    m.programGrid,
                               m.motionTabs,         m.selectedSpinner},
              move);
    m.dwellCaption->setEnabled(move && m.timerBox->isChecked());
    m.dwellBox->setEnabled(move && m.timerBox->isChecked());

    const EditPanel &e = *editFrame;
    editFrame->setEnabled(edit);
    setBoldFace(editFrame, edit);
    setUsable(QList<QWidget *>{e.openButton, e.saveButton, e.writeButton, e.readButton,
                               e.verifyButton, e.roundingOption[0], e.roundingOption[1],
                               statusFrame->changeDeviceButton, e.positionGrid},
              edit);
    setUsable(toolbarButtons(), edit);
    setUsable(QList<QAction *>{newAction, openAction, readAction, saveAction, saveAsAction,
                               writeAction, verifyMenu, pageSetupAction, printAction, ioMenu,
                               outputChangeAction, ioMonitorAction, parametersAction, versionAction,
                               modeMenu},
              edit);
}

void MainWindow::setUsable(std::initializer_list<QObject *> items, bool on) {
    for (QObject *item : items)
        lock_.setUsable(item, on);
}

void MainWindow::registerLockedCommands() {
    // The log only shows what happened; reading it never touches the port.
    const QList<QAction *> exempt{exitAction, toolBarAction, statusBarAction,
                                  communicationLogAction};
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
        if (b->window() == this && b != moveFrame->pauseButton && b != moveFrame->stopButton)
            lock_.add(b);
}

QList<QWidget *> MainWindow::commandButtons() const {
    const EditPanel &e = *editFrame;
    return {e.openButton,    e.saveButton,   e.writeButton,
            e.readButton,    e.verifyButton, statusFrame->resetButton,
            changeModeButton};
}

QList<QAction *> MainWindow::toolbarButtons() const {
    QList<QAction *> out;
    for (QAction *a : toolBarActions)
        if (!a->isSeparator()) out << a;
    return out;
}

QList<QAction *> MainWindow::menuItems() const {
    return {newAction,   openAction,      readAction,  saveAction,    saveAsAction, verifyMenu,
            writeAction, pageSetupAction, printAction, versionAction, modeMenu,     viewMenu};
}

void MainWindow::disableCommandButtons() {
    setUsable(commandButtons(), false);
}
void MainWindow::enableCommandButtons() {
    setUsable(commandButtons(), true);
}
void MainWindow::disableToolBar() {
    setUsable(toolbarButtons(), false);
}
void MainWindow::enableToolBar() {
    setUsable(toolbarButtons(), true);
}
void MainWindow::disableMenus() {
    setUsable(menuItems(), false);
}
void MainWindow::enableMenus() {
    setUsable(menuItems(), true);
}

void MainWindow::disableModeMenu() {
    setUsable({modeMenu}, false);
}

void MainWindow::enableModeMenu() {
    setUsable({modeMenu}, true);
}

void MainWindow::lockMotionControls(bool lock) {
    const MovePanel &m = *moveFrame;
    setUsable(QList<QWidget *>{m.homeButton, m.selectedMoveButton, m.moveButton, changeModeButton,
                               m.clearProgramButton, m.fillProgramButton, m.timerBox, m.repeatBox,
                               statusFrame->resetButton, m.runModeOption[0], m.runModeOption[1]},
              !lock);
    // An unticked Timer keeps its dwell box shut even when the lock lifts.
    m.dwellBox->setEnabled(!lock && m.timerBox->isChecked());
    parameterEditorUsable(!lock);
}

// ---------------------------------------------------------------- closing

bool MainWindow::fileSaveAs() {
    editFrame->positionGrid->commitEdit();
    // Only a written file lets the caller go on: a cancelled dialog, a
    // refused table and a failed write all leave the edits unsaved.
    return positions::savePositionFileAs(s_, positionView()) == positions::SaveResult::Saved;
}

bool MainWindow::confirmClose() {
    if (s_.controllerBusy()) return false;
    s_.exitCancelled = false;
    // The question depends on the changed tag, which an open edit has yet
    // to set.
    editFrame->positionGrid->commitEdit();
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

void MainWindow::unload() {
    // A port chosen on the command line is for that run; one chosen in the
    // options since is the user's new setting.
    if (s_.portForThisRun != s_.link.portNumber)
        s_.settings.write(QStringLiteral("PortNo"), s_.link.portNumber);
    // A language chosen in the options takes effect at the next start.
    const int language = s_.languageChangePending ? (s_.lang.code() == 1 ? 2 : 1) : s_.lang.code();
    s_.settings.write(QStringLiteral("Languege"), language);
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w != this && w->isVisible()) w->close();
}

void MainWindow::closeEvent(QCloseEvent *event) {
    if (!confirmClose()) {
        event->ignore();
        return;
    }
    unload();
    event->accept();
}
