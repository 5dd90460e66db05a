#include "imaging/bitmap.h"
#include "imaging/jpeg_codec.h"
#include "imaging/picture_kinds.h"
#include "support/image_builders.h"

#include <QPainter>
#include <functional>
#include <gtest/gtest.h>

namespace korvatel
{

TEST(TBitmap, RowsArePaddedToFourBytes)
{
    TBitmap bitmap(5, 2);
    EXPECT_EQ(bitmap.BytesPerLine(), 16);
    EXPECT_EQ(bitmap.ScanLine(1) - bitmap.ScanLine(0), 16);
    EXPECT_EQ(bitmap.Pixel(4, 1), TBgr {});
}

TEST(TBitmap, SetSizeClearsAndSetSizeForWriterClearsOnlyThePadding)
{
    TBitmap bitmap(5, 3);
    bitmap.Fill({ 255, 255, 255 });
    bitmap.SetSize(5, 3);
    EXPECT_EQ(bitmap, TBitmap(5, 3));
    // Whatever the pixels hold, the bytes past each row's pixels are zero, so rows compare and
    // encode alike.
    bitmap.SetSizeForWriter(5, 3);
    EXPECT_EQ(bitmap.BytesPerLine(), 16);
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(bitmap.ScanLine(y)[15], 0);
    bitmap.SetSizeForWriter(0, 7);
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_THROW(bitmap.SetSizeForWriter(100000, 100000), EPictureError);
}

TEST(TBitmap, ViewSharesThePixels)
{
    TBitmap bitmap(3, 2);
    bitmap.SetPixel(2, 1, { 10, 20, 30 });
    QImage view = bitmap.View();
    EXPECT_EQ(view.constBits(), bitmap.ScanLine(0));
    EXPECT_EQ(view.pixel(2, 1), qRgb(30, 20, 10));
    {
        QPainter painter(&view);
        painter.fillRect(0, 0, 1, 1, QColor(1, 2, 3));
    }
    EXPECT_EQ(bitmap.Pixel(0, 0), (TBgr { 3, 2, 1 }));
    EXPECT_EQ(TBitmap::FromImage(bitmap.ToImage()), bitmap);
}

TEST(TBitmap, RefusesSizesBeforeAllocating)
{
    EXPECT_THROW(TBitmap(100000, 100000), EPictureError);
    EXPECT_THROW(TBitmap(-1, 4), EPictureError);
    try {
        TBitmap(60000, 60000);
        FAIL();
    } catch (const EPictureError &e) {
        EXPECT_EQ(e.Message(),
            QStringLiteral("TBigBitmap.SetBitmaps: Too Big Width or Too Many Pixel Bits"));
    }
}

// Which cause a picture error has is its kind, whatever its text says.
TPictureErrorKind KindOf(const std::function<void()> &load)
{
    try {
        load();
    } catch (const EPictureError &e) {
        return e.Kind();
    }
    ADD_FAILURE() << "no picture error";
    return peBadData;
}

TEST(EPictureError, TheKindTellsTheCauses)
{
    EXPECT_EQ(KindOf([] { TBitmap(-1, 4); }), peNoBitmap);
    EXPECT_EQ(KindOf([] { TBitmap(100000, 100000); }), peNoBitmap);
    // A JPEG whose frame header announces a bitmap beyond the limit keeps the kind through
    // the codec.
    QByteArray huge = EncodeJpeg(TBitmap(8, 8), 90);
    const qsizetype frame = huge.indexOf("\xFF\xC0");
    ASSERT_GT(frame, 0);
    huge.replace(frame + 5, 4, QByteArray("\x9C\x40\x9C\x40", 4));
    EXPECT_EQ(KindOf([&] { DecodeJpeg(huge); }), peNoBitmap);
    EXPECT_EQ(KindOf([] { DecodeJpeg(QByteArray("not a jpeg")); }), peBadData);
    EXPECT_EQ(
        KindOf([] { TJpegImage().LoadFromFile(QStringLiteral("/nonexistent/a.jpg")); }), peNoFile);
    EXPECT_EQ(KindOf([] { EncodeJpeg(TBitmap(), 90); }), peEmpty);
    EXPECT_EQ(EPictureError(QStringLiteral("x")).Kind(), peBadData);
}

TEST(PictureKinds, ImageKindOfNeedsAnExtensionLongerThanThree)
{
    EXPECT_EQ(ImageKindOf(QStringLiteral("a/IMG.JPEG")), 1);
    EXPECT_EQ(ImageKindOf(QStringLiteral(".jpg")), 1);
    EXPECT_EQ(ImageKindOf(QStringLiteral("x.jp")), 0);
    EXPECT_EQ(ImageKindOf(QStringLiteral("x.tif")), 2);
    EXPECT_EQ(ImageKindOf(QStringLiteral("x.bid")), 3);
    EXPECT_EQ(ImageKindOf(QStringLiteral("x.Bmp")), 3);
    EXPECT_EQ(ImageKindOf(QStringLiteral("x.gif")), 4);
    EXPECT_EQ(ImageKindOf(QStringLiteral("x.wmf")), 5);
    EXPECT_EQ(ImageKindOf(QStringLiteral("x.emf")), 6);
    EXPECT_EQ(ImageKindOf(QStringLiteral("x.png")), 7);
    EXPECT_EQ(ImageKindOf(QStringLiteral("x.TIFF")), 2);
    EXPECT_EQ(ImageKindOf(QStringLiteral("x.webp")), 8);
    EXPECT_EQ(ImageKindOf(QStringLiteral("x.HEIC")), 9);
    EXPECT_EQ(ImageKindOf(QStringLiteral("x.heif")), 9);
    EXPECT_EQ(ImageKindOf(QStringLiteral("x.avif")), 10);
    EXPECT_EQ(ImageKindOf(QStringLiteral("C:\\dir.jpg\\file")), 0);
}

TEST(PictureKinds, IsPictureFileTellsPicturesFromMovies)
{
    EXPECT_EQ(IsPictureFile(QStringLiteral("a.avi")), 2);
    EXPECT_EQ(IsPictureFile(QStringLiteral("a.cci")), 1);
    EXPECT_EQ(IsPictureFile(QStringLiteral("a.ico")), 1);
    EXPECT_EQ(IsPictureFile(QStringLiteral("noextension")), 1);
    EXPECT_EQ(IsPictureFile(QStringLiteral("a.txt")), 0);
    EXPECT_EQ(IsPictureFile(QStringLiteral("a.pn")), 0);
}

TEST(PictureKinds, EnumFromNameIgnoresCaseAndFallsBackToTheFirst)
{
    EXPECT_EQ(EnumFromName<RotationType>(QStringLiteral("RT180"), RotationTypeNames()), rt180);
    EXPECT_EQ(EnumFromName<RotationType>(QStringLiteral("sideways"), RotationTypeNames()), rtNone);
    EXPECT_EQ(
        EnumFromName<BackStyle>(QStringLiteral("bstgraddntb"), BackStyleNames()), bstGradDnTB);
    EXPECT_EQ(EnumFromName<PictureFormat>(QStringLiteral("pfJPG"), PictureFormatNames()), pfJPG);
    EXPECT_EQ(PictureFormatExtension(pfPNG), QStringLiteral(".png"));
    EXPECT_TRUE(PictureFormatExtension(pfETC).isEmpty());
    EXPECT_EQ(BackStyleDisplayNames().at(bstTrans), QStringLiteral("透過"));
    EXPECT_EQ(TrimFitNames().at(tfLongHeight), QStringLiteral("tfLongHeight"));
}

} // namespace korvatel
