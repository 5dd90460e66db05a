#include "platform/prompter.h"
#include "pricing/money.h"
#include "pricing/order_pricing.h"
#include "pricing/pricing_fixture.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

const QDate kToday(2026, 12, 8);

// A shop built from container text, with a pricing context over it.
struct TPricing {
    test::TShop shop;
    explicit TPricing(const TShopData &data)
        : shop(data)
    {
    }
    explicit TPricing(const QString &container)
        : shop(test::ShopDataOf(container))
    {
    }
    TPricingContext Context() const { return { shop.tables, shop.terms, shop.rules, kToday }; }
    TPricedOrder Price(const TPricingBasket &basket, const TPricingChoice &choice = {}) const
    {
        return PriceOrder(basket, Context(), choice);
    }
};

TPricing RealShop()
{
    return TPricing(TShopData::LoadContainer(test::ShopDataFile()).value());
}

TPricingBasket Prints(std::initializer_list<TPrintLine> lines)
{
    TPricingBasket basket;
    basket.prints = lines;
    return basket;
}

TPricingChoice Choice(int payment, int delivery, int prefecture = 0)
{
    TPricingChoice choice;
    choice.payment = payment;
    choice.delivery = delivery;
    choice.prefecture = prefecture;
    return choice;
}

} // namespace

TEST(PrintLines, TextFormsAndGrouping)
{
    EXPECT_EQ(PrintLineText({ QStringLiteral("L"), 19, 10 }), QStringLiteral("L;19.0000000=10"));
    const std::optional<TPrintLine> line = ParsePrintLine(QStringLiteral("2L-DSC;23.5000000=7"));
    ASSERT_TRUE(line);
    EXPECT_EQ(line->size, QStringLiteral("2L-DSC"));
    EXPECT_EQ(line->unitPrice, 23.5);
    EXPECT_EQ(line->count, 7);
    EXPECT_FALSE(ParsePrintLine(QStringLiteral("L=3")));
    EXPECT_FALSE(ParsePrintLine(QStringLiteral("L;19=-1")));
    EXPECT_FALSE(ParsePrintLine(QStringLiteral("L;19=1.5")));
    const TCampusLine campus { QStringLiteral("2026/運動会"), QStringLiteral("L"), 30, 4 };
    EXPECT_EQ(CampusLineText(campus), QStringLiteral("2026/運動会;;L;;30.0000000;;=4"));
    const std::optional<TCampusLine> back = ParseCampusLine(CampusLineText(campus));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->album, campus.album);
    EXPECT_EQ(back->count, 4);
    EXPECT_FALSE(ParseCampusLine(QStringLiteral("L;;30;;=4")));

    const TPricing real = RealShop();
    const QList<TBasketPhoto> photos = { { QStringLiteral("L"), 12, false },
        { QStringLiteral("2L"), 2, true }, { QStringLiteral("L"), 8, false },
        { QStringLiteral("L"), 3, true }, { QStringLiteral("2L"), 0, false } };
    const QList<TPrintLine> plain = MakePrintLines(photos, real.shop.tables, false);
    ASSERT_EQ(plain.size(), 3);
    EXPECT_EQ(PrintLineText(plain.at(0)), QStringLiteral("L;25.0000000=20"));
    EXPECT_EQ(PrintLineText(plain.at(1)), QStringLiteral("2L;90.0000000=2"));
    EXPECT_EQ(PrintLineText(plain.at(2)), QStringLiteral("L;27.0000000=3"));
    const QList<TPrintLine> withCd = MakePrintLines(photos, real.shop.tables, true);
    ASSERT_EQ(withCd.size(), 2);
    EXPECT_EQ(PrintLineText(withCd.at(0)), QStringLiteral("L;19.0000000=23"));
}

