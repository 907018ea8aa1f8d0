#include "device/catalogue.h"
#include "device/stroke_pulse.h"
#include "parameters/parameter_fields.h"
#include "parameters/std_params.h"
#include "test_registry.h"
#include "test_support.h"

#include <QtTest>

using namespace params;

class ParameterRulesTest : public QObject {
    Q_OBJECT
private slots:
    void standardListsCoverEveryDevice_data();
    void standardListsCoverEveryDevice();
    void standardListHeaderLimit();
    void calculator_data();
    void calculator();
    void takingFieldsResetsSpares();
};

void ParameterRulesTest::standardListsCoverEveryDevice_data() {
    QTest::addColumn<QString>("family");
    QTest::addColumn<bool>("newType");
    QTest::newRow("TZ old") << "TZ" << false;
    QTest::newRow("TZ new") << "TZ" << true;
    QTest::newRow("RP") << "RP" << false;
}

// The shipped lists must offer factory values for every model the device
// dialog offers, with the stroke in pulses the calculator would give and
// every value one the editor accepts.
void ParameterRulesTest::standardListsCoverEveryDevice() {
    QFETCH(QString, family);
    QFETCH(bool, newType);
    const QString folder = QStringLiteral(TZC3_BUILD_DIR);
    const bool tz = family == "TZ";
    const auto catalogue = device::readListFile(device::listFilePath(folder, tz, newType));
    QVERIFY(catalogue);
    const auto list = loadStdParaList(stdListPath(folder, family, newType), family, true);
    QVERIFY(list);
    QCOMPARE(list->records.size(), catalogue->entries.size());
    for (int i = 0; i < catalogue->entries.size(); ++i) {
        const CatalogueEntry &d = catalogue->entries[i];
        const StdParaRecord &r = list->records[i];
        QCOMPARE(r.code, d.code);
        QCOMPARE(findStdPara(*list, d.size, d.speed, d.stroke), &r);
        QCOMPARE(r.sensor, tz ? 1 : 0);
        QCOMPARE(qint64(r.values[0]), device::strokePulses(d.stroke, d.lead, d.ppr));
        for (int f = ParaFields::F1; f <= ParaFields::F9; ++f)
            QVERIFY2(fieldValueAllowed(f, QString::number(r.values[f])), qPrintable(r.code));
        QCOMPARE(r.values[10], 0.0);
        QCOMPARE(r.values[11], 2.0);
        for (int f = 12; f < 15; ++f)
            QCOMPARE(r.values[f], 2.0);
    }
}

void ParameterRulesTest::standardListHeaderLimit() {
    TestEnv env;
    QByteArray body;
    for (int i = 0; i < 100; ++i)
        body += "\" 28L-100\",20000,0,20,0,0,5,5,10,20,30,0,2,2,2,2\r\n";
    env.writeFile("full.lst", "99,\"x\"\r\n" + body);
    env.writeFile("over.lst", "100,\"x\"\r\n" + body);
    env.writeFile("short.lst", "2,\"x\"\r\n\" 28L-100\",20000,0,20\r\n");
    QVERIFY(loadStdParaList(env.dir.filePath("full.lst"), "TZ", false));
    QVERIFY(!loadStdParaList(env.dir.filePath("over.lst"), "TZ", false));
    QVERIFY(!loadStdParaList(env.dir.filePath("short.lst"), "TZ", false));
    QVERIFY(!loadStdParaList(env.dir.filePath("none.lst"), "TZ", false));
}

void ParameterRulesTest::calculator_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("stroke");
    QTest::addColumn<QString>("lead");
    QTest::addColumn<bool>("tz42d");
    QTest::addColumn<QString>("result");
    QTest::newRow("lead 2") << 2 << "100"
                            << "2" << false << "20000";
    QTest::newRow("lead 6 rounds up") << 2 << "100"
                                      << "6" << false << "6667";
    QTest::newRow("lead 6, a third below") << 2 << "200"
                                           << "6" << false << "13334";
    QTest::newRow("TZ-42D") << 2 << "50"
                            << "8" << true << "1200";
    QTest::newRow("empty lead") << 2 << "100"
                                << "" << false << "Invalidity";
    QTest::newRow("lead 5") << 2 << "100"
                            << "5" << false << "Invalidity";
    QTest::newRow("empty stroke") << 2 << ""
                                  << "2" << false << "Invalidity";
    QTest::newRow("Japanese") << 1 << "100"
                              << "5" << false << QString::fromUtf8("不正値");
}

void ParameterRulesTest::calculator() {
    QFETCH(int, language);
    QFETCH(QString, stroke);
    QFETCH(QString, lead);
    QFETCH(bool, tz42d);
    QFETCH(QString, result);
    TestEnv env(language);
    QCOMPARE(device::strokePulseResult(env.s, stroke, lead, tz42d), result);
}

void ParameterRulesTest::takingFieldsResetsSpares() {
    ParameterSet p;
    p.spareA = 7;
    p.spareB = 9;
    ParaFields f;
    for (int i = 0; i < ParaFields::Count; ++i)
        f[i] = QString::number(i + 1);
    f.useDefault = false;
    f.homing = 1;
    QCOMPARE(TorikomiParaData(f, p), 0);
    QCOMPARE(p.spareA, qint16(0));
    QCOMPARE(p.spareB, qint16(2));
    QCOMPARE(p.brakeExecTime, qint16(13));
    QCOMPARE(p.homingMethod, qint16(1));
    f.useDefault = true;
    QCOMPARE(TorikomiParaData(f, p), 0);
    QCOMPARE(p.brakeExecTime, qint16(2));
}

TZC3_TEST(ParameterRulesTest)
#include "test_parameter_rules.moc"
