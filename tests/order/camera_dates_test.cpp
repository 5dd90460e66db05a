#include "order/camera_dates.h"
#include "order/order_fixture.h"
#include "sources/browser_item.h"
#include "support/image_builders.h"

#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

constexpr qint64 kYear = 366LL * 24 * 3600; // 2024-06-01 to 2025-06-02

QByteArray Photo(const QByteArray &make, const QByteArray &model)
{
    return test::ExifJpegBuilder().make(make).model(model).dateTaken("2024:06:01 10:20:30").build();
}

// The browser's toggle of a photo into the basket, with the camera clocks.
TThumbNail *Toggle(TThumbNails &list, const QString &path, const TCameraClocks *clocks)
{
    TBrowserItem picture;
    picture.fullPath = path;
    picture.fileSize = QFileInfo(path).size();
    TToggleDefaults defaults;
    defaults.size = "L";
    defaults.cameraClocks = clocks;
    return ToggleFromBrowser(list, picture, defaults);
}

} // namespace

TEST(CameraDates, OneYearMovesTheImprintDateOfThatModelOnly)
{
    test::TBasketFixture f;
    f.home.Write("canon.jpg", Photo("Canon", "EOS 5D"));
    f.home.Write("nikon.jpg", Photo("Nikon", "D70"));
    TThumbNail *canon = Toggle(f.list, f.home.FilePath("canon.jpg"), nullptr);
    TThumbNail *nikon = Toggle(f.list, f.home.FilePath("nikon.jpg"), nullptr);
    ASSERT_TRUE(canon && nikon);
    EXPECT_EQ(canon->DateStr[0], "2024.06.01");
    canon->DateStr[2] = "my text";

    TCameraClocks clocks;
    clocks.SetOffset("Canon", "EOS 5D", kYear);
    EXPECT_EQ(RedateBasket(f.list, clocks, "Canon", "EOS 5D"), 1);
    EXPECT_EQ(canon->DateStr[0], "2025.06.02");
    EXPECT_EQ(canon->DateStr[1], "2025.06.02 10:20:30");
    EXPECT_EQ(canon->DateStr[2], "my text");
    EXPECT_EQ(nikon->DateStr[0], "2024.06.01");
    EXPECT_EQ(nikon->DateStr[1], "2024.06.01 10:20:30");
    // Again: nothing left to change. Without the offset the camera's date comes back.
    EXPECT_EQ(RedateBasket(f.list, clocks, "Canon", "EOS 5D"), 0);
    EXPECT_EQ(RedateBasket(f.list, {}, "Canon", "EOS 5D"), 1);
    EXPECT_EQ(canon->DateStr[0], "2024.06.01");

    // A photo that enters the basket later is dated with the offset at once.
    f.home.Write("canon2.jpg", Photo("Canon", "EOS 5D"));
    TThumbNail *later = Toggle(f.list, f.home.FilePath("canon2.jpg"), &clocks);
    ASSERT_TRUE(later);
    EXPECT_EQ(later->DateStr[0], "2025.06.02");
}

} // namespace korvatel
