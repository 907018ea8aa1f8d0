#include "common/fieldfile.h"
#include "common/textfile.h"
#include "test_registry.h"

#include <QtTest>

namespace {
QStringList readAll(const QString &text) {
    FieldReader r(text);
    QStringList out;
    while (auto f = r.next())
        out << *f;
    return out;
}
} // namespace

class FieldFileTest : public QObject {
    Q_OBJECT
private slots:
    void fieldsIgnoreLineStructure_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("one line") << "3,\" 28L-100\",2\r\n" << QStringList{"3", " 28L-100", "2"};
        QTest::newRow("split over lines") << "3\r\n\" 28L\"\r\n2" << QStringList{"3", " 28L", "2"};
        QTest::newRow("quoted comma, blanks")
            << "\"a, b \",\"  \",x" << QStringList{"a, b ", "  ", "x"};
        QTest::newRow("unquoted trimmed") << "  12 ,  34\t\n" << QStringList{"12", "34"};
        QTest::newRow("empty between commas") << "\"1\",,\"3\"" << QStringList{"1", "", "3"};
        QTest::newRow("empty at line and data end")
            << "1, \r\n2,\n3," << QStringList{"1", "", "2", "", "3", ""};
        QTest::newRow("LF only, blank lines") << "1\n\n2\n" << QStringList{"1", "2"};
        QTest::newRow("after closing quote") << "\"ab\"cd,e" << QStringList{"ab", "e"};
        QTest::newRow("unterminated quote") << "\"abc\r\n5" << QStringList{"abc", "5"};
    }
    void fieldsIgnoreLineStructure() {
        QFETCH(QString, text);
        QFETCH(QStringList, fields);
        QCOMPARE(readAll(text), fields);
    }

    void numbersMustConvert() {
        FieldReader r(QStringLiteral("\"12\",\" 7 \",\"x\",70000,\"\",2.5"));
        QCOMPARE(r.nextInt16(), std::optional<qint16>(12));
        QCOMPARE(r.nextInt16(), std::optional<qint16>(7));
        QVERIFY(!r.nextInt16()); // a letter is an error, not 0
        QVERIFY(!r.nextInt16()); // overflow
        QCOMPARE(r.nextInt16(), std::optional<qint16>(0));
        QCOMPARE(r.nextInt16(), std::optional<qint16>(2));
        QVERIFY(!r.nextInt16()); // past the end
        QVERIFY(r.atEnd());
    }

    void decodesUtf8AndCp932() {
        const QString comment = QStringLiteral("\"ﾜｰｸ取出し位置\"");
        QStringEncoder cp932("windows-31j");
        QCOMPARE(textfile::decode(cp932.encode(comment)), comment);
        QVERIFY(!cp932.hasError());
        QCOMPARE(textfile::decode(comment.toUtf8()), comment);
        QCOMPARE(textfile::decode(QByteArray("\xEF\xBB\xBF\"x\"")), QStringLiteral("\"x\""));
    }
};

TZC3_TEST(FieldFileTest)
#include "test_fieldfile.moc"
