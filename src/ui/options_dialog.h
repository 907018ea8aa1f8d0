#pragma once

// frmOption: View > Option. Port number and keep-open, parameter details,
// the brake/current-down override and the language of the next start. Only
// OK applies anything; Cancel and Close leave every value as it was.

#include <QDialog>

struct AppState;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class UpDown;

class frmOption : public QDialog {
    Q_OBJECT
public:
    frmOption(AppState &s, QWidget *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildWindow();
    void setCaptions();
    void load();
    void changeBkClicked();
    void showPortDevice();
    void okClicked();

    AppState &s_;

    QTabWidget *tabs_ = nullptr;
    QLabel *lblPortNo_ = nullptr;
    QLineEdit *txtPortNo_ = nullptr;
    UpDown *updPortNo_ = nullptr;
    QLabel *lblPortDevice_ = nullptr;
    QCheckBox *chkPortOccupy_ = nullptr;
    QLabel *lblParaTyuijikou_ = nullptr;
    QCheckBox *chkParametaShow_ = nullptr;
    QLabel *lblTyuijikou_ = nullptr;
    QCheckBox *chkChangeBk_ = nullptr;
    QGroupBox *framBreakesettei_ = nullptr;
    QLabel *lblBreakSet_ = nullptr;
    QLineEdit *txtBreakNo_ = nullptr;
    UpDown *updBreakNo_ = nullptr;
    QGroupBox *framLanguege_ = nullptr;
    QRadioButton *optLanguege_[2] = {};
    QPushButton *cmdOK_ = nullptr;
    QPushButton *cmdCancel_ = nullptr;
    QPushButton *cmdApply_ = nullptr;
};

// Opens the dialog modally; while a language change waits for the next
// start, every closing of the dialog reminds the user to restart.
void showOptions(AppState &s, QWidget *mainWindow);
