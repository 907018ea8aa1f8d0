#include "common/full_timer.h"

#include <QEventLoop>
#include <QTimer>

FullTimer::FullTimer(QObject *parent) : QObject(parent), timer_(new QTimer(this)) {
    timer_->setSingleShot(true);
    timer_->setTimerType(Qt::PreciseTimer);
    connect(timer_, &QTimer::timeout, this, &FullTimer::check);
}

void FullTimer::start(int ms) {
    deadline_ = QDeadlineTimer(qMax(ms, 0), Qt::PreciseTimer);
    timer_->start(qMax(ms, 0));
}

void FullTimer::stop() {
    timer_->stop();
}

bool FullTimer::isActive() const {
    return timer_->isActive();
}

void FullTimer::check() {
    const qint64 left = deadline_.remainingTimeNSecs();
    if (left > 0) {
        // Whole milliseconds, rounded up: the next check is at or past the deadline.
        timer_->start(int((left + 999999) / 1000000));
        return;
    }
    emit timeout();
}

void FullTimer::waitFull(int ms) {
    QEventLoop loop;
    FullTimer t;
    connect(&t, &FullTimer::timeout, &loop, &QEventLoop::quit);
    t.start(ms);
    loop.exec();
}
