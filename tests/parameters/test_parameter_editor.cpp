#include "device/stroke_calculator.h"
#include "parameters/parameter_editor.h"
#include "test_registry.h"
#include "test_support.h"
#include "ui/twips.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

namespace {

struct EditorEnv : TestEnv {
    explicit EditorEnv(int language = 2, bool details = false) : TestEnv(language) {
        s.options.parametaShow = details;
        s.device.size = " 28";
        s.device.speed = "L";
        s.device.stroke = 100;
        w = std::make_unique<frmParameta>(s);
        w->show();
        w->activateWindow();
    }
    template <class T> T *child(const char *name) { return w->findChild<T *>(name); }
    QLineEdit *f(int i) { return w->field(i); }
    std::unique_ptr<frmParameta> w;
};

// Types into a field the way the user does: focus, keys, then Tab away.
void typeInto(QLineEdit *e, const QString &keys) {
    e->setFocus(Qt::MouseFocusReason);
    e->clear();
    QTest::keyClicks(e, keys);
}

} // namespace

class ParameterEditorTest : public QObject {
    Q_OBJECT
private slots:
    void keysTypeOnlyDigits();
    void leavingAFieldChecksItsRange_data();
    void leavingAFieldChecksItsRange();
    void enterOrder();
    void detailsOptionGeometry_data();
    void detailsOptionGeometry();
    void defaultCheckBox();
    void defaultButton();
    void calculatorInput();
    void buttonsBracketTheProcedures();
};

void ParameterEditorTest::keysTypeOnlyDigits() {
    EditorEnv env;
    QVERIFY(QTest::qWaitForWindowActive(env.w.get()));
    QLineEdit *one = env.f(ParaFields::F1);
    typeInto(one, "123456789");
    QCOMPARE(one->text(), QString("12345678"));
    QTest::keyClick(one, Qt::Key_Backspace);
    QCOMPARE(one->text(), QString("1234567"));
    typeInto(one, "1a-2.3E");
    QCOMPARE(one->text(), QString("123"));
    QTest::keyClick(one, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(one->text(), QString("123"));
    QLineEdit *two = env.f(ParaFields::F2);
    typeInto(two, "7001");
    QCOMPARE(two->text(), QString("700"));
}

void ParameterEditorTest::leavingAFieldChecksItsRange_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("kept");
    QTest::newRow("1 at 0") << int(ParaFields::F1) << "0" << false;
    QTest::newRow("1 at 120001") << int(ParaFields::F1) << "120001" << false;
    QTest::newRow("1 at 120000") << int(ParaFields::F1) << "120000" << true;
    QTest::newRow("5 at 17") << int(ParaFields::F5) << "17" << false;
    QTest::newRow("4 BK at 4") << int(ParaFields::F4Bk) << "4" << false;
    QTest::newRow("2 empty") << int(ParaFields::F2) << "" << true;
    QTest::newRow("9 at 60") << int(ParaFields::F9) << "60" << true;
}

void ParameterEditorTest::leavingAFieldChecksItsRange() {
    QFETCH(int, field);
    QFETCH(QString, typed);
    QFETCH(bool, kept);
    EditorEnv env;
    QVERIFY(QTest::qWaitForWindowActive(env.w.get()));
    typeInto(env.f(field), typed);
    QTest::keyClick(env.f(field), Qt::Key_Tab);
    QCOMPARE(env.f(field)->text(), kept ? typed : QString());
    QCOMPARE(env.prompter.beeps(), kept ? 0 : 1);
}

void ParameterEditorTest::enterOrder() {
    EditorEnv env(2, true);
    QVERIFY(QTest::qWaitForWindowActive(env.w.get()));
    env.child<QCheckBox>("chkUseDefoult")->click();
    const int order[] = {ParaFields::F1,   ParaFields::F2, ParaFields::F3, ParaFields::F4Out,
                         ParaFields::F4Bk, ParaFields::F5, ParaFields::F6, ParaFields::F7,
                         ParaFields::F8,   ParaFields::F9, ParaFields::F1};
    env.f(ParaFields::F1)->setFocus();
    for (int i = 1; i < 11; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), env.f(order[i]));
    }
    env.f(ParaFields::F11)->setFocus();
    for (int next : {ParaFields::F12, ParaFields::F13, ParaFields::F7}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter);
        QCOMPARE(QApplication::focusWidget(), env.f(next));
    }
}

void ParameterEditorTest::detailsOptionGeometry_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<bool>("details");
    QTest::newRow("English, short") << 2 << false;
    QTest::newRow("English, details") << 2 << true;
    QTest::newRow("Japanese, short") << 1 << false;
    QTest::newRow("Japanese, details") << 1 << true;
}

