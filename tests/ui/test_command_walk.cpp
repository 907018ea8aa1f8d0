// Every command a user can reach in the main window, walked in both modes and
// both languages against the simulated controller: what the mode allows is
// usable and answers when used, nothing else can be reached, and whatever a
// command does, the window's commands are back as the mode left them after.

#include "../link/link_rig.h"
#include "test_registry.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

namespace {

// Menu items with whether a user can reach them: only through enabled menus.
void collectLeaves(QMenu *menu, bool open, QList<std::pair<QAction *, bool>> &out) {
    for (QAction *a : menu->actions()) {
        if (a->isSeparator()) continue;
        const bool usable = open && a->isEnabled() && a->isVisible();
        if (a->menu())
            collectLeaves(a->menu(), usable, out);
        else
            out.append({a, usable});
    }
}

struct Walk {
    LinkRig &rig;
    frmMain &w;

    QList<std::pair<QAction *, bool>> menuLeaves() const {
        QList<std::pair<QAction *, bool>> out;
        for (QAction *top : w.menuBar()->actions())
            if (top->menu()) collectLeaves(top->menu(), top->isEnabled(), out);
        return out;
    }
    QList<QAction *> toolbarButtons() const {
        QList<QAction *> out;
        for (QAction *a : w.findChild<QToolBar *>(QStringLiteral("tbToolBar"))->actions())
            if (!a->isSeparator()) out << a;
        return out;
    }
    QList<QPushButton *> buttons() const { return w.findChildren<QPushButton *>(); }

    // Names of everything the user can use right now.
    QStringList usable() const {
        QStringList out;
        for (auto [a, usable] : menuLeaves())
            if (usable) out << a->objectName();
        for (QAction *a : toolbarButtons())
            if (a->isEnabled()) out << QStringLiteral("tb") + a->objectName();
        for (QPushButton *b : buttons())
            if (b->isEnabled() && b->window() == &w) out << b->objectName();
        out.sort();
        return out;
    }

    // What a command can visibly change.
    QString trace() const {
        QStringList parts;
        parts << QString::number(rig.prompter.log.size()) << QString::number(rig.sim.log().size());
        for (QWidget *t : QApplication::topLevelWidgets())
            if (t != &w && t->isVisible()) parts << t->objectName();
        for (int step = 1; step <= 15; ++step)
            parts << w.programCell(step);
        parts << QString::number(w.findChild<QToolBar *>()->isVisible())
              << QString::number(w.statusBar()->isVisible()) << QString::number(w.isEditMode());
        return parts.join(QLatin1Char('|'));
    }

    void closeOtherWindows() {
        for (QWidget *t : QApplication::topLevelWidgets())
            if (t != &w && t->isVisible()) t->close();
        QCoreApplication::processEvents();
    }
};

const QStringList editUsable = [] {
    QStringList l{"mnuFileNew",       "mnuFileOpen",    "mnuFileGetfromCt",
                  "mnuFileSave",      "mnuFileSaveAs",  "mnuFileLoadtoCt",
                  "mnuFileShogoFile", "mnuFileShogoCt", "mnuFilePageSetup",
                  "mnuFilePrint",     "mnuFileExit",    "mnuViewToolBar",
                  "mnuViewStatusBar", "mnuShowInpOutp", "mnuShowChangeOut",
                  "mnuShowParameta",  "mnuViewOption",  "mnuShowCtversion",
                  "mnuModeTrancefer", "mnuModeGaibu",   "mnuHelpContents",
                  "mnuHelpAbout",     "tbNew",          "tbOpen",
                  "tbSave",           "tbPrint",        "tbRead",
                  "tbLoad",           "tbShogo",        "cmdModeChange",
                  "cmdChangeDev",     "cmdReset",       "cmdFileOpen",
                  "cmdSaveFile",      "cmdGetfromCt",   "cmdLoadtoCt",
                  "cmdPosiDataShogo"};
    l.sort();
    return l;
}();

const QStringList moveUsable = [] {
    QStringList l{"mnuFileExit",     "mnuViewToolBar", "mnuViewStatusBar", "mnuViewOption",
                  "mnuHelpContents", "mnuHelpAbout",   "cmdModeChange",    "cmdReset",
                  "cmdMove",         "cmdTmpStop",     "cmdStop",          "cmdDataClear",
                  "cmdInp1toF",      "cmdSelectMove",  "cmdHome"};
    l.sort();
    return l;
}();

QStringList sorted(QStringList l) {
    l.sort();
    return l;
}

QStringList without(QStringList l, const QStringList &gone) {
    for (const QString &g : gone)
        l.removeAll(g);
    return l;
}

// What stays usable while a command talks to the controller or asks the
// user: the brackets of the file and controller operations leave File >
// Exit, Help and the device button; printing and the controller-mode items
// shut the command buttons and the toolbar only; a motion leaves Pause, Stop
// and the menus Move Mode allows.
QMap<QString, QStringList> usableDuring() {
    const QStringList whole =
        sorted({"cmdChangeDev", "mnuFileExit", "mnuHelpAbout", "mnuHelpContents"});
    const QStringList buttonsAndToolbar =
        without(editUsable, {"cmdFileOpen", "cmdSaveFile", "cmdLoadtoCt", "cmdGetfromCt",
                             "cmdPosiDataShogo", "cmdReset", "cmdModeChange", "tbNew", "tbOpen",
                             "tbSave", "tbPrint", "tbRead", "tbLoad", "tbShogo"});
    const QStringList motion =
        without(moveUsable, {"cmdModeChange", "cmdReset", "cmdMove", "cmdDataClear", "cmdInp1toF",
                             "cmdSelectMove", "cmdHome"});
    QMap<QString, QStringList> m;
    for (const char *n :
         {"mnuFileOpen", "mnuFileGetfromCt", "mnuFileSave", "mnuFileSaveAs", "mnuFileLoadtoCt",
          "mnuFileShogoFile", "mnuFileShogoCt", "mnuShowCtversion", "tbOpen", "tbSave", "tbRead",
          "tbLoad", "tbShogo", "cmdFileOpen", "cmdSaveFile", "cmdGetfromCt", "cmdLoadtoCt",
          "cmdPosiDataShogo"})
        m[QLatin1String(n)] = whole;
    for (const char *n :
         {"mnuFilePageSetup", "mnuFilePrint", "tbPrint", "mnuModeTrancefer", "mnuModeGaibu"})
        m[QLatin1String(n)] = buttonsAndToolbar;
    for (const char *n : {"cmdMove", "cmdSelectMove", "cmdHome"})
        m[QLatin1String(n)] = motion;
    return m;
}

// Pause and Stop only act on a running motion (the motion tests drive them
// through this window); idle, they must merely do no harm.
const QStringList idleNoOps{"cmdTmpStop", "cmdStop"};

} // namespace

