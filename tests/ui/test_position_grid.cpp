// The position grid's editor driven by real key events, and the main window's
// position commands end to end (files, close sequence, simulated controller).

#include "../link/link_rig.h"
#include "../positions/positions_rig.h"
#include "positions/position_grid.h"
#include "test_registry.h"
#include "test_support.h"
#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

// Keys go where the user's keys go: to the widget holding the focus.
void type(const QString &keys) {
    for (QChar c : keys)
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
}
void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}

// The main window, shown and active; cells in table numbers (x = row, y = column).
struct Window {
    explicit Window(AppState &s) : w(s), g(w.positionGrid()) {
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        g->setFocus();
    }
    void go(int row, int col) { g->setCurrentCell(row - 1, col - 1); }
    QString cell(int row, int col) const { return g->item(row - 1, col - 1)->text(); }
    QPoint at() const { return {g->currentRow() + 1, g->currentColumn() + 1}; }
    QRect rect(int row, int col) const {
        return g->visualRect(g->model()->index(row - 1, col - 1));
    }
    template <class T = QWidget> T *find(const char *name) const {
        return w.findChild<T *>(QLatin1String(name));
    }
    bool commandsEnabled() const {
        return find("cmdFileOpen")->isEnabled() && find<QAction>("Save")->isEnabled() &&
               find<QAction>("mnuFileSave")->isEnabled();
    }
    frmMain w;
    PositionGrid *g;
};

struct GridRig : TestEnv {
    GridRig() { useDevice(s, " 28", "L", 100); } // 0.005 mm a pulse, 20000 pulses
    Window win{s};
};

