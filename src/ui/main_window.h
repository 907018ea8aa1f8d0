#pragma once

// MainWindow: the program's one top-level window, with its Edit and Move modes.
// It composes the mode frame with the status, Edit Mode and Move Mode frames
// (status_panel.h, edit_panel.h, move_panel.h), owns the menus, toolbar and
// status bar, and keeps every rule that spans them: the command brackets,
// which controls each mode and each motion leaves usable, the exchange lock,
// and the closing sequence.
//
// Controls keep the names they have always had (openButton, positionGrid,
// newAction ...) both as members, of this window or of its frames, and as
// object names, so a reader finds each rule by its name and tests find each
// control with findChild.

#include "common/command_bracket.h"
#include "operation/motion.h"
#include "ui/program_grid.h"
#include "widgets/command_lock.h"
#include <QList>

#include <QMainWindow>

struct AppState;
class EditPanel;
class Lamp;
class MovePanel;
class PositionGrid;
struct PositionView;
class StatusPanel;
class ProgressWindow;
class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QToolBar;

class MainWindow : public QMainWindow, public MotionView {
    Q_OBJECT
public:
    // Runs the window's load sequence (settings, captions, grids, title).
    explicit MainWindow(AppState &s, QWidget *parent = nullptr);

    // Model label, type selector, old-type marker, status panels 2 and 3.
    void showDeviceDisplay();
    // Type selector and old-type marker alone: a failed restore still decides
    // them, while the model name and the ratios have nothing to show.
    void showDeviceType();
    // Both grids from the run-wide position table and program.
    void refreshGrids();
    // changeDeviceButton: device dialog, then applying the change.
    void changeDevice();
    // s.fileLabel into fileNameLabel.
    void showFileLabel();

    bool isEditMode() const;
    // changeModeButton: Edit Mode <-> Move Mode.
    void changeMode();

    void disableCommandButtons();
    void enableCommandButtons();
    void disableToolBar();
    void enableToolBar();
    void disableMenus();
    void enableMenus();
    void disableModeMenu() override;
    void enableModeMenu();
    // The motion controls, locked while a motion runs (Pause and Stop stay).
    void lockMotionControls(bool lock) override;

    // Toolbar click by button key; an unknown key does nothing.
    void toolbarButtonClick(const QString &key);

    // Program grid steps 1..15, as the Move Mode frame keeps them.
    QString programCell(int step) const override;
    void setProgramCell(int step, const QString &text);
    void clearProgram();
    void fillProgram1toF();

    // The files of the command line: File > Open and the parameter editor's
    // Open, each with its file already chosen.
    void openPositionFile(const QString &path);
    void openParameterFile(const QString &path);

    // Save As of the position file; false when the user cancelled it.
    bool fileSaveAs();

    Lamp *portLamp() const;
    Lamp *homeLamp() const;
    Lamp *outLamp(int n) const;
    Lamp *alarmLamp() const;
    // Status bar panels 1 to 3.
    QLabel *statusPanel(int n) const;
    // The status bar's word on the port after a failed open (hidden otherwise).
    QLabel *portFailurePanel() const { return portFailurePanel_; }
    PositionGrid *positionGrid() const;
    ProgramGrid *programGrid() const;
    // Homing, moves and the program run of Move Mode.
    Motion *motion() const { return motion_; }

    // MotionView: what the motion procedures read and set in this window.
    void setMotionTabsEnabled(bool on) override;
    void setSelectiveTabEnabled(bool on) override;
    void showCompletedPosition(const QString &text) override;
    bool repeatTicked() const override;
    bool timerTicked() const override;
    bool stepModeSelected() const override;
    QString dwellText() const override;
    QString selectedText() const override;
    bool moveButtonEnabled() const override;

protected:
    void closeEvent(QCloseEvent *event) override;
    QMenu *createPopupMenu() override { return nullptr; }

    // Lamps, alarm number and text, version panel from s.link.indicators.
    void showIndicators();
    // resetButton: clears the controller's error.
    void resetClicked();

private:
    CommandBracket wholeBracket();
    // What the position operations need of this window: the whole bracket,
    // the redraws and the progress window.
    PositionView positionView();
    void fileOpen();
    void fileNew();
    CommandBracket buttonsAndToolbar();
    // The parameter editor, when open, is shut while this window works.
    void parameterEditorUsable(bool on);

    QString tx(const char *ja, const char *en) const;
    QWidget *buildModeFrame();
    // The menus, toolbar and status bar (main_window_menus.cpp).
    void buildMenus();
    // What the View, controller mode, print and Help items run; the position
    // items are wired with their buttons.
    void connectMenuItems();
    void buildToolBar();
    void buildStatusBar();
    // Why the port could not be opened, until it opens again: status bar and lamp tip.
    void showPortFailure();
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

    QGroupBox *modeFrame = nullptr;
    QLabel *moveModeLabel = nullptr;
    QLabel *editModeLabel = nullptr;
    QPushButton *changeModeButton = nullptr;

    StatusPanel *statusFrame = nullptr;
    EditPanel *editFrame = nullptr;
    MovePanel *moveFrame = nullptr;

    QToolBar *toolBar = nullptr;
    QList<QAction *> toolBarActions; // buttons 1..9 at indices 0..8; 4 and 6 are separators

    QAction *fileMenu = nullptr;
    QAction *newAction = nullptr;
    QAction *openAction = nullptr;
    QAction *readAction = nullptr;
    QAction *saveAction = nullptr;
    QAction *saveAsAction = nullptr;
    QAction *writeAction = nullptr;
    QAction *verifyMenu = nullptr;
    QAction *verifyFileAction = nullptr;
    QAction *verifyControllerAction = nullptr;
    QAction *pageSetupAction = nullptr;
    QAction *printAction = nullptr;
    QAction *exitAction = nullptr;
    QAction *viewMenu = nullptr;
    QAction *toolBarAction = nullptr;
    QAction *statusBarAction = nullptr;
    QAction *ioMenu = nullptr;
    QAction *ioMonitorAction = nullptr;
    QAction *outputChangeAction = nullptr;
    QAction *parametersAction = nullptr;
    QAction *optionsAction = nullptr;
    QAction *versionAction = nullptr;
    QAction *communicationLogAction = nullptr;
    QAction *modeMenu = nullptr;
    QAction *communicationModeAction = nullptr;
    QAction *externalModeAction = nullptr;
    QAction *helpMenu = nullptr;
    QAction *helpContentsAction = nullptr;
    QAction *aboutAction = nullptr;

    QLabel *statusPanels[3] = {};
    QLabel *portFailurePanel_ = nullptr;

    ProgressWindow *progressWindow = nullptr;
    Motion *motion_ = nullptr;
    CommandLock lock_;
};
