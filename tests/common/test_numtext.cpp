#include "common/numtext.h"
#include "test_registry.h"

#include <QtTest>

class NumTextTest : public QObject {
    Q_OBJECT
private slots:
    void val_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("plain") << "123" << 123.0;
        QTest::newRow("leading blanks") << "   42" << 42.0;
        QTest::newRow("prefix only") << "12abc" << 12.0;
        QTest::newRow("none") << "abc" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("fraction") << "1.23456" << 1.23456;
        QTest::newRow("leading point") << ".5" << 0.5;
        QTest::newRow("negative") << "-7" << -7.0;
        QTest::newRow("exponent") << "1.5E3x" << 1500.0;
        QTest::newRow("dangling exponent") << "15E" << 15.0;
        QTest::newRow("hex") << "&H1F" << 31.0;
        QTest::newRow("hex lower") << "&hff rest" << 255.0;
        QTest::newRow("hex 16-bit sign") << "&HFFFF" << -1.0;
        QTest::newRow("hex 32-bit") << "&H4E20" << 20000.0;
        QTest::newRow("hex without digits") << "&Hz" << 0.0;
        QTest::newRow("stroke digits with blank") << " 50" << 50.0;
        QTest::newRow("format #.# output") << "20000." << 20000.0;
    }
    void val() {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QCOMPARE(num::val(text), expected);
    }

    void strictNumbers() {
        QCOMPARE(num::parseStrict(u"  12  "), std::optional<double>(12));
        QCOMPARE(num::parseStrict(u""), std::optional<double>(0));
        QCOMPARE(num::parseStrict(u"&H10"), std::optional<double>(16));
        QVERIFY(!num::parseStrict(u"1a"));
        QVERIFY(!num::parseStrict(u"a"));
        QVERIFY(!num::parseStrict(u"1 2"));
    }

    void integerConversionRoundsHalfToEven_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("0.5") << 0.5 << 0;
        QTest::newRow("1.5") << 1.5 << 2;
        QTest::newRow("2.5") << 2.5 << 2;
        QTest::newRow("10.5 (VEL byte 2A / 4)") << 10.5 << 10;
        QTest::newRow("-2.5") << -2.5 << -2;
        QTest::newRow("2.6") << 2.6 << 3;
        QTest::newRow("limit") << 32767.4 << 32767;
    }
    void integerConversionRoundsHalfToEven() {
        QFETCH(double, value);
        QFETCH(int, expected);
        QCOMPARE(*num::toInt16(value), qint16(expected));
        QCOMPARE(*num::toInt32(value), qint32(expected));
    }

    void overflowIsReported() {
        QVERIFY(!num::toInt16(32767.5));
        QVERIFY(!num::toInt16(-32769));
        QVERIFY(num::toInt32(32768));
        QVERIFY(!num::toInt32(2147483648.0));
        QVERIFY(!num::toInt16(std::numeric_limits<double>::quiet_NaN()));
    }

    void formats_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("hashDotHash");
        QTest::addColumn<QString>("zeroDotThree");
        QTest::newRow("integral") << 20000.0 << "20000." << "20000.000";
        QTest::newRow("thirds") << 3333.3333333 << "3333.3" << "3333.333";
        QTest::newRow("two thirds") << 6666.6666667 << "6666.7" << "6666.667";
        QTest::newRow("zero") << 0.0 << "." << "0.000";
        QTest::newRow("small") << 0.005 << "." << "0.005";
        QTest::newRow("half away from zero") << 0.0125 << "." << "0.013";
        QTest::newRow("fraction only") << 0.45 << ".5" << "0.450";
        QTest::newRow("decimal half") << 2.25 << "2.3" << "2.250";
        QTest::newRow("carry") << 9.96 << "10." << "9.960";
        QTest::newRow("negative") << -1.25 << "-1.3" << "-1.250";
    }
    void formats() {
        QFETCH(double, value);
        QFETCH(QString, hashDotHash);
        QFETCH(QString, zeroDotThree);
        QCOMPARE(num::formatHashDotHash(value), hashDotHash);
        QCOMPARE(num::format0000(value), zeroDotThree);
    }

    void singleText() {
        QCOMPARE(num::singleText(200.0f), QStringLiteral("200"));
        QCOMPARE(num::singleText(0.005f), QStringLiteral("0.005"));
        QCOMPARE(num::singleText(66.667f), QStringLiteral("66.667"));
        QCOMPARE(num::singleText(0.015f), QStringLiteral("0.015"));
        QCOMPARE(num::singleText(2.083f), QStringLiteral("2.083"));
    }

    void paddingAndFields() {
        QCOMPARE(num::padLeft(QStringLiteral("12"), 7), QStringLiteral("     12"));
        QCOMPARE(num::padLeft(QStringLiteral("1234567"), 7), QStringLiteral("1234567"));
        QCOMPARE(num::padLeft(QStringLiteral("12345678"), 7), QStringLiteral("-1"));
        QCOMPARE(num::hexField(20000, 6), QStringLiteral("004E20"));
        QCOMPARE(num::hexField(200, 2), QStringLiteral("C8"));
        QCOMPARE(num::hexField(256, 2), QStringLiteral("X"));
        QCOMPARE(num::decField(32, 2), QStringLiteral("32"));
        QCOMPARE(num::decField(2, 2), QStringLiteral("02"));
        QCOMPARE(num::decField(100, 2), QStringLiteral("X"));
        QCOMPARE(num::hexValue(u"2A"), std::optional<qint64>(42));
        QCOMPARE(num::hexValue(u"0c"), std::optional<qint64>(12));
        QVERIFY(!num::hexValue(u"G1"));
        QVERIFY(!num::hexValue(u""));
    }
};

TZC3_TEST(NumTextTest)
#include "test_numtext.moc"
