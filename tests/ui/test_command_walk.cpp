// Every command of the main window in both modes and languages: exactly the
// mode's commands are usable, each answers and gives the mode's commands back.

#include "../link/link_rig.h"
#include "test_registry.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QToolBar>
#include <QtTest>

namespace {

// A visible command: usable now (menu items only through enabled menus), use, undo.
struct Command {
    QString name;
    bool usable;
    std::function<void()> use, undo;
};

QList<Command> commands(MainWindow &w) {
    QList<Command> out;
    std::function<void(QMenu *, bool)> leaves = [&](QMenu *menu, bool open) {
        for (QAction *a : menu->actions()) {
            const bool usable = open && a->isEnabled() && a->isVisible();
            if (a->menu())
                leaves(a->menu(), usable);
            else if (!a->isSeparator())
                out.append({a->objectName(), usable, [a] { a->trigger(); },
                            [a] { a->isCheckable() ? a->trigger() : void(); }}); // the View toggles
        }
    };
    for (QAction *top : w.menuBar()->actions())
        if (top->menu()) leaves(top->menu(), top->isEnabled());
    auto *bar = w.findChild<QToolBar *>(QStringLiteral("toolBar"));
    for (QAction *a : bar->actions())
        if (!a->isSeparator())
            out.append({"tb" + a->objectName(), a->isEnabled(),
                        [a, bar] { QTest::mouseClick(bar->widgetForAction(a), Qt::LeftButton); },
                        [] {}});
    for (QPushButton *b : w.findChildren<QPushButton *>())
        if (b->window() == &w)
            out.append({b->objectName(), b->isEnabled(), [b] { b->click(); },
                        [b] {
                            b->objectName() == QLatin1String("changeModeButton") ? b->click()
                                                                                 : void();
                        }});
    return out;
}

// Names of everything the user can use right now.
QStringList usable(MainWindow &w) {
    QStringList out;
    for (const Command &c : commands(w))
        if (c.usable) out << c.name;
    out.sort();
    return out;
}

// What a command can visibly change.
QString trace(LinkRig &rig, MainWindow &w) {
    QStringList parts{QString::number(rig.prompter.log.size()),
                      QString::number(rig.sim.log().size())};
    for (QWidget *t : QApplication::topLevelWidgets())
        if (t != &w && t->isVisible()) parts << t->objectName();
    for (int step = 1; step <= 15; ++step)
        parts << w.programCell(step);
    parts << QString::number(w.findChild<QToolBar *>()->isVisible())
          << QString::number(w.statusBar()->isVisible()) << QString::number(w.isEditMode());
    return parts.join(QLatin1Char('|'));
}

// Sorted names from a list separated by blanks.
QStringList names(const char *list) {
    QStringList l = QString::fromLatin1(list).split(u' ', Qt::SkipEmptyParts);
    l.sort();
    return l;
}

const QStringList editUsable = names(
    "newAction openAction readAction saveAction saveAsAction writeAction "
    "verifyFileAction verifyControllerAction pageSetupAction printAction exitAction toolBarAction "
    "statusBarAction ioMonitorAction outputChangeAction parametersAction optionsAction "
    "versionAction communicationLogAction communicationModeAction externalModeAction "
    "helpContentsAction aboutAction tbNew "
    "tbOpen "
    "tbSave tbPrint tbRead tbLoad tbVerify changeModeButton changeDeviceButton resetButton "
    "openButton "
    "saveButton readButton writeButton verifyButton");
const QStringList moveUsable =
    names("exitAction toolBarAction statusBarAction optionsAction communicationLogAction "
          "helpContentsAction aboutAction changeModeButton resetButton moveButton pauseButton "
          "stopButton clearProgramButton "
          "fillProgramButton selectedMoveButton "
          "homeButton");

// What stays usable while a command asks something or talks to the controller.
QMap<QString, QStringList> usableDuring() {
    const auto menus = [](const QStringList &l, const char *more) {
        return names(qPrintable(l.filter(QRegularExpression(QStringLiteral("Action$"))).join(u' ') +
                                u' ' + more));
    };
    QMap<QString, QStringList> m;
    for (const QString &n :
         names("openAction readAction saveAction saveAsAction writeAction "
               "verifyFileAction verifyControllerAction versionAction tbOpen tbSave tbRead tbLoad "
               "tbVerify openButton saveButton readButton writeButton verifyButton"))
        m[n] = names("changeDeviceButton exitAction aboutAction helpContentsAction");
    for (const QString &n :
         names("pageSetupAction printAction tbPrint communicationModeAction externalModeAction"))
        m[n] = menus(editUsable, "changeDeviceButton"); // buttons and toolbar off
    for (const QString &n : names("moveButton selectedMoveButton homeButton"))
        m[n] = menus(moveUsable, "pauseButton stopButton");
    return m;
}

// While any exchange runs nothing that could use the port is usable: only
// Exit (which then refuses), the View toggles, the log, Pause and Stop.
const QStringList usableWhileBusy =
    names("exitAction toolBarAction statusBarAction communicationLogAction pauseButton stopButton");

// Idle, Pause and Stop must merely do no harm (the motion tests drive them).
const QStringList idleNoOps{"pauseButton", "stopButton"};

} // namespace

