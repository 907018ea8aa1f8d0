#pragma once

// frmMain: the program's one top-level window, with its Edit and Move modes.
//
// Controls keep the names they have always had (cmdFileOpen, flgdData,
// mnuFileNew ...) both as members and as object names, so a reader finds
// each rule by its name and tests find each control with findChild.

#include "common/command_bracket.h"
#include "operation/motion.h"
#include "widgets/command_lock.h"
#include "ui/program_grid.h"
#include <QList>

#include <QMainWindow>

struct AppState;
class Lamp;
class PositionGrid;
struct PositionView;
class frmProgress;
class UpDown;
class QAction;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTableWidget;
class QToolBar;

class frmMain : public QMainWindow, public MotionView {
    Q_OBJECT
public:
    // Runs the window's load sequence (settings, captions, grids, title).
    explicit frmMain(AppState &s, QWidget *parent = nullptr);

    // Model label, type selector, old-type marker, status panels 2 and 3.
    void showDeviceDisplay();
    // Type selector and old-type marker alone: a failed restore still decides
    // them, while the model name and the ratios have nothing to show.
    void showDeviceType();
    // Both grids from the run-wide position table and program.
    void refreshGrids();
    // cmdChangeDev: device dialog, then applying the change.
    void changeDevice();
    // s.fileLabel into lblFileName.
    void showFileLabel();

    bool isEditMode() const;
    // cmdModeChange: Edit Mode <-> Move Mode.
    void changeMode();

    void CMDBTN_Muko();
    void CMDBTN_Yuko();
    void ToolBar_Muko();
    void ToolBar_Yuko();
    void Menyu_Muko();
    void Menyu_Yuko();
    void CTModeChange_Muko();
    void CTModeChange_Yuko();
    // The motion controls, locked while a motion runs (Pause and Stop stay).
    void lockMotionControls(bool lock) override;

    // Toolbar click by button key; an unknown key does nothing.
    void toolbarButtonClick(const QString &key);

    // Program grid steps 1..15: "" or one position digit "1".."F". Setting a
    // step also sets it in s.program, which the position file carries.
    QString programCell(int step) const override;
    void setProgramCell(int step, const QString &text);
    void clearProgram();
    void fillProgram1toF();

    // Save As of the position file; false when the user cancelled it.
    bool fileSaveAs();

    Lamp *portLamp() const { return imgPort; }
    Lamp *homeLamp() const { return imgHome; }
    Lamp *outLamp(int n) const { return n == 2 ? imgOut2 : imgOut1; }
    Lamp *alarmLamp() const { return imgAlarm; }
    // Status bar panels 1 to 3.
    QLabel *statusPanel(int n) const;
    PositionGrid *positionGrid() const { return flgdData; }
    ProgramGrid *programGrid() const { return flgdProgram; }
    // Homing, moves and the program run of Move Mode.
    Motion *motion() const { return motion_; }

    // MotionView: what the motion procedures read and set in this window.
    void setMotionTabsEnabled(bool on) override;
    void setSelectiveTabEnabled(bool on) override;
    void disableModeMenu() override { CTModeChange_Muko(); }
    void showCompletedPosition(const QString &text) override;
    bool repeatTicked() const override;
    bool timerTicked() const override;
    bool stepModeSelected() const override;
    QString dwellText() const override;
    QString selectedText() const override;
    bool moveButtonEnabled() const override;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    QMenu *createPopupMenu() override { return nullptr; }

    // Lamps, alarm number and text, version panel from s.link.indicators.
    void showIndicators();
    // cmdReset: clears the controller's error.
    void resetClicked();

private:
    CommandBracket wholeBracket();
    // What the position operations need of this window: the whole bracket,
    // the redraws and the progress window.
    PositionView positionView();
    void fileOpen();
    void fileNew();
    void showProgram();
    // txtTimer's Enter: keeps 0..999, empties anything else with a beep.
    void dwellEntered();
    CommandBracket buttonsAndToolbar();
    // The parameter editor, when open, is shut while this window works.
    void parameterEditorUsable(bool on);

    QString tx(const char *ja, const char *en) const;
    QWidget *buildModeFrame();
    QWidget *buildStatusFrame();
    QWidget *buildEditFrame();
    QWidget *buildMoveFrame();
    QWidget *buildContinualPage();
    QWidget *buildSelectivePage();
    void buildMenus();
    void buildToolBar();
    void buildStatusBar();
    void layoutPositionGrid();
    void layoutProgramGrid();
    void sizeProgramColumns();
    void applyMode(bool edit);
    // Every enable and disable of a command goes through here, so that the
    // exchange lock holds whatever else asks (see CommandLock).
    void setUsable(std::initializer_list<QObject *> items, bool on);
    template <class List> void setUsable(const List &items, bool on) {
        for (auto *item : items)
            lock_.setUsable(item, on);
    }
    // Every command that could use the port or start an exchange: all but
    // Exit, the View toggles, Pause and Stop.
    void registerLockedCommands();
    // The members of the CMDBTN_, ToolBar_ and Menyu_ operations.
    QList<QWidget *> commandButtons() const;
    QList<QAction *> toolbarButtons() const;
    QList<QAction *> menuItems() const;
    void loadErrorList();
    // Closing: whether the user lets the window close.
    bool confirmClose();
    void unload();

