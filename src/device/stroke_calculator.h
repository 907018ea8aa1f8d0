#pragma once

// StrokeCalculator: the stroke-pulse calculator opened by the parameter editor's
// Calculate button. Input hands the result to the editor through `input`.

#include <QDialog>
#include <functional>

struct AppState;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class StrokeCalculator : public QDialog {
    Q_OBJECT
public:
    StrokeCalculator(AppState &s, QWidget *mainWindow, std::function<void(const QString &)> input);

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
    QLineEdit *strokeBox_ = nullptr;
    QLineEdit *leadBox_ = nullptr;
    QLabel *lblStrokeTyo_ = nullptr;
    QLabel *leadCaption_ = nullptr;
    QGroupBox *actuatorFrame_ = nullptr;
    QRadioButton *actuatorOption_[2] = {};
    QLabel *resultCaption_ = nullptr;
    QLabel *resultLabel_ = nullptr;
    QLabel *lblLeadNote_[4] = {};
    QPushButton *calculateButton_ = nullptr;
    QPushButton *inputButton_ = nullptr;
};
