#include "index/index_format.h"
#include "text/sjis_file.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

TIndexFormat DefaultFormat()
{
    TIndexFormat format;
    format.LoadLayout(TIndexFormat::DefaultLayoutName(), {});
    return format;
}

QStringList FrameNames(const TIndexFormat &format)
{
    QStringList names;
    for (const TFrame &frame : format.Frames)
        names.append(frame.Name);
    return names;
}

} // namespace

TEST(TIndexFormat, BuiltInLayoutReadsAsWritten)
{
    const TIndexFormat format = DefaultFormat();
    EXPECT_EQ(format.LayoutName, "@Default");
    EXPECT_EQ(format.W, 12100);
    EXPECT_EQ(format.H, 12100);
    EXPECT_EQ(format.C, 0xFFFFFF);
    EXPECT_EQ(format.CC, 5);
    EXPECT_EQ(
        FrameNames(format), QStringList({ "OutLine", "ImgArea", "Title", "Logo", "Shop", "Aux" }));
    const TFrame *outline = format.Frame("OutLine");
    ASSERT_NE(outline, nullptr);
    EXPECT_TRUE(outline->V);
    EXPECT_TRUE(outline->TP);
    EXPECT_EQ(outline->LW, 20);
    EXPECT_EQ(outline->LC, 0);
    EXPECT_TRUE(outline->Rtf.isEmpty());
    const TFrame *area = format.Frame("imgarea"); // names are found ignoring case
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(QRect(area->L, area->T, area->W, area->H), QRect(200, 1000, 11700, 10900));
    EXPECT_EQ(area->LC, 0xA0A0A0);
    EXPECT_FALSE(format.Frame("Logo")->V);
    EXPECT_FALSE(format.Frame("Title")->TP);
    EXPECT_EQ(format.Frame("Shop")->LC, 0x808080);
    // No [THUMB] line: the grid uses Sampl02.
    EXPECT_EQ(format.Thumb.name, "Sampl02");
    EXPECT_EQ(format.Thumb.linW, 10);
    EXPECT_EQ(format.Thumb.linC, 0x808080);
    EXPECT_EQ(format.Thumb.aspW, 119);
    EXPECT_EQ(format.Thumb.aspH, 89);
}

TEST(TIndexFormat, DefaultGridGeometry)
{
    const TIndexFormat format = DefaultFormat();
    EXPECT_EQ(format.SheetSize(), QSize(1200, 1200));
    const std::optional<TGridGeometry> grid = format.Grid();
    ASSERT_TRUE(grid);
    EXPECT_EQ(grid->areaLeft, 19);
    EXPECT_EQ(grid->areaTop, 99);
    EXPECT_EQ(grid->areaLeft + grid->areaWidth, 1180);
    EXPECT_EQ(grid->areaTop + grid->areaHeight, 1180);
    EXPECT_DOUBLE_EQ(grid->cellW, 232.2);
    EXPECT_NEAR(grid->cellH, 173.66, 0.005);
    EXPECT_EQ(grid->rows, 6);
    EXPECT_EQ(grid->PerPage(), 30);
    EXPECT_EQ(grid->Cell(0), QRect(19, 99, 232, 173));
    EXPECT_EQ(grid->Cell(4).right() + 1, 1180);
    EXPECT_EQ(grid->Cell(29).bottom() + 1, 1140); // trunc(99 + 6 × 173.66)
    EXPECT_EQ(grid->Cell(5).top(), 272); // trunc(99 + 173.66)
}

TEST(TIndexFormat, GridNeedsStyleNameVisibleAreaAndRoom)
{
    TIndexFormat format = DefaultFormat();
    format.Thumb.name.clear();
    EXPECT_FALSE(format.Grid());

    format = DefaultFormat();
    format.Frame("ImgArea")->V = false;
    EXPECT_FALSE(format.Grid());

    format = DefaultFormat();
    format.Thumb.gapPY = 10000; // the gap would be the whole pitch
    EXPECT_FALSE(format.Grid());

    format = DefaultFormat();
    format.CC = 0; // a layout without a column count draws five columns
    ASSERT_TRUE(format.Grid());
    EXPECT_EQ(format.Grid()->columns, 5);

    format.CC = 5000; // cells under a pixel wide
    EXPECT_FALSE(format.Grid());
}

TEST(TIndexFormat, TextWithoutLineBreaksIsACommaListOfLines)
{
    TIndexFormat format;
    format.LoadFromText(
        "\"[HEADER]=W=20000,H=10000,CC=3\",\"frame[ImgArea]=V=TRUE,L=0,T=0,W=20000,H=10000\"");
    EXPECT_EQ(format.W, 20000);
    EXPECT_EQ(format.H, 10000);
    EXPECT_EQ(format.CC, 3);
    ASSERT_EQ(format.Frames.size(), 1);
    EXPECT_EQ(format.Frames[0].W, 20000);
    EXPECT_EQ(format.SheetSize(), QSize(1200, 600));
    EXPECT_DOUBLE_EQ(format.Scale(), 0.06);
}

