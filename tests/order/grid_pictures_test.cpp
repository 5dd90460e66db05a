#include "imaging/correction_text.h"
#include "imaging/dib.h"
#include "order/grid_pictures.h"
#include "order/ui/thumb_grid.h"
#include "order_fixture.h"
#include "platform/prompter.h"
#include "pricing/price_tables.h"
#include "support/image_builders.h"

#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

// A basket with a picture of one skin colour (red 150, green 100, blue 90) and a file that is
// no picture, both of skin-tone correction kinds and never measured.
struct TSkinBasket {
    test::TTempHome home;
    TPriceTables tables = test::SizedShopTables();
    TThumbNails list;

    TSkinBasket()
    {
        list.Context().tables = &tables;
        list.Context().works = home.FilePath(QStringLiteral("Works"));
        home.Write(QStringLiteral("Pictures/skin.bmp"),
            SaveDIBToStream(test::UniformBitmap(40, 30, { 90, 100, 150 })));
        home.Write(QStringLiteral("Pictures/broken.jpg"), "not a picture");
        Add(QStringLiteral("skin.bmp"), 3);
        Add(QStringLiteral("broken.jpg"), 4);
        list.Recount();
    }
    TThumbNail &Add(const QString &name, int kind)
    {
        TThumbNail *item = list.AddPicture(
            1, home.FilePath(QStringLiteral("Pictures/") + name), false, 1, QStringLiteral("L"));
        item->Hosei.kind = uint8_t(kind);
        return *item;
    }
};

TEST(TOrderPictureLoader, MeasuresSkinKindsBeforeTheirFirstPicture)
{
    TSkinBasket b;
    const TThumbNail &skin = *b.list.Item(0);
    const TOrderPictureResult made = TOrderPictureLoader::MakePicture(skin);
    ASSERT_TRUE(made.prepared);
    EXPECT_EQ(RecordToText(made.hosei), QStringLiteral("Scn|Typ=3|Frm=96645A"));
    EXPECT_EQ(made.askedKey, OrderPictureKey(skin));
    TThumbNail measured = skin;
    measured.Hosei = made.hosei;
    EXPECT_EQ(made.key, OrderPictureKey(measured));
    // The item was copied: the basket changes only when the window takes the answer.
    EXPECT_EQ(skin.Hosei.measured, 0);
    // The picture is corrected towards the green-emphasised target.
    EXPECT_EQ(made.image.pixelColor(0, 0), QColor(134, 112, 90));

    // Once measured, nothing is prepared again.
    EXPECT_FALSE(TOrderPictureLoader::MakePicture(measured).prepared);

    const TOrderPictureResult broken = TOrderPictureLoader::MakePicture(*b.list.Item(1));
    ASSERT_TRUE(broken.prepared);
    EXPECT_EQ(broken.hosei.kind, 5);
    EXPECT_EQ(broken.hosei.measured, 0);
    EXPECT_TRUE(broken.errors.isEmpty());
}

TEST(TThumbGridThreaded, TheMeasuredRecordReachesTheBasketItem)
{
    TSkinBasket b;
    QWidget host;
    host.resize(903, 600);
    auto *grid = new TThumbGrid(&host);
    TScriptedPrompter prompter;
    grid->SetTables(&b.tables);
    grid->SetPrompter(&prompter);
    grid->SetList(&b.list);
    host.show();
    grid->grab();
    ASSERT_TRUE(QTest::qWaitFor([&] { return grid->PicturesPending() == 0; }, 10000));
    QCoreApplication::processEvents();
    EXPECT_EQ(RecordToText(b.list.Item(0)->Hosei), QStringLiteral("Scn|Typ=3|Frm=96645A"));
    EXPECT_EQ(b.list.Item(1)->Hosei.kind, 5);
    EXPECT_TRUE(grid->PictureShown(0));
    // The measured key is the one shown: painting again asks for nothing.
    grid->grab();
    EXPECT_EQ(grid->PicturesPending(), 0);
    EXPECT_TRUE(prompter.Shown().isEmpty());
}

} // namespace

} // namespace korvatel