TEST(PriceOrder, CdDiscsByCapacityAndPictureLimit)
{
    const TPricing p(
        QStringLiteral(":>CDPRICE\ncdtNormal=700\ncdtNormal_EX=700,500\nLimitSize=500\n"
                       "LimitFile=4\n:>END\n:>TAX\n_TAX_PAR_=0\n:>END"));
    TPricingBasket basket;
    basket.cdPictures = 10;
    basket.cdBytes = qint64(1500) * 1048576;
    basket.cdKind = cdtNormal;
    TPricedOrder order = p.Price(basket);
    EXPECT_EQ(order.cdDiscs, 3);
    EXPECT_EQ(order.cdTotal, 1700);
    ASSERT_FALSE(order.rows.isEmpty());
    EXPECT_EQ(order.rows.first().label, QStringLiteral("CD-R(10画像/1500MB) 収容3枚"));
    EXPECT_TRUE(
        order.records.contains(QStringLiteral("Cd-r:(1) CD-R;Price:566.666666666667;Num:3;")));
    EXPECT_EQ(OrderSummaryText(order), QStringLiteral("1,700.00;ﾌﾟﾘﾝﾄ0.00 CD-R1,700.00"));

    // 12 pictures need a fourth disc; a kind without price gives no CD-R at all.
    basket.cdPictures = 13;
    EXPECT_EQ(p.Price(basket).cdDiscs, 4);
    basket.cdKind = cdtCopy;
    EXPECT_EQ(p.Price(basket).cdDiscs, 0);
}

TEST(PriceOrder, CdDiscCapacityDefaultsTo500MbAndZeroPriceOffersNoDisc)
{
    // Without LimitSize (or with it empty) one disc holds 500 MB: 1,500 MB need 3 discs.
    TPricingBasket basket;
    basket.cdPictures = 10;
    basket.cdBytes = qint64(1500) * 1048576;
    basket.cdKind = cdtNormal;
    for (const QString &limit : { QString(), QStringLiteral("LimitSize=\n") }) {
        const TPricing p(QStringLiteral(":>CDPRICE\ncdtNormal=700\n") + limit
            + QStringLiteral(":>END\n:>TAX\n_TAX_PAR_=0\n:>END"));
        EXPECT_EQ(p.Price(basket).cdDiscs, 3) << limit.toStdString();
        EXPECT_EQ(p.Price(basket).cdTotal, 2100);
    }

    // A single price of 0 or less is no tier: no free CD-R row, no Cd-r record.
    for (const QString &price : { QStringLiteral("0"), QStringLiteral("-100") }) {
        const TPricing p(QStringLiteral(":>CDPRICE\ncdtNormal=") + price
            + QStringLiteral("\nLimitSize=500\n:>END\n:>TAX\n_TAX_PAR_=0\n:>END"));
        const TPricedOrder order = p.Price(basket);
        EXPECT_EQ(order.cdDiscs, 0) << price.toStdString();
        for (const QString &record : order.records)
            EXPECT_FALSE(record.startsWith(QStringLiteral("Cd-r:"))) << record.toStdString();
    }
}

TEST(PriceOrder, TaxExclusiveAndInclusiveTotals)
{
    const QString shop = QStringLiteral(":>PRICES\nprcNet|L=%1\n:>END\n:>TAX\n_TAX_PAR_=0.05\n"
                                        "_TAX_I_ON_=%2\n_ROUNDING_=%3\n:>END");
    TPricedOrder order
        = TPricing(shop.arg(1001).arg("FALSE").arg(0)).Price(Prints({ { "L", 1001, 1 } }));
    EXPECT_EQ(order.subtotal, 1001);
    EXPECT_EQ(order.tax, 50);
    EXPECT_EQ(order.total, 1051);
    EXPECT_EQ(order.taxLabel, QStringLiteral("消費税(小計1,001 × 5%)"));
    EXPECT_EQ(order.totalLabel, QStringLiteral("合計(端数切捨)"));
    EXPECT_TRUE(order.records.contains(QStringLiteral("Tax:消費税;Price:50;Num:1;")));

    order = TPricing(shop.arg(1010).arg("FALSE").arg(1)).Price(Prints({ { "L", 101, 10 } }));
    EXPECT_EQ(order.tax, 51);
    EXPECT_EQ(order.total, 1061);
    EXPECT_EQ(order.totalLabel, QStringLiteral("合計(端数四捨五入)"));

    order = TPricing(shop.arg(1050).arg("TRUE").arg(0)).Price(Prints({ { "L", 1050, 1 } }));
    EXPECT_EQ(order.total, 1050);
    EXPECT_EQ(order.tax, 50);
    EXPECT_EQ(order.taxLabel, QStringLiteral("含まれている消費税(5%)"));
    EXPECT_TRUE(order.records.contains(QStringLiteral("Tax:消費税;Price:50;Num:1;")));

    // A contained tax with a fraction is recorded with two decimals.
    order = TPricing(shop.arg(1000).arg("TRUE").arg(0)).Price(Prints({ { "L", 1000, 1 } }));
    EXPECT_TRUE(order.records.contains(QStringLiteral("Tax:消費税;Price:47.62;Num:1;")));
    EXPECT_EQ(order.total, 1000);
}

