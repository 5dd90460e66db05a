#include "pricing/print_prices.h"

#include "pricing/money.h"
#include "pricing/order_pricing.h"
#include "pricing/price_tables.h"

namespace korvatel
{

QList<TPrintPrice> PrintPrices(const TPriceTables &tables)
{
    QList<TPrintPrice> prices;
    for (const QString &size : tables.SizeList(false)) {
        // One print of the size in a basket of its own, priced as the order list prices it.
        const QList<TBasketPhoto> photo { { size, 1, false } };
        const QList<TPrintLine> plain = MakePrintLines(photo, tables, false);
        const QList<TPrintLine> withCd = MakePrintLines(photo, tables, true);
        prices.append({ size, plain.value(0).unitPrice, withCd.value(0).unitPrice });
    }
    return prices;
}

QString UnitPriceText(double price)
{
    return u'\\' + NumberText(price, HasFraction(price) ? 2 : 0);
}

} // namespace korvatel
