#pragma once

// ParameterEditor: the modeless parameter editor. The rules behind its fields
// live in parameter_fields.h, its six buttons run the procedures of
// parameter_transfer.h; this window only shows, filters keys and brackets.

#include "common/command_bracket.h"
#include "parameters/parameter_transfer.h"
#include "widgets/command_lock.h"

#include <QWidget>
#include <functional>

struct AppState;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class ProgressWindow;

class ParameterEditor : public QWidget {
    Q_OBJECT
public:
    explicit ParameterEditor(AppState &s, QWidget *mainWindow = nullptr);

    // Shows the rows of parameters 11 to 13 or not, as the details option
    // says now; the window takes the matching height.
    void applyDetailsOption();

    ParameterFields fields() const;
    void showFields(const ParameterFields &f);
    ParameterView view();

    // Disable / enable the six file and controller buttons.
    void disableFileAndControllerButtons();
    void enableFileAndControllerButtons();

    // The main window's commands, shut while this window works: the editor
    // is modeless, and a main window exchange started meanwhile would be
    // refused by the link halfway through.
    CommandBracket mainWindowBusy;

    QLineEdit *field(int f) const { return fieldBoxes_[f]; }

    // The Open button with its file already chosen (the command line).
    void openFile(const QString &path);

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
    void runBracketed(const std::function<void()> &work, bool controller);
    QWidget *owner();

    AppState &s_;
    CommandLock lock_;
    bool details_ = false;
    bool sensorFlag_ = false;
    ProgressWindow *progress_ = nullptr;

    QGroupBox *parametersFrame_ = nullptr;
    QLabel *defaultHint_ = nullptr;
    QPushButton *defaultButton_ = nullptr;
    QPushButton *calculatorButton_ = nullptr;
    QLineEdit *fieldBoxes_[ParameterFields::Count] = {};
    QLabel *fieldLabels_[ParameterFields::Count] = {};
    QLabel *outLabel_ = nullptr;
    QLabel *bkLabel_ = nullptr;
    QLabel *unitLabels_[3] = {};
    QLabel *homingLabel_ = nullptr;
    QLabel *homingNoteLabel_ = nullptr;
    QRadioButton *homingOption_[2] = {};
    QLabel *homingNote_[2] = {};
    QCheckBox *defaultBox_ = nullptr;
    QTabWidget *tabs_ = nullptr;
    QPushButton *fileButtons_[3] = {};       // Open, Save, Verify
    QPushButton *controllerButtons_[3] = {}; // Read, Write, Verify
};

// View > Parameter: shows the one editor of the main window, creating it the
// first time, 500 twips right of and below the main window's corner.
void showParameterEditor(AppState &s, QWidget *mainWindow,
                         const CommandBracket &mainWindowBusy = {});
