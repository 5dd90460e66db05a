#include "imaging/dib.h"
#include "imaging/picture.h"
#include "support/codec_builders.h"
#include "support/image_builders.h"
#include "support/temp_home.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <gtest/gtest.h>

namespace korvatel
{

using test::JpegBytes;
using test::PatternBitmap;
using test::TTempHome;
using test::UniformBitmap;

TEST(LoadPicture, LoadsEachKindIntoTheHolder)
{
    TTempHome home;
    const TBitmap source = UniformBitmap(6, 4, { 10, 200, 30 });
    ASSERT_TRUE(home.Write(QStringLiteral("a.jpg"), JpegBytes(source)));
    ASSERT_TRUE(home.Write(QStringLiteral("a.bmp"), SaveDIBToStream(source)));
    ASSERT_TRUE(source.ToImage().save(home.FilePath(QStringLiteral("a.png"))));
    ASSERT_TRUE(SavePicture(home.FilePath(QStringLiteral("a.gif")), source, false));
    ASSERT_TRUE(home.Write(QStringLiteral("a.tiff"), test::TiffBytes(source)));
    ASSERT_TRUE(home.Write(QStringLiteral("a.webp"), test::WebpBytes(source, true)));

    TPicture picture;
    ASSERT_TRUE(LoadPicture(picture, home.FilePath(QStringLiteral("a.jpg")), true));
    EXPECT_TRUE(picture.IsJpeg());
    EXPECT_EQ(picture.Width(), 6);
    ASSERT_TRUE(LoadPicture(picture, home.FilePath(QStringLiteral("a.bmp")), true));
    EXPECT_EQ(*picture.Bitmap(), source);
    ASSERT_TRUE(LoadPicture(picture, home.FilePath(QStringLiteral("a.png")), true));
    EXPECT_EQ(*picture.Bitmap(), source);
    ASSERT_TRUE(LoadPicture(picture, home.FilePath(QStringLiteral("a.gif")), true));
    EXPECT_EQ(*picture.Bitmap(), source);
    ASSERT_TRUE(LoadPicture(picture, home.FilePath(QStringLiteral("a.tiff")), true));
    EXPECT_EQ(*picture.Bitmap(), source);
    ASSERT_TRUE(LoadPicture(picture, home.FilePath(QStringLiteral("a.webp")), true));
    EXPECT_EQ(*picture.Bitmap(), source);
}

TEST(LoadPicture, MissingUnknownAndBrokenFiles)
{
    TTempHome home;
    TPicture picture;
    EXPECT_FALSE(LoadPicture(picture, home.FilePath(QStringLiteral("none.jpg")), true));
    EXPECT_FALSE(picture.HasGraphic());
    ASSERT_TRUE(home.Write(QStringLiteral("a.txt"), "text"));
    EXPECT_FALSE(LoadPicture(picture, home.FilePath(QStringLiteral("a.txt")), true));
    ASSERT_TRUE(home.Write(QStringLiteral("a.tif"), "II*"));
    EXPECT_THROW(LoadPicture(picture, home.FilePath(QStringLiteral("a.tif")), true), EPictureError);
    ASSERT_TRUE(home.Write(QStringLiteral("bad.jpg"), "not a jpeg"));
    EXPECT_THROW(
        LoadPicture(picture, home.FilePath(QStringLiteral("bad.jpg")), true), EPictureError);
    ASSERT_TRUE(home.Write(QStringLiteral("bad.gif"), "GIF88a"));
    EXPECT_FALSE(LoadPicture(picture, home.FilePath(QStringLiteral("bad.gif")), true));
    ASSERT_TRUE(home.Write(QStringLiteral("a.wmf"), "metafile"));
    EXPECT_THROW(LoadPicture(picture, home.FilePath(QStringLiteral("a.wmf")), true), EPictureError);
}

TEST(LoadBitmapFile, AbortsSilentlyOnBrokenFiles)
{
    TTempHome home;
    const TBitmap source = PatternBitmap(8, 8);
    ASSERT_TRUE(home.Write(QStringLiteral("a.bmp"), SaveDIBToStream(source)));
    ASSERT_TRUE(home.Write(QStringLiteral("b.jpg"), JpegBytes(source)));
    ASSERT_TRUE(home.Write(QStringLiteral("bad.bmp"), "BMxx"));
    TBitmap bitmap;
    ASSERT_TRUE(LoadBitmapFile(bitmap, home.FilePath(QStringLiteral("a.bmp")), true));
    EXPECT_EQ(bitmap, source);
    ASSERT_TRUE(LoadBitmapFile(bitmap, home.FilePath(QStringLiteral("b.jpg")), true));
    EXPECT_EQ(bitmap.Width(), 8);
    EXPECT_FALSE(LoadBitmapFile(bitmap, home.FilePath(QStringLiteral("none.bmp")), true));
    EXPECT_FALSE(LoadBitmapFile(bitmap, home.FilePath(QStringLiteral("x.txt")), false));
    EXPECT_THROW(LoadBitmapFile(bitmap, home.FilePath(QStringLiteral("bad.bmp")), true), EAbort);
    EXPECT_THROW(LoadBitmapFile(bitmap, home.FilePath(QStringLiteral("none.bmp")), false), EAbort);
}

TEST(SavePicture, WritesByTheNamesKind)
{
    TTempHome home;
    const TBitmap source = PatternBitmap(9, 7);
    EXPECT_TRUE(SavePicture(home.FilePath(QStringLiteral("a.bmp")), source, false));
    TBitmap back;
    ASSERT_TRUE(LoadBitmapFile(back, home.FilePath(QStringLiteral("a.bmp")), true));
    EXPECT_EQ(back, source);
    EXPECT_TRUE(SavePicture(home.FilePath(QStringLiteral("a.jpg")), source, true));
    ASSERT_TRUE(LoadBitmapFile(back, home.FilePath(QStringLiteral("a.jpg")), true));
    EXPECT_EQ(back.Width(), 9);
    EXPECT_FALSE(SavePicture(home.FilePath(QStringLiteral("a.png")), source, true));
    EXPECT_FALSE(SavePicture(home.FilePath(QStringLiteral("a.emf")), source, true));
    EXPECT_FALSE(QFile::exists(home.FilePath(QStringLiteral("a.png"))));
}

TEST(SavePicture, JpegImageIsWrittenUnchanged)
{
    TTempHome home;
    TJpegImage jpeg;
    jpeg.LoadFromData(JpegBytes(PatternBitmap(12, 12), 40));
    TPicture picture;
    picture.Assign(jpeg);
    ASSERT_TRUE(SavePicture(home.FilePath(QStringLiteral("copy.jpeg")), picture, false));
    QFile copy(home.FilePath(QStringLiteral("copy.jpeg")));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), jpeg.Data());
}