// Card and convenience-store rate fees are the hand result, truncated to whole yen, for every
// remaining total up to 30,000 yen at common rates given in thousandths.
TEST(PriceOrder, RateFeesTruncateLikeHandArithmetic)
{
    for (int permille : { 29, 30, 35, 40, 50 }) {
        TShopTerms terms;
        terms.LoadShopTerms({ QStringLiteral("Kessais=クレジット"),
            QStringLiteral("CreditPerFee=0.%1").arg(permille, 3, 10, QLatin1Char('0')) });
        const TPriceTables tables;
        const TDiscountRules rules;
        const TPricingContext context { tables, terms, rules, kToday };
        TPricedOrder order;
        order.records = QStringList(8, QString());
        TPricingChoice choice;
        choice.payment = ksiCredit;
        for (int total = 0; total <= 30000; ++total) {
            order.total = total;
            ApplyPaymentStage(order, context, choice);
            ASSERT_EQ(order.rateFee, total * permille / 1000) << total << " at " << permille;
        }
    }
}

// With tax-inclusive prices the discounts are computed on the amounts net of the contained tax,
// unless the shop discounts on the inclusive amounts.
TEST(PriceOrder, TaxInclusiveDiscountBase)
{
    const QString shop = QStringLiteral(
        ":>OPTION\nUseValued=TRUE\nValuedType=dctPerDiscount\nValuedList=\"0,10\"\n"
        "UseNumed=TRUE\nNumedType=dctDiscount\nNumedList=\"20,30\"\n:>END\n"
        ":>KTPRICE\nMaxNum=0\nDefPrice=0\nAddPrice=21\n:>END\n"
        ":>TAX\n_TAX_PAR_=0.05\n_TAX_I_ON_=TRUE\n_ROUNDING_=2\n_INTAX_DISC_=%1\n:>END");
    TPricingBasket basket = Prints({ { "L", 31.5, 20 }, { "2L", 105, 4 } }); // 630 + 420
    basket.phoneImages = 2; // no base fee, 2 × 21 extra
    TPricedOrder order = TPricing(shop.arg("FALSE")).Price(basket);
    EXPECT_EQ(order.discountTotal, 104 + 30); // 10 % of 1,092 ÷ 1.05 = 1,040, and the count step
    EXPECT_EQ(order.subtotal, 1092 - 134);
    EXPECT_EQ(order.total, 958);
    EXPECT_EQ(order.tax, SnapMoney(958 * 0.05 / 1.05));
    EXPECT_TRUE(order.records.contains(QStringLiteral("Tax:消費税;Price:45.62;Num:1;")));
    EXPECT_TRUE(order.records.contains(QStringLiteral("Ktai:(3) 携帯画像;Price:21;Num:2;")));
    EXPECT_FALSE(order.records.join(u'|').contains(QStringLiteral("携帯基本料")));

    order = TPricing(shop.arg("TRUE")).Price(basket);
    EXPECT_EQ(order.discountTotal, 109 + 30); // 10 % of 1,092 itself
    EXPECT_EQ(order.total, 1092 - 139);
}

TEST(PriceOrder, OrderButtonCaptionAndState)
{
    const TPricing p(QStringLiteral(":>PRICES\nprcNet|L=0\nprcNet|2L=80\n:>END"));
    TPricedOrder order = p.Price(Prints({ { "L", 0, 5 } }));
    EXPECT_EQ(order.buttonCaption, QStringLiteral("価格未定"));
    EXPECT_FALSE(order.buttonEnabled);
    order = p.Price({});
    EXPECT_EQ(order.buttonCaption, QStringLiteral("注文なし"));
    EXPECT_FALSE(order.buttonEnabled);

    TPricingChoice choice;
    choice.pointsShown = true;
    choice.pointsAvailable = 50;
    choice.pointsUsed = 60;
    order = p.Price(Prints({ { "2L", 80, 1 } }), choice);
    EXPECT_EQ(order.buttonCaption, QStringLiteral("注文する"));
    EXPECT_FALSE(order.buttonEnabled); // more points used than available
    choice.pointsUsed = 50;
    order = p.Price(Prints({ { "2L", 80, 1 } }), choice);
    EXPECT_TRUE(order.buttonEnabled);
    EXPECT_EQ(order.remaining, order.total - 50);
    EXPECT_TRUE(order.records.contains(QStringLiteral("Point:使用ﾎﾟｲﾝﾄ;Price:1;Num:-50;")));

    // More points than the order costs (84 yen) would turn the payment negative.
    choice.pointsAvailable = 500;
    choice.pointsUsed = 85;
    EXPECT_FALSE(p.Price(Prints({ { "2L", 80, 1 } }), choice).buttonEnabled);
    choice.pointsUsed = 84;
    EXPECT_TRUE(p.Price(Prints({ { "2L", 80, 1 } }), choice).buttonEnabled);
}

