#include "imaging/gif.h"
#include "support/image_builders.h"
#include "support/temp_home.h"
#include "support/tsv.h"

#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <gtest/gtest.h>
#include <set>
#include <sys/resource.h>

namespace korvatel
{

using test::PatternBitmap;
using test::UniformBitmap;

namespace
{

QString LoadError(const QByteArray &data)
{
    try {
        TGifFile gif;
        gif.LoadFromData(data);
        gif.FirstImageBitmap();
        return {};
    } catch (const EPictureError &e) {
        return e.Message();
    }
}

// The peak memory of this process so far, in KiB.
long PeakMemoryKiB()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A 2 × 1 GIF87a with a 2-colour table whose LZW data is given.
QByteArray TinyGif(const QByteArray &lzw, char minCodeSize = 2)
{
    QByteArray gif("GIF87a\x02\x00\x01\x00\x80\x00\x00", 13);
    gif.append("\x00\x00\x00\xFF\xFF\xFF", 6);
    gif.append(",\x00\x00\x00\x00\x02\x00\x01\x00\x00", 10);
    gif.append(minCodeSize);
    gif.append(char(lzw.size()));
    gif.append(lzw);
    gif.append("\x00;", 2);
    return gif;
}

} // namespace

TEST(TGifFile, FewColoursRoundTripExactly)
{
    TBitmap source(37, 19);
    for (int y = 0; y < 19; ++y)
        for (int x = 0; x < 37; ++x)
            source.SetPixel(x, y, { uint8_t((x * y) % 7 * 30), uint8_t(x % 5 * 50), 9 });
    const TGifFile gif = TGifFile::FromBitmap(source);
    EXPECT_EQ(gif.globalColours.size(), 256u);
    TGifFile back;
    back.LoadFromData(gif.SaveToData());
    EXPECT_EQ(back.FirstImageBitmap(), source);
}

TEST(TGifFile, ColourTablesHaveAllowedSizes)
{
    for (int colours : { 1, 2, 3, 9, 17 }) {
        TBitmap source(colours, 1);
        for (int x = 0; x < colours; ++x)
            source.SetPixel(x, 0, { uint8_t(x * 10), 0, 0 });
        const TGifFile gif = TGifFile::FromBitmap(source);
        const std::size_t size = gif.globalColours.size();
        EXPECT_TRUE(size == 2 || size == 4 || size == 8 || size == 16 || size == 256) << size;
        TGifFile back;
        back.LoadFromData(gif.SaveToData());
        EXPECT_EQ(back.FirstImageBitmap(), source);
    }
}

TEST(TGifFile, ManyColoursAreReducedTo256)
{
    const TBitmap source = PatternBitmap(64, 64);
    const TGifFile gif = TGifFile::FromBitmap(source);
    EXPECT_EQ(gif.globalColours.size(), 256u);
    TGifFile back;
    back.LoadFromData(gif.SaveToData());
    const TBitmap reduced = back.FirstImageBitmap();
    ASSERT_EQ(reduced.Width(), 64);
    for (int y = 0; y < 64; y += 9)
        for (int x = 0; x < 64; x += 7) {
            EXPECT_NEAR(reduced.Pixel(x, y).r, source.Pixel(x, y).r, 26);
            EXPECT_NEAR(reduced.Pixel(x, y).g, source.Pixel(x, y).g, 22);
        }
}

TEST(TGifFile, LongRunsPassTheFullTable)
{
    // Enough varied pixels to fill the 4096-entry table several times.
    TBitmap source(300, 200);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 300; ++x)
            source.SetPixel(x, y, { uint8_t((x * 7 + y * 13) % 16 * 16), 0, 0 });
    TGifFile back;
    back.LoadFromData(TGifFile::FromBitmap(source).SaveToData());
    EXPECT_EQ(back.FirstImageBitmap(), source);
}