class CommandWalkTest : public QObject {
    Q_OBJECT
private slots:
    void everyReachableCommandAnswersAndGivesTheControlsBack_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<bool>("moveMode");
        for (int language : {1, 2})
            for (bool moveMode : {false, true})
                QTest::addRow("language %d, %s", language, moveMode ? "Move" : "Edit")
                    << language << moveMode;
    }
    void everyReachableCommandAnswersAndGivesTheControlsBack() {
        QFETCH(int, language);
        QFETCH(bool, moveMode);
        LinkRig rig(language);
        rig.sim.setMoveTimeScale(0.01);
        MainWindow w(rig.s);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        if (moveMode) w.findChild<QPushButton *>(QStringLiteral("changeModeButton"))->click();
        const QStringList expected = moveMode ? moveUsable : editUsable;
        const QMap<QString, QStringList> during = usableDuring();
        QCOMPARE(usable(w), expected);
        // Questions get Cancel and dialogs are rejected: each command still shows it ran.
        for (const Command &c : commands(w)) {
            if (!c.usable) continue;
            // A one-step program gives New, Clear and "1 to F" something to change.
            w.setProgramCell(1, QStringLiteral("1"));
            const QString before = trace(rig, w);
            // Looked at on every question and every line the controller receives.
            QStringList wrong;
            const auto look = [&] {
                const QStringList now = usable(w);
                if (rig.s.controllerBusy()) {
                    for (const QString &n : now)
                        if (!usableWhileBusy.contains(n)) wrong << n;
                } else if (during.contains(c.name) && now != during[c.name]) {
                    wrong << now.join(QLatin1Char(' '));
                }
            };
            rig.prompter.onPrompt = [&](const PromptRecord &) { look(); };
            const auto watch = QObject::connect(&rig.sim, &SimServer::lineReceived, look);
            c.use();
            QObject::disconnect(watch);
            QVERIFY2(wrong.isEmpty(), qPrintable(c.name + " left usable: " + wrong.join(" / ")));
            QCoreApplication::processEvents();
            if (!idleNoOps.contains(c.name))
                QVERIFY2(trace(rig, w) != before, qPrintable(c.name + " did nothing"));
            for (QWidget *t : QApplication::topLevelWidgets())
                if (t != &w && t->isVisible()) t->close();
            QCoreApplication::processEvents();
            QVERIFY2(!rig.s.controllerBusy() && !rig.s.link.isPortOpen() && w.isVisible(),
                     qPrintable(c.name));
            c.undo();
            QVERIFY2(usable(w) == expected, qPrintable(c.name + ": " + usable(w).join(' ')));
        }
    }
};

TZC3_TEST(CommandWalkTest)
#include "test_command_walk.moc"