TEST(PriceOrder, CampusNotes)
{
    const TPricing p(QStringLiteral(
        ":>OPTION\nUseValued=TRUE\nValuedType=dctDiscount\nValuedList=\"100,50\"\n:>END\n"
        ":>TAX\n_TAX_PAR_=0\n:>END"));
    TPricingBasket basket = Prints({ { "L", 30, 4 } });
    basket.campus = { { QStringLiteral("運動会"), QStringLiteral("L"), 30, 4 } };
    TPricedOrder order = p.Price(basket);
    EXPECT_TRUE(order.campusNoteShown);
    EXPECT_EQ(
        order.campusNote, QStringLiteral("!! Lumora のみのご注文には､各種値引は適用しません。"));
    EXPECT_EQ(order.discountTotal, 0); // the campus prints are not discounted
    EXPECT_EQ(order.campusAlbumCounts.value(QStringLiteral("運動会")), 4);

    basket.prints.append({ QStringLiteral("L"), 25, 10 });
    order = p.Price(basket);
    EXPECT_EQ(order.campusNote,
        QStringLiteral("!! 各種値引は Lumora ご注文分､4枚 \\120 を除いた計算となります。"));
    EXPECT_EQ(order.discountTotal, 50); // 250 of own prints reach the 100 step
    EXPECT_EQ(order.total, 370 - 50);

    // No benefit on the whole order: no note.
    basket.prints = { { QStringLiteral("L"), 10, 4 } };
    basket.campus = { { QStringLiteral("運動会"), QStringLiteral("L"), 10, 4 } };
    EXPECT_FALSE(p.Price(basket).campusNoteShown);
}

TEST(PriceOrder, RealShopMailOrderPaidByCard)
{
    const TPricing p = RealShop();
    const TPricingBasket basket = Prints(
        { { "W6切", 600, 1 }, { "L", 25, 30 }, { "2L", 80, 5 } }); // sorted into size order
    const TPricedOrder order = p.Price(basket, Choice(ksiCredit, hsoMailbin));
    EXPECT_EQ(order.printsTotal, 1750);
    EXPECT_EQ(order.basicFee, 100);
    EXPECT_EQ(order.deliveryFee, 240);
    EXPECT_EQ(order.discountTotal, 87); // the campaign's 5 % of 1,750, truncated
    EXPECT_EQ(order.subtotal, 2003);
    EXPECT_EQ(order.tax, 100);
    EXPECT_EQ(order.total, 2103);
    EXPECT_EQ(order.rateFee, 73);
    EXPECT_EQ(order.fixedFee, 0);
    EXPECT_EQ(order.feeLabel, QStringLiteral("ｸﾚｼﾞｯﾄ手数料(3.5%)"));
    EXPECT_EQ(order.grandTotal, 2176);
    EXPECT_TRUE(order.buttonEnabled);
    EXPECT_EQ(order.records,
        QStringList({ "<Memo>決済 : クレジット(ksiCredit)", "<Memo>配送 : メール便(hsoMailbin)", "",
            "Fee:基本料;Price:100;Num:1;", "Size:(1) L;Price:25;Num:30;",
            "Size:(2) 2L;Price:80;Num:5;", "Size:(3) W6切;Price:600;Num:1;",
            "Soryo:送料;Price:240;Num:1;", "Disc:値引;Price:-87;Num:1;",
            "Tax:消費税;Price:100;Num:1;", "Point:使用ﾎﾟｲﾝﾄ;Price:1;Num:0;",
            "CrdtFee:ｸﾚｼﾞｯﾄ手数料(3.5%);Price:73;Num:1;", "CmbnFee:ｺﾝﾋﾞﾆ手数料;Price:0;Num:0;",
            "Daibiki:代引手数料;Price:0;Num:1;" }));
    EXPECT_EQ(OrderSummaryText(order), QStringLiteral("1,750.00;ﾌﾟﾘﾝﾄ1,750.00"));
}

