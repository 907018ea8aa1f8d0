#include "test_registry.h"
#include "test_support.h"
#include "ui/lamp.h"
#include "ui/main_window.h"

#include <QAbstractButton>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>
#include <memory>
#include <optional>

Q_DECLARE_METATYPE(PromptAnswer)

namespace {

struct Rig : TestEnv {
    std::unique_ptr<frmMain> w;
    explicit Rig(int language = 2, bool show = true) : TestEnv(language) {
        w = std::make_unique<frmMain>(s);
        if (show) {
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        }
    }
    template <class T = QWidget> T *find(const QString &name) const {
        return w->findChild<T *>(name);
    }
};

std::optional<bool> enabledOf(const Rig &r, const QString &name) {
    if (auto *a = r.find<QAction>(name)) return a->isEnabled();
    if (auto *c = r.find<QWidget>(name)) return c->isEnabled();
    return std::nullopt;
}

QString captionOf(const Rig &r, const QString &name) {
    if (auto *a = r.find<QAction>(name)) return a->text();
    if (auto *g = r.find<QGroupBox>(name)) return g->title();
    if (auto *b = r.find<QAbstractButton>(name)) return b->text();
    if (auto *l = r.find<QLabel>(name)) return l->text();
    return QStringLiteral("<no %1>").arg(name);
}

QString tipOf(const Rig &r, const QString &name) {
    if (auto *a = r.find<QAction>(name)) return a->toolTip();
    if (auto *c = r.find<QWidget>(name)) return c->toolTip();
    return QStringLiteral("<no %1>").arg(name);
}

QList<QPoint> framePositions(const Rig &r) {
    QList<QPoint> out;
    for (const char *name : {"frmJog", "frmTrancefer", "frmDataEdit", "frmMoveRepeat"})
        out << r.find<QWidget>(QLatin1String(name))->mapTo(r.w.get(), QPoint(0, 0));
    return out;
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    // Each member's enabled state in Edit Mode (at start and after switching
    // back) and in Move Mode, with the Timer box left unticked.
    void modeSwitchSetsEveryMember_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("inEdit");
        QTest::addColumn<bool>("inMove");
        const auto rows = [](std::initializer_list<const char *> names, bool edit, bool move) {
            for (const char *n : names)
                QTest::newRow(n) << QString::fromLatin1(n) << edit << move;
        };
        rows({"lblMoveMode",    "frmMoveRepeat",  "frmTimer",    "lblSelect",   "lblKanryoiti",
              "lblkanryoNo",    "chkRepeat",      "chkTimerUse", "cmdMove",     "cmdStop",
              "cmdSelectMove",  "cmdDataClear",   "cmdTmpStop",  "cmdHome",     "cmdInp1toF",
              "optSelectMode0", "optSelectMode1", "lblOutput12", "lblOutLamp1", "lblOutLamp2",
              "imgOutLamp1",    "imgOutLamp2",    "flgdProgram", "SSTab1",      "UpDown1",
              "txtNo"},
             false, true);
        rows({"lblTimer", "txtTimer"}, false, false);
        rows({"lblEditMode",
              "frmDataEdit",
              "cmdFileOpen",
              "cmdSaveFile",
              "cmdLoadtoCt",
              "cmdGetfromCt",
              "cmdPosiDataShogo",
              "optSutiSyori0",
              "optSutiSyori1",
              "cmdChangeDev",
              "flgdData",
              "New",
              "Open",
              "Save",
              "Print",
              "Read",
              "Load",
              "Shogo",
              "mnuFileNew",
              "mnuFileOpen",
              "mnuFileGetfromCt",
              "mnuFileSave",
              "mnuFileSaveAs",
              "mnuFileLoadtoCt",
              "mnuFileShogo",
              "mnuFilePageSetup",
              "mnuFilePrint",
              "mnuShowState",
              "mnuShowChangeOut",
              "mnuShowInpOutp",
              "mnuShowParameta",
              "mnuShowCtversion",
              "mnuModeChange"},
             true, false);
        rows({"cmdModeChange", "cmdReset", "mnuFileExit", "mnuView", "mnuViewToolBar",
              "mnuViewStatusBar", "mnuViewOption", "mnuHelp", "mnuHelpContents", "mnuHelpAbout"},
             true, true);
    }
    void modeSwitchSetsEveryMember() {
        QFETCH(QString, name);
        QFETCH(bool, inEdit);
        QFETCH(bool, inMove);
        Rig r;
        auto *change = r.find<QAbstractButton>(QStringLiteral("cmdModeChange"));
        QVERIFY(enabledOf(r, name).has_value());
        QCOMPARE(*enabledOf(r, name), inEdit);
        QVERIFY(r.w->isEditMode());
        QTest::mouseClick(change, Qt::LeftButton);
        QVERIFY(!r.w->isEditMode());
        QCOMPARE(*enabledOf(r, name), inMove);
        QTest::mouseClick(change, Qt::LeftButton);
        QVERIFY(r.w->isEditMode());
        QCOMPARE(*enabledOf(r, name), inEdit);
    }

