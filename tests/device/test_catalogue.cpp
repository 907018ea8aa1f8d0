#include "device/catalogue.h"
#include "test_registry.h"
#include "test_support.h"

#include <QtTest>

namespace {
void storeAll(TestEnv &env, const QStringList &keyValues) {
    for (const QString &kv : keyValues)
        env.settings.write(kv.section(u'=', 0, 0), kv.section(u'=', 1));
}
} // namespace

class CatalogueTest : public QObject {
    Q_OBJECT
private slots:
    void malformedListsAreRefused_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("count 100") << QByteArray("100\r\n\" 28L-100\",2,400,0,0\r\n");
        QTest::newRow("too few fields") << QByteArray("2\r\n\" 28L-100\",2,400,0,0\r\n");
        QTest::newRow("letter in lead") << QByteArray("1\r\n\" 28L-100\",x,400,0,0\r\n");
        QByteArray seven = "7\r\n";
        for (char size = '0'; size < '7'; ++size)
            seven += QByteArray("\" 1") + size + "L-100\",2,400,0,0\r\n";
        QTest::newRow("seven sizes") << seven;
    }
    void malformedListsAreRefused() {
        QFETCH(QByteArray, content);
        TestEnv env;
        env.useOwnFolder();
        env.writeFile(QStringLiteral("wtzdevice.lst"), content);
        QVERIFY(!device::loadCatalogue(env.s, false));
        QVERIFY(env.s.catalogue.listMissing);
        QVERIFY(env.s.catalogue.entries.isEmpty());
        QCOMPARE(env.prompter.texts(),
                 QStringList{"No device list file.\r\nPut device list file in the folder in "
                             "which the program is saved in order to indicate device "
                             "information correctly."});
    }

    // An unlisted device takes the stored lead and pulses. A bad size, stroke
    // or lead is refused in the start-up tests, with the message it brings.
    void restoreChecksStoredValues_data() {
        QTest::addColumn<QStringList>("stored"); // key=value
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("lead");
        QTest::addColumn<int>("ppr");
        QTest::newRow("lower-case speed") << QStringList{"DevSpeed=l"} << false << 0 << 0;
        QTest::newRow("empty speed") << QStringList{"DevSpeed="} << false << 0 << 0;
        QTest::newRow("unlisted, defaults") << QStringList{"DevStroke=999"} << true << 2 << 400;
        // Stored numbers are integers: fractions round to the nearest.
        QTest::newRow("stroke 9.6, lead 0.6")
            << QStringList{"DevStroke=9.6", "DevLead=0.6"} << true << 1 << 400;
        QTest::newRow("unlisted, lead 255")
            << QStringList{"DevStroke=123", "DevLead=255", "DevPPR=192"} << true << 255 << 192;
    }
    void restoreChecksStoredValues() {
        QFETCH(QStringList, stored);
        QFETCH(bool, ok);
        QFETCH(int, lead);
        QFETCH(int, ppr);
        TestEnv env;
        storeAll(env, stored);
        QCOMPARE(device::restoreDevice(env.s), ok);
        if (ok)
            QCOMPARE(QList<int>({env.s.device.lead, env.s.device.ppr}), QList<int>({lead, ppr}));
    }

    void saveThenRestoreRoundTrips() {
        TestEnv env;
        auto &d = env.s.device;
        // RP, old type, " 35H" stroke 150, lead 8, 400 pulses, not vertical.
        d = {false, false, {}, " 35", "H", 150, 8, 400, false, false, false, {}};
        device::saveDevice(env.s);
        QCOMPARE(env.settings.read(QStringLiteral("Device"), QStringLiteral("?")), QString());
        QCOMPARE(env.settings.read(QStringLiteral("Vertical"), QString()), QStringLiteral("0"));
        d = DeviceRecord();
        QVERIFY(device::restoreDevice(env.s));
        QVERIFY(!d.tz && !d.newType);
        QCOMPARE(d.size + d.speed + d.typeText, QStringLiteral(" 35HOLD"));
        QCOMPARE(d.lead, qint16(8));
    }

    void modelNames_data() {
        QTest::addColumn<bool>(
            "code1"); // the list's entry: " 42D- 50" code 1, else " 28L-100" code 0
        QTest::addColumn<bool>("newType");
        QTest::addColumn<int>("stroke");
        QTest::addColumn<bool>("verticalSpec");
        QTest::addColumn<QString>("name");
        QTest::newRow("code 0") << false << true << 100 << false << "TZ- 28L-100 ";
        QTest::newRow("code 1 old vertical") << true << false << 50 << true << "TZ- 42D- 50V";
        QTest::newRow("code 1 new vertical") << true << true << 50 << true << "TZ- 42D- 50";
        QTest::newRow("code 1 not vertical") << true << false << 50 << false << "TZ- 42D- 50_";
        QTest::newRow("no entry") << false << true << 1000 << false << "TZ- 28L-X";
    }
    void modelNames() {
        QFETCH(bool, code1);
        QFETCH(bool, newType);
        QFETCH(int, stroke);
        QFETCH(bool, verticalSpec);
        TestEnv env;
        env.useOwnFolder();
        env.writeFile(newType ? "wtzdevice.lst" : "tzdevice.lst",
                      code1 ? "1\r\n\" 42D- 50\",8,192,0,1\r\n"
                            : "1\r\n\" 28L-100\",2,400,0,0\r\n");
        auto &d = env.s.device;
        d.newType = newType;
        d.size = code1 ? " 42" : " 28";
        d.speed = code1 ? "D" : "L";
        d.stroke = qint16(stroke);
        d.verticalSpec = verticalSpec;
        device::buildModelName(env.s);
        QTEST(d.modelName, "name");
    }

    void parseModelNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("candidate"); // size, speed, stroke
        QTest::addColumn<bool>("vertical");
        QTest::newRow("two-digit size") << "TZ-28L-100V" << QString("OLD") << " 28L100" << true;
        QTest::newRow("E35") << "TZ-E35L-300 " << QString("NEW") << "E35L300" << false;
        QTest::newRow("RP") << "RP- 35H-250_" << QString() << " 35H250" << false;
        // Strokes are numbers read by the one rule: leading blanks skipped, halves to even.
        QTest::newRow("two-digit size, blank before stroke")
            << "TZ-28L- 50V" << QString("OLD") << " 28L50" << true;
        QTest::newRow("fraction") << "TZ- 28L-9.5 " << QString("NEW") << " 28L10" << false;
    }
    void parseModelNames() {
        QFETCH(QString, name);
        QFETCH(QString, type);
        TestEnv env;
        QVERIFY(device::parseModelName(env.s, name, type));
        const CandidateDevice &c = env.s.candidate;
        QTEST(c.size + c.speed + QString::number(c.stroke), "candidate");
        QTEST(env.s.device.verticalSpec, "vertical");
        QCOMPARE(c.newType, type == QLatin1String("NEW"));
    }

    void unusableNamesLeaveDeviceAlone() {
        for (const char *name : {"XY- 28L-100", "TZ-28l-100", "TZ-2"}) {
            TestEnv env(1);
            QVERIFY(!device::parseModelName(env.s, QString::fromLatin1(name), "NEW"));
            QCOMPARE(env.s.candidate.size, QString());
            QCOMPARE(env.prompter.texts(), QStringList{"TZのタイプが選択されていません。 \r\n"
                                                       "使用する機種を選択してください。"});
        }
        // A long tail is not one of our names: abandoned without a message.
        TestEnv env;
        QVERIFY(!device::parseModelName(env.s, "TZ- 28L-100 extra", "NEW"));
        QVERIFY(env.prompter.log.isEmpty());
    }

    void applyDeviceChange() {
        TestEnv env;
        auto &s = env.s;
        QVERIFY(device::restoreDevice(s));
        s.candidate = {"TZ", true, " 42", "D", 200};
        QVERIFY(device::loadCatalogue(s, true));
        QVERIFY(device::applyDeviceChange(s, false));
        QCOMPARE(QList<int>({s.device.lead, s.device.ppr, s.maxPulse}), QList<int>({8, 192, 4800}));
        QCOMPARE(s.settings.read(QStringLiteral("DevSize"), QString()), QStringLiteral(" 42"));
        QCOMPARE(s.device.modelName, QStringLiteral("TZ- 42D-200 "));

        s.candidate.stroke = 222; // not in the catalogue
        QVERIFY(!device::applyDeviceChange(s, false));
        QCOMPARE(env.prompter.texts().last(),
                 QStringLiteral("Type not selected.\r\nSelect type to indicate position with mm."));
        QCOMPARE(s.settings.read(QStringLiteral("DevStroke"), QString()), QStringLiteral("200"));
    }
};

TZC3_TEST(CatalogueTest)
#include "test_catalogue.moc"
