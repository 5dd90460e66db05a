#pragma once

#include <QString>

namespace korvatel
{

// Money is kept in yen as double, as the shop's tables give it (unit prices may carry
// fractions). Every amount of the system is a decimal with a few places, so before a value is
// rounded or split for display it is snapped to the nearest millionth of a yen: that removes
// the binary error of products such as 1,010 × 0.05 (which must round as 50.5, not 50.49…)
// and of sums of fractional unit prices.
double SnapMoney(double x);

// Rounding rules of the shop's tax settings (`_ROUNDING_`).
enum TRoundingRule { rrTruncate = 0, rrHalfUp = 1, rrUp = 2 };

// The shop's rounding of money to whole yen: 1 half away from zero, 2 away from zero, any other
// rule toward zero. A value without fraction is returned as is.
double RoundMoneyBy(double x, int rule);

// "四捨五入", "切上" or "切捨".
QString RoundingName(int rule);

// The standard float-to-text conversion: the shortest plain decimal form with up to 15
// significant digits ("300", "19.5", "0.05"), an exponent only for very large or small values.
QString FloatText(double x);

// A number with thousands separators and the given count of decimals ("%.0n", "%1.2n").
QString NumberText(double x, int decimals);

// A currency amount without decimals ("%.0m"): the yen sign "\" before the separated figure,
// the minus sign before the yen sign.
QString CurrencyText(double x);

// The whole yen of an amount (toward zero) and the two following figures, truncated: the two
// parts of the statement's money display.
struct TMoneyParts {
    double whole = 0;
    int cents = 0;
    bool hasFraction = false;
};
TMoneyParts SplitMoney(double x);

// True when the snapped amount has a fraction of a yen.
bool HasFraction(double x);

} // namespace korvatel
