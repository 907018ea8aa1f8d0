// The main window's status area, Reset button and controller menus against
// the simulated controller.

#include "../link/link_rig.h"
#include "parameters/parameter_editor.h"
#include "test_registry.h"
#include "ui/lamp.h"
#include "ui/main_window.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

class MainWindowLinkTest : public QObject {
    Q_OBJECT

    static QAction *action(frmMain &w, const char *name) {
        return w.findChild<QAction *>(QLatin1String(name));
    }
    static QPushButton *button(frmMain &w, const char *name) {
        return w.findChild<QPushButton *>(QLatin1String(name));
    }
    static QString label(frmMain &w, const char *name) {
        return w.findChild<QLabel *>(QLatin1String(name))->text();
    }

private slots:
    void alarmAreaFollowsErrorsAndReset() {
        LinkRig rig;
        frmMain w(rig.s);
        w.show();
        rig.sim.raiseAlarm(QStringLiteral("0E"));
        rig.s.link.replyTimeoutMs = 5000;
        QCOMPARE(rig.s.link.transact(QStringLiteral("0RV"), QString(), 8), 1);
        QVERIFY(w.alarmLamp()->isLit());
        QCOMPARE(label(w, "lblAlarmNo"), QStringLiteral("0E"));
        QCOMPARE(label(w, "lblErrorComment"), QStringLiteral("Emergency stop"));
        QVERIFY(!w.homeLamp()->isLit());

        rig.sim.clearLog();
        rig.prompter.clear();
        QTest::mouseClick(button(w, "cmdReset"), Qt::LeftButton);
        QCOMPARE(rig.sim.log(), (QStringList{"0%C", "0CM1"}));
        QVERIFY(rig.prompter.log.isEmpty());
        QVERIFY(!w.alarmLamp()->isLit());
        QCOMPARE(label(w, "lblErrorComment"), QStringLiteral("No Error"));
        QCOMPARE(label(w, "lblAlarmNo"), QString());
        QVERIFY(!rig.s.controllerBusy);
        // Every command of Edit Mode is usable again.
        for (const char *name : {"cmdFileOpen", "cmdReset", "cmdModeChange", "cmdChangeDev"})
            QVERIFY2(button(w, name)->isEnabled(), name);
        QVERIFY(action(w, "mnuFilePrint")->isEnabled());
        QVERIFY(!rig.s.link.isPortOpen());
    }

    void resetInMoveModeKeepsEditCommandsDisabled() {
        LinkRig rig;
        frmMain w(rig.s);
        w.show();
        button(w, "cmdModeChange")->click();
        rig.sim.setSilent(true); // a failing reset must still give the controls back
        rig.prompter.answers.clear();
        QTest::mouseClick(button(w, "cmdReset"), Qt::LeftButton);
        QCOMPARE(rig.prompter.texts(), QStringList{msg::timeOut});
        QVERIFY(!button(w, "cmdFileOpen")->isEnabled());
        QVERIFY(w.findChild<QWidget *>(QStringLiteral("frmMoveRepeat"))->isEnabled());
        QVERIFY(button(w, "cmdReset")->isEnabled());
        QVERIFY(button(w, "cmdModeChange")->isEnabled());
        QVERIFY(!rig.s.controllerBusy);
    }

    void portLampFollowsThePort() {
        LinkRig rig;
        frmMain w(rig.s);
        w.show();
        rig.s.portOccupy = true; // the window's load read it from the store
        QVERIFY(!w.portLamp()->isLit());
        QCOMPARE(rig.s.link.openPort(), 0);
        QVERIFY(w.portLamp()->isLit());
        rig.s.link.closePortUnlessKept();
        QVERIFY(w.portLamp()->isLit());
        rig.s.link.closePort();
        QVERIFY(!w.portLamp()->isLit());
    }

    void versionMenuShowsVersionInStatusBar() {
        LinkRig rig(1);
        frmMain w(rig.s);
        w.show();
        action(w, "mnuShowCtversion")->trigger();
        QCOMPARE(rig.sim.log(), (QStringList{"0CM1", "0RV"}));
        const QString v = rig.s.indicators.controllerVersion;
        QCOMPARE(v.size(), 3);
        QCOMPARE(rig.prompter.texts(), QStringList{QStringLiteral("コントローラのバージョンは、 ") +
                                                   v + QStringLiteral(" です。")});
        QCOMPARE(w.statusPanel(1)->text(), QStringLiteral("ｺﾝﾄﾛｰﾗのﾊﾞｰｼﾞｮﾝ ") + v);
        QVERIFY(action(w, "mnuFileOpen")->isEnabled());
        QVERIFY(button(w, "cmdFileOpen")->isEnabled());
    }

