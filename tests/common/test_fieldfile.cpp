#include "common/fieldfile.h"
#include "common/textfile.h"
#include "test_registry.h"

#include <QtTest>

namespace {
// Read the way a reader of unknown length reads: until atEnd(), which must
// agree with next() about the last field.
QStringList readAll(const QString &text) {
    FieldReader r(text);
    QStringList out;
    while (!r.atEnd())
        out << r.next().value_or(QStringLiteral("<none>"));
    if (r.next()) out << QStringLiteral("<more>");
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

    // Byte-exact fixtures of each kind of file, and what a save writes.
    void encodings_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("written"); // a save of the text writes exactly these bytes
        QTest::newRow("ASCII") << QByteArray("\"abc\",12\r\n") << "\"abc\",12\r\n" << true;
        QTest::newRow("Shift_JIS kanji, half-width")
            << QByteArray("\x8c\xb4\x93\x5f\xce\xb0\xd1") << "原点ﾎｰﾑ" << true;
        // Each pair is also valid UTF-8: "ʲ", "۰", "Ŷ".
        QTest::newRow("Shift_JIS half-width pairs only")
            << QByteArray("\"\xca\xb2\",\"\xdb\xb0\",\"\xc5\xb6\"") << "\"ﾊｲ\",\"ﾛｰ\",\"ﾅｶ\""
            << true;
        // Also valid Shift_JIS: "菴咲ｽｮ".
        QTest::newRow("UTF-8 without BOM")
            << QByteArray("\xe4\xbd\x8d\xe7\xbd\xae") << "位置" << false;
        // Without the mark these two bytes would be "ﾃｩ".
        QTest::newRow("UTF-8 with BOM, no Shift_JIS code")
            << QByteArray("\xef\xbb\xbf\xc3\xa9") << "é" << true;
        QTest::newRow("euro") << QByteArray("\xef\xbb\xbf\xe2\x82\xac 5") << "€ 5" << true;
        // Its Windows-31J bytes E3 81 82 60 would read back as UTF-8 "あ`".
        QTest::newRow("Shift_JIS bytes that read as UTF-8")
            << QByteArray("\xef\xbb\xbf\xe7\xb8\xba\xef\xbc\xa1") << "縺Ａ" << true;
    }
    void encodings() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(textfile::decode(bytes), text);
        QFETCH(bool, written);
        if (written) QCOMPARE(textfile::encode(text), bytes);
    }
};

TZC3_TEST(FieldFileTest)
#include "test_fieldfile.moc"
