#include "imaging/jpeg_codec.h"
#include "imaging/resample.h"
#include "support/image_builders.h"

#include <algorithm>
#include <cmath>
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

// The bilinear value of one channel in double precision, rounded half to even: what every
// output pixel must equal, whichever way it is computed.
uint8_t BilinearReference(const TBitmap &source, int w, int h, int x, int y, int ch)
{
    const auto axis = [](int i, int from, int to, int &p0, int &p1) {
        const double f0 = (i + 0.5) * (double(from) / to) - 0.5;
        const double p = std::floor(f0);
        p0 = std::clamp(int(p), 0, from - 1);
        p1 = std::clamp(int(p) + 1, 0, from - 1);
        return f0 - p;
    };
    int x0, x1, y0, y1;
    const double fx = axis(x, source.Width(), w, x0, x1);
    const double fy = axis(y, source.Height(), h, y0, y1);
    const double a = source.ScanLine(y0)[3 * x0 + ch];
    const double b = source.ScanLine(y0)[3 * x1 + ch];
    const double c = source.ScanLine(y1)[3 * x0 + ch];
    const double d = source.ScanLine(y1)[3 * x1 + ch];
    return uint8_t(std::lrint(a + (b - a) * fx + (c - a) * fy + (a - b - c + d) * fx * fy));
}

TEST(ResizeBilinear, EveryScaleGivesTheDoublePrecisionValue)
{
    // Noise with long runs of 0 and 255, so that many values fall exactly half way.
    TBitmap source(40, 30);
    uint32_t seed = 7;
    for (int y = 0; y < source.Height(); ++y)
        for (int x = 0; x < 3 * source.Width(); ++x) {
            seed = seed * 1103515245u + 12345u;
            const int r = int(seed >> 24);
            source.ScanLine(y)[x] = uint8_t(r < 60 ? 0 : r > 196 ? 255 : r);
        }
    // Enlargements by 2, 4 and 3, by 2 across only, and a reduction.
    for (const QSize size :
        { QSize(80, 60), QSize(160, 120), QSize(120, 90), QSize(80, 45), QSize(25, 17) }) {
        const TBitmap result = ResizeBilinear(source, size.width(), size.height());
        int wrong = 0;
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                for (int ch = 0; ch < 3; ++ch)
                    wrong += result.ScanLine(y)[3 * x + ch]
                        != BilinearReference(source, size.width(), size.height(), x, y, ch);
        EXPECT_EQ(wrong, 0) << size.width() << " x " << size.height();
    }
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
