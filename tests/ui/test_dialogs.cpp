// The options dialog (the port against the simulator), About, Help > Contents.

#include "../link/link_rig.h"
#include "positions/position_transfer.h"
#include "positions/progress_window.h"
#include "test_registry.h"
#include "test_support.h"
#include "ui/about_box.h"
#include "ui/options_dialog.h"
#include "widgets/twips.h"
#include "widgets/updown.h"

#include <QAbstractButton>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QtTest>

namespace {

template <class T = QAbstractButton> T *child(QDialog &d, const char *name) {
    auto *w = d.findChild<T *>(QLatin1String(name));
    if (!w) qFatal("no %s", name);
    return w;
}
void click(QDialog &d, std::initializer_list<const char *> names) {
    for (const char *n : names)
        child(d, n)->click();
}

// One opening through the prompter, operated by `user`; then the reminder.
void openOptions(AppState &s, ScriptedPrompter &p, const std::function<void(QDialog &)> &user) {
    p.dialogs.push_back([user](QDialog &d) { return user(d), d.result(); });
    showOptions(s, nullptr);
}

// Options title, restart reminder, About's three texts, no system information, no help.
void textsOfBothLanguages() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("japanese")
        << 1
        << QStringList{"ｵﾌﾟｼｮﾝ",
                       "使用言語の設定が変更されています。\r\n"
                       "TZ-C3を一度終了させてから、もう一度起動してください。",
                       "TZ-C3 ﾊﾞｰｼﾞｮﾝ情報...",
                       "TZ-C3では、TZの位置ﾃﾞｰﾀ・ﾊﾟﾗﾒｰﾀの編集や移動テストが行えます。",
                       "警告: ...予告なくTZ-C3の仕様等を変更することがあります。Velcorのホーム"
                       "ページで最新バージョンのTZ-C3を入手して下さい。",
                       "現時点ではｼｽﾃﾑ情報を使用できません",
                       "ﾍﾙﾌﾟの目次を表示できません。 このﾌﾟﾛｼﾞｪｸﾄに関連付けられたﾍﾙﾌﾟが存在し"
                       "ません。"};
    QTest::newRow("english")
        << 2
        << QStringList{
               "Options",
               "Language Setting has been changed.\r\nfinish TZ-C3 and restart TZ-C3 again.",
               "TZ-C3 Version Information...",
               "Editing of position data or parameters and test running can be done "
               "by TZ-C3.",
               "Caution : Specification may be changed without previous announcement. "
               "Download the latest version of TZ-C3 from Velcor Home Page. URL:",
               "You can't look system information,now.",
               "Can not indicate Help file.No Help files related to this project."};
}

