// Link performance against the controller simulator on a pty, through the
// program's own port code:
//   a. the full position table read, simulator paced at 9600 baud, against
//      its wire time and against a bare pty client on the same simulator;
//   b. round-trip time of a short exchange with the simulator unpaced;
//   c. CPU the main window takes while idle with the port kept open;
//   d. the table read of a. with the communication log window open against
//      the same read with it closed, runs interleaved;
//   e. resident memory while one million lines pass through the log, with
//      its window open.
// Prints a report and exits 0; exits 1 only when an exchange fails, since
// then no figure means anything.

#include "common/scripted_prompter.h"
#include "common/settings_store.h"
#include "sim_server.h"
#include "state/app_state.h"
#include "ui/communication_log_window.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QMap>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr double kBitsPerChar = 10.0; // 8N1
constexpr double kBaud = 9600.0;
constexpr int kTableRuns = 10;
constexpr int kLogRuns = 20; // each way: the figure to show is a 1 % difference
constexpr int kRoundTrips = 1000;
constexpr int kBlocks = 10;
constexpr int kWarmUp = 5; // per block
constexpr int kIdleMs = 10000;

double wireMs(qint64 chars) {
    return chars * kBitsPerChar * 1000.0 / kBaud;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Nearest-rank percentile.
double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    size_t rank = size_t(std::ceil(p / 100.0 * double(v.size())));
    return v[std::clamp<size_t>(rank, 1, v.size()) - 1];
}

double elapsedMs(const QElapsedTimer &t) {
    return t.nsecsElapsed() / 1e6;
}

struct Exchange {
    QString head;
    QString data;
    int replyLength;
};

// What the program sends to read the whole position table: positions 1 to F,
// then the version for the status bar.
std::vector<Exchange> tableRead() {
    std::vector<Exchange> out;
    for (int row = 1; row <= 15; ++row)
        out.push_back({QStringLiteral("0RP"), QString::number(row, 16).toUpper(), 16});
    out.push_back({QStringLiteral("0RV"), QString(), 8});
    return out;
}

// The least a client can do on the same pty: write the line, wait on the
// descriptor for CR LF. Whatever the program takes beyond this is its own.
class RawClient {
public:
    ~RawClient() { close(); }

    bool open(const QString &path) {
        fd_ = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd_ < 0) return false;
        termios t{};
        if (tcgetattr(fd_, &t) == 0) {
            cfmakeraw(&t);
            tcsetattr(fd_, TCSANOW, &t);
        }
        notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read);
        QObject::connect(notifier_, &QSocketNotifier::activated, [this] { onReadable(); });
        return true;
    }

    void close() {
        delete notifier_;
        notifier_ = nullptr;
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

    // The reply with its CR LF, or empty after 5 s.
    QByteArray exchange(const QByteArray &line) {
        buffer_.clear();
        done_ = false;
        firstMs = lastMs = 0;
        sentAt_.start();
        const QByteArray bytes = line + "\r\n";
        if (::write(fd_, bytes.constData(), bytes.size()) != bytes.size()) return {};
        QEventLoop loop;
        loop_ = &loop;
        // A timer object rather than QTimer::singleShot: a singleShot outlives
        // the loop it would quit, and a thousand of them pending would fire
        // during the idle measurement.
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
        guard.start(5000);
        if (!done_) loop.exec();
        loop_ = nullptr;
        return done_ ? buffer_ : QByteArray();
    }

    // Of the last exchange, from the write: when its first and its last
    // character arrived.
    double firstMs = 0;
    double lastMs = 0;

private:
    void onReadable() {
        char buf[256];
        ssize_t n;
        while ((n = ::read(fd_, buf, sizeof buf)) > 0) {
            if (buffer_.isEmpty()) firstMs = elapsedMs(sentAt_);
            lastMs = elapsedMs(sentAt_);
            buffer_.append(buf, n);
        }
        if (buffer_.endsWith("\r\n")) {
            done_ = true;
            if (loop_) loop_->quit();
        }
    }

    int fd_ = -1;
    QSocketNotifier *notifier_ = nullptr;
    QEventLoop *loop_ = nullptr;
    QByteArray buffer_;
    bool done_ = false;
    QElapsedTimer sentAt_;
};