    void parameterEditorIsModelessAndReused() {
        LinkRig rig;
        frmMain w(rig.s);
        w.show();
        action(w, "mnuShowParameta")->trigger();
        action(w, "mnuShowParameta")->trigger();
        const auto editors = w.findChildren<frmParameta *>();
        QCOMPARE(editors.size(), 1);
        QVERIFY(editors.first()->isVisible());
        QVERIFY(!editors.first()->isModal());
        QVERIFY(button(w, "cmdFileOpen")->isEnabled()); // the main window stays usable
        QVERIFY(rig.sim.log().isEmpty());
    }

    void ioWindowsOpenModallyAndGiveCommandsBack() {
        LinkRig rig;
        frmMain w(rig.s);
        w.show();
        QStringList titles;
        auto record = [&](QDialog &d) {
            titles << d.windowTitle();
            return int(QDialog::Rejected);
        };
        rig.prompter.dialogs.push_back(record);
        rig.prompter.dialogs.push_back(record);
        action(w, "mnuShowInpOutp")->trigger();
        rig.prompter.answers = {PromptAnswer::Cancel}; // do not read the outputs
        action(w, "mnuShowChangeOut")->trigger();
        QCOMPARE(titles, (QStringList{"I/O PORT", "Change Output Status"}));
        QCOMPARE(rig.prompter.texts(),
                 QStringList{QStringLiteral("Read the present output status, Yes/No?")});
        QVERIFY(rig.sim.log().isEmpty());
        QVERIFY(button(w, "cmdFileOpen")->isEnabled());
        QVERIFY(action(w, "mnuFilePrint")->isEnabled());
        QVERIFY(!rig.s.controllerBusy);
    }

    void optionsAboutAndHelpFromTheMenus() {
        LinkRig rig(1);
        frmMain w(rig.s);
        w.show();
        QStringList titles;
        auto record = [&](QDialog &d) {
            titles << d.windowTitle();
            return int(QDialog::Rejected);
        };
        rig.prompter.dialogs.push_back(record);
        rig.prompter.dialogs.push_back(record);
        action(w, "mnuViewOption")->trigger();
        action(w, "mnuHelpAbout")->trigger();
        rig.s.helpPath.clear();
        action(w, "mnuHelpContents")->trigger();
        QCOMPARE(titles, (QStringList{"ｵﾌﾟｼｮﾝ", "TZ-C3 ﾊﾞｰｼﾞｮﾝ情報..."}));
        QCOMPARE(rig.prompter.texts(), QStringList{rig.s.text(603)});
        QVERIFY(rig.prompter.unexpected.isEmpty());
    }

    void printFromTheToolbarGivesCommandsBack() {
        LinkRig rig;
        frmMain w(rig.s);
        w.show();
        bool buttonsOffMeanwhile = false;
        rig.prompter.dialogs.push_back([&](QDialog &) {
            buttonsOffMeanwhile = !button(w, "cmdFileOpen")->isEnabled();
            return int(QDialog::Rejected); // cancel the print selection
        });
        w.toolbarButtonClick(QStringLiteral("Print"));
        QVERIFY(buttonsOffMeanwhile);
        QVERIFY(button(w, "cmdFileOpen")->isEnabled());
        QVERIFY(rig.prompter.texts().isEmpty());
        QVERIFY(rig.prompter.unexpected.isEmpty());
    }

    void modeMenusAskFirst() {
        LinkRig rig;
        frmMain w(rig.s);
        w.show();
        rig.prompter.answers = {PromptAnswer::No};
        action(w, "mnuModeGaibu")->trigger();
        QVERIFY(rig.sim.log().isEmpty());
        rig.prompter.answers = {PromptAnswer::Yes};
        action(w, "mnuModeGaibu")->trigger();
        QCOMPARE(rig.sim.log(), (QStringList{"0CM1", "0CM0"}));
        QCOMPARE(rig.prompter.texts().last(), QStringLiteral("Chaged to [External start mode]."));
        rig.prompter.answers = {PromptAnswer::Yes};
        action(w, "mnuModeTrancefer")->trigger();
        QCOMPARE(rig.prompter.texts().last(), QStringLiteral("Changed [Communication mode]."));
        QVERIFY(button(w, "cmdLoadtoCt")->isEnabled());
        QVERIFY(!rig.s.controllerBusy);
        QVERIFY(rig.prompter.unexpected.isEmpty());
    }
};

TZC3_TEST(MainWindowLinkTest)
#include "test_main_window_link.moc"
