#include "imaging/dib.h"
#include "imaging/jpeg_codec.h"
#include "platform/file_times.h"
#include "sources/thumb_paths.h"
#include "sources/thumb_store.h"
#include "support/image_builders.h"
#include "support/temp_home.h"

#include <QFileInfo>
#include <QFontMetrics>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

// A browser over a temporary folder with a store in its Works folder.
struct TBrowserFixture {
    test::TTempHome home;
    TThumbStore store { home.FilePath("Works") };
    TCellLayout layout;

    TBrowserFixture()
    {
        layout.cell = QRect(0, 0, 220, 200);
        layout.box = QSize(200, 150);
        layout.cellSize = 220;
    }

    TBrowserItem Item(const QString &name, const QByteArray &bytes)
    {
        home.Write(name, bytes);
        TBrowserItem item;
        item.fullPath = home.FilePath(name);
        item.displayName = name;
        item.fileSize = bytes.size();
        return item;
    }
    QString Thumb(const TBrowserItem &item) const
    {
        return BrowserThumbPath(store.Works(), item.fullPath);
    }
};

QByteArray CameraJpeg(int w, int h, bool withThumbnail = false)
{
    test::ExifJpegBuilder builder;
    builder.dateTaken("2009:07:15 13:05:09").picture(test::PatternBitmap(w, h));
    if (withThumbnail)
        builder.thumbnail(test::JpegBytes(test::PatternBitmap(160, 120)));
    return builder.build();
}

TEST(TThumbStore, MakesStoresAndReusesTheThumbnailUntilTheSourceChanges)
{
    TBrowserFixture f;
    TBrowserItem item = f.Item("IMG_0001.JPG", CameraJpeg(900, 600));
    TBrowserCell cell = f.store.BrowserCell(item, f.layout);
    ASSERT_EQ(cell.outcome, TCellOutcome::coReady);
    EXPECT_EQ(f.store.Decodes(), 1);
    EXPECT_EQ(cell.picture.Width(), 400);
    EXPECT_EQ(cell.picture.Height(), 267);
    EXPECT_EQ(cell.target, QRect(10, 33, 200, 133));
    EXPECT_EQ(item.exifState, 1);
    EXPECT_EQ(item.caption, "2009.07.15 13:05:09");
    EXPECT_TRUE(cell.hintChanged);
    EXPECT_TRUE(
        item.hint.endsWith("IMG_0001.JPG " + QString::number(item.fileSize) + "Byte(900×600)"))
        << item.hint.toStdString();
    ASSERT_TRUE(QFileInfo::exists(f.Thumb(item)));
    EXPECT_TRUE(SameFileTimes(item.fullPath, f.Thumb(item)));

    cell = f.store.BrowserCell(item, f.layout);
    EXPECT_EQ(cell.outcome, TCellOutcome::coReady);
    EXPECT_EQ(f.store.Decodes(), 1); // the stored thumbnail is taken
    EXPECT_FALSE(cell.hintChanged);

    // Touching the source makes the next paint remake the thumbnail.
    SetFileTimes(item.fullPath, QDateTime::currentDateTime().addSecs(-3600), {});
    cell = f.store.BrowserCell(item, f.layout);
    EXPECT_EQ(cell.outcome, TCellOutcome::coReady);
    EXPECT_EQ(f.store.Decodes(), 2);
    EXPECT_TRUE(SameFileTimes(item.fullPath, f.Thumb(item)));
}

TEST(TThumbStore, CellsShowAPhoneShotUprightAndTheStoredThumbnailAsTheFileLies)
{
    TBrowserFixture f;
    TBrowserItem item = f.Item("IMG_0002.JPG", test::SidewaysJpeg(6));
    TBrowserCell cell = f.store.BrowserCell(item, f.layout);
    ASSERT_EQ(cell.outcome, TCellOutcome::coReady);
    EXPECT_TRUE(test::RedAboveBlue(cell.picture));
    EXPECT_LT(cell.target.width(), cell.target.height());
    TJpegImage stored;
    stored.LoadFromFile(f.Thumb(item));
    EXPECT_GT(stored.Width(), stored.Height());
    cell = f.store.BrowserCell(item, f.layout); // from the stored thumbnail
    EXPECT_TRUE(test::RedAboveBlue(cell.picture));

    // A small cell shows the camera's thumbnail, upright as well.
    TBrowserItem other = f.Item("IMG_0003.JPG", test::SidewaysJpeg(8));
    f.layout.cell = QRect(0, 0, 100, 100);
    cell = f.store.BrowserCell(other, f.layout);
    ASSERT_EQ(cell.outcome, TCellOutcome::coReady);
    EXPECT_EQ(f.store.Decodes(), 1);
    EXPECT_TRUE(test::RedAboveBlue(cell.picture));
}

