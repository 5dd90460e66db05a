#include "imaging/effects.h"
#include "support/image_builders.h"

#include <gtest/gtest.h>

namespace korvatel
{

using test::PatternBitmap;
using test::UniformBitmap;

TEST(RotateImage, QuarterTurnsSwapTheSidesAndComeBack)
{
    const TBitmap start = PatternBitmap(3, 2);
    TBitmap b = start;
    RotateImage(b, rt90);
    ASSERT_EQ(b.Width(), 2);
    ASSERT_EQ(b.Height(), 3);
    // Clockwise: the bottom-left pixel goes to the top-left corner.
    EXPECT_EQ(b.Pixel(0, 0), start.Pixel(0, 1));
    EXPECT_EQ(b.Pixel(1, 0), start.Pixel(0, 0));
    RotateImage(b, rt270);
    EXPECT_EQ(b, start);
    for (int i = 0; i < 4; ++i)
        RotateImage(b, rt90);
    EXPECT_EQ(b, start);
    RotateImage(b, rt180);
    EXPECT_EQ(b.Pixel(0, 0), start.Pixel(2, 1));
    RotateImage(b, rt180);
    EXPECT_EQ(b, start);
    RotateImage(b, rtNone);
    EXPECT_EQ(b, start);
}

TEST(FlipImage, BothFlagsMakeAHalfTurn)
{
    const TBitmap start = PatternBitmap(5, 3);
    TBitmap flipped = start;
    FlipImage(flipped, true, true);
    TBitmap turned = start;
    RotateImage(turned, rt180);
    EXPECT_EQ(flipped, turned);
    TBitmap mirrored = start;
    FlipImage(mirrored, true, false);
    EXPECT_EQ(mirrored.Pixel(0, 2), start.Pixel(4, 2));
    FlipImage(mirrored, true, false);
    EXPECT_EQ(mirrored, start);
    FlipImage(mirrored, false, false);
    EXPECT_EQ(mirrored, start);
}

TEST(ToneEffect, FixedKindsOnOnePixel)
{
    const TBgr pixel { 30, 60, 200 }; // blue, green, red
    auto apply = [&](int kind) {
        TBitmap b = UniformBitmap(1, 1, pixel);
        ToneEffect(b, kind);
        return b.Pixel(0, 0);
    };
    EXPECT_EQ(apply(1), (TBgr { 86, 109, 214 }));
    EXPECT_EQ(apply(2), (TBgr { 143, 158, 228 }));
    EXPECT_EQ(apply(3), (TBgr { 96, 96, 96 }));
    EXPECT_EQ(apply(4), (TBgr { 176, 176, 176 }));
    EXPECT_EQ(apply(5), (TBgr { 30, 60, 228 }));
    EXPECT_EQ(apply(6), (TBgr { 30, 158, 200 }));
    EXPECT_EQ(apply(7), (TBgr { 143, 60, 200 }));
    EXPECT_EQ(apply(9), pixel);
    EXPECT_EQ(apply(0), pixel);
}

TEST(ToneEffect, RectangleExcludesRightAndBottom)
{
    TBitmap b = UniformBitmap(4, 4, { 0, 0, 0 });
    ToneEffect(b, 2, QRect(QPoint(1, 1), QPoint(2, 2)));
    EXPECT_EQ(b.Pixel(1, 1), (TBgr { 128, 128, 128 }));
    EXPECT_EQ(b.Pixel(2, 2), (TBgr { 128, 128, 128 }));
    EXPECT_EQ(b.Pixel(3, 3), TBgr {});
    EXPECT_EQ(b.Pixel(0, 0), TBgr {});
    ToneEffect(b, 2, QRect());
    EXPECT_EQ(b.Pixel(0, 0), TBgr {});
}

TEST(ToneEffect, SepiaStretchesTheBrightnessRange)
{
    TBitmap b(2, 1);
    b.SetPixel(0, 0, { 10, 10, 10 });
    b.SetPixel(1, 0, { 100, 100, 100 });
    ToneEffect(b, 8);
    // The darkest sum stays, the brightest becomes white: red 255, green 204, blue 102.
    EXPECT_EQ(b.Pixel(0, 0), (TBgr { 4, 8, 10 }));
    EXPECT_EQ(b.Pixel(1, 0), (TBgr { 102, 204, 255 }));
}

TEST(ToneEffect, SepiaOfOneBrightnessKeepsTheSums)
{
    TBitmap b = UniformBitmap(3, 2, { 90, 90, 90 });
    ToneEffect(b, 8);
    EXPECT_EQ(b.Pixel(2, 1), (TBgr { 36, 72, 90 }));
}

TEST(SoftenEdges, TheBorderFadesIntoTheColourAndTheInsideStays)
{
    const TBgr black { 0, 0, 0 };
    const TBgr white { 255, 255, 255 };
    TBitmap b = UniformBitmap(20, 10, black);
    SoftenEdges(b, 3, white);
    EXPECT_GT(b.Pixel(0, 5).r, 200); // the outermost pixel is nearly white
    EXPECT_GT(b.Pixel(0, 5).r, b.Pixel(1, 5).r);
    EXPECT_GT(b.Pixel(1, 5).r, b.Pixel(2, 5).r);
    EXPECT_EQ(b.Pixel(10, 0), b.Pixel(0, 5)); // every edge alike
    EXPECT_EQ(b.Pixel(3, 5), black);
    EXPECT_EQ(b.Pixel(10, 5), black);

    TBitmap same = UniformBitmap(4, 4, black);
    SoftenEdges(same, 0, white);
    EXPECT_EQ(same.Pixel(0, 0), black);
}

TEST(RotateFree, UncoveredCornersAreTheFillColourExactly)
{
    const TBgr green { 30, 200, 10 };
    const TBgr key { 1, 2, 3 };
    const TBitmap b = UniformBitmap(40, 20, green);
    const TBitmap quarter = RotateFree(b, 90, key);
    EXPECT_NEAR(quarter.Width(), 20, 1);
    EXPECT_NEAR(quarter.Height(), 40, 1);

    const TBitmap turned = RotateFree(b, 45, key);
    EXPECT_NEAR(turned.Width(), 43, 1); // (40 + 20) / sqrt 2
    EXPECT_EQ(turned.Pixel(0, 0), key);
    EXPECT_EQ(turned.Pixel(turned.Width() - 1, turned.Height() - 1), key);
    int picture = 0;
    for (int y = 0; y < turned.Height(); ++y)
        for (int x = 0; x < turned.Width(); ++x) {
            const TBgr p = turned.Pixel(x, y);
            if (p == key)
                continue;
            ++picture;
            EXPECT_NEAR(p.g, green.g, 2) << x << "," << y; // never a blend with the fill
        }
    EXPECT_NEAR(picture, 800, 60); // the picture's area is kept
}

} // namespace korvatel
