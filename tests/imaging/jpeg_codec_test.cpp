#include "imaging/jpeg_codec.h"
#include "support/image_builders.h"
#include "support/temp_home.h"
#include "support/tsv.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <functional>
#include <gtest/gtest.h>

namespace korvatel
{

using test::JpegBytes;
using test::PatternBitmap;
using test::UniformBitmap;

TEST(JpegCodec, RoundTripKeepsSizeAndColour)
{
    const TBitmap source = UniformBitmap(40, 30, { 40, 120, 200 });
    const QByteArray data = EncodeJpeg(source, 95);
    const std::optional<TJpegInfo> info = ReadJpegInfo(data);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->width, 40);
    EXPECT_EQ(info->height, 30);
    const TBitmap back = DecodeJpeg(data);
    ASSERT_EQ(back.Width(), 40);
    const TBgr p = back.Pixel(20, 15);
    EXPECT_NEAR(p.b, 40, 3);
    EXPECT_NEAR(p.g, 120, 3);
    EXPECT_NEAR(p.r, 200, 3);
}

TEST(JpegCodec, ScaledDecodesRoundUp)
{
    const QByteArray data = JpegBytes(PatternBitmap(101, 50));
    EXPECT_EQ(DecodeJpeg(data, jsHalf).Width(), 51);
    EXPECT_EQ(DecodeJpeg(data, jsQuarter).Width(), 26);
    const TBitmap eighth = DecodeJpeg(data, jsEighth);
    EXPECT_EQ(eighth.Width(), 13);
    EXPECT_EQ(eighth.Height(), 7);
}

TEST(JpegCodec, QualityChangesTheSize)
{
    const TBitmap source = PatternBitmap(64, 64);
    EXPECT_LT(EncodeJpeg(source, 30).size(), EncodeJpeg(source, 100).size());
}

TEST(JpegCodec, CorruptAndTruncatedDataFailCleanly)
{
    const QByteArray data = JpegBytes(PatternBitmap(64, 64));
    EXPECT_THROW(DecodeJpeg(data.left(data.size() / 2)), EPictureError);
    EXPECT_THROW(DecodeJpeg(data.left(100)), EPictureError);
    EXPECT_THROW(DecodeJpeg(QByteArray("not a jpeg at all")), EPictureError);
    EXPECT_THROW(DecodeJpeg(QByteArray()), EPictureError);
    EXPECT_FALSE(ReadJpegInfo(QByteArray("\xFF\xD8\xFF", 3)));
    QByteArray damaged = data;
    for (qsizetype i = 200; i < damaged.size() - 2; i += 7)
        damaged[i] = char(0xFF);
    try {
        DecodeJpeg(damaged);
    } catch (const EPictureError &) {
        // Either outcome is fine as long as it comes back.
    }
}

TEST(JpegCodec, DamagedDataSaysSoInJapaneseInsteadOfTheLibrarysText)
{
    const QByteArray data = JpegBytes(PatternBitmap(64, 64));
    const auto messageOf = [](const std::function<void()> &decode) {
        try {
            decode();
        } catch (const EPictureError &e) {
            return e.Message();
        }
        return QStringLiteral("decoded");
    };
    // The library would say "Premature end of JPEG file", "Not a JPEG file: …", "JPEG error #53".
    const QString damaged = QStringLiteral("画像ファイルが壊れています。");
    EXPECT_EQ(messageOf([&] { DecodeJpeg(data.left(data.size() / 2)); }), damaged);
    EXPECT_EQ(messageOf([] { DecodeJpeg(QByteArray("not a jpeg at all")); }), damaged);
    TJpegImage image;
    EXPECT_EQ(messageOf([&] { image.LoadFromData(data.left(20)); }), damaged);
    EXPECT_TRUE(messageOf([&] {
        image.LoadFromFile(QStringLiteral("/nonexistent/a.jpg"));
    }).startsWith(QStringLiteral("画像ファイルを開けません。")));
}

TEST(JpegCodec, HugeFrameIsRefusedBeforeDecoding)
{
    QByteArray data = JpegBytes(PatternBitmap(16, 16));
    // Rewrite the frame header's height and width to 60000 × 60000.
    const qsizetype sof = data.indexOf(QByteArray("\xFF\xC0", 2));
    ASSERT_GT(sof, 0);
    data[sof + 5] = char(0xEA);
    data[sof + 6] = char(0x60);
    data[sof + 7] = char(0xEA);
    data[sof + 8] = char(0x60);
    try {
        DecodeJpeg(data);
        FAIL();
    } catch (const EPictureError &e) {
        EXPECT_TRUE(e.Message().startsWith(QLatin1String("TBigBitmap.SetBitmaps")));
    }
}

TEST(TJpegImage, HoldsBytesAndDecodesAtItsScale)
{
    TJpegImage image;
    EXPECT_TRUE(image.Empty());
    image.CompressionQuality = 80;
    image.Assign(PatternBitmap(64, 32));
    EXPECT_EQ(image.Width(), 64);
    image.Scale = jsQuarter;
    EXPECT_EQ(image.ToBitmap().Width(), 16);
    EXPECT_THROW(image.LoadFromData(QByteArray("junk")), EPictureError);
    EXPECT_TRUE(image.Empty());
}

TEST(JpegCodec, SharedTestImagesDecodeAtEveryScale)
{
    const QString dir = test::SharedTestData(QStringLiteral("libjpeg-turbo-testimages"));
    if (dir.isEmpty())
        GTEST_SKIP() << "shared test data not present";
    int checked = 0;
    for (const auto &row : test::ReadTsv(dir + QStringLiteral("/jpeg/expected.tsv"))) {
        auto column = [&row](const char *name) { return row.value(QLatin1String(name)); };
        QFile file(dir + QStringLiteral("/jpeg/") + column("file"));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray data = file.readAll();
        const TBitmap full = DecodeJpeg(data);
        EXPECT_EQ(QStringLiteral("%1x%2").arg(full.Width()).arg(full.Height()),
            column("width") + QLatin1Char('x') + column("height"))
            << column("file").toStdString();
        // The decoder's output matches djpeg's at every scale, byte for byte.
        const TJpegScale scales[] = { jsFullSize, jsHalf, jsQuarter, jsEighth };
        const char *sums[] = { "md5_ppm_1_1", "md5_ppm_1_2", "md5_ppm_1_4", "md5_ppm_1_8" };
        for (int i = 0; i < 4; ++i) {
            const TBitmap b = DecodeJpeg(data, scales[i]);
            QByteArray ppm
                = QStringLiteral("P6\n%1 %2\n255\n").arg(b.Width()).arg(b.Height()).toLatin1();
            for (int y = 0; y < b.Height(); ++y)
                for (int x = 0; x < b.Width(); ++x) {
                    const TBgr p = b.Pixel(x, y);
                    ppm.append(char(p.r)).append(char(p.g)).append(char(p.b));
                }
            EXPECT_EQ(QCryptographicHash::hash(ppm, QCryptographicHash::Md5).toHex(),
                column(sums[i]).toLatin1())
                << column("file").toStdString() << " scale " << i;
        }
        ++checked;
    }
    EXPECT_GT(checked, 0);
}

} // namespace korvatel
