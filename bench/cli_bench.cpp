// tzc3-cli against the controller simulator on a pty, as a shell runs it:
//   a. "positions write FILE --verify" with the simulator paced at 9600
//      baud: the span from the first line sent to the last reply, as a ratio
//      of the wire time of the lines exchanged (taken from the tool's own
//      --trace);
//   b. process start to the first byte on the line for "version", against
//      the bare start and exit of the tool ("--version") and against the
//      window program's start to its main window, all in this run.
// Prints a report and exits 0; exits 1 only when a run fails, since then no
// figure means anything.

#include "sim_server.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr double kBitsPerChar = 10.0; // 8N1
constexpr double kBaud = 9600.0;
constexpr int kWriteRuns = 5;
constexpr int kStartRuns = 20;
constexpr int kGuiRuns = 3;
// The window program quits this long after its main window is shown when
// TZC3_SCREENSHOT_DIR is set; what is left is its start to a usable window.
constexpr double kGuiScreenshotWaitMs = 1500;

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

QByteArray tpdText() {
    QByteArray t = "\"TZ- 28L-100 \",\"NEW\"\r\n";
    for (int n = 1; n <= 15; ++n)
        t += "\"1\",\"1\",\"0\",\"" + QByteArray::number(n * 100) + "\",\"\"\r\n";
    t += "\"\"" + QByteArray(",\"\"").repeated(14) + "\r\n";
    return t;
}

struct Runner {
    QTemporaryDir dir;
    SimServer sim;
    bool failed = false;

    QProcessEnvironment env() const {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(QStringLiteral("TZC3_SETTINGS"), dir.filePath(QStringLiteral("settings.ini")));
        return e;
    }

    // Runs a program to its end with the simulator alive; its wall time in
    // ms, or -1. `firstLineMs` gets the time to the first line the
    // simulator received, when it received one.
    double run(const QString &program, const QStringList &args, int expectCode,
               double *firstLineMs = nullptr, const QProcessEnvironment &extra = {}) {
        QProcess p;
        QProcessEnvironment e = env();
        for (const QString &k : extra.keys())
            e.insert(k, extra.value(k));
        p.setProcessEnvironment(e);
        QElapsedTimer clock;
        double first = -1;
        const auto conn = QObject::connect(&sim, &SimServer::lineReceived, [&] {
            if (first < 0) first = clock.nsecsElapsed() / 1e6;
        });
        QSignalSpy finished(&p, &QProcess::finished);
        clock.start();
        p.start(program, args);
        const bool done = finished.wait(60000);
        const double total = clock.nsecsElapsed() / 1e6;
        QObject::disconnect(conn);
        if (!done || p.exitCode() != expectCode) {
            std::fprintf(stderr, "cli_bench: %s %s ended with %d\n%s\n", qPrintable(program),
                         qPrintable(args.join(u' ')), done ? p.exitCode() : -1,
                         p.readAllStandardError().constData());
            failed = true;
            return -1;
        }
        if (firstLineMs) *firstLineMs = first;
        return total;
    }
};

// Characters on the wire and the span from the first line out to the last
// reply in, from a trace of one run.
struct TraceFigures {
    qint64 chars = 0;
    qint64 replyChars = 0;
    double spanMs = 0;
};

