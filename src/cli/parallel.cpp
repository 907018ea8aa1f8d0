#include "cli/parallel.h"

#include "cli/console.h"
#include "cli/interrupt.h"
#include "cli/outcome.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <csignal>
#include <cstdio>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

struct Worker {
    CliRequest::Target target;
    std::unique_ptr<QProcess> process;
    QElapsedTimer clock;
    double seconds = 0;
    int exitCode = -1;
    bool done = false;
};

QString prefixed(const QString &label, const QByteArray &bytes) {
    QString out;
    const QStringList lines = QString::fromLocal8Bit(bytes).split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        if (i == lines.size() - 1 && lines[i].isEmpty()) break;
        out += u'[' + label + QStringLiteral("] ") + lines[i] + u'\n';
    }
    return out;
}

} // namespace

int runInParallel(const CliRequest &r, const Language &lang, InterruptWatch &interrupt) {
    std::vector<Worker> workers(size_t(r.targets.size()));
    QEventLoop loop;
    int running = 0;
    for (size_t i = 0; i < workers.size(); ++i) {
        Worker &w = workers[i];
        w.target = r.targets[int(i)];
        w.process = std::make_unique<QProcess>();
        // Each worker in its own process group: Ctrl+C on the terminal reaches
        // this process only, which passes it on once to each worker.
        w.process->setChildProcessModifier([] { ::setpgid(0, 0); });
        // No terminal for the workers: a question they cannot answer is
        // refused there, with the advice to use --yes.
        w.process->setStandardInputFile(QProcess::nullDevice());
        QObject::connect(w.process.get(), &QProcess::finished, &loop,
                         [&, i](int code, QProcess::ExitStatus status) {
                             Worker &d = workers[i];
                             d.seconds = d.clock.nsecsElapsed() / 1e9;
                             d.exitCode =
                                 status == QProcess::NormalExit ? code : int(ExitCode::Interrupted);
                             d.done = true;
                             if (--running == 0) loop.quit();
                         });
        QObject::connect(w.process.get(), &QProcess::errorOccurred, &loop,
                         [&, i](QProcess::ProcessError e) {
                             Worker &d = workers[i];
                             if (e != QProcess::FailedToStart || d.done) return;
                             d.exitCode = int(ExitCode::Usage);
                             d.done = true;
                             if (--running == 0) loop.quit();
                         });
        w.clock.start();
        ++running;
        w.process->start(QCoreApplication::applicationFilePath(), r.workerArguments(w.target));
    }
    const auto forward = QObject::connect(&interrupt, &InterruptWatch::interrupted, &loop, [&] {
        for (Worker &w : workers)
            if (!w.done && w.process->processId() > 0)
                ::kill(pid_t(w.process->processId()), SIGINT);
    });
    if (running > 0) loop.exec();
    QObject::disconnect(forward);

    int worst = 0;
    QJsonArray results;
    QString table = lang.tx("ポート", "PORT").leftJustified(24) +
                    lang.tx("結果", "RESULT").leftJustified(22) + lang.tx("時間", "TIME") + u'\n';
    for (Worker &w : workers) {
        const QByteArray out = w.process->readAllStandardOutput();
        const QByteArray err = w.process->readAllStandardError();
        worst = qMax(worst, w.exitCode);
        const QString result =
            QStringLiteral("%1 ").arg(w.exitCode) + resultName(ExitCode(w.exitCode));
        table += w.target.label().leftJustified(23) + u' ' + result.leftJustified(21) + u' ' +
                 QStringLiteral("%1 s").arg(w.seconds, 0, 'f', 3) + u'\n';
        if (r.json) {
            QJsonObject o{{QStringLiteral("port"), w.target.label()},
                          {QStringLiteral("exit"), w.exitCode},
                          {QStringLiteral("result"), resultName(ExitCode(w.exitCode))},
                          {QStringLiteral("seconds"), w.seconds},
                          {QStringLiteral("stderr"), QString::fromLocal8Bit(err)}};
            const QJsonDocument doc = QJsonDocument::fromJson(out);
            o[QStringLiteral("output")] = doc.isObject() ? QJsonValue(doc.object()) : QJsonValue();
            results.append(o);
        } else {
            writeTo(stdout, prefixed(w.target.label(), out));
            writeTo(stderr, prefixed(w.target.label(), err));
        }
    }
    if (r.json) {
        const QJsonObject all{{QStringLiteral("command"), r.command},
                              {QStringLiteral("exit"), worst},
                              {QStringLiteral("result"), resultName(ExitCode(worst))},
                              {QStringLiteral("ports"), results}};
        writeTo(stdout,
                QString::fromUtf8(QJsonDocument(all).toJson(QJsonDocument::Compact)) + u'\n');
    } else {
        writeTo(stdout, table);
    }
    return worst;
}
