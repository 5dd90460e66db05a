#include "imaging/dib.h"
#include "support/image_builders.h"
#include "support/temp_home.h"
#include "support/tsv.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <gtest/gtest.h>

namespace korvatel
{

using test::BmpBuilder;
using test::PatternBitmap;

namespace
{

QString LoadError(const QByteArray &data)
{
    try {
        LoadDIBFromStream(data);
        return {};
    } catch (const EPictureError &e) {
        return e.Message();
    }
}

} // namespace

TEST(LoadDIBFromStream, WrittenBitmapsReadBack)
{
    const TBitmap source = PatternBitmap(7, 5);
    EXPECT_EQ(LoadDIBFromStream(SaveDIBToStream(source)), source);
}

TEST(LoadDIBFromStream, HeaderFaultsGiveTheirMessages)
{
    QByteArray notBm = SaveDIBToStream(PatternBitmap(2, 2));
    notBm[0] = 'X';
    EXPECT_EQ(LoadError(notBm), QStringLiteral("LoadDIBFromStream: File type is invalid"));
    BmpBuilder b;
    b.headerSize = 20;
    EXPECT_EQ(
        LoadError(b.build()), QStringLiteral("LoadDIBFromStream: Invalid Bitmap Header Size"));
    b.headerSize = 40;
    b.bitCount = 2;
    EXPECT_EQ(LoadError(b.build()), QStringLiteral("LoadDIBFromStream: Invalid BitCout"));
    b.headerSize = 12;
    b.bitCount = 16;
    EXPECT_EQ(LoadError(b.build()), QStringLiteral("TBigBitmap.LoadFromStream: Invalid BitCount"));
    BmpBuilder masks;
    masks.bitCount = 16;
    masks.compression = 3;
    masks.masks = { 0xF800, 0, 0x001F };
    masks.pixels = QByteArray(16, '\0');
    EXPECT_EQ(LoadError(masks.build()), QStringLiteral("TBigBitmap.LoadFromStream: Invalid Masks"));
    EXPECT_EQ(LoadError(QByteArray("BM")), QStringLiteral("Stream read error"));
}

TEST(LoadDIBFromStream, AnnouncedGiantIsRefusedUnallocated)
{
    BmpBuilder b;
    b.width = 100000;
    b.height = 100000;
    EXPECT_TRUE(LoadError(b.build()).startsWith(QLatin1String("TBigBitmap.SetBitmaps")));
    BmpBuilder missing;
    missing.width = 64;
    missing.height = 64;
    missing.pixels = QByteArray(100, '\0');
    EXPECT_EQ(LoadError(missing.build()), QStringLiteral("Stream read error"));
}

TEST(LoadDIBFromStream, PalettesAndBitFields)
{
    BmpBuilder pal;
    pal.bitCount = 1;
    pal.width = 3;
    pal.height = 2;
    pal.palette = { 0x000000, 0xFF8000 };
    // Bottom row first: 1 0 1, then 0 1 0.
    pal.pixels = QByteArray("\xA0\0\0\0\x40\0\0\0", 8);
    const TBitmap one = LoadDIBFromStream(pal.build());
    EXPECT_EQ(one.Pixel(0, 1), (TBgr { 0x00, 0x80, 0xFF }));
    EXPECT_EQ(one.Pixel(1, 1), TBgr {});
    EXPECT_EQ(one.Pixel(1, 0), (TBgr { 0x00, 0x80, 0xFF }));

    BmpBuilder core;
    core.headerSize = 12;
    core.bitCount = 4;
    core.width = 2;
    core.height = 1;
    core.palette = QList<uint32_t>(16, 0);
    core.palette[3] = 0x102030;
    core.pixels = QByteArray("\x30\0\0\0", 4);
    EXPECT_EQ(LoadDIBFromStream(core.build()).Pixel(0, 0), (TBgr { 0x30, 0x20, 0x10 }));

    BmpBuilder rgb565;
    rgb565.bitCount = 16;
    rgb565.compression = 3;
    rgb565.width = 2;
    rgb565.height = 1;
    rgb565.masks = { 0xF800, 0x07E0, 0x001F };
    rgb565.pixels = QByteArray("\x00\xF8\x1F\x00", 4);
    const TBitmap b16 = LoadDIBFromStream(rgb565.build());
    EXPECT_EQ(b16.Pixel(0, 0), (TBgr { 0, 0, 255 }));
    EXPECT_EQ(b16.Pixel(1, 0), (TBgr { 255, 0, 0 }));

    BmpBuilder topDown;
    topDown.width = 1;
    topDown.height = -2;
    topDown.pixels = QByteArray("\x01\x02\x03\0\x04\x05\x06\0", 8);
    const TBitmap td = LoadDIBFromStream(topDown.build());
    EXPECT_EQ(td.Pixel(0, 0), (TBgr { 1, 2, 3 }));
}

TEST(LoadDIBFromStream, Rle8RunsDeltasAndAbsoluteRuns)
{
    BmpBuilder b;
    b.bitCount = 8;
    b.compression = 1;
    b.width = 4;
    b.height = 2;
    b.palette = QList<uint32_t>(256, 0);
    b.palette[1] = 0x0000FF;
    b.palette[2] = 0x00FF00;
    b.palette[7] = 0xFF0000;
    // Bottom row: two 1s, one 2, one 7; end of line; next row: a delta to column 3, one 2; end
    // of bitmap.
    b.pixels = QByteArray("\x02\x01\x01\x02\x01\x07\x00\x00\x00\x02\x03\x00\x01\x02\x00\x01", 16);
    const TBitmap bitmap = LoadDIBFromStream(b.build());
    EXPECT_EQ(bitmap.Pixel(0, 1), (TBgr { 255, 0, 0 }));
    EXPECT_EQ(bitmap.Pixel(2, 1), (TBgr { 0, 255, 0 }));
    EXPECT_EQ(bitmap.Pixel(3, 1), (TBgr { 0, 0, 255 }));
    EXPECT_EQ(bitmap.Pixel(3, 0), (TBgr { 0, 255, 0 }));
    EXPECT_EQ(bitmap.Pixel(0, 0), TBgr {});
}

TEST(LoadDIBFromStream, RleOverrunsAreRefused)
{
    BmpBuilder b;
    b.bitCount = 8;
    b.compression = 1;
    b.width = 4;
    b.height = 2;
    b.colours = 1;
    b.palette = { 0 };
    b.pixels = QByteArray("\x05\x01", 2);
    EXPECT_EQ(LoadError(b.build()), QStringLiteral("Convert8BitRLETo8BitRGB: Bad RLE Data 4"));
    b.pixels = QByteArray("\x00\x00\x00\x00\x00\x00", 6);
    EXPECT_EQ(LoadError(b.build()), QStringLiteral("Convert8BitRLETo8BitRGB: Bad RLE Data 1"));
    b.pixels = QByteArray("\x00\x02\x05\x00", 4);
    EXPECT_EQ(LoadError(b.build()), QStringLiteral("Convert8BitRLETo8BitRGB: Bad RLE Data 2"));
    b.pixels = QByteArray("\x00\x05\x01\x01\x01\x01\x01\x00", 8);
    EXPECT_EQ(LoadError(b.build()), QStringLiteral("Convert8BitRLETo8BitRGB: Bad RLE Data 3"));
    b.bitCount = 4;
    EXPECT_EQ(LoadError(b.build()),
        QStringLiteral("Convert8BitRLETo8BitRGB: Invalid Bitcount & Compression Combination"));
    b.compression = 2;
    b.pixels = QByteArray("\x05\x12", 2);
    EXPECT_EQ(LoadError(b.build()), QStringLiteral("Convert4BitRLETo4BitRGB: Bad RLE Data 8"));
    // A few bytes declaring 65535 × 3000: refused before the rows are allocated.
    b.width = 65535;
    b.height = 3000;
    EXPECT_EQ(LoadError(b.build()), QStringLiteral("Convert4BitRLETo4BitRGB: Bad RLE Data 8"));
    b.width = 4;
    b.height = 2;
    b.bitCount = 8;
    EXPECT_EQ(LoadError(b.build()),
        QStringLiteral("Convert4BitRLETo4BitRGB: Invalid Bitcount & Compression Combination"));
}

TEST(LoadDIBFromStream, Rle4AlternatesNibbles)
{
    BmpBuilder b;
    b.bitCount = 4;
    b.compression = 2;
    b.width = 3;
    b.height = 1;
    b.palette = QList<uint32_t>(16, 0);
    b.palette[1] = 0x0000FF;
    b.palette[2] = 0x00FF00;
    b.pixels = QByteArray("\x03\x12\x00\x01", 4);
    const TBitmap bitmap = LoadDIBFromStream(b.build());
    EXPECT_EQ(bitmap.Pixel(0, 0), (TBgr { 255, 0, 0 }));
    EXPECT_EQ(bitmap.Pixel(1, 0), (TBgr { 0, 255, 0 }));
    EXPECT_EQ(bitmap.Pixel(2, 0), (TBgr { 255, 0, 0 }));
}

// Every file of the BMP suite either decodes to its reference picture or is refused with one of
// the reader's messages; none crashes or over-allocates.
TEST(LoadDIBFromStream, BmpSuite)
{
    const QString dir = test::SharedTestData(QStringLiteral("bmpsuite"));
    if (dir.isEmpty())
        GTEST_SKIP() << "shared test data not present";
    // Header size 66 and planes other than 1 are read as the reader's rules say (a header of 40
    // or more bytes is an info header; planes are not looked at), where the suite would refuse.
    const QStringList readAnyway
        = { QStringLiteral("b/badheadersize.bmp"), QStringLiteral("b/badplanes.bmp") };
    int decoded = 0;
    int refused = 0;
    for (const auto &row : test::ReadTsv(dir + QStringLiteral("/expected.tsv"))) {
        const QString name = row.value(QStringLiteral("file"));
        QFile file(dir + QLatin1Char('/') + name);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray data = file.readAll();
        const QString expected = row.value(QStringLiteral("expected"));
        TBitmap bitmap;
        QString error;
        try {
            bitmap = LoadDIBFromStream(data);
        } catch (const EPictureError &e) {
            error = e.Message();
        }
        SCOPED_TRACE(name.toStdString());
        if (expected == QLatin1String("rejects") && !readAnyway.contains(name)) {
            EXPECT_FALSE(error.isEmpty());
        } else if (expected == QLatin1String("decodes")) {
            ASSERT_TRUE(error.isEmpty()) << error.toStdString();
            const QStringList references
                = row.value(QStringLiteral("reference_png")).split(QLatin1Char(' '));
            if (references.size() != 1 || !references[0].endsWith(QLatin1String(".png")))
                continue;
            const QImage reference(dir + QLatin1Char('/') + references[0]);
            ASSERT_EQ(bitmap.Width(), reference.width());
            ASSERT_EQ(bitmap.Height(), reference.height());
            int differences = 0;
            for (int y = 0; y < reference.height(); ++y)
                for (int x = 0; x < reference.width(); ++x) {
                    const QRgb want = reference.pixel(x, y);
                    if (qAlpha(want) != 255)
                        continue;
                    const TBgr got = bitmap.Pixel(x, y);
                    if (std::abs(got.r - qRed(want)) > 1 || std::abs(got.g - qGreen(want)) > 1
                        || std::abs(got.b - qBlue(want)) > 1)
                        ++differences;
                }
            EXPECT_EQ(differences, 0);
        }
        error.isEmpty() ? ++decoded : ++refused;
    }
    EXPECT_GT(decoded, 10);
    EXPECT_GT(refused, 5);
}

} // namespace korvatel
