#include "positions_rig.h"
#include "test_registry.h"
#include "test_support.h"

#include <QtTest>

using namespace positions;

class TableRulesTest : public QObject {
    Q_OBJECT
private slots:
    // lead 2, ppr 400, stroke 100: 0.005 mm a pulse, at most 20000 pulses.
    void commitOneCell_data() {
        QTest::addColumn<int>("col");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("cell"); // afterwards, "pulses|mm" for the position columns
        QTest::newRow("VEL 7 refused") << 1 << QString("7") << "";
        QTest::newRow("OUT 4 refused") << 3 << QString("4") << "";
        QTest::newRow("pulses 12.5 refused") << 4 << QString("12.5") << "";
        QTest::newRow("pulses 0") << 4 << QString("0") << "      0|  0.000";
        QTest::newRow("pulses over max") << 4 << QString("20001") << "";
        QTest::newRow("mm snapped") << 5 << QString("1.23456") << "    247|  1.235";
        // Cut to 1.232 (246.4 pulses, so 246); rounding to 1.233 would give 247.
        QTest::newRow("mm cut, not rounded") << 5 << QString("1.23256") << "    246|  1.230";
        QTest::newRow("mm at max") << 5 << QString("100") << "  20000|100.000";
        QTest::newRow("mm over max") << 5 << QString("100.001") << "";
        QTest::newRow("comment") << 6 << QString("  say \"hi\" ") << "say 'hi'";
    }
    void commitOneCell() {
        QFETCH(int, col);
        QFETCH(QString, typed);
        QFETCH(QString, cell);
        TestEnv e;
        useDevice(e.s, " 28", "L", 100);
        setRow(e.s, 4, 1, 1, 1, 400, QString("old"));

        const CommitResult r = commitCell(e.s, 4, col, typed, {4, col, 4, col});
        const PositionTable &t = e.s.positions;
        const QString actual =
            col == 4 || col == 5 ? t.text(4, 4) + u'|' + t.text(4, 5) : t.text(4, col);
        QCOMPARE(actual == QLatin1String("|") ? QString() : actual, cell);
        QCOMPARE(r.accepted, !cell.isEmpty());
        QCOMPARE(e.prompter.beeps(), cell.isEmpty() ? 1 : 0);
        QCOMPARE(t.tag, QString("DataChange"));
    }

    void commitSelections() {
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
            const CellRange &c = r.selection;
            return QList<int>{c.top, c.left, c.bottom, c.right};
        };

        // Over VEL and ACC: only VEL is written, the selection narrows, a beep.
        CommitResult r = commitCell(e.s, 2, 1, QString("3"), {2, 1, 5, 2});
        QCOMPARE(cells(1, 1, 6) + u' ' + cells(2, 2, 5), QString("1 3 3 3 3 1 1 1 1 1"));
        QCOMPARE(range(r), QList<int>({2, 1, 5, 1}));
        QCOMPARE(e.prompter.beeps(), 1);
        // Refused over several columns: only the current cell empties.
        r = commitCell(e.s, 3, 1, QString("9"), {2, 1, 5, 2});
        QCOMPARE(cells(1, 2, 4), QString("3  3"));
        QCOMPARE(range(r), QList<int>({3, 1, 3, 1}));
        QCOMPARE(e.prompter.beeps(), 2);
        // A position over several rows writes the pulses and the mm of each.
        commitCell(e.s, 7, 5, QString("2"), {7, 5, 8, 5});
        QCOMPARE(cells(4, 7, 8) + cells(5, 7, 8), QString("    400     400  2.000   2.000"));
        // ACC 3 is refused on the 42 mm high-speed model only.
        e.s.device.size = QString(" 42");
        e.s.device.speed = QString("D");
        QVERIFY(!commitCell(e.s, 1, 2, QString("3"), {1, 2, 1, 2}).accepted);
        e.s.device.speed = QString("L");
        QVERIFY(commitCell(e.s, 1, 2, QString("3"), {1, 2, 1, 2}).accepted);
    }

    // Rows 1..n filled; with all 15, row A then takes VEL 7 (out of range, no icon).
    void validationMessages_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("filledRows");
        QTest::addColumn<QString>("message");
        QString missing;
        for (int row = 4; row <= 15; ++row)
            missing += "< 位置No." + QString::number(row, 16).toUpper() + ">\r\n\r\n";
        QTest::newRow("empty") << 2 << 0
                               << "No data in the list.\r\n\r\nInput data and try it again.";
        QTest::newRow("rows 4 to F missing, ja")
            << 1 << 3
            << "データがない箇所があります。\r\n\r\n以下の位置No.の値を確認して下さい。\r\n\r\n" +
                   missing;
        QTest::newRow("VEL out of range")
            << 2 << 15
            << "Wrong data in some Positions! Confirm the position data indicated below once "
               "again.\r\n\r\n< Position No.A>\r\n\r\n";
        QTest::newRow("VEL out of range, ja")
            << 1 << 15
            << "データが正しくない箇所があります。以下の位置Noの値を確認して下さい。\r\n\r\n< "
               "位置No.A>\r\n\r\n";
    }
    void validationMessages() {
        QFETCH(int, language);
        QFETCH(int, filledRows);
        TestEnv e(language);
        useDevice(e.s, " 28", "L", 100);
        for (int row = 1; row <= filledRows; ++row)
            setRow(e.s, row, 1, 1, 0, 100);
        if (filledRows == 15) {
            QVERIFY(validateTableForUse(e.s)); // silently
            e.s.positions.setText(10, 1, QString("7"));
        }
        QCOMPARE(validateTableForUse(e.s), false);
        QCOMPARE(e.prompter.log.size(), 1);
        QTEST(e.prompter.log[0].text, "message");
        QCOMPARE(e.prompter.log[0].icon,
                 filledRows == 15 ? PromptIcon::None : PromptIcon::Exclamation);
    }
};

TZC3_TEST(TableRulesTest)
#include "test_table_rules.moc"
