#include "sources/thumb_plan.h"
#include "support/image_builders.h"

#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

// A JPEG of 3200 pixels whose Exif sizes are known, in a cell of the given width.
TThumbRequest Jpeg(int mode, int cell = 200)
{
    TThumbRequest request;
    request.mode = mode;
    request.kind = 1;
    request.exifSizes = true;
    request.exifLongSide = 3200;
    request.cellWidth = cell;
    request.cellSize = cell;
    return request;
}

} // namespace

TEST(ThumbnailPlan, ExifModesAndSmallCellsShowTheCameraThumbnail)
{
    for (int mode = 0; mode <= 8; ++mode) {
        const bool exifMode = mode == 6 || mode == 7;
        EXPECT_EQ(ThumbnailPlan(Jpeg(mode)).exifThumb, exifMode) << mode;
        EXPECT_TRUE(ThumbnailPlan(Jpeg(mode, 179)).exifThumb) << mode;
        EXPECT_EQ(ThumbnailPlan(Jpeg(mode, 180)).exifThumb, exifMode) << mode;
    }
    // Not without the Exif sizes, and never for other kinds.
    TThumbRequest unknown = Jpeg(6);
    unknown.exifSizes = false;
    EXPECT_FALSE(ThumbnailPlan(unknown).exifThumb);
    TThumbRequest bitmap = Jpeg(6);
    bitmap.kind = 3;
    EXPECT_FALSE(ThumbnailPlan(bitmap).exifThumb);
}

TEST(ThumbnailPlan, CameraThumbnailIsEnlargedByTheCellExceptInModeSix)
{
    EXPECT_EQ(ThumbnailPlan(Jpeg(7, 109)).exifEnlarge, 0);
    EXPECT_EQ(ThumbnailPlan(Jpeg(7, 110)).exifEnlarge, 2);
    EXPECT_EQ(ThumbnailPlan(Jpeg(7, 330)).exifEnlarge, 4);
    EXPECT_EQ(ThumbnailPlan(Jpeg(6, 330)).exifEnlarge, 0);
    EXPECT_EQ(ThumbnailPlan(Jpeg(0, 150)).exifEnlarge, 2); // a small cell in a normal mode
}

TEST(ThumbnailPlan, KnownSizesDecodeLargeJpegsAtAFraction)
{
    EXPECT_EQ(ThumbnailPlan(Jpeg(0)).jpegScale, jsEighth); // 3200 for a long side of 400
    EXPECT_EQ(ThumbnailPlan(Jpeg(2)).jpegScale, jsQuarter); // 3200 for 800
    EXPECT_EQ(ThumbnailPlan(Jpeg(7)).jpegScale, jsFullSize);
    EXPECT_EQ(ThumbnailPlan(Jpeg(8)).jpegScale, jsFullSize);
    TThumbRequest unknown = Jpeg(0);
    unknown.exifSizes = false;
    EXPECT_EQ(ThumbnailPlan(unknown).jpegScale, jsFullSize);

    // Without Exif sizes the frame header gives the scale; modes 7 and 8 still decode in full,
    // and data whose header does not read is decoded as it is.
    const QByteArray plain = test::JpegBytes(test::PatternBitmap(1700, 900));
    EXPECT_EQ(DecodeScale(ThumbnailPlan(unknown), plain), jsQuarter); // 1700 for 400
    unknown.mode = 2;
    EXPECT_EQ(DecodeScale(ThumbnailPlan(unknown), plain), jsHalf); // 1700 for 800
    unknown.mode = 7;
    EXPECT_EQ(DecodeScale(ThumbnailPlan(unknown), plain), jsFullSize);
    EXPECT_EQ(DecodeScale(ThumbnailPlan(Jpeg(0)), plain), jsEighth); // the Exif sizes count
    unknown.mode = 0;
    EXPECT_EQ(DecodeScale(ThumbnailPlan(unknown), QByteArray("not a jpeg")), jsFullSize);
}

TEST(ThumbnailPlan, FittingFollowsTheModeAndModeEightShowsJpegsWhole)
{
    const TThumbPlan three = ThumbnailPlan(Jpeg(3));
    EXPECT_EQ(three.longSide, 400);
    EXPECT_TRUE(three.area);
    EXPECT_FALSE(three.whole);
    EXPECT_FALSE(ThumbnailPlan(Jpeg(1)).area);
    EXPECT_TRUE(ThumbnailPlan(Jpeg(8)).whole);

    TThumbRequest gif = Jpeg(8);
    gif.kind = 4;
    const TThumbPlan other = ThumbnailPlan(gif);
    EXPECT_FALSE(other.whole); // only JPEG files are shown whole
    EXPECT_TRUE(other.decodable);
    EXPECT_EQ(other.longSide, 800);
    TThumbRequest tiff = Jpeg(0);
    tiff.kind = ikTiff;
    EXPECT_TRUE(ThumbnailPlan(tiff).decodable);
    tiff.kind = ikNone;
    EXPECT_FALSE(ThumbnailPlan(tiff).decodable);
}

} // namespace korvatel
