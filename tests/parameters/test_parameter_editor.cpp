#include "parameters/parameter_editor.h"
#include "test_registry.h"
#include "test_support.h"

#include <QtTest>
#include <QtWidgets>

namespace {

struct EditorEnv : TestEnv {
    explicit EditorEnv(int language = 2, bool details = false) : TestEnv(language) {
        s.options.showParameterDetails = details;
        s.device.size = " 28";
        s.device.speed = "L";
        s.device.stroke = 100;
        w = std::make_unique<ParameterEditor>(s);
        w->show();
        w->activateWindow();
    }
    template <class T = QPushButton> T *child(const char *name) { return w->findChild<T *>(name); }
    QLineEdit *f(int i) { return w->field(i); }
    std::unique_ptr<ParameterEditor> w;
};

// Types into a field the way the user does: focus, then keys.
void typeInto(QLineEdit *e, const QString &keys) {
    e->setFocus(Qt::MouseFocusReason);
    e->clear();
    QTest::keyClicks(e, keys);
}

} // namespace

class ParameterEditorTest : public QObject {
    Q_OBJECT
private slots:
    // Only digits go in, up to the field's length; leaving a field checks its range.
    void typingAndLeavingFields() {
        EditorEnv env;
        QVERIFY(QTest::qWaitForWindowActive(env.w.get()));
        QLineEdit *one = env.f(ParameterFields::F1);
        typeInto(one, "123456789");
        QCOMPARE(one->text(), "12345678");
        QTest::keyClick(one, Qt::Key_Backspace);
        QCOMPARE(one->text(), "1234567");
        typeInto(one, "1a-2.3E");
        QCOMPARE(one->text(), "123");
        QTest::keyClick(one, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(one->text(), "123");
        typeInto(env.f(ParameterFields::F2), "7001");
        QCOMPARE(env.f(ParameterFields::F2)->text(), "700");

        using F = ParameterFields;
        const std::tuple<int, QString, bool> cases[] = {
            {F::F1, "0", false},  {F::F1, "120001", false}, {F::F1, "120000", true},
            {F::F5, "17", false}, {F::F4Bk, "4", false},    {F::F2, "", true},
            {F::F9, "60", true}};
        for (const auto &[field, typed, kept] : cases) {
            typeInto(env.f(field), typed);
            const int beeps = env.prompter.beeps(); // leaving the field Tab reached may beep
            QTest::keyClick(env.f(field), Qt::Key_Tab);
            QCOMPARE(std::pair(field, env.f(field)->text()), std::pair(field, kept ? typed : ""));
            QCOMPARE(env.prompter.beeps() - beeps, kept ? 0 : 1);
        }
    }

    // Enter walks the fields; the default box holds 11 to 13 at 2, and gives back the user's.
    void enterOrderAndDefaultBox() {
        EditorEnv env(2, true);
        QVERIFY(QTest::qWaitForWindowActive(env.w.get()));
        auto *chk = env.child<QCheckBox>("defaultBox");
        QLineEdit *eleven = env.f(ParameterFields::F11);
        QVERIFY(chk->isChecked() && !eleven->isEnabled());
        chk->click();
        auto enterFrom = [&](int first, std::initializer_list<int> order, Qt::Key key) {
            env.f(first)->setFocus();
            for (int next : order) {
                QTest::keyClick(QApplication::focusWidget(), key);
                QCOMPARE(QApplication::focusWidget(), env.f(next));
            }
        };
        using F = ParameterFields;
        enterFrom(F::F1,
                  {F::F2, F::F3, F::F4Out, F::F4Bk, F::F5, F::F6, F::F7, F::F8, F::F9, F::F1},
                  Qt::Key_Return);
        enterFrom(F::F11, {F::F12, F::F13, F::F7}, Qt::Key_Enter);

        eleven->setText("40");
        chk->click();
        QCOMPARE(eleven->text(), "2");
        QVERIFY(!env.f(ParameterFields::F13)->isEnabled());
        eleven->setText("40");
        chk->click();
        QCOMPARE(eleven->text(), "40");
        QVERIFY(env.f(ParameterFields::F13)->isEnabled());
    }

    // Nothing clipped in the widest form: Japanese, with the details.
    void detailsLayout() {
        EditorEnv env(1, true);
        QVERIFY(QTest::qWaitForWindowExposed(env.w.get()));
        auto *frame = env.child<QGroupBox>("parametersFrame");
        auto *tab = env.child<QTabWidget>("tabs");
        QVERIFY(env.child<QCheckBox>("defaultBox")->isVisible());
        QVERIFY(env.f(ParameterFields::F12)->isVisible());
        QVERIFY(frame->geometry().bottom() < tab->y());
        QVERIFY(tab->geometry().bottom() < env.w->height());
        QVERIFY(frame->layout()->minimumSize().height() <= frame->height());
        QVERIFY(frame->layout()->minimumSize().width() <= frame->width());
        for (QWidget *c : frame->findChildren<QWidget *>())
            if (c->isVisible())
                QVERIFY2(c->width() >= c->minimumSizeHint().width(), qPrintable(c->objectName()));
        for (int i = 0; i < tab->count(); ++i) {
            tab->setCurrentIndex(i);
            QApplication::processEvents();
            for (QPushButton *b : tab->widget(i)->findChildren<QPushButton *>())
                QVERIFY2(b->width() >= b->sizeHint().width(), qPrintable(b->text()));
        }
    }

    // A list without the chosen device, then no list: the fields stay as they were.
    void defaultButton() {
        EditorEnv env;
        env.useOwnFolder();
        QFile::copy(TZC3_BUILD_DIR "/wtzstdprm.lst", env.dir.filePath("wtzstdprm.lst"));
        auto pressOk = [](QDialog &d) {
            d.findChild<QPushButton *>("okButton")->click();
            return int(QDialog::Accepted);
        };
        auto *button = env.child("defaultButton");
        env.prompter.dialogs = {pressOk};
        button->click();
        QVERIFY(env.prompter.texts().isEmpty());
        QCOMPARE(env.w->fields()[ParameterFields::F1] + " " + env.w->fields()[ParameterFields::F9],
                 "20000 30");
        QVERIFY(env.child<QCheckBox>("defaultBox")->isChecked());

        env.writeFile("wtzstdprm.lst",
                      "1,\"x\"\r\n\" 28L- 50\",10000,0,20,0,0,5,5,10,20,30,0,2,2,2,2\r\n");
        env.f(ParameterFields::F1)->setText("777");
        env.prompter.dialogs = {pressOk};
        button->click();
        QFile::remove(env.dir.filePath("wtzstdprm.lst"));
        env.prompter.dialogs = {pressOk};
        button->click();
        QCOMPARE(env.prompter.texts(),
                 (QStringList{"Can not find the device information",
                              "Can not find the file of default parameter list."}));
        QCOMPARE(env.f(ParameterFields::F1)->text(), "777");
        QVERIFY(button->isEnabled());
        QVERIFY(env.prompter.unexpected.isEmpty());
    }

    // Lead 56 is cut to 5 and refused on leaving; "Invalidity" is not taken;
    // then the keyboard alone gets a result into the editor.
    void calculatorInput() {
        EditorEnv env;
        QVERIFY(QTest::qWaitForWindowActive(env.w.get()));
        env.f(ParameterFields::F1)->setText("5");
        QString shown;
        env.prompter.dialogs = {[&](QDialog &d) {
            auto *stroke = d.findChild<QLineEdit *>("strokeBox");
            auto *lead = d.findChild<QLineEdit *>("leadBox");
            auto *input = d.findChild<QPushButton *>("inputButton");
            auto *calculate = d.findChild<QPushButton *>("calculateButton");
            d.show();
            QApplication::setActiveWindow(&d);
            if (!QTest::qWaitForWindowActive(&d)) return int(QDialog::Rejected);
            typeInto(stroke, "1000");
            QTest::keyClick(stroke, Qt::Key_Return); // on to the lead
            QTest::keyClicks(lead, "56");
            QTest::keyClick(lead, Qt::Key_Tab);
            calculate->click();
            shown = d.findChild<QLabel *>("resultLabel")->text();
            input->click();
            if (d.isHidden()) return int(QDialog::Accepted);
            // The keyboard alone: Enter on the lead goes on to Calculate, and
            // Enter presses whichever button has the focus.
            typeInto(lead, "2");
            QTest::keyClick(lead, Qt::Key_Return);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter, Qt::KeypadModifier);
            return d.result();
        }};
        env.child("calculatorButton")->click();
        QCOMPARE(shown, "Invalidity");
        QCOMPARE(env.prompter.beeps(), 1);
        QCOMPARE(env.f(ParameterFields::F1)->text(), "20000");
        QCOMPARE(env.w->focusWidget(), env.f(ParameterFields::F2));
    }

