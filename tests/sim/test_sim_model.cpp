#include "sim_model.h"
#include "test_registry.h"

#include <QtTest>

// The controller model on its own: exact reply bytes, stored state and the
// time a move takes, without a port in between.
class SimModelTest : public QObject {
    Q_OBJECT

    // A controller with two positions in its table and the factory blocks.
    static void prepare(SimModel &m) {
        m.setPosition(3, {1, 2, 0, 2, 2000});
        m.setPosition(5, {3, 1, 3, 1, 20000});
        m.setPosition(6, {1, 1, 0, 2, 20001}); // beyond the factory stroke
    }

    static QByteArray send(SimModel &m, const QByteArray &line) { return m.handle(line).bytes; }

    // Runs a motion to its end, as the server does when its time is up.
    static QByteArray move(SimModel &m, const QByteArray &line) {
        const SimModel::Reply r = m.handle(line);
        if (r.moveId) m.finishMove(r.moveId);
        return r.bytes;
    }

    // The program's own time limit for a move, without its 10 s allowance.
    static double programEstimate(const SimModel &m, int distance, int vel) {
        return distance / double(m.speedForVel(vel) * 166);
    }

private slots:
    void replies_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("reply");
        const QByteArray bad = "0%%0D\r\n";
        QTest::newRow("version") << QByteArray("0RV") << QByteArray("0RV1.2\r\n");
        QTest::newRow("communication mode") << QByteArray("0CM1") << QByteArray("0CM1\r\n");
        QTest::newRow("external start mode") << QByteArray("0CM0") << QByteArray("0CM0\r\n");
        QTest::newRow("unknown mode") << QByteArray("0CM2") << bad;
        QTest::newRow("reset has no reply") << QByteArray("0CM3") << QByteArray();
        QTest::newRow("block 00") << QByteArray("0RD00") << QByteArray("0RD00FF00140000FFFFFF\r\n");
        QTest::newRow("block 10") << QByteArray("0RD10") << QByteArray("0RD10004E2002020202FF\r\n");
        QTest::newRow("block 11") << QByteArray("0RD11") << QByteArray("0RD11285078050501FFFF\r\n");
        QTest::newRow("inputs idle")
            << QByteArray("0RD20") << QByteArray("0RD200000000000100026\r\n");
        QTest::newRow("outputs idle")
            << QByteArray("0RD2F") << QByteArray("0RD2F0000F00000000000\r\n");
        QTest::newRow("unknown block") << QByteArray("0RD12") << bad;
        QTest::newRow("short block address") << QByteArray("0RD1") << bad;
        QTest::newRow("write block")
            << QByteArray("0WD00FF32C8012CFFFFFF") << QByteArray("0WD00FF32C8012CFFFFFF\r\n");
        QTest::newRow("write input block") << QByteArray("0WD200000000000000000") << bad;
        QTest::newRow("write block short") << QByteArray("0WD00FF32C8012CFFFFF") << bad;
        QTest::newRow("read position") << QByteArray("0RP3") << QByteArray("0RP312020007D0\r\n");
        QTest::newRow("read unset position")
            << QByteArray("0RPF") << QByteArray("0RPF0000000000\r\n");
        QTest::newRow("read position 0") << QByteArray("0RP0") << bad;
        QTest::newRow("write position")
            << QByteArray("0WPA2132004E20") << QByteArray("0WPA2132004E20\r\n");
        QTest::newRow("write VEL 7") << QByteArray("0WPA7132004E20") << bad;
        QTest::newRow("write overflowed field") << QByteArray("0WPA213200XE20") << bad;
        QTest::newRow("write position short") << QByteArray("0WPA2132004E2") << bad;
        QTest::newRow("present position") << QByteArray("0RC") << QByteArray("0RC00000000000\r\n");
        QTest::newRow("home state") << QByteArray("0RB138") << QByteArray("0RB13801\r\n");
        QTest::newRow("outputs") << QByteArray("0RS") << QByteArray("0RS00\r\n");
        QTest::newRow("write outputs") << QByteArray("0WS12") << QByteArray("0WS12\r\n");
        QTest::newRow("output digit 4") << QByteArray("0WS40") << bad;
        QTest::newRow("clear error") << QByteArray("0%C") << QByteArray("0%C00\r\n");
        QTest::newRow("move before homing") << QByteArray("0MP3") << QByteArray("0%%0A\r\n");
        QTest::newRow("move to no number") << QByteArray("0MP") << bad;
        QTest::newRow("unknown command") << QByteArray("0ZZ") << bad;
        QTest::newRow("too short") << QByteArray("0R") << bad;
    }
    void replies() {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, reply);
        SimModel m;
        prepare(m);
        QCOMPARE(send(m, line), reply);
    }

    void writesAreReadBack() {
        SimModel m;
        QCOMPARE(send(m, "0WPA2132004E20"), QByteArray("0WPA2132004E20\r\n"));
        QCOMPARE(send(m, "0RPA"), QByteArray("0RPA2132004E20\r\n"));
        QCOMPARE(send(m, "0WD1100503C0A0A00ffff"), QByteArray("0WD1100503C0A0A00FFFF\r\n"));
        QCOMPARE(send(m, "0RD11"), QByteArray("0RD1100503C0A0A00FFFF\r\n"));
        QCOMPARE(m.speedForVel(1), 0); // byte 00
        QCOMPARE(m.speedForVel(2), 20);
        QCOMPARE(m.speedForVel(3), 15);
        QCOMPARE(send(m, "0WS31"), QByteArray("0WS31\r\n"));
        QCOMPARE(send(m, "0RS"), QByteArray("0RS31\r\n"));
        QCOMPARE(send(m, "0RD2F"), QByteArray("0RD2F0000F00C00000000\r\n"));
    }

    void homingThenMove() {
        SimModel m;
        prepare(m);
        send(m, "0WD00FF32C8012CFFFFFF"); // OUT 3 and BK 2 after homing
        QCOMPARE(move(m, "0MP0"), QByteArray("0MP00032000000\r\n"));
        QCOMPARE(send(m, "0RB138"), QByteArray("0RB13807\r\n"));
        QCOMPARE(send(m, "0RS"), QByteArray("0RS32\r\n"));
        QCOMPARE(send(m, "0RD20").mid(15, 2), QByteArray("00")); // home sensor on
        QCOMPARE(send(m, "0RD2F").mid(11, 2), QByteArray("0E")); // IN-P, OUT1, OUT2

        // The state changes when the motion ends, not when it starts.
        const SimModel::Reply r = m.handle("0MP5");
        QCOMPARE(r.bytes, QByteArray("0MP53131004E20\r\n"));
        QCOMPARE(send(m, "0RC"), QByteArray("0RC00000000000\r\n"));
        QCOMPARE(send(m, "0RB138"), QByteArray("0RB1380D\r\n")); // moving, not in position
        QVERIFY(m.finishMove(r.moveId));
        QCOMPARE(send(m, "0RC"), QByteArray("0RC00000004E20\r\n"));
        QCOMPARE(send(m, "0RS"), QByteArray("0RS31\r\n"));
        QCOMPARE(send(m, "0RD20").mid(15, 2), QByteArray("10")); // left the sensor

        QCOMPARE(move(m, "0MP9"), QByteArray("0%%01\r\n")); // never written
        QCOMPARE(move(m, "0MP6"), QByteArray("0%%02\r\n")); // beyond the stroke
        QCOMPARE(m.presentPulses(), 20000);
        QVERIFY(m.alarm().isEmpty()); // refusals do not latch
    }

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

        const int homingLimitMs = 1000 * m.strokePulses() / (1600 / m.homingByte());
        m.setPresentPulses(m.strokePulses()); // the worst case: homing from the far end
        const SimModel::Reply home = m.handle("0MP0");
        QVERIFY(home.delayMs > 0 && home.delayMs < homingLimitMs);
        m.finishMove(home.moveId);

        const int full = m.handle("0MP1").delayMs;
        m.finishMove(m.runningMove());
        const SimModel::Reply back = m.handle("0MP2");
        const int half = back.delayMs;
        m.finishMove(back.moveId);
        QVERIFY(full < 1000 * programEstimate(m, pulses, vel));
        QVERIFY(full > 500 * programEstimate(m, pulses, vel));
        QVERIFY(qAbs(full - 2 * half) <= 1);

        m.setMoveTimeScale(0.1);
        m.setPresentPulses(0);
        QVERIFY(qAbs(m.handle("0MP1").delayMs - full / 10) <= 1);
    }

    void alarmLatchesUntilCleared() {
        SimModel m;
        prepare(m);
        m.raiseAlarm("5");
        for (const char *line : {"0RV", "0RD00", "0MP0", "0CM1", "nonsense"})
            QCOMPARE(send(m, line), QByteArray("0%%05\r\n"));
        QCOMPARE(send(m, "0%C"), QByteArray("0%C00\r\n"));
        QCOMPARE(send(m, "0RV"), QByteArray("0RV1.2\r\n"));

        // The emergency stop outlives a clear while its input is still on.
        m.setInput(SimInput::Emg, true);
        QCOMPARE(send(m, "0%C"), QByteArray("0%%0E\r\n"));
        m.setInput(SimInput::Emg, false);
        QCOMPARE(send(m, "0%C"), QByteArray("0%C00\r\n"));

        // Reset clears the alarm, the home state and the outputs.
        move(m, "0MP0");
        send(m, "0WS33");
        m.raiseAlarm("0E");
        QCOMPARE(send(m, "0CM3"), QByteArray());
        QCOMPARE(send(m, "0RB138"), QByteArray("0RB13801\r\n"));
        QCOMPARE(send(m, "0RS"), QByteArray("0RS03\r\n"));
    }

    void inputsAreActiveLow_data() {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QByteArray>("block");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("home") << "home" << QByteArray("20") << QByteArray("0000000000000026");
        QTest::newRow("strobe") << "strobe" << QByteArray("20") << QByteArray("0000000000100024");
        QTest::newRow("stop") << "STOP" << QByteArray("20") << QByteArray("0000000000100022");
        QTest::newRow("emg") << "emg" << QByteArray("20") << QByteArray("0000000000100006");
        QTest::newRow("pos1") << "pos1" << QByteArray("2F") << QByteArray("0000E00000000000");
        QTest::newRow("pos8") << "pos8" << QByteArray("2F") << QByteArray("0000700000000000");
    }
    void inputsAreActiveLow() {
        QFETCH(QString, input);
        QFETCH(QByteArray, block);
        QFETCH(QByteArray, expected);
        SimModel m;
        const auto in = SimModel::inputByName(input);
        QVERIFY(in);
        m.setInput(*in, true);
        QCOMPARE(m.block(block), expected);
        m.setInput(*in, false);
        QVERIFY(m.block(block) != expected);
    }
};

TZC3_TEST(SimModelTest)
#include "test_sim_model.moc"
