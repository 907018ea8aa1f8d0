#pragma once

// frmDataEdit: the main window's Edit Mode frame. The five file and
// controller buttons, the mm rounding choice and the position grid.
//
// The frame builds and lays out its controls and keeps the rounding choice in
// s.roundUpHalves; what the buttons do, and when they may be pressed, is the
// main window's, which is why the controls are public.

#include <QGroupBox>

struct AppState;
class PositionGrid;
class QPushButton;
class QRadioButton;

class EditPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit EditPanel(AppState &s, QWidget *parent = nullptr);

    QPushButton *cmdFileOpen = nullptr;
    QPushButton *cmdSaveFile = nullptr;
    QPushButton *cmdGetfromCt = nullptr;
    QPushButton *cmdLoadtoCt = nullptr;
    QPushButton *cmdPosiDataShogo = nullptr;
    // Round up, round down.
    QRadioButton *optSutiSyori[2] = {};
    PositionGrid *flgdData = nullptr;

private:
    QString tx(const char *ja, const char *en) const;
    void layoutPositionGrid();

    AppState &s_;
};
