#include "link/link_rig.h"
#include "operation/output_change.h"
#include "test_registry.h"
#include "ui/lamp.h"

#include <QCheckBox>
#include <QPushButton>

namespace {

// "0WS" refuses digits above 3, so those come from a move to an entry that
// holds them.
void setControllerOutputs(SimModel &m, int outputs, int options) {
    if (outputs <= 3) {
        m.handle("0WS" + QByteArray::number(outputs) + QByteArray::number(options));
        return;
    }
    m.setHomed(true);
    m.setPosition(1, SimPosition{1, 1, outputs, options, 0});
    QVERIFY(m.finishMove(m.handle("0MP1").moveId));
}

} // namespace

class OutputChangeTest : public QObject {
    Q_OBJECT
private slots:
    void readPresentState_data();
    void readPresentState();
    void changeWritesWhatTheWindowShows();
    void cancelledReadWritesOutputsOff();
};

void OutputChangeTest::readPresentState_data() {
    QTest::addColumn<int>("outputs");
    QTest::addColumn<int>("options");
    QTest::addColumn<QStringList>("messages"); // after the question
    QTest::addColumn<QString>("brakeTip");
    QTest::addColumn<QString>("currentTip");
    const QString brakeOn = QStringLiteral("When brake is used, check here.");
    const QString currentOn = QStringLiteral("When current control is done, check here.");
    QTest::newRow("3 1") << 3 << 1 << QStringList{}
                         << QStringLiteral("When brake is\u3000not used, remove check here.")
                         << currentOn;
    QTest::newRow("1 2") << 1 << 2 << QStringList{} << brakeOn
                         << QStringLiteral("When current control is done, remove check here.");
    QTest::newRow("2 3") << 2 << 3 << QStringList{}
                         << QStringLiteral("When brake is not used, remove check here.")
                         << QStringLiteral("When current control is not done, remove check here.");
    QTest::newRow("4 0") << 4 << 0 << QStringList{"Fail to read output status."} << brakeOn
                         << currentOn;
}

void OutputChangeTest::readPresentState() {
    QFETCH(int, outputs);
    QFETCH(int, options);
    QFETCH(QStringList, messages);
    QFETCH(QString, brakeTip);
    QFETCH(QString, currentTip);
    LinkRig r;
    setControllerOutputs(r.sim.model(), outputs, options);
    const bool readable = messages.isEmpty();
    r.prompter.answers.push_back(PromptAnswer::Ok);
    frmChangeOut w(r.s, r.bracket());
    w.readPresentState();

    QCOMPARE(r.prompter.log[0].buttons, PromptButtons::OkCancel);
    QCOMPARE(r.prompter.texts().mid(1), messages);
    QCOMPARE(r.sim.log(), (QStringList{"0CM1", "0RS"}));
    QCOMPARE(w.outputLamp(0)->isLit(), readable && (outputs & 1));
    QCOMPARE(w.outputLamp(1)->isLit(), readable && (outputs & 2));
    QCOMPARE(w.brakeBox()->isChecked(), readable && (options & 1));
    QCOMPARE(w.currentDownBox()->isChecked(), readable && (options & 2));
    QCOMPARE(w.brakeBox()->toolTip(), brakeTip);
    QCOMPARE(w.currentDownBox()->toolTip(), currentTip);
    QVERIFY(r.disabled == 1 && r.enabled == 1 && !r.s.controllerBusy && !r.s.link.isPortOpen());
}

void OutputChangeTest::changeWritesWhatTheWindowShows() {
    LinkRig r;
    setControllerOutputs(r.sim.model(), 2, 1);
    r.prompter.answers.push_back(PromptAnswer::Ok);
    bool busyWhileWriting = false, buttonWhileWriting = true;
    const auto operate = [&](QDialog &d) {
        auto &w = static_cast<frmChangeOut &>(d);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTest::mouseClick(w.outputLamp(0), Qt::LeftButton); // dark -> lit
        QTest::mouseClick(w.outputLamp(1), Qt::LeftButton); // lit -> dark
        w.brakeBox()->click();
        w.currentDownBox()->click();
        QCOMPARE(w.outputLamp(0)->toolTip(), QStringLiteral("When click here, it turns OFF."));
        QCOMPARE(w.outputLamp(1)->toolTip(), QStringLiteral("When click here, it turns ON."));
        QCOMPARE(w.currentDownBox()->toolTip(),
                 QStringLiteral("When current control is not done, Remove check here."));
        connect(&r.sim, &SimServer::lineReceived, &w, [&] {
            busyWhileWriting = r.s.controllerBusy;
            buttonWhileWriting = w.changeButton()->isEnabled();
        });
        r.sim.clearLog();
        QTest::mouseClick(w.changeButton(), Qt::LeftButton);
        QVERIFY(w.changeButton()->isEnabled());
    };
    r.prompter.dialogs.push_back([&](QDialog &d) { return operate(d), int(QDialog::Rejected); });
    showOutputChange(r.s, nullptr, r.bracket());
    QCOMPARE(r.prompter.log[1].dialogTitle, QStringLiteral("Change Output Status"));
    QCOMPARE(r.sim.log(), (QStringList{"0CM1", "0WS12"}));
    QVERIFY(busyWhileWriting && !buttonWhileWriting);
    QVERIFY(r.disabled == 2 && r.enabled == 2); // the read and the change
    QVERIFY(!r.s.controllerBusy && !r.s.link.isPortOpen() && r.prompter.unexpected.isEmpty());
}

void OutputChangeTest::cancelledReadWritesOutputsOff() {
    LinkRig r;
    setControllerOutputs(r.sim.model(), 3, 0);
    r.prompter.answers.push_back(PromptAnswer::Cancel);
    frmChangeOut w(r.s, r.bracket());
    w.readPresentState();
    w.changeButton()->click();
    QCOMPARE(r.sim.log(), (QStringList{"0CM1", "0WS00"}));
}

TZC3_TEST(OutputChangeTest)
#include "test_output_change.moc"
