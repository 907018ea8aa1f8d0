#pragma once

// editFrame: the main window's Edit Mode frame. The five file and
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

    QPushButton *openButton = nullptr;
    QPushButton *saveButton = nullptr;
    QPushButton *readButton = nullptr;
    QPushButton *writeButton = nullptr;
    QPushButton *verifyButton = nullptr;
    // Round up, round down.
    QRadioButton *roundingOption[2] = {};
    PositionGrid *positionGrid = nullptr;

private:
    QString tx(const char *ja, const char *en) const;
    void layoutPositionGrid();

    AppState &s_;
};
