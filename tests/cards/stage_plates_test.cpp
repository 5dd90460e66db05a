#include "cards/card_order.h"
#include "cards/plate_file.h"
#include "cards/stage_plates.h"
#include "net/server_lookups.h"
#include "support/demo_shop.h"
#include "support/temp_home.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace korvatel
{

TEST(TCardPlates, ListKeepsPlainPlateNamesOnly)
{
    const QList<TCardPlateEntry> plates
        = ParseCardPlateList({ QStringLiteral("xmas.ksp=クリスマス"),
            QStringLiteral("../up.ksp=外"), QStringLiteral("a/b.ksp=中"),
            QStringLiteral("photo.jpg=写真"), QStringLiteral("xmas.ksp=二度目"),
            QStringLiteral("noTitle.KSP="), QStringLiteral("garbage") });
    EXPECT_EQ(plates,
        (QList<TCardPlateEntry> { { QStringLiteral("xmas.ksp"), QStringLiteral("クリスマス") },
            { QStringLiteral("noTitle.KSP"), QStringLiteral("noTitle") } }));
    QStringList many;
    for (int i = 0; i < 100; ++i)
        many << QStringLiteral("p%1.ksp=%1").arg(i);
    EXPECT_EQ(ParseCardPlateList(many).size(), kMaxCardPlates);
}

// The demo shop offers three plates; each comes down whole and reads as a plate whose sheet
// has a transparent colour and whose frames lie behind it, and the shop's card prices take one
// picture for each of its windows.
TEST(TCardPlates, TheDemoShopsPlatesArriveAndTheirPricesTakeAPicturePerWindow)
{
    test::TDemoShop shop;
    ASSERT_TRUE(shop.Running()) << qPrintable(shop.StartError());
    test::TTempHome home;
    // A keyed shop's plates and prices are taken only as its envelope lists them.
    bool refused = false;
    EXPECT_TRUE(
        FetchCardPlates(shop.Config(), home.Path(), QStringLiteral("1234"), &refused).isEmpty());
    EXPECT_TRUE(refused);
    EXPECT_FALSE(FetchCardPrices(shop.Config(), QStringLiteral("1234"), home.Path()));
    ASSERT_TRUE(FetchShopData(shop.Config(), home.Path(), QStringLiteral("1234")).ok);
    const QList<TCardPlateEntry> plates
        = FetchCardPlates(shop.Config(), home.Path(), QStringLiteral("1234"));
    ASSERT_EQ(plates.size(), 3);
    const std::optional<TCardPrices> prices
        = FetchCardPrices(shop.Config(), QStringLiteral("1234"), home.Path());
    ASSERT_TRUE(prices);
    EXPECT_EQ(plates[0].title, QStringLiteral("クリスマスカード"));
    for (const TCardPlateEntry &plate : plates) {
        const std::optional<QByteArray> bytes
            = ReadWholeFile(QDir(CardPlateFolder(home.Path())).filePath(plate.file), kCardPlateCap);
        ASSERT_TRUE(bytes) << qPrintable(plate.file);
        const TPlateRead read = ReadPlate(*bytes);
        ASSERT_EQ(read.error, plOk) << qPrintable(plate.file);
        ASSERT_GE(read.plate.layers.size(), 2u);
        EXPECT_EQ(read.plate.layers[0].mskc, 0x00FF00u);
        EXPECT_EQ(read.plate.layers[1].mskc, kNoColor);
        EXPECT_FALSE(DecodePlateBlock(read.plate.preview).Empty());
        EXPECT_EQ(SplitTemplateDesc(prices->Description(plate.file)).userPictures,
            PlateWindows(read.plate))
            << qPrintable(plate.file);
    }
    // A plate changed on the servers after the envelope was signed is not taken.
    for (const char *server : { "PrimaryDir", "SecondaryDir" }) {
        QFile plate(shop.State(QString::fromLatin1(server)) + "/KorvFmt/1234/Plates/xmas.ksp");
        ASSERT_TRUE(plate.open(QIODevice::Append) && plate.write("x") == 1);
    }
    EXPECT_EQ(FetchCardPlates(shop.Config(), home.Path(), QStringLiteral("1234")).size(), 2);
    // Offline the kept list serves; a plate that went missing is left out.
    QFile::remove(QDir(CardPlateFolder(home.Path())).filePath(QStringLiteral("frame.ksp")));
    EXPECT_EQ(LocalCardPlates(CardPlateFolder(home.Path())).size(), 1);
}

} // namespace korvatel