TEST(TIndexFormat, HeaderlessLayoutKeepsSheetAndHeaderDefaultsApply)
{
    TIndexFormat format;
    format.LoadFromText("[HEADER]=W=9000,H=6000,C=$00FF00,CC=7\r\nframe[A]=V=TRUE");
    EXPECT_EQ(format.C, 0x00FF00);
    format.LoadFromText("frame[B]=V=TRUE\r\n[THUMB]=name=S");
    EXPECT_EQ(format.W, 9000);
    EXPECT_EQ(format.H, 6000);
    EXPECT_EQ(format.CC, 7);
    EXPECT_EQ(format.Thumb.name, "S");
    EXPECT_EQ(FrameNames(format), QStringList({ "B" }));
    format.LoadFromText("[HEADER]=W=100,H=x\r\n");
    EXPECT_EQ(format.W, 100);
    EXPECT_EQ(format.H, 6000);
    EXPECT_EQ(format.C, 0xFFFFFF);
    EXPECT_EQ(format.CC, 5);
}

TEST(TFrame, KeysReadLenientlyAndNamesIgnoringCase)
{
    const TFrame frame = TFrame::FromValue("Logo",
        "V=TRUE,l=10,T=abc,W=$10,C=$0000FF,CT=CTSEPIA,RT=rt270,IAH=haRight,IAV=nonsense,"
        "ZS=高さ合わせ,PZ=true,TL=-5,\"GF=C:\\My Pictures\\logo.bmp\",TX=ignored");
    EXPECT_TRUE(frame.V);
    EXPECT_EQ(frame.L, 10);
    EXPECT_EQ(frame.T, 0);
    EXPECT_EQ(frame.W, 16);
    EXPECT_EQ(frame.C, 0xFF);
    EXPECT_EQ(frame.CT, ctSepia);
    EXPECT_EQ(frame.RT, rt270);
    EXPECT_EQ(frame.IAH, haRight);
    EXPECT_EQ(frame.IAV, vaNone); // an unknown name reads as the first member
    EXPECT_EQ(frame.ZS, zsHeight);
    EXPECT_FALSE(frame.PZ); // only the exact word TRUE is true
    EXPECT_EQ(frame.TL, -5);
    EXPECT_EQ(frame.GF, "C:\\My Pictures\\logo.bmp");
    EXPECT_EQ(ZoomStyleFromName("zsstretch"), zsStretch);
    EXPECT_EQ(ZoomStyleFromName("なし"), zsNone);
    EXPECT_EQ(ZoomStyleFromName(""), zsSquare);
}

TEST(TThumbStyle, GapTakesBothDirectionsUnlessSplit)
{
    TThumbStyle style = TThumbStyle::FromValue("name=a,gapP=300,gapPX=1,gapPY=2");
    EXPECT_EQ(style.gapPX, 300);
    EXPECT_EQ(style.gapPY, 300);
    style = TThumbStyle::FromValue("name=a,gapPX=100,gapPY=200");
    EXPECT_EQ(style.gapPX, 100);
    EXPECT_EQ(style.gapPY, 200);
    const TThumbStyle sample3 = TThumbStyle::FromValue(BuiltInThumbStyles().at(2));
    EXPECT_EQ(sample3.name, "Sampl03");
    EXPECT_EQ(sample3.shdX, 50);
    EXPECT_EQ(sample3.linC, 0xD0D0D0);
    EXPECT_EQ(TThumbStyle::FromValue(BuiltInThumbStyles().at(0)).scrTyp, bstTrans);
}

TEST(TIndexFormat, WrittenLayoutReadsBackWithRichText)
{
    TIndexFormat format = DefaultFormat();
    format.Thumb = TThumbStyle::FromValue(BuiltInThumbStyles().at(2));
    format.Thumb.foN = "ＭＳ ゴシック";
    format.CC = 4;
    TFrame *title = format.Frame("Title");
    title->Rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\r\n\\qc CD-R INDEX=1\\par\r\n}";
    title->GF = "a picture.bmp";
    title->ZS = zsNone;
    title->SX = -30;
    const QStringList lines = format.ToLines();
    EXPECT_TRUE(lines.contains("rtf[Title]"));
    EXPECT_TRUE(lines.contains("rtfend[Title]"));

    TIndexFormat again;
    again.LoadFromLines(lines);
    EXPECT_EQ(again.Frames, format.Frames);
    EXPECT_EQ(again.Thumb, format.Thumb);
    EXPECT_EQ(again.CC, 4);

    // Through a file in the index-format folder, by name.
    QTemporaryDir folder;
    ASSERT_TRUE(format.SaveToFile(folder.filePath("Shop A.nxf")));
    TIndexFormat loaded;
    EXPECT_TRUE(loaded.LoadLayout("Shop A", folder.path()));
    EXPECT_EQ(loaded.LayoutName, "Shop A");
    EXPECT_EQ(loaded.Frames, format.Frames);
    EXPECT_EQ(loaded.PictureFolder, QFileInfo(folder.path()).absoluteFilePath());

    // A name without a file selects the built-in layout.
    EXPECT_TRUE(loaded.LoadLayout("Missing", folder.path()));
    EXPECT_EQ(loaded.LayoutName, "@Default");
    EXPECT_EQ(loaded.Frames, DefaultFormat().Frames);
}

