#include "device/units.h"
#include "test_registry.h"
#include "test_support.h"

#include <QtTest>

class UnitsTest : public QObject {
    Q_OBJECT

    static void setDevice(AppState &s, int stroke, int lead, int ppr) {
        s.device.stroke = qint16(stroke);
        s.device.lead = qint16(lead);
        s.device.ppr = qint16(ppr);
        units::computeLimits(s);
    }

private slots:
    void limits_data() {
        QTest::addColumn<int>("stroke");
        QTest::addColumn<int>("lead");
        QTest::addColumn<int>("ppr");
        QTest::addColumn<int>("maxPulse");
        QTest::addColumn<double>("maxMm");
        QTest::newRow("100/2/400") << 100 << 2 << 400 << 20000 << 100.0;
        QTest::newRow("50/6/400") << 50 << 6 << 400 << 3334 << 50.01;
        QTest::newRow("100/6/400") << 100 << 6 << 400 << 6667 << 100.005;
        QTest::newRow("50/8/192") << 50 << 8 << 192 << 1200 << 50.0;
        QTest::newRow("no lead") << 100 << 0 << 400 << 0 << 0.0;
    }
    void limits() {
        QFETCH(int, stroke);
        QFETCH(int, lead);
        QFETCH(int, ppr);
        QFETCH(int, maxPulse);
        QFETCH(double, maxMm);
        TestEnv env;
        setDevice(env.s, stroke, lead, ppr);
        QCOMPARE(env.s.maxPulse, maxPulse);
        QCOMPARE(env.s.maxMm, maxMm);
    }

    void snapping_data() {
        QTest::addColumn<int>("lead");
        QTest::addColumn<double>("mm");
        QTest::addColumn<double>("roundUp");
        QTest::addColumn<double>("roundDown");
        QTest::newRow("exact half") << 8 << 0.010 << 0.02 << 0.0;
        QTest::newRow("above half") << 8 << 0.011 << 0.02 << 0.02;
        QTest::newRow("below half") << 8 << 0.009 << 0.0 << 0.0;
        QTest::newRow("on a pulse") << 2 << 1.235 << 1.235 << 1.235;
        QTest::newRow("cut entry") << 2 << 1.234 << 1.235 << 1.235;
        QTest::newRow("lead 6 half") << 6 << 0.0075 << 0.015 << 0.0;
    }
    void snapping() {
        QFETCH(int, lead);
        QFETCH(double, mm);
        QFETCH(double, roundUp);
        QFETCH(double, roundDown);
        QCOMPARE(units::snapMmToPulse(lead, true, 400, mm), roundUp);
        QCOMPARE(units::snapMmToPulse(lead, false, 400, mm), roundDown);
        // The pulse count of a snapped value is whole, without float noise.
        const double p = units::mmToPulse(lead, 400, units::snapMmToPulse(lead, true, 400, mm));
        QCOMPARE(p, std::round(p));
    }

    void mmToPulseIsExactForSnappedValues() {
        for (int pulses = 0; pulses <= 20000; pulses += 7) {
            const double mm = units::pulseToMm(6, 400, pulses);
            QCOMPARE(units::mmToPulse(6, 400, units::snapMmToPulse(6, true, 400, mm)),
                     double(pulses));
        }
    }

    void ratioPanels() {
        TestEnv en(2), ja(1);
        setDevice(en.s, 100, 2, 400);
        setDevice(ja.s, 100, 2, 400);
        QCOMPARE(units::unitRatios(en.s).mmToPulse, QStringLiteral("1mm = 200Pulse"));
        QCOMPARE(units::unitRatios(en.s).pulseToMm, QStringLiteral("1Pulse= 0.005mm"));
        QCOMPARE(units::unitRatios(ja.s).mmToPulse, QStringLiteral("1mm = 200ﾊﾟﾙｽ"));
        QCOMPARE(units::unitRatios(ja.s).pulseToMm, QStringLiteral("1ﾊﾟﾙｽ= 0.005mm"));
        setDevice(en.s, 100, 6, 400);
        QCOMPARE(units::unitRatios(en.s).mmToPulse, QStringLiteral("1mm = 66.667Pulse"));
        QCOMPARE(units::unitRatios(en.s).pulseToMm, QStringLiteral("1Pulse= 0.015mm"));
        setDevice(en.s, 100, 8, 192);
        QCOMPARE(units::unitRatios(en.s).mmToPulse, QStringLiteral("1mm = 24Pulse"));
        QCOMPARE(units::unitRatios(en.s).pulseToMm, QStringLiteral("1Pulse= 0.042mm"));
    }

    void mmColumn() {
        TestEnv env;
        setDevice(env.s, 100, 2, 400);
        PositionTable t;
        t.setText(1, PositionTable::ColPulse, QStringLiteral("  20000"));
        t.setText(3, PositionTable::ColPulse, QStringLiteral("9999999")); // > 999 mm
        units::recomputeMmColumn(env.s, t);
        QCOMPARE(t.text(1, PositionTable::ColMm), QStringLiteral("100.000"));
        QCOMPARE(t.text(2, PositionTable::ColMm), QStringLiteral("  0.000"));
        QCOMPARE(t.text(3, PositionTable::ColMm), QString());
        QCOMPARE(units::pulseCellText(2000), QStringLiteral("   2000"));
    }
};

TZC3_TEST(UnitsTest)
#include "test_units.moc"