TraceFigures readTrace(const QString &path) {
    TraceFigures f;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return f;
    qint64 firstSent = -1, lastReceived = -1;
    for (const QByteArray &raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw);
        const QStringList parts = line.split(u' ');
        if (parts.size() < 5) continue;
        const qint64 when = QDateTime::fromString(parts[0] + u' ' + parts[1],
                                                  QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"))
                                .toMSecsSinceEpoch();
        const QString dir = parts[3];
        if (dir != QLatin1String(">") && dir != QLatin1String("<")) continue;
        // The line as sent, with its CR LF.
        f.chars += parts[4].size() + 2;
        if (dir == QLatin1String("<")) f.replyChars += parts[4].size() + 2;
        if (dir == QLatin1String(">") && firstSent < 0) firstSent = when;
        if (dir == QLatin1String("<")) lastReceived = when;
    }
    f.spanMs = double(lastReceived - firstSent);
    return f;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    Runner r;
    if (!r.sim.start()) {
        std::fprintf(stderr, "cli_bench: no pty\n");
        return 1;
    }
    const QString cli = QStringLiteral(TZC3_CLI_PATH);
    const QString file = r.dir.filePath(QStringLiteral("in.tpd"));
    {
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly) || f.write(tpdText()) < 0) return 1;
    }

    // a. the write and its verification at 9600 baud
    r.sim.setPaced(true);
    std::vector<double> ratios, replyRatios, spans;
    double wire = 0, replyWire = 0;
    for (int i = 0; i < kWriteRuns; ++i) {
        const QString trace = r.dir.filePath(QStringLiteral("trace%1.log").arg(i));
        r.run(cli,
              {QStringLiteral("--device"), r.sim.devicePath(), QStringLiteral("--yes"),
               QStringLiteral("--trace"), trace, QStringLiteral("positions"),
               QStringLiteral("write"), file, QStringLiteral("--verify")},
              0);
        const TraceFigures t = readTrace(trace);
        wire = t.chars * kBitsPerChar * 1000.0 / kBaud;
        replyWire = t.replyChars * kBitsPerChar * 1000.0 / kBaud;
        spans.push_back(t.spanMs);
        ratios.push_back(t.spanMs / wire);
        replyRatios.push_back(t.spanMs / replyWire);
    }

    // b. start to first byte
    r.sim.setPaced(false);
    std::vector<double> firstByte, bare;
    for (int i = 0; i < kStartRuns; ++i) {
        double first = -1;
        r.run(cli, {QStringLiteral("--device"), r.sim.devicePath(), QStringLiteral("version")}, 0,
              &first);
        firstByte.push_back(first);
        bare.push_back(r.run(cli, {QStringLiteral("--version")}, 0));
    }
    std::vector<double> gui;
    QProcessEnvironment offscreen;
    offscreen.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    offscreen.insert(QStringLiteral("TZC3_SCREENSHOT_DIR"),
                     r.dir.filePath(QStringLiteral("shots")));
    for (int i = 0; i < kGuiRuns; ++i)
        gui.push_back(r.run(QStringLiteral(TZC3_GUI_PATH), {}, 0, nullptr, offscreen) -
                      kGuiScreenshotWaitMs);
    if (r.failed) return 1;

    std::printf("tzc3-cli bench (simulator on a pty)\n\n");
    std::printf("a. positions write FILE --verify, simulator paced at 9600 baud, %d runs\n",
                kWriteRuns);
    std::printf("   wire time of the lines exchanged   %8.1f ms\n", wire);
    std::printf("   first line out to last reply in    %8.1f ms (median)\n", median(spans));
    std::printf("   ratio to the wire time             %8.3f x (median; goal within 1.05 x)\n",
                median(ratios));
    // A pty takes the commands at once and only the simulator's replies are
    // paced: their wire time alone is the floor of this set-up.
    std::printf("   reply-only wire time               %8.1f ms\n", replyWire);
    std::printf("   ratio to the reply-only wire time  %8.3f x (median)\n\n", median(replyRatios));
    std::printf("b. process start to the first byte on the line (version), %d runs\n", kStartRuns);
    std::printf("   tzc3-cli version: first byte        %8.1f ms (median; goal under 50 ms)\n",
                median(firstByte));
    std::printf("   tzc3-cli --version: start to exit   %8.1f ms (median)\n", median(bare));
    std::printf("   tzc3 window: start to main window   %8.1f ms (median of %d; no byte goes\n"
                "                                       out before a click)\n",
                median(gui), kGuiRuns);
    std::printf("   first byte against the window      %8.3f x\n", median(firstByte) / median(gui));
    return 0;
}
