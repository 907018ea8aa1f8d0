#pragma once

// frmAbout: Help > About, the tool's name, version and notice, with OK and
// System Info. Help > Contents lives here too: both are the Help menu's.

#include <QDialog>

struct AppState;
class QLabel;
class QPushButton;

class frmAbout : public QDialog {
    Q_OBJECT
public:
    frmAbout(AppState &s, QWidget *mainWindow = nullptr);

private:
    AppState &s_;
    QLabel *lblTitle_ = nullptr;
    QLabel *lblVersion_ = nullptr;
    QLabel *lblDescription_ = nullptr;
    QLabel *lblDisclaimer_ = nullptr;
    QLabel *lblURL_ = nullptr;
    QPushButton *cmdOK_ = nullptr;
    QPushButton *cmdSysInfo_ = nullptr;
};

// Starts the system information tool, or says that there is none.
void startSysInfo(AppState &s);

void showAbout(AppState &s, QWidget *mainWindow);

// Opens the help file in the platform's viewer, or says that there is none.
void showHelpContents(AppState &s, QWidget *mainWindow);
