#include "positions_rig.h"
#include "test_registry.h"
#include "test_support.h"

#include <QtTest>

using namespace positions;

class TableRulesTest : public QObject {
    Q_OBJECT
private slots:
    void commitOneCell_data();
    void commitOneCell();
    void commitSelections();
    void validationMessages_data();
    void validationMessages();
};

void TableRulesTest::commitOneCell_data() {
    QTest::addColumn<int>("col");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("cell"); // afterwards, "pulses|mm" for the position columns

    // lead 2, ppr 400, stroke 100: 0.005 mm a pulse, at most 20000 pulses.
    QTest::newRow("VEL 7 refused") << 1 << QString("7") << QString();
    QTest::newRow("VEL 3 stored") << 1 << QString("3") << QString("3");
    QTest::newRow("OUT 4 refused") << 3 << QString("4") << QString();
    QTest::newRow("pulses 12.5 refused") << 4 << QString("12.5") << QString();
    QTest::newRow("pulses 0") << 4 << QString("0") << QString("      0|  0.000");
    QTest::newRow("pulses over max") << 4 << QString("20001") << QString();
    QTest::newRow("mm snapped") << 5 << QString("1.23456") << QString("    247|  1.235");
    // Cut to 1.232 (246.4 pulses, so 246); rounding to 1.233 would give 247.
    QTest::newRow("mm cut, not rounded") << 5 << QString("1.23256") << QString("    246|  1.230");
    QTest::newRow("mm at max") << 5 << QString("100") << QString("  20000|100.000");
    QTest::newRow("mm over max") << 5 << QString("100.001") << QString();
    QTest::newRow("comment") << 6 << QString("  say \"hi\" ") << QString("say 'hi'");
}

void TableRulesTest::commitOneCell() {
    QFETCH(int, col);
    QFETCH(QString, typed);
    QFETCH(QString, cell);
    TestEnv e;
    useDevice(e.s, " 28", "L", 100);
    setRow(e.s, 4, 1, 1, 1, 400, QStringLiteral("old"));

    const CommitResult r = commitCell(e.s, 4, col, typed, {4, col, 4, col});
    const PositionTable &t = e.s.positions;
    QString actual = t.text(4, col);
    if (col == 4 || col == 5) {
        actual = t.text(4, 4) + u'|' + t.text(4, 5);
        if (actual == QLatin1String("|")) actual.clear();
    }
    QCOMPARE(actual, cell);
    QCOMPARE(r.accepted, !cell.isEmpty());
    QCOMPARE(e.prompter.beeps(), cell.isEmpty() ? 1 : 0);
    QCOMPARE(t.tag, QStringLiteral("DataChange"));
}

void TableRulesTest::commitSelections() {
    TestEnv e;
    useDevice(e.s, " 28", "L", 100);
    fillValidTable(e.s);
    auto cells = [&](int col, int from, int to) {
        QStringList out;
        for (int row = from; row <= to; ++row)
            out << e.s.positions.text(row, col);
        return out.join(u' ');
    };
    auto range = [](const CommitResult &r) {
        return QList<int>{r.selection.top, r.selection.left, r.selection.bottom, r.selection.right};
    };

    // Rows 2 to 5 of VEL: every selected row takes the value.
    commitCell(e.s, 2, 1, QStringLiteral("2"), {2, 1, 5, 1});
    QCOMPARE(cells(1, 1, 6), QStringLiteral("1 2 2 2 2 1"));
    QCOMPARE(e.prompter.beeps(), 0);
    // Over VEL and ACC: only VEL is written, the selection narrows, a beep.
    CommitResult r = commitCell(e.s, 2, 1, QStringLiteral("3"), {2, 1, 5, 2});
    QCOMPARE(cells(1, 2, 5) + u' ' + cells(2, 2, 5), QStringLiteral("3 3 3 3 1 1 1 1"));
    QCOMPARE(range(r), QList<int>({2, 1, 5, 1}));
    QCOMPARE(e.prompter.beeps(), 1);
    // Refused over several columns: only the current cell empties.
    r = commitCell(e.s, 3, 1, QStringLiteral("9"), {2, 1, 5, 2});
    QCOMPARE(cells(1, 2, 4), QStringLiteral("3  3"));
    QCOMPARE(range(r), QList<int>({3, 1, 3, 1}));
    QCOMPARE(e.prompter.beeps(), 2);
    // A position over several rows writes the pulses and the mm of each.
    commitCell(e.s, 7, 5, QStringLiteral("2"), {7, 5, 8, 5});
    QCOMPARE(cells(4, 7, 8) + cells(5, 7, 8), QStringLiteral("    400     400  2.000   2.000"));
    // ACC 3 is refused on the 42 mm high-speed model only.
    e.s.device.size = QStringLiteral(" 42");
    e.s.device.speed = QStringLiteral("D");
    QVERIFY(!commitCell(e.s, 1, 2, QStringLiteral("3"), {1, 2, 1, 2}).accepted);
    e.s.device.speed = QStringLiteral("L");
    QVERIFY(commitCell(e.s, 1, 2, QStringLiteral("3"), {1, 2, 1, 2}).accepted);
}

void TableRulesTest::validationMessages_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("filledRows"); // rows 1..n filled; with 15, row A holds VEL 7
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("icon");

    const int excl = int(PromptIcon::Exclamation);
    QString missing;
    for (int row = 4; row <= 15; ++row)
        missing += QStringLiteral("< 位置No.") + QString::number(row, 16).toUpper() + ">\r\n\r\n";
    QTest::newRow("empty") << 2 << 0
                           << QString("No data in the list.\r\n\r\nInput data and try it again.")
                           << excl;
    QTest::newRow("rows 4 to F missing, ja")
        << 1 << 3
        << "データがない箇所があります。\r\n\r\n以下の位置No.の値を確認して下さい。\r\n\r\n" +
               missing
        << excl;
    QTest::newRow("VEL out of range")
        << 2 << 15
        << QString("Wrong data in some Positions! Confirm the position data indicated below once "
                   "again.\r\n\r\n< Position No.A>\r\n\r\n")
        << int(PromptIcon::None);
    QTest::newRow("VEL out of range, ja")
        << 1 << 15
        << QString("データが正しくない箇所があります。以下の位置Noの値を確認して下さい。\r\n\r\n< "
                   "位置No.A>\r\n\r\n")
        << int(PromptIcon::None);
}

void TableRulesTest::validationMessages() {
    QFETCH(int, language);
    QFETCH(int, filledRows);
    QFETCH(QString, message);
    QFETCH(int, icon);
    TestEnv e(language);
    useDevice(e.s, " 28", "L", 100);
    for (int row = 1; row <= filledRows; ++row)
        setRow(e.s, row, 1, 1, 0, 100);
    if (filledRows == 15) {
        QVERIFY(validateTableForUse(e.s)); // silently
        e.s.positions.setText(10, 1, QStringLiteral("7"));
    }
    QCOMPARE(validateTableForUse(e.s), false);
    QCOMPARE(e.prompter.log.size(), 1);
    QCOMPARE(e.prompter.log[0].text, message);
    QCOMPARE(int(e.prompter.log[0].icon), icon);
}

TZC3_TEST(TableRulesTest)
#include "test_table_rules.moc"
