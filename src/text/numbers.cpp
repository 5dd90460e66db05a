#include "text/numbers.h"

#include <QLocale>
#include <cfenv>
#include <climits>
#include <cmath>

namespace korvatel
{

namespace
{

// More hex digits than this no longer fit a double exactly; no setting of the system needs them.
constexpr int kMaxHexDigits = 13;

int HexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

double ParseHex(const QString &text, double fallback)
{
    double value = 0;
    int digits = 0;
    for (qsizetype i = 1; i < text.size(); ++i) {
        const int digit = HexDigit(text.at(i));
        if (digit < 0)
            break;
        if (++digits > kMaxHexDigits)
            return fallback;
        value = value * 16 + digit;
    }
    return digits > 0 ? value : fallback;
}

} // namespace

QString TrimBlanks(const QString &text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text.at(start).unicode() <= u' ')
        ++start;
    while (end > start && text.at(end - 1).unicode() <= u' ')
        --end;
    return text.mid(start, end - start);
}

double ParseNumber(const QString &text, double fallback)
{
    QString s = TrimBlanks(text);
    if (s.startsWith(u'$'))
        return ParseHex(s, fallback);

    for (const char16_t *sign : { u"円", u"￥", u"＄", u"\\", u"$" })
        s.remove(QString::fromUtf16(sign));
    s = TrimBlanks(s);
    s.remove(u',');

    static const QString kAllowed = QStringLiteral(".e-0123456789");
    qsizetype cut = 0;
    while (cut < s.size() && kAllowed.contains(s.at(cut)))
        ++cut;
    s.truncate(cut);

    while (s.startsWith(u'0') && s != QLatin1String("0") && !s.startsWith(QLatin1String("0.")))
        s.remove(0, 1);

    if (s.count(u'.') > 1 || s.count(u'e') > 1 || s.count(u'-') > 1)
        return fallback;
    bool ok = false;
    const double value = QLocale::c().toDouble(s, &ok);
    return ok && std::isfinite(value) ? value : fallback;
}

int ParseInteger(const QString &text, int fallback)
{
    const double value = ParseNumber(text, std::nan(""));
    if (!std::isfinite(value))
        return fallback;
    // The default rounding mode of the FPU rounds to nearest with ties to even.
    const double rounded = std::nearbyint(value);
    if (rounded < double(INT_MIN) || rounded > double(INT_MAX))
        return fallback;
    return static_cast<int>(rounded);
}

int CompareVersions(const QString &a, const QString &b)
{
    const QString left = a.trimmed(), right = b.trimmed();
    qsizetype i = 0, j = 0;
    while (i < left.size() && j < right.size()) {
        if (!left.at(i).isDigit() || !right.at(j).isDigit()) {
            if (left.at(i) != right.at(j))
                return left.at(i) < right.at(j) ? -1 : 1;
            ++i;
            ++j;
            continue;
        }
        // Two runs of digits: without their leading zeros the longer is the larger, and runs of
        // one length compare digit by digit. Any length works, so no run can overflow.
        while (i < left.size() && left.at(i) == u'0')
            ++i;
        while (j < right.size() && right.at(j) == u'0')
            ++j;
        qsizetype endLeft = i, endRight = j;
        while (endLeft < left.size() && left.at(endLeft).isDigit())
            ++endLeft;
        while (endRight < right.size() && right.at(endRight).isDigit())
            ++endRight;
        if (endLeft - i != endRight - j)
            return endLeft - i < endRight - j ? -1 : 1;
        const int digits = QStringView(left)
                               .sliced(i, endLeft - i)
                               .compare(QStringView(right).sliced(j, endRight - j));
        if (digits != 0)
            return digits < 0 ? -1 : 1;
        i = endLeft;
        j = endRight;
    }
    return i < left.size() ? 1 : j < right.size() ? -1 : 0;
}

} // namespace korvatel