struct Bench {
    QTemporaryDir dir;
    SettingsStore settings{dir.filePath(QStringLiteral("settings.ini"))};
    ScriptedPrompter prompter;
    AppState s{settings, prompter, QStringLiteral(TZC3_BUILD_DIR)};
    SimServer sim;
    bool failed = false;

    void fail(const QString &what) {
        if (!failed) std::fprintf(stderr, "link_bench: %s\n", qPrintable(what));
        failed = true;
    }

    // One exchange through the program's link; true on a reply of the
    // expected form.
    bool linkExchange(const Exchange &e) {
        s.link.replyTimeoutMs = 5000;
        if (s.link.transact(e.head, e.data, e.replyLength)) return true;
        fail(QStringLiteral("%1%2 failed: %3")
                 .arg(e.head, e.data, prompter.texts().join(QStringLiteral(" | "))));
        return false;
    }

    bool rawExchange(RawClient &raw, const Exchange &e) {
        const QByteArray reply = raw.exchange((e.head + e.data).toLatin1());
        if (reply.size() == e.replyLength && reply.startsWith(e.head.toLatin1())) return true;
        fail(QStringLiteral("raw %1%2 got '%3'")
                 .arg(e.head, e.data, QString::fromLatin1(reply.trimmed())));
        return false;
    }
};

// ------------------------------------------------------------------- a

void tableBench(Bench &b) {
    const std::vector<Exchange> table = tableRead();
    qint64 sent = 0, received = 0, replyChars = 0;
    for (const Exchange &e : table) {
        sent += e.head.size() + e.data.size() + 2;
        received += e.replyLength;
        replyChars += e.replyLength;
    }
    const double wire = wireMs(sent + received);

    b.sim.setPaced(true);
    std::vector<double> program, raw;
    std::vector<double> perExchangeExtra; // program minus raw, per exchange
    // Of the bare client: write to first character, and how far the reply's
    // stream runs beyond its paced length, per exchange.
    std::vector<double> turnaround, streamExcess;
    for (int run = 0; run < kTableRuns && !b.failed; ++run) {
        // Interleaved, so a slow spell of the machine hits both alike.
        RawClient client;
        if (!client.open(b.sim.devicePath())) {
            b.fail(QStringLiteral("cannot open %1").arg(b.sim.devicePath()));
            return;
        }
        QElapsedTimer t;
        t.start();
        for (const Exchange &e : table) {
            if (!b.rawExchange(client, e)) return;
            turnaround.push_back(client.firstMs);
            streamExcess.push_back(client.lastMs - client.firstMs - wireMs(e.replyLength - 1));
        }
        raw.push_back(elapsedMs(t));
        client.close();

        if (!b.s.link.openPort()) {
            b.fail(QStringLiteral("the link cannot open %1").arg(b.sim.devicePath()));
            return;
        }
        t.start();
        for (const Exchange &e : table)
            if (!b.linkExchange(e)) return;
        program.push_back(elapsedMs(t));
        b.s.link.closePort();
        perExchangeExtra.push_back((program.back() - raw.back()) / double(table.size()));
    }
    b.sim.setPaced(false);
    if (b.failed) return;

    const double prog = median(program);
    const double base = median(raw);
    const double replyWire = wireMs(replyChars);
    const auto [pmin, pmax] = std::minmax_element(program.begin(), program.end());
    std::printf("a. Position table read: 15 x \"0RP\" + \"0RV\", simulator paced at 9600 baud\n");
    std::printf("   characters: %lld sent + %lld received = %lld\n", (long long)sent,
                (long long)received, (long long)(sent + received));
    std::printf("   wire time (chars x 10 bits / 9600 baud)    %7.1f ms\n", wire);
    std::printf("   program, median of %d runs                 %7.1f ms = %.3f x wire time"
                "  (runs %.1f .. %.1f ms)\n",
                kTableRuns, prog, prog / wire, *pmin, *pmax);
    std::printf("   bare pty client on the same simulator      %7.1f ms = %.3f x wire time\n", base,
                base / wire);
    std::printf("   program / bare client                      %7.3f    (%+.2f ms per exchange)\n",
                prog / base, median(perExchangeExtra));
    std::printf("   goal: within 1.05 x wire time ............ %s\n",
                prog / wire <= 1.05 ? "met" : "MISSED");
    std::printf("   A pty takes the %lld command characters at once and only replies are paced,\n"
                "   one character time apart, also across replies; so the floor is the reply\n"
                "   wire time, %lld chars = %.1f ms: program %.3f x, bare client %.3f x.\n"
                "   Bare client per exchange (medians): first character %.2f ms after the\n"
                "   write, last one %+.2f ms behind its paced time (the simulator's\n"
                "   millisecond send timer).\n\n",
                (long long)sent, (long long)replyChars, replyWire, prog / replyWire,
                base / replyWire, median(turnaround), median(streamExcess));
}

