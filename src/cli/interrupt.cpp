#include "cli/interrupt.h"

#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int pipeFds[2] = {-1, -1};

void onSignal(int sig) {
    const char c = char(sig);
    [[maybe_unused]] const auto n = ::write(pipeFds[1], &c, 1);
}

void install(int sig, void (*handler)(int)) {
    struct sigaction sa = {};
    sa.sa_handler = handler;
    sigemptyset(&sa.sa_mask);
    // No SA_RESTART: a question waiting on the terminal gives up at Ctrl+C.
    sa.sa_flags = 0;
    sigaction(sig, &sa, nullptr);
}

} // namespace

InterruptWatch::InterruptWatch(QObject *parent) : QObject(parent) {
    if (::pipe(pipeFds) != 0) return;
    for (int fd : pipeFds)
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    notifier_ = new QSocketNotifier(pipeFds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &InterruptWatch::onReadable);
    install(SIGINT, onSignal);
    install(SIGTERM, onSignal);
}

InterruptWatch::~InterruptWatch() {
    install(SIGINT, SIG_DFL);
    install(SIGTERM, SIG_DFL);
    delete notifier_;
    for (int &fd : pipeFds) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
}

void InterruptWatch::onReadable() {
    char buf[16];
    while (::read(pipeFds[0], buf, sizeof buf) > 0) {
    }
    if (requested_) {
        // Asked twice: the user does not want to wait for the clean stop.
        install(SIGINT, SIG_DFL);
        ::raise(SIGINT);
        return;
    }
    requested_ = true;
    emit interrupted();
}
