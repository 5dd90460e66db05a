#include "platform/prompter.h"
#include "pricing/basket_text.h"
#include "pricing/ui/order_info_form.h"
#include "pricing/ui/shop_info_page.h"
#include "pricing_fixture.h"
#include "workspace/shop_options.h"

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
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

// The page lists one print of each size at what the order summary charges for it, alone and
// with a CD-R; L-DSC has a fraction.
TEST(TShopInfoPage, PrintPricesAreWhatTheSummaryCharges)
{
    const test::TShop shop(TShopData::LoadContainer(test::ShopDataFile()).value());
    TShopInfoPage page(TShopOptions {}, shop.tables);
    const QTableWidget *table = page.grdPrintPrices();
    ASSERT_NE(table, nullptr);
    QStringList sizes;
    for (int row = 0; row < table->rowCount(); ++row)
        sizes << table->item(row, 0)->text();
    EXPECT_EQ(sizes, shop.tables.SizeList(false));
    const auto cell = [&](const QString &size, int column) {
        const QTableWidgetItem *item = table->item(int(sizes.indexOf(size)), column);
        return item ? item->text() : QString();
    };
    const TPricingContext context { shop.tables, shop.terms, shop.rules, QDate(2026, 12, 8) };
    for (const bool cd : { false, true }) {
        SCOPED_TRACE(cd ? "with a CD-R" : "alone");
        TBasketText basket
            = ParseBasketText({ QStringLiteral("photo=L,3"), QStringLiteral("photo=L-DSC,2"),
                                  cd ? QStringLiteral("cd=5,5000000") : QString() },
                shop.tables);
        TScriptedPrompter prompter;
        const TOrderInfoForm summary(basket.basket, context, prompter);
        // Statement lines read "L 25 × 3 ＝ 75".
        QMap<QString, QString> charged;
        for (const QString &line : summary.StatementLines())
            charged.insert(line.section(u' ', 0, 0), u'\\' + line.section(u' ', 1, 1));
        for (const QString &size : { QStringLiteral("L"), QStringLiteral("L-DSC") })
            EXPECT_EQ(cell(size, cd ? 2 : 1), charged.value(size)) << size.toStdString();
    }
    EXPECT_EQ(cell(QStringLiteral("L-DSC"), 1), QStringLiteral("\\23.50"));
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
