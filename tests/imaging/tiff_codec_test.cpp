#include "imaging/orientation.h"
#include "imaging/tiff_codec.h"
#include "support/codec_builders.h"
#include "support/image_builders.h"

#include <QtEndian>
#include <gtest/gtest.h>

namespace korvatel
{

using namespace test;

TEST(DecodeTiff, ReadsGreyAndRgbOfEightAndSixteenBits)
{
    const TBitmap source = Halves(20, 12);
    const TBgr redGrey { kHalfRed.g, kHalfRed.g, kHalfRed.g };
    const TBgr blueGrey { kHalfBlue.g, kHalfBlue.g, kHalfBlue.g };
    const struct {
        TTiffLayout layout;
        TBgr left, right;
    } cases[] = {
        { { 1, 8 }, redGrey, blueGrey },
        { { 1, 16 }, redGrey, blueGrey },
        { { 3, 8 }, kHalfRed, kHalfBlue },
        { { 3, 16 }, kHalfRed, kHalfBlue },
        // Alpha is dropped: a half transparent pixel keeps its colour.
        { { 4, 8, 1, 128 }, kHalfRed, kHalfBlue },
        { { 4, 16, 1, 128 }, kHalfRed, kHalfBlue },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.layout.channels << " × " << c.layout.bits);
        const TBitmap bitmap = DecodeTiff(TiffBytes(source, c.layout));
        ASSERT_EQ(bitmap.Width(), 20);
        ASSERT_EQ(bitmap.Height(), 12);
        EXPECT_EQ(bitmap.Pixel(2, 10), c.left);
        EXPECT_EQ(bitmap.Pixel(17, 1), c.right);
    }
}

TEST(DecodeTiff, OrientationTagIsAppliedOnce)
{
    EXPECT_TRUE(RedAboveBlue(DecodeTiff(TiffBytes(Halves(48, 32), { 3, 8, 6 }))));
    const TBitmap source = PatternBitmap(13, 9);
    for (int orientation = 1; orientation <= 8; ++orientation) {
        SCOPED_TRACE(orientation);
        const QByteArray tiff = TiffBytes(source, { 3, 8, orientation });
        TBitmap upright = source;
        ApplyOrientation(upright, orientation);
        EXPECT_EQ(DecodeTiff(tiff), upright);
        const std::optional<TPictureSize> info = ReadTiffInfo(tiff);
        ASSERT_TRUE(info);
        EXPECT_EQ(info->width, upright.Width());
        EXPECT_EQ(info->height, upright.Height());
    }
}

TEST(DecodeTiff, DeclaredSizeOverTheLimitIsRefusedBeforeDecoding)
{
    // ImageWidth and ImageLength of the first directory set to 20000 (400 megapixels); the
    // strips stay those of a small picture.
    QByteArray tiff = TiffBytes(Halves(16, 16));
    char *bytes = tiff.data();
    const uint32_t ifd = qFromLittleEndian<uint32_t>(bytes + 4);
    const int count = qFromLittleEndian<uint16_t>(bytes + ifd);
    for (int i = 0; i < count; ++i) {
        char *entry = bytes + ifd + 2 + 12 * i;
        const uint16_t tag = qFromLittleEndian<uint16_t>(entry);
        if (tag != 256 && tag != 257)
            continue;
        if (qFromLittleEndian<uint16_t>(entry + 2) == 3)
            qToLittleEndian<uint16_t>(20000, entry + 8);
        else
            qToLittleEndian<uint32_t>(20000, entry + 8);
    }
    ASSERT_EQ(ReadTiffInfo(tiff)->width, 20000);
    try {
        DecodeTiff(tiff);
        FAIL() << "decoded";
    } catch (const EPictureError &e) {
        EXPECT_EQ(e.Kind(), peNoBitmap);
    }
}

TEST(DecodeTiff, DamagedDataIsRefused)
{
    const QByteArray tiff = TiffBytes(Halves(16, 16));
    for (const QByteArray &bad :
        { tiff.left(tiff.size() / 2), QByteArray("II*\0garbage", 11), QByteArray() })
        EXPECT_THROW(DecodeTiff(bad), EPictureError);
}

} // namespace korvatel
