#include "imaging/dib.h"
#include "imaging/effects.h"
#include "order/order_thumbnail.h"
#include "order/thumb_nails.h"
#include "platform/file_times.h"
#include "support/image_builders.h"
#include "support/temp_home.h"
#include "text/sjis_file.h"

#include <QFileInfo>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

struct TOrderCellFixture {
    test::TTempHome home;
    TThumbNails list;

    TOrderCellFixture() { list.Context().works = home.FilePath("Works"); }

    TThumbNail &Add(const QString &name, const QByteArray &bytes)
    {
        home.Write(name, bytes);
        return *list.AddPicture(1, home.FilePath(name), false, 1, "L");
    }
};

TEST(MakeOrderThumbnail, KeepsPicturesNearItsSizeAndScalesTheRest)
{
    TOrderCellFixture f;
    TThumbNail &near = f.Add("near.bmp", SaveDIBToStream(test::PatternBitmap(500, 480)));
    std::optional<TBitmap> thumb = MakeOrderThumbnail(near, true);
    ASSERT_TRUE(thumb);
    EXPECT_EQ(*thumb, test::PatternBitmap(500, 480)); // unchanged
    EXPECT_TRUE(SameFileTimes(near.FullPath, near.ThumbnailPath));
    EXPECT_EQ(LoadDIBFromStream(ReadWholeFile(near.ThumbnailPath).value()), *thumb);

    TThumbNail &big = f.Add("big.jpg", test::JpegBytes(test::PatternBitmap(3000, 2000)));
    thumb = MakeOrderThumbnail(big, false);
    ASSERT_TRUE(thumb);
    EXPECT_EQ(QSize(thumb->Width(), thumb->Height()), QSize(500, 333));
    EXPECT_EQ(big.Width, 3000);
    EXPECT_FALSE(QFileInfo::exists(big.ThumbnailPath));

    EXPECT_EQ(OrderThumbnailSize(2000, 3000), QSize(333, 500));
    EXPECT_EQ(OrderThumbnailSize(0, 10), QSize());

    TThumbNail &bad = f.Add("bad.jpg", "garbage");
    EXPECT_FALSE(MakeOrderThumbnail(bad, true));
    EXPECT_EQ(bad.Width, 0);
    EXPECT_EQ(bad.Height, 0);
}

TEST(OrderCellPicture, TurnsPortraitsAndMarksBrokenItemsOnce)
{
    TOrderCellFixture f;
    TThumbNail &portrait = f.Add("p.jpg", test::JpegBytes(test::PatternBitmap(300, 600)));
    std::optional<TBitmap> picture = OrderCellPicture(portrait, true);
    ASSERT_TRUE(picture);
    EXPECT_EQ(QSize(picture->Width(), picture->Height()), QSize(500, 250));
    EXPECT_TRUE(QFileInfo::exists(portrait.ThumbnailPath));
    // Outside make mode the stored thumbnail is shown and the local copy made beside it.
    picture = OrderCellPicture(portrait, false);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->Width(), 500);
    EXPECT_TRUE(QFileInfo::exists(portrait.ThumbnailPath.chopped(4)));

    TThumbNail &bad = f.Add("bad.jpg", "garbage");
    EXPECT_FALSE(OrderCellPicture(bad, true));
    EXPECT_EQ(bad.Broken, 3);
    f.home.Write("bad.jpg", test::JpegBytes(test::PatternBitmap(30, 20)));
    EXPECT_FALSE(OrderCellPicture(bad, true)); // not tried again

    TThumbNail &gone = f.Add("gone.jpg", "x");
    QFile::remove(gone.FullPath);
    EXPECT_FALSE(OrderCellPicture(gone, false));
    EXPECT_EQ(gone.Broken, 1);

    TThumbNail &none = f.Add("none.jpg", test::JpegBytes(test::PatternBitmap(30, 20)));
    none.ClearOrders();
    EXPECT_FALSE(OrderCellPicture(none, true));
    EXPECT_EQ(none.Broken, 0);

    TThumbNail &campus = *f.list.AddPicture(1, f.home.FilePath("album/c.cci"), false, 1, "P1");
    int asked = 0;
    EXPECT_FALSE(OrderCellPicture(campus, true, [&](TThumbNail &) { return ++asked, false; }));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(campus.Broken, 4);
}

TEST(OrderCellPicture, APhoneShotStandsUprightBeforeItIsTurnedToLandscape)
{
    TOrderCellFixture f;
    const QByteArray jpeg = test::SidewaysJpeg(8);
    TThumbNail &shot = f.Add("IMG_4.JPG", jpeg);
    // Upright, the picture's top is turned to the left like every portrait's.
    const auto upright = [](std::optional<TBitmap> picture) {
        if (!picture || picture->Width() <= picture->Height())
            return false;
        RotateImage(*picture, rt90);
        return test::RedAboveBlue(*picture);
    };
    EXPECT_TRUE(upright(OrderCellPicture(shot, false))) << "from the camera's thumbnail";
    EXPECT_TRUE(upright(OrderCellPicture(shot, true))) << "made and stored";
    EXPECT_TRUE(upright(OrderCellPicture(shot, false))) << "from the stored thumbnail";
    // What goes to the shop is the file as it is.
    EXPECT_EQ(ReadWholeFile(shot.ThumbnailPath.chopped(4)).value(), jpeg);
}

TEST(OrderCellPicture, RemakesAStaleThumbnailInMakeMode)
{
    TOrderCellFixture f;
    TThumbNail &item = f.Add("a.jpg", test::JpegBytes(test::PatternBitmap(800, 600)));
    ASSERT_TRUE(OrderCellPicture(item, true));
    f.home.Write("a.jpg", test::JpegBytes(test::PatternBitmap(600, 600)));
    SetFileTimes(item.FullPath, QDateTime::currentDateTime().addSecs(-60), {});
    const std::optional<TBitmap> picture = OrderCellPicture(item, true);
    ASSERT_TRUE(picture);
    EXPECT_EQ(QSize(picture->Width(), picture->Height()), QSize(500, 500));
    EXPECT_TRUE(SameFileTimes(item.FullPath, item.ThumbnailPath));
}

} // namespace

} // namespace korvatel
