#include "device/catalogue.h"
#include "device/device_dialog.h"
#include "test_registry.h"
#include "test_support.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QtTest>

namespace {

// code: size and speed as in a device code, " 28L".
struct Env : TestEnv {
    Env(bool tz, bool newType, const QString &code, int stroke, bool verticalSpec = false) {
        DeviceRecord &d = s.device;
        d.tz = tz;
        d.newType = newType;
        d.size = code.left(3);
        d.speed = code.mid(3);
        d.stroke = qint16(stroke);
        d.verticalSpec = verticalSpec;
    }
    // "TZ new  28L100"
    QString candidate() const {
        const CandidateDevice &c = s.candidate;
        return c.familyText + (c.newType ? " new " : " old ") + c.size + c.speed +
               QString::number(c.stroke);
    }
};

template <class T = QAbstractButton> T *w(QWidget &d, const char *name) {
    T *x = d.findChild<T *>(QLatin1String(name));
    if (!x) qFatal("no widget %s", name);
    return x;
}
QComboBox *combo(QWidget &d, const char *name) {
    return w<QComboBox>(d, name);
}
bool on(QWidget &d, const char *name) {
    return w(d, name)->isChecked();
}
bool shown(QWidget &d, const char *name) {
    return w<QWidget>(d, name)->isVisibleTo(&d);
}
int count(QWidget &d, const char *name) {
    return combo(d, name)->count();
}

// What the user sees, "TZ Old  28|L|100|S": family, type (lower case while
// hidden, "?" when the options and the check box disagree), the three lists,
// homing P or S (lower case while hidden).
QString view(QWidget &d) {
    const bool old = on(d, "oldTypeBox");
    QString type = old != on(d, "oldTypeOption") ? "?" : old ? "Old" : "New";
    QString home = on(d, "sensorOption") ? "S" : "P";
    return QString(on(d, "tzOption") ? "TZ " : "RP ") +
           (shown(d, "typeFrame") ? type : type.toLower()) + u' ' +
           combo(d, "sizeList")->currentText() + u'|' + combo(d, "speedList")->currentText() +
           u'|' + combo(d, "strokeList")->currentText() + u'|' +
           (shown(d, "homingFrame") ? home : home.toLower());
}

void pick(QWidget &d, const char *name, const QString &text) {
    QComboBox *c = combo(d, name);
    const int i = c->findText(text);
    QVERIFY2(i >= 0, qPrintable(text));
    c->setCurrentIndex(i);
    emit c->activated(i);
}
void click(QWidget &d, const char *name) {
    d.show(); // clicks land where the laid-out window shows the button
    QTest::mouseClick(w(d, name), Qt::LeftButton);
}
void type(QWidget &d, const char *name, const QString &text) {
    QComboBox *c = combo(d, name);
    c->setFocus();
    c->lineEdit()->selectAll();
    QTest::keyClicks(c, text);
}

} // namespace

class DeviceDialogTest : public QObject {
    Q_OBJECT
private slots:
    // rpdevice: 28H code 0, 28L code 1; wtzdevice: 42D code 2; tzdevice: 28L code 1.
    void opening_data() {
        QTest::addColumn<bool>("tz");
        QTest::addColumn<bool>("newType");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("expected");
        QTest::newRow("RP fixed") << false << false << QString(" 28H") << "RP old  28|H|100|p";
        QTest::newRow("RP choice") << false << false << QString(" 28L") << "RP old  28|L|100|S";
        QTest::newRow("new TZ") << true << true << QString(" 42D") << "TZ New  42|D|100|s";
        QTest::newRow("old TZ") << true << false << QString(" 28L") << "TZ Old  28|L|100|S";
    }
    void opening() {
        QFETCH(bool, tz);
        QFETCH(bool, newType);
        QFETCH(QString, code);
        Env e(tz, newType, code, 100, true);
        DeviceDialog d(e.s);
        QTEST(view(d), "expected");
        QCOMPARE(e.candidate().left(6),
                 QString(tz ? "TZ" : "RP") + (tz && newType ? " new" : " old"));
        QVERIFY(!d.cancelReport());
        QVERIFY(e.prompter.log.isEmpty());
        if (tz && newType) { // a size whose entry leaves the choice open shows the frame
            pick(d, "sizeList", " 35");
            QCOMPARE(view(d), "TZ New  35|L|100|S");
        }
    }

    // Current values the new list lacks give way to its first item; sizes of
    // one speed show "L" even for a device without one.
    void refillingTheLists() {
        Env e(true, false, " 99Z", 999);
        DeviceDialog d(e.s);
        QCOMPARE(view(d), "TZ Old  28|L|50|P");
        pick(d, "sizeList", " 42");
        QCOMPARE(QList<int>({count(d, "sizeList"), count(d, "speedList"), count(d, "strokeList")}),
                 QList<int>({4, 3, 5}));

        Env n(true, true, " 28", 100);
        DeviceDialog nd(n.s);
        QCOMPARE(view(nd), "TZ New  28|||s");
        pick(nd, "sizeList", "E35");
        QCOMPARE(view(nd), "TZ New E35|L|100|s");
        QTest::keyClick(combo(nd, "sizeList"), Qt::Key_Up);
        QCOMPARE(view(nd), "TZ New  50|||s");
        pick(nd, "sizeList", " 20");
        QCOMPARE(view(nd), "TZ New  20|L|100|p");
    }