TEST(TThumbStore, BrokenFilesBecomeErrorTilesAndAreNeverDecodedTwice)
{
    TBrowserFixture f;
    TBrowserItem empty = f.Item("zero.jpg", {});
    TBrowserCell cell = f.store.BrowserCell(empty, f.layout);
    EXPECT_EQ(cell.outcome, TCellOutcome::coError);
    EXPECT_EQ(cell.tileText, "FILE ERROR");
    EXPECT_TRUE(empty.hint.endsWith("【ERROR】"));
    EXPECT_EQ(f.store.Decodes(), 0);

    QByteArray truncated = CameraJpeg(300, 200);
    truncated.truncate(truncated.size() / 3);
    for (const QByteArray &bytes : { truncated, QByteArray("not a picture at all") }) {
        TBrowserItem bad = f.Item("bad.jpg", bytes);
        const int before = f.store.Decodes();
        cell = f.store.BrowserCell(bad, f.layout);
        EXPECT_EQ(cell.outcome, TCellOutcome::coError);
        EXPECT_LT(bad.fileSize, 0);
        EXPECT_TRUE(f.store.FailedFiles().contains(bad.fullPath));
        EXPECT_FALSE(QFileInfo::exists(f.Thumb(bad)));
        cell = f.store.BrowserCell(bad, f.layout);
        EXPECT_EQ(cell.outcome, TCellOutcome::coError);
        EXPECT_LE(f.store.Decodes(), before + 1);
        EXPECT_EQ(bad.hint, f.store.FailedFiles().value(bad.fullPath));
    }

    TBrowserItem gone = f.Item("gone.jpg", CameraJpeg(10, 10));
    QFile::remove(gone.fullPath);
    EXPECT_EQ(f.store.BrowserCell(gone, f.layout).outcome, TCellOutcome::coError);
    EXPECT_EQ(gone.fileSize, 0);

    TBrowserItem movie = f.Item("clip.avi", "RIFF");
    movie.movie = true;
    cell = f.store.BrowserCell(movie, f.layout);
    EXPECT_EQ(cell.outcome, TCellOutcome::coMovie);
    EXPECT_EQ(cell.tileText, "MOVIE");
    EXPECT_GT(movie.fileSize, 0);
}

TEST(TThumbStore, SmallCellsAndExifModesShowTheCameraThumbnail)
{
    TBrowserFixture f;
    TBrowserItem item = f.Item("a.jpg", CameraJpeg(640, 480, true));
    f.layout.cell = QRect(0, 0, 100, 100);
    f.layout.cellSize = 100;
    TBrowserCell cell = f.store.BrowserCell(item, f.layout);
    ASSERT_EQ(cell.outcome, TCellOutcome::coReady);
    EXPECT_EQ(cell.picture.Width(), 160); // as stored: cell size div 110 is 0
    EXPECT_EQ(f.store.Decodes(), 0);
    EXPECT_FALSE(QFileInfo::exists(f.Thumb(item)));

    ASSERT_TRUE(f.store.SetThumbnailMode(7, {}));
    f.layout.cell = QRect(0, 0, 230, 230);
    f.layout.cellSize = 230;
    cell = f.store.BrowserCell(item, f.layout);
    EXPECT_EQ(cell.picture.Width(), 480); // enlarged by 230 div 110 + 1
    EXPECT_EQ(item.exifState, 1);
}

TEST(TThumbStore, ModeEightShowsJpegFilesWholeAndStoresNothing)
{
    TBrowserFixture f;
    ASSERT_TRUE(f.store.SetThumbnailMode(8, {}));
    TBrowserItem item = f.Item("a.jpg", CameraJpeg(1000, 700));
    const TBrowserCell cell = f.store.BrowserCell(item, f.layout);
    ASSERT_EQ(cell.outcome, TCellOutcome::coReady);
    EXPECT_EQ(cell.picture.Width(), 1000);
    EXPECT_FALSE(QFileInfo::exists(f.Thumb(item)));

    TBrowserItem bmp = f.Item("b.bmp", SaveDIBToStream(test::PatternBitmap(1000, 500)));
    EXPECT_EQ(f.store.BrowserCell(bmp, f.layout).picture.Width(), 800);
    EXPECT_TRUE(QFileInfo::exists(f.Thumb(bmp)));
}