class CommandWalkTest : public QObject {
    Q_OBJECT
private slots:
    void everyReachableCommandAnswersAndGivesTheControlsBack_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<bool>("moveMode");
        QTest::newRow("Japanese, Edit Mode") << 1 << false;
        QTest::newRow("Japanese, Move Mode") << 1 << true;
        QTest::newRow("English, Edit Mode") << 2 << false;
        QTest::newRow("English, Move Mode") << 2 << true;
    }
    void everyReachableCommandAnswersAndGivesTheControlsBack() {
        QFETCH(int, language);
        QFETCH(bool, moveMode);
        LinkRig rig(language);
        rig.sim.setMoveTimeScale(0.01);
        frmMain w(rig.s);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        Walk walk{rig, w};
        if (moveMode) w.findChild<QPushButton *>(QStringLiteral("cmdModeChange"))->click();
        const QStringList expected = moveMode ? moveUsable : editUsable;
        const QMap<QString, QStringList> during = usableDuring();
        QCOMPARE(walk.usable(), expected);

        // Every question is answered with Cancel and every dialog rejected:
        // each command must still show that it ran, and undo nothing else.
        const auto check = [&](const QString &name, const std::function<void()> &use) {
            // A one-step program gives New, Clear and "1 to F" something to change.
            w.setProgramCell(1, QStringLiteral("1"));
            const QString before = walk.trace();
            // Looked at whenever the command asks something or the controller
            // receives a line.
            QStringList wrong;
            const auto look = [&] {
                if (during.contains(name) && walk.usable() != during[name])
                    wrong << walk.usable().join(QLatin1Char(' '));
            };
            rig.prompter.onPrompt = [&](const PromptRecord &) { look(); };
            const auto watch = QObject::connect(&rig.sim, &SimServer::lineReceived, look);
            use();
            QObject::disconnect(watch);
            QVERIFY2(wrong.isEmpty(), qPrintable(name + QStringLiteral(" left usable: ") +
                                                 wrong.join(QStringLiteral(" / "))));
            QCoreApplication::processEvents();
            const QString after = walk.trace();
            if (!idleNoOps.contains(name))
                QVERIFY2(after != before, qPrintable(name + QStringLiteral(" did nothing")));
            walk.closeOtherWindows();
            QVERIFY2(!rig.s.controllerBusy, qPrintable(name));
            QVERIFY2(!rig.s.link.isPortOpen(), qPrintable(name));
            QVERIFY2(w.isVisible(), qPrintable(name));
        };
        const auto restored = [&](const QString &name) {
            QVERIFY2(walk.usable() == expected, qPrintable(name + QStringLiteral(": ") +
                                                           walk.usable().join(QLatin1Char(' '))));
        };

        for (auto [a, usable] : walk.menuLeaves()) {
            if (!usable) continue;
            check(a->objectName(), [a] { a->trigger(); });
            if (a->isCheckable()) a->trigger(); // the View toggles: put it back
            restored(a->objectName());
        }
        for (QAction *a : walk.toolbarButtons()) {
            if (!a->isEnabled()) continue;
            auto *tool = qobject_cast<QToolButton *>(w.findChild<QToolBar *>()->widgetForAction(a));
            check(QStringLiteral("tb") + a->objectName(),
                  [tool] { QTest::mouseClick(tool, Qt::LeftButton); });
            restored(a->objectName());
        }
        for (QPushButton *b : walk.buttons()) {
            if (!b->isEnabled() || b->window() != &w) continue;
            check(b->objectName(), [b] { b->click(); });
            if (b->objectName() == QLatin1String("cmdModeChange")) b->click();
            restored(b->objectName());
        }
    }
};

TZC3_TEST(CommandWalkTest)
#include "test_command_walk.moc"
