#include "cards/mask_ops.h"
#include "support/image_builders.h"

#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

const TColorValue kKey = 0xFF00FF;

int CountKeyed(const TBitmap &b)
{
    int n = 0;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            n += ColorValueOf(b.Pixel(x, y)) == kKey;
    return n;
}

} // namespace

TEST(TMaskOps, LevelZeroKeysTheExactColourOnly)
{
    TBitmap picture = test::UniformBitmap(4, 1, { 100, 100, 100 });
    picture.SetPixel(1, 0, { 100, 100, 101 });
    picture.SetPixel(2, 0, { 99, 100, 100 });
    const TMaskOp whole { mkWholeColor, 0, 0, 0, 1, 1, 0x646464 };
    const TBitmap out = ApplyMaskOps(picture, { whole }, kKey);
    EXPECT_EQ(ColorValueOf(out.Pixel(0, 0)), kKey);
    EXPECT_EQ(out.Pixel(1, 0), (TBgr { 100, 100, 101 }));
    EXPECT_EQ(out.Pixel(2, 0), (TBgr { 99, 100, 100 }));
    EXPECT_EQ(ColorValueOf(out.Pixel(3, 0)), kKey);

    // A colour area of level 0 stops at the first pixel that differs by one.
    const TMaskOp area { mkColorArea, 0, 0, 0, 0, 0, 0 };
    EXPECT_EQ(CountKeyed(ApplyMaskOps(picture, { area }, kKey)), 1);
}

TEST(TMaskOps, FillInsideProtectionPaintsNothingAndDoesNotPassThrough)
{
    const TBitmap picture = test::UniformBitmap(20, 10, { 50, 60, 70 });
    // A wall over columns 8 to 12 and every row.
    const TMaskOp wall { mkProtect, 32, 0.4, 0.0, 0.6, 1.0, kNoColor };
    const TMaskOp inside { mkColorArea, 32, 0.5, 0.5, 0, 0, 0 };
    EXPECT_EQ(CountKeyed(ApplyMaskOps(picture, { wall, inside }, kKey)), 0);

    const TMaskOp left { mkColorArea, 32, 0.1, 0.5, 0, 0, 0 };
    const TBitmap out = ApplyMaskOps(picture, { left, wall }, kKey);
    EXPECT_EQ(CountKeyed(out), 8 * 10);
    EXPECT_EQ(ColorValueOf(out.Pixel(7, 9)), kKey);
    EXPECT_NE(ColorValueOf(out.Pixel(8, 0)), kKey);
    EXPECT_NE(ColorValueOf(out.Pixel(19, 5)), kKey);
}

TEST(TMaskOps, FillFollowsFourConnectedAreasAroundObstacles)
{
    // A U-shaped channel of dark pixels: the fill must go down, across and up again.
    TBitmap picture = test::UniformBitmap(5, 4, { 255, 255, 255 });
    for (QPoint p : { QPoint(0, 0), QPoint(0, 1), QPoint(0, 2), QPoint(1, 2), QPoint(2, 2),
             QPoint(3, 2), QPoint(4, 2), QPoint(4, 1), QPoint(4, 0), QPoint(2, 3) })
        picture.SetPixel(p.x(), p.y(), { 0, 0, 0 });
    picture.SetPixel(3, 3, { 0, 0, 0 });
    picture.SetPixel(1, 1, { 0, 0, 0 }); // touches (1, 2), joins
    const TMaskOp area { mkColorArea, 10, 0.0, 0.0, 0, 0, 0 };
    const TBitmap out = ApplyMaskOps(picture, { area }, kKey);
    EXPECT_EQ(CountKeyed(out), 12);
    EXPECT_EQ(ColorValueOf(out.Pixel(4, 0)), kKey);
    EXPECT_NE(ColorValueOf(out.Pixel(2, 0)), kKey);
}