    void activeModeIsBoldAndTimerBoxFollowsTheCheckBox() {
        Rig r;
        auto *edit = r.find<QLabel>(QStringLiteral("lblEditMode"));
        auto *move = r.find<QLabel>(QStringLiteral("lblMoveMode"));
        auto *editFrame = r.find<QGroupBox>(QStringLiteral("frmDataEdit"));
        auto *moveFrame = r.find<QGroupBox>(QStringLiteral("frmMoveRepeat"));
        auto *timer = r.find<QAbstractButton>(QStringLiteral("chkTimerUse"));
        auto *box = r.find<QLineEdit>(QStringLiteral("txtTimer"));
        QVERIFY(edit->font().bold() && !move->font().bold());
        QVERIFY(editFrame->font().bold() && !moveFrame->font().bold());
        // The bold title must not spill into the controls inside the frame.
        QVERIFY(!r.find<QWidget>(QStringLiteral("cmdFileOpen"))->font().bold());

        r.w->changeMode();
        QVERIFY(!edit->font().bold() && move->font().bold());
        QVERIFY(!editFrame->font().bold() && moveFrame->font().bold());
        QTest::mouseClick(timer, Qt::LeftButton);
        QVERIFY(box->isEnabled());
        QVERIFY(r.find<QWidget>(QStringLiteral("lblTimer"))->isEnabled());
        r.w->changeMode();
        QVERIFY(!box->isEnabled());
        r.w->changeMode(); // ticked Timer: the box comes back with Move Mode
        QVERIFY(box->isEnabled());
        QTest::mouseClick(timer, Qt::LeftButton);
        QVERIFY(!box->isEnabled());
    }

