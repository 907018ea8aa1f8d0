#pragma once

// OptionsDialog: View > Option. Port number and keep-open, parameter details,
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
class QTreeWidget;
class UpDown;

class OptionsDialog : public QDialog {
    Q_OBJECT
public:
    OptionsDialog(AppState &s, QWidget *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildWindow();
    void setCaptions();
    void load();
    void changeBkClicked();
    void showPortDevice();
    void fillPortList();
    void okClicked();

    AppState &s_;

    QTabWidget *tabs_ = nullptr;
    QLabel *portCaption_ = nullptr;
    QLineEdit *portBox_ = nullptr;
    UpDown *portSpinner_ = nullptr;
    QLabel *portDeviceLabel_ = nullptr;
    QTreeWidget *portList_ = nullptr;
    QCheckBox *keepPortOpenBox_ = nullptr;
    QLabel *detailsCaution_ = nullptr;
    QCheckBox *detailsBox_ = nullptr;
    QLabel *brakeCaution_ = nullptr;
    QCheckBox *brakeOverrideBox_ = nullptr;
    QGroupBox *brakeFrame_ = nullptr;
    QLabel *brakeCaption_ = nullptr;
    QLineEdit *brakeBox_ = nullptr;
    UpDown *brakeSpinner_ = nullptr;
    QGroupBox *languageFrame_ = nullptr;
    QRadioButton *languageOption_[2] = {};
    QPushButton *okButton_ = nullptr;
    QPushButton *cancelButton_ = nullptr;
    QPushButton *closeButton_ = nullptr;
};

// Opens the dialog modally; while a language change waits for the next
// start, every closing of the dialog reminds the user to restart.
void showOptions(AppState &s, QWidget *mainWindow);