QByteArray fileBytes(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class PositionGridTest : public QObject {
    Q_OBJECT
private slots:
    void typedEntryCommitsAndMoves_data() {
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("finish");
        QTest::addColumn<QString>("cell");  // the edited cell afterwards
        QTest::addColumn<QString>("pulse"); // the row's pulse cell afterwards
        QTest::addColumn<int>("beeps");
        QTest::addColumn<QPoint>("to");
        const auto row = [](const char *name, QPoint from, const char *keys, int finish,
                            const char *cell, const char *pulse, int beeps, QPoint to) {
            QTest::newRow(name) << from << QString(keys) << finish << QString(cell)
                                << QString(pulse) << beeps << to;
        };
        const int enter = Qt::Key_Return;
        row("VEL 7 refused", {1, 1}, "7", enter, "", "", 1, {1, 2});
        row("VEL 3 stored", {1, 1}, "3", enter, "3", "", 0, {1, 2});
        row("pulses skip mm", {1, 4}, "100", enter, "    100", "    100", 0, {1, 6});
        row("mm snapped", {1, 5}, "1.23456", enter, "  1.235", "    247", 0, {1, 6});
        row("row 15 comment wraps", {15, 6}, "pick ", enter, "pick", "", 0, {1, 1});
        row("Up from row 1", {1, 2}, "2", Qt::Key_Up, "2", "", 0, {15, 2});
        row("Down from row 15", {15, 3}, "1", Qt::Key_Down, "1", "", 0, {1, 3});
        row("Right from comment", {4, 6}, "c", Qt::Key_Right, "c", "", 0, {4, 1});
    }
    void typedEntryCommitsAndMoves() {
        QFETCH(QPoint, from);
        QFETCH(QString, keys);
        QFETCH(int, finish);
        GridRig r;
        Window &w = r.win;
        w.go(from.x(), from.y());
        type(keys);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w.g->editor()));
        QCOMPARE(w.g->editor()->text(), keys);
        press(Qt::Key(finish));
        QTEST(w.cell(from.x(), from.y()), "cell");
        QTEST(w.cell(from.x(), PositionTable::ColPulse), "pulse");
        QTEST(int(r.prompter.log.size()), "beeps"); // the logic's beep, and only that
        QCOMPARE(r.prompter.beeps(), int(r.prompter.log.size()));
        QTEST(w.at(), "to");
        QVERIFY(!w.g->editor()->isVisible());
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w.g));
        QCOMPARE(r.s.positions.tag, PositionTable::ChangedTag);
    }

    void editStartsAndCancels() {
        GridRig r;
        Window &w = r.win;
        r.s.positions.setText(2, PositionTable::ColVel, QStringLiteral("2"));
        r.s.positions.setText(2, PositionTable::ColComment, QStringLiteral("pick"));
        w.w.refreshGrids();
        QLineEdit *ed = w.g->editor();

        w.go(2, 1);
        type(QStringLiteral("3"));
        press(Qt::Key_Escape);
        QCOMPARE(w.cell(2, 1), QStringLiteral("2"));
        QVERIFY(r.s.positions.tag.isEmpty() && !ed->isVisible());
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w.g));

        // Space opens the cell's text with the caret at the end; Left edits.
        w.go(2, 6);
        press(Qt::Key_Space);
        type(QStringLiteral("s"));
        press(Qt::Key_Left);
        type(QStringLiteral("x"));
        press(Qt::Key_Return);
        QCOMPARE(w.cell(2, 6), QStringLiteral("pickxs"));
        QTest::mouseDClick(w.g->viewport(), Qt::LeftButton, {}, w.rect(2, 1).center());
        QCOMPARE(ed->text(), QStringLiteral("2"));
        QCOMPARE(ed->geometry(), w.rect(2, 1));
        press(Qt::Key_Escape);

        // Enter on the grid only moves, through the mm column.
        w.go(2, 4);
        press(Qt::Key_Return);
        QCOMPARE(w.at(), QPoint(2, 5));
        w.go(15, 6);
        press(Qt::Key_Return);
        QCOMPARE(w.at(), QPoint(1, 1));

        const int maxLength[] = {2, 2, 2, 7, 8, 20};
        for (int col = 1; col <= 6; ++col) {
            w.go(5, col);
            type(QStringLiteral("123456789012345678901234"));
            QCOMPARE(ed->text().size(), maxLength[col - 1]);
            QCOMPARE(ed->testAttribute(Qt::WA_InputMethodEnabled), col == 6);
            press(Qt::Key_Escape);
        }
        QVERIFY(r.prompter.log.isEmpty());
    }

    // Shift+arrows select the way a user does.
    void selectionsTakeTheValue() {
        GridRig r;
        Window &w = r.win;
        w.go(2, 1);
        for (int i = 0; i < 3; ++i)
            press(Qt::Key_Down, Qt::ShiftModifier);
        type(QStringLiteral("2"));
        press(Qt::Key_Return);
        for (int row = 1; row <= 6; ++row)
            QCOMPARE(w.cell(row, 1), row >= 2 && row <= 5 ? QStringLiteral("2") : QString());
        QCOMPARE(r.prompter.beeps(), 0);

        // Over VEL and ACC only VEL is written, with a beep, and the selection
        // narrows to VEL. The grid taking the focus back commits.
        w.go(10, 2);
        press(Qt::Key_Left, Qt::ShiftModifier);
        press(Qt::Key_Down, Qt::ShiftModifier);
        type(QStringLiteral("3"));
        w.g->setFocus();
        QCOMPARE(QStringList({w.cell(10, 1), w.cell(11, 1), w.cell(10, 2), w.cell(11, 2)}),
                 QStringList({"3", "3", "", ""}));
        QCOMPARE(r.prompter.beeps(), 1);
        const QList<QTableWidgetSelectionRange> sel = w.g->selectedRanges();
        QCOMPARE(sel.size(), 1);
        QCOMPARE(QList<int>({sel[0].topRow(), sel[0].bottomRow(), sel[0].leftColumn(),
                             sel[0].rightColumn()}),
                 QList<int>({9, 10, 0, 0}));
    }
};

