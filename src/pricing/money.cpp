#include "pricing/money.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

namespace korvatel
{

namespace
{

// Beyond this the millionths no longer fit a double's 53 bits; such amounts are whole anyway.
constexpr double kSnapLimit = 4.0e9;

} // namespace

double SnapMoney(double x)
{
    if (!std::isfinite(x) || std::fabs(x) >= kSnapLimit)
        return x;
    const double snapped = std::nearbyint(x * 1e6) / 1e6;
    return snapped == 0 ? 0.0 : snapped; // no negative zero
}

double RoundMoneyBy(double x, int rule)
{
    if (!std::isfinite(x))
        return 0;
    const double s = SnapMoney(x);
    if (s == std::trunc(s))
        return s;
    if (s > 0) {
        if (rule == rrHalfUp)
            return std::floor(s + 0.5);
        if (rule == rrUp)
            return std::ceil(s);
        return std::trunc(s);
    }
    if (rule == rrHalfUp)
        return std::ceil(s - 0.5);
    if (rule == rrUp)
        return std::floor(s);
    return std::trunc(s);
}

QString RoundingName(int rule)
{
    if (rule == rrHalfUp)
        return QStringLiteral("四捨五入");
    if (rule == rrUp)
        return QStringLiteral("切上");
    return QStringLiteral("切捨");
}

QString FloatText(double x)
{
    if (!std::isfinite(x))
        return QStringLiteral("0");
    if (x == 0)
        return QStringLiteral("0");
    const double magnitude = std::fabs(x);
    if (magnitude >= 1e15 || magnitude < 1e-5)
        return QLocale::c().toString(x, 'g', 15);
    // Round to 15 significant digits, then print plainly without trailing zeros.
    const int intDigits = magnitude >= 1 ? int(std::floor(std::log10(magnitude))) + 1 : 0;
    int decimals = 15 - intDigits;
    if (magnitude < 1)
        decimals = 15 - int(std::floor(std::log10(magnitude))) - 1;
    decimals = std::clamp(decimals, 0, 20);
    QString text = QString::number(x, 'f', decimals);
    if (text.contains(u'.')) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    }
    if (text == QLatin1String("-0"))
        return QStringLiteral("0");
    return text;
}

QString NumberText(double x, int decimals)
{
    if (!std::isfinite(x))
        x = 0;
    const double s = SnapMoney(x);
    QString text = QString::number(std::fabs(s), 'f', decimals);
    const qsizetype dot = text.indexOf(u'.');
    QString whole = dot < 0 ? text : text.left(dot);
    const QString fraction = dot < 0 ? QString() : text.mid(dot);
    for (qsizetype i = whole.size() - 3; i > 0; i -= 3)
        whole.insert(i, u',');
    QString result = whole + fraction;
    bool nonZero = false;
    for (QChar c : result) {
        if (c.isDigit() && c != u'0')
            nonZero = true;
    }
    return s < 0 && nonZero ? u'-' + result : result;
}

QString CurrencyText(double x)
{
    const QString figure = NumberText(x, 0);
    if (figure.startsWith(u'-'))
        return QStringLiteral("-\\") + figure.mid(1);
    return u'\\' + figure;
}

TMoneyParts SplitMoney(double x)
{
    TMoneyParts parts;
    if (!std::isfinite(x))
        return parts;
    const double s = SnapMoney(x);
    parts.whole = std::trunc(s);
    const double micro = std::nearbyint(std::fabs(s - parts.whole) * 1e6);
    parts.cents = int(micro / 1e4);
    parts.hasFraction = micro > 0;
    return parts;
}

bool HasFraction(double x)
{
    return SplitMoney(x).hasFraction;
}

} // namespace korvatel
