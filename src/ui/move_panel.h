#pragma once

// moveFrame: the main window's Move Mode frame. The continual page (the
// program grid, continual or step, repeat, the timer and its dwell box, Move,
// Pause, Stop, Clear and "1 to F"), the selective page (a position number with
// its spinner and Move), Home, the completed-position field and the OUT lamps.
//
// The frame keeps the program grid and s.program in step and the rules of its
// own fields (the dwell box, the position number); the motions themselves and
// when each control may be used are the main window's, which is why the
// controls are public.

#include <QGroupBox>

struct AppState;
class Lamp;
class ProgramGrid;
class UpDown;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

class MovePanel : public QGroupBox {
    Q_OBJECT
public:
    explicit MovePanel(AppState &s, QWidget *parent = nullptr);

    // Program grid steps 1..15: "" or one position digit "1".."F". Setting a
    // step also sets it in s.program, which the position file carries.
    QString programCell(int step) const;
    void setProgramCell(int step, const QString &text);
    void clearProgram();
    void fillProgram1toF();
    // The grid from s.program.
    void showProgram();

    QTabWidget *motionTabs = nullptr;
    ProgramGrid *programGrid = nullptr;
    // Continual, Step.
    QRadioButton *runModeOption[2] = {};
    QPushButton *moveButton = nullptr;
    QPushButton *pauseButton = nullptr;
    QPushButton *stopButton = nullptr;
    QPushButton *clearProgramButton = nullptr;
    QPushButton *fillProgramButton = nullptr;
    QCheckBox *repeatBox = nullptr;
    QFrame *dwellFrame = nullptr;
    QCheckBox *timerBox = nullptr;
    QLabel *dwellCaption = nullptr;
    QLineEdit *dwellBox = nullptr;
    QLabel *selectedCaption = nullptr;
    QLineEdit *selectedBox = nullptr;
    UpDown *selectedSpinner = nullptr;
    QLineEdit *selectedHexBox = nullptr;
    QPushButton *selectedMoveButton = nullptr;
    QPushButton *homeButton = nullptr;
    QLabel *completedCaption = nullptr;
    QLabel *completedLabel = nullptr;
    QLabel *outputsCaption = nullptr;
    QLabel *out1Caption = nullptr;
    QLabel *out2Caption = nullptr;
    Lamp *out1LampImage = nullptr;
    Lamp *out2LampImage = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString tx(const char *ja, const char *en) const;
    QWidget *buildContinualPage();
    QWidget *buildSelectivePage();
    void layoutProgramGrid();
    void sizeProgramColumns();
    // dwellBox's Enter: keeps 0..999, empties anything else with a beep.
    void dwellEntered();

    AppState &s_;
};
