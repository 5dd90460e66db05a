#include "imaging/webp_codec.h"
#include "support/codec_builders.h"
#include "support/image_builders.h"

#include <gtest/gtest.h>

namespace korvatel
{

using namespace test;

TEST(DecodeWebp, LossyAndLosslessKeepTheColours)
{
    const TBitmap source = Halves(48, 32);
    for (const bool lossless : { false, true }) {
        SCOPED_TRACE(lossless ? "lossless" : "lossy");
        const TBitmap bitmap = DecodeWebp(WebpBytes(source, lossless));
        ASSERT_EQ(bitmap.Width(), 48);
        ASSERT_EQ(bitmap.Height(), 32);
        if (lossless) {
            EXPECT_EQ(bitmap, source);
            continue;
        }
        EXPECT_TRUE(Near(bitmap.Pixel(8, 16), kHalfRed, 12));
        EXPECT_TRUE(Near(bitmap.Pixel(40, 16), kHalfBlue, 12));
    }
}

TEST(DecodeWebp, ExifOrientationStandsThePictureUpright)
{
    const QByteArray webp
        = WebpBytes(Halves(48, 32), false, ExifJpegBuilder().orientation(6).tiff());
    EXPECT_TRUE(RedAboveBlue(DecodeWebp(webp)));
    const std::optional<TPictureSize> info = ReadWebpInfo(webp);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->width, 32);
    EXPECT_EQ(info->height, 48);
}

TEST(DecodeWebp, DeclaredSizeOverTheLimitIsRefusedBeforeDecoding)
{
    // The lossy frame header's 14-bit width and height, at bytes 26 and 28, set to 16383: the
    // data behind them cannot decode at that size, so only the size check can refuse first.
    QByteArray webp = WebpBytes(Halves(48, 32), false);
    for (const int at : { 26, 28 }) {
        webp[at] = char(0xFF);
        webp[at + 1] = char(0x3F);
    }
    ASSERT_EQ(ReadWebpInfo(webp)->width, 16383);
    try {
        DecodeWebp(webp);
        FAIL() << "decoded";
    } catch (const EPictureError &e) {
        EXPECT_EQ(e.Kind(), peNoBitmap);
    }
}

TEST(DecodeWebp, DamagedDataIsRefused)
{
    const QByteArray webp = WebpBytes(Halves(48, 32), false);
    for (const QByteArray &bad :
        { webp.left(webp.size() / 2), QByteArray("RIFF....WEBPVP8 "), QByteArray() })
        EXPECT_THROW(DecodeWebp(bad), EPictureError);
}

} // namespace korvatel