TEST(PriceOrder, RealShopCdOrderCashOnDeliveryWithPoints)
{
    const TPricing p = RealShop();
    TPricingBasket basket;
    basket.prints
        = MakePrintLines({ { QStringLiteral("L"), 12, false }, { QStringLiteral("2L"), 2, false },
                             { QStringLiteral("L"), 8, true } },
            p.shop.tables, true);
    basket.cdPictures = 10;
    basket.cdBytes = 30 * 1048576;
    basket.cdKind = cdtJustify;
    basket.phoneImages = 3;
    TPricingChoice choice = Choice(ksiDaibiki, hsoTakuhaibin, 47);
    choice.pointsShown = true;
    choice.pointsAvailable = 500;
    choice.pointsUsed = 100;
    const TPricedOrder order = p.Price(basket, choice);
    EXPECT_EQ(order.basicFee, 0); // the fee applies only without a CD-R
    EXPECT_EQ(order.cdTotal, 700);
    EXPECT_EQ(order.phoneBase, 100);
    EXPECT_EQ(order.phoneExtra, 50);
    EXPECT_EQ(order.deliveryFee, 1500);
    EXPECT_EQ(order.discountTotal, 68);
    EXPECT_EQ(order.subtotal, 2802);
    EXPECT_EQ(order.tax, 140);
    EXPECT_EQ(order.total, 2942);
    EXPECT_EQ(order.cashOnDeliveryFee, 315);
    EXPECT_EQ(order.grandTotal, 2942 - 100 + 315);
    EXPECT_EQ(order.records,
        QStringList({ "<Memo>決済 : 宅配便代引(ksiDaibiki)", "<Memo>配送 : 宅配便(hsoTakuhaibin)",
            "", "Size:(1) L;Price:19;Num:20;", "Size:(2) 2L;Price:70;Num:2;",
            "Cd-r:(3) CD-R;Price:700;Num:1;", "Ktai:(4) 携帯基本料(2画像含);Price:100;Num:1;",
            "Ktai:(5) 携帯画像;Price:50;Num:1;", "Soryo:送料;Price:1500;Num:1;",
            "Disc:値引;Price:-68;Num:1;", "Tax:消費税;Price:140;Num:1;",
            "Point:使用ﾎﾟｲﾝﾄ;Price:1;Num:-100;", "CrdtFee:ｸﾚｼﾞｯﾄ手数料;Price:0;Num:0;",
            "CmbnFee:ｺﾝﾋﾞﾆ手数料;Price:0;Num:0;", "Daibiki:代引手数料;Price:315;Num:1;" }));
    EXPECT_EQ(OrderSummaryText(order), QStringLiteral("1,220.00;ﾌﾟﾘﾝﾄ520.00 CD-R700.00"));
}

TEST(PriceOrder, IndexSheetsAreListedButFree)
{
    const TPricing p = RealShop();
    TPricingBasket basket;
    basket.prints = MakePrintLines({ { QStringLiteral("L"), 12, false } }, p.shop.tables, true);
    basket.cdPictures = 31;
    basket.cdBytes = 90 * 1048576;
    const TPricingChoice choice = Choice(ksiFurikomi, hsoTakuhaibin, 13);
    const TPricedOrder without = p.Price(basket, choice);
    basket.indexSheets = 2;
    basket.indexSize = QStringLiteral("L");
    const TPricedOrder with = p.Price(basket, choice);

    const auto index = std::find_if(with.rows.begin(), with.rows.end(),
        [](const TStatementRow &row) { return row.kind == TStatementRow::srIndex; });
    ASSERT_NE(index, with.rows.end());
    EXPECT_EQ(index->count, 2);
    EXPECT_EQ(index->amount, 0);
    // Right after the CD-R; nothing else of the order changes: no charge, no extra prints for
    // the count discounts and delivery, the same records.
    EXPECT_EQ((index - 1)->kind, TStatementRow::srCd);
    EXPECT_EQ(with.printCount, without.printCount);
    EXPECT_EQ(with.deliveryFee, without.deliveryFee);
    EXPECT_EQ(with.total, without.total);
    EXPECT_EQ(with.records, without.records);

    // Without CD-R pictures there are no sheets to list.
    basket.cdPictures = 0;
    const TPricedOrder noCd = p.Price(basket, choice);
    EXPECT_EQ(noCd.indexSheets, 0);
    EXPECT_TRUE(std::none_of(noCd.rows.begin(), noCd.rows.end(),
        [](const TStatementRow &row) { return row.kind == TStatementRow::srIndex; }));
}