TEST(TIndexFormat, RichTextBlockKeepsItsLinesAndUnterminatedBlockRunsToTheEnd)
{
    TIndexFormat format;
    format.LoadFromLines({ "frame[A]=V=TRUE", "rtf[A]", "{\\rtf1 x=1", "frame[B]=V=TRUE}",
        "rtfend[A]", "frame[C]=V=TRUE", "rtf[C]", "open", "frame[D]=V=TRUE" });
    EXPECT_EQ(FrameNames(format), QStringList({ "A", "C" }));
    EXPECT_EQ(format.Frame("A")->Rtf, "{\\rtf1 x=1\r\nframe[B]=V=TRUE}");
    EXPECT_EQ(format.Frame("C")->Rtf, "open\r\nframe[D]=V=TRUE");
    // A block before its frame, or for no frame, is dropped.
    format.LoadFromLines({ "rtf[Z]", "text", "rtfend[Z]", "frame[Z]=V=TRUE" });
    EXPECT_TRUE(format.Frame("Z")->Rtf.isEmpty());
}

TEST(TIndexFormat, RepeatedFrameReplacesTheFirstInPlace)
{
    TIndexFormat format;
    format.LoadFromLines({ "frame[A]=L=1", "frame[B]=L=2", "frame[a]=L=3" });
    EXPECT_EQ(FrameNames(format), QStringList({ "a", "B" }));
    EXPECT_EQ(format.Frames[0].L, 3);
}

TEST(TIndexFormat, ImageListEntriesAndPaging)
{
    TIndexFormat format = DefaultFormat();
    EXPECT_EQ(format.AddImage("/photos/a b/IMG_0001.JPG"), 0);
    for (int i = 1; i < 31; ++i)
        format.AddImage(QString("/p/%1.jpg").arg(i));
    EXPECT_EQ(format.ImageCount(), 31);
    EXPECT_EQ(format.Images()[0], "000000,\"IMG_0001.JPG\",/photos/a b/IMG_0001.JPG");
    EXPECT_EQ(format.Images()[26], "00001A,\"26.jpg\",/p/26.jpg");
    EXPECT_EQ(TIndexFormat::ImagePath(format.Images()[0]), "/photos/a b/IMG_0001.JPG");

    EXPECT_FALSE(format.NextPage()); // nothing rendered yet: no page size known
    format.RenderPage();
    EXPECT_EQ(format.ImagesPerPage(), 30);
    EXPECT_EQ(format.RowsPerPage(), 6);
    EXPECT_EQ(format.Cursor(), 30);
    EXPECT_TRUE(format.NextPage());
    EXPECT_EQ(format.PageStart(), 30);
    EXPECT_EQ(format.Cursor(), 30);
    EXPECT_FALSE(format.NextPage());
    EXPECT_TRUE(format.PrevPage());
    EXPECT_EQ(format.PageStart(), 0);
    EXPECT_FALSE(format.PrevPage());
    format.ResetImages();
    EXPECT_EQ(format.ImageCount(), 0);
    EXPECT_EQ(format.ImagesPerPage(), 0);
}

TEST(FitRect, KeepsAspectAndCentresWithHalfEvenRounding)
{
    EXPECT_EQ(FitRect(100, 100, 200, 100), QRect(0, 25, 100, 50));
    EXPECT_EQ(FitRect(100, 100, 100, 200), QRect(25, 0, 50, 100));
    EXPECT_EQ(FitRect(120, 90, 4, 3), QRect(0, 0, 120, 90));
    EXPECT_EQ(FitRect(7, 2, 2, 2).left(), 2); // 2.5 rounds to even
    EXPECT_EQ(FitRect(5, 2, 2, 2).left(), 2); // 1.5 rounds to even
    EXPECT_TRUE(FitRect(0, 10, 5, 5).isNull());
    EXPECT_TRUE(FitRect(10, 10, 5, 0).isNull());
}

} // namespace korvatel