    AppState &s_;

    QGroupBox *frmJog = nullptr;
    QLabel *lblMoveMode = nullptr;
    QLabel *lblEditMode = nullptr;
    QPushButton *cmdModeChange = nullptr;

    QGroupBox *frmTrancefer = nullptr;
    QLabel *lblShowDev = nullptr;
    QLabel *lblDeviceType = nullptr;
    QFrame *pictureSelectType = nullptr;
    QLabel *lblOldType = nullptr;
    QPushButton *cmdChangeDev = nullptr;
    QLabel *lblFilelabel = nullptr;
    QLabel *lblFileName = nullptr;
    QPushButton *cmdReset = nullptr;
    QLabel *lblHome = nullptr;
    Lamp *imgHome = nullptr;
    QLabel *lblJotai = nullptr;
    Lamp *imgPort = nullptr;
    QLabel *lblError = nullptr;
    Lamp *imgAlarm = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *lblAlarmNo = nullptr;
    QLabel *lblErrorComment = nullptr;

    QGroupBox *frmDataEdit = nullptr;
    QPushButton *cmdFileOpen = nullptr;
    QPushButton *cmdSaveFile = nullptr;
    QPushButton *cmdGetfromCt = nullptr;
    QPushButton *cmdLoadtoCt = nullptr;
    QPushButton *cmdPosiDataShogo = nullptr;
    QRadioButton *optSutiSyori[2] = {};
    PositionGrid *flgdData = nullptr;

    QGroupBox *frmMoveRepeat = nullptr;
    QTabWidget *SSTab1 = nullptr;
    ProgramGrid *flgdProgram = nullptr;
    QRadioButton *optSelectMode[2] = {};
    QPushButton *cmdMove = nullptr;
    QPushButton *cmdTmpStop = nullptr;
    QPushButton *cmdStop = nullptr;
    QPushButton *cmdDataClear = nullptr;
    QPushButton *cmdInp1toF = nullptr;
    QCheckBox *chkRepeat = nullptr;
    QFrame *frmTimer = nullptr;
    QCheckBox *chkTimerUse = nullptr;
    QLabel *lblTimer = nullptr;
    QLineEdit *txtTimer = nullptr;
    QLabel *lblSelect = nullptr;
    QLineEdit *txtNo = nullptr;
    UpDown *UpDown1 = nullptr;
    QLineEdit *txtHexNo = nullptr;
    QPushButton *cmdSelectMove = nullptr;
    QPushButton *cmdHome = nullptr;
    QLabel *lblKanryoiti = nullptr;
    QLabel *lblkanryoNo = nullptr;
    QLabel *lblOutput12 = nullptr;
    QLabel *lblOutLamp1 = nullptr;
    QLabel *lblOutLamp2 = nullptr;
    Lamp *imgOut1 = nullptr;
    Lamp *imgOut2 = nullptr;

    QToolBar *tbToolBar = nullptr;
    QList<QAction *> tbButtons; // buttons 1..9 at indices 0..8; 4 and 6 are separators

    QAction *mnuFile = nullptr;
    QAction *mnuFileNew = nullptr;
    QAction *mnuFileOpen = nullptr;
    QAction *mnuFileGetfromCt = nullptr;
    QAction *mnuFileSave = nullptr;
    QAction *mnuFileSaveAs = nullptr;
    QAction *mnuFileLoadtoCt = nullptr;
    QAction *mnuFileShogo = nullptr;
    QAction *mnuFileShogoFile = nullptr;
    QAction *mnuFileShogoCt = nullptr;
    QAction *mnuFilePageSetup = nullptr;
    QAction *mnuFilePrint = nullptr;
    QAction *mnuFileExit = nullptr;
    QAction *mnuView = nullptr;
    QAction *mnuViewToolBar = nullptr;
    QAction *mnuViewStatusBar = nullptr;
    QAction *mnuShowState = nullptr;
    QAction *mnuShowInpOutp = nullptr;
    QAction *mnuShowChangeOut = nullptr;
    QAction *mnuShowParameta = nullptr;
    QAction *mnuViewOption = nullptr;
    QAction *mnuShowCtversion = nullptr;
    QAction *mnuModeChange = nullptr;
    QAction *mnuModeTrancefer = nullptr;
    QAction *mnuModeGaibu = nullptr;
    QAction *mnuHelp = nullptr;
    QAction *mnuHelpContents = nullptr;
    QAction *mnuHelpAbout = nullptr;

    QLabel *sbPanel[3] = {};

    frmProgress *progressWindow = nullptr;
    Motion *motion_ = nullptr;
    CommandLock lock_;
};
