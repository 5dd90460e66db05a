// A basket text from arbitrary bytes is parsed and priced against the built-in tables without
// a crash; the print and campus line readers are reached through it.
#include "pricing/basket_text.h"
#include "pricing/discounts.h"
#include "pricing/order_pricing.h"
#include "pricing/price_tables.h"
#include "pricing/shop_terms.h"
#include "text/cp932.h"
#include "text/sjis_file.h"

#include <QByteArray>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace korvatel;
    static const TPriceTables tables(kFileCatalogue);
    static const TShopTerms terms = [] {
        TShopTerms t;
        t.LoadShopTerms({ QStringLiteral("Mailbin=\"1,160\",\"31,240\""),
            QStringLiteral("Takuhai=0=800,47=1500"), QStringLiteral("Daibiki=\"0,315\""),
            QStringLiteral("CreditPerFee=0.035"), QStringLiteral("Jihai=\"1,300\""),
            QStringLiteral("JihaiGlobalArea=東京都") });
        return t;
    }();
    static const TDiscountRules rules = [] {
        TDiscountRules r;
        r.LoadDiscountRules(
            { QStringLiteral("UseValued=TRUE"), QStringLiteral("ValuedType=dctPerDiscount"),
                QStringLiteral("ValuedList=\"1000,5\""), QStringLiteral("UseSoryo=TRUE"),
                QStringLiteral("SoryoTgt=stgNum"), QStringLiteral("SoryoValue1=10") });
        return r;
    }();

    const QString text
        = FromCp932(QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)));
    const TBasketText basket = ParseBasketText(SplitLines(text), tables);
    const TPricingContext context { tables, terms, rules, QDate(2026, 12, 8) };
    const TPricedOrder order = PriceOrder(basket.basket, context, basket.choice);
    OrderSummaryText(order);
    for (const TPrintLine &line : basket.basket.prints)
        ParsePrintLine(PrintLineText(line));
    return 0;
}
