#include "pricing/discounts.h"
#include "pricing/pricing_fixture.h"

#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

const QDate kToday(2026, 12, 8);

struct TEngine {
    test::TShop shop;
    explicit TEngine(const QString &options)
        : shop(test::ShopDataOf(QStringLiteral(":>OPTION\n") + options + QStringLiteral("\n:>END")))
    {
    }
    TDiscountResult Run(int count, double amount, const QString &delivery = {}, int prefecture = 0,
        bool newRegistration = false, const QDate &today = kToday) const
    {
        return ApplyDiscounts(shop.rules, shop.terms, shop.tables, count, prefecture, delivery,
            newRegistration, amount, today);
    }
};

} // namespace

TEST(ApplyDiscounts, AmountStepsFromTheTop)
{
    const TEngine e(QStringLiteral(
        "UseValued=TRUE\nValuedType=dctDiscount\nValuedList=\"1000,50\",\"3000,200\""));
    EXPECT_EQ(e.Run(1, 999).valuedDiscount, 0);
    EXPECT_EQ(e.Run(1, 2999).valuedDiscount, 50);
    EXPECT_EQ(e.Run(1, 3000).valuedDiscount, 200);

    const TEngine percent(
        QStringLiteral("UseValued=TRUE\nValuedType=ﾊﾟｰｾﾝﾄ割引\nValuedList=\"0,10\""));
    EXPECT_EQ(percent.Run(1, 1234).valuedDiscount, 123);
    const TEngine points(QStringLiteral("UseNumed=TRUE\nNumedType=%ﾎﾟｲﾝﾄ加算\nNumedList=\"10,3\""));
    const TDiscountResult r = points.Run(10, 1234);
    EXPECT_EQ(r.numedPoints, 37); // the percentage base is the amount, also for the count rule
    EXPECT_EQ(r.numedDiscount, 0);
    EXPECT_EQ(points.Run(9, 1234).numedPoints, 0);
    const TEngine off(
        QStringLiteral("UseValued=FALSE\nValuedType=dctDiscount\nValuedList=\"0,50\""));
    EXPECT_EQ(off.Run(1, 5000).valuedDiscount, 0);
}

// Percentage discounts and points are the hand result for every whole amount and percentage:
// amount × percent ÷ 100, truncated.
TEST(ApplyDiscounts, PercentagesTruncateLikeHandArithmetic)
{
    for (int percent = 1; percent <= 30; ++percent) {
        const TEngine e(
            QStringLiteral("UseValued=TRUE\nValuedType=dctPerDiscount\nValuedList=\"0,%1\"\n"
                           "UseNumed=TRUE\nNumedType=dctPerPointAdd\nNumedList=\"0,%1\"")
                .arg(percent));
        for (int amount = 0; amount <= 2000; ++amount) {
            const TDiscountResult r = e.Run(1, amount);
            ASSERT_EQ(r.valuedDiscount, amount * percent / 100) << amount << " at " << percent;
            ASSERT_EQ(r.numedPoints, amount * percent / 100) << amount << " at " << percent;
        }
    }
}

TEST(ApplyDiscounts, CampaignCombineModes)
{
    const QString base
        = QStringLiteral("UseValued=TRUE\nValuedType=dctDiscount\nValuedList=\"0,100\"\n"
                         "UseCpnValued=TRUE\nCpnValuedType=dctPointAdd\nCpnValuedList=\"0,7\"\n"
                         "CpnDateSt=2026/12/01\nCpnDateEnd=2026/12/08\n");
    const TEngine add(base + QStringLiteral("CpnValuedAdd=常設と併用"));
    TDiscountResult r = add.Run(1, 500);
    EXPECT_EQ(r.valuedDiscount, 100);
    EXPECT_EQ(r.valuedPoints, 7);
    // After the period only the permanent rule applies.
    r = add.Run(1, 500, {}, 0, false, QDate(2026, 12, 9));
    EXPECT_EQ(r.valuedPoints, 0);
    EXPECT_EQ(r.valuedDiscount, 100);

    const TEngine only(base + QStringLiteral("CpnValuedAdd=dctOnly"));
    r = only.Run(1, 500);
    EXPECT_EQ(r.valuedDiscount, 0);
    EXPECT_EQ(r.valuedPoints, 7);

    // "中止" during the period switches off the campaign and the permanent rule.
    const TEngine stopped(base + QStringLiteral("CpnValuedAdd=中止"));
    r = stopped.Run(1, 500);
    EXPECT_EQ(r.valuedDiscount, 0);
    EXPECT_EQ(r.valuedPoints, 0);
    EXPECT_EQ(stopped.Run(1, 500, {}, 0, false, QDate(2026, 11, 30)).valuedDiscount, 100);

    // Without an end date the campaign is over.
    const TEngine noEnd(
        QStringLiteral("UseCpnValued=TRUE\nCpnValuedAdd=catAdd\nCpnValuedType=dctDiscount\n"
                       "CpnValuedList=\"0,5\"\nCpnDateSt=2026/12/01"));
    EXPECT_FALSE(noEnd.shop.rules.CampaignActive(kToday));
    EXPECT_EQ(noEnd.Run(1, 500).valuedDiscount, 0);
}