    void operationBracketsDisableTheirListsOnly_data() {
        QTest::addColumn<QString>("op");
        QTest::addColumn<QStringList>("members");
        QTest::addColumn<QStringList>("untouched");
        QTest::newRow("CMDBTN") << "CMDBTN"
                                << QStringList{"cmdFileOpen",  "cmdSaveFile",      "cmdLoadtoCt",
                                               "cmdGetfromCt", "cmdPosiDataShogo", "cmdReset",
                                               "cmdModeChange"}
                                << QStringList{"cmdChangeDev", "flgdData", "New", "mnuFileNew"};
        QTest::newRow("ToolBar") << "ToolBar" << QStringList{"New",  "Open", "Save", "Print",
                                                             "Read", "Load", "Shogo"}
                                 << QStringList{"cmdFileOpen", "mnuFileOpen"};
        QTest::newRow("Menyu") << "Menyu" << QStringList{"mnuFileNew",       "mnuFileOpen",
                                                         "mnuFileGetfromCt", "mnuFileSave",
                                                         "mnuFileSaveAs",    "mnuFileShogo",
                                                         "mnuFileLoadtoCt",  "mnuFilePageSetup",
                                                         "mnuFilePrint",     "mnuShowCtversion",
                                                         "mnuModeChange",    "mnuView"}
                               << QStringList{"mnuFileExit", "mnuHelp", "mnuHelpAbout",
                                              "cmdFileOpen", "Open"};
        QTest::newRow("CTModeChange") << "CTModeChange" << QStringList{"mnuModeChange"}
                                      << QStringList{"mnuFileNew", "mnuView"};
    }
    void operationBracketsDisableTheirListsOnly() {
        QFETCH(QString, op);
        QFETCH(QStringList, members);
        QFETCH(QStringList, untouched);
        Rig r;
        const auto run = [&](bool muko) {
            frmMain &w = *r.w;
            if (op == QLatin1String("CMDBTN")) muko ? w.CMDBTN_Muko() : w.CMDBTN_Yuko();
            if (op == QLatin1String("ToolBar")) muko ? w.ToolBar_Muko() : w.ToolBar_Yuko();
            if (op == QLatin1String("Menyu")) muko ? w.Menyu_Muko() : w.Menyu_Yuko();
            if (op == QLatin1String("CTModeChange"))
                muko ? w.CTModeChange_Muko() : w.CTModeChange_Yuko();
        };
        run(true);
        for (const QString &m : members)
            QVERIFY2(enabledOf(r, m) == false, qPrintable(m));
        for (const QString &m : untouched)
            QVERIFY2(enabledOf(r, m) == true, qPrintable(m));
        run(false);
        for (const QString &m : members + untouched)
            QVERIFY2(enabledOf(r, m) == true, qPrintable(m));
    }

    void motionLockKeepsPauseAndStop() {
        Rig r;
        r.w->changeMode();
        const QStringList locked{"cmdHome",      "cmdSelectMove",  "cmdMove",       "cmdModeChange",
                                 "cmdDataClear", "cmdInp1toF",     "chkTimerUse",   "chkRepeat",
                                 "cmdReset",     "optSelectMode0", "optSelectMode1"};
        r.w->lockMotionControls(true);
        for (const QString &m : locked)
            QVERIFY2(enabledOf(r, m) == false, qPrintable(m));
        QVERIFY(enabledOf(r, "cmdTmpStop") == true && enabledOf(r, "cmdStop") == true);
        r.w->lockMotionControls(false);
        for (const QString &m : locked)
            QVERIFY2(enabledOf(r, m) == true, qPrintable(m));
        QVERIFY(enabledOf(r, "txtTimer") == false); // Timer is not ticked
    }

    void toolbarHideShowTwiceRestoresFrames() {
        Rig r;
        auto *bar = r.find<QToolBar>(QStringLiteral("tbToolBar"));
        auto *toggle = r.find<QAction>(QStringLiteral("mnuViewToolBar"));
        const QList<QPoint> first = framePositions(r);
        const int height = bar->height();
        for (int round = 0; round < 2; ++round) {
            toggle->trigger();
            QCoreApplication::processEvents();
            QVERIFY(!toggle->isChecked() && bar->isHidden());
            const QList<QPoint> hidden = framePositions(r);
            for (int i = 0; i < first.size(); ++i)
                QCOMPARE(hidden[i], first[i] - QPoint(0, height));
            toggle->trigger();
            QCoreApplication::processEvents();
            QVERIFY(toggle->isChecked() && !bar->isHidden());
            QCOMPARE(framePositions(r), first);
        }
        auto *status = r.find<QAction>(QStringLiteral("mnuViewStatusBar"));
        status->trigger();
        QVERIFY(r.w->statusBar()->isHidden() && !status->isChecked());
        status->trigger();
        QVERIFY(!r.w->statusBar()->isHidden() && status->isChecked());
    }

