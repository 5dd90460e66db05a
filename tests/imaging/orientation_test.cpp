#include "imaging/orientation.h"
#include "support/image_builders.h"
#include "support/temp_home.h"

#include <QFile>
#include <gtest/gtest.h>

namespace korvatel
{

using test::ByteOrder;
using test::ExifJpegBuilder;
using test::PatternBitmap;

namespace
{

// Where the stored first row and first column belong, orientation by orientation, as the Exif
// standard lists them.
enum TSide { sTop, sBottom, sLeft, sRight };
struct TLie {
    TSide row0;
    TSide column0;
};
const TLie kLies[9]
    = { {}, { sTop, sLeft }, { sTop, sRight }, { sBottom, sRight }, { sBottom, sLeft },
          { sLeft, sTop }, { sRight, sTop }, { sRight, sBottom }, { sLeft, sBottom } };

// The picture as a camera lying that way stores the upright one.
TBitmap Stored(const TBitmap &upright, int orientation)
{
    const TLie lie = kLies[orientation];
    const bool across = lie.row0 == sLeft || lie.row0 == sRight;
    const int w = upright.Width();
    const int h = upright.Height();
    TBitmap stored(across ? h : w, across ? w : h);
    for (int r = 0; r < stored.Height(); ++r) {
        for (int c = 0; c < stored.Width(); ++c) {
            // Row r is the r-th line from the row's side; column c the c-th from the column's.
            int x;
            int y;
            if (across) {
                x = lie.row0 == sLeft ? r : w - 1 - r;
                y = lie.column0 == sTop ? c : h - 1 - c;
            } else {
                y = lie.row0 == sTop ? r : h - 1 - r;
                x = lie.column0 == sLeft ? c : w - 1 - c;
            }
            stored.SetPixel(c, r, upright.Pixel(x, y));
        }
    }
    return stored;
}

} // namespace

TEST(ApplyOrientation, EachOfTheEightStandsThePictureUpright)
{
    const TBitmap upright = PatternBitmap(3, 2);
    for (int orientation = 1; orientation <= 8; ++orientation) {
        SCOPED_TRACE(orientation);
        TBitmap picture = Stored(upright, orientation);
        EXPECT_EQ(orientation >= 5, picture.Width() == 2) << "5 to 8 lie on a side";
        ApplyOrientation(picture, orientation);
        EXPECT_EQ(picture, upright);
    }
    for (int unknown : { 0, 9, -6 }) {
        TBitmap picture = upright;
        ApplyOrientation(picture, unknown);
        EXPECT_EQ(picture, upright);
    }
}

TEST(ExifOrientation, ReadsTheTagOfIfdZeroInEitherByteOrder)
{
    for (ByteOrder order : { ByteOrder::Intel, ByteOrder::Motorola })
        for (int orientation = 1; orientation <= 8; ++orientation)
            EXPECT_EQ(ExifOrientation(ExifJpegBuilder(order).orientation(orientation).build()),
                orientation);
    // JFIF and other segments before the Exif block, as phones and editors write them.
    EXPECT_EQ(ExifOrientation(ExifJpegBuilder().app0(300).orientation(6).build()), 6);
}

TEST(ExifOrientation, AnythingElseIsUpright)
{
    EXPECT_EQ(ExifOrientation(ExifJpegBuilder().build()), 1) << "no tag";
    EXPECT_EQ(ExifOrientation(ExifJpegBuilder().orientation(9).build()), 1);
    EXPECT_EQ(ExifOrientation(ExifJpegBuilder().orientation(6, 4).build()), 1) << "a LONG";
    EXPECT_EQ(ExifOrientation(test::JpegBytes(PatternBitmap(4, 4))), 1) << "no Exif";
    EXPECT_EQ(ExifOrientation("not a picture"), 1);
    const QByteArray whole = ExifJpegBuilder().orientation(6).build();
    for (int cut : { 2, 5, 20, 40 })
        EXPECT_EQ(ExifOrientation(whole.left(cut)), 1) << cut;
    QByteArray wrongOffset = whole;
    wrongOffset[2 + 4 + 6 + 7] = char(0x7F); // IFD0 far beyond the block
    EXPECT_EQ(ExifOrientation(wrongOffset), 1);
}

TEST(ExifOrientationOf, ReadsJpegFilesOnly)
{
    test::TTempHome home;
    const QByteArray jpeg = ExifJpegBuilder().orientation(8).build();
    ASSERT_TRUE(home.Write(QStringLiteral("a.JPG"), jpeg));
    ASSERT_TRUE(home.Write(QStringLiteral("a.bmp"), jpeg));
    EXPECT_EQ(ExifOrientationOf(home.FilePath(QStringLiteral("a.JPG"))), 8);
    EXPECT_EQ(ExifOrientationOf(home.FilePath(QStringLiteral("a.bmp"))), 1);
    EXPECT_EQ(ExifOrientationOf(home.FilePath(QStringLiteral("missing.jpg"))), 1);
}

TEST(ExifOrientationOf, OrientationSamples)
{
    const QString dir = test::SharedTestData(QStringLiteral("exif-samples"));
    if (dir.isEmpty())
        GTEST_SKIP() << "shared test data not present";
    const std::pair<const char *, int> samples[] = { { "landscape_1.jpg", 1 },
        { "landscape_3.jpg", 3 }, { "portrait_6.jpg", 6 }, { "portrait_8.jpg", 8 } };
    int checked = 0;
    for (const auto &[name, orientation] : samples) {
        const QString path = dir + QStringLiteral("/jpg/orientation/") + QLatin1String(name);
        if (!QFile::exists(path))
            continue;
        EXPECT_EQ(ExifOrientationOf(path), orientation) << name;
        ++checked;
    }
    EXPECT_GT(checked, 0);
}

} // namespace korvatel
