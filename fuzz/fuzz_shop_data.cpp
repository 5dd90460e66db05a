// Shop data from arbitrary bytes: the container is sectioned, every table is read in both
// catalogue modes, and every lookup, the shop terms, the discount engine and the pricing of a
// small basket answer without a crash.
#include "pricing/discounts.h"
#include "pricing/order_pricing.h"
#include "pricing/price_tables.h"
#include "pricing/shop_data.h"
#include "pricing/shop_terms.h"
#include "text/cp932.h"
#include "text/sjis_file.h"

#include <QByteArray>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace korvatel;
    if (size < 1)
        return 0;
    // The first byte picks the catalogue mode and the customer's choice, so one run stays small
    // while the corpus covers every combination.
    const unsigned pick = data[0];
    const QString text = FromCp932(
        QByteArray::fromRawData(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1)));
    const TShopData shop = TShopData::FromContainer(SplitLines(text));
    shop.ServerBuild();

    {
        const int mode = (pick & 1) ? kServerCatalogue : kFileCatalogue;
        TPriceTables tables(mode);
        tables.Load(shop);
        QStringList sizes = tables.SizeList(true);
        sizes.append(QString());
        sizes.append(QStringLiteral("L"));
        for (const QString &size : sizes.mid(0, 6)) {
            for (int kind = 0; kind < kPriceKindCount; ++kind) {
                tables.UnitPrice(kind, size);
                tables.IsPriced(kind, size);
            }
            for (int step : { -1, 2 })
                tables.NextSize(size, step);
            tables.SizeIndex(size);
            tables.SizeChannel(size);
            tables.SizeChannelCD(size);
            tables.PrintDimensionsText(size, QStringLiteral("x"));
            tables.ResolutionClass(size, 3000, 2000);
        }
        for (bool net : { false, true }) {
            tables.BasicFeeLabel(net);
            tables.BasicFee(true, false, net);
            tables.CdLimitText(net);
            for (int cd = -1; cd <= 3; ++cd)
                tables.CdTiers(cd, net);
        }
        tables.Gross(1234.5);
        tables.NetOf(1000);

        TShopTerms terms;
        terms.LoadShopTerms(tables.OptionTable());
        terms.InOwnDeliveryArea(QStringLiteral("東京都八王子市"));
        terms.HomeDeliveryCharge(int(pick % 48));
        ShopInformationLines(terms, tables);

        TDiscountRules rules;
        rules.LoadDiscountRules(tables.OptionTable());
        DiscountRuleLines(rules, QDate(2026, 12, 8));
        TPricingBasket basket;
        for (const QString &size : sizes.mid(0, 4))
            basket.prints.append({ size, tables.UnitPrice(prcNet, size), 3 });
        basket.campus.append({ QStringLiteral("a"), QStringLiteral("L"), 30, 1 });
        basket.cdPictures = 7;
        basket.cdBytes = 734003200;
        basket.phoneImages = 3;
        const TPricingContext context { tables, terms, rules, QDate(2026, 12, 8) };
        {
            TPricingChoice choice;
            choice.delivery = int((pick >> 1) % kDeliveryKindCount);
            choice.payment = int((pick >> 4) % kPaymentKindCount);
            choice.prefecture = 13;
            choice.pointsShown = true;
            choice.pointsUsed = 10;
            choice.pointsAvailable = 20;
            const TPricedOrder order = PriceOrder(basket, context, choice);
            OrderSummaryText(order);
        }
    }
    return 0;
}