// ------------------------------------------------------------------- b

void roundTripBench(Bench &b) {
    const Exchange version{QStringLiteral("0RV"), QString(), 8};
    b.sim.setPaced(false);

    // Blocks of the two clients in turn, so a busy spell of the machine
    // lands on both alike; each block starts with a few unmeasured trips.
    std::vector<double> raw, program;
    for (int block = 0; block < kBlocks && !b.failed; ++block) {
        RawClient client;
        if (!client.open(b.sim.devicePath())) {
            b.fail(QStringLiteral("cannot open %1").arg(b.sim.devicePath()));
            return;
        }
        for (int i = 0; i < kWarmUp + kRoundTrips / kBlocks; ++i) {
            QElapsedTimer t;
            t.start();
            if (!b.rawExchange(client, version)) return;
            if (i >= kWarmUp) raw.push_back(t.nsecsElapsed() / 1e3);
        }
        client.close();

        if (!b.s.link.openPort()) {
            b.fail(QStringLiteral("the link cannot open %1").arg(b.sim.devicePath()));
            return;
        }
        for (int i = 0; i < kWarmUp + kRoundTrips / kBlocks; ++i) {
            QElapsedTimer t;
            t.start();
            if (!b.linkExchange(version)) return;
            if (i >= kWarmUp) program.push_back(t.nsecsElapsed() / 1e3);
        }
        b.s.link.closePort();
    }
    if (b.failed) return;

    const double pm = median(program), rm = median(raw);
    std::printf("b. %d x \"0RV\" round trips, simulator unpaced\n", kRoundTrips);
    std::printf("   program            median %7.1f us   95th percentile %7.1f us\n", pm,
                percentile(program, 95));
    std::printf("   bare pty client    median %7.1f us   95th percentile %7.1f us\n", rm,
                percentile(raw, 95));
    std::printf("   port code overhead median %7.1f us per transaction (program - bare)\n\n",
                pm - rm);
}

// ------------------------------------------------------------------- c

struct CpuSample {
    double cpuMs;
    long voluntarySwitches;
};

CpuSample cpuNow() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    const auto ms = [](const timeval &tv) { return tv.tv_sec * 1e3 + tv.tv_usec / 1e3; };
    return {ms(u.ru_utime) + ms(u.ru_stime), u.ru_nvcsw};
}

// Counts the timer events the event loop delivers, by receiver, so that the
// idle wake-ups can be put down to their source.
class TimerCensus : public QObject {
public:
    QMap<QString, int> counts;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Timer) {
            QString who = QString::fromLatin1(watched->metaObject()->className());
            if (!watched->objectName().isEmpty()) who += u' ' + watched->objectName();
            ++counts[who];
        }
        return false;
    }
};