TEST(ApplyDiscounts, DeliveryReduction)
{
    const QString options = QStringLiteral("Mailbin=\"1,160\",\"31,240\"\nTakuhai=0=800\n"
                                           "UseSoryo=TRUE\nSoryoTgt=stgNum\nSoryoValue1=20\n"
                                           "SoryoNext=snxtAND\nSoryoValue2=1000\nSoryoMaxOff=%1");
    const TEngine mailCharge(options.arg(0));
    TDiscountResult r = mailCharge.Run(40, 2000, QStringLiteral("宅配便"), 13);
    EXPECT_TRUE(r.soryoReduced);
    EXPECT_EQ(r.deliveryCharge, 800);
    EXPECT_EQ(r.deliveryReduction, 240); // the mail-service charge for 40 prints
    r = mailCharge.Run(40, 999, QStringLiteral("宅配便"), 13);
    EXPECT_FALSE(r.soryoReduced); // the second condition fails
    EXPECT_EQ(r.deliveryReduction, 0);
    r = mailCharge.Run(40, 2000, QStringLiteral("ご来店"));
    EXPECT_EQ(r.deliveryCharge, 0);
    EXPECT_EQ(r.deliveryReduction, 0);

    const TEngine capped(options.arg(5000));
    r = capped.Run(25, 2000, QStringLiteral("メール便"));
    EXPECT_EQ(r.deliveryCharge, 160);
    EXPECT_EQ(r.deliveryReduction, 160); // never more than the charge

    const TEngine either(QStringLiteral("Mailbin=\"1,160\"\nUseSoryo=TRUE\nSoryoTgt=金額\n"
                                        "SoryoValue1=3000\nSoryoNext=または\nSoryoValue2=50"));
    EXPECT_TRUE(either.Run(50, 100, QStringLiteral("メール便")).soryoReduced);
    EXPECT_TRUE(either.Run(1, 3000, QStringLiteral("メール便")).soryoReduced);
    EXPECT_FALSE(either.Run(49, 2999, QStringLiteral("メール便")).soryoReduced);
    EXPECT_FALSE(either.Run(0, 0, QStringLiteral("メール便")).soryoReduced);
}

