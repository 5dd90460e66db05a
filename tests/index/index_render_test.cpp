#include "imaging/jpeg_codec.h"
#include "index/index_format.h"
#include "support/image_builders.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace korvatel
{

using test::ExifJpegBuilder;
using test::JpegBytes;
using test::UniformBitmap;

namespace
{

constexpr TBgr kWhite { 255, 255, 255 };
constexpr TBgr kBlack { 0, 0, 0 };
constexpr TBgr kGrey80 { 0x80, 0x80, 0x80 };
constexpr TBgr kRed { 0, 0, 255 };
constexpr TBgr kBlue { 255, 0, 0 };

bool Near(TBgr a, TBgr b, int tolerance)
{
    return std::abs(a.b - b.b) <= tolerance && std::abs(a.g - b.g) <= tolerance
        && std::abs(a.r - b.r) <= tolerance;
}

::testing::AssertionResult PixelIs(
    const TBitmap &bitmap, int x, int y, TBgr expected, int tolerance = 0)
{
    const TBgr p = bitmap.Pixel(x, y);
    if (Near(p, expected, tolerance))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
        << "pixel (" << x << ", " << y << ") is " << int(p.r) << "," << int(p.g) << "," << int(p.b)
        << " (r,g,b), expected " << int(expected.r) << "," << int(expected.g) << ","
        << int(expected.b);
}

bool AnyDark(const TBitmap &bitmap, const QRect &area)
{
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const TBgr p = bitmap.Pixel(x, y);
            if (p.r + p.g + p.b < 300)
                return true;
        }
    }
    return false;
}

class IndexRender : public ::testing::Test
{
protected:
    // A picture file of one colour in the test folder.
    QString Picture(const QString &name, TBgr colour, int width = 320, int height = 240)
    {
        return Write(name, JpegBytes(UniformBitmap(width, height, colour), 95));
    }
    QString Write(const QString &name, const QByteArray &bytes)
    {
        const QString path = FDir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    static TIndexFormat Default()
    {
        TIndexFormat format;
        format.LoadLayout(TIndexFormat::DefaultLayoutName(), {});
        return format;
    }
    QString Out() { return FDir.filePath("out"); }

    QTemporaryDir FDir;
};

} // namespace

