#include "pricing/ui/shop_info_page.h"
#include "pricing_fixture.h"
#include "workspace/shop_options.h"

#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

namespace korvatel
{

TEST(TShopInfoPage, ShowsTheShopItsTermsFeesAndNotice)
{
    TShopOptions options;
    options.Shop = QStringLiteral("コルバ写真館");
    options.Address = QStringLiteral("東京都港区1-2-3");
    options.Message = QStringLiteral("毎週水曜定休");
    const test::TShop shop(TShopData::LoadContainer(test::ShopDataFile()).value());
    TShopInfoPage page(options, shop.tables);
    EXPECT_EQ(page.objectName(), QStringLiteral("pnShop"));
    const QString text = page.PageText();
    EXPECT_TRUE(text.startsWith(QStringLiteral("コルバ写真館\n東京都港区1-2-3\n毎週水曜定休")));
    for (const char16_t *expected : { u"■お支払い方法", u"■お届け方法", u"【ｸﾚｼﾞｯﾄ手数料】",
             u"20,000円以上の注文 \\100", u"【宅配便】", u"■特定商取引法に基づく表記" })
        EXPECT_TRUE(text.contains(QString::fromUtf16(expected)))
            << QString::fromUtf16(expected).toStdString();
    // The shop's text comes from its server: never rich text with live links.
    for (const QLabel *label : page.findChildren<QLabel *>()) {
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
        EXPECT_FALSE(label->openExternalLinks());
    }
    // The texts are laid out into the scroll area when the page is first shown.
    EXPECT_EQ(page.widget(), nullptr);
    page.resize(400, 300);
    page.show();
    ASSERT_NE(page.widget(), nullptr);
    const QList<QLabel *> shown = page.widget()->findChildren<QLabel *>();
    ASSERT_FALSE(shown.isEmpty());
    EXPECT_TRUE(shown.first()->isVisible());
    EXPECT_GT(page.widget()->height(), 300); // the texts run past the page: it scrolls
}

TEST(TShopInfoPage, OffersOnlyWebLinksAndOpensThemOnAClick)
{
    TShopOptions options;
    options.HomePage = QStringLiteral("https://shop.example.jp/");
    const TPriceTables tables;
    const TShopTerms terms;
    EXPECT_EQ(ShopLinks(options, terms).size(), 1);
    options.HomePage = QStringLiteral("file:///etc/passwd");
    EXPECT_TRUE(ShopLinks(options, terms).isEmpty());
    options.HomePage = QStringLiteral("javascript:alert(1)");
    EXPECT_TRUE(ShopLinks(options, terms).isEmpty());

    options.HomePage = QStringLiteral("https://shop.example.jp/");
    TShopInfoPage page(options, tables);
    QList<QUrl> opened;
    page.OpenLink = [&opened](const QUrl &url) {
        opened << url;
        return true;
    };
    const QList<QPushButton *> buttons = page.findChildren<QPushButton *>();
    ASSERT_EQ(buttons.size(), 1);
    EXPECT_EQ(buttons[0]->text(), QStringLiteral("ホームページ"));
    buttons[0]->click();
    EXPECT_EQ(opened, QList<QUrl> { QUrl(QStringLiteral("https://shop.example.jp/")) });
}

TEST(TShopInfoPage, AShopWithoutLinesShowsThePriceCaption)
{
    EXPECT_EQ(ShopInfoText(TShopOptions {}), QStringLiteral("価格情報"));
}

} // namespace korvatel