TEST(TGifFile, FaultsGiveTheirMessages)
{
    QByteArray gif = TGifFile::FromBitmap(UniformBitmap(2, 2, { 1, 2, 3 })).SaveToData();
    QByteArray wrongVersion = gif;
    wrongVersion.replace(3, 3, "88a");
    EXPECT_EQ(LoadError(wrongVersion), QStringLiteral("Gif Version must be 87a or 89a"));
    QByteArray upper = gif;
    upper.replace(3, 3, "89A");
    EXPECT_EQ(LoadError(upper), QString());
    QByteArray extension = gif;
    extension.insert(13 + 6, QByteArray("!\x42\x00", 3));
    EXPECT_EQ(LoadError(extension), QStringLiteral("Unrecognized extension block.\r\nCode = $42"));
    EXPECT_EQ(LoadError(TinyGif(QByteArray("\x00", 1), 1)), QStringLiteral("Bad code Size"));
    EXPECT_EQ(LoadError(TinyGif(QByteArray("\x00", 1), 10)), QStringLiteral("Bad code Size"));
    // Clear, then code 7 with nothing in the table.
    EXPECT_EQ(LoadError(TinyGif(QByteArray("\x3C", 1))), QStringLiteral("Bad code"));
    EXPECT_EQ(LoadError(gif.left(20)), QStringLiteral("Stream read error"));
}

TEST(TGifFile, InterlacedRowsComeBackInOrder)
{
    TBitmap source(3, 10);
    for (int y = 0; y < 10; ++y)
        source.SetPixel(1, y, { uint8_t(y * 20), 0, 0 });
    TGifFile gif = TGifFile::FromBitmap(source);
    // Store the rows in interlace order and flag the image.
    TGifSubImage &image = gif.images.front();
    std::vector<uint8_t> interlaced;
    for (int pass = 0; pass < 4; ++pass) {
        const int start[] = { 0, 4, 2, 1 };
        const int step[] = { 8, 8, 4, 2 };
        for (int y = start[pass]; y < 10; y += step[pass])
            for (int x = 0; x < 3; ++x)
                interlaced.push_back(image.pixels.At(x, y));
    }
    image.pixels.bytes = interlaced;
    QByteArray data = gif.SaveToData();
    const qsizetype descriptor = data.indexOf(',', 13 + qsizetype(gif.globalColours.size()) * 3);
    data[descriptor + 9] = char(data[descriptor + 9] | 0x40);
    TGifFile back;
    back.LoadFromData(data);
    EXPECT_EQ(back.FirstImageBitmap(), source);
}

TEST(TGifFile, FramesBeyondThePixelLimitAreNotRead)
{
    QByteArray gif("GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xFF\xFF\xFF", 19);
    for (int i = 0; i < 3; ++i) {
        // A 100 × 60 frame whose data gives one pixel (clear, 0, end).
        gif.append(",\x00\x00\x00\x00\x64\x00\x3C\x00\x00", 10);
        gif.append("\x02\x02\x44\x01\x00", 5);
    }
    gif.append(';');
    const qint64 limit = MaxBitmapPixels();
    SetMaxBitmapPixels(10000);
    TGifFile file;
    file.LoadFromData(gif);
    SetMaxBitmapPixels(limit);
    EXPECT_EQ(file.images.size(), 1u);
    EXPECT_EQ(file.FirstImageBitmap().Width(), 1);
    file.LoadFromData(gif);
    EXPECT_EQ(file.images.size(), 3u);
}