TEST_F(IndexRender, DefaultLayoutFramesAndCellsWhereTheGeometrySays)
{
    TIndexFormat format = Default();
    const QString red = Picture("red.jpg", kRed);
    for (int i = 0; i < 31; ++i)
        format.AddImage(red);
    const TBitmap page = format.RenderPage();
    ASSERT_EQ(page.Width(), 1200);
    ASSERT_EQ(page.Height(), 1200);

    // OutLine: 2 black pixels inside (9, 9) – (1190, 1190), no fill.
    EXPECT_TRUE(PixelIs(page, 8, 600, kWhite));
    EXPECT_TRUE(PixelIs(page, 9, 600, kBlack));
    EXPECT_TRUE(PixelIs(page, 10, 600, kBlack));
    EXPECT_TRUE(PixelIs(page, 11, 600, kWhite));
    EXPECT_TRUE(PixelIs(page, 1189, 600, kBlack));
    EXPECT_TRUE(PixelIs(page, 1190, 600, kWhite));
    EXPECT_TRUE(PixelIs(page, 600, 9, kBlack));
    EXPECT_TRUE(PixelIs(page, 600, 1189, kBlack));
    // Title (19, 19) – (317, 89) and Shop (694, 19) – (1170, 89): grey borders, white inside;
    // the hidden Logo frame leaves its place white.
    EXPECT_TRUE(PixelIs(page, 19, 50, kGrey80));
    EXPECT_TRUE(PixelIs(page, 20, 50, kGrey80));
    EXPECT_TRUE(PixelIs(page, 21, 50, kWhite));
    EXPECT_TRUE(PixelIs(page, 316, 50, kGrey80));
    EXPECT_TRUE(PixelIs(page, 317, 50, kWhite));
    EXPECT_TRUE(PixelIs(page, 150, 88, kGrey80));
    EXPECT_TRUE(PixelIs(page, 150, 89, kWhite));
    EXPECT_TRUE(PixelIs(page, 694, 50, kGrey80));
    EXPECT_TRUE(PixelIs(page, 1169, 50, kGrey80));
    EXPECT_TRUE(PixelIs(page, 1170, 50, kWhite));
    EXPECT_TRUE(PixelIs(page, 500, 50, kWhite));
    EXPECT_TRUE(PixelIs(page, 347, 19, kWhite));

    // Cells of 232.2 × 173.66 from (19, 99): a one-pixel grey border, the picture inside.
    const std::optional<TGridGeometry> grid = format.Grid();
    ASSERT_TRUE(grid);
    for (int i : { 0, 4, 12, 25, 29 }) {
        const QRect cell = grid->Cell(i);
        EXPECT_TRUE(PixelIs(page, cell.left(), cell.center().y(), kGrey80)) << i;
        EXPECT_TRUE(PixelIs(page, cell.right(), cell.center().y(), kGrey80)) << i;
        // (The name of the cell above may hang over the middle of the top edge.)
        EXPECT_TRUE(PixelIs(page, cell.left() + 10, cell.top(), kGrey80)) << i;
        EXPECT_TRUE(PixelIs(page, cell.left() + 10, cell.bottom(), kGrey80)) << i;
        EXPECT_TRUE(PixelIs(page, cell.center().x() - 60, cell.center().y(), kRed, 3)) << i;
        EXPECT_TRUE(PixelIs(page, cell.left() + 3, cell.top() + 3, kRed, 3)) << i;
    }
    EXPECT_EQ(grid->Cell(0).topLeft(), QPoint(19, 99));
    EXPECT_EQ(grid->Cell(4).right(), 1179);
    // Below the last row (1140) the area stays white apart from the names.
    EXPECT_TRUE(PixelIs(page, 30, 1175, kWhite));
    EXPECT_EQ(format.Cursor(), 30);
}

TEST_F(IndexRender, ThirtyOnePicturesGiveTwoSheetsTheSecondWithOneCell)
{
    TIndexFormat format = Default();
    const QString blue = Picture("blue.jpg", kBlue);
    for (int i = 0; i < 31; ++i)
        format.AddImage(blue);
    ASSERT_TRUE(QDir().mkpath(Out()));
    QStringList written;
    int cells = 0;
    format.OnProgress = [&](int done, int total) {
        EXPECT_EQ(total, 31);
        cells = done;
        return true;
    };
    ASSERT_TRUE(format.WritePages(Out(), written));
    EXPECT_EQ(cells, 31);
    ASSERT_EQ(written, QStringList({ Out() + "/INDEX01.JPG", Out() + "/INDEX02.JPG" }));
    EXPECT_EQ(format.PageStart(), 30); // left after the last page

    QFile file(written[1]);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const TBitmap second = DecodeJpeg(file.readAll());
    ASSERT_EQ(second.Width(), 1200);
    ASSERT_EQ(second.Height(), 1200);
    const std::optional<TGridGeometry> grid = format.Grid();
    const QRect first = grid->Cell(0);
    EXPECT_TRUE(PixelIs(second, first.center().x() - 60, first.center().y(), kBlue, 12));
    for (int i = 1; i < 30; ++i) {
        const QRect cell = grid->Cell(i);
        // The caption of the one picture hangs below its cell into the second row.
        if (i != 5) {
            EXPECT_TRUE(PixelIs(second, cell.center().x(), cell.center().y(), kWhite, 6)) << i;
        }
        EXPECT_TRUE(PixelIs(second, cell.left(), cell.center().y() + 30, kWhite, 12)) << i;
    }
    // The frames are there too (JPEG-blurred).
    EXPECT_TRUE(PixelIs(second, 9, 600, kBlack, 60));
    EXPECT_TRUE(PixelIs(second, 19, 50, kGrey80, 40));
}

