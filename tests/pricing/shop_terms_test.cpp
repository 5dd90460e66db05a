#include "pricing/pricing_fixture.h"
#include "pricing/shop_terms.h"

#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

TShopTerms TermsOf(const QString &options)
{
    TShopTerms terms;
    terms.LoadShopTerms(SplitLines(options));
    return terms;
}

} // namespace

TEST(TShopTerms, OfferedKindsAreTheNamedOnes)
{
    const TShopTerms terms = TermsOf(QStringLiteral("Kessais=クレジット,ご来店にて\n"
                                                    "Haisoos=速達メール便,hsoTakuhaibin"));
    EXPECT_EQ(terms.PaymentKinds(), QList<int>({ ksiCredit, ksiTentoo }));
    // Express mail does not also offer ordinary mail.
    EXPECT_EQ(terms.DeliveryKinds(), QList<int>({ hsoMailbinFast, hsoTakuhaibin }));
    EXPECT_EQ(PaymentSetText(terms.Payments(), true), QStringLiteral("ｸﾚｼﾞｯﾄ,来店"));
    EXPECT_EQ(PaymentSetText(terms.Payments(), false), QStringLiteral("クレジット,ご来店にて"));
    EXPECT_EQ(PaymentSetOf(QStringLiteral("コンビニ決済")), 1u << ksiCombini);
    EXPECT_EQ(DeliverySetOf(QStringLiteral("メール便,速達メール便")),
        (1u << hsoMailbin) | (1u << hsoMailbinFast));
}

TEST(TShopTerms, KindNamesAreReadInEveryForm)
{
    EXPECT_EQ(PaymentKindOf(QStringLiteral("ｸﾚｼﾞｯﾄ")), ksiCredit);
    EXPECT_EQ(PaymentKindOf(QStringLiteral("KSICOMBINI")), ksiCombini);
    EXPECT_EQ(PaymentKindOf(QStringLiteral("コンビニ")), ksiCombini);
    EXPECT_EQ(PaymentKindOf(QStringLiteral("代引で")), ksiDaibiki);
    EXPECT_EQ(PaymentKindOf(QStringLiteral("何か")), ksiTentoo);
    EXPECT_EQ(DeliveryKindOf(QStringLiteral("速達ﾒｰﾙ便")), hsoMailbinFast);
    EXPECT_EQ(DeliveryKindOf(QStringLiteral("速達メール便でお願い")), hsoMailbinFast);
    EXPECT_EQ(DeliveryKindOf(QStringLiteral("campus")), hsoCumpus);
    EXPECT_EQ(DeliveryKindOf(QStringLiteral("配達")), hsoJihai);
    EXPECT_EQ(DeliveryKindOf(QStringLiteral("徒歩")), hsoShop);
    EXPECT_EQ(DeliveryKindOf(QString()), hsoShop);
    EXPECT_EQ(PrefectureName(13), QStringLiteral("東京都"));
    EXPECT_EQ(PrefectureNumber(QStringLiteral("沖縄県")), 47);
    EXPECT_EQ(PrefectureNumber(QStringLiteral("神奈川")), 14);
    EXPECT_EQ(PrefectureNumber(QStringLiteral("京都")), 26);
    EXPECT_EQ(PrefectureNumber(QStringLiteral("火星")), 0);
}

TEST(TShopTerms, StepTables)
{
    const TShopTerms terms = TermsOf(QStringLiteral("Mailbin=\"1,160\",\"31,240\",\"101,400\"\n"
                                                    "MailbinFast=1,360,31,440\n"
                                                    "Takuhai=0=800,47=1500\n"
                                                    "Jihai=\"1,300\",\"3000,0\"\n"
                                                    "Daibiki=\"0,315\",\"10000,420\"\n"
                                                    "Credit=\"0,0\",\"20000,100\"\n"
                                                    "CreditPerFee=0.035\n"
                                                    "Combini=\"0,105\",\"x,210\"\n"));
    EXPECT_EQ(terms.MailCharge(0), 0);
    EXPECT_EQ(terms.MailCharge(1), 160);
    EXPECT_EQ(terms.MailCharge(30), 160);
    EXPECT_EQ(terms.MailCharge(31), 240);
    EXPECT_EQ(terms.MailCharge(500), 400);
    EXPECT_EQ(terms.FastMailCharge(31), 440); // a flat list of pairs reads the same
    EXPECT_EQ(terms.HomeDeliveryCharge(47), 1500);
    EXPECT_EQ(terms.HomeDeliveryCharge(13), 800);
    EXPECT_EQ(terms.HomeDeliveryCharge(0), 800);
    EXPECT_EQ(terms.OwnDeliveryCharge(0), 0);
    EXPECT_EQ(terms.OwnDeliveryCharge(2999), 300);
    EXPECT_EQ(terms.OwnDeliveryCharge(3000), 0);
    EXPECT_EQ(terms.CashOnDeliveryFee(9999), 315);
    EXPECT_EQ(terms.CashOnDeliveryFee(10000), 420);
    EXPECT_EQ(terms.CardFixedFee(25000), 100);
    EXPECT_DOUBLE_EQ(terms.CardRateFee(1000), 35);
    // A malformed threshold reads as 0, so that step covers everything from 0.
    EXPECT_EQ(terms.CombiniFixedFee(5), 210);
    EXPECT_EQ(terms.CombiniRateFee(1000), 0);
}

