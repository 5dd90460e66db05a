#include "text/numbers.h"

#include <gtest/gtest.h>

namespace korvatel
{

TEST(ParseNumber, StripsCurrencySignsAndGrouping)
{
    EXPECT_DOUBLE_EQ(ParseNumber(QStringLiteral("1,234円"), -1), 1234);
    EXPECT_DOUBLE_EQ(ParseNumber(QStringLiteral("￥500"), -1), 500);
    EXPECT_DOUBLE_EQ(ParseNumber(QStringLiteral("＄70"), -1), 70);
    EXPECT_DOUBLE_EQ(ParseNumber(QStringLiteral(" \\1,000 "), -1), 1000);
    EXPECT_DOUBLE_EQ(ParseNumber(QStringLiteral("35 枚"), -1), 35); // cut at the first non-number
}

TEST(ParseNumber, HexadecimalAfterDollar)
{
    EXPECT_DOUBLE_EQ(ParseNumber(QStringLiteral("$1F"), -1), 31);
    EXPECT_DOUBLE_EQ(ParseNumber(QStringLiteral("$00FF00xyz"), -1), 65280);
    EXPECT_DOUBLE_EQ(ParseNumber(QStringLiteral("$"), -1), -1);
    EXPECT_DOUBLE_EQ(ParseNumber(QStringLiteral("$G1"), -1), -1);
    EXPECT_DOUBLE_EQ(ParseNumber(QStringLiteral("$FFFFFFFFFFFFFFFFFF"), -1), -1);
}

TEST(ParseNumber, DecimalFormsAndLeadingZeros)
{
    EXPECT_DOUBLE_EQ(ParseNumber(QStringLiteral("00"), -1), 0);
    EXPECT_DOUBLE_EQ(ParseNumber(QStringLiteral("007"), -1), 7);
    EXPECT_DOUBLE_EQ(ParseNumber(QStringLiteral("0.50"), -1), 0.5);
    EXPECT_DOUBLE_EQ(ParseNumber(QStringLiteral("-3"), 0), -3);
    EXPECT_DOUBLE_EQ(ParseNumber(QStringLiteral("1e3"), 0), 1000);
    EXPECT_DOUBLE_EQ(ParseNumber(QStringLiteral(".5"), 0), 0.5);
}

TEST(ParseNumber, AnythingElseGivesTheCallersDefault)
{
    EXPECT_DOUBLE_EQ(ParseNumber(QStringLiteral("1.2.3"), 9), 9);
    EXPECT_DOUBLE_EQ(ParseNumber(QString(), 9), 9);
    EXPECT_DOUBLE_EQ(ParseNumber(QStringLiteral("abc"), 9), 9);
    EXPECT_DOUBLE_EQ(ParseNumber(QStringLiteral("--1"), 9), 9);
    EXPECT_DOUBLE_EQ(ParseNumber(QStringLiteral("1-2"), 9), 9);
    EXPECT_DOUBLE_EQ(ParseNumber(QStringLiteral("1e999"), 9), 9);
    EXPECT_DOUBLE_EQ(ParseNumber(QStringLiteral("e"), 9), 9);
}

TEST(ParseInteger, RoundsHalfToEvenAndRefusesOverflow)
{
    EXPECT_EQ(ParseInteger(QStringLiteral("2.5"), -1), 2);
    EXPECT_EQ(ParseInteger(QStringLiteral("3.5"), -1), 4);
    EXPECT_EQ(ParseInteger(QStringLiteral("-2.5"), 0), -2);
    EXPECT_EQ(ParseInteger(QStringLiteral("2.6"), -1), 3);
    EXPECT_EQ(ParseInteger(QStringLiteral("1,234円"), -1), 1234);
    EXPECT_EQ(ParseInteger(QStringLiteral("99999999999"), 80), 80);
    EXPECT_EQ(ParseInteger(QStringLiteral("x"), 80), 80);
}

TEST(TrimBlanks, RemovesOnlyControlCharactersAndSpaces)
{
    EXPECT_EQ(TrimBlanks(QStringLiteral(" \t a b \r\n")), QStringLiteral("a b"));
    EXPECT_EQ(TrimBlanks(QStringLiteral("　全角　")), QStringLiteral("　全角　"));
}

TEST(CompareVersions, NumbersCompareAsNumbers)
{
    const struct {
        const char *older, *newer;
    } cases[] = {
        { "9.99", "10.00" }, { "1.00", "1.01" }, { "2026.12.9", "2026.12.10" }, { "1.0", "1.0a" },
        { "1.0a", "1.0b" },
        { "99999999999999999999", "100000000000000000000" }, // beyond any integer type
    };
    for (const auto &c : cases) {
        const QString older = QString::fromLatin1(c.older), newer = QString::fromLatin1(c.newer);
        EXPECT_LT(CompareVersions(older, newer), 0) << c.older << " < " << c.newer;
        EXPECT_GT(CompareVersions(newer, older), 0) << c.newer << " > " << c.older;
    }
    EXPECT_EQ(CompareVersions(QStringLiteral(" 1.00"), QStringLiteral("1.00 ")), 0);
}

} // namespace korvatel
