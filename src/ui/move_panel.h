#pragma once

// frmMoveRepeat: the main window's Move Mode frame. The continual page (the
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

    QTabWidget *SSTab1 = nullptr;
    ProgramGrid *flgdProgram = nullptr;
    // Continual, Step.
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

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString tx(const char *ja, const char *en) const;
    QWidget *buildContinualPage();
    QWidget *buildSelectivePage();
    void layoutProgramGrid();
    void sizeProgramColumns();
    // txtTimer's Enter: keeps 0..999, empties anything else with a beep.
    void dwellEntered();

    AppState &s_;
};