void idleBench(Bench &b) {
    b.settings.write(QStringLiteral("PortOccupy"), 1);
    MainWindow w(b.s);
    b.s.link.portOccupy = true;
    w.show();
    if (!b.s.link.openPort()) {
        b.fail(QStringLiteral("the link cannot open %1").arg(b.sim.devicePath()));
        return;
    }
    // Let the first paint and the start-up timers settle before measuring.
    {
        QEventLoop settle;
        QTimer::singleShot(500, &settle, &QEventLoop::quit);
        settle.exec();
    }

    TimerCensus census;
    qApp->installEventFilter(&census);
    const CpuSample before = cpuNow();
    QElapsedTimer wall;
    wall.start();
    QEventLoop loop;
    QTimer end;
    end.setObjectName(QStringLiteral("endOfMeasurement"));
    end.setSingleShot(true);
    end.setTimerType(Qt::PreciseTimer);
    QObject::connect(&end, &QTimer::timeout, &loop, &QEventLoop::quit);
    end.start(kIdleMs);
    loop.exec();
    const double wallMs = elapsedMs(wall);
    const CpuSample after = cpuNow();
    qApp->removeEventFilter(&census);
    const bool stillOpen = b.s.link.isPortOpen();
    b.s.link.closePort();

    const double cpu = after.cpuMs - before.cpuMs;
    const double pct = 100.0 * cpu / wallMs;
    std::printf("c. Idle main window (offscreen), port kept open, %.1f s of event loop\n",
                wallMs / 1000);
    std::printf("   process CPU %.1f ms = %.3f %% of one core; %ld voluntary context switches"
                " (%.1f wake-ups/s)\n",
                cpu, pct, after.voluntarySwitches - before.voluntarySwitches,
                (after.voluntarySwitches - before.voluntarySwitches) * 1000.0 / wallMs);
    QStringList timers;
    for (auto it = census.counts.cbegin(); it != census.counts.cend(); ++it)
        timers << QStringLiteral("%1 x%2").arg(it.key()).arg(it.value());
    std::printf("   timer events: %s\n",
                timers.isEmpty() ? "none" : qPrintable(timers.join(QStringLiteral(", "))));
    std::printf("   port still open at the end: %s\n", stillOpen ? "yes" : "NO");
    std::printf("   goal: below 1 %% .......................... %s\n\n",
                pct < 1.0 ? "met" : "MISSED");
}

// ------------------------------------------------------------------- d

void logWindowBench(Bench &b) {
    const std::vector<Exchange> table = tableRead();
    qint64 chars = 0;
    for (const Exchange &e : table)
        chars += e.head.size() + e.data.size() + 2 + e.replyLength;
    const double wire = wireMs(chars);
    MainWindow w(b.s);
    w.show();
    CommunicationLogWindow *log = showCommunicationLog(b.s, &w);

    b.sim.setPaced(true);
    std::vector<double> closed, open;
    for (int run = 0; run < 2 * kLogRuns && !b.failed; ++run) {
        // Alternating, so a slow spell of the machine hits both alike.
        const bool withWindow = run % 2 == 1;
        log->setVisible(withWindow);
        // The window draws what the last run added, and the showing or
        // hiding is painted, before the clock starts.
        if (withWindow) log->catchUp();
        {
            QEventLoop settle;
            QTimer::singleShot(150, &settle, &QEventLoop::quit);
            settle.exec();
        }
        if (!b.s.link.openPort()) {
            b.fail(QStringLiteral("the link cannot open %1").arg(b.sim.devicePath()));
            return;
        }
        QElapsedTimer t;
        t.start();
        for (const Exchange &e : table)
            if (!b.linkExchange(e)) return;
        (withWindow ? open : closed).push_back(elapsedMs(t));
        b.s.link.closePort();
        // The window's catching up counts against the next run, not this one.
        QCoreApplication::processEvents();
    }
    b.sim.setPaced(false);
    if (b.failed) return;
    const double c = median(closed), o = median(open);
    std::printf("d. Table read of a. with the communication log window open, %d runs each,"
                " interleaved\n",
                kLogRuns);
    std::printf("   log window closed  median %7.1f ms = %.3f x wire time\n", c, c / wire);
    std::printf("   log window open    median %7.1f ms = %.3f x wire time\n", o, o / wire);
    std::printf("   open / closed      %.4f; the window shows %d rows\n", o / c,
                log->model()->rowCount());
    std::printf("   goal: within 1 %% ........................... %s\n\n",
                o / c <= 1.01 ? "met" : "MISSED");
}

