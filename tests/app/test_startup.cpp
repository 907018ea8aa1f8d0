#include "app/startup.h"
#include "device/device_dialog.h"
#include "test_registry.h"
#include "test_support.h"
#include "ui/main_window.h"

#include <QLabel>
#include <QtTest>
#include <memory>

namespace {
QString labelText(QWidget *w, const char *name) {
    auto *l = w->findChild<QLabel *>(QLatin1String(name));
    return l ? l->text() : QStringLiteral("<no %1>").arg(QLatin1String(name));
}
} // namespace

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void firstStartIsJapaneseRoundUpDefaultDevice() {
        TestEnv env(2);
        std::unique_ptr<frmMain> w(startUp(env.s, 0));
        QVERIFY(env.s.japanese());
        QCOMPARE(env.s.textBase, 0);
        QVERIFY(env.s.roundUpHalves);
        QCOMPARE(env.s.device.modelName, QStringLiteral("TZ- 28L-100 "));
        QCOMPARE(env.s.device.lead, qint16(2));
        QCOMPARE(env.s.device.ppr, qint16(400));
        QCOMPARE(env.s.maxPulse, 20000);
        QCOMPARE(labelText(w.get(), "sbPanel2"), QStringLiteral("1mm = 200ﾊﾟﾙｽ"));
        QCOMPARE(labelText(w.get(), "sbPanel3"), QStringLiteral("1ﾊﾟﾙｽ= 0.005mm"));
        QCOMPARE(labelText(w.get(), "lblDeviceType"), QStringLiteral("TZ- 28L-100 "));
        QVERIFY(env.prompter.log.isEmpty());
        QVERIFY(env.s.helpPath.endsWith(QStringLiteral("/tzc3hlp.chm")));
        QVERIFY(!env.s.helpPath.contains(QStringLiteral("//")));
    }

    void onlyLanguageOneIsJapanese_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("japanese");
        QTest::newRow("0") << "0" << false;
        QTest::newRow("1") << "1" << true;
        QTest::newRow("2") << "2" << false;
        QTest::newRow("7") << "7" << false;
    }
    void onlyLanguageOneIsJapanese() {
        QFETCH(QString, stored);
        QFETCH(bool, japanese);
        TestEnv env;
        env.settings.write(QStringLiteral("Languege"), stored);
        std::unique_ptr<frmMain> w(startUp(env.s, 0));
        QCOMPARE(env.s.japanese(), japanese);
        QCOMPARE(env.s.textBase, japanese ? 0 : 10000);
        QCOMPARE(labelText(w.get(), "sbPanel2"),
                 japanese ? QStringLiteral("1mm = 200ﾊﾟﾙｽ") : QStringLiteral("1mm = 200Pulse"));
    }

    void roundingModeFromStore_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("up");
        QTest::newRow("0") << "0" << false;
        QTest::newRow("-1") << "-1" << false;
        QTest::newRow("3") << "3" << true;
    }
    void roundingModeFromStore() {
        QFETCH(QString, stored);
        QFETCH(bool, up);
        TestEnv env;
        env.settings.write(QStringLiteral("MmRoundUp"), stored);
        std::unique_ptr<frmMain> w(startUp(env.s, 0));
        QCOMPARE(env.s.roundUpHalves, up);
        w.reset();
        QCOMPARE(env.settings.read(QStringLiteral("MmRoundUp"), QString()), stored);
    }

    // A damaged store: the user is told and the device dialog opens; the
    // program stays usable whatever the dialog returns.
    void damagedDeviceOpensDeviceDialog_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("size 28") << "DevSize" << "28";
        QTest::newRow("stroke 5") << "DevStroke" << "5";
    }
    void damagedDeviceOpensDeviceDialog() {
        QFETCH(QString, key);
        QFETCH(QString, value);
        TestEnv env;
        env.settings.write(QStringLiteral("Languege"), QStringLiteral("2"));
        env.settings.write(key, value);
        bool dialogShown = false;
        env.prompter.dialogs.push_back([&](QDialog &d) {
            dialogShown = qobject_cast<frmDevice2 *>(&d) != nullptr;
            return int(QDialog::Rejected);
        });
        std::unique_ptr<frmMain> w(startUp(env.s, 0));
        QVERIFY(dialogShown);
        QCOMPARE(env.prompter.texts().value(0),
                 QStringLiteral("Type not selected.\r\nPlease select tyep again. "));
        QVERIFY(env.prompter.unexpected.isEmpty());
        QVERIFY(w->isVisible());
    }

    void badLeadInStoreForUnlistedDevice() {
        for (const char *lead : {"0", "256"}) {
            TestEnv env(1);
            env.settings.write(QStringLiteral("DevStroke"), QStringLiteral("123"));
            env.settings.write(QStringLiteral("DevLead"), QString::fromLatin1(lead));
            env.prompter.dialogs.push_back([](QDialog &) { return int(QDialog::Rejected); });
            std::unique_ptr<frmMain> w(startUp(env.s, 0));
            QCOMPARE(env.prompter.texts().value(0),
                     QStringLiteral("機種が選択されていません。\r\n再度、機種を選択してください。"));
        }
    }

    void missingListIsReportedAndSurvived() {
        TestEnv env;
        env.useOwnFolder();
        QFile::remove(env.dir.filePath(QStringLiteral("wtzdevice.lst")));
        env.settings.write(QStringLiteral("Languege"), QStringLiteral("2"));
        env.prompter.dialogs.push_back([](QDialog &) { return int(QDialog::Rejected); });
        std::unique_ptr<frmMain> w(startUp(env.s, 0));
        // Restore finds no list: the device falls back to the stored lead and
        // pulses, then the catalogue load and model name report the missing file.
        QVERIFY(env.prompter.texts().contains(QStringLiteral("No device list file.")));
        QVERIFY(w->isVisible());
    }
};

TZC3_TEST(StartupTest)
#include "test_startup.moc"