TEST_F(IndexRender, PicturesKeepTheirShapeInTheCell)
{
    TIndexFormat format = Default();
    format.AddImage(Picture("tall.jpg", kRed, 240, 320));
    const TBitmap page = format.RenderPage();
    const QRect cell = format.Grid()->Cell(0);
    // 173 pixels high, 3:4 wide: about 130 wide in the middle of 232.
    EXPECT_TRUE(PixelIs(page, cell.center().x(), cell.center().y(), kRed, 3));
    EXPECT_TRUE(PixelIs(page, cell.left() + 40, cell.center().y(), kWhite));
    EXPECT_TRUE(PixelIs(page, cell.right() - 40, cell.center().y(), kWhite));

    // Turned to the cell's long side with tfLongWidth.
    format.Thumb.Fit = tfLongWidth;
    const TBitmap turned = format.RenderPage();
    EXPECT_TRUE(PixelIs(turned, cell.center().x(), cell.center().y(), kRed, 3));
    EXPECT_TRUE(PixelIs(turned, cell.left() + 40, cell.center().y(), kRed, 3));
}

TEST_F(IndexRender, ExifThumbnailStandsForTheJpeg)
{
    TIndexFormat format = Default();
    const QByteArray jpeg = ExifJpegBuilder()
                                .thumbnail(JpegBytes(UniformBitmap(160, 120, kRed), 95))
                                .picture(UniformBitmap(640, 480, kBlue))
                                .build();
    format.AddImage(Write("camera.JPG", jpeg));
    format.AddImage(Write("notes.txt", JpegBytes(UniformBitmap(64, 48, kBlue))));
    const TBitmap page = format.RenderPage();
    const QRect cell = format.Grid()->Cell(0);
    EXPECT_TRUE(PixelIs(page, cell.center().x(), cell.center().y(), kRed, 3));
    // A name that does not end in .JPG or .JPEG is loaded whole, by its kind: a ".txt" holding
    // JPEG data is no picture, so its cell stays empty.
    const QRect other = format.Grid()->Cell(1);
    EXPECT_TRUE(PixelIs(page, other.center().x(), other.center().y(), kWhite));
}

TEST_F(IndexRender, APhoneShotIsDrawnUprightFromItsThumbnailOrWhole)
{
    bool whole = true;
    std::optional<TBitmap> picture
        = LoadCellPicture(Write("IMG_5.JPG", test::SidewaysJpeg(6)), QSize(100, 100), &whole);
    ASSERT_TRUE(picture);
    EXPECT_FALSE(whole);
    EXPECT_TRUE(test::RedAboveBlue(*picture));
    picture = LoadCellPicture(
        Write("IMG_6.JPG", test::SidewaysJpeg(8, false)), QSize(100, 100), &whole);
    ASSERT_TRUE(picture);
    EXPECT_TRUE(whole);
    EXPECT_TRUE(test::RedAboveBlue(*picture));
}

TEST_F(IndexRender, BrokenPictureLeavesBackgroundAndBorderWithoutName)
{
    TIndexFormat format = Default();
    format.AddImage(Write("broken.jpg", "not a picture"));
    format.AddImage(FDir.filePath("missing.jpg"));
    format.AddImage(Picture("fine.jpg", kRed));
    const TBitmap page = format.RenderPage();
    const std::optional<TGridGeometry> grid = format.Grid();
    for (int i : { 0, 1 }) {
        const QRect cell = grid->Cell(i);
        EXPECT_TRUE(PixelIs(page, cell.center().x(), cell.center().y(), kWhite)) << i;
        EXPECT_TRUE(PixelIs(page, cell.left(), cell.center().y(), kGrey80)) << i;
        // No name under the cell.
        EXPECT_FALSE(
            AnyDark(page, QRect(cell.left() + 2, cell.bottom() + 2, cell.width() - 4, 25)));
    }
    const QRect fine = grid->Cell(2);
    EXPECT_TRUE(AnyDark(page, QRect(fine.left() + 2, fine.bottom() + 2, fine.width() - 4, 25)));
    EXPECT_EQ(format.Cursor(), 3);
}

