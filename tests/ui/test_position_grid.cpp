// The position grid driven by real key events, and the window's file commands.

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

// The active window at 0.005 mm a pulse; cells in table numbers (x row, y column).
struct Window : TestEnv {
    MainWindow w{s};
    PositionGrid *g = w.positionGrid();
    QLineEdit *ed = g->editor();
    Window() {
        useDevice(s, " 28", "L", 100);
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
    QWidget *focus() const { return QApplication::focusWidget(); }
    template <class T = QWidget> T *find(const char *name) const {
        return w.findChild<T *>(QLatin1String(name));
    }
    QByteArray fileBytes(const char *name) const {
        QFile f(dir.filePath(QLatin1String(name)));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

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
        QTest::addColumn<QPoint>("to");
        const auto row = [](const char *name, QPoint from, const char *keys, int finish,
                            const char *cell, const char *pulse, QPoint to) {
            QTest::newRow(name) << from << QString(keys) << finish << QString(cell)
                                << QString(pulse) << to;
        };
        const int enter = Qt::Key_Return;
        row("VEL 7 refused", {1, 1}, "7", enter, "", "", {1, 2});
        row("pulses skip mm", {1, 4}, "100", enter, "    100", "    100", {1, 6});
        row("mm snapped", {1, 5}, "1.23456", enter, "  1.235", "    247", {1, 6});
        row("row 15 comment wraps", {15, 6}, "pick ", enter, "pick", "", {1, 1});
        row("Up from row 1", {1, 2}, "2", Qt::Key_Up, "2", "", {15, 2});
        row("Down from row 15", {15, 3}, "1", Qt::Key_Down, "1", "", {1, 3});
        row("Right from comment", {4, 6}, "c", Qt::Key_Right, "c", "", {4, 1});
    }
    void typedEntryCommitsAndMoves() {
        QFETCH(QPoint, from);
        QFETCH(QString, keys);
        QFETCH(int, finish);
        QFETCH(QString, cell);
        Window w;
        w.go(from.x(), from.y());
        type(keys);
        QVERIFY(w.focus() == w.ed && w.ed->text() == keys);
        press(Qt::Key(finish));
        QCOMPARE(w.cell(from.x(), from.y()), cell);
        QTEST(w.cell(from.x(), PositionTable::ColPulse), "pulse");
        // A refused entry beeps, and nothing else speaks.
        QCOMPARE(w.prompter.beeps(), cell.isEmpty() ? 1 : 0);
        QCOMPARE(w.prompter.log.size(), w.prompter.beeps());
        QTEST(w.at(), "to");
        QVERIFY(!w.ed->isVisible() && w.focus() == w.g);
        QCOMPARE(w.s.positions.tag, PositionTable::ChangedTag);
    }

    void editStartsAndCancels() {
        Window w;
        w.s.positions.setText(2, PositionTable::ColVel, QStringLiteral("2"));
        w.s.positions.setText(2, PositionTable::ColComment, QStringLiteral("pick"));
        w.w.refreshGrids();
        w.go(2, 1);
        type(QStringLiteral("3"));
        press(Qt::Key_Escape);
        QCOMPARE(w.cell(2, 1), "2");
        QVERIFY(w.s.positions.tag.isEmpty() && !w.ed->isVisible() && w.focus() == w.g);
        // Space opens the cell's text with the caret at the end; Left edits.
        w.go(2, 6);
        press(Qt::Key_Space);
        type(QStringLiteral("s"));
        press(Qt::Key_Left);
        type(QStringLiteral("x"));
        press(Qt::Key_Return);
        QCOMPARE(w.cell(2, 6), "pickxs");
        QTest::mouseDClick(w.g->viewport(), Qt::LeftButton, {}, w.rect(2, 1).center());
        QVERIFY(w.ed->text() == QLatin1String("2") && w.ed->geometry() == w.rect(2, 1));
        press(Qt::Key_Escape);
        // Enter on the grid only moves, through the mm column.
        w.go(2, 4);
        press(Qt::Key_Return);
        QCOMPARE(w.at(), QPoint(2, 5));
        w.go(15, 6);
        press(Qt::Key_Return);
        QCOMPARE(w.at(), QPoint(1, 1));
        // A comment from a file longer than 20 opens whole; typing never lengthens it.
        const QString longer = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXY");
        w.s.positions.setText(3, PositionTable::ColComment, longer);
        w.w.refreshGrids();
        w.go(3, 6);
        press(Qt::Key_Space);
        type(QStringLiteral("z"));
        QCOMPARE(w.ed->text(), longer);
        press(Qt::Key_Backspace);
        type(QStringLiteral("z"));
        press(Qt::Key_Return);
        QCOMPARE(w.cell(3, 6), longer.chopped(1));
        QVERIFY(w.prompter.log.isEmpty());
    }

    // Over VEL and ACC (selected with Shift) only VEL is written, with a beep.
    void selectionsTakeTheValue() {
        Window w;
        w.go(10, 2);
        press(Qt::Key_Left, Qt::ShiftModifier);
        press(Qt::Key_Down, Qt::ShiftModifier);
        type(QStringLiteral("3"));
        w.g->setFocus();
        QCOMPARE(w.cell(10, 1) + w.cell(11, 1) + u'|' + w.cell(10, 2) + w.cell(11, 2), "33|");
        QCOMPARE(w.prompter.beeps(), 1);
        const auto sel = w.g->selectedRanges();
        QCOMPARE(sel.size(), 1);
        QCOMPARE(QRect(QPoint(sel[0].leftColumn(), sel[0].topRow()),
                       QPoint(sel[0].rightColumn(), sel[0].bottomRow())),
                 QRect(0, 9, 1, 2));
    }

    // The toolbar's Save rewrites the file without a dialog; File Save asks.
    void openEditSaveNew() {
        Window w;
        QString text = QStringLiteral("\"TZ- 28L-100 \",\"OLD\"\r\n");
        for (int row = 1; row <= 15; ++row)
            text += QStringLiteral("\"1\",\"2\",\"0\",\"%1\",\"c%2\"\r\n").arg(row * 100).arg(row);
        w.writeFile(QStringLiteral("pos.tpd"),
                    (text + "\"1\",\"2\"" + QString(",\"\"").repeated(13) + "\r\n").toLatin1());
        w.prompter.files = {w.dir.filePath(QStringLiteral("pos.tpd"))};
        QTest::mouseClick(w.find<QPushButton>("openButton"), Qt::LeftButton);
        QCOMPARE(QStringList({w.cell(1, 4), w.cell(1, 5), w.cell(2, 6), w.w.programCell(2)}),
                 QStringList({"    100", "  0.500", "c2", "2"}));
        QCOMPARE(w.find<QLabel>("fileNameLabel")->text(), "pos");
        QCOMPARE(w.find<QLabel>("deviceLabel")->text(), "TZ- 28L-100_");
        QTest::mouseClick(w.g->viewport(), Qt::LeftButton, {}, w.rect(2, 6).center());
        type(QStringLiteral("moved"));
        press(Qt::Key_Return);
        w.find<QAction>("Save")->trigger();
        QCOMPARE(w.prompter.log.size(), 1); // the Open dialog only
        QVERIFY(w.fileBytes("pos.tpd").contains("\"moved\""));
        w.prompter.files = {w.dir.filePath(QStringLiteral("other.tpd"))};
        QTest::mouseClick(w.find<QPushButton>("saveButton"), Qt::LeftButton);
        QCOMPARE(w.fileBytes("other.tpd"), w.fileBytes("pos.tpd"));
        QVERIFY(w.prompter.texts().isEmpty() && w.prompter.unexpected.isEmpty());
        QVERIFY(w.find("openButton")->isEnabled() && w.find<QAction>("Save")->isEnabled());
    }

    // An edit left open counts when closing saves.
    void closeSavesFirst() {
        Window w;
        fillValidTable(w.s);
        w.w.refreshGrids();
        w.go(1, 6);
        type(QStringLiteral("note"));
        w.prompter.answers = {PromptAnswer::Yes};
        w.prompter.files = {w.dir.filePath(QStringLiteral("closing.tpd"))};
        QVERIFY(w.w.close());
        QCOMPARE(w.prompter.log.size(), 2); // the question, the file dialog
        QVERIFY(w.fileBytes("closing.tpd").contains("\"note\""));
    }
};

TZC3_TEST(PositionGridTest)
#include "test_position_grid.moc"
