#include "pricing/basket_text.h"

#include "pricing/price_tables.h"
#include "pricing/shop_terms.h"
#include "text/comma_text.h"
#include "text/numbers.h"

namespace korvatel
{

namespace
{

int CdKindOf(const QString &text)
{
    for (int kind : { cdtNormal, cdtJustify, cdtCopy }) {
        if (text.compare(CdKindCode(kind), Qt::CaseInsensitive) == 0 || text == CdKindName(kind))
            return kind;
    }
    return -1;
}

} // namespace

TBasketText ParseBasketText(const QStringList &lines, const TPriceTables &tables)
{
    TBasketText result;
    QList<TBasketPhoto> photos;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = TrimBlanks(lines.at(i));
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        auto fail = [&](const char *why) {
            result.errors.append(QStringLiteral("line %1: %2").arg(i + 1).arg(QLatin1String(why)));
        };
        const qsizetype eq = line.indexOf(u'=');
        const QString key = eq < 0 ? QString() : line.left(eq).toLower();
        const QString value = eq < 0 ? QString() : TrimBlanks(line.mid(eq + 1));
        if (key == QLatin1String("photo")) {
            const QStringList items = FromCommaText(value);
            const int count = ParseInteger(items.value(1), -1);
            if (items.value(0).isEmpty() || count < 0) {
                fail("photo needs a size and a count");
                continue;
            }
            photos.append({ items.value(0), count,
                items.value(2).compare(QLatin1String("repeat"), Qt::CaseInsensitive) == 0 });
        } else if (key == QLatin1String("campus")) {
            const std::optional<TCampusLine> campus = ParseCampusLine(value);
            if (campus)
                result.basket.campus.append(*campus);
            else
                fail("not a campus line");
        } else if (key == QLatin1String("cd")) {
            const QStringList items = FromCommaText(value);
            const int pictures = ParseInteger(items.value(0), -1);
            const double bytes = ParseNumber(items.value(1), -1);
            const int kind = items.size() > 2 ? CdKindOf(TrimBlanks(items.value(2))) : cdtJustify;
            if (pictures < 0 || !(bytes >= 0) || bytes > 1e15 || kind < 0) {
                fail("cd needs a picture count, a byte count and a known kind");
                continue;
            }
            result.basket.cdPictures = pictures;
            result.basket.cdBytes = qint64(bytes);
            result.basket.cdKind = kind;
        } else if (key == QLatin1String("phone")) {
            const int count = ParseInteger(value, -1);
            if (count < 0)
                fail("phone needs a count");
            else
                result.basket.phoneImages = count;
        } else if (key == QLatin1String("payment")) {
            result.choice.payment = PaymentKindOf(value);
        } else if (key == QLatin1String("delivery")) {
            result.choice.delivery = DeliveryKindOf(value);
        } else if (key == QLatin1String("prefecture")) {
            const int number = ParseInteger(value, 0);
            result.choice.prefecture
                = number >= 1 && number <= kPrefectureCount ? number : PrefectureNumber(value);
            if (result.choice.prefecture == 0)
                fail("unknown prefecture");
        } else if (key == QLatin1String("address")) {
            result.choice.address = value;
        } else if (key == QLatin1String("points")) {
            const QStringList items = FromCommaText(value);
            result.choice.pointsShown = true;
            result.choice.pointsUsed = ParseNumber(items.value(0), 0);
            result.choice.pointsAvailable
                = items.size() > 1 ? ParseNumber(items.value(1), 0) : result.choice.pointsUsed;
        } else if (const std::optional<TPrintLine> print = ParsePrintLine(line)) {
            result.basket.prints.append(*print);
        } else {
            fail("not understood");
        }
    }
    const bool makesCd = result.basket.cdPictures >= 1;
    result.basket.prints.append(MakePrintLines(photos, tables, makesCd));
    return result;
}

} // namespace korvatel