    // A typed text takes effect when the user leaves the list, even one that
    // matches no item (Qt itself only reacts to matching texts).
    void leavingAList() {
        Env e(true, true, " 28L", 100);
        DeviceDialog d(e.s);
        d.show();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        type(d, "sizeList", " 99");
        QCOMPARE(count(d, "speedList"), 2);
        QTest::keyClick(&d, Qt::Key_Tab);
        QCOMPARE(view(d), "TZ New  99|||p");
        pick(d, "sizeList", " 35");
        type(d, "speedList", "Q");
        combo(d, "strokeList")->setFocus(Qt::MouseFocusReason);
        QCOMPARE(view(d), "TZ New  35|Q||P");
        QVERIFY(e.prompter.log.isEmpty());
    }

    // Without the RP list the lists stay as they were; OK loads the candidate's list once more.
    void familyAndTypeReload() {
        Env e(true, true, " 28L", 100);
        DeviceDialog d(e.s);
        auto seen = [&] {
            return view(d).left(7) + e.candidate().left(6) + u' ' +
                   QString::number(e.s.catalogue.entries.size());
        };
        QCOMPARE(seen().right(2), "70");
        click(d, "oldTypeOption");
        QCOMPARE(seen(), "TZ Old TZ old 47");
        click(d, "rpOption");
        QCOMPARE(seen(), "RP old RP old 22");
        click(d, "tzOption"); // back to the type the check box kept
        QCOMPARE(seen(), "TZ Old TZ old 47");
        QVERIFY(e.prompter.log.isEmpty());

        e.s.programFolder = e.dir.path();
        QFile::copy(TZC3_BUILD_DIR "/tzdevice.lst", e.dir.filePath("tzdevice.lst"));
        click(d, "rpOption");
        QCOMPARE(e.prompter.texts().size(), 1); // worded as in the catalogue tests
        QVERIFY(e.s.catalogue.listMissing);
        QCOMPARE(view(d), "RP old  28|L|100|P");
        QCOMPARE(count(d, "sizeList"), 4);
        click(d, "okButton");
        QCOMPARE(e.prompter.texts().size(), 2);
    }

    void okThenApply() {
        Env e(true, true, " 28L", 100);
        QWidget main;
        main.move(200, 150);
        main.show();
        DeviceDialog d(e.s, &main);
        QCOMPARE(d.pos(), main.pos() + QPoint(33, 33)); // 500 twips
        click(d, "oldTypeOption");
        pick(d, "sizeList", " 42");
        pick(d, "speedList", "D");
        pick(d, "strokeList", "50");
        click(d, "sensorOption");
        click(d, "okButton");
        QVERIFY(!d.cancelReport());
        QCOMPARE(e.candidate(), "TZ old  42D50");
        QVERIFY(e.s.device.verticalSpec);
        QVERIFY(device::applyDeviceChange(e.s, d.cancelReport()));
        QCOMPARE(e.s.device.modelName, "TZ- 42D- 50V");
        QCOMPARE(e.settings.read("DevPPR", {}), "192");
        DeviceDialog again(e.s);
        QCOMPARE(view(again), "TZ Old  42|D|50|S");
    }

    // The family option leaves the type to the old-type check box, for RP too.
    void rpKeepsTheType_data() {
        QTest::addColumn<bool>("newType");
        QTest::addColumn<QString>("name");
        QTest::newRow("from new type") << true << "RP- 28L-100";
        QTest::newRow("from old type") << false << "RP- 28L-100V";
    }
    void rpKeepsTheType() {
        QFETCH(bool, newType);
        Env e(true, newType, " 28L", 100);
        DeviceDialog d(e.s);
        click(d, "rpOption");
        click(d, "sensorOption"); // code 1: the choice is open
        click(d, "okButton");
        QCOMPARE(e.candidate(), QString("RP ") + (newType ? "new" : "old") + "  28L100");
        QVERIFY(device::applyDeviceChange(e.s, d.cancelReport()));
        QTEST(e.s.device.modelName, "name");
        QCOMPARE(e.settings.read("NewType", {}), newType ? "1" : "0");
        QCOMPARE(e.settings.read("Device", {}), "");
    }

    // Escape reaches the same reject() as the button.
    void cancelKeepsTheDevice() {
        Env e(true, true, " 28L", 100);
        e.s.candidate = {"TZ", true, " 35", "H", 50};
        device::loadCatalogue(e.s, false);
        DeviceDialog d(e.s);
        click(d, "rpOption");
        pick(d, "sizeList", " 35");
        click(d, "sensorOption");
        click(d, "cancelButton");
        QVERIFY(d.cancelReport());
        QCOMPARE(e.candidate(), "TZ new  35H50");
        QVERIFY(!e.s.device.verticalSpec);
        QCOMPARE(e.s.catalogue.entries.size(), 70);
        QVERIFY(!device::applyDeviceChange(e.s, d.cancelReport()));
        QCOMPARE(e.s.device.size + e.s.device.speed, " 28L");
        QVERIFY(e.prompter.log.isEmpty());
    }
};

TZC3_TEST(DeviceDialogTest)
#include "test_device_dialog.moc"
