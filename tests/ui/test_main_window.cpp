// The main window beyond its commands (test_command_walk covers those).

#include "../link/link_rig.h"
#include "../positions/positions_rig.h"
#include "parameters/parameter_editor.h"
#include "test_registry.h"
#include "ui/main_window.h"
#include "widgets/lamp.h"

#include <QAbstractButton>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>
#include <optional>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(PromptAnswer)

namespace {

struct Win : LinkRig {
    MainWindow w{s};
    explicit Win(int language = 2, bool show = true) : LinkRig(language) {
        if (!show) return;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
    }
    template <class T = QWidget> T *get(const QString &name) const {
        auto *c = w.findChild<T *>(name);
        if (!c) qFatal("no %s", qPrintable(name));
        return c;
    }
    QString label(const char *name) const { return get<QLabel>(name)->text(); }
    void click(const char *name) { QTest::mouseClick(get<QAbstractButton>(name), Qt::LeftButton); }
    // The names among `names` whose action or widget is enabled.
    QStringList enabledAmong(const QStringList &names) const {
        QStringList out;
        for (const QString &n : names) {
            auto *a = w.findChild<QAction *>(n);
            if (a ? a->isEnabled() : get(n)->isEnabled()) out << n;
        }
        return out;
    }
};

// Every text a user can read on an object, its tip included.
QString allTexts(QObject *o) {
    QStringList t;
    if (auto *m = qobject_cast<QMenu *>(o)) o = m->menuAction();
    if (auto *a = qobject_cast<QAction *>(o)) t << a->text() << a->toolTip();
    if (auto *g = qobject_cast<QGroupBox *>(o)) t << g->title();
    if (auto *b = qobject_cast<QAbstractButton *>(o)) t << b->text();
    if (auto *l = qobject_cast<QLabel *>(o)) t << l->text();
    if (auto *tab = qobject_cast<QTabWidget *>(o))
        for (int i = 0; i < tab->count(); ++i)
            t << tab->tabText(i);
    if (auto *c = qobject_cast<QWidget *>(o)) t << c->toolTip();
    t.removeAll(QString());
    return t.join(u'|');
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    // Frames, labels, lamps, grids, check and option boxes, and the bold mode title.
    void modeSwitchSetsTheOtherMembers() {
        Win r;
        const QStringList moveOnly =
            QString("moveModeLabel moveFrame dwellFrame selectedCaption completedCaption "
                    "completedLabel "
                    "repeatBox timerBox outputsCaption continualOption stepOption out1Caption "
                    "out2Caption out1LampImage out2LampImage programGrid motionTabs "
                    "selectedSpinner selectedBox")
                .split(u' ');
        const QStringList editOnly =
            QString("editModeLabel editFrame roundUpOption roundDownOption positionGrid")
                .split(u' ');
        const QStringList titles{"editModeLabel", "editFrame",  "moveModeLabel",
                                 "moveFrame",     "openButton", "moveButton"};
        const QStringList timer{"dwellCaption", "dwellBox"};
        for (bool edit : {true, false, true}) {
            QCOMPARE(r.w.isEditMode(), edit);
            QCOMPARE(r.enabledAmong(moveOnly + editOnly + timer), edit ? editOnly : moveOnly);
            QStringList bold;
            for (const QString &n : titles)
                if (r.get(n)->font().bold()) bold << n;
            QCOMPARE(bold, titles.mid(edit ? 0 : 2, 2));
            r.click("changeModeButton");
        }
        // In Move Mode: the motion lock reaches the check and option boxes.
        const QStringList boxes{"timerBox", "repeatBox", "continualOption", "stepOption"};
        r.w.lockMotionControls(true);
        QCOMPARE(r.enabledAmong(boxes), QStringList());
        r.w.lockMotionControls(false);
        QCOMPARE(r.enabledAmong(boxes + timer), boxes);
        // A ticked Timer opens the box, and Move Mode brings it back.
        r.click("timerBox");
        QCOMPARE(r.enabledAmong(timer), timer);
        r.w.changeMode();
        QCOMPARE(r.enabledAmong(timer), QStringList());
        r.w.changeMode();
        QCOMPARE(r.enabledAmong(timer), timer);
        r.click("timerBox");
        QCOMPARE(r.enabledAmong(timer), QStringList());
    }

    void toolbarHideShowTwiceRestoresFrames() {
        Win r;
        auto *bar = r.get<QToolBar>("toolBar");
        auto *toggle = r.get<QAction>("toolBarAction");
        const auto frames = [&](int shift) {
            QList<QPoint> out;
            for (const char *name : {"modeFrame", "statusFrame", "editFrame", "moveFrame"})
                out << r.get(name)->mapTo(&r.w, QPoint(0, shift));
            return out;
        };
        const QList<QPoint> first = frames(0);
        for (int round = 0; round < 2; ++round) {
            toggle->trigger();
            QCoreApplication::processEvents();
            QVERIFY(!toggle->isChecked() && bar->isHidden());
            QCOMPARE(frames(bar->height()), first);
            toggle->trigger();
            QCoreApplication::processEvents();
            QVERIFY(toggle->isChecked() && !bar->isHidden());
            QCOMPARE(frames(0), first);
        }
    }

    // One question (none while busy); leaving writes the port and next language.
    void closing_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("table"); // 0 unchanged, 1 changed, 2 changed and controller busy
        QTest::addColumn<bool>("pending");
        QTest::addColumn<PromptAnswer>("answer");
        QTest::addColumn<QString>("stored"); // the language written; none: the window stays
        QTest::addColumn<bool>("exitCancelled");
        const auto row = [](const char *name, int language, int table, bool pending,
                            PromptAnswer answer, const char *stored, bool exitCancelled) {
            QTest::newRow(name) << language << table << pending << answer << QString(stored)
                                << exitCancelled;
        };
        row("unchanged, OK", 2, 0, false, PromptAnswer::Ok, "2", false);
        row("unchanged, Cancel", 2, 0, false, PromptAnswer::Cancel, "", true);
        row("Japanese, English chosen", 1, 0, true, PromptAnswer::Ok, "2", false);
        row("English, Japanese chosen", 2, 0, true, PromptAnswer::Ok, "1", false);
        row("language 7 kept", 7, 0, false, PromptAnswer::Ok, "7", false);
        row("changed, No", 2, 1, false, PromptAnswer::No, "2", false);
        row("changed, Cancel", 2, 1, false, PromptAnswer::Cancel, "", true);
        row("changed, Yes, save cancelled", 2, 1, false, PromptAnswer::Yes, "", false);
        row("controller busy", 2, 2, false, PromptAnswer::Ok, "", false);
    }
    void closing() {
        QFETCH(int, language);
        QFETCH(int, table);
        QFETCH(bool, pending);
        QFETCH(PromptAnswer, answer);
        QFETCH(QString, stored);
        Win r(language);
        // An exchange holds the port: the refused close must leave it open.
        std::optional<BusyScope> busy;
        if (table == 2) {
            busy.emplace(r.s.link);
            QVERIFY(r.s.link.openPort());
        }
        r.s.link.portNumber = 4;
        r.s.languageChangePending = pending;
        if (table) { // a valid table: Save As accepts it, so only the cancelled dialog stays
            useDevice(r.s, " 28", "L", 100);
            fillValidTable(r.s);
            r.s.positions.tag = PositionTable::ChangedTag;
        }
        QWidget other;
        other.show();
        r.prompter.answers.push_back(answer);
        r.prompter.files.push_back(std::nullopt); // the Save As dialog, if it comes
        r.get<QAction>("exitAction")->trigger();
        QVERIFY(r.w.isVisible() == stored.isEmpty() && other.isVisible() == stored.isEmpty());
        QTEST(r.s.exitCancelled, "exitCancelled");
        QVERIFY(r.prompter.unexpected.isEmpty());
        const QString question = table           ? "Data have been changed.Save in file?"
                                 : language == 1 ? "TZ-C3 を終了します。"
                                                 : "Finish TZ-C3.";
        QCOMPARE(r.prompter.texts(), table == 2 ? QStringList() : QStringList{question});
        if (table != 2) {
            const PromptRecord &q = r.prompter.log.first();
            QVERIFY(q.kind == PromptRecord::Ask && q.icon == PromptIcon::Question);
            QCOMPARE(q.buttons, table ? PromptButtons::YesNoCancel : PromptButtons::OkCancel);
        }
        QCOMPARE(r.settings.read(QStringLiteral("PortNo"), QString()), stored.isEmpty() ? "" : "4");
        QCOMPARE(r.settings.read(QStringLiteral("Languege"), QString()), stored);
        QCOMPARE(r.s.link.isPortOpen(), table == 2);
    }

