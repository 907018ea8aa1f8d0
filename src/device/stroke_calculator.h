#pragma once

// frmDevice: the stroke-pulse calculator opened by the parameter editor's
// Calculate button. Input hands the result to the editor through `input`.

#include <QDialog>
#include <functional>

struct AppState;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class frmDevice : public QDialog {
    Q_OBJECT
public:
    frmDevice(AppState &s, QWidget *mainWindow, std::function<void(const QString &)> input);

    QString result() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildWindow();
    void setCaptions();
    void calculate();
    void inputClicked();

    AppState &s_;
    std::function<void(const QString &)> input_;
    QLineEdit *txtStrokeTyo_ = nullptr;
    QLineEdit *txtRido_ = nullptr;
    QLabel *lblStrokeTyo_ = nullptr;
    QLabel *lblRido_ = nullptr;
    QGroupBox *framActType_ = nullptr;
    QRadioButton *optActType_[2] = {};
    QLabel *lblTzStroke_ = nullptr;
    QLabel *lblStrokePulse_ = nullptr;
    QLabel *lblLeadNote_[4] = {};
    QPushButton *cmdCulStrokePulse_ = nullptr;
    QPushButton *cmdInputStroke_ = nullptr;
};
