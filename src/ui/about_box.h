#pragma once

// AboutBox: Help > About, the tool's name, version and notice, with OK and
// System Info. Help > Contents lives here too: both are the Help menu's.

#include <QDialog>

struct AppState;
class QLabel;
class QPushButton;

class AboutBox : public QDialog {
    Q_OBJECT
public:
    AboutBox(AppState &s, QWidget *mainWindow = nullptr);

private:
    AppState &s_;
    QLabel *titleLabel_ = nullptr;
    QLabel *versionLabel_ = nullptr;
    QLabel *descriptionLabel_ = nullptr;
    QLabel *disclaimerLabel_ = nullptr;
    QLabel *addressLabel_ = nullptr;
    QPushButton *okButton_ = nullptr;
    QPushButton *systemInfoButton_ = nullptr;
};

// Starts the system information tool, or says that there is none.
void startSysInfo(AppState &s);

void showAbout(AppState &s, QWidget *mainWindow);

// Opens the help file in the platform's viewer, or says that there is none.
void showHelpContents(AppState &s, QWidget *mainWindow);