TEST_F(IndexRender, NameInsideTheCellAndHiddenName)
{
    TIndexFormat format = Default();
    format.Thumb.fiInsd = true;
    format.Thumb.fiC = 0x00FF00;
    format.AddImage(Picture("a.jpg", kRed));
    TBitmap page = format.RenderPage();
    const QRect cell = format.Grid()->Cell(0);
    // The name's green box sits at the cell's bottom; nothing hangs below the cell.
    bool green = false;
    for (int x = cell.left(); x <= cell.right(); ++x)
        green = green || Near(page.Pixel(x, cell.bottom() - 3), { 0, 255, 0 }, 0);
    EXPECT_TRUE(green);
    EXPECT_FALSE(AnyDark(page, QRect(cell.left(), cell.bottom() + 2, cell.width(), 25)));

    format.Thumb.fiHide = true;
    page = format.RenderPage();
    for (int x = cell.left() + 2; x < cell.right() - 1; ++x)
        EXPECT_TRUE(PixelIs(page, x, cell.bottom() - 3, kRed, 3));
}

TEST(CaptionNeedsShiftJis, OnlyPrintableAsciiStaysDefault)
{
    EXPECT_FALSE(CaptionNeedsShiftJis("IMG_0001.JPG", "Arial"));
    EXPECT_FALSE(CaptionNeedsShiftJis("a b~.jpg", ""));
    EXPECT_TRUE(CaptionNeedsShiftJis("運動会.jpg", "Arial"));
    EXPECT_TRUE(CaptionNeedsShiftJis("ｶﾒﾗ.jpg", "Arial"));
    EXPECT_TRUE(CaptionNeedsShiftJis("a.jpg", "ＭＳ ゴシック"));
}

TEST_F(IndexRender, HiddenFramesTransparentFramesAndShadows)
{
    TIndexFormat format;
    format.LoadFromText("[HEADER]=W=12000,H=12000,C=$E0E0E0\r\n"
                        "frame[Hidden]=V=FALSE,L=0,T=0,W=6000,H=6000,C=$0000FF,TP=FALSE\r\n"
                        "frame[Clear]=V=TRUE,L=6000,T=0,W=6000,H=6000,C=$0000FF,TP=TRUE,LW=100,"
                        "LC=$FF0000\r\n"
                        "frame[Shadow]=V=TRUE,L=1000,T=7000,W=3000,H=3000,C=$00FF00,SX=200,"
                        "SY=100,SC=$000000\r\n"
                        "frame[Left]=V=TRUE,L=7000,T=7000,W=3000,H=3000,C=$00FF00,SX=-200,"
                        "SY=-100,SC=$0000FF");
    const TBitmap page = format.RenderPage();
    const TBgr grey { 0xE0, 0xE0, 0xE0 };
    ASSERT_EQ(page.Width(), 1200);
    EXPECT_TRUE(PixelIs(page, 300, 300, grey)); // hidden: background only
    EXPECT_TRUE(PixelIs(page, 900, 300, grey)); // transparent: no fill
    EXPECT_TRUE(PixelIs(page, 600, 300, kBlue)); // but its border (10 px)
    EXPECT_TRUE(PixelIs(page, 609, 300, kBlue));
    EXPECT_TRUE(PixelIs(page, 610, 300, grey));

    // Shadow 20 px right, 10 px down: the frame (100, 700) – (380, 990) is green, the strips
    // (380..400, 710..1000) and (120..400, 990..1000) black, the corners left free.
    const TBgr green { 0, 255, 0 };
    EXPECT_TRUE(PixelIs(page, 379, 800, green));
    EXPECT_TRUE(PixelIs(page, 380, 800, kBlack));
    EXPECT_TRUE(PixelIs(page, 399, 800, kBlack));
    EXPECT_TRUE(PixelIs(page, 390, 705, grey));
    EXPECT_TRUE(PixelIs(page, 200, 989, green));
    EXPECT_TRUE(PixelIs(page, 200, 995, kBlack));
    EXPECT_TRUE(PixelIs(page, 110, 995, grey));
    // Negative offsets put the shadow on the left and top; r(−20) = trunc(−19.5) = −19 and
    // r(−10) = −9, so the frame is (719, 709) – (1000, 1000).
    EXPECT_TRUE(PixelIs(page, 705, 800, kRed));
    EXPECT_TRUE(PixelIs(page, 718, 800, kRed));
    EXPECT_TRUE(PixelIs(page, 719, 800, green));
    EXPECT_TRUE(PixelIs(page, 800, 705, kRed));
    EXPECT_TRUE(PixelIs(page, 800, 709, green));
    EXPECT_TRUE(PixelIs(page, 710, 995, grey));
    EXPECT_EQ(format.ImagesPerPage(), 0); // no ImgArea, no grid
}

