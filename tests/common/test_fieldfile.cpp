#include "common/fieldfile.h"
#include "common/textfile.h"
#include "test_registry.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QStringList readAll(const QString &text) {
    FieldReader r(text);
    QStringList out;
    while (auto f = r.next()) out << *f;
    return out;
}
} // namespace

class FieldFileTest : public QObject {
    Q_OBJECT
private slots:
    void fieldsIgnoreLineStructure_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("one line")
            << "3,\" 28L-100\",2\r\n" << QStringList{"3", " 28L-100", "2"};
        QTest::newRow("split over lines")
            << "3\r\n\" 28L-100\"\r\n2" << QStringList{"3", " 28L-100", "2"};
        QTest::newRow("quoted comma and blanks")
            << "\"a, b \",\"  \",x" << QStringList{"a, b ", "  ", "x"};
        QTest::newRow("unquoted trimmed") << "  12 ,  34\t\n" << QStringList{"12", "34"};
        QTest::newRow("empty between commas") << "\"1\",,\"3\"" << QStringList{"1", "", "3"};
        QTest::newRow("LF only and blank lines")
            << "1\n\n2\n" << QStringList{"1", "2"};
        QTest::newRow("text after closing quote ignored")
            << "\"ab\"cd,e" << QStringList{"ab", "e"};
        QTest::newRow("unterminated quote ends at line end")
            << "\"abc\r\n5" << QStringList{"abc", "5"};
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

    void writerUsesWriteConvention() {
        FieldWriter w;
        w.text(QStringLiteral("Parameta.pmt")).number(12000).number(0).endLine();
        w.text(QStringLiteral("a b")).endLine();
        QCOMPARE(w.bytes(), QByteArray("\"Parameta.pmt\",12000,0\r\n\"a b\"\r\n"));
    }

    void decodesUtf8AndShiftJis() {
        const QString comment = QStringLiteral("ﾜｰｸ取出し位置");
        QStringDecoder probe("windows-31j");
        QVERIFY(probe.isValid());
        QStringEncoder enc("windows-31j");
        const QByteArray sjis = enc.encode(QStringLiteral("\"") + comment + QStringLiteral("\",1\r\n"));
        QVERIFY(!enc.hasError());
        QCOMPARE(readAll(textfile::decode(sjis)), (QStringList{comment, "1"}));
        const QByteArray utf8 = (QStringLiteral("\"") + comment + QStringLiteral("\"")).toUtf8();
        QCOMPARE(readAll(textfile::decode(utf8)), QStringList{comment});
        QCOMPARE(textfile::decode(QByteArray("\xEF\xBB\xBF\"x\"")), QStringLiteral("\"x\""));
    }

    void failedSaveKeepsPreviousFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("keep.tpd"));
        QVERIFY(textfile::writeAtomically(path, "old\r\n"));
        QString error;
        const bool wrote = withFileSizeLimit(
            16, [&] { return textfile::writeAtomically(path, QByteArray(4096, 'x'), &error); });
        QVERIFY(!wrote);
        QVERIFY(!error.isEmpty());
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("old\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"keep.tpd"});
    }
};

TZC3_TEST(FieldFileTest)
#include "test_fieldfile.moc"
