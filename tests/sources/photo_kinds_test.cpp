#include "imaging/picture_kinds.h"
#include "platform/file_times.h"
#include "sources/date_scan.h"
#include "sources/film_list.h"
#include "sources/source_listing.h"
#include "sources/thumb_store.h"
#include "support/codec_builders.h"
#include "support/image_builders.h"
#include "support/temp_home.h"
#include "workspace/option_settings.h"

#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

const QDateTime kFileTime(QDate(2020, 5, 5), QTime(8, 0, 0));

} // namespace

TEST(PhotoKinds, EachKindOfAFolderIsListedScannedAndThumbnailed)
{
    const TBitmap picture = test::Halves(96, 64);
    const QByteArray heic = test::HeifBytes(picture, test::HeifCodec::Hevc);
    const QByteArray avif = test::HeifBytes(picture, test::HeifCodec::Av1);
    if (heic.isEmpty() || avif.isEmpty())
        GTEST_SKIP() << "libheif here lacks an encoder";
    const QByteArray tiff = test::TiffBytes(picture);
    const QByteArray webp = test::WebpBytes(picture, false);
    const struct {
        const char *name;
        const QByteArray &bytes;
    } files[] = { { "a.tif", tiff }, { "b.TIFF", tiff }, { "c.webp", webp }, { "d.HEIC", heic },
        { "e.heif", heic }, { "f.hif", heic }, { "g.avif", avif } };
    test::TTempHome home;
    for (const auto &file : files)
        ASSERT_TRUE(home.Write(QStringLiteral("Photos/") + QLatin1String(file.name), file.bytes));
    const QString folder = home.FilePath(QStringLiteral("Photos"));
    const TOptionSettings option; // the kinds a new workspace shows

    const QStringList listed = FolderPictures(folder, PictureKindExtensions(option), false);
    TScanRules rules;
    rules.extensions = PictureKindExtensions(option);
    QStringList lines;
    TDateScanner(rules).ScanFolder(folder, lines, false);
    ASSERT_EQ(listed.size(), std::size(files));
    ASSERT_EQ(lines.size(), std::size(files));

    TThumbStore store(home.FilePath(QStringLiteral("Works")));
    TCellLayout layout;
    layout.cell = QRect(0, 0, 220, 200);
    layout.box = QSize(200, 150);
    layout.cellSize = 220;
    TFilmList film;
    for (const QString &path : listed) {
        TFilmData &item = film.AddFile(path);
        const TBrowserCell cell = store.BrowserCell(item, layout);
        EXPECT_EQ(cell.outcome, TCellOutcome::coReady) << item.fileName.toStdString();
        EXPECT_EQ(QSize(item.width, item.height), QSize(96, 64)) << item.fileName.toStdString();
        EXPECT_EQ(IsPictureFile(path), 1); // the basket keeps it
    }
}

TEST(PhotoKinds, AHeifFileIsDatedByItsExifShootingDate)
{
    const QByteArray exif = test::ExifJpegBuilder().dateTaken("2004:07:15 13:05:09").tiff();
    const QByteArray heic = test::HeifBytes(test::Halves(32, 32), test::HeifCodec::Hevc, 1, exif);
    if (heic.isEmpty())
        GTEST_SKIP() << "libheif here has no HEVC encoder";
    test::TTempHome home;
    ASSERT_TRUE(home.Write(QStringLiteral("IMG_0001.HEIC"), heic));
    const QString path = home.FilePath(QStringLiteral("IMG_0001.HEIC"));
    ASSERT_TRUE(SetFileTimes(path, kFileTime, kFileTime));

    EXPECT_EQ(ScanDateTime(path, kFileTime, true), QDateTime(QDate(2004, 7, 15), QTime(13, 5, 9)));
    EXPECT_EQ(ScanDateTime(path, kFileTime, false), kFileTime);

    // The browser's caption shows it as it shows a JPEG's.
    TThumbStore store(home.FilePath(QStringLiteral("Works")));
    TFilmList film;
    TFilmData &item = film.AddFile(path);
    TCellLayout layout;
    layout.cell = QRect(0, 0, 220, 200);
    layout.box = QSize(200, 150);
    layout.captions = true;
    store.BrowserCell(item, layout);
    EXPECT_EQ(item.caption, QStringLiteral("2004.07.15 13:05:09"));
}

} // namespace korvatel