    // No caption of a Japanese start is English; a sample letter for letter.
    void captionsFollowTheLanguage() {
        Win ja(1, false), en(2, false);
        const QStringList same{"alarmNoCaption", "alarmCaption", "errorTextLabel",
                               "out1Caption",    "out2Caption",  "fillProgramButton"};
        for (QObject *o : en.w.findChildren<QObject *>()) {
            const QString english = allTexts(o);
            if (english.isEmpty() || same.contains(o->objectName())) continue;
            const QString japanese = allTexts(ja.w.findChild<QObject *>(o->objectName()));
            QVERIFY2(japanese != english, qPrintable(o->objectName() + u' ' + english));
        }
        const struct {
            Win &r;
            const char *name, *texts;
        } rows[] = {
            {ja, "writeButton", "ｺﾝﾄﾛｰﾗへ 書込み|ｺﾝﾄﾛｰﾗへﾃﾞｰﾀを書き込みます"},
            {ja, "ioMenu", "入出力( &S)|入出力( S)"},
            {ja, "portCaption", "RS-232C|緑ランプ：通信ポートOPEN 　赤ランプ：通信ポートCLOSE"},
            {en, "writeButton", "Write to  C/T|Write Data to Controller"},
            {en, "verifyMenu", "Verfy Position|Verfy Position"},
        };
        for (const auto &row : rows)
            QCOMPARE(allTexts(row.r.get<QObject>(row.name)), QString::fromUtf8(row.texts));
        const auto headings = [](Win &r) {
            auto *data = r.get<QTableWidget>("positionGrid");
            QStringList seen;
            for (int c = 0; c < data->columnCount(); ++c)
                seen << data->horizontalHeaderItem(c)->text();
            return seen << r.get<QTableWidget>("programGrid")->item(1, 0)->text();
        };
        QCOMPARE(headings(ja).join(u','), "速度,加速,出力,位置(ﾊﾟﾙｽ),位置(mm),コメント,位置No.");
        QCOMPARE(headings(en).join(u','), "VEL,ACC,OUT,Posi(Pulse),Posi(mm),Comment,Posi No.");
    }

