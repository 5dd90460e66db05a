#include "imaging/jpeg_codec.h"
#include "imaging/resample.h"
#include "support/image_builders.h"

#include <gtest/gtest.h>

namespace korvatel
{

using test::PatternBitmap;
using test::UniformBitmap;

TEST(ResizeBilinear, TwoPixelsToFourRoundHalfToEven)
{
    TBitmap source(2, 1);
    source.SetPixel(0, 0, { 0, 0, 0 });
    source.SetPixel(1, 0, { 255, 0, 0 });
    const TBitmap wide = ResizeBilinear(source, 4, 1);
    EXPECT_EQ(wide.Pixel(0, 0).b, 0);
    EXPECT_EQ(wide.Pixel(1, 0).b, 64);
    EXPECT_EQ(wide.Pixel(2, 0).b, 191);
    EXPECT_EQ(wide.Pixel(3, 0).b, 255);
}

TEST(ResizeBilinear, OnePixelFillsTheDestination)
{
    const TBitmap nine = ResizeBilinear(UniformBitmap(1, 1, { 1, 2, 3 }), 3, 3);
    EXPECT_EQ(nine, UniformBitmap(3, 3, { 1, 2, 3 }));
}

TEST(ResizeBilinear, SameSizeChangesNothing)
{
    const TBitmap source = PatternBitmap(7, 5);
    EXPECT_EQ(ResizeBilinear(source, 7, 5), source);
}

TEST(ResizeBilinear, EmptySourceIsAnAssertionFailure)
{
    try {
        ResizeBilinear(TBitmap(), 3, 3);
        FAIL();
    } catch (const EPictureError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Assertion failure"));
    }
    EXPECT_THROW(ResizeAreaAverage(TBitmap(), 3, 3), EPictureError);
}

TEST(ResizeAreaAverage, UniformStaysUniform)
{
    const TBgr colour { 17, 128, 251 };
    EXPECT_EQ(ResizeAreaAverage(UniformBitmap(800, 600, colour), 400, 300),
        UniformBitmap(400, 300, colour));
    EXPECT_EQ(ResizeAreaAverage(UniformBitmap(1500, 1000, colour), 400, 267),
        UniformBitmap(400, 267, colour));
}

TEST(ResizeAreaAverage, HalvingAveragesAboutFourPixels)
{
    // Columns alternate 0 and 200: every destination pixel covers one of each.
    TBitmap source(8, 2);
    for (int x = 0; x < 8; ++x)
        for (int y = 0; y < 2; ++y)
            source.SetPixel(x, y, { uint8_t(x % 2 ? 200 : 0), 0, 0 });
    const TBitmap half = ResizeAreaAverage(source, 4, 1);
    for (int x = 1; x < 3; ++x)
        EXPECT_NEAR(half.Pixel(x, 0).b, 100, 1);
}

TEST(FitLongSide, SizesFollowTheLongSide)
{
    EXPECT_EQ(FitLongSideSize(400, 3000, 2000), QSize(400, 267));
    EXPECT_EQ(FitLongSideSize(400, 2000, 3000), QSize(267, 400));
    EXPECT_EQ(FitLongSideSize(400, 1000, 1000), QSize(400, 400));
    EXPECT_EQ(FitLongSideSize(400, 4000, 1), QSize(400, 1));
    const TBitmap source = PatternBitmap(300, 200);
    EXPECT_EQ(FitLongSide(60, source, true).Width(), 60);
    EXPECT_EQ(FitLongSide(60, source, false).Height(), 40);
    TJpegImage jpeg;
    FitLongSide(60, jpeg, source, true);
    EXPECT_EQ(jpeg.Width(), 60);
    EXPECT_EQ(jpeg.Height(), 40);
}

TEST(StretchDraw, PicksNearestPixels)
{
    const TBitmap source = PatternBitmap(4, 4);
    const TBitmap half = StretchDraw(source, 2, 2);
    EXPECT_EQ(half.Pixel(0, 0), source.Pixel(1, 1));
    EXPECT_EQ(half.Pixel(1, 1), source.Pixel(3, 3));
    EXPECT_EQ(StretchDraw(source, 4, 4), source);
}

TEST(PseudoDoublePrecision, InsertsAveragesBetweenNeighbours)
{
    TBitmap b(2, 2);
    b.SetPixel(0, 0, { 0, 0, 0 });
    b.SetPixel(1, 0, { 100, 0, 0 });
    b.SetPixel(0, 1, { 50, 0, 0 });
    b.SetPixel(1, 1, { 201, 0, 0 });
    PseudoDoublePrecision(b);
    ASSERT_EQ(b.Width(), 3);
    ASSERT_EQ(b.Height(), 3);
    EXPECT_EQ(b.Pixel(1, 0).b, 50);
    EXPECT_EQ(b.Pixel(1, 2).b, 125);
    EXPECT_EQ(b.Pixel(0, 1).b, 25);
    EXPECT_EQ(b.Pixel(1, 1).b, (50 + 125) >> 1);
    EXPECT_EQ(b.Pixel(2, 2).b, 201);
}

TEST(EnlargeExifThumb, EnlargesIntoTheTargetOrLeavesIt)
{
    TJpegImage target;
    ASSERT_TRUE(EnlargeExifThumb(PatternBitmap(16, 12), target, 3));
    EXPECT_EQ(target.Width(), 48);
    EXPECT_EQ(target.Height(), 36);
    const QByteArray before = target.Data();
    EXPECT_FALSE(EnlargeExifThumb(TBitmap(), target, 3));
    EXPECT_EQ(target.Data(), before);
}

} // namespace korvatel
