// What every window of the program shares: Enter presses the focused push
// button, and an "&" in a caption shows unless it marks the mnemonic key.

#include "device/catalogue.h"
#include "device/device_dialog.h"
#include "device/stroke_calculator.h"
#include "operation/io_monitor.h"
#include "operation/output_change.h"
#include "parameters/parameter_editor.h"
#include "positions/progress_window.h"
#include "test_registry.h"
#include "test_support.h"
#include "ui/about_box.h"
#include "ui/main_window.h"
#include "ui/options_dialog.h"
#include "ui/print_dialog.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QtTest>
#include <memory>
#include <vector>

namespace {

// Every window, each built beside the main window as the program builds it.
struct Windows {
    TestEnv env;
    PrintChoice choice;
    std::unique_ptr<MainWindow> main;
    std::vector<std::unique_ptr<QWidget>> others;

    explicit Windows(int language) : env(language) {
        AppState &s = env.s;
        device::restoreDevice(s);
        device::loadCatalogue(s, false);
        main = std::make_unique<MainWindow>(s);
        QWidget *m = main.get();
        others.emplace_back(new DeviceDialog(s, m));
        others.emplace_back(new StrokeCalculator(s, m, [](const QString &) {}));
        others.emplace_back(new ParameterEditor(s, m));
        others.emplace_back(new OptionsDialog(s, m));
        others.emplace_back(new PrintSelectionDialog(s, choice, m));
        others.emplace_back(new IoMonitor(s, m));
        others.emplace_back(new OutputChangeDialog(s, CommandBracket{}, m));
        others.emplace_back(new AboutBox(s, m));
        others.emplace_back(new ProgressWindow(s, m));
    }
    QList<QWidget *> all() const {
        QList<QWidget *> out{main.get()};
        for (const auto &w : others)
            out << w.get();
        return out;
    }
};

template <class T> QList<T *> own(QWidget *window) {
    QList<T *> out;
    for (T *c : window->findChildren<T *>())
        if (c->window() == window) out << c;
    return out;
}

// The captions of the widgets that read "&" as a mnemonic marker.
QStringList mnemonicCaptions(QWidget *window) {
    QStringList out;
    for (auto *b : own<QAbstractButton>(window))
        out << b->text();
    for (auto *g : own<QGroupBox>(window))
        out << g->title();
    for (auto *t : own<QTabWidget>(window))
        for (int i = 0; i < t->count(); ++i)
            out << t->tabText(i);
    for (auto *l : own<QLabel>(window))
        if (l->buddy()) out << l->text();
    // Menu items, and the toolbar's buttons as its overflow menu lists them.
    for (auto *a : window->findChildren<QAction *>())
        out << a->text();
    return out;
}

// Whether Qt would swallow an "&" of the caption without making it a key.
bool hidesAnAmpersand(const QString &caption) {
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] != u'&') continue;
        const QChar next = i + 1 < caption.size() ? caption[i + 1] : QChar();
        if (next == u'&') {
            ++i;
            continue;
        }
        if (!next.isLetterOrNumber() || next.unicode() > 0x7f) return true;
    }
    return false;
}

} // namespace

class EveryWindowTest : public QObject {
    Q_OBJECT
private slots:
    // Whether or not the window is a dialog, whatever its default button.
    void enterPressesTheFocusedButton() {
        Windows ws(2);
        QStringList silent;
        int buttons = 0;
        for (QWidget *window : ws.all()) {
            window->show();
            for (QPushButton *b : own<QPushButton>(window)) {
                // When each button is usable is for its own window's tests.
                for (QWidget *w = b; w; w = w->parentWidget())
                    w->setEnabled(true);
                QObject::disconnect(b, &QAbstractButton::clicked, nullptr, nullptr);
                QSignalSpy pressed(b, &QAbstractButton::clicked);
                b->setFocus();
                QTest::keyClick(b, Qt::Key_Return);
                QTest::keyClick(b, Qt::Key_Enter, Qt::KeypadModifier);
                if (pressed.count() != 2)
                    silent << QStringLiteral("%1.%2 %3")
                                  .arg(QLatin1String(window->metaObject()->className()),
                                       b->objectName())
                                  .arg(pressed.count());
                ++buttons;
            }
            window->hide();
        }
        QVERIFY2(silent.isEmpty(), qPrintable(silent.join(u", ")));
        QCOMPARE(buttons, 39);
    }

    void ampersandsShow_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("newData");
        QTest::newRow("japanese") << 1 << "全消去＆新規作成(&N)";
        QTest::newRow("english") << 2 << "Clear All && New Data(&N)";
    }
    void ampersandsShow() {
        QFETCH(int, language);
        Windows ws(language);
        QStringList hidden;
        for (QWidget *window : ws.all())
            for (const QString &c : mnemonicCaptions(window))
                if (hidesAnAmpersand(c)) hidden << c;
        QCOMPARE(hidden, QStringList());
        const QString newData = ws.main->findChild<QAction *>("newAction")->text();
        QTEST(newData, "newData");
        QCOMPARE(QKeySequence::mnemonic(newData), QKeySequence(Qt::ALT | Qt::Key_N));
    }
};

TZC3_TEST(EveryWindowTest)
#include "test_every_window.moc"