    void layoutAndRoundingOptions() {
        Win r(2, false);
        auto *data = r.get<QTableWidget>("positionGrid");
        QCOMPARE(data->rowCount(), 15);
        QCOMPARE(data->verticalHeaderItem(9)->text() + data->verticalHeaderItem(14)->text(), "AF");
        auto *program = r.get<QTableWidget>("programGrid");
        QCOMPARE(program->item(0, 0)->text() + program->item(0, 15)->text(), "No.15");
        QCOMPARE(r.w.windowTitle(), "TZ-C3 Ver1.80");
        QStringList bar;
        for (QAction *a : r.get<QToolBar>("toolBar")->actions())
            bar << (a->isSeparator() ? QStringLiteral("|") : a->objectName());
        QCOMPARE(bar.join(u' '), "New Open Save | Print | Read Load Verify");
        auto *up = r.get<QAbstractButton>("roundUpOption");
        auto *down = r.get<QAbstractButton>("roundDownOption");
        QVERIFY(up->isChecked() == r.s.roundUpHalves && down->isChecked() != r.s.roundUpHalves);
        down->click();
        QVERIFY(!r.s.roundUpHalves && down->isChecked());
        up->click();
        QVERIFY(r.s.roundUpHalves && up->isChecked());
    }

    void programButtonsAndSpinner() {
        Win r;
        r.w.changeMode();
        const auto program = [&] {
            QString cells;
            for (int c = 1; c <= 15; ++c)
                cells += r.w.programCell(c);
            return cells;
        };
        r.click("fillProgramButton");
        QCOMPARE(program(), "123456789ABCDEF");
        r.click("clearProgramButton");
        QCOMPARE(program(), QString());
        auto *updown = r.get("selectedSpinner");
        auto *up = updown->findChild<QToolButton *>(QStringLiteral("up"));
        auto *no = r.get<QLineEdit>("selectedBox");
        const auto shown = [&] {
            return no->text() + u'/' + r.get<QLineEdit>("selectedHexBox")->text();
        };
        for (int i = 0; i < 16; ++i)
            up->click(); // stops at 15
        QCOMPARE(shown(), "15/F");
        updown->findChild<QToolButton *>(QStringLiteral("down"))->click();
        QCOMPARE(shown(), "14/E");
        no->setText(QStringLiteral("10"));
        QCOMPARE(shown(), "10/A");
    }

