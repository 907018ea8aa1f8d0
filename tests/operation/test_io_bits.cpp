#include "operation/io_bits.h"
#include "test_registry.h"

#include <QtTest>

class IoBitsTest : public QObject {
    Q_OBJECT
private slots:
    void lamps_data();
    void lamps();
};

void IoBitsTest::lamps_data() {
    QTest::addColumn<QString>("block");
    QTest::addColumn<int>("pos"); // 1-based position of the pair in the reply
    QTest::addColumn<QString>("pair");
    QTest::addColumn<QList<int>>("lit");
    QTest::addColumn<QList<int>>("dark");
    // 0 HOME LS, 1 STROBE, 2 STOP, 3 EMG STOP, 4-7 POSITION 1/2/4/8,
    // 8 ALARM, 9 IN-P, 10 OUT1, 11 OUT2
    using L = QList<int>;
    QTest::newRow("home sensor off") << "20" << 16 << "10" << L{} << L{0};
    QTest::newRow("home sensor on") << "20" << 16 << "00" << L{0} << L{};
    QTest::newRow("strobe only") << "20" << 20 << "24" << L{1} << L{2, 3};
    QTest::newRow("stop and emg") << "20" << 20 << "02" << L{2, 3} << L{1};
    QTest::newRow("outputs on") << "2F" << 12 << "0C" << L{10, 11} << L{8, 9};
    QTest::newRow("alarm, in position") << "2F" << 12 << "03" << L{8, 9} << L{10, 11};
    QTest::newRow("no position") << "2F" << 10 << "F0" << L{} << L{4, 5, 6, 7};
    QTest::newRow("all positions") << "2F" << 10 << "00" << L{4, 5, 6, 7} << L{};
    QTest::newRow("position 2 and 8") << "2F" << 10 << "50" << L{5, 7} << L{4, 6};
}

void IoBitsTest::lamps() {
    QFETCH(QString, block);
    QFETCH(int, pos);
    QFETCH(QString, pair);
    QFETCH(QList<int>, lit);
    QFETCH(QList<int>, dark);
    // Everything else in the reply is "F": a pair read from the wrong place
    // shows up as a wrong lamp.
    QString reply = QStringLiteral("0RD") + block + QString(16, u'F') + QStringLiteral("\r\n");
    reply.replace(pos - 1, 2, pair);
    const auto &sigs = io::ioSignals();
    for (int i : lit + dark) {
        QCOMPARE(io::blockOf(sigs[i]), block);
        QVERIFY2(io::lampLit(sigs[i], reply) == lit.contains(i), sigs[i].en);
    }
}

TZC3_TEST(IoBitsTest)
#include "test_io_bits.moc"