TEST_F(IndexRender, FramePictureIsPlacedByItsZoomMode)
{
    const QString picture = Picture("logo.jpg", kRed, 200, 100);
    TIndexFormat format;
    format.LoadFromText(QString("[HEADER]=W=12000,H=12000\r\n"
                                "frame[Logo]=V=TRUE,L=0,T=0,W=4000,H=4000,TP=TRUE,\"GF=%1\"")
                            .arg(picture));
    TBitmap page = format.RenderPage();
    // zsSquare: 400 × 200 pixels centred at (0, 100).
    EXPECT_TRUE(PixelIs(page, 200, 200, kRed, 3));
    EXPECT_TRUE(PixelIs(page, 200, 95, kWhite));
    EXPECT_TRUE(PixelIs(page, 200, 305, kWhite));

    format.Frames[0].IAV = vaTop;
    page = format.RenderPage();
    EXPECT_TRUE(PixelIs(page, 200, 5, kRed, 3));
    EXPECT_TRUE(PixelIs(page, 200, 205, kWhite));

    format.Frames[0].ZS = zsStretch;
    page = format.RenderPage();
    EXPECT_TRUE(PixelIs(page, 200, 380, kRed, 3));

    format.Frames[0].ZS = zsHeight;
    format.Frames[0].IAH = haRight;
    format.Frames[0].IAV = vaNone;
    format.Frames[0].W = 12000;
    page = format.RenderPage(); // 800 × 400 px at the right edge of 1200
    EXPECT_TRUE(PixelIs(page, 1195, 200, kRed, 3));
    EXPECT_TRUE(PixelIs(page, 405, 200, kRed, 3));
    EXPECT_TRUE(PixelIs(page, 395, 200, kWhite));

    format.Frames[0].CT = ctMono;
    page = format.RenderPage();
    const TBgr mono = page.Pixel(800, 200);
    EXPECT_TRUE(mono.r == mono.g && mono.g == mono.b);
}

TEST_F(IndexRender, RichTextDrawsInsideItsTextBox)
{
    TIndexFormat format;
    format.LoadFromLines({ "[HEADER]=W=12000,H=12000",
        "frame[Title]=V=TRUE,L=1000,T=1000,W=4000,H=1000,C=$FFFFFF,TL=100,TR=-100", "rtf[Title]",
        "{\\rtf1\\qc\\fs40 INDEX\\par}", "rtfend[Title]" });
    const TBitmap page = format.RenderPage();
    EXPECT_TRUE(AnyDark(page, QRect(110, 100, 380, 100)));
    EXPECT_FALSE(AnyDark(page, QRect(0, 0, 1200, 99)));
    EXPECT_FALSE(AnyDark(page, QRect(0, 200, 1200, 1000)));
    EXPECT_FALSE(AnyDark(page, QRect(100, 100, 10, 100)));
}