    // The typing limits are for keys only: a value from a file is shown
    // whole (so that the range check refuses it), in a field wide enough.
    void valuesFromFilesAreShownWhole() {
        EditorEnv env;
        QVERIFY(QTest::qWaitForWindowActive(env.w.get()));
        env.writeFile("big.pmt",
                      "\"big.pmt\",123456789,1000,-100,0,0,5,5,10,20,30,0,2,2,2,2,0\r\n");
        env.prompter.files = {env.dir.filePath("big.pmt")};
        env.child("fileOpenButton")->click();
        QCOMPARE(env.f(ParameterFields::F1)->text(), "123456789");
        QCOMPARE(env.f(ParameterFields::F2)->text(), "1000");
        QCOMPARE(env.f(ParameterFields::F3)->text(), "-100");
        // A value the controller or a file can hold fits its field.
        for (const auto &[field, widest] : {std::pair(ParameterFields::F1, "-2147483648"),
                                            std::pair(ParameterFields::F2, "-2147483648"),
                                            std::pair(ParameterFields::F3, "-32768")}) {
            QLineEdit *e = env.f(field);
            QVERIFY2(e->fontMetrics().horizontalAdvance(QLatin1String(widest)) <
                         e->contentsRect().width() - 4,
                     widest);
        }
        // Typing still stops at the field's length.
        QTest::keyClick(env.f(ParameterFields::F2), Qt::Key_End);
        QTest::keyClicks(env.f(ParameterFields::F2), "5");
        QCOMPARE(env.f(ParameterFields::F2)->text(), "1000");
        env.prompter.answers = {PromptAnswer::Yes};
        env.child("controllerWriteButton")->click();
        QCOMPARE(env.prompter.texts().last(),
                 "Invalid volue for parameter No.1,2,3,.\r\n\r\nComfirm data value and try it "
                 "again.");
    }

    void buttonsBracketTheProcedures() {
        EditorEnv env; // without the details option
        QVERIFY(!env.child<QCheckBox>("defaultBox")->isVisible());
        QVERIFY(!env.f(ParameterFields::F12)->isVisible());
        QStringList seen;
        env.prompter.onPrompt = [&](const PromptRecord &) {
            seen << QString("%1 %2 %3")
                        .arg(env.child("controllerWriteButton")->isEnabled())
                        .arg(env.child("fileOpenButton")->isEnabled())
                        .arg(env.s.controllerBusy());
        };
        env.prompter.answers = {PromptAnswer::No};
        env.child("controllerWriteButton")->click();
        env.prompter.files = {std::nullopt};
        env.child("fileOpenButton")->click();
        QCOMPARE(seen, (QStringList{"0 0 1", "0 0 0"}));
        QVERIFY(env.child("controllerWriteButton")->isEnabled());
        QVERIFY(!env.s.controllerBusy());
    }
};

TZC3_TEST(ParameterEditorTest)
#include "test_parameter_editor.moc"