    // The program travels in the position file, so editing it is a change
    // the save questions must cover; a click that changes nothing is not.
    void programEditsCountAsChanges_data() {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<bool>("changed");
        QTest::newRow("typed step") << "type" << true;
        QTest::newRow("1 to F") << "fillProgramButton" << true;
        QTest::newRow("Clear, program empty") << "clearProgramButton" << false;
        QTest::newRow("Clear, program loaded") << "load+clearProgramButton" << true;
    }
    void programEditsCountAsChanges() {
        QFETCH(QString, edit);
        QFETCH(bool, changed);
        Win r;
        r.w.changeMode();
        if (edit.startsWith(u"load+"_s)) { // as a file read leaves it
            r.s.program.steps[1] = u"3"_s;
            r.w.refreshGrids();
            edit = edit.mid(5);
        }
        QVERIFY(!r.s.positions.changed());
        if (edit == u"type"_s) {
            ProgramGrid *g = r.w.programGrid();
            g->setFocus();
            g->setCurrentCell(1, 4);
            QTest::keyClick(g, Qt::Key_7);
            QTest::keyClick(g->editor(), Qt::Key_Return);
            QCOMPARE(r.w.programCell(4), u"7"_s);
        } else {
            r.click(qPrintable(edit));
        }
        QCOMPARE(r.s.positions.changed(), changed);
        r.prompter.answers.push_back(PromptAnswer::Cancel);
        r.w.close();
        QCOMPARE(r.prompter.texts(), QStringList{changed ? u"Data have been changed.Save in file?"_s
                                                         : u"Finish TZ-C3."_s});
        QVERIFY(r.w.isVisible());
    }

    void deviceDisplayAndChange() {
        Win r;
        DeviceRecord &d = r.s.device;
        d.tz = true;
        d.newType = false;
        useDevice(r.s, " 28", "L", 100);
        r.w.showDeviceDisplay();
        QVERIFY(r.get("typeArea")->isVisible() && r.get("oldTypeMarker")->isVisible());
        d.tz = false;
        r.w.showDeviceDisplay();
        QVERIFY(!r.get("typeArea")->isVisible());
        d.tz = d.newType = true;
        r.w.showDeviceDisplay();
        QVERIFY(!r.get("oldTypeMarker")->isVisible());
        // A cancelled dialog changes nothing: the grid shows the table as it was.
        r.s.positions.setText(1, PositionTable::ColPulse, QStringLiteral("   1000"));
        bool offDuringDialog = false;
        r.prompter.dialogs.push_back([&](QDialog &dlg) {
            offDuringDialog = r.enabledAmong({"changeDeviceButton"}).isEmpty();
            dlg.reject();
            return int(QDialog::Rejected);
        });
        r.click("changeDeviceButton");
        QVERIFY(offDuringDialog && !r.enabledAmong({"changeDeviceButton"}).isEmpty());
        auto *grid = r.get<QTableWidget>("positionGrid");
        QCOMPARE(grid->item(0, 3)->text() + u'|' + grid->item(0, 4)->text(), "   1000|");
        QVERIFY(r.prompter.unexpected.isEmpty());
    }