TEST(SavePicture, FallsBackToABitmapWhenTheJpegCannotBeWritten)
{
    TTempHome home;
    // A folder in the way of the JPEG's name makes its write fail.
    ASSERT_TRUE(QDir(home.Path()).mkpath(QStringLiteral("x.jpg")));
    const TBitmap source = PatternBitmap(3, 3);
    EXPECT_TRUE(SavePicture(home.FilePath(QStringLiteral("x.jpg")), source, true));
    EXPECT_TRUE(QFile::exists(home.FilePath(QStringLiteral("x.BMP"))));
    EXPECT_FALSE(SavePicture(home.FilePath(QStringLiteral("x.jpg")), source, false));
}

TEST(LoadCciJpeg, SkipsTheElevenByteHeader)
{
    TTempHome home;
    const QByteArray jpeg = JpegBytes(PatternBitmap(20, 10));
    ASSERT_TRUE(home.Write(QStringLiteral("p.cci"), QByteArray(11, 'h') + jpeg));
    TJpegImage image;
    EXPECT_TRUE(LoadCciJpeg(image, home.FilePath(QStringLiteral("p.cci"))));
    EXPECT_EQ(image.Width(), 20);
    EXPECT_FALSE(LoadCciJpeg(image, home.FilePath(QStringLiteral("missing.cci"))));
    TBitmap bitmap;
    EXPECT_TRUE(LoadCciJpeg(bitmap, home.FilePath(QStringLiteral("p.cci"))));
    EXPECT_EQ(bitmap.Height(), 10);
    ASSERT_TRUE(home.Write(QStringLiteral("bad.cci"), jpeg));
    EXPECT_THROW(LoadCciJpeg(image, home.FilePath(QStringLiteral("bad.cci"))), EPictureError);
    TPicture picture;
    picture.Assign(bitmap);
    EXPECT_FALSE(LoadCciJpeg(picture, home.FilePath(QStringLiteral("bad.cci"))));
    EXPECT_FALSE(picture.HasGraphic());
}

} // namespace korvatel