class MainWindowPositionsTest : public QObject {
    Q_OBJECT
private slots:
    void openEditSaveNew() {
        TestEnv e;
        Window w(e.s);
        QString text = QStringLiteral("\"TZ- 28L-100 \",\"OLD\"\r\n");
        for (int row = 1; row <= 15; ++row)
            text += QStringLiteral("\"1\",\"2\",\"0\",\"%1\",\"c%2\"\r\n").arg(row * 100).arg(row);
        text += QStringLiteral("\"1\",\"2\"") + QStringLiteral(",\"\"").repeated(13) + "\r\n";
        e.writeFile(QStringLiteral("pos.tpd"), text.toLatin1());
        const QString path = e.dir.filePath(QStringLiteral("pos.tpd"));

        e.prompter.files = {path};
        QTest::mouseClick(w.find<QPushButton>("cmdFileOpen"), Qt::LeftButton);
        QCOMPARE(QStringList({w.cell(1, 4), w.cell(1, 5), w.cell(2, 6), w.w.programCell(2)}),
                 QStringList({"    100", "  0.500", "c2", "2"}));
        QCOMPARE(w.find<QLabel>("lblFileName")->text(), QStringLiteral("pos"));
        QCOMPARE(w.find<QLabel>("lblDeviceType")->text(), QStringLiteral("TZ- 28L-100_"));
        QVERIFY(w.commandsEnabled());

        // An edit, then the toolbar's Save rewrites the file without a dialog.
        QTest::mouseClick(w.g->viewport(), Qt::LeftButton, {}, w.rect(2, 6).center());
        type(QStringLiteral("moved"));
        press(Qt::Key_Return);
        const int prompts = e.prompter.log.size();
        w.find<QAction>("Save")->trigger();
        QCOMPARE(e.prompter.log.size(), prompts);
        QVERIFY(fileBytes(path).contains("\"moved\""));

        // The File Save button always asks for a name.
        const QString other = e.dir.filePath(QStringLiteral("other.tpd"));
        e.prompter.files = {other};
        QTest::mouseClick(w.find<QPushButton>("cmdSaveFile"), Qt::LeftButton);
        QCOMPARE(e.prompter.log.last().file.title, QStringLiteral("Save TZ data as ..."));
        QCOMPARE(fileBytes(other), fileBytes(path));

        w.find<QAction>("New")->trigger();
        QCOMPARE(QStringList({w.cell(1, 4), w.cell(2, 6), w.w.programCell(2)}),
                 QStringList({"", "", ""}));
        QCOMPARE(w.find<QLabel>("lblFileName")->text(), QStringLiteral("New "));
        QVERIFY(w.commandsEnabled());
        QCOMPARE(e.prompter.texts(), QStringList());
        QVERIFY(e.prompter.unexpected.isEmpty());
    }

    // An edit left open counts: closing asks to save, Save As writes it, the
    // window goes.
    void closeSavesFirst() {
        TestEnv e;
        useDevice(e.s, " 28", "L", 100);
        fillValidTable(e.s);
        Window w(e.s);
        w.w.refreshGrids();
        w.go(1, 6);
        type(QStringLiteral("note"));
        const QString path = e.dir.filePath(QStringLiteral("closing.tpd"));
        e.prompter.answers = {PromptAnswer::Yes};
        e.prompter.files = {path};
        QVERIFY(w.w.close());
        QCOMPARE(e.prompter.texts(), QStringList{"Data have been changed.Save in file?"});
        QVERIFY(fileBytes(path).contains("\"note\""));
        QVERIFY(w.commandsEnabled());
    }

    void writeReadAndVerifyWithTheController() {
        LinkRig rig;
        useDevice(rig.s, " 28", "L", 100);
        fillValidTable(rig.s);
        Window w(rig.s);
        w.w.refreshGrids();

        rig.prompter.answers = {PromptAnswer::Ok};
        QTest::mouseClick(w.find<QPushButton>("cmdLoadtoCt"), Qt::LeftButton);
        QCOMPARE(rig.prompter.texts().last(), QStringLiteral("Completed data transmit."));
        for (int n = 1; n <= 15; ++n)
            QCOMPARE(rig.sim.model().position(n), (SimPosition{1, 1, 0, 2, n * 100}));
        QVERIFY(!w.find("frmProgress")->isVisible());

        w.find<QAction>("New")->trigger();
        rig.prompter.answers = {PromptAnswer::Yes};
        w.find<QAction>("Read")->trigger();
        QCOMPARE(rig.prompter.texts().last(), QStringLiteral("Read the data from controller?"));
        QCOMPARE(QStringList({w.cell(3, 1), w.cell(3, 4), w.cell(3, 5)}),
                 QStringList({"1", "    300", "  1.500"}));
        QCOMPARE(w.find<QLabel>("lblFileName")->text(), QStringLiteral("Inside of C/T"));

        w.find<QAction>("mnuFileShogoCt")->trigger();
        QCOMPARE(rig.prompter.texts().last(),
                 QStringLiteral("Data : indicated and inside of controller\r\n\r\n"
                                "Result of Verification : OK"));
        QVERIFY(w.commandsEnabled());
        QVERIFY(!rig.s.controllerBusy);
        QVERIFY(rig.prompter.unexpected.isEmpty());
    }
};

TZC3_TEST(PositionGridTest)
TZC3_TEST(MainWindowPositionsTest)
#include "test_position_grid.moc"
