#pragma once

// Ctrl+C (SIGINT) and SIGTERM reach the event loop as a signal: the handler
// only writes a byte to a pipe, and the loop that waits for a reply or a
// dwell turns it into interrupted(). A second Ctrl+C while the first is
// still being honoured ends the process at once, as users expect.

#include <QObject>

class QSocketNotifier;

class InterruptWatch : public QObject {
    Q_OBJECT
public:
    explicit InterruptWatch(QObject *parent = nullptr);
    ~InterruptWatch() override;

    bool requested() const { return requested_; }

signals:
    void interrupted();

private:
    void onReadable();

    QSocketNotifier *notifier_ = nullptr;
    bool requested_ = false;
};
