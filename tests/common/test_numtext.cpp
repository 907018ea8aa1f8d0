#include "common/numtext.h"
#include "test_registry.h"

#include <QtTest>
#include <utility>

// The input rides along with each result, so a failing row names itself.
#define CHECK_EACH(cases, f)                                                                       \
    for (const auto &[in, out] : cases)                                                            \
        QCOMPARE(std::pair(in, f(in)), std::pair(in, out));

class NumTextTest : public QObject {
    Q_OBJECT
private slots:
    void val() {
        const std::pair<QString, double> cases[] = {
            {"   42", 42}, {"12abc", 12},      {"abc", 0},       {"", 0},     {"1.23456", 1.23456},
            {".5", 0.5},   {"-7", -7},         {"1.5E3x", 1500}, {"15E", 15}, {"20000.", 20000},
            {"&H1F", 31},  {"&hff rest", 255}, {"&HFFFF", -1},   {"&Hz", 0}};
        CHECK_EACH(cases, num::val);
        // Reply fields and error codes: the same rule with the "&H" implied.
        const std::pair<QString, qint64> hex[] = {{"0c", 12},          {" 0E", 14}, {"12G4", 0x12},
                                                  {"G1", 0},           {"", 0},     {"FFFF", -1},
                                                  {"FFFFFF", 0xFFFFFF}};
        CHECK_EACH(hex, num::hexVal);
    }

    void strictNumbers() {
        QCOMPARE(num::parseStrict(u"  12  "), std::optional<double>(12));
        QCOMPARE(num::parseStrict(u""), std::optional<double>(0));
        QCOMPARE(num::parseStrict(u"&H10"), std::optional<double>(16));
        QVERIFY(!num::parseStrict(u"1a"));
        QVERIFY(!num::parseStrict(u"a"));
        QVERIFY(!num::parseStrict(u"1 2"));
    }

    // 10.5 is a VEL byte of 2A read back in quarter steps.
    void integerConversionRoundsHalfToEvenAndReportsOverflow() {
        const std::pair<double, int> cases[] = {{0.5, 0},   {1.5, 2}, {2.5, 2},        {10.5, 10},
                                                {-2.5, -2}, {2.6, 3}, {32767.4, 32767}};
        for (const auto &[in, out] : cases) {
            QCOMPARE(std::pair(in, *num::toInt16(in)), std::pair(in, qint16(out)));
            QCOMPARE(std::pair(in, *num::toInt32(in)), std::pair(in, qint32(out)));
        }
        QVERIFY(!num::toInt16(32767.5));
        QVERIFY(!num::toInt16(-32769));
        QVERIFY(num::toInt32(32768));
        QVERIFY(!num::toInt32(2147483648.0));
        QVERIFY(!num::toInt16(std::numeric_limits<double>::quiet_NaN()));
    }

    void formats() {
        const std::pair<double, QString> hashDotHash[] = {
            {20000, "20000."}, {3333.3333333, "3333.3"},
            {0, "."},          {0.0125, "."},
            {0.45, ".5"},      {2.25, "2.3"},
            {9.96, "10."},     {-1.25, "-1.3"}};
        CHECK_EACH(hashDotHash, num::formatHashDotHash);
        const std::pair<double, QString> zeroDotThree[] = {
            {20000, "20000.000"}, {3333.3333333, "3333.333"}, {0, "0.000"}, {0.0125, "0.013"},
            {0.45, "0.450"},      {-1.25, "-1.250"}};
        CHECK_EACH(zeroDotThree, num::format0000);
    }

    // Widths that do not fit: the wire and cell formats rely on these markers.
    void fieldsThatDoNotFit() {
        QCOMPARE(num::padLeft(QStringLiteral("1234567"), 7), QStringLiteral("1234567"));
        QCOMPARE(num::padLeft(QStringLiteral("12345678"), 7), QStringLiteral("-1"));
        QCOMPARE(num::hexField(256, 2), QStringLiteral("X"));
        QCOMPARE(num::decField(2, 2), QStringLiteral("02"));
        QCOMPARE(num::decField(100, 2), QStringLiteral("X"));
    }
};

TZC3_TEST(NumTextTest)
#include "test_numtext.moc"
