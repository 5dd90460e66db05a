#include "sending/address_card.h"

#include <QImage>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

TEST(AddressCard, LayoutsByDeliveryAndTheirFrames)
{
    TAddressCard card;
    card.customer.name = QStringLiteral("山田太郎");
    card.customer.zip = QStringLiteral("192-0000");
    card.customer.adrs1 = QStringLiteral(
        "東京都八王子市明神町一丁目二番三号 とても長い住所の続きがここまで続きます");
    card.shopId = QStringLiteral("1234");
    card.orderName = QStringLiteral("20261208-102030045-0312345678-4321");
    const QImage post = DrawAddressCard(card);
    ASSERT_EQ(post.size(), QSize(640, 480));
    EXPECT_EQ(post.pixelColor(5, 5), QColor(Qt::white));
    EXPECT_EQ(post.pixelColor(30, 240), QColor(0, 0, 0x80));
    EXPECT_EQ(post.pixelColor(33, 240), QColor(0, 0, 0x80));
    EXPECT_EQ(post.pixelColor(609, 240), QColor(0, 0, 0x80));
    EXPECT_EQ(post.pixelColor(31, 240), QColor(Qt::white));
    // The long first address line is shrunk so that it ends 33 pixels before the edge.
    // (Columns 607 and 608 lie between the inner frame at 606 and the outer one at 609.)
    for (int y = 86; y < 108; ++y) {
        for (int x : { 607, 608, 610, 639 })
            ASSERT_EQ(post.pixelColor(x, y), QColor(Qt::white)) << x << "," << y;
    }
    // Some text is drawn in black in the address block (y from 10 units).
    bool inked = false;
    for (int y = 54; y < 130 && !inked; ++y) {
        for (int x = 54; x < 600 && !inked; ++x)
            inked = post.pixelColor(x, y).lightness() < 80;
    }
    EXPECT_TRUE(inked);

    card.customer.adrs1 = QStringLiteral("店頭受付");
    const QImage store = DrawAddressCard(card);
    EXPECT_EQ(store.pixelColor(5, 5), QColor(0xE0, 0xE0, 0xFF));
    EXPECT_EQ(store.pixelColor(30, 30), QColor(0, 0, 0x80));
}

} // namespace

} // namespace korvatel
