#include "pricing/pricing_fixture.h"
#include "pricing/shop_pricing.h"

#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

const QDate kToday(2026, 12, 8);

// A shop that gives five free L prints to a new customer, with different net and normal prices.
const QString kFreePrintShop = QStringLiteral(
    ":>OPTION\nKessais=クレジット,ご来店にて\nUseNewOrder=TRUE\nNewOrderMinType=nomZero\n"
    "NewOrderService=nosPrint\nNewOrderValue=5\n:>END\n"
    ":>PRICES\nprcNet|L=25\nprcNormal|L=40\n:>END");

double FreePrintValue(const TShopPricing &shop)
{
    return ApplyDiscounts(shop.Rules(), shop.Terms(), shop.Tables(), 1, 0, {}, true, 100, kToday)
        .freePrintValue;
}

} // namespace

TEST(TShopPricing, TermsAndRulesComeFromTheOptionTable)
{
    const TShopPricing shop(test::ShopDataOf(kFreePrintShop));
    EXPECT_EQ(shop.Terms().PaymentKinds(), QList<int>({ ksiCredit, ksiTentoo }));
    EXPECT_TRUE(shop.Rules().newOrder.use);
    EXPECT_EQ(shop.Rules().newOrder.value, 5);
    EXPECT_EQ(shop.Tables().UnitPrice(prcNet, QStringLiteral("L")), 25);
}

TEST(TShopPricing, FreePrintsAreWorthNetPricesOutsideModeTwo)
{
    const TShopData data = test::ShopDataOf(kFreePrintShop);
    EXPECT_EQ(FreePrintValue(TShopPricing(data)), 5 * 25);
    EXPECT_TRUE(TShopPricing(data, kFileCatalogue).Rules().net);

    const TShopPricing own(data, 2);
    EXPECT_FALSE(own.Rules().net);
    EXPECT_EQ(FreePrintValue(own), 5 * 40);
}

TEST(TShopPricing, LoadedTablesGiveTheSameTermsAndRules)
{
    TPriceTables tables;
    tables.Load(test::ShopDataOf(kFreePrintShop));
    const TShopPricing fromTables(tables);
    const TShopPricing fromData(test::ShopDataOf(kFreePrintShop));
    EXPECT_EQ(fromTables.Terms().PaymentKinds(), fromData.Terms().PaymentKinds());
    EXPECT_EQ(fromTables.Rules().newOrder.value, fromData.Rules().newOrder.value);
    EXPECT_EQ(FreePrintValue(fromTables), FreePrintValue(fromData));

    tables.SetCatalogueMode(2);
    EXPECT_FALSE(TShopPricing(tables).Rules().net);
}

TEST(TShopPricing, ContextPricesWithTheShopOnTheDay)
{
    const TShopPricing shop(test::ShopDataOf(kFreePrintShop));
    const TPricingContext context = shop.Context(kToday);
    EXPECT_EQ(&context.tables, &shop.Tables());
    EXPECT_EQ(&context.terms, &shop.Terms());
    EXPECT_EQ(&context.rules, &shop.Rules());
    EXPECT_EQ(context.today, kToday);
}

} // namespace korvatel
