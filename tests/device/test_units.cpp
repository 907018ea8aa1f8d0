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
    // stroke/lead/ppr, then the largest pulse count and mm value.
    void limits() {
        const std::tuple<int, int, int, int, double> cases[] = {{100, 2, 400, 20000, 100.0},
                                                                {50, 6, 400, 3334, 50.01},
                                                                {100, 6, 400, 6667, 100.005},
                                                                {50, 8, 192, 1200, 50.0},
                                                                {100, 0, 400, 0, 0.0}};
        for (const auto &[stroke, lead, ppr, maxPulse, maxMm] : cases) {
            TestEnv env;
            setDevice(env.s, stroke, lead, ppr);
            QCOMPARE(std::tuple(stroke, lead, env.s.maxPulse, env.s.maxMm),
                     std::tuple(stroke, lead, maxPulse, maxMm));
        }
    }

    // lead, typed mm, snapped with halves rounded up, and down.
    void snapping() {
        const std::tuple<int, double, double, double> cases[] = {
            {8, 0.010, 0.02, 0.0},    {8, 0.011, 0.02, 0.02},   {8, 0.009, 0.0, 0.0},
            {2, 1.235, 1.235, 1.235}, {2, 1.234, 1.235, 1.235}, {6, 0.0075, 0.015, 0.0}};
        for (const auto &[lead, mm, up, down] : cases) {
            QCOMPARE(std::tuple(lead, mm, units::snapMmToPulse(lead, true, 400, mm),
                                units::snapMmToPulse(lead, false, 400, mm)),
                     std::tuple(lead, mm, up, down));
        }
        // The pulse count of a snapped value is whole, without float noise.
        for (int pulses = 0; pulses <= 20000; pulses += 7) {
            const double mm = units::pulseToMm(6, 400, pulses);
            QCOMPARE(units::mmToPulse(6, 400, units::snapMmToPulse(6, true, 400, mm)),
                     double(pulses));
        }
    }

    // Lead 2 is shown by the start-up tests in both languages.
    void ratioPanels() {
        TestEnv env;
        setDevice(env.s, 100, 6, 400);
        QCOMPARE(units::unitRatios(env.s).mmToPulse, "1mm = 66.667Pulse");
        QCOMPARE(units::unitRatios(env.s).pulseToMm, "1Pulse= 0.015mm");
        setDevice(env.s, 100, 8, 192);
        QCOMPARE(units::unitRatios(env.s).mmToPulse, "1mm = 24Pulse");
        QCOMPARE(units::unitRatios(env.s).pulseToMm, "1Pulse= 0.042mm");
    }

    void mmColumn() {
        TestEnv env;
        setDevice(env.s, 100, 2, 400);
        PositionTable t;
        t.setText(1, PositionTable::ColPulse, QStringLiteral("  20000"));
        t.setText(3, PositionTable::ColPulse, QStringLiteral("9999999")); // > 999 mm
        units::recomputeMmColumn(env.s, t);
        QCOMPARE(t.text(1, PositionTable::ColMm), "100.000");
        QCOMPARE(t.text(2, PositionTable::ColMm), "  0.000");
        QCOMPARE(t.text(3, PositionTable::ColMm), QString());
    }
};

TZC3_TEST(UnitsTest)
#include "test_units.moc"
