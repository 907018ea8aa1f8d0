#pragma once

// The I/O monitor: a modal window of twelve lamps that, while monitoring is
// on, reads blocks "20" and "2F" every 300 ms. It is the only place where the
// program polls the controller.

#include "operation/io_bits.h"

#include <QDialog>
#include <array>

struct AppState;
class Lamp;
class QLabel;
class QPushButton;
class QTimer;

class IoMonitor : public QDialog {
    Q_OBJECT
public:
    explicit IoMonitor(AppState &s, QWidget *parent = nullptr);
    ~IoMonitor() override;

    bool isMonitoring() const { return monitoring_; }
    bool pollRunning() const { return pollRunning_; }
    Lamp *lamp(int signal) const { return signalLamp_.at(signal); }
    QPushButton *startStopButton() const { return startStopButton_; }
    QPushButton *closeButton() const { return closeButton_; }
    // Why the port could not be opened, as the main window's status bar says it.
    QLabel *portStatusLabel() const { return portStatus_; }

    // Every way of closing ends here: stops monitoring first.
    void done(int result) override;

private:
    void startStopClicked();
    void stopMonitoring();
    void finishStop();
    void pollTick();
    bool poll();
    void pollFailed();
    void showPortFailure();

    AppState &s_;
    bool monitoring_ = false;
    bool pollRunning_ = false;
    // Stop or close arrived while a poll was running: the poll lies below on
    // the call stack, so the rest of the stop happens when it returns.
    bool stopPending_ = false;
    bool closed_ = false;
    QTimer *pollTimer_;
    std::array<Lamp *, io::SignalCount> signalLamp_{};
    QPushButton *startStopButton_;
    QPushButton *closeButton_;
    QLabel *portStatus_;
};

// View > Input/Output > I/O Monitor.
void showIoMonitor(AppState &s, QWidget *mainWindow);