void ParameterEditorTest::detailsOptionGeometry() {
    QFETCH(int, language);
    QFETCH(bool, details);
    EditorEnv env(language, details);
    QVERIFY(QTest::qWaitForWindowExposed(env.w.get()));
    auto *frame = env.child<QGroupBox>("framPara");
    auto *tab = env.child<QTabWidget>("tabPara");
    QCOMPARE(frame->height(), twips(details ? 6705 : 5025));
    QCOMPARE(tab->y(), twips(details ? 6960 : 5320));
    QCOMPARE(env.w->height(), twips(details ? 9105 : 7475));
    QCOMPARE(env.child<QCheckBox>("chkUseDefoult")->isVisible(), details);
    QCOMPARE(env.f(ParaFields::F12)->isVisible(), details);
    QVERIFY(!env.f(ParaFields::F12)->isEnabled());
    // Nothing clipped: every control gets at least the room it asks for.
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

void ParameterEditorTest::defaultCheckBox() {
    EditorEnv env(2, true);
    auto *chk = env.child<QCheckBox>("chkUseDefoult");
    QVERIFY(chk->isChecked());
    chk->click();
    QVERIFY(env.f(ParaFields::F11)->isEnabled());
    env.f(ParaFields::F11)->setText("40");
    chk->click();
    QCOMPARE(env.f(ParaFields::F11)->text(), QString("2"));
    QVERIFY(!env.f(ParaFields::F13)->isEnabled());
    env.f(ParaFields::F11)->setText("40");
    chk->click();
    QCOMPARE(env.f(ParaFields::F11)->text(), QString("40"));
    QVERIFY(env.f(ParaFields::F13)->isEnabled());
}

void ParameterEditorTest::defaultButton() {
    EditorEnv env;
    env.useOwnFolder();
    QFile::copy(QStringLiteral(TZC3_BUILD_DIR "/wtzstdprm.lst"), env.dir.filePath("wtzstdprm.lst"));
    auto pressOk = [](QDialog &d) {
        d.findChild<QPushButton *>("cmdDeviceSet")->click();
        return int(QDialog::Accepted);
    };
    auto *button = env.child<QPushButton>("cmdLoadDefoultPara");
    env.prompter.dialogs = {pressOk};
    button->click();
    QVERIFY(env.prompter.texts().isEmpty());
    QCOMPARE(env.w->fields()[ParaFields::F1], QString("20000"));
    QCOMPARE(env.w->fields()[ParaFields::F9], QString("30"));
    QVERIFY(env.child<QCheckBox>("chkUseDefoult")->isChecked());
    QVERIFY(button->isEnabled());

    // A list without the chosen device leaves the fields as they were.
    env.writeFile("wtzstdprm.lst",
                  "1,\"x\"\r\n\" 28L- 50\",10000,0,20,0,0,5,5,10,20,30,0,2,2,2,2\r\n");
    env.f(ParaFields::F1)->setText("777");
    env.prompter.dialogs = {pressOk};
    button->click();
    QFile::remove(env.dir.filePath("wtzstdprm.lst"));
    env.prompter.dialogs = {pressOk};
    button->click();
    QCOMPARE(env.prompter.texts(),
             (QStringList{"Can not find the device information",
                          "Can not find the file of default parameter list."}));
    QCOMPARE(env.f(ParaFields::F1)->text(), QString("777"));
    QVERIFY(button->isEnabled());
    QVERIFY(env.prompter.unexpected.isEmpty());
}

void ParameterEditorTest::calculatorInput() {
    EditorEnv env;
    QVERIFY(QTest::qWaitForWindowActive(env.w.get()));
    env.f(ParaFields::F1)->setText("5");
    QString shown;
    env.prompter.dialogs = {[&](QDialog &d) {
        auto *stroke = d.findChild<QLineEdit *>("txtStrokeTyo");
        auto *lead = d.findChild<QLineEdit *>("txtRido");
        auto *input = d.findChild<QPushButton *>("cmdInputStroke");
        d.show();
        QApplication::setActiveWindow(&d);
        if (!QTest::qWaitForWindowActive(&d)) return int(QDialog::Rejected);
        typeInto(stroke, "1000");
        QTest::keyClick(stroke, Qt::Key_Return); // on to the lead
        QTest::keyClicks(lead, "56");
        QTest::keyClick(lead, Qt::Key_Tab); // lead 5: emptied with a beep
        d.findChild<QPushButton *>("cmdCulStrokePulse")->click();
        shown = d.findChild<QLabel *>("lblStrokePulse")->text();
        input->click(); // "Invalidity" stays where it is
        if (d.isHidden()) return int(QDialog::Accepted);
        typeInto(lead, "2");
        d.findChild<QPushButton *>("cmdCulStrokePulse")->click();
        input->click();
        return d.result();
    }};
    env.child<QPushButton>("cmdSelectDevice")->click();
    QCOMPARE(shown, QString("Invalidity"));
    QCOMPARE(env.prompter.beeps(), 1);
    QCOMPARE(env.f(ParaFields::F1)->text(), QString("20000"));
    QCOMPARE(env.w->focusWidget(), env.f(ParaFields::F2));
}

void ParameterEditorTest::buttonsBracketTheProcedures() {
    EditorEnv env;
    QStringList seen;
    env.prompter.onPrompt = [&](const PromptRecord &) {
        seen << QString("%1 %2 %3")
                    .arg(env.child<QPushButton>("cmdCtWrite")->isEnabled())
                    .arg(env.child<QPushButton>("cmdFileOpen")->isEnabled())
                    .arg(env.s.controllerBusy);
    };
    env.prompter.answers = {PromptAnswer::No};
    env.child<QPushButton>("cmdCtWrite")->click();
    env.prompter.files = {std::nullopt};
    env.child<QPushButton>("cmdFileOpen")->click();
    QCOMPARE(seen, (QStringList{"0 0 1", "0 0 0"}));
    QVERIFY(env.child<QPushButton>("cmdCtWrite")->isEnabled());
    QVERIFY(!env.s.controllerBusy);
}

TZC3_TEST(ParameterEditorTest)
#include "test_parameter_editor.moc"
