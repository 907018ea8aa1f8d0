#pragma once

// frmDevice2: the modal device selection dialog. It fills the candidate
// device (and the device's verticalSpec) of AppState; adopting the candidate
// is device::applyDeviceChange's work.

#include "state/device_record.h"

#include <QDialog>

struct AppState;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

class frmDevice2 : public QDialog {
    Q_OBJECT
public:
    explicit frmDevice2(AppState &s, QWidget *parent = nullptr);
    ~frmDevice2() override;
    // True after Cancel (or closing the window), false after OK.
    bool cancelReport() const { return cancelled_; }

    // Cancel, the Escape key and the window's close box all end here.
    void reject() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildWindow();
    void setCaptions();
    void placeBesideParent();
    void openWithCurrentDevice();

    void refreshAll();
    void sizeChanged();
    void speedChanged();
    void fillSpeeds(const QString &size);
    void fillStrokes(const QString &size, const QString &speed);
    void setHomingChoice();

    void familyClicked(int index);
    void typeOptionClicked(int index);
    void oldTypeCheckClicked();
    void reloadForCandidate();
    void okClicked();

    void showTypeControls(bool on);
    void showHomeFrame(bool on);
    void setOldTypeControls(bool old);
    qint16 shownStroke() const;

    AppState &s_;
    bool cancelled_ = true;
    // What Cancel puts back: browsing other families reloads the run-wide
    // catalogue and rewrites the candidate as it goes.
    CandidateDevice savedCandidate_;
    DeviceCatalogue savedCatalogue_;

    QLabel *lblExplain_ = nullptr;
    QGroupBox *framTzSelect_ = nullptr;
    QRadioButton *optTzSelect_[2] = {};
    QGroupBox *framNewOrOld_ = nullptr;
    QRadioButton *optNewOrOld_[2] = {};
    QCheckBox *chkNewOrOld_ = nullptr;
    QLabel *lblSize_ = nullptr;
    QLabel *lblSpeed_ = nullptr;
    QLabel *lblStroke_ = nullptr;
    QComboBox *comboDeviceSize_ = nullptr;
    QComboBox *comboDeviceSpeed_ = nullptr;
    QComboBox *comboDeviceStroke_ = nullptr;
    QGroupBox *framHomeMethod_ = nullptr;
    QRadioButton *optHomeMethod_[2] = {};
    QLabel *lblHomeNote_[2] = {};
    QPushButton *cmdDeviceSet_ = nullptr;
    QPushButton *cmdDeviceCancel_ = nullptr;
};
