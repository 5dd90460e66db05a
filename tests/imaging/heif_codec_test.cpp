#include "imaging/heif_codec.h"
#include "support/codec_builders.h"
#include "support/image_builders.h"

#include <QtEndian>
#include <gtest/gtest.h>

namespace korvatel
{

using namespace test;

namespace
{

// Exif orientation 3 (upside down): were it applied after the file's own rotation, red would
// end up below blue.
QByteArray UpsideDownExif()
{
    return ExifJpegBuilder().orientation(3).tiff();
}

EPictureError Refusal(const QByteArray &data)
{
    try {
        DecodeHeif(data);
    } catch (const EPictureError &e) {
        return e;
    }
    return EPictureError(QStringLiteral("decoded"), peEmpty);
}

} // namespace

TEST(DecodeHeif, RotationOfTheFileIsAppliedAndExifOrientationIgnored)
{
    const QByteArray heic = HeifBytes(Halves(64, 48), HeifCodec::Hevc, 6, UpsideDownExif());
    if (heic.isEmpty())
        GTEST_SKIP() << "libheif here has no HEVC encoder";
    ASSERT_TRUE(heic.contains(UpsideDownExif()));
    const TBitmap bitmap = DecodeHeif(heic);
    ASSERT_EQ(bitmap.Width(), 48);
    ASSERT_EQ(bitmap.Height(), 64);
    EXPECT_TRUE(RedAboveBlue(bitmap));
    EXPECT_TRUE(Near(bitmap.Pixel(24, 12), kHalfRed, 16));
    EXPECT_TRUE(Near(bitmap.Pixel(24, 52), kHalfBlue, 16));
    const std::optional<TPictureSize> info = ReadHeifInfo(heic);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->width, 48);
    EXPECT_EQ(info->height, 64);
}

TEST(DecodeHeif, ReadsAvif)
{
    const QByteArray avif = HeifBytes(Halves(64, 48), HeifCodec::Av1);
    if (avif.isEmpty())
        GTEST_SKIP() << "libheif here has no AV1 encoder";
    const TBitmap bitmap = DecodeHeif(avif);
    ASSERT_EQ(bitmap.Width(), 64);
    ASSERT_EQ(bitmap.Height(), 48);
    EXPECT_TRUE(Near(bitmap.Pixel(12, 24), kHalfRed, 16));
    EXPECT_TRUE(Near(bitmap.Pixel(52, 24), kHalfBlue, 16));
}

TEST(DecodeHeif, DeclaredSizeOverTheLimitIsRefusedBeforeDecoding)
{
    QByteArray heic = HeifBytes(Halves(64, 48), HeifCodec::Hevc);
    if (heic.isEmpty())
        GTEST_SKIP() << "libheif here has no HEVC encoder";
    // Every ispe box (size, "ispe", version and flags, width, height: the coded picture's, and
    // the grid's where the encoder wrapped it in one) set to 20000 × 20000; the coded stream
    // stays small, so decoding it could only fail otherwise.
    int boxes = 0;
    for (qsizetype at = heic.indexOf("ispe"); at > 0; at = heic.indexOf("ispe", at + 1), ++boxes) {
        qToBigEndian<uint32_t>(20000, heic.data() + at + 8);
        qToBigEndian<uint32_t>(20000, heic.data() + at + 12);
    }
    ASSERT_GT(boxes, 0);
    ASSERT_EQ(ReadHeifInfo(heic)->width, 20000);
    EXPECT_EQ(Refusal(heic).Kind(), peNoBitmap);
}

TEST(DecodeHeif, DamagedDataIsRefused)
{
    const QByteArray heic = HeifBytes(Halves(64, 48), HeifCodec::Hevc);
    for (const QByteArray &bad : { heic.left(heic.size() / 2), heic.left(heic.size() - 40),
             QByteArray("\0\0\0\x18"
                        "ftypheic garbage",
                 20),
             QByteArray() }) {
        EXPECT_EQ(Refusal(bad).Kind(), peBadData);
        EXPECT_FALSE(ReadHeifInfo(bad) && bad.size() < 40);
    }
}

TEST(DecodeHeif, MissingLibraryIsReportedAsUnreadable)
{
    SetHeifLibraryName("libheif-not-installed.so.1");
    const EPictureError error = Refusal(HeifBytes(Halves(16, 16), HeifCodec::Hevc));
    const bool available = HeifReaderAvailable();
    SetHeifLibraryName("libheif.so.1");
    EXPECT_FALSE(available);
    EXPECT_EQ(error.Kind(), peUnknownKind);
    EXPECT_EQ(error.Message(), HeifReaderMissingText());
    EXPECT_TRUE(HeifReaderAvailable());
}

} // namespace korvatel