// Stands in for the platform's viewer.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened << url; }
};

} // namespace

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    void otherLanguageWaitsForTheNextStart_data() { textsOfBothLanguages(); }
    void otherLanguageWaitsForTheNextStart() {
        QFETCH(int, language);
        QFETCH(QStringList, texts);
        TestEnv env(language);
        const char *running = language == 1 ? "japaneseOption" : "englishOption";
        const char *other = language == 1 ? "englishOption" : "japaneseOption";
        openOptions(env.s, env.prompter, [&](QDialog &d) {
            QCOMPARE(d.windowTitle(), texts[0]);
            click(d, {other, "okButton"});
        });
        QCOMPARE(env.prompter.texts(), QStringList{texts[1]});
        QVERIFY(env.s.languageChangePending);
        QCOMPARE(env.s.lang.code(), language);
        // Even a cancelled opening reminds; choosing the running language takes it back.
        openOptions(env.s, env.prompter, [&](QDialog &d) {
            QVERIFY(child(d, running)->isChecked());
            click(d, {"cancelButton"});
        });
        openOptions(env.s, env.prompter, [&](QDialog &d) { click(d, {"okButton"}); });
        QCOMPARE(env.prompter.texts(), (QStringList{texts[1], texts[1]}));
        QVERIFY(!env.s.languageChangePending);
    }

    void cancelAndCloseChangeNothing() {
        for (const char *button : {"cancelButton", "closeButton"}) {
            TestEnv env(2);
            openOptions(env.s, env.prompter, [&](QDialog &d) {
                child<QLineEdit>(d, "portBox")->setText(QStringLiteral("7"));
                click(d, {"keepPortOpenBox", "detailsBox", "brakeOverrideBox", "japaneseOption",
                          button});
            });
            QCOMPARE(env.s.link.portNumber, qint16(1));
            QVERIFY(!env.s.link.portOccupy && !env.s.options.showParameterDetails &&
                    !env.s.options.overrideBrakeDigit);
            QVERIFY(!env.s.languageChangePending && env.prompter.texts().isEmpty());
            QVERIFY(!env.settings.contains(QStringLiteral("PortOccupy")));
        }
    }

    void okAppliesAndReopensWithTheValues() {
        TestEnv env(2);
        env.settings.write(QStringLiteral("PortNo"), 4);
        env.s.options = {false, true, 1};
        openOptions(env.s, env.prompter, [&](QDialog &d) {
            QCOMPARE(child<QLineEdit>(d, "brakeBox")->text(), "1");
            click(d, {"brakeOverrideBox"}); // cleared: the standard digit, locked
            QCOMPARE(child<QLineEdit>(d, "brakeBox")->text(), "2");
            for (const char *name : {"brakeFrame", "brakeCaption", "brakeBox", "brakeSpinner"})
                QVERIFY2(!child<QWidget>(d, name)->isEnabled(), name);
            click(d, {"keepPortOpenBox", "detailsBox"});
            child<QLineEdit>(d, "portBox")->clear(); // no number: the stored one
            click(d, {"okButton"});
        });
        QVERIFY(!env.s.options.overrideBrakeDigit && env.s.options.brakeDigit == 2);
        QVERIFY(env.s.link.portOccupy && env.s.options.showParameterDetails);
        QCOMPARE(env.settings.read(QStringLiteral("PortOccupy"), QString()), "1");
        QCOMPARE(env.s.link.portNumber, qint16(4));
        openOptions(env.s, env.prompter, [&](QDialog &d) {
            QVERIFY(!child(d, "brakeOverrideBox")->isChecked() &&
                    !child<QWidget>(d, "brakeBox")->isEnabled());
            QCOMPARE(child<QLineEdit>(d, "brakeBox")->text(), "2");
            QVERIFY(child(d, "keepPortOpenBox")->isChecked() &&
                    child(d, "detailsBox")->isChecked());
            click(d, {"brakeOverrideBox"});
            child<UpDown>(d, "brakeSpinner")->stepUp();
            click(d, {"keepPortOpenBox", "okButton"});
        });
        QVERIFY(env.s.options.overrideBrakeDigit && env.s.options.brakeDigit == 3);
        QCOMPARE(env.settings.read(QStringLiteral("PortOccupy"), QString()), "0");
    }

    // The override counts only with a digit in its box: an emptied box or
    // one without a digit is no choice, and positions keep the standard 2.
    void brakeOverrideNeedsADigit_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<bool>("on");
        QTest::addColumn<int>("digit");
        QTest::newRow("emptied") << "" << false << 2;
        QTest::newRow("a blank") << " " << false << 2;
        QTest::newRow("no number") << "-" << false << 2;
        QTest::newRow("0") << "0" << true << 0;
        QTest::newRow("3") << "3" << true << 3;
    }
    void brakeOverrideNeedsADigit() {
        QFETCH(QString, box);
        TestEnv env(2);
        openOptions(env.s, env.prompter, [&](QDialog &d) {
            click(d, {"brakeOverrideBox"});
            child<QLineEdit>(d, "brakeBox")->setText(box);
            click(d, {"okButton"});
        });
        QTEST(env.s.options.overrideBrakeDigit, "on");
        QTEST(int(env.s.options.brakeDigit), "digit");
    }

    // Under a running exchange the port is not the options' to switch.
    void portControlsWaitForTheExchange() {
        LinkRig rig;
        BusyScope busy(rig.s.link);
        QVERIFY(rig.s.link.openPort());
        openOptions(rig.s, rig.prompter, [&](QDialog &d) {
            for (const char *name : {"portBox", "portSpinner", "keepPortOpenBox"})
                QVERIFY2(!child<QWidget>(d, name)->isEnabled(), name);
            child<QLineEdit>(d, "portBox")->setText(QStringLiteral("5"));
            click(d, {"okButton"});
        });
        QVERIFY(rig.s.link.isPortOpen() && rig.s.link.portNumber == 1);
    }

    void portChangeClosesTheOpenPort() {
        LinkRig rig;
        SimServer com5;
        QVERIFY(com5.start());
        com5.setPaced(false);
        qputenv("TZC3_COM5", com5.devicePath().toLocal8Bit());
        const auto unset = qScopeGuard([] { qunsetenv("TZC3_COM5"); });
        rig.s.link.portOccupy = true;
        QVERIFY(rig.s.link.transact(QStringLiteral("0RV"), QString(), 8));
        openOptions(rig.s, rig.prompter, [&](QDialog &d) {
            for (int i = 0; i < 4; ++i)
                child<UpDown>(d, "portSpinner")->stepUp();
            QCOMPARE(child<QLineEdit>(d, "portBox")->text(), "5");
            QCOMPARE(child<QLabel>(d, "portDeviceLabel")->text(),
                     com5.devicePath() + QStringLiteral(" (TZC3_COM5)"));
            // A pasted fraction names the port that OK will take.
            child<QLineEdit>(d, "portBox")->setText(QStringLiteral("4.6"));
            QCOMPARE(child<QLabel>(d, "portDeviceLabel")->text(),
                     com5.devicePath() + QStringLiteral(" (TZC3_COM5)"));
            click(d, {"okButton"});
        });
        QVERIFY(!rig.s.link.isPortOpen());
        rig.sim.clearLog();
        QVERIFY(rig.s.link.transact(QStringLiteral("0RV"), QString(), 8));
        QCOMPARE(com5.log(), QStringList{"0RV"});
        QVERIFY(rig.sim.log().isEmpty());
        rig.s.link.closePort();
    }

    void digitBoxesTakeOneDigitOfTheirRange() {
        TestEnv env(2);
        env.s.options.overrideBrakeDigit = true;
        OptionsDialog d(env.s);
        d.show();
        const struct {
            const char *box, *typed, *kept;
        } cases[] = {{"portBox", "0a-95", "9"}, {"brakeBox", "948 31", "3"}};
        for (const auto &c : cases) {
            auto *e = child<QLineEdit>(d, c.box);
            e->setFocus();
            QTest::keyClick(e, Qt::Key_End);
            QTest::keyClick(e, Qt::Key_Backspace);
            QTest::keyClicks(e, c.typed);
            QTest::keyClick(e, Qt::Key_Return); // neither types nor presses OK
            QCOMPARE(e->text(), c.kept);
            QVERIFY(d.isVisible());
            QTest::keyClick(e, Qt::Key_Tab); // still leaves the full box
            QVERIFY(!e->hasFocus());
        }
    }

    // The progress window through a whole read: shown while it runs, hidden after.
    void progressWindowDuringARead() {
        TestEnv ja(1);
        QCOMPARE(ProgressWindow(ja.s).windowTitle(), "TZ-C3 ただいま通信中・・・");
        LinkRig r;
        ProgressWindow window(r.s);
        QCOMPARE(window.windowTitle(), "TZ-C3 Communicating,now...");
        QCOMPARE(window.labelText(), "Sending data to the controller...");
        PositionView view;
        view.progress = &window;
        bool shown = false;
        QObject::connect(&r.sim, &SimServer::lineReceived, [&] { shown |= window.isVisible(); });
        r.prompter.answers.push_back(PromptAnswer::Yes);
        positions::readFromController(r.s, view);
        QVERIFY(shown && !window.isVisible());
        QCOMPARE(window.value(), 15);
    }

    void aboutAndHelp_data() { textsOfBothLanguages(); }
    void aboutAndHelp() {
        QFETCH(int, language);
        QFETCH(QStringList, texts);
        TestEnv env(language);
        QWidget mainWindow;
        mainWindow.move(120, 80);
        AboutBox d(env.s, &mainWindow);
        const auto label = [&](const char *name) {
            return d.findChild<QLabel *>(QLatin1String(name))->text();
        };
        QCOMPARE(d.pos(), QPoint(120 + twips(500), 80 + twips(500)));
        QCOMPARE(
            (QStringList{d.windowTitle(), label("descriptionLabel"), label("disclaimerLabel")}),
            texts.mid(2, 3));
        QCOMPARE(label("versionLabel") + label("titleLabel"), QStringLiteral("Version 1.80TZ-C3"));
        d.show();
        // No system information tool here: the message, and the box stays.
        d.findChild<QPushButton *>(QStringLiteral("systemInfoButton"))->click();
        QVERIFY(d.isVisible());
        UrlCatcher viewer;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &viewer, "open");
        showHelpContents(env.s, nullptr); // no path at all
        env.s.helpPath = env.dir.filePath(QStringLiteral("tzc3hlp.chm"));
        showHelpContents(env.s, nullptr); // no file there
        env.writeFile(QStringLiteral("tzc3hlp.chm"), "ITSF");
        showHelpContents(env.s, nullptr);
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(env.prompter.texts(), (QStringList{texts[5], texts[6], texts[6]}));
        QCOMPARE(env.prompter.log.last().icon, PromptIcon::Information);
        QCOMPARE(viewer.opened, QList<QUrl>{QUrl::fromLocalFile(env.s.helpPath)});
    }
};

TZC3_TEST(DialogsTest)
#include "test_dialogs.moc"