// ------------------------------------------------------------------- e

double residentMiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    return -1;
}

void logMemoryBench(Bench &b) {
    MainWindow w(b.s);
    w.show();
    CommunicationLogWindow *log = showCommunicationLog(b.s, &w);
    QCoreApplication::processEvents();
    // What an hour of I/O monitoring puts on the line, through the same
    // signal the link reports on: a poll's two blocks, over and over.
    const QByteArray lines[4] = {"0RD20\r\n", "0RD2000000000FF100000\r\n", "0RD2F\r\n",
                                 "0RD2F0000F00C00000000\r\n"};
    const int total = 1000000;
    std::printf("e. Resident memory while %d lines pass through the log (ring of %d),"
                " window open\n",
                total, b.s.log.capacity());
    std::printf("   before: %.1f MiB\n", residentMiB());
    QElapsedTimer t;
    t.start();
    double at20k = 0, last = 0;
    for (int i = 1; i <= total; ++i) {
        LinkEvent e;
        e.kind = i % 2 ? LinkEvent::Kind::Sent : LinkEvent::Kind::Received;
        e.msecsSinceEpoch = i;
        e.bytes = QByteArray(lines[i % 4].constData()); // a fresh copy, as the port gives
        e.elapsedMs = i % 2 ? -1 : 25;
        e.polling = true;
        emit b.s.link.traffic(e);
        // The window catches up far more often than its ten times a second
        // on a real line: every 2000 lines.
        if (i % 2000 == 0) {
            log->catchUp();
            QCoreApplication::processEvents();
        }
        if (i == 20000 || i == 100000 || i == 250000 || i == 500000 || i == total) {
            last = residentMiB();
            if (i == 20000) at20k = last;
            std::printf("   after %7d lines: %6.1f MiB, log holds %d\n", i, last, b.s.log.size());
        }
    }
    std::printf("   recording and showing cost %.2f us per line\n", t.nsecsElapsed() / 1e3 / total);
    std::printf("   growth from %d to %d lines: %+.1f MiB\n", 20000, total, last - at20k);
    std::printf("   goal: flat (within 2 MiB) ..................... %s\n",
                last - at20k <= 2.0 ? "met" : "MISSED");
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    Bench b;
    b.s.setLanguage(2);
    if (!b.dir.isValid() || !b.sim.start()) {
        std::fprintf(stderr, "link_bench: cannot start the simulator on a pty\n");
        return 1;
    }
    qputenv("TZC3_COM1", b.sim.devicePath().toLocal8Bit());
    b.s.link.portNumber = 1;

    std::printf("TZ-C3 link benchmark: program's port code <-> simulator on %s (%d cores)\n\n",
                qPrintable(b.sim.devicePath()), int(sysconf(_SC_NPROCESSORS_ONLN)));
    std::fflush(stdout);
    for (const auto &step :
         {tableBench, roundTripBench, idleBench, logWindowBench, logMemoryBench}) {
        if (b.failed) break;
        step(b);
        std::fflush(stdout);
    }
    if (!b.prompter.unexpected.isEmpty() || !b.prompter.log.isEmpty())
        std::printf("\nprompts during the run: %s\n",
                    qPrintable(b.prompter.texts().join(QStringLiteral(" | "))));
    return b.failed ? 1 : 0;
}
