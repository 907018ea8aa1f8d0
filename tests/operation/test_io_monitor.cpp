#include "link/link_rig.h"
#include "operation/io_monitor.h"
#include "test_registry.h"
#include "ui/lamp.h"

#include <QPushButton>

namespace {

QList<int> litLamps(const frmIoMonitor &m) {
    QList<int> lit;
    for (int i = 0; i < io::SignalCount; ++i)
        if (m.lamp(i)->isLit()) lit << i;
    return lit;
}

int polls(const LinkRig &r) {
    return int(r.sim.log().count(QStringLiteral("0RD2F")));
}

// Every poll is exactly these three lines, one after the other.
bool wholePolls(const QStringList &log) {
    for (int i = 0; i < log.size(); ++i)
        if (log[i] != QStringList{"0CM1", "0RD20", "0RD2F"}[i % 3]) return false;
    return log.size() % 3 == 0;
}

} // namespace

class IoMonitorTest : public QObject {
    Q_OBJECT
private slots:
    void lampsFollowTheControllerUntilAnAlarm();
    void slowControllerAndStopDuringPoll();
    void closingStopsMonitoring();
};

void IoMonitorTest::lampsFollowTheControllerUntilAnAlarm() {
    LinkRig r;
    frmIoMonitor m(r.s);
    QVERIFY(litLamps(m).isEmpty());
    for (const char *in : {"home", "pos2"})
        r.sim.setInput(QLatin1String(in), true);
    r.sim.model().handle("0WS10");
    QList<bool> busy;
    connect(&r.sim, &SimServer::lineReceived, [&] { busy << r.s.controllerBusy; });

    m.startStopButton()->click();
    QCOMPARE(m.startStopButton()->text(), QStringLiteral("Stop Monitor"));
    QVERIFY(!m.closeButton()->isEnabled());
    QTRY_COMPARE(litLamps(m), (QList<int>{0, 5, 10}));
    QVERIFY(r.s.link.isPortOpen() && !r.s.controllerBusy); // open between polls

    for (const char *in : {"home", "pos2"})
        r.sim.setInput(QLatin1String(in), false);
    for (const char *in : {"strobe", "stop", "pos8"})
        r.sim.setInput(QLatin1String(in), true);
    r.sim.model().handle("0WS20");
    QTRY_COMPARE(litLamps(m), (QList<int>{1, 2, 7, 11}));

    r.sim.raiseAlarm(QStringLiteral("05"));
    QTRY_VERIFY(!m.isMonitoring());
    QCOMPARE(r.prompter.texts().size(), 1);
    QVERIFY(r.prompter.texts()[0].contains(QLatin1String("Error No.05")));
    QVERIFY(r.s.indicators.alarmLamp && r.s.indicators.alarmNo == QLatin1String("05"));
    QCOMPARE(m.startStopButton()->text(), QStringLiteral("Start Monitor"));
    QVERIFY(m.startStopButton()->isEnabled() && m.closeButton()->isEnabled());
    QVERIFY(!r.s.controllerBusy && !r.s.link.isPortOpen() && !busy.contains(false));
    const auto lines = r.sim.log().size();
    QTest::qWait(400);
    QCOMPARE(r.sim.log().size(), lines);
}

void IoMonitorTest::slowControllerAndStopDuringPoll() {
    LinkRig r;
    r.sim.setReplyDelay(400); // a poll takes 1.2 s against a 300 ms interval
    frmIoMonitor m(r.s);
    QPushButton *startStop = m.startStopButton();
    bool stopped = false;
    connect(&r.sim, &SimServer::lineReceived, [&](const QString &line) {
        if (polls(r) < 2 || line != QLatin1String("0RD20") || stopped) return;
        startStop->click();
        stopped = true;
        // Stop is still running: it ends with the poll.
        QVERIFY(!m.isMonitoring() && m.pollRunning() && !startStop->isEnabled());
        QCOMPARE(startStop->text(), QStringLiteral("Stop Monitor"));
    });
    startStop->click();
    QTRY_VERIFY_WITH_TIMEOUT(startStop->isEnabled() && stopped, 10000);
    QCOMPARE(startStop->text(), QStringLiteral("Start Monitor"));
    QVERIFY(!r.s.link.isPortOpen());
    QTest::qWait(700);
    QCOMPARE(r.sim.log().size(), 9); // the interrupted poll ran to its end
    QVERIFY(wholePolls(r.sim.log()) && r.prompter.log.isEmpty());
}

void IoMonitorTest::closingStopsMonitoring() {
    LinkRig r;
    r.sim.setReplyDelay(50);
    const auto operate = [&](QDialog &d) {
        auto &m = static_cast<frmIoMonitor &>(d);
        connect(&r.sim, &SimServer::lineReceived, &m, [&](const QString &line) {
            if (line == QLatin1String("0RD20")) m.reject(); // the window's own close, mid-poll
        });
        m.startStopButton()->click();
        QTRY_VERIFY(!m.isMonitoring() && !m.pollRunning());
    };
    r.prompter.dialogs.push_back([&](QDialog &d) { return operate(d), int(QDialog::Rejected); });
    showIoMonitor(r.s, nullptr);
    QCOMPARE(r.prompter.log.size(), 1); // no time-out from a port closed under a poll
    QCOMPARE(r.prompter.log[0].dialogTitle, QStringLiteral("I/O PORT"));
    QTest::qWait(400);
    QVERIFY(wholePolls(r.sim.log()) && polls(r) == 1);
    QVERIFY(!r.s.link.isPortOpen());
}

TZC3_TEST(IoMonitorTest)
#include "test_io_monitor.moc"
