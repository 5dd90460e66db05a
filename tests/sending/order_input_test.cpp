#include "customer/user_record.h"
#include "pricing/order_pricing.h"
#include "pricing/price_tables.h"
#include "pricing/shop_data.h"
#include "pricing/shop_terms.h"
#include "sending/order_host.h"
#include "sending/order_input.h"
#include "text/sjis_file.h"

#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

TPriceTables ShopTables(const QString &options)
{
    TPriceTables tables;
    tables.Load(TShopData::FromContainer(SplitLines(QStringLiteral(":>OPTION\n") + options
        + QStringLiteral("\n:>END\n:>ORDERHOST\nOrderMail=order@demo-shop.example\n:>END"))));
    return tables;
}

struct TSource {
    TPriceTables tables;
    TOrderHostTable hosts;
    TUserRecord user;
    TPricedOrder order;
    TPricingChoice choice;
    TOrderInputSource source;

    explicit TSource(const QString &options)
        : tables(ShopTables(options))
        , hosts(TOrderHostTable::FromLines(tables.OrderHostTable()).value())
    {
        user.SetValue(QStringLiteral("Name"), QStringLiteral("山田太郎"));
        user.SetValue(QStringLiteral("Tel1"), QStringLiteral("03-1234-5678"));
        user.SetValue(QStringLiteral("Adrs1"), QStringLiteral("東京都八王子市明神町1-2-3"));
        user.SetValue(QStringLiteral("Acount"), QStringLiteral("4321"));
        order.records = { QStringLiteral("Size:(1) L;Price:29;Num:3;") };
        order.total = 87;
        order.printCount = 3;
        order.fixedFee = 100;
        order.rateFee = 5;
        choice.payment = ksiCredit;
        choice.delivery = hsoShop;
        source.tables = &tables;
        source.shopId = QStringLiteral("1234");
        source.hosts = &hosts;
        source.user = &user;
        source.order = &order;
        source.choice = &choice;
        source.workDir = QStringLiteral("/tmp/KorvaDPOF");
    }
};

} // namespace

TEST(MakeOrderInput, CustomerShopAndFiguresComeFromTheirRecords)
{
    const TSource s(QStringLiteral("_SHOP_=デモ写真館\n_TEL_=042-000-0000"));
    const TOrderInput input = MakeOrderInput(s.source);
    EXPECT_EQ(input.tables, &s.tables);
    EXPECT_EQ(input.customer.name, QStringLiteral("山田太郎"));
    EXPECT_EQ(input.customer.acount, QStringLiteral("4321"));
    EXPECT_EQ(input.shop.shopId, QStringLiteral("1234"));
    EXPECT_EQ(input.shop.name, QStringLiteral("デモ写真館"));
    EXPECT_EQ(input.shop.tel, QStringLiteral("042-000-0000"));
    EXPECT_EQ(input.shop.mail, QStringLiteral("order@demo-shop.example"));
    EXPECT_EQ(input.figures.records, s.order.records);
    EXPECT_EQ(input.figures.total, 87);
    EXPECT_EQ(input.figures.creditFee, 105); // both fees of a card payment
    EXPECT_EQ(input.figures.payment, ksiCredit);
    EXPECT_EQ(input.figures.delivery, hsoShop);
    EXPECT_EQ(input.workDir, QStringLiteral("/tmp/KorvaDPOF"));
}

TEST(MakeOrderInput, ProgramPartFollowsTheShop)
{
    TSource plain(QStringLiteral("_SHOP_=デモ写真館"));
    TOrderInput input = MakeOrderInput(plain.source);
    EXPECT_FALSE(input.programVersion.isEmpty());
    EXPECT_FALSE(input.askMachineId);
    EXPECT_TRUE(input.machineId.isEmpty());
    EXPECT_FALSE(input.indexSheets);

    const TSource indexed(QStringLiteral("CdrNdxType=1"));
    EXPECT_TRUE(MakeOrderInput(indexed.source).indexSheets);
}

} // namespace korvatel
