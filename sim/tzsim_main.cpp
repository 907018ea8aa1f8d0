// tzsim: serves the simulated controller on a pty. Point the program (or a
// terminal program) at the device path it prints, and type the scripting
// commands of SimServer::command on its standard input.

#include "sim_server.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char c = 1;
    [[maybe_unused]] const auto n = ::write(signalPipe[1], &c, 1);
}

void say(const QString &text) {
    std::fputs(text.toLocal8Bit().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("tzsim");

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Simulated TZ position controller on a pseudo-terminal.\n"
        "Prints the device path to connect to, then reads commands from standard input.\n"
        "The controller answers lines ending in CR LF (a lone CR or LF is accepted too,\n"
        "so lines typed in a terminal program work).\n\n" +
        SimServer::scriptHelp());
    parser.addHelpOption();
    const QCommandLineOption linkOpt("link", "Also make PATH a symbolic link to the device.",
                                     "PATH");
    const QCommandLineOption fastOpt("fast", "Answer at once instead of at 9600 baud.");
    const QCommandLineOption scaleOpt("move-scale",
                                      "Multiply the time moves take by X (default 1).", "X");
    parser.addOption(linkOpt);
    parser.addOption(fastOpt);
    parser.addOption(scaleOpt);
    parser.process(app);

    SimServer server;
    server.setPaced(!parser.isSet(fastOpt));
    if (parser.isSet(scaleOpt)) {
        bool ok = false;
        const double s = parser.value(scaleOpt).toDouble(&ok);
        if (!ok || s < 0) {
            std::fprintf(stderr, "tzsim: --move-scale needs a number of at least 0\n");
            return 2;
        }
        server.setMoveTimeScale(s);
    }
    if (!server.start()) {
        std::fprintf(stderr, "tzsim: cannot open a pseudo-terminal\n");
        return 1;
    }
    if (parser.isSet(linkOpt) && !server.createLink(parser.value(linkOpt))) {
        std::fprintf(stderr, "tzsim: cannot create the link %s\n",
                     qPrintable(parser.value(linkOpt)));
        return 1;
    }
    say("tzsim: serving on " + server.devicePath());
    QObject::connect(&server, &SimServer::quitRequested, &app, &QCoreApplication::quit);

    // Ctrl+C and kill end the event loop, so the link is removed on the way out.
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) == 0) {
        std::signal(SIGINT, onSignal);
        std::signal(SIGTERM, onSignal);
        std::signal(SIGHUP, onSignal);
        auto *sn = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(sn, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    }

    // Standard input: scripting commands. At its end the simulator keeps
    // serving, so it can also run in the background.
    QByteArray pending;
    auto *in = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, &app);
    QObject::connect(in, &QSocketNotifier::activated, &app, [&] {
        char buf[512];
        const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
        if (n <= 0) {
            in->setEnabled(false);
            return;
        }
        pending.append(buf, n);
        qsizetype eol;
        while ((eol = pending.indexOf('\n')) >= 0) {
            const QString line = QString::fromLocal8Bit(pending.left(eol)).trimmed();
            pending.remove(0, eol + 1);
            const QString reply = server.command(line);
            if (!reply.isEmpty()) say(reply);
        }
    });

    return app.exec();
}
