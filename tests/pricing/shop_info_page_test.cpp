#include "pricing/ui/shop_info_page.h"
#include "workspace/shop_options.h"

#include <gtest/gtest.h>

namespace korvatel
{

TEST(TShopInfoPage, ShowsTheShopsLinesThatArePresent)
{
    TShopOptions options;
    options.Shop = QStringLiteral("コルバ写真館");
    options.Address = QStringLiteral("東京都港区1-2-3");
    options.Message = QStringLiteral("毎週水曜定休");
    TShopInfoPage page(options);
    EXPECT_EQ(page.objectName(), QStringLiteral("pnShop"));
    EXPECT_EQ(page.text(), QStringLiteral("コルバ写真館\n東京都港区1-2-3\n毎週水曜定休"));
    EXPECT_EQ(page.margin(), 16);
    EXPECT_EQ(page.alignment(), Qt::AlignLeft | Qt::AlignTop);
    // The shop's text comes from its server: never rich text with live links.
    EXPECT_EQ(page.textFormat(), Qt::PlainText);
    EXPECT_FALSE(page.openExternalLinks());
}

TEST(TShopInfoPage, AShopWithoutLinesShowsThePriceCaption)
{
    EXPECT_EQ(ShopInfoText(TShopOptions {}), QStringLiteral("価格情報"));
}

} // namespace korvatel
