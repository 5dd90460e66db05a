#include "imaging/exif.h"
#include "imaging/jpeg_codec.h"
#include "support/image_builders.h"
#include "support/temp_home.h"
#include "support/tsv.h"

#include <QFile>
#include <QImage>
#include <gtest/gtest.h>

namespace korvatel
{

using test::ByteOrder;
using test::ExifJpegBuilder;
using test::JpegBytes;
using test::PatternBitmap;
using test::TTempHome;

namespace
{

TExifInfo ReadExif(const QByteArray &data)
{
    TExifInfo exif;
    exif.LoadFromData(data);
    return exif;
}

} // namespace

TEST(TExifInfo, ReadsBothByteOrdersAlike)
{
    for (ByteOrder order : { ByteOrder::Intel, ByteOrder::Motorola }) {
        TExifInfo exif = ReadExif(ExifJpegBuilder(order)
                                      .dateTaken("2004:07:15 13:05:09")
                                      .make("Maker")
                                      .model("Model 1")
                                      .thumbnail(JpegBytes(PatternBitmap(16, 12)))
                                      .build());
        SCOPED_TRACE(int(order));
        EXPECT_EQ(exif.ErrorCode(), 0);
        EXPECT_EQ(exif.BigEndian(), order == ByteOrder::Motorola);
        EXPECT_EQ(exif.App1Position(), 2);
        EXPECT_EQ(exif.TiffHeaderPosition(), 12);
        EXPECT_EQ(exif.Width(), 32);
        EXPECT_EQ(exif.Height(), 24);
        EXPECT_EQ(exif.Make(), QStringLiteral("Maker"));
        EXPECT_EQ(exif.Model(), QStringLiteral("Model 1"));
        EXPECT_EQ(exif.DateTimeOriginalText(), QStringLiteral("2004:07:15 13:05:09"));
        EXPECT_EQ(exif.DateTimeOriginal(), QDateTime(QDate(2004, 7, 15), QTime(13, 5, 9)));
        TJpegImage thumb;
        ASSERT_TRUE(exif.ThumbnailToJpeg(thumb, false));
        EXPECT_EQ(thumb.Width(), 16);
        TBitmap bitmap;
        ASSERT_TRUE(exif.ThumbnailToBitmap(bitmap, false));
        EXPECT_EQ(bitmap.Height(), 12);
    }
}

TEST(TExifInfo, ImageSizeTagsWinOverTheFrame)
{
    EXPECT_EQ(ReadExif(ExifJpegBuilder().imageSize(3000, 2000, 3).build()).Width(), 3000);
    EXPECT_EQ(ReadExif(ExifJpegBuilder().imageSize(70000, 2000, 4).build()).Width(), 70000);
    TExifInfo wrongType = ReadExif(ExifJpegBuilder().imageSize(5, 5, 5).build());
    EXPECT_EQ(wrongType.Width(), 0);
    EXPECT_EQ(wrongType.ErrorCode(), -5);
}

TEST(TExifInfo, MissingDateGivesZero)
{
    TExifInfo exif = ReadExif(ExifJpegBuilder().build());
    EXPECT_EQ(exif.ErrorCode(), 0);
    EXPECT_FALSE(exif.DateTimeOriginal().isValid());
    TJpegImage thumb;
    EXPECT_FALSE(exif.ThumbnailToJpeg(thumb, false));
    ASSERT_TRUE(exif.ThumbnailToJpeg(thumb, true));
    // 32 × 24 fits 160 × 120 already: the made thumbnail keeps its size.
    EXPECT_EQ(thumb.Width(), 32);
}

TEST(TExifInfo, MadeThumbnailFitsTheBox)
{
    TExifInfo exif = ReadExif(ExifJpegBuilder().picture(PatternBitmap(400, 200)).build());
    TJpegImage thumb;
    ASSERT_TRUE(exif.ThumbnailToJpeg(thumb, true));
    EXPECT_EQ(thumb.Width(), 160);
    EXPECT_EQ(thumb.Height(), 80);
}

TEST(TExifInfo, NoApp1WithinTheSearchLimit)
{
    TExifInfo png = ReadExif(QByteArray("\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ(png.ErrorCode(), -2);
    EXPECT_EQ(png.FrameWidth(), 0);
    EXPECT_EQ(png.FrameHeight(), 0);
    // APP1 at offset 65 is the last place searched; at 66 it is too far.
    EXPECT_EQ(ReadExif(ExifJpegBuilder().app0(59).build()).ErrorCode(), 0);
    EXPECT_EQ(ReadExif(ExifJpegBuilder().app0(60).build()).ErrorCode(), -2);
    EXPECT_EQ(ReadExif(ExifJpegBuilder().app0(100).build()).ErrorCode(), -2);
    TExifInfo wider;
    wider.SetSearchBytes(200);
    wider.LoadFromData(ExifJpegBuilder().app0(100).build());
    EXPECT_EQ(wider.ErrorCode(), 0);
    // Not an Exif file still has its frame size.
    EXPECT_EQ(ReadExif(ExifJpegBuilder().app0(100).build()).FrameWidth(), 32);
    wider.SetSearchBytes(-5);
    EXPECT_EQ(wider.SearchBytes(), 0);
}

TEST(TExifInfo, DamagedBlocksAreParseFailures)
{
    QByteArray jpeg = ExifJpegBuilder(ByteOrder::Motorola).dateTaken("2004:07:15 13:05:09").build();
    EXPECT_EQ(ReadExif(jpeg).DateTimeOriginal(), QDateTime({ 2004, 7, 15 }, { 13, 5, 9 }));
    jpeg.truncate(40);
    TExifInfo exif = ReadExif(jpeg);
    EXPECT_EQ(exif.ErrorCode(), -5);
    EXPECT_EQ(exif.MainChain().Count(), 0);
    // An IFD offset far past the end.
    QByteArray farOffset = ExifJpegBuilder().build();
    farOffset[12 + 4] = char(0xFF);
    farOffset[12 + 5] = char(0xFF);
    EXPECT_EQ(ReadExif(farOffset).ErrorCode(), -5);
}

TEST(TExifInfo, ValuesSharingOneBlockAreCapped)
{
    // An IFD of n entries that all point at the same 100000 bytes.
    auto shared = [](int n) {
        QByteArray tiff("II*\0\x08\0\0\0", 8);
        tiff.append(char(n & 0xFF)).append(char(n >> 8));
        for (int i = 0; i < n; ++i) {
            tiff.append("\x00\x90\x07\x00", 4);
            tiff.append("\xA0\x86\x01\x00", 4); // count 100000
            tiff.append("\x08\x00\x00\x00", 4);
        }
        tiff.append(QByteArray(4, '\0'));
        tiff.append(QByteArray(100000, 'v'));
        return QByteArray("\xFF\xD8\xFF\xE1\x00\x00Exif\0\0", 12) + tiff;
    };
    EXPECT_EQ(ReadExif(shared(3)).ErrorCode(), 0);
    // 300 of them would copy 30 MB.
    EXPECT_EQ(ReadExif(shared(300)).ErrorCode(), -5);
}

TEST(TExifInfo, ErrorsRaiseOrGoToTheHandler)
{
    TTempHome home;
    TExifInfo exif;
    exif.ErrMess = true;
    try {
        exif.SetImageFileName(home.FilePath(QStringLiteral("none.jpg")));
        FAIL();
    } catch (const EExifError &e) {
        EXPECT_EQ(e.Code(), -1);
        EXPECT_EQ(e.Message(), QStringLiteral("TExifInfo: ファイルが見つかりません"));
    }
    QList<int> codes;
    exif.OnError = [&codes](TExifInfo &, int code, bool &raise) {
        codes.append(code);
        raise = false;
    };
    ASSERT_TRUE(home.Write(QStringLiteral("a.png"), "\x89PNG"));
    exif.SetImageFileName(home.FilePath(QStringLiteral("a.png")));
    EXPECT_EQ(codes, QList<int>({ -2 }));
    EXPECT_EQ(ExifErrorMessage(-8), QStringLiteral("日時は不明です"));
    EXPECT_EQ(ExifErrorMessage(-99), QStringLiteral("不明なエラーです"));
    exif.SetImageFileName(QString());
    EXPECT_EQ(codes.size(), 1);
}

TEST(TExifInfo, BigFilesAreReadAsFarAsNeeded)
{
    TTempHome home;
    // Random pixels do not compress: the picture runs far past the head that is read first.
    TBitmap noise(1600, 1000);
    uint32_t seed = 1;
    for (int y = 0; y < noise.Height(); ++y)
        for (int x = 0; x < 3 * noise.Width(); ++x) {
            seed = seed * 1103515245u + 12345u;
            noise.ScanLine(y)[x] = uint8_t(seed >> 24);
        }
    const QByteArray big
        = ExifJpegBuilder().dateTaken("2010:01:02 03:04:05").picture(noise).build();
    ASSERT_GT(big.size(), 1 << 20);
    ASSERT_TRUE(home.Write(QStringLiteral("big.jpg"), big));
    TExifInfo exif;
    exif.SetImageFileName(home.FilePath(QStringLiteral("big.jpg")));
    EXPECT_EQ(exif.ErrorCode(), 0);
    EXPECT_EQ(exif.Width(), 1600);
    TJpegImage thumb;
    ASSERT_TRUE(exif.ThumbnailToJpeg(thumb, true));
    EXPECT_EQ(thumb.Width(), 160);
    EXPECT_EQ(thumb.Height(), 100);

    // Large segments before the frame header push it out of the head.
    QByteArray padded = ExifJpegBuilder().thumbnail(JpegBytes(PatternBitmap(16, 12))).build();
    ASSERT_EQ(padded.mid(2, 2), QByteArray("\xFF\xE1", 2));
    const qsizetype afterApp1 = 4 + (uint8_t(padded[4]) << 8 | uint8_t(padded[5]));
    // Three of them push it past the first short head, twenty past the longer one.
    for (const int count : { 3, 20 }) {
        QByteArray segments;
        for (int i = 0; i < count; ++i)
            segments += QByteArray("\xFF\xE2\xFF\xFF", 4) + QByteArray(0xFFFF - 2, 'x');
        QByteArray file = padded;
        file.insert(afterApp1, segments);
        ASSERT_TRUE(home.Write(QStringLiteral("padded.jpg"), file));
        exif.SetImageFileName(home.FilePath(QStringLiteral("padded.jpg")));
        EXPECT_EQ(exif.ErrorCode(), 0) << count;
        EXPECT_EQ(exif.FrameWidth(), 32) << count;
        EXPECT_EQ(exif.FrameHeight(), 24) << count;
        EXPECT_TRUE(exif.ThumbnailToJpeg(thumb, false)) << count;
    }

    // A big file without an Exif block reports it once, through the error routine.
    ASSERT_TRUE(home.Write(QStringLiteral("plain.jpg"), JpegBytes(noise)));
    int errors = 0;
    exif.OnError = [&](TExifInfo &, int code, bool &) { errors += code == -2; };
    exif.SetImageFileName(home.FilePath(QStringLiteral("plain.jpg")));
    EXPECT_EQ(exif.ErrorCode(), -2);
    EXPECT_EQ(exif.FrameWidth(), 1600);
    EXPECT_EQ(errors, 1);
}

TEST(TExifInfo, IsExifFileLooksOnlyForApp1)
{
    TTempHome home;
    ASSERT_TRUE(home.Write(QStringLiteral("e.jpg"), ExifJpegBuilder().build()));
    ASSERT_TRUE(home.Write(QStringLiteral("p.jpg"), JpegBytes(PatternBitmap(8, 8))));
    TExifInfo exif;
    EXPECT_TRUE(exif.IsExifFile(home.FilePath(QStringLiteral("e.jpg"))));
    EXPECT_FALSE(exif.IsExifFile(home.FilePath(QStringLiteral("p.jpg"))));
    EXPECT_FALSE(exif.IsExifFile(home.FilePath(QStringLiteral("none.jpg"))));
}

TEST(TExifInfo, UserCommentFollowsItsCode)
{
    EXPECT_EQ(ReadExif(ExifJpegBuilder().userComment(QByteArray("ASCII\0\0\0hello", 13)).build())
                  .UserComment(),
        QStringLiteral("hello"));
    EXPECT_EQ(
        ReadExif(
            ExifJpegBuilder().userComment(QByteArray("JIS\0\0\0\0\0\x93\xfa\x96\x7b", 12)).build())
            .UserComment(),
        QStringLiteral("日本"));
    EXPECT_EQ(ReadExif(ExifJpegBuilder(ByteOrder::Motorola)
                           .userComment(QByteArray("UNICODE\0\x65\xe5\x67\x2c", 12))
                           .build())
                  .UserComment(),
        QStringLiteral("日本"));
    EXPECT_EQ(
        ReadExif(ExifJpegBuilder().userComment(QByteArray("\0\0\0\0\0\0\0\0plain", 13)).build())
            .UserComment(),
        QStringLiteral("plain"));
}

TEST(ExifDateToDateTime, ImpossibleTextsGiveZero)
{
    EXPECT_EQ(ExifDateToDateTime(QStringLiteral("2004:07:15 13:05:09")),
        QDateTime(QDate(2004, 7, 15), QTime(13, 5, 9)));
    EXPECT_FALSE(ExifDateToDateTime(QString()).isValid());
    EXPECT_FALSE(ExifDateToDateTime(QStringLiteral("0000:00:00 00:00:00")).isValid());
    EXPECT_FALSE(ExifDateToDateTime(QStringLiteral("2004-07-15")).isValid());
    EXPECT_FALSE(ExifDateToDateTime(QStringLiteral("2004:02:30 10:00:00")).isValid());
    EXPECT_FALSE(ExifDateToDateTime(QStringLiteral("2004:07:15 25:00:00")).isValid());
    EXPECT_FALSE(ExifDateToDateTime(QStringLiteral("2004:xx:15 10:00:00")).isValid());
    // The seconds are missing: not a number, so not a time.
    EXPECT_FALSE(ExifDateToDateTime(QStringLiteral("2004:07:15 13:05")).isValid());
}

TEST(TExifRational, TextShowsOneSign)
{
    EXPECT_EQ((TExifRational { 1, 250 }).Text(), QStringLiteral("1/250"));
    EXPECT_EQ((TExifRational { -1, 3 }).Text(), QStringLiteral("-1/3"));
    EXPECT_EQ((TExifRational { -1, -3 }).Text(), QStringLiteral("1/3"));
}

// The Exif sample suite: byte order, frame size, date taken, thumbnail place, make and model as
// the reference tools read them; files whose APP1 lies beyond the search limit are not Exif.
TEST(TExifInfo, ExifSamples)
{
    const QString dir = test::SharedTestData(QStringLiteral("exif-samples"));
    if (dir.isEmpty())
        GTEST_SKIP() << "shared test data not present";
    int checked = 0;
    int thumbnails = 0;
    for (const auto &row : test::ReadTsv(dir + QStringLiteral("/expected.tsv"))) {
        auto column = [&row](const char *name) { return row.value(QLatin1String(name)); };
        const QString path = dir + QLatin1Char('/') + column("file");
        if (!QFile::exists(path))
            continue;
        SCOPED_TRACE(column("file").toStdString());
        TExifInfo exif;
        exif.SetImageFileName(path);
        ++checked;
        EXPECT_EQ(QString::number(exif.FrameWidth()),
            column("sof_width").isEmpty() ? QStringLiteral("0") : column("sof_width"));
        EXPECT_EQ(QString::number(exif.FrameHeight()),
            column("sof_height").isEmpty() ? QStringLiteral("0") : column("sof_height"));
        const bool near = column("app1_within_64_after_soi") == QLatin1String("yes");
        if (column("byte_order").isEmpty())
            continue; // no Exif APP1; an XMP APP1 near the start may still be taken for one
        if (!near) {
            EXPECT_EQ(exif.ErrorCode(), -2);
            continue;
        }
        ASSERT_EQ(exif.ErrorCode(), 0);
        EXPECT_EQ(
            exif.BigEndian() ? QStringLiteral("MM") : QStringLiteral("II"), column("byte_order"));
        EXPECT_EQ(exif.App1Position(), column("exif_app1_offset").toLongLong());
        const QString date = column("datetime_original");
        if (!date.isEmpty()) {
            EXPECT_EQ(exif.DateTimeOriginalText(), date);
        }
        EXPECT_EQ(exif.Make().trimmed(), column("make"));
        EXPECT_EQ(exif.Model().trimmed(), column("model"));
        // IFD1 of a few files says "uncompressed" beside its JPEG offsets: no thumbnail then.
        const auto place = exif.ThumbnailPlace();
        if (column("ifd1_jpeg_thumbnail") == QLatin1String("yes") && place) {
            ++thumbnails;
            EXPECT_EQ(place->first, column("thumb_offset_file").toLongLong());
            EXPECT_EQ(place->second, column("thumb_length").toLongLong());
        }
    }
    EXPECT_GT(checked, 10);
    EXPECT_GT(thumbnails, 5);
}

} // namespace korvatel
