#include "device/device_dialog.h"
#include "test_registry.h"
#include "test_support.h"
#include "ui/main_window.h"
#include "ui/startup.h"

#include <QAbstractButton>
#include <QApplication>
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
        std::unique_ptr<MainWindow> w(startUp(env.s, 0));
        QVERIFY(env.s.japanese());
        QCOMPARE(env.s.lang.textBase(), 0);
        QVERIFY(env.s.roundUpHalves);
        QVERIFY(env.s.device.tz && env.s.device.newType);
        QCOMPARE(QList<int>({env.s.device.lead, env.s.device.ppr, env.s.maxPulse}),
                 QList<int>({2, 400, 20000}));
        QCOMPARE(labelText(w.get(), "statusPanel2"), QStringLiteral("1mm = 200ﾊﾟﾙｽ"));
        QCOMPARE(labelText(w.get(), "statusPanel3"), QStringLiteral("1ﾊﾟﾙｽ= 0.005mm"));
        QCOMPARE(labelText(w.get(), "deviceLabel"), QStringLiteral("TZ- 28L-100 "));
        QVERIFY(env.prompter.log.isEmpty());
        QVERIFY(env.s.helpPath.endsWith(QStringLiteral("/tzc3hlp.chm")));
        QVERIFY(!env.s.helpPath.contains(QStringLiteral("//")));
    }

    // Only "Languege" 1 is Japanese; any positive "MmRoundUp" rounds halves up.
    // Both are integers: a stored fraction rounds to the nearest.
    void storedLanguageAndRounding_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("roundUp");
        QTest::addColumn<bool>("japanese");
        QTest::addColumn<bool>("up");
        QTest::newRow("0, 0") << "0"
                              << "0" << false << false;
        QTest::newRow("1, -1") << "1"
                               << "-1" << true << false;
        QTest::newRow("2, 3") << "2"
                              << "3" << false << true;
        QTest::newRow("7, 1") << "7"
                              << "1" << false << true;
        QTest::newRow("0.6, 0.4") << "0.6"
                                  << " 0.4" << true << false;
        // Too big for any integer: no conversion may overflow on the way.
        QTest::newRow("1e300, -1e300") << "1e300"
                                       << "-1e300" << false << false;
    }
    void storedLanguageAndRounding() {
        QFETCH(QString, language);
        QFETCH(QString, roundUp);
        QFETCH(bool, japanese);
        QFETCH(bool, up);
        TestEnv env;
        env.settings.write(QStringLiteral("Languege"), language);
        env.settings.write(QStringLiteral("MmRoundUp"), roundUp);
        std::unique_ptr<MainWindow> w(startUp(env.s, 0));
        QCOMPARE(env.s.japanese(), japanese);
        QCOMPARE(env.s.lang.textBase(), japanese ? 0 : 10000);
        QCOMPARE(labelText(w.get(), "statusPanel2"),
                 japanese ? QStringLiteral("1mm = 200ﾊﾟﾙｽ") : QStringLiteral("1mm = 200Pulse"));
        QCOMPARE(env.s.roundUpHalves, up);
        w.reset();
        QCOMPARE(env.settings.read(QStringLiteral("MmRoundUp"), QString()), roundUp);
    }

    // A damaged store: the user is told and the device dialog opens; the
    // program stays usable whatever the dialog returns. The type marker and
    // selector follow the stored type and family even so; a cancelled dialog
    // leaves the rest of the window blank.
    void damagedDeviceOpensDeviceDialog_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QStringList>("stored"); // key=value
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("selector");
        QTest::addColumn<bool>("oldMarker");
        const QString en = "Type not selected.\r\nPlease select tyep again. ";
        const QString ja = "機種が選択されていません。\r\n再度、機種を選択してください。";
        QTest::newRow("size 28") << 2 << QStringList{"DevSize=28"} << en << true << false;
        QTest::newRow("old, stroke 5")
            << 2 << QStringList{"DevStroke=5", "NewType=0"} << en << true << true;
        QTest::newRow("RP, unlisted, lead 0")
            << 1 << QStringList{"Device=", "NewType=0", "DevStroke=123", "DevLead=0"} << ja << false
            << false;
        QTest::newRow("unlisted, lead 256")
            << 1 << QStringList{"DevStroke=123", "DevLead=256"} << ja << true << false;
    }
    void damagedDeviceOpensDeviceDialog() {
        QFETCH(int, language);
        QFETCH(QStringList, stored);
        QFETCH(QString, message);
        QFETCH(bool, selector);
        QFETCH(bool, oldMarker);
        TestEnv env;
        env.settings.write(QStringLiteral("Languege"), QString::number(language));
        for (const QString &kv : stored)
            env.settings.write(kv.section(u'=', 0, 0), kv.section(u'=', 1));
        bool dialogShown = false;
        QString seenWithMessage;
        const auto typeShown = [&](QWidget *w) {
            const auto *marker = w->findChild<QWidget *>(QStringLiteral("oldTypeMarker"));
            const auto *area = w->findChild<QWidget *>(QStringLiteral("typeArea"));
            return QStringLiteral("%1 %2").arg(area->isVisibleTo(w)).arg(marker->isVisibleTo(w));
        };
        env.prompter.onPrompt = [&](const PromptRecord &p) {
            for (QWidget *t : QApplication::topLevelWidgets())
                if (auto *main = qobject_cast<MainWindow *>(t); main && p.text == message)
                    seenWithMessage = typeShown(main);
        };
        env.prompter.dialogs.push_back([&](QDialog &d) {
            dialogShown = qobject_cast<DeviceDialog *>(&d) != nullptr;
            d.findChild<QAbstractButton *>(QStringLiteral("cancelButton"))->click();
            return d.result();
        });
        std::unique_ptr<MainWindow> w(startUp(env.s, 0));
        QVERIFY(dialogShown);
        QCOMPARE(env.prompter.texts().value(0), message);
        QVERIFY(env.prompter.unexpected.isEmpty());
        QVERIFY(w->isVisible());
        const QString expected = QStringLiteral("%1 %2").arg(selector).arg(oldMarker);
        QCOMPARE(seenWithMessage, expected);
        QCOMPARE(typeShown(w.get()), expected);
        QCOMPARE(labelText(w.get(), "statusPanel2") + labelText(w.get(), "statusPanel3") +
                     labelText(w.get(), "deviceLabel"),
                 QString());
        for (int row = 1; row <= 15; ++row)
            QVERIFY(env.s.positions.text(row, PositionTable::ColMm).isEmpty());
    }

    // Restore falls back to the stored lead and pulses; the catalogue load and
    // the model name then report the missing file.
    void missingListIsReportedAndSurvived() {
        TestEnv env;
        env.useOwnFolder();
        QFile::remove(env.dir.filePath(QStringLiteral("wtzdevice.lst")));
        env.settings.write(QStringLiteral("Languege"), QStringLiteral("2"));
        env.prompter.dialogs.push_back([](QDialog &) { return int(QDialog::Rejected); });
        std::unique_ptr<MainWindow> w(startUp(env.s, 0));
        QVERIFY(env.prompter.texts().contains(QStringLiteral("No device list file.")));
        QVERIFY(w->isVisible());
    }
};

TZC3_TEST(StartupTest)
#include "test_startup.moc"
