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
    // Factory values for every model the device dialog offers, each one the editor accepts.
    void standardListsCoverEveryDevice() {
        const QString folder = QStringLiteral(TZC3_BUILD_DIR);
        for (auto [family, newType] : {std::pair("TZ", false), {"TZ", true}, {"RP", false}}) {
            const bool tz = family == QLatin1String("TZ");
            const auto catalogue = device::readListFile(device::listFilePath(folder, tz, newType));
            QVERIFY(catalogue);
            QVERIFY(catalogue->entries.size() <= 99 && catalogue->sizes.size() <= 6);
            const auto list =
                loadStandardParameters(standardListPath(folder, family, newType), family, true);
            QVERIFY(list);
            QCOMPARE(list->records.size(), catalogue->entries.size());
            for (int i = 0; i < catalogue->entries.size(); ++i) {
                const CatalogueEntry &d = catalogue->entries[i];
                const StandardParameters &r = list->records[i];
                QCOMPARE(r.code, d.code);
                QCOMPARE(findStandardParameters(*list, d.size, d.speed, d.stroke), &r);
                QCOMPARE(r.sensor, tz ? 1 : 0);
                QCOMPARE(qint64(r.values[0]), device::strokePulses(d.stroke, d.lead, d.ppr));
                for (int f = ParameterFields::F1; f <= ParameterFields::F9; ++f)
                    QVERIFY2(fieldValueAllowed(f, QString::number(r.values[f])),
                             qPrintable(r.code));
                QCOMPARE(r.values[10], 0.0);
                for (int f = 11; f < 15; ++f)
                    QCOMPARE(r.values[f], 2.0);
            }
        }
        // The header counts at most 99 devices, and the rows must be whole.
        TestEnv env;
        const QByteArray row = "\" 28L-100\",20000,0,20,0,0,5,5,10,20,30,0,2,2,2,2\r\n";
        env.writeFile("full.lst", "99,\"x\"\r\n" + row.repeated(100));
        env.writeFile("over.lst", "100,\"x\"\r\n" + row.repeated(100));
        env.writeFile("short.lst", "2,\"x\"\r\n\" 28L-100\",20000,0,20\r\n");
        QVERIFY(loadStandardParameters(env.dir.filePath("full.lst"), "TZ", false));
        for (const char *refused : {"over.lst", "short.lst", "none.lst"})
            QVERIFY2(!loadStandardParameters(env.dir.filePath(refused), "TZ", false), refused);
    }

    // Lead 6 rounds up, even a third below; the 42 mm high-speed model has 192 pulses.
    void calculator() {
        const std::tuple<int, const char *, const char *, bool, QString> cases[] = {
            {2, "100", "2", false, "20000"},   {2, "100", "6", false, "6667"},
            {2, "200", "6", false, "13334"},   {2, "50", "8", true, "1200"},
            {2, "", "2", false, "Invalidity"}, {1, "100", "5", false, "不正値"}};
        for (const auto &[language, stroke, lead, tz42d, result] : cases) {
            TestEnv env(language);
            const QString in = u' ' + QString(stroke) + u'/' + lead;
            QCOMPARE(device::strokePulseResult(env.s, stroke, lead, tz42d) + in, result + in);
        }
    }
};

TZC3_TEST(ParameterRulesTest)
#include "test_parameter_rules.moc"
