// While any window talks to the controller, nothing else may touch the port.
// Every operation runs twice on a fresh window and simulator: once alone, and
// once with every command of every window tried at every line the controller
// receives. The second run must send and say exactly what the first did, with
// the port open and the program busy at each of those lines.

#include "../link/link_rig.h"
#include "../positions/positions_rig.h"
#include "test_registry.h"
#include "ui/main_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QtTest>
#include <deque>
#include <functional>

namespace {

struct Win : LinkRig {
    MainWindow w{s};
    explicit Win(int language) : LinkRig(language) {
        sim.setMoveTimeScale(0.01);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
    }
    template <class T = QWidget> T *get(const char *name) const {
        auto *c = w.findChild<T *>(QLatin1String(name));
        if (!c) qFatal("no %s", name);
        return c;
    }
    void trigger(const char *action) { get<QAction>(action)->trigger(); }
    void click(const char *button) { get<QAbstractButton>(button)->click(); }
};

// The parameter editor's own buttons share names with the main window's.
QPushButton *editorButton(const char *name) {
    for (QWidget *t : QApplication::topLevelWidgets())
        if (t->objectName() == QLatin1String("ParameterEditor"))
            return t->findChild<QPushButton *>(QLatin1String(name));
    qFatal("no parameter editor");
}

// Pause and Stop belong to a running motion, the monitor's own button stops
// its polling: all three are meant to act during an exchange.
bool meantForTheExchange(const QObject *o) {
    const QString n = o->objectName();
    return n == QLatin1String("pauseButton") || n == QLatin1String("stopButton") ||
           n == QLatin1String("startStopButton");
}

// Every command a user could reach, and some a user could not: actions are
// triggered even inside disabled menus, and the main window's shortcuts typed.
void tryEveryCommand(Win &r) {
    for (QAction *a : r.w.findChildren<QAction *>()) {
        if (a->isSeparator() || a->menu() || meantForTheExchange(a)) continue;
        a->trigger();
        if (a->isCheckable()) a->trigger(); // the View toggles: back as they were
    }
    // Buttons on screen: a dialog that has done its part and waits to be
    // destroyed is nothing a user can reach.
    for (QWidget *top : QApplication::topLevelWidgets())
        for (QPushButton *b : top->findChildren<QPushButton *>())
            if (b->isVisible() && !meantForTheExchange(b)) b->click();
    for (Qt::Key key : {Qt::Key_N, Qt::Key_O, Qt::Key_S, Qt::Key_P})
        QTest::keyClick(&r.w, key, Qt::ControlModifier);
}

struct Outcome {
    QStringList traffic;
    QStringList texts;
    QStringList faults; // at a line: port closed or not busy
};

struct Operation {
    const char *name;
    bool moveMode;
    std::function<void(Win &)> prepare; // not disturbed
    std::function<void(Win &)> run;
};

Outcome runOnce(const Operation &op, bool disturb) {
    Win r(2);
    // The editor is open throughout, so its buttons are tried too.
    r.trigger("parametersAction");
    if (op.moveMode) r.click("changeModeButton");
    op.prepare(r);
    r.sim.clearLog();
    r.prompter.clear();

    Outcome out;
    bool inside = false;
    const auto watch = QObject::connect(&r.sim, &SimServer::lineReceived, [&](const QString &l) {
        if (inside || l == QLatin1String("0CM3")) return; // the reset is written, not awaited
        if (!r.s.link.isPortOpen()) out.faults << l + ": port closed";
        if (!r.s.controllerBusy()) out.faults << l + ": not busy";
        if (!disturb) return;
        inside = true;
        tryEveryCommand(r);
        inside = false;
        if (!r.s.link.isPortOpen()) out.faults << l + ": port closed by a command";
        if (!r.s.controllerBusy()) out.faults << l + ": busy cleared by a command";
    });
    op.run(r);
    QObject::disconnect(watch);
    out.traffic = r.sim.log();
    out.texts = r.prompter.texts();
    if (!r.prompter.unexpected.isEmpty())
        out.faults << "unexpected: " + r.prompter.unexpected.join('|');
    // Afterwards everything is as the mode leaves it and the port is free.
    if (r.s.controllerBusy()) out.faults << "still busy";
    if (!r.get(op.moveMode ? "homeButton" : "openButton")->isEnabled())
        out.faults << "commands left disabled";
    return out;
}

QList<Operation> operations() {
    const auto answers = [](std::initializer_list<PromptAnswer> a) {
        return [q = std::deque<PromptAnswer>(a)](Win &r) { r.prompter.answers = q; };
    };
    const auto table = [](Win &r) {
        useDevice(r.s, " 28", "L", 100);
        fillValidTable(r.s);
        r.w.refreshGrids();
    };
    return {
        {"read positions", false, answers({PromptAnswer::Yes}),
         [](Win &r) { r.click("readButton"); }},
        {"write positions", false,
         [table](Win &r) {
             table(r);
             r.prompter.answers = {PromptAnswer::Ok};
         },
         [](Win &r) { r.click("writeButton"); }},
        {"verify positions against the controller", false, table,
         [](Win &r) { r.trigger("verifyControllerAction"); }},
        {"controller version", false, [](Win &) {}, [](Win &r) { r.trigger("versionAction"); }},
        {"communication mode", false, answers({PromptAnswer::Yes}),
         [](Win &r) { r.trigger("communicationModeAction"); }},
        {"external start mode", false, answers({PromptAnswer::Yes}),
         [](Win &r) { r.trigger("externalModeAction"); }},
        {"error reset", false, [](Win &r) { r.sim.raiseAlarm(QStringLiteral("0E")); },
         [](Win &r) { r.click("resetButton"); }},
        {"printing parameters from the controller", false,
         [](Win &r) {
             r.prompter.dialogs.push_back([](QDialog &d) {
                 for (const char *n : {"positionsBox", "parametersBox", "okButton"})
                     d.findChild<QAbstractButton *>(QLatin1String(n))->click();
                 return d.result();
             });
             r.prompter.dialogs.push_back([&r](QDialog &d) {
                 QPrinter *printer = dynamic_cast<QPrintDialog &>(d).printer();
                 printer->setOutputFormat(QPrinter::PdfFormat);
                 printer->setOutputFileName(r.dir.filePath(QStringLiteral("page.pdf")));
                 return int(QDialog::Accepted);
             });
         },
         [](Win &r) { r.trigger("printAction"); }},
        {"homing", true, [](Win &) {}, [](Win &r) { r.click("homeButton"); }},
        {"selected move", true, [](Win &r) { r.get<QLineEdit>("selectedBox")->setText("3"); },
         [](Win &r) { r.click("selectedMoveButton"); }},
        {"program with dwell", true,
         [](Win &r) {
             r.w.setProgramCell(1, QStringLiteral("1"));
             r.w.setProgramCell(2, QStringLiteral("2"));
             r.click("timerBox");
             r.get<QLineEdit>("dwellBox")->setText(QStringLiteral("1"));
         },
         [](Win &r) { r.click("moveButton"); }},
        {"editor: read", false, [](Win &) {},
         [](Win &) { editorButton("controllerReadButton")->click(); }},
        {"editor: write", false,
         [](Win &r) {
             editorButton("controllerReadButton")->click();
             r.prompter.answers = {PromptAnswer::Yes, PromptAnswer::Ok};
         },
         [](Win &) { editorButton("controllerWriteButton")->click(); }},
        {"editor: verify", false, [](Win &) { editorButton("controllerReadButton")->click(); },
         [](Win &) { editorButton("controllerVerifyButton")->click(); }},
        {"I/O monitor", false,
         [](Win &r) {
             r.prompter.dialogs.push_back([&r](QDialog &d) {
                 auto *startStop = d.findChild<QPushButton *>(QStringLiteral("startStopButton"));
                 startStop->click();
                 (void)QTest::qWaitFor([&] { return r.sim.log().size() >= 9; });
                 startStop->click();
                 (void)QTest::qWaitFor([&] { return startStop->isEnabled(); });
                 return int(QDialog::Rejected);
             });
         },
         [](Win &r) { r.trigger("ioMonitorAction"); }},
        {"output change", false,
         [](Win &r) {
             r.prompter.answers = {PromptAnswer::Ok};
             r.prompter.dialogs.push_back([](QDialog &d) {
                 d.findChild<QPushButton *>(QStringLiteral("changeButton"))->click();
                 return int(QDialog::Rejected);
             });
         },
         [](Win &r) { r.trigger("outputChangeAction"); }},
    };
}

// The monitor polls as long as it runs: its traffic is whole polls.
QStringList wholePolls(const QStringList &traffic) {
    QStringList out = traffic;
    while (out.size() % 3)
        out.removeLast();
    return out.mid(0, 9);
}

} // namespace

class ExchangeLockTest : public QObject {
    Q_OBJECT
private slots:
    void nothingTouchesThePortUnderAnExchange_data() {
        QTest::addColumn<int>("index");
        const QList<Operation> ops = operations();
        for (int i = 0; i < ops.size(); ++i)
            QTest::newRow(ops[i].name) << i;
    }
    void nothingTouchesThePortUnderAnExchange() {
        QFETCH(int, index);
        const Operation op = operations().at(index);
        const Outcome alone = runOnce(op, false);
        QVERIFY2(alone.faults.isEmpty(), qPrintable(alone.faults.join(" / ")));
        QVERIFY(!alone.traffic.isEmpty());
        const Outcome disturbed = runOnce(op, true);
        QVERIFY2(disturbed.faults.isEmpty(), qPrintable(disturbed.faults.join(" / ")));
        const bool monitor = QLatin1String(op.name) == QLatin1String("I/O monitor");
        QCOMPARE(monitor ? wholePolls(disturbed.traffic) : disturbed.traffic,
                 monitor ? wholePolls(alone.traffic) : alone.traffic);
        QCOMPARE(disturbed.texts, alone.texts);
    }
};

TZC3_TEST(ExchangeLockTest)
#include "test_exchange_lock.moc"
