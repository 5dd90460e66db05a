#include "platform/prompter.h"
#include "pricing/pricing_fixture.h"
#include "pricing/ui/order_info_form.h"
#include "support/keyboard_check.h"

#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

struct TFormShop {
    test::TShop shop { TShopData::LoadContainer(test::ShopDataFile()).value() };
    TPricingContext Context() const
    {
        return { shop.tables, shop.terms, shop.rules, QDate(2026, 12, 8) };
    }
};

TPricingBasket Basket(std::initializer_list<TPrintLine> lines)
{
    TPricingBasket basket;
    basket.prints = lines;
    return basket;
}

void Choose(QComboBox *box, const QString &text)
{
    const int index = box->findText(text);
    ASSERT_GE(index, 0) << text.toStdString();
    box->setCurrentIndex(index);
}

} // namespace

TEST(TOrderInfoForm, HomeDeliveryNeedsPrefectureThenConfirmsWithComment)
{
    const TFormShop shop;
    TScriptedPrompter prompter({ TModalResult::mrYes });
    TOrderInfoForm form(Basket({ { "L", 25, 30 }, { "2L", 80, 5 } }), shop.Context(), prompter);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

    EXPECT_EQ(form.cbxPayment()->currentText(), QStringLiteral("クレジット"));
    EXPECT_EQ(form.cbxDelivery()->currentText(), QStringLiteral("メール便"));
    EXPECT_TRUE(form.cbxPref()->isHidden());
    EXPECT_TRUE(form.edPoint()->isHidden());
    const QStringList lines = form.StatementLines();
    EXPECT_EQ(lines.value(0), QStringLiteral("L 25 × 30 ＝ 750"));
    EXPECT_EQ(lines.value(1), QStringLiteral("2L 80 × 5 ＝ 400"));
    EXPECT_TRUE(lines.contains(QStringLiteral("送料 240")));
    // The yen sign that the shop's texts write as "\\" is drawn as a yen sign.
    EXPECT_FALSE(lines.join(QString()).contains(u'\\'));
    EXPECT_TRUE(lines.join(QString()).contains(u'\u00A5'));
    EXPECT_TRUE(form.btnOrder()->isEnabled());
    EXPECT_EQ(form.btnOrder()->text(), QStringLiteral("注文する"));

    Choose(form.cbxDelivery(), QStringLiteral("宅配便"));
    EXPECT_FALSE(form.cbxPref()->isHidden());
    QTest::mouseClick(form.btnOrder(), Qt::LeftButton);
    EXPECT_EQ(
        prompter.Texts(), QStringList({ "県名が指定されていません。宅配便の場合は必須です。" }));
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(form.Confirmed());

    Choose(form.cbxPref(), QStringLiteral("東京都"));
    EXPECT_EQ(form.Order().deliveryFee, 700);
    // The rebuilt statement is shown, not only made.
    EXPECT_TRUE(form.StatementLines().contains(QStringLiteral("送料 700")));
    EXPECT_EQ(form.StatementLines().value(0), QStringLiteral("L 25 × 30 ＝ 750"));
    form.mmComment()->insertPlainText(QStringLiteral("光沢仕上げで"));
    QTest::mouseClick(form.btnOrder(), Qt::LeftButton);
    ASSERT_EQ(prompter.Shown().size(), 2);
    EXPECT_EQ(prompter.Shown().at(1).text,
        QStringLiteral(
            "以下の指定でよろしいですか？\r\n\r\n決済方法 : クレジット\r\n受取方法 : 宅配便"));
    EXPECT_EQ(form.result(), QDialog::Accepted);
    ASSERT_TRUE(form.Confirmed());
    EXPECT_EQ(form.Confirmed()->prefecture, QStringLiteral("東京都"));
    EXPECT_EQ(form.Confirmed()->records.value(2), QStringLiteral("<Msg>光沢仕上げで"));
}

TEST(TOrderInfoForm, TheCdsIndexSheetsAreListedFree)
{
    const TFormShop shop;
    TScriptedPrompter prompter;
    TPricingBasket basket = Basket({ { "L", 25, 2 } });
    basket.cdPictures = 31;
    basket.cdBytes = 31 * 1048576;
    basket.indexSheets = 2;
    basket.indexSize = QStringLiteral("2L");
    TOrderInfoForm form(basket, shop.Context(), prompter);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const QStringList index = form.StatementLines().filter(QStringLiteral("CD-Rインデックス(2L)"));
    ASSERT_EQ(index.size(), 1);
    EXPECT_TRUE(index.first().contains(QStringLiteral("無料")));
    EXPECT_TRUE(index.first().contains(QStringLiteral("2 ＝")));
}

TEST(TOrderInfoForm, PaymentStageFollowsPaymentAndPoints)
{
    const TFormShop shop;
    TScriptedPrompter prompter({ TModalResult::mrNo });
    TOrderInfoForm form(Basket({ { "L-DSC", 23.5, 3 } }), shop.Context(), prompter);
    form.SetCustomer(QStringLiteral("東京都八王子市"), 13, 50);
    form.show();

    // 70.5 yen: the whole yen and the two figures after them in their own label.
    EXPECT_EQ(form.StatementLines().value(0), QStringLiteral("L-DSC 23.50 × 3 ＝ 70 50"));
    EXPECT_FALSE(form.edPoint()->isHidden());
    EXPECT_FALSE(form.lbFee()->isHidden());

    Choose(form.cbxPayment(), QStringLiteral("宅配便代引"));
    EXPECT_TRUE(form.lbFee()->isHidden());
    EXPECT_EQ(form.Order().cashOnDeliveryFee, 315);
    form.edPoint()->setValue(30);
    EXPECT_EQ(form.Order().pointsUsed, 30);
    EXPECT_EQ(form.Order().grandTotal, form.Order().total - 30 + 315);
    EXPECT_EQ(form.lbGrandTotal()->text(),
        QStringLiteral("お支払い合計 ¥%1").arg(form.Order().grandTotal, 0, 'f', 0));
    EXPECT_TRUE(form.Order().records.contains(QStringLiteral("Point:使用ﾎﾟｲﾝﾄ;Price:1;Num:-30;")));

    // "No" keeps the window open.
    QTest::mouseClick(form.btnOrder(), Qt::LeftButton);
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(form.Confirmed());
}

TEST(TOrderInfoForm, UnpricedOrderCannotBePlaced)
{
    const TFormShop shop;
    TScriptedPrompter prompter;
    TOrderInfoForm form(Basket({ { "はがき", 0, 2 } }), shop.Context(), prompter);
    form.show();
    EXPECT_EQ(form.btnOrder()->text(), QStringLiteral("価格未定"));
    EXPECT_FALSE(form.btnOrder()->isEnabled());

    // Own delivery outside the area hides the button.
    form.SetCustomer(QStringLiteral("大阪府大阪市"), 27, 0);
    Choose(form.cbxDelivery(), QStringLiteral("区域配達"));
    EXPECT_TRUE(form.btnOrder()->isHidden());
    EXPECT_TRUE(prompter.Shown().isEmpty());
}

TEST(TOrderInfoForm, WorksFromTheKeyboard)
{
    const TFormShop shop;
    TScriptedPrompter prompter({ TModalResult::mrYes });
    TOrderInfoForm form(Basket({ { "L", 25, 30 } }), shop.Context(), prompter);
    test::ExpectKeyboardWorkable(form);
}

} // namespace korvatel