TEST(ApplyDiscounts, NewRegistrationService)
{
    const QString options
        = QStringLiteral(":>OPTION\nUseNewOrder=TRUE\nNewOrderMinType=nomNum\n"
                         "NewOrderMin=10\nNewOrderService=nosPrint\nNewOrderValue=5\n:>END\n"
                         ":>PRICES\nprcNet|L=25\nprcNet|L-DSC=%1\n:>END");
    auto run = [&](const QString &dsc, int count, bool registration) {
        const test::TShop shop(test::ShopDataOf(options.arg(dsc)));
        return ApplyDiscounts(
            shop.rules, shop.terms, shop.tables, count, 0, {}, registration, 500, kToday);
    };
    // The cheaper of L and L-DSC, truncated to whole yen. Two sizes at one price, or only one
    // size priced, still give the prints their price: valuing them at nothing would charge a
    // new customer for the prints the shop gives away.
    EXPECT_EQ(run(QStringLiteral("19.9"), 10, true).freePrintValue, 5 * 19);
    EXPECT_EQ(run(QStringLiteral("25"), 10, true).freePrintValue, 5 * 25);
    EXPECT_EQ(run(QStringLiteral("0"), 10, true).freePrintValue, 5 * 25);
    // Neither size priced: the prints are given, but there is no price to take off.
    const test::TShop unpriced(test::ShopDataOf(options.left(options.indexOf(":>PRICES"))));
    const TDiscountResult none = ApplyDiscounts(
        unpriced.rules, unpriced.terms, unpriced.tables, 10, 0, {}, true, 500, kToday);
    EXPECT_EQ(none.freePrints, 5);
    EXPECT_EQ(none.freePrintValue, 0);
    EXPECT_EQ(run(QStringLiteral("19"), 9, true).freePrints, 0);
    EXPECT_EQ(run(QStringLiteral("19"), 10, false).freePrints, 0);

    const test::TShop points(test::ShopDataOf(
        QStringLiteral(":>OPTION\nUseNewOrder=TRUE\nNewOrderMinType=無条件で\nNewOrderService="
                       "ﾎﾟｲﾝﾄ\nNewOrderValue=300\n:>END")));
    EXPECT_EQ(ApplyDiscounts(points.rules, points.terms, points.tables, 0, 0, {}, true, 0, kToday)
                  .newOrderPoints,
        300);
}

TEST(DiscountRules, EnumerationsByCodeOrDisplayName)
{
    EXPECT_EQ(DiscountTypeOf(QStringLiteral("DCTPERDISCOUNT")), dctPerDiscount);
    EXPECT_EQ(DiscountTypeOf(QStringLiteral("ﾎﾟｲﾝﾄ値加算")), dctPointAdd);
    EXPECT_EQ(DiscountTypeOf(QStringLiteral("nonsense")), dctUnknone);
    EXPECT_EQ(CampaignModeOf(QStringLiteral("ｷｬﾝﾍﾟｰﾝ優先")), dctOnly);
    EXPECT_EQ(SoryoNextOf(QStringLiteral("且つ")), snxtAND);
    EXPECT_EQ(NewOrderMinOf(QStringLiteral("金額が")), nomValue);
    EXPECT_EQ(NewOrderServiceOf(QStringLiteral("l か dsc")), nosPrint);
    EXPECT_EQ(DiscountTypeUnit(dctPerPointAdd), QStringLiteral("ﾎﾟｲﾝﾄ%"));

    TDiscountRules rules;
    rules.LoadDiscountRules(
        { QStringLiteral("CpnDateSt=2026/12/01"), QStringLiteral("CpnDateEnd=2026/12/31") });
    rules.LoadDiscountRules({ QStringLiteral("CpnDateSt="), QStringLiteral("MessList=a,\"b c\"") });
    EXPECT_EQ(rules.campaignStart, QDate(2026, 12, 1)); // an empty key keeps the date held
    EXPECT_EQ(rules.messages, QStringList({ "a", "b c" }));
}

TEST(DiscountRules, DescriptionsOfTheShopWindow)
{
    const test::TShop shop(TShopData::LoadContainer(test::ShopDataFile()).value());
    const QStringList lines = DiscountRuleLines(shop.rules, kToday);
    EXPECT_EQ(lines.mid(0, 8),
        QStringList({ "いつでも割引", "*合計額で(基本料除く)", "3,000円以上は 値引額100",
            "5,000円以上は 値引額300", "*枚数で", "50枚以上は ﾎﾟｲﾝﾄ10", "100枚以上は ﾎﾟｲﾝﾄ30",
            "*5,000円以上" }));
    EXPECT_TRUE(lines.contains(QStringLiteral("*送料･配達料からﾒｰﾙ便代分値引")));
    EXPECT_TRUE(lines.contains(QStringLiteral("年末キャンペーン")));
    EXPECT_TRUE(lines.contains(QStringLiteral("1,000円以上は 割引%5")));
    // After the period the campaign is no longer described.
    EXPECT_FALSE(DiscountRuleLines(shop.rules, QDate(2027, 1, 5))
                     .contains(QStringLiteral("年末キャンペーン")));
}

} // namespace korvatel
