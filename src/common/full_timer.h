#pragma once

// A single-shot timer that never fires before its interval has passed.
//
// Qt's default timers may fire up to 5 % early, and even a precise timer
// rounds to whole milliseconds; a dwell, a reply time-out or the splash that
// ends early is a wrong result, not a rounding. This one checks a monotonic
// deadline when the underlying timer fires and waits out any remainder.

#include <QDeadlineTimer>
#include <QObject>

class QTimer;

class FullTimer : public QObject {
    Q_OBJECT
public:
    explicit FullTimer(QObject *parent = nullptr);

    // (Re)starts the countdown; a running one is forgotten.
    void start(int ms);
    void stop();
    bool isActive() const;

    // Blocks, keeping the event loop running, until ms have passed.
    static void waitFull(int ms);

signals:
    void timeout();

private:
    void check();

    QTimer *timer_;
    QDeadlineTimer deadline_;
};