TEST(TGifFile, GifOfThirtyFiveBytesDeclaringAGigabyte)
{
    // A screen and an image of 65535 × 3000 declared by a file whose data holds one pixel:
    // refused before the 0.8 GB it would have cost are allocated.
    QFile file(
        QStringLiteral(KORVATEL_TEST_DATA "/regressions/GifOfThirtyFiveBytesDeclaringAGigabyte"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray gif = file.readAll();
    ASSERT_EQ(gif.size(), 35);
    const long before = PeakMemoryKiB();
    EXPECT_EQ(LoadError(gif), QStringLiteral("Bad code"));
    EXPECT_LT(PeakMemoryKiB() - before, 64 * 1024);

    // Within what its bytes can fill a short image still reads, the rest left at index 0;
    // and a small image on a forged huge screen is refused too.
    QByteArray fits("GIF89a\x40\x00\x40\x00\x80\x00\x00\x00\x00\x00\xFF\xFF\xFF", 19);
    fits.append(",\x00\x00\x00\x00\x40\x00\x40\x00\x00", 10);
    fits.append("\x02\x02\x44\x01\x00;", 6);
    EXPECT_EQ(LoadError(fits), QString());
    QByteArray screen = fits;
    screen.replace(6, 4, QByteArray("\xFF\xFF\xFF\x0F", 4));
    EXPECT_EQ(LoadError(screen), QStringLiteral("Bad code"));
}

TEST(GifBitmapFiles, WriteAndReadThroughFiles)
{
    test::TTempHome home;
    const QString name = home.FilePath(QStringLiteral("x.gif"));
    const TBitmap source = UniformBitmap(5, 4, { 10, 20, 30 });
    ASSERT_TRUE(WriteGifBitmap(source, name));
    const std::optional<TBitmap> read = ReadGifBitmap(name);
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, source);
    EXPECT_FALSE(ReadGifBitmap(home.FilePath(QStringLiteral("missing.gif"))));
    TBitmap target;
    EXPECT_THROW(
        LoadGifBitmap(target, home.FilePath(QStringLiteral("missing.gif"))), EPictureError);
    EXPECT_FALSE(WriteGifBitmap(TBitmap(), name));
}

// The public GIF suites: clean files decode, unusable ones are refused, damaged ones either
// way, and nothing crashes. Single-image files also match the reference decoder's pixels.
TEST(TGifFile, PublicSuites)
{
    int files = 0;
    for (const char *suite : { "giflib", "gif-test-suite", "image-gif", "libnsgif" }) {
        const QString dir = test::SharedTestData(QString::fromLatin1(suite));
        if (dir.isEmpty())
            continue;
        for (const auto &row : test::ReadTsv(dir + QStringLiteral("/expected.tsv"))) {
            const QString name = row.value(QStringLiteral("file"));
            QFile file(dir + QLatin1Char('/') + name);
            if (!file.open(QIODevice::ReadOnly))
                continue;
            SCOPED_TRACE((QString::fromLatin1(suite) + QLatin1Char('/') + name).toStdString());
            ++files;
            TGifFile gif;
            TBitmap bitmap;
            QString error;
            try {
                gif.LoadFromData(file.readAll());
                bitmap = gif.FirstImageBitmap();
            } catch (const EPictureError &e) {
                error = e.Message();
            }
            const QString fail = row.value(QStringLiteral("decode_should_fail"));
            if (fail == QLatin1String("no")) {
                EXPECT_TRUE(error.isEmpty()) << error.toStdString();
            } else if (fail == QLatin1String("yes")) {
                EXPECT_FALSE(error.isEmpty());
            }
            const QString rgbName = dir + QStringLiteral("/tests/")
                + QFileInfo(name).completeBaseName() + QStringLiteral(".rgb");
            QFile rgb(rgbName);
            if (error.isEmpty() && row.value(QStringLiteral("frames")) == QLatin1String("1")
                && rgb.open(QIODevice::ReadOnly)) {
                const QByteArray pixels = rgb.readAll();
                ASSERT_EQ(pixels.size(), qsizetype(bitmap.Width()) * bitmap.Height() * 3);
                int differences = 0;
                for (int y = 0; y < bitmap.Height(); ++y)
                    for (int x = 0; x < bitmap.Width(); ++x) {
                        const qsizetype at = (qsizetype(y) * bitmap.Width() + x) * 3;
                        const TBgr p = bitmap.Pixel(x, y);
                        if (p
                            != TBgr { uint8_t(pixels[at + 2]), uint8_t(pixels[at + 1]),
                                uint8_t(pixels[at]) })
                            ++differences;
                    }
                EXPECT_EQ(differences, 0);
            }
        }
    }
    if (files == 0)
        GTEST_SKIP() << "shared test data not present";
}

} // namespace korvatel
