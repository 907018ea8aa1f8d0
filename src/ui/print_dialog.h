#pragma once

// PrintSelectionDialog: the print selection dialog. The user ticks what to print (the
// position table, the parameters or both) and where each comes from; OK
// refuses a "File" source whose file was never chosen and stays open.

#include <QDialog>

#include <QString>
#include <array>

struct AppState;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;

// What the user chose. OK clears every flag before it sets the chosen ones.
struct PrintChoice {
    bool cancelled = false;
    bool posFromGrid = false;
    bool posFromFile = false;
    bool paraFromController = false;
    bool paraFromFile = false;
    QString posPath, posTitle; // full path and bare file name
    QString paraPath, paraTitle;
};

class PrintSelectionDialog : public QDialog {
    Q_OBJECT
public:
    PrintSelectionDialog(AppState &s, PrintChoice &choice, QWidget *parent = nullptr);

private:
    // One source: its check box, the two option buttons, the file label and
    // Browse. Both sources follow the same enable rules.
    struct Source {
        QCheckBox *box = nullptr;
        QRadioButton *options[2] = {};
        QButtonGroup *group = nullptr;
        QLabel *fileNameLabel = nullptr;
        QPushButton *browseButton = nullptr;
        QString placeholder;
    };

    void buildSource(Source &src, const std::array<const char *, 5> &names);
    void checkToggled(Source &src, const Source &other);
    void optionSelected(Source &src);
    void browse(Source &src, bool positions);
    bool fileOk(const Source &src, const QString &path) const;
    void okClicked();

    AppState &s_;
    PrintChoice &choice_;
    Source positions_;
    Source parameters_;
    QLabel *promptLabel_ = nullptr;
    QPushButton *okButton_ = nullptr;
    QPushButton *cancelButton_ = nullptr;
};
