#include "sim_model.h"
#include "sim_server.h"
#include "test_registry.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QtTest>
#include <functional>
#include <memory>

namespace {

int timed(const std::function<void()> &f) {
    QElapsedTimer t;
    t.start();
    f();
    return int(t.elapsed());
}

} // namespace

// What the program's tests take for granted but cannot see through the program.
class SimTest : public QObject {
    Q_OBJECT

    static QByteArray send(SimModel &m, const QByteArray &line) { return m.handle(line).bytes; }

    std::unique_ptr<SimServer> server;
    std::unique_ptr<QSerialPort> port; // the far end of the pty
    int reads = 0;                     // pieces the last reply came in

    // Up to a CR LF or the time-out, turning the event loop the server runs on.
    QByteArray reply(int timeoutMs) {
        QByteArray got;
        reads = 0;
        QElapsedTimer t;
        t.start();
        while (!got.endsWith("\r\n") && t.elapsed() < timeoutMs) {
            QTest::qWait(1);
            const QByteArray piece = port->readAll();
            if (!piece.isEmpty()) got += piece, ++reads;
        }
        return got;
    }
    void put(const QByteArray &lines) {
        QCOMPARE(port->write(lines), lines.size());
        port->flush();
    }
    QByteArray ask(const QByteArray &line, int timeoutMs = 1000) {
        put(line + "\r\n");
        return reply(timeoutMs);
    }

private slots:
    void init() {
        server = std::make_unique<SimServer>();
        QVERIFY(server->start());
        port = std::make_unique<QSerialPort>(server->devicePath());
        QVERIFY(port->open(QIODevice::ReadWrite));
    }
    void cleanup() {
        port.reset();
        server.reset();
    }

    // Within the program's estimate without its 10 s allowance, or it could time out.
    void movesStayWithinTheProgramsLimit_data() {
        QTest::addColumn<QByteArray>("block11");
        QTest::addColumn<int>("vel");
        QTest::addColumn<int>("pulses");
        QTest::newRow("factory VEL1 full stroke") << QByteArray("285078050501FFFF") << 1 << 20000;
        QTest::newRow("factory VEL3 short") << QByteArray("285078050501FFFF") << 3 << 150;
        QTest::newRow("speed rounds down") << QByteArray("2A5078050501FFFF") << 1 << 20000;
        QTest::newRow("slowest speed") << QByteArray("045078050501FFFF") << 1 << 20000;
    }
    void movesStayWithinTheProgramsLimit() {
        QFETCH(QByteArray, block11);
        QFETCH(int, vel);
        QFETCH(int, pulses);
        SimModel m;
        QVERIFY(m.setBlock("11", block11));
        m.setPosition(1, {vel, 1, 0, 2, pulses});
        m.setPosition(2, {vel, 1, 0, 2, pulses / 2});
        const double estimateMs = 1000.0 * pulses / (m.speedForVel(vel) * 166);

        const int homingLimitMs = 1000 * m.strokePulses() / (1600 / m.homingByte());
        m.setPresentPulses(m.strokePulses()); // the worst case: homing from the far end
        const SimModel::Reply home = m.handle("0MP0");
        QVERIFY(home.delayMs > 0 && home.delayMs < homingLimitMs);
        m.finishMove(home.moveId);

        const int full = m.handle("0MP1").delayMs;
        m.finishMove(m.runningMove());
        const SimModel::Reply back = m.handle("0MP2");
        m.finishMove(back.moveId);
        QVERIFY(full < estimateMs && full > estimateMs / 2);
        QVERIFY(qAbs(full - 2 * back.delayMs) <= 1);
    }

    void refusalsAndReset() {
        SimModel m;
        m.setPosition(3, {1, 2, 0, 2, 2000});
        QCOMPARE(send(m, "0MP3"), QByteArray("0%%0A\r\n"));           // before homing
        QCOMPARE(send(m, "0WPA7132004E20"), QByteArray("0%%0D\r\n")); // VEL 7
        QCOMPARE(send(m, "0ZZ"), QByteArray("0%%0D\r\n"));
        QCOMPARE(send(m, "0RPF"), QByteArray("0RPF0000000000\r\n")); // unset, not refused
        // Reset answers nothing and clears the alarm, the home state and the outputs.
        m.finishMove(m.handle("0MP0").moveId);
        send(m, "0WS33");
        m.raiseAlarm("0E");
        QCOMPARE(send(m, "0CM3"), QByteArray());
        QCOMPARE(send(m, "0RB138"), QByteArray("0RB13801\r\n"));
        QCOMPARE(send(m, "0RS"), QByteArray("0RS03\r\n"));
    }

    void oneShotHooksAndPacing() {
        server->splitNext(3);
        QCOMPARE(ask("0RV"), QByteArray("0RV1.2\r\n"));
        QVERIFY(reads >= 3);
        server->command("silent");
        QCOMPARE(ask("0RV", 300), QByteArray());
        QCOMPARE(ask("0RV"), QByteArray("0RV1.2\r\n"));
        QCOMPARE(reads, 1);

        server->setPaced(true); // 23 characters at 9600 baud take 24 ms
        QVERIFY(timed([&] { QCOMPARE(ask("0RD00").size(), 23); }) >= 22);
        server->setPaced(false);
        server->setReplyDelay(80);
        QVERIFY(timed([&] { QCOMPARE(ask("0RV"), QByteArray("0RV1.2\r\n")); }) >= 80);
    }

    void motionTimesAndFaults() {
        SimModel &m = server->model();
        m.setPosition(1, {1, 1, 1, 2, 4000});
        m.setPosition(2, {1, 1, 2, 0, 12000});
        server->setMoveTimeScale(0.1);
        QCOMPARE(ask("0MP0", 2000), QByteArray("0MP00000000000\r\n"));
        QCOMPARE(ask("0MP2", 3000), QByteArray("0MP21120002EE0\r\n"));
        server->setMoveTimeScale(0.01);
        server->command("move-alarm 9");
        QCOMPARE(ask("0MP1"), QByteArray("0%%09\r\n"));
        QCOMPARE(m.presentPulses(), 8000); // stopped half way
        QCOMPARE(ask("0%C"), QByteArray("0%C00\r\n"));

        // An alarm during a move answers the move at once.
        server->setMoveTimeScale(1);
        put("0MP2\r\n");
        QCOMPARE(reply(100), QByteArray());
        server->raiseAlarm("0E");
        QCOMPARE(reply(500), QByteArray("0%%0E\r\n"));
        QVERIFY(m.presentPulses() > 8000 && m.presentPulses() < 12000);

        // A reset drops the move that is under way; it never answers.
        server->setMoveTimeScale(0.01);
        QCOMPARE(ask("0CM3", 100), QByteArray());
        QCOMPARE(ask("0MP0"), QByteArray("0MP00000000000\r\n"));
        put("0MP2\r\n0CM3\r\n");
        QCOMPARE(reply(300), QByteArray());
        QCOMPARE(ask("0RB138"), QByteArray("0RB13801\r\n"));
    }
};

TZC3_TEST(SimTest)
#include "test_sim.moc"