    void toolbarDispatchesOnKey_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("target");
        QTest::newRow("New") << "New"
                             << "mnuFileNew";
        QTest::newRow("Open") << "Open"
                              << "cmdFileOpen";
        QTest::newRow("Save") << "Save"
                              << "mnuFileSave";
        QTest::newRow("Print") << "Print"
                               << "mnuFilePrint";
        QTest::newRow("Read") << "Read"
                              << "cmdGetfromCt";
        QTest::newRow("Load") << "Load"
                              << "cmdLoadtoCt";
        QTest::newRow("Shogo") << "Shogo"
                               << "cmdPosiDataShogo";
        QTest::newRow("unknown") << "Bogus"
                                 << "";
    }
    void toolbarDispatchesOnKey() {
        QFETCH(QString, key);
        QFETCH(QString, target);
        Rig r;
        QMap<QString, std::shared_ptr<QSignalSpy>> spies;
        for (const char *n : {"mnuFileNew", "mnuFileSave", "mnuFilePrint"})
            spies[QLatin1String(n)] = std::make_shared<QSignalSpy>(
                r.find<QAction>(QLatin1String(n)), &QAction::triggered);
        for (const char *n : {"cmdFileOpen", "cmdGetfromCt", "cmdLoadtoCt", "cmdPosiDataShogo"})
            spies[QLatin1String(n)] = std::make_shared<QSignalSpy>(
                r.find<QAbstractButton>(QLatin1String(n)), &QAbstractButton::clicked);
        if (auto *button = r.find<QAction>(key))
            button->trigger();
        else
            r.w->toolbarButtonClick(key);
        for (auto it = spies.cbegin(); it != spies.cend(); ++it)
            QCOMPARE(it.value()->count(), it.key() == target ? 1 : 0);
    }

    void closingAsksOneQuestion_data() {
        QTest::addColumn<bool>("changed");
        QTest::addColumn<PromptAnswer>("answer");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<bool>("exitCancelled");
        QTest::newRow("unchanged, OK") << false << PromptAnswer::Ok << true << false;
        QTest::newRow("unchanged, Cancel") << false << PromptAnswer::Cancel << false << true;
        QTest::newRow("changed, No") << true << PromptAnswer::No << true << false;
        QTest::newRow("changed, Cancel") << true << PromptAnswer::Cancel << false << true;
        QTest::newRow("changed, Yes, save cancelled")
            << true << PromptAnswer::Yes << false << false;
    }
    void closingAsksOneQuestion() {
        QFETCH(bool, changed);
        QFETCH(PromptAnswer, answer);
        QFETCH(bool, closes);
        QFETCH(bool, exitCancelled);
        Rig r;
        if (changed) {
            // A table Save As accepts, so the cancelled dialog is what keeps the window.
            for (int row = 1; row <= 15; ++row)
                for (int col = 1; col <= 4; ++col)
                    r.s.positions.setText(row, col, QString::number(col == 4 ? 0 : 1));
            r.s.positions.tag = PositionTable::ChangedTag;
        }
        r.prompter.answers.push_back(answer);
        r.prompter.files.push_back(std::nullopt); // the Save As dialog, if it comes, is cancelled
        QCOMPARE(r.w->close(), closes);
        QCOMPARE(r.w->isVisible(), !closes);
        QCOMPARE(r.s.exitCancelled, exitCancelled);
        QVERIFY(r.prompter.unexpected.isEmpty());
        const PromptRecord &q = r.prompter.log.first();
        QCOMPARE(q.kind, PromptRecord::Ask);
        QCOMPARE(q.icon, PromptIcon::Question);
        QCOMPARE(r.prompter.texts(),
                 QStringList{changed ? "Data have been changed.Save in file?" : "Finish TZ-C3."});
        QCOMPARE(q.buttons, changed ? PromptButtons::YesNoCancel : PromptButtons::OkCancel);
        QCOMPARE(r.settings.contains(QStringLiteral("PortNo")), closes);
        QCOMPARE(r.settings.contains(QStringLiteral("Languege")), closes);
    }

    void exitWritesPortAndLanguage_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<bool>("pending");
        QTest::addColumn<QString>("stored");
        QTest::newRow("Japanese kept") << 1 << false << "1";
        QTest::newRow("Japanese, English chosen") << 1 << true << "2";
        QTest::newRow("English, Japanese chosen") << 2 << true << "1";
        QTest::newRow("language 7 kept") << 7 << false << "7";
    }
    void exitWritesPortAndLanguage() {
        QFETCH(int, language);
        QFETCH(bool, pending);
        QFETCH(QString, stored);
        Rig r(language);
        r.s.portNumber = 4;
        r.s.languageChangePending = pending;
        QWidget other;
        other.show();
        r.prompter.answers.push_back(PromptAnswer::Ok);
        r.find<QAction>(QStringLiteral("mnuFileExit"))->trigger();
        QVERIFY(!r.w->isVisible());
        QVERIFY(!other.isVisible());
        QCOMPARE(r.prompter.texts(),
                 QStringList{language == 1 ? QStringLiteral("TZ-C3 を終了します。")
                                           : QStringLiteral("Finish TZ-C3.")});
        QCOMPARE(r.settings.read(QStringLiteral("PortNo"), QString()), QStringLiteral("4"));
        QCOMPARE(r.settings.read(QStringLiteral("Languege"), QString()), stored);
    }

    void busyControllerRefusesCloseSilently() {
        Rig r;
        r.s.controllerBusy = true;
        r.s.positions.tag = PositionTable::ChangedTag;
        QVERIFY(!r.w->close());
        QVERIFY(r.w->isVisible());
        QVERIFY(r.prompter.log.isEmpty());
        QVERIFY(!r.settings.contains(QStringLiteral("PortNo")));
    }

    void captionsFollowTheLanguage_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("tip");
        const auto row = [](int lang, const char *name, const char *caption, const char *tip) {
            QTest::addRow("%s %s", lang == 1 ? "ja" : "en", name)
                << lang << QString::fromLatin1(name) << QString::fromUtf8(caption)
                << QString::fromUtf8(tip);
        };
        row(1, "frmJog", "モード選択", "");
        row(1, "lblEditMode", "ﾃﾞｰﾀ編集ﾓｰﾄﾞ", "");
        row(1, "cmdLoadtoCt", "ｺﾝﾄﾛｰﾗへ 書込み", "ｺﾝﾄﾛｰﾗへﾃﾞｰﾀを書き込みます");
        row(1, "optSutiSyori1", "mm位置 切り捨て",
            "位置をmm入力した時に、位置を取りうる値に切り下げます");
        row(1, "mnuShowState", "入出力( &S)", "");
        row(1, "mnuFilePageSetup", "プリンター設定(&U)", "");
        row(1, "Shogo", "ﾃﾞｰﾀの照合", "ﾃﾞｰﾀの照合");
        row(1, "lblJotai", "RS-232C", "緑ランプ：通信ポートOPEN 　赤ランプ：通信ポートCLOSE");
        row(1, "lblTimer", "停止時間(100msec)", "設定値は100msec単位です。例：10(1秒)");
        row(1, "lblFileName", "新規作成", "");
        row(1, "cmdInp1toF", "1 to F", "");
        row(2, "frmMoveRepeat", "Move Mode", "");
        row(2, "cmdLoadtoCt", "Write to  C/T", "Write Data to Controller");
        row(2, "optSutiSyori0", "Round up",
            "When the Position is input with millimeter,it sets the value is Rounded up to the "
            "adaptable value.");
        row(2, "mnuFileShogo", "Verfy Position", "");
        row(2, "mnuFilePageSetup", "Printer", "");
        row(2, "New", "All clear & New Data", "All clear & New Data");
        row(2, "lblJotai", "RS-232C", "Green:COM-PORT OPEN / White:COM-PORT CLOSE");
        row(2, "lblFileName", "New Data", "");
        row(2, "lblErrorComment", "No Error", "");
    }
    void captionsFollowTheLanguage() {
        QFETCH(int, language);
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, tip);
        Rig r(language, false);
        QCOMPARE(captionOf(r, name), caption);
        if (!tip.isEmpty()) QCOMPARE(tipOf(r, name), tip);
    }

    void gridsTitleAndToolbarLayout_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QStringList>("headings");
        QTest::addColumn<QString>("programLabel");
        QTest::newRow("ja") << 1 << QStringList{"速度",       "加速",     "出力",
                                                "位置(ﾊﾟﾙｽ)", "位置(mm)", "コメント"}
                            << "位置No.";
        QTest::newRow("en") << 2 << QStringList{"VEL",         "ACC",      "OUT",
                                                "Posi(Pulse)", "Posi(mm)", "Comment"}
                            << "Posi No.";
    }
    void gridsTitleAndToolbarLayout() {
        QFETCH(int, language);
        QFETCH(QStringList, headings);
        QFETCH(QString, programLabel);
        Rig r(language, false);
        auto *data = r.find<QTableWidget>(QStringLiteral("flgdData"));
        QCOMPARE(data->rowCount(), 15);
        QStringList seen;
        for (int c = 0; c < data->columnCount(); ++c)
            seen << data->horizontalHeaderItem(c)->text();
        QCOMPARE(seen, headings);
        QCOMPARE(data->verticalHeaderItem(9)->text(), QStringLiteral("A"));
        QCOMPARE(data->verticalHeaderItem(14)->text(), QStringLiteral("F"));
        QCOMPARE(data->item(0, 4)->background().color(), QColor(224, 224, 224));
        auto *program = r.find<QTableWidget>(QStringLiteral("flgdProgram"));
        QCOMPARE(program->item(1, 0)->text(), programLabel);
        QCOMPARE(program->item(0, 0)->text(), QStringLiteral("No."));
        QCOMPARE(program->item(0, 15)->text(), QStringLiteral("15"));
        QCOMPARE(r.w->windowTitle(), QStringLiteral("TZ-C3 Ver1.80"));
        QCOMPARE(r.s.fileLabel, captionOf(r, QStringLiteral("lblFileName")));
        QCOMPARE(r.find<QAction>(QStringLiteral("mnuFileNew"))->shortcut(),
                 QKeySequence(QStringLiteral("Ctrl+N")));
        QStringList bar;
        for (QAction *a : r.find<QToolBar>(QStringLiteral("tbToolBar"))->actions())
            bar << (a->isSeparator() ? QStringLiteral("|") : a->objectName());
        QCOMPARE(bar,
                 (QStringList{"New", "Open", "Save", "|", "Print", "|", "Read", "Load", "Shogo"}));
    }

    void roundingOptionsShowAndSetTheMode() {
        for (bool up : {true, false}) {
            TestEnv env;
            env.s.roundUpHalves = up;
            frmMain w(env.s);
            auto *first = w.findChild<QAbstractButton *>(QStringLiteral("optSutiSyori0"));
            auto *second = w.findChild<QAbstractButton *>(QStringLiteral("optSutiSyori1"));
            QCOMPARE(first->isChecked(), up);
            QCOMPARE(second->isChecked(), !up);
            (up ? second : first)->click();
            QCOMPARE(env.s.roundUpHalves, !up);
        }
    }

    void programButtonsAndSpinner() {
        Rig r;
        auto *fill = r.find<QAbstractButton>(QStringLiteral("cmdInp1toF"));
        QTest::mouseClick(fill, Qt::LeftButton); // Edit Mode: the frame is shut
        QCOMPARE(r.w->programCell(1), QString());
        r.w->changeMode();
        QTest::mouseClick(fill, Qt::LeftButton);
        QStringList cells;
        for (int c = 1; c <= 15; ++c)
            cells << r.w->programCell(c);
        QCOMPARE(cells.join(QString()), QStringLiteral("123456789ABCDEF"));
        QTest::mouseClick(r.find<QAbstractButton>(QStringLiteral("cmdDataClear")), Qt::LeftButton);
        for (int c = 1; c <= 15; ++c)
            QCOMPARE(r.w->programCell(c), QString());

        auto *updown = r.find<QWidget>(QStringLiteral("UpDown1"));
        auto *up = updown->findChild<QToolButton *>(QStringLiteral("up"));
        auto *down = updown->findChild<QToolButton *>(QStringLiteral("down"));
        auto *no = r.find<QLineEdit>(QStringLiteral("txtNo"));
        auto *hex = r.find<QLineEdit>(QStringLiteral("txtHexNo"));
        for (int i = 0; i < 16; ++i)
            up->click(); // stops at 15
        QCOMPARE(no->text(), QStringLiteral("15"));
        QCOMPARE(hex->text(), QStringLiteral("F"));
        down->click();
        QCOMPARE(no->text(), QStringLiteral("14"));
        QCOMPARE(hex->text(), QStringLiteral("E"));
        no->setText(QStringLiteral("10"));
        QCOMPARE(hex->text(), QStringLiteral("A"));
        up->click(); // steps on from the typed value
        QCOMPARE(no->text(), QStringLiteral("11"));
    }

    void deviceDisplayAndChange() {
        Rig r;
        DeviceRecord &d = r.s.device;
        d.tz = true;
        d.newType = false;
        d.size = QStringLiteral(" 28");
        d.speed = QStringLiteral("L");
        d.stroke = 100;
        d.lead = 2;
        d.ppr = 400;
        d.modelName = QStringLiteral("TZ- 28L-100 ");
        r.w->showDeviceDisplay();
        QCOMPARE(captionOf(r, QStringLiteral("lblDeviceType")), d.modelName);
        QVERIFY(r.find<QWidget>(QStringLiteral("pictureSelectType"))->isVisible());
        QVERIFY(r.find<QWidget>(QStringLiteral("lblOldType"))->isVisible());
        QCOMPARE(captionOf(r, QStringLiteral("sbPanel2")), QStringLiteral("1mm = 200Pulse"));
        QCOMPARE(captionOf(r, QStringLiteral("sbPanel3")), QStringLiteral("1Pulse= 0.005mm"));
        d.tz = false;
        r.w->showDeviceDisplay();
        QVERIFY(!r.find<QWidget>(QStringLiteral("pictureSelectType"))->isVisible());
        d.tz = true;
        d.newType = true;
        r.w->showDeviceDisplay();
        QVERIFY(!r.find<QWidget>(QStringLiteral("lblOldType"))->isVisible());

        // A cancelled dialog still leaves the mm column recomputed, shown and
        // the button usable again.
        r.s.positions.setText(1, PositionTable::ColPulse, QStringLiteral("   1000"));
        bool buttonOffDuringDialog = false;
        r.prompter.dialogs.push_back([&](QDialog &dlg) {
            buttonOffDuringDialog = !r.find<QWidget>(QStringLiteral("cmdChangeDev"))->isEnabled();
            dlg.reject();
            return int(QDialog::Rejected);
        });
        QTest::mouseClick(r.find<QAbstractButton>(QStringLiteral("cmdChangeDev")), Qt::LeftButton);
        QVERIFY(buttonOffDuringDialog);
        QVERIFY(r.find<QWidget>(QStringLiteral("cmdChangeDev"))->isEnabled());
        auto *grid = r.find<QTableWidget>(QStringLiteral("flgdData"));
        QCOMPARE(grid->item(0, 3)->text(), QStringLiteral("   1000"));
        QCOMPARE(grid->item(0, 4)->text(), QStringLiteral("  5.000"));
        QVERIFY(r.prompter.unexpected.isEmpty());
    }
};

TZC3_TEST(MainWindowTest)
#include "test_main_window.moc"