TEST(TMaskOps, WholeLevel255ClearsEveryUnprotectedPixel)
{
    const TBitmap picture = test::PatternBitmap(16, 12);
    const TMaskOp whole { mkWholeColor, 255, 0, 0, 1, 1, 0x808080 };
    const TMaskOp guard { mkProtect, 32, 0.0, 0.0, 0.25, 0.25, kNoColor }; // pixels 0..4 × 0..3
    const TBitmap out = ApplyMaskOps(picture, { whole, guard }, kKey);
    EXPECT_EQ(CountKeyed(out), 16 * 12 - 5 * 4);
    EXPECT_EQ(out.Pixel(4, 3), picture.Pixel(4, 3));
    EXPECT_EQ(ColorValueOf(out.Pixel(5, 3)), kKey);
}

TEST(TMaskOps, KeyColourIsAbsentFromThePicture)
{
    TBitmap grey(256, 1);
    for (int x = 0; x < 256; ++x)
        grey.SetPixel(x, 0, { uint8_t(x), uint8_t(x), uint8_t(x) });
    TBitmap all(4096, 2);
    for (int i = 0; i < 8192; ++i)
        all.SetPixel(i % 4096, i / 4096, { uint8_t(i), uint8_t(i >> 5), uint8_t(i >> 3) });
    for (const TBitmap &picture : { grey, all, test::PatternBitmap(40, 30) }) {
        const TColorValue key = ChooseKeyColor(picture);
        EXPECT_LE(key, 0xFFFFFFu);
        for (int y = 0; y < picture.Height(); ++y)
            for (int x = 0; x < picture.Width(); ++x)
                ASSERT_NE(ColorValueOf(picture.Pixel(x, y)), key);
    }
    EXPECT_EQ(ChooseKeyColor(test::UniformBitmap(2, 2, { 0, 0, 0 })), 0x010101u);
}

TEST(TMaskOps, FourQuarterTurnsGiveBackARectangle)
{
    const TMaskOps start { { mkRectColor, 40, 0.1, 0.2, 0.35, 0.9, 0x123456 },
        { mkColorArea, 32, 0.3, 0.7, 0, 0, 1 }, { mkWholeColor, 32, 0, 0, 1, 1, 2 } };
    TMaskOps ops = start;
    TurnMaskOps(ops, 90);
    EXPECT_DOUBLE_EQ(ops[0].x1, 0.8);
    EXPECT_DOUBLE_EQ(ops[0].y1, 0.1);
    EXPECT_EQ(ops[2], start[2]);
    for (int i = 0; i < 3; ++i)
        TurnMaskOps(ops, 90);
    for (size_t i = 0; i < ops.size(); ++i) {
        EXPECT_NEAR(ops[i].x1, start[i].x1, 1e-12);
        EXPECT_NEAR(ops[i].y1, start[i].y1, 1e-12);
        EXPECT_NEAR(ops[i].x2, start[i].x2, 1e-12);
        EXPECT_NEAR(ops[i].y2, start[i].y2, 1e-12);
    }
    TurnMaskOps(ops, 90);
    TurnMaskOps(ops, 270);
    EXPECT_NEAR(ops[0].x2, 0.35, 1e-12);
    MirrorMaskOps(ops, true);
    EXPECT_NEAR(ops[0].x1, 0.9, 1e-12);
    EXPECT_NEAR(ops[1].y1, 0.7, 1e-12);
}

TEST(TMaskOps, CountFindAndDeleteByKind)
{
    TMaskOps ops { { mkColorArea }, { mkProtect }, { mkColorArea, 7 }, { mkWholeColor } };
    EXPECT_EQ(CountMaskOps(ops, kVanishingMaskKinds), 3);
    EXPECT_EQ(CountMaskOps(ops, MaskKindBit(mkProtect)), 1);
    ASSERT_NE(NthMaskOp(ops, mkColorArea, 1), nullptr);
    EXPECT_EQ(NthMaskOp(ops, mkColorArea, 1)->level, 7);
    EXPECT_EQ(NthMaskOp(ops, mkColorArea, 2), nullptr);
    EXPECT_TRUE(DeleteNthMaskOp(ops, mkColorArea, 0));
    EXPECT_EQ(ops.front().kind, mkProtect);
    DeleteMaskOps(ops, kAllMaskKinds);
    EXPECT_TRUE(ops.empty());
}

} // namespace korvatel
