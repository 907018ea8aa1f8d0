// The options dialog: what OK applies and Cancel keeps, the language of the
// next start, the port change against the simulated controller, and the
// key rules of its two digit boxes.

#include "../link/link_rig.h"
#include "test_registry.h"
#include "test_support.h"
#include "ui/options_dialog.h"
#include "ui/updown.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

namespace {

QWidget *child(QDialog &d, const char *name) {
    auto *w = d.findChild<QWidget *>(QLatin1String(name));
    if (!w) qFatal("no %s", name);
    return w;
}
void click(QDialog &d, const char *name) {
    static_cast<QAbstractButton *>(child(d, name))->click();
}
bool ticked(QDialog &d, const char *name) {
    return static_cast<QAbstractButton *>(child(d, name))->isChecked();
}
QLineEdit *box(QDialog &d, const char *name) {
    return static_cast<QLineEdit *>(child(d, name));
}

// One opening through the prompter, operated by `user`; then the reminder.
void openOptions(AppState &s, ScriptedPrompter &p, const std::function<void(QDialog &)> &user) {
    p.dialogs.push_back([user](QDialog &d) {
        user(d);
        return d.result();
    });
    showOptions(s, nullptr);
}

} // namespace

class OptionsDialogTest : public QObject {
    Q_OBJECT

private slots:
    void otherLanguageWaitsForTheNextStart_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("restart");
        QTest::newRow("japanese run") << 1
                                      << "使用言語の設定が変更されています。\r\nTZ-C3を一度終了させ"
                                         "てから、もう一度起動してください。";
        QTest::newRow("english run")
            << 2 << "Language Setting has been changed.\r\nfinish TZ-C3 and restart TZ-C3 again.";
    }
    void otherLanguageWaitsForTheNextStart() {
        QFETCH(int, language);
        QFETCH(QString, restart);
        TestEnv env(language);
        const char *running = language == 1 ? "optLanguege0" : "optLanguege1";
        const char *other = language == 1 ? "optLanguege1" : "optLanguege0";
        openOptions(env.s, env.prompter, [&](QDialog &d) { click(d, other), click(d, "cmdOK"); });
        QCOMPARE(env.prompter.texts(), QStringList{restart});
        QVERIFY(env.s.languageChangePending);
        QCOMPARE(env.s.language, language);
        // Still pending: even a cancelled opening reminds; the dialog shows
        // the running language, and choosing it again takes the change back.
        openOptions(env.s, env.prompter, [&](QDialog &d) {
            QVERIFY(ticked(d, running));
            click(d, "cmdCancel");
        });
        openOptions(env.s, env.prompter, [&](QDialog &d) { click(d, "cmdOK"); });
        QCOMPARE(env.prompter.texts(), (QStringList{restart, restart}));
        QVERIFY(!env.s.languageChangePending);
    }

    void cancelAndCloseChangeNothing_data() {
        QTest::addColumn<QString>("button");
        QTest::newRow("Cancel") << "cmdCancel";
        QTest::newRow("Close") << "cmdApply";
    }
    void cancelAndCloseChangeNothing() {
        QFETCH(QString, button);
        TestEnv env(2);
        openOptions(env.s, env.prompter, [&](QDialog &d) {
            box(d, "txtPortNo")->setText(QStringLiteral("7"));
            for (const char *name :
                 {"chkPortOccupy", "chkParametaShow", "chkChangeBk", "optLanguege0"})
                click(d, name);
            click(d, qPrintable(button));
        });
        QCOMPARE(env.s.portNumber, qint16(1));
        QVERIFY(!env.s.portOccupy && !env.s.options.parametaShow && !env.s.options.changeBkCd);
        QVERIFY(!env.s.languageChangePending);
        QVERIFY(!env.settings.contains(QStringLiteral("PortOccupy")));
        QVERIFY(env.prompter.texts().isEmpty());
    }

    void okAppliesAndReopensWithTheValues() {
        TestEnv env(2);
        env.settings.write(QStringLiteral("PortNo"), 4);
        env.s.options = {false, true, 1};
        openOptions(env.s, env.prompter, [&](QDialog &d) {
            QCOMPARE(box(d, "txtBreakNo")->text(), QStringLiteral("1"));
            click(d, "chkChangeBk"); // cleared: the standard digit, locked
            QCOMPARE(box(d, "txtBreakNo")->text(), QStringLiteral("2"));
            for (const char *name :
                 {"framBreakesettei", "lblBreakSet", "txtBreakNo", "UpDownBreakNo"})
                QVERIFY2(!child(d, name)->isEnabled(), name);
            click(d, "chkPortOccupy");
            click(d, "chkParametaShow");
            box(d, "txtPortNo")->clear(); // no number: the stored one
            click(d, "cmdOK");
        });
        QCOMPARE(env.s.options.changeBkCd, false);
        QCOMPARE(env.s.options.bkCdValue, qint16(2));
        QVERIFY(env.s.portOccupy && env.s.options.parametaShow);
        QCOMPARE(env.settings.read(QStringLiteral("PortOccupy"), QString()), QStringLiteral("1"));
        QCOMPARE(env.s.portNumber, qint16(4));

        openOptions(env.s, env.prompter, [&](QDialog &d) {
            QVERIFY(!ticked(d, "chkChangeBk") && !child(d, "txtBreakNo")->isEnabled());
            QCOMPARE(box(d, "txtBreakNo")->text(), QStringLiteral("2"));
            QVERIFY(ticked(d, "chkPortOccupy") && ticked(d, "chkParametaShow"));
            click(d, "chkChangeBk");
            static_cast<UpDown *>(child(d, "UpDownBreakNo"))->stepUp();
            click(d, "chkPortOccupy");
            click(d, "cmdOK");
        });
        QCOMPARE(env.s.options.changeBkCd, true);
        QCOMPARE(env.s.options.bkCdValue, qint16(3));
        QCOMPARE(env.settings.read(QStringLiteral("PortOccupy"), QString()), QStringLiteral("0"));
    }

    void portChangeClosesTheOpenPort() {
        LinkRig rig;
        SimServer com5;
        QVERIFY(com5.start());
        com5.setPaced(false);
        qputenv("TZC3_COM5", com5.devicePath().toLocal8Bit());
        const struct Unset {
            ~Unset() { qunsetenv("TZC3_COM5"); }
        } unset;
        rig.s.portOccupy = true;
        QCOMPARE(rig.s.link.transact(QStringLiteral("0RV"), QString(), 8), 0);

        openOptions(rig.s, rig.prompter, [&](QDialog &d) {
            for (int i = 0; i < 4; ++i)
                static_cast<UpDown *>(child(d, "UpDownPortNo"))->stepUp();
            QCOMPARE(box(d, "txtPortNo")->text(), QStringLiteral("5"));
            QCOMPARE(static_cast<QLabel *>(child(d, "lblPortDevice"))->text(),
                     com5.devicePath() + QStringLiteral(" (TZC3_COM5)"));
            click(d, "cmdOK");
        });
        QVERIFY(!rig.s.link.isPortOpen());
        rig.sim.clearLog();
        QCOMPARE(rig.s.link.transact(QStringLiteral("0RV"), QString(), 8), 0);
        QCOMPARE(com5.log(), QStringList{"0RV"});
        QVERIFY(rig.sim.log().isEmpty());
        rig.s.link.closePort();
    }

    void digitBoxesTakeOneDigitOfTheirRange_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("port 1 to 9") << "txtPortNo"
                                     << "0a-95"
                                     << "9";
        QTest::newRow("brake 0 to 3") << "txtBreakNo"
                                      << "948 31"
                                      << "3";
    }
    void digitBoxesTakeOneDigitOfTheirRange() {
        QFETCH(QString, name);
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        TestEnv env(2);
        env.s.options.changeBkCd = true;
        frmOption d(env.s);
        d.show();
        QLineEdit *e = box(d, qPrintable(name));
        e->setFocus();
        QTest::keyClick(e, Qt::Key_End);
        QTest::keyClick(e, Qt::Key_Backspace);
        QTest::keyClicks(e, typed);
        QTest::keyClick(e, Qt::Key_Return); // neither types nor presses OK
        QCOMPARE(e->text(), expected);
        QVERIFY(d.isVisible());
        QTest::keyClick(e, Qt::Key_Tab); // still leaves the full box
        QVERIFY(!e->hasFocus());
    }
};

TZC3_TEST(OptionsDialogTest)
#include "test_options_dialog.moc"
