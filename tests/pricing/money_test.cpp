#include "pricing/money.h"
#include "pricing/price_tables.h"

#include <gtest/gtest.h>

namespace korvatel
{

TEST(RoundMoney, RulesOnBothSides)
{
    EXPECT_EQ(RoundMoneyBy(10.5, rrHalfUp), 11);
    EXPECT_EQ(RoundMoneyBy(-10.5, rrHalfUp), -11);
    EXPECT_EQ(RoundMoneyBy(10.4, rrHalfUp), 10);
    EXPECT_EQ(RoundMoneyBy(10.1, rrUp), 11);
    EXPECT_EQ(RoundMoneyBy(-10.1, rrUp), -11);
    EXPECT_EQ(RoundMoneyBy(10.9, rrTruncate), 10);
    EXPECT_EQ(RoundMoneyBy(-10.9, rrTruncate), -10);
    EXPECT_EQ(RoundMoneyBy(10.9, 7), 10); // an unknown rule truncates
    EXPECT_EQ(RoundMoneyBy(12, rrUp), 12);
    EXPECT_EQ(RoundingName(1), QStringLiteral("四捨五入"));
    EXPECT_EQ(RoundingName(2), QStringLiteral("切上"));
    EXPECT_EQ(RoundingName(0), QStringLiteral("切捨"));
}

TEST(RoundMoney, BinaryFractionsDoNotCrossTheBoundary)
{
    // 150 × 0.03 is 4.499999… and 1000 × 0.03 is 30.000000000000004 in doubles.
    EXPECT_EQ(RoundMoneyBy(0.4999994, rrHalfUp), 0);
    EXPECT_EQ(RoundMoneyBy(150 * 0.03, rrHalfUp), 5);
    EXPECT_EQ(RoundMoneyBy(1000 * 0.03, rrUp), 30);
    EXPECT_EQ(RoundMoneyBy(0.1 + 0.2, rrUp), 1);
    EXPECT_EQ(RoundMoneyBy(19.9 * 3, rrTruncate), 59);
}

// Every tax-exclusive total from 0.0 to 60,000.0 yen in tenths, at the usual rates and each
// rounding rule, equals the total computed by hand in whole thousandths of a yen.
TEST(RoundMoney, TaxExclusiveTotalsMatchExactArithmetic)
{
    TPriceTables tables;
    for (int percent : { 3, 5, 8, 10 }) {
        for (int rule : { rrTruncate, rrHalfUp, rrUp }) {
            tables.SetTax({ percent / 100.0, false, rule, false });
            for (qint64 tenths = 0; tenths <= 600000; ++tenths) {
                // Exact: G × (1 + p/100) in thousandths of a yen.
                const qint64 exact = tenths * (100 + percent);
                const qint64 whole = exact / 1000;
                const qint64 rest = exact % 1000;
                qint64 expected = whole;
                if (rule == rrHalfUp && rest >= 500)
                    ++expected;
                if (rule == rrUp && rest > 0)
                    ++expected;
                const TGross g = tables.Gross(tenths / 10.0);
                ASSERT_EQ(g.total, double(expected))
                    << "G=" << tenths / 10.0 << " rate " << percent << " rule " << rule;
                // The tax alone, G × p/100, rounded the same way.
                const qint64 taxExact = tenths * percent;
                qint64 taxExpected = taxExact / 1000;
                if (rule == rrHalfUp && taxExact % 1000 >= 500)
                    ++taxExpected;
                if (rule == rrUp && taxExact % 1000 > 0)
                    ++taxExpected;
                ASSERT_EQ(tables.RoundMoney(tenths / 10.0 * (percent / 100.0)), double(taxExpected))
                    << "G=" << tenths / 10.0 << " rate " << percent << " rule " << rule;
            }
        }
    }
}

TEST(MoneyText, FloatAndNumberForms)
{
    EXPECT_EQ(FloatText(300), QStringLiteral("300"));
    EXPECT_EQ(FloatText(19.5), QStringLiteral("19.5"));
    EXPECT_EQ(FloatText(1010 * 0.05), QStringLiteral("50.5"));
    EXPECT_EQ(FloatText(0.05), QStringLiteral("0.05"));
    EXPECT_EQ(FloatText(-850), QStringLiteral("-850"));
    EXPECT_EQ(FloatText(1700.0 / 3), QStringLiteral("566.666666666667"));
    EXPECT_EQ(NumberText(1234567, 0), QStringLiteral("1,234,567"));
    EXPECT_EQ(NumberText(-1234.5, 2), QStringLiteral("-1,234.50"));
    EXPECT_EQ(NumberText(999, 0), QStringLiteral("999"));
    EXPECT_EQ(CurrencyText(1061), QStringLiteral("\\1,061"));
    EXPECT_EQ(CurrencyText(-300), QStringLiteral("-\\300"));
    const TMoneyParts parts = SplitMoney(1050 * 0.05 / 1.05 + 0.3); // 50.3
    EXPECT_EQ(parts.whole, 50);
    EXPECT_EQ(parts.cents, 30);
    EXPECT_TRUE(parts.hasFraction);
    EXPECT_FALSE(HasFraction(1050 * 0.05 / 1.05));
}

} // namespace korvatel
