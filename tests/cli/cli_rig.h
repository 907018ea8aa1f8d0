#pragma once

// tzc3-cli run as a process against a simulated controller on a pty. The
// simulator lives on this test's event loop, so every wait here turns it.

#include "sim_server.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>
#include <unistd.h>

struct CliResult {
    int code = -1;
    QString out;
    QString err;
};

struct CliRig {
    CliRig() {
        if (!sim.start()) qFatal("no pty for the simulator");
        sim.setPaced(false);
        sim.setMoveTimeScale(0.01);
    }
    QString file(const QString &name) const { return dir.filePath(name); }
    void writeFile(const QString &name, const QByteArray &bytes) const {
        QFile f(file(name));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write the test file");
    }
    QByteArray readFile(const QString &name) const {
        QFile f(file(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // The tool with these arguments; `started` runs once it is under way.
    CliResult run(const QStringList &args, const std::function<void(QProcess &)> &started = {}) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // What a headless machine offers: no platform plugin, no display.
        for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            env.remove(QLatin1String(name));
        env.insert(QStringLiteral("TZC3_SETTINGS"), file(QStringLiteral("settings.ini")));
        p.setProcessEnvironment(env);
        if (stdinFd >= 0) {
            const int fd = stdinFd;
            p.setChildProcessModifier([fd] { ::dup2(fd, STDIN_FILENO); });
        }
        QSignalSpy finished(&p, &QProcess::finished);
        p.start(QStringLiteral(TZC3_CLI_PATH), args);
        if (!p.waitForStarted(10000)) return {};
        if (started) started(p);
        if (finished.isEmpty() && !finished.wait(60000)) {
            p.kill();
            p.waitForFinished();
            return {};
        }
        CliResult r;
        r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }
    // The same against the simulator, messages in English.
    CliResult onSim(const QStringList &args, const std::function<void(QProcess &)> &started = {}) {
        return run(QStringList{QStringLiteral("--lang"), QStringLiteral("en"),
                               QStringLiteral("--device"), sim.devicePath()} +
                       args,
                   started);
    }

    QTemporaryDir dir;
    SimServer sim;
    qint64 lastPid = 0;
    int stdinFd = -1; // a terminal for the tool's stdin
};

// A position file as the windows write it: the default device, rows of
// VEL 1, ACC 1, OUT 0 and n * 100 pulses, no comments, no program.
inline QByteArray tpdText(const std::function<int(int)> &pulsesOf = {}) {
    QByteArray t = "\"TZ- 28L-100 \",\"NEW\"\r\n";
    for (int n = 1; n <= 15; ++n)
        t += "\"1\",\"1\",\"0\",\"" + QByteArray::number(pulsesOf ? pulsesOf(n) : n * 100) +
             "\",\"\"\r\n";
    t += "\"\"" + QByteArray(",\"\"").repeated(14) + "\r\n";
    return t;
}

inline const QByteArray pmtText = "\"p.pmt\",12000,0,20,0,0,5,5,10,20,30,0,2,2,2,2,0\r\n";
