#pragma once

// frmDevice2: the modal device selection dialog. It fills the candidate
// device (and the device's verticalSpec) of AppState; adopting the candidate
// is device::applyDeviceChange's work.

#include <QDialog>

struct AppState;

class frmDevice2 : public QDialog {
    Q_OBJECT
public:
    explicit frmDevice2(AppState &s, QWidget *parent = nullptr);
    // True after Cancel (or closing the window), false after OK.
    bool cancelReport() const { return cancelled_; }

private:
    AppState &s_;
    bool cancelled_ = true;
};