TEST(PriceOrder, RealShopLargeOrderWithDeliveryReductionRoundsHalfUp)
{
    const TPricing p = RealShop();
    const TPricedOrder order
        = p.Price(Prints({ { "W4切", 900, 6 } }), Choice(ksiTentoo, hsoMailbin));
    EXPECT_EQ(order.deliveryFee, 160);
    EXPECT_EQ(order.discounts.deliveryReduction, 160);
    EXPECT_EQ(order.discountTotal, 300 + 270);
    EXPECT_EQ(order.subtotal, 4930);
    EXPECT_EQ(order.tax, 247); // 246.5 rounds up
    EXPECT_EQ(order.total, 5177);
    EXPECT_EQ(order.grandTotal, 5177);
    EXPECT_TRUE(order.records.contains(QStringLiteral("Soryo:送料値引;Price:-160;Num:1;")));
    EXPECT_TRUE(order.records.contains(QStringLiteral("Disc:値引;Price:-570;Num:1;")));
    EXPECT_EQ(order.records.first(), QStringLiteral("<Memo>決済 : ご来店にて(ksiTentoo)"));
}

TEST(PriceOrder, OwnDeliveryButtonOnlyInsideTheArea)
{
    const TPricing p = RealShop();
    TPricingChoice choice = Choice(ksiTentoo, hsoJihai);
    choice.address = QStringLiteral("東京都八王子市元本郷町3-24-1");
    TPricedOrder order = p.Price(Prints({ { "L", 25, 10 } }), choice);
    EXPECT_TRUE(order.buttonVisible);
    EXPECT_EQ(order.deliveryFee, 300);
    ASSERT_GE(order.rows.size(), 2);
    EXPECT_EQ(order.rows.at(2).label, QStringLiteral("配達料"));
    choice.address = QStringLiteral("東京都立川市");
    EXPECT_FALSE(p.Price(Prints({ { "L", 25, 10 } }), choice).buttonVisible);
}

TEST(ConfirmOrder, PrefectureQuestionAndComment)
{
    const TPricing p = RealShop();
    const TPricingChoice choice = Choice(ksiCredit, hsoTakuhaibin, 0);
    const TPricedOrder order = p.Price(Prints({ { "L", 25, 10 } }), choice);

    TOrderConfirmation confirmation;
    confirmation.prefectureShown = true;
    TScriptedPrompter missing;
    EXPECT_FALSE(ConfirmOrder(missing, order, p.Context(), choice, confirmation));
    EXPECT_EQ(
        missing.Texts(), QStringList({ "県名が指定されていません。宅配便の場合は必須です。" }));

    confirmation.prefectureText = QStringLiteral("東京都");
    confirmation.comment = QStringLiteral("  急ぎでお願いします。\r\n光沢仕上げで \n");
    TScriptedPrompter no({ TModalResult::mrNo });
    EXPECT_FALSE(ConfirmOrder(no, order, p.Context(), choice, confirmation));
    EXPECT_EQ(no.Texts(),
        QStringList(
            { "以下の指定でよろしいですか？\r\n\r\n決済方法 : クレジット\r\n受取方法 : 宅配便" }));

    TScriptedPrompter yes({ TModalResult::mrYes });
    const std::optional<TConfirmedOrder> done
        = ConfirmOrder(yes, order, p.Context(), choice, confirmation);
    ASSERT_TRUE(done);
    EXPECT_EQ(yes.Unexpected(), 0);
    EXPECT_EQ(done->prefecture, QStringLiteral("東京都"));
    EXPECT_EQ(done->delivery, QStringLiteral("宅配便"));
    EXPECT_EQ(done->records.mid(0, 5),
        QStringList({ "<Memo>決済 : クレジット(ksiCredit)", "<Memo>配送 : 宅配便(hsoTakuhaibin)",
            "<Msg>急ぎでお願いします。", "<Msg>光沢仕上げで", "" }));
}

TEST(ConfirmOrder, SingleChoiceShopAsksNothing)
{
    const TPricing p(QStringLiteral(":>OPTION\nKessais=ご来店にて\nHaisoos=ご来店\n:>END"));
    const TPricingChoice choice = Choice(ksiTentoo, hsoShop);
    const TPricedOrder order = p.Price(Prints({ { "L", 19, 1 } }), choice);
    TScriptedPrompter prompter;
    const std::optional<TConfirmedOrder> done
        = ConfirmOrder(prompter, order, p.Context(), choice, {});
    ASSERT_TRUE(done);
    EXPECT_TRUE(prompter.Shown().isEmpty());
    EXPECT_EQ(done->records, order.records);
}

} // namespace korvatel
