// Speed of reading the shop data and of pricing an order: the summary bar reprices the basket
// on every change of the order, so pricing must stay far below a frame even for large baskets.
#include "pricing/discounts.h"
#include "pricing/order_pricing.h"
#include "pricing/price_tables.h"
#include "pricing/shop_data.h"
#include "pricing/shop_terms.h"
#include "text/sjis_file.h"

#include <benchmark/benchmark.h>

namespace
{

using namespace korvatel;

// A shop with the given number of sizes and the usual option table.
QStringList ShopLines(int sizes)
{
    QStringList lines = { QStringLiteral(":>OPTION"),
        QStringLiteral("Kessais=クレジット,宅配便代引,ご来店にて"),
        QStringLiteral("Haisoos=メール便,宅配便,ご来店"),
        QStringLiteral("Mailbin=\"1,160\",\"31,240\",\"101,400\""),
        QStringLiteral("Takuhai=0=800,1=1500,47=1500"), QStringLiteral("Daibiki=\"0,315\""),
        QStringLiteral("CreditPerFee=0.035"), QStringLiteral("UseValued=TRUE"),
        QStringLiteral("ValuedType=dctDiscount"),
        QStringLiteral("ValuedList=\"3000,100\",\"5000,300\""), QStringLiteral("UseSoryo=TRUE"),
        QStringLiteral("SoryoTgt=stgValue"), QStringLiteral("SoryoValue1=5000"),
        QStringLiteral(":>END"), QStringLiteral(":>SIZENAME") };
    for (int i = 0; i < sizes; ++i)
        lines.append(QStringLiteral("S%1").arg(i));
    lines << QStringLiteral(":>END") << QStringLiteral(":>USEDSIZE");
    for (int i = 0; i < sizes; ++i)
        lines.append(QStringLiteral("*D"));
    lines << QStringLiteral(":>END") << QStringLiteral(":>PRICES");
    for (int i = 0; i < sizes; ++i)
        lines.append(QStringLiteral("prcNet|S%1=%2").arg(i).arg(20 + i));
    lines << QStringLiteral(":>END") << QStringLiteral(":>TAX") << QStringLiteral("_TAX_PAR_=0.1")
          << QStringLiteral("_ROUNDING_=1") << QStringLiteral(":>END");
    return lines;
}

void BM_LoadShopData(benchmark::State &state)
{
    const QStringList lines = ShopLines(int(state.range(0)));
    for (auto _ : state) {
        TPriceTables tables;
        tables.Load(TShopData::FromContainer(lines));
        TShopTerms terms;
        terms.LoadShopTerms(tables.OptionTable());
        TDiscountRules rules;
        rules.LoadDiscountRules(tables.OptionTable());
        benchmark::DoNotOptimize(tables.SizeCount());
    }
}
BENCHMARK(BM_LoadShopData)->Arg(8)->Arg(200);

// Pricing a basket of N print lines (one per size) with a CD-R and phone images.
void BM_PriceOrder(benchmark::State &state)
{
    const int sizes = int(state.range(0));
    TPriceTables tables;
    tables.Load(TShopData::FromContainer(ShopLines(sizes)));
    TShopTerms terms;
    terms.LoadShopTerms(tables.OptionTable());
    TDiscountRules rules;
    rules.LoadDiscountRules(tables.OptionTable());
    TPricingBasket basket;
    for (int i = sizes - 1; i >= 0; --i) {
        const QString size = QStringLiteral("S%1").arg(i);
        basket.prints.append({ size, tables.UnitPrice(prcNet, size), 1 + i % 7 });
    }
    basket.cdPictures = 40;
    basket.cdBytes = 200 * 1048576LL;
    basket.phoneImages = 3;
    TPricingChoice choice;
    choice.payment = ksiCredit;
    choice.delivery = hsoTakuhaibin;
    choice.prefecture = 13;
    const TPricingContext context { tables, terms, rules, QDate(2026, 12, 8) };
    for (auto _ : state)
        benchmark::DoNotOptimize(PriceOrder(basket, context, choice).total);
    state.SetItemsProcessed(state.iterations() * sizes);
}
BENCHMARK(BM_PriceOrder)->Arg(8)->Arg(200);

} // namespace

BENCHMARK_MAIN();