TEST(TThumbStore, ModeSwitchesDeleteOrKeepTheListedThumbnails)
{
    TBrowserFixture f;
    ASSERT_TRUE(f.store.SetThumbnailMode(1, {}));
    QList<TBrowserItem> items { f.Item("a.jpg", CameraJpeg(700, 500)),
        f.Item("b.jpg", CameraJpeg(700, 500)) };
    for (TBrowserItem &item : items)
        f.store.BrowserCell(item, f.layout);
    ASSERT_TRUE(QFileInfo::exists(f.Thumb(items[1])));
    EXPECT_FALSE(f.store.SetThumbnailMode(1, items));
    ASSERT_TRUE(f.store.SetThumbnailMode(0, items)); // to mode 0: kept
    EXPECT_TRUE(QFileInfo::exists(f.Thumb(items[0])));
    ASSERT_TRUE(f.store.SetThumbnailMode(2, items)); // from mode 0: kept
    EXPECT_TRUE(QFileInfo::exists(f.Thumb(items[0])));
    ASSERT_TRUE(f.store.SetThumbnailMode(1, items)); // 2 × 1 > 0: deleted
    EXPECT_FALSE(QFileInfo::exists(f.Thumb(items[0])));
    EXPECT_FALSE(QFileInfo::exists(f.Thumb(items[1])));

    for (TBrowserItem &item : items)
        f.store.BrowserCell(item, f.layout);
    f.store.DeleteBrowserThumbnails(items, 1, 99);
    EXPECT_TRUE(QFileInfo::exists(f.Thumb(items[0])));
    EXPECT_FALSE(QFileInfo::exists(f.Thumb(items[1])));
}

TEST(TThumbStore, CataloguePicturesAreDecodedFromTheirFileAndNeverStored)
{
    TBrowserFixture f;
    TBrowserItem item
        = f.Item("c1.cci", QByteArray(11, 'h') + test::JpegBytes(test::PatternBitmap(300, 200)));
    item.kind = kBrowserCatalogue;
    f.layout.captions = true;
    f.store.CatalogueName = [](const QString &) { return QStringLiteral("運動会"); };
    TBrowserCell cell = f.store.BrowserCell(item, f.layout);
    ASSERT_EQ(cell.outcome, TCellOutcome::coReady);
    EXPECT_EQ(cell.picture.Width(), 300);
    EXPECT_EQ(item.fileSize, 300 * 200);
    EXPECT_EQ(item.caption, "c1 / 運動会");
    EXPECT_FALSE(QFileInfo::exists(f.Thumb(item)));

    TBrowserItem missing = item;
    missing.fullPath = f.home.FilePath("c2.cci");
    QStringList asked;
    f.store.RequestDownload = [&](const QString &path) { return asked << path, false; };
    cell = f.store.BrowserCell(missing, f.layout);
    EXPECT_EQ(cell.outcome, TCellOutcome::coError);
    EXPECT_EQ(asked, QStringList { missing.fullPath });
}

TEST(BrowserDecodeScale, FollowsTheModeAndTheKnownSize)
{
    EXPECT_EQ(BrowserDecodeScale(0, 1, 3200), jsEighth); // 3200 div 400 = 8
    EXPECT_EQ(BrowserDecodeScale(2, 1, 3200), jsQuarter); // 3200 div 800 = 4
    EXPECT_EQ(BrowserDecodeScale(4, 1, 1800), jsHalf);
    EXPECT_EQ(BrowserDecodeScale(0, 2, 3200), jsFullSize); // size not known from Exif
    EXPECT_EQ(BrowserDecodeScale(7, 1, 3200), jsFullSize);
    EXPECT_EQ(BrowserDecodeScale(0, 1, 799), jsFullSize);
}

TEST(BrowserCellDrawing, FitTilesAndFontRule)
{
    // Wide box: the height limits.
    EXPECT_EQ(FitInBox({ 400, 300 }, QRect(0, 0, 220, 200), { 200, 100 }), QRect(43, 50, 133, 100));
    EXPECT_EQ(
        FitInBox({ 300, 400 }, QRect(10, 10, 100, 100), { 90, 90 }, 4), QRect(26, 11, 67, 90));
    EXPECT_EQ(FitInBox({ 0, 10 }, QRect(0, 0, 10, 10), { 10, 10 }), QRect());
    // W = 200: the font starts at trunc(0.3 × 160) = 48 and shrinks until the text fits 160.
    EXPECT_EQ(TileFontHeight(200, [](int h) { return h * 4; }), 40);
    EXPECT_EQ(TileFontHeight(200, [](int h) { return h; }), 48);
    const QFont font = TileFont("FILE ERROR", 120);
    EXPECT_TRUE(font.bold());
    EXPECT_LE(QFontMetrics(font).horizontalAdvance("FILE ERROR"), 96);
}

} // namespace

} // namespace korvatel
