#pragma once

// frmParameta: the modeless parameter editor. The rules behind its fields
// live in parameter_fields.h, its six buttons run the procedures of
// parameter_transfer.h; this window only shows, filters keys and brackets.

#include "common/command_bracket.h"
#include "parameters/parameter_transfer.h"
#include "widgets/command_lock.h"

#include <QWidget>

struct AppState;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class frmProgress;

class frmParameta : public QWidget {
    Q_OBJECT
public:
    explicit frmParameta(AppState &s, QWidget *mainWindow = nullptr);

    // Shows the rows of parameters 11 to 13 or not, as the details option
    // says now; the window takes the matching height.
    void applyDetailsOption();

    ParaFields fields() const;
    void showFields(const ParaFields &f);
    ParameterView view();

    // Disable / enable the six file and controller buttons.
    void ParametaCMDBTN_Muko();
    void ParametaCMDBTN_Yuko();

    // The main window's commands, shut while this window works: the editor
    // is modeless, and a main window exchange started meanwhile would be
    // refused by the link halfway through.
    CommandBracket mainWindowBusy;

    QLineEdit *field(int f) const { return txtPara_[f]; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildWindow();
    void setCaptions();
    void layOut();
    void focusAfter(int f);
    void defaultCheckClicked(bool checked);
    void loadDefaultClicked();
    void calculateClicked();
    void run(void (*procedure)(AppState &, const ParameterView &), bool controller);
    QWidget *owner();

    AppState &s_;
    CommandLock lock_;
    bool details_ = false;
    bool sensorFlag_ = false;
    frmProgress *progress_ = nullptr;

    QGroupBox *framPara_ = nullptr;
    QLabel *lblDefaultHint_ = nullptr;
    QPushButton *cmdLoadDefoultPara_ = nullptr;
    QPushButton *cmdSelectDevice_ = nullptr;
    QLineEdit *txtPara_[ParaFields::Count] = {};
    QLabel *lblPara_[ParaFields::Count] = {};
    QLabel *lblOut_ = nullptr;
    QLabel *lblBk_ = nullptr;
    QLabel *lblUnit_[3] = {};
    QLabel *lblPara10_ = nullptr;
    QLabel *lblPara10Note_ = nullptr;
    QRadioButton *optHome_[2] = {};
    QLabel *lblHomeNote_[2] = {};
    QCheckBox *chkUseDefoult_ = nullptr;
    QTabWidget *tabPara_ = nullptr;
    QPushButton *cmdFile_[3] = {};       // Open, Save, Verify
    QPushButton *cmdController_[3] = {}; // Read, Write, Verify
};

// View > Parameter: shows the one editor of the main window, creating it the
// first time, 500 twips right of and below the main window's corner.
void showParameterEditor(AppState &s, QWidget *mainWindow,
                         const CommandBracket &mainWindowBusy = {});
