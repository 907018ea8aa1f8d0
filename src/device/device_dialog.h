#pragma once

// DeviceDialog: the modal device selection dialog. It fills the candidate
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

class DeviceDialog : public QDialog {
    Q_OBJECT
public:
    explicit DeviceDialog(AppState &s, QWidget *parent = nullptr);
    ~DeviceDialog() override;
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

    QLabel *explanationLabel_ = nullptr;
    QGroupBox *familyFrame_ = nullptr;
    QRadioButton *familyOption_[2] = {};
    QGroupBox *typeFrame_ = nullptr;
    QRadioButton *typeOption_[2] = {};
    QCheckBox *oldTypeBox_ = nullptr;
    QLabel *lblSize_ = nullptr;
    QLabel *lblSpeed_ = nullptr;
    QLabel *lblStroke_ = nullptr;
    QComboBox *sizeList_ = nullptr;
    QComboBox *speedList_ = nullptr;
    QComboBox *strokeList_ = nullptr;
    QGroupBox *homingFrame_ = nullptr;
    QRadioButton *homingOption_[2] = {};
    QLabel *homingNote_[2] = {};
    QPushButton *okButton_ = nullptr;
    QPushButton *cancelButton_ = nullptr;
};