TEST_F(IndexRender, CellBackgroundsAndShadows)
{
    TIndexFormat format = Default();
    format.Thumb = TThumbStyle::FromValue(
        "name=g,gapP=1000,basC=$FF0000,scrTyp=bstGradUpLR,shdX=50,shdY=50,shdC=$0000FF");
    format.AddImage(FDir.filePath("missing.jpg"));
    TBitmap page = format.RenderPage();
    const QRect cell = format.Grid()->Cell(0);
    const int y = cell.center().y();
    const TBgr edge = page.Pixel(cell.left() + 1, y);
    const TBgr light = page.Pixel(cell.left() + int(cell.width() * 0.4), y);
    EXPECT_GT(edge.b, 240); // the base colour blue at the edge
    EXPECT_LT(edge.r, 60);
    EXPECT_GT(light.r, 200); // nearly white at 0.4
    // Shadow of 5 px to the right and below, in red.
    EXPECT_TRUE(PixelIs(page, cell.right() + 3, y, kRed));
    EXPECT_TRUE(PixelIs(page, cell.center().x(), cell.bottom() + 3, kRed));
    EXPECT_TRUE(PixelIs(page, cell.right() + 3, cell.top() + 2, kWhite));

    format.Thumb.scrTyp = bstGradDnLR;
    page = format.RenderPage();
    EXPECT_LT(page.Pixel(cell.left() + int(cell.width() * 0.4), y).r, 40);
    format.Thumb.scrTyp = bstTrans;
    page = format.RenderPage();
    EXPECT_TRUE(PixelIs(page, cell.center().x(), y, kWhite));
}

TEST_F(IndexRender, CancelledWritingLeavesNoSheet)
{
    TIndexFormat format = Default();
    const QString red = Picture("red.jpg", kRed);
    for (int i = 0; i < 40; ++i)
        format.AddImage(red);
    ASSERT_TRUE(QDir().mkpath(Out()));
    format.OnProgress = [](int done, int) { return done < 35; };
    QStringList written { "earlier" };
    EXPECT_FALSE(format.WritePages(Out(), written));
    EXPECT_EQ(written, QStringList({ "earlier" }));
    EXPECT_TRUE(QDir(Out()).entryList(QDir::Files).isEmpty());

    // A failed upload of a page fails the writing the same way.
    format.OnProgress = {};
    format.ResetImages();
    format.AddImage(red);
    QStringList sent;
    format.OnUpload = [&](const QString &path, const QString &remote) {
        sent.append(remote + ":" + QFileInfo(path).fileName());
        return false;
    };
    EXPECT_FALSE(format.WritePages(Out(), written, "Index"));
    EXPECT_EQ(sent, QStringList({ "Index:INDEX01.JPG" }));
    EXPECT_TRUE(QDir(Out()).entryList(QDir::Files).isEmpty());
}

TEST_F(IndexRender, LayoutWithoutGridWritesOneSheet)
{
    TIndexFormat format = Default();
    format.Thumb.name.clear();
    for (int i = 0; i < 5; ++i)
        format.AddImage(Picture("a.jpg", kRed));
    ASSERT_TRUE(QDir().mkpath(Out()));
    QStringList written;
    ASSERT_TRUE(format.WritePages(Out(), written));
    EXPECT_EQ(written.size(), 1);

    TIndexFormat empty = Default();
    written.clear();
    EXPECT_TRUE(empty.WritePages(Out(), written));
    EXPECT_TRUE(written.isEmpty());
}

} // namespace korvatel