    // Reset clears the alarm and gives the mode's commands back, even on silence.
    void resetInBothModes_data() {
        QTest::addColumn<bool>("moveMode");
        QTest::addColumn<bool>("silent");
        QTest::newRow("Edit Mode") << false << false;
        QTest::newRow("Move Mode") << true << false;
        QTest::newRow("Move Mode, silent controller") << true << true;
    }
    void resetInBothModes() {
        QFETCH(bool, moveMode);
        QFETCH(bool, silent);
        Win r;
        if (moveMode) r.click("changeModeButton");
        r.sim.raiseAlarm(QStringLiteral("0E"));
        QVERIFY(!r.s.link.transact(QStringLiteral("0RV"), QString(), 8));
        QVERIFY(r.w.alarmLamp()->isLit() && !r.w.homeLamp()->isLit());
        QCOMPARE(r.label("alarmNoLabel") + u'|' + r.label("errorTextLabel"), "0E|Emergency stop");
        r.sim.clearLog();
        r.prompter.clear();
        r.sim.setSilent(silent);
        r.click("resetButton");
        if (silent) {
            QCOMPARE(r.prompter.texts(), QStringList{msg::timeOut});
        } else {
            QCOMPARE(r.sim.log(), (QStringList{"0%C", "0CM1"}));
            QVERIFY(r.prompter.log.isEmpty() && !r.w.alarmLamp()->isLit());
            QCOMPARE(r.label("alarmNoLabel") + u'|' + r.label("errorTextLabel"), "|No Error");
        }
        const QStringList always{"resetButton", "changeModeButton", "optionsAction"};
        QCOMPARE(r.enabledAmong(always + QStringList{"openButton", "moveFrame"}),
                 always + QStringList{moveMode ? "moveFrame" : "openButton"});
        QVERIFY(!r.s.controllerBusy() && !r.s.link.isPortOpen());
    }

    void statusAreaShowsPortAndVersion() {
        Win r(1);
        QVERIFY(!r.w.portLamp()->isLit());
        QVERIFY(r.s.link.openPort());
        QVERIFY(r.w.portLamp()->isLit());
        r.s.link.closePort();
        QVERIFY(!r.w.portLamp()->isLit());
        r.get<QAction>("versionAction")->trigger();
        QCOMPARE(r.sim.log(), (QStringList{"0CM1", "0RV"}));
        const QString v = r.s.link.indicators.controllerVersion;
        QCOMPARE(v.size(), 3);
        QCOMPARE(r.prompter.texts(), QStringList{"コントローラのバージョンは、 " + v + " です。"});
        QCOMPARE(r.w.statusPanel(1)->text(), "ｺﾝﾄﾛｰﾗのﾊﾞｰｼﾞｮﾝ " + v);
    }

    void parameterEditorAndOutputChange() {
        Win r;
        r.get<QAction>("parametersAction")->trigger();
        r.get<QAction>("parametersAction")->trigger();
        const auto editors = r.w.findChildren<ParameterEditor *>();
        QCOMPARE(editors.size(), 1);
        QVERIFY(editors.first()->isVisible() && !editors.first()->isModal());
        QCOMPARE(r.enabledAmong({"openButton"}).size(), 1); // the main window stays usable
        // ... except while either window talks to the controller.
        ParameterEditor *editor = editors.first();
        QSet<QString> seen;
        const auto watch = QObject::connect(&r.sim, &SimServer::lineReceived, [&] {
            seen << QStringLiteral("main %1%2, editor %3")
                        .arg(r.get("openButton")->isEnabled())
                        .arg(r.w.menuBar()->isEnabled())
                        .arg(editor->isEnabled());
        });
        r.prompter.answers = {PromptAnswer::Yes, PromptAnswer::Yes};
        editor->findChild<QAbstractButton *>(QStringLiteral("controllerReadButton"))->click();
        QCOMPARE(seen, QSet<QString>{"main 00, editor 1"});
        seen.clear();
        r.click("readButton");
        QCOMPARE(seen, QSet<QString>{"main 01, editor 0"}); // its own bracket: items, not the bar
        QObject::disconnect(watch);
        QVERIFY(r.get("openButton")->isEnabled() && r.w.menuBar()->isEnabled() &&
                editor->isEnabled());
        r.prompter.clear();
        r.sim.clearLog();
        r.prompter.dialogs.push_back([](QDialog &) { return int(QDialog::Rejected); });
        r.prompter.answers = {PromptAnswer::Cancel};
        r.get<QAction>("outputChangeAction")->trigger();
        QCOMPARE(r.prompter.texts(), QStringList{"Read the present output status, Yes/No?"});
        QVERIFY(r.sim.log().isEmpty());
    }
};

TZC3_TEST(MainWindowTest)
#include "test_main_window.moc"