TEST(TShopTerms, OwnDeliveryArea)
{
    // The area names use the variant form of 都 (CP932 FBB7); the address the common one.
    const QString variantTo = QString(QChar(0xFA26));
    const TShopTerms terms = TermsOf(QStringLiteral("JihaiGlobalArea=東京%1八王子市,東京都日野市\n"
                                                    "JihaiNotArea=高尾町\n")
                                         .arg(variantTo));
    EXPECT_TRUE(terms.InOwnDeliveryArea(QStringLiteral("東京都八王子市元本郷町3-24-1")));
    EXPECT_TRUE(terms.InOwnDeliveryArea(QStringLiteral("東京%1日野市神明1-12").arg(variantTo)));
    EXPECT_FALSE(terms.InOwnDeliveryArea(QStringLiteral("東京都八王子市高尾町1")));
    EXPECT_FALSE(terms.InOwnDeliveryArea(QStringLiteral("神奈川県相模原市")));
    EXPECT_FALSE(terms.InOwnDeliveryArea(QString()));

    const TShopTerms andArea
        = TermsOf(QStringLiteral("JihaiGlobalArea=東京都\nJihaiAndArea=八王子市,町田市"));
    EXPECT_TRUE(andArea.InOwnDeliveryArea(QStringLiteral("東京都町田市中町")));
    EXPECT_FALSE(andArea.InOwnDeliveryArea(QStringLiteral("東京都新宿区")));
    EXPECT_FALSE(TShopTerms().InOwnDeliveryArea(QStringLiteral("東京都")));
}

TEST(TShopTerms, NamesNoticesAndInformationPanel)
{
    TShopTerms terms
        = TermsOf(QStringLiteral("JifuriAriasNameLong=口座振替\nUseCommentTop=FALSE\n"
                                 "TopComments=a,b\nBtmComments=c\nUseCommentBtm=TRUE"));
    EXPECT_EQ(terms.PaymentDisplayName(ksiJifuri), QStringLiteral("口座振替"));
    EXPECT_EQ(terms.PaymentDisplayName(ksiCredit), QStringLiteral("クレジット"));
    EXPECT_TRUE(terms.TopComments().isEmpty());
    EXPECT_EQ(terms.BottomComments(), QStringList({ "c" }));
    EXPECT_TRUE(terms.TokushoStrings().value(0).startsWith(
        QStringLiteral("■商品に汚れ・破損があった場合")));
    terms = TermsOf(QStringLiteral("CustomTokushoUse=TRUE\nCustomTokushoStrings=x,y"));
    EXPECT_EQ(terms.TokushoStrings(), QStringList({ "x", "y" }));
    terms = TermsOf(
        QStringLiteral("CustomTokushoUse=TRUE\nCustomTokushoStrings=x\nTokushoStrings=z"));
    EXPECT_EQ(terms.TokushoStrings(), QStringList({ "z" }));

    const test::TShop shop(TShopData::LoadContainer(test::ShopDataFile()).value());
    const QStringList lines = ShopInformationLines(shop.terms, shop.tables);
    for (const char16_t *expected :
        { u"【ｸﾚｼﾞｯﾄ手数料】", u"一律 \\0", u"20,000円以上の注文 \\100", u"料率 +3.5%",
            u"【ｺﾝﾋﾞﾆ手数料】", u"料率設定 なし", u"【代引手数料】", u"10,000円以上 \\420",
            u"・送料一覧", u"【メール便】", u"基底料金 \\160", u"31枚以上 \\240", u"【宅配便】",
            u"他全国 \\800", u"沖縄県 \\1500", u"自社配達(料金参照)", u"*住所の先頭が該当する",
            u"*以下の地名は含まない", u"※手数料を除き税抜きです。",
            u"消費税 5％ を加算いたします。", u"※合計金額の円未満は四捨五入します。",
            u"CD-R(同ﾌﾟﾘ) \\700", u"CD-R(同ﾌﾟﾘ) 2枚目以降 \\500", u"500M" }) {
        EXPECT_TRUE(lines.contains(QString::fromUtf16(expected)))
            << QString::fromUtf16(expected).toStdString();
    }
}

} // namespace korvatel
