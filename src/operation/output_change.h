#pragma once

// The output change window: reads OUT1, OUT2 and the two drive options with
// "0RS", lets the user change them on screen, and writes them back with one
// "0WS". Nothing is sent until Change is pressed.

#include "common/command_bracket.h"
#include "operation/io_bits.h"

#include <QDialog>

struct AppState;
class Lamp;
class QCheckBox;
class QPushButton;

class OutputChangeDialog : public QDialog {
    Q_OBJECT
public:
    OutputChangeDialog(AppState &s, const CommandBracket &bracket, QWidget *parent = nullptr);
    ~OutputChangeDialog() override;

    // Asks, then reads the controller's state into the window. Runs when the
    // window opens; until it succeeds the outputs show as unknown and
    // nothing can be changed or written.
    void readPresentState();
    // The Change button: writes the window's state with "0WS"; nothing
    // before a read has succeeded.
    void writeState();

    Lamp *outputLamp(int n) const { return outputLamp_[n]; } // 0: OUT1, 1: OUT2
    QCheckBox *brakeBox() const { return brakeBox_; }
    QCheckBox *currentDownBox() const { return currentDownBox_; }
    QPushButton *changeButton() const { return changeButton_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showStateUnknown();
    void setOutput(int n, bool on);
    // readDigit: the option digit a read delivered, 0 when the user clicked.
    void setBrakeTip(int readDigit);
    void setCurrentDownTip(int readDigit);
    io::OutputStatus shownStatus() const;

    AppState &s_;
    CommandBracket bracket_;
    bool stateRead_ = false;
    Lamp *outputLamp_[2] = {};
    QCheckBox *brakeBox_;
    QCheckBox *currentDownBox_;
    QPushButton *changeButton_;
};

// View > Input/Output > Change Out.
void showOutputChange(AppState &s, QWidget *mainWindow, const CommandBracket &bracket);
