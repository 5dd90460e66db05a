#pragma once

#include "imaging/bitmap.h"

#include <QByteArray>
#include <QList>

namespace korvatel::test
{

// A picture whose every pixel differs from its neighbours, so turns, mirrors and resizes show.
TBitmap PatternBitmap(int width, int height);
// A picture of one colour.
TBitmap UniformBitmap(int width, int height, TBgr colour);

// A plain JPEG file of the bitmap (quality 90 unless told).
QByteArray JpegBytes(const TBitmap &bitmap, int quality = 90);

enum class ByteOrder { Intel, Motorola };

// A camera-like JPEG: start of image, an optional APP0 of a chosen size, the Exif APP1 (IFD0
// with Make, Model, optional ImageWidth/ImageLength and the Exif pointer; the Exif IFD with
// DateTimeOriginal and UserComment; IFD1 with a JPEG thumbnail), then the picture.
class ExifJpegBuilder
{
public:
    explicit ExifJpegBuilder(ByteOrder order = ByteOrder::Intel);
    ExifJpegBuilder &make(const QByteArray &text);
    ExifJpegBuilder &model(const QByteArray &text);
    ExifJpegBuilder &dateTaken(const QByteArray &text);
    ExifJpegBuilder &userComment(const QByteArray &codeAndText);
    // type 3 (SHORT) or 4 (LONG), or any other type to test the refusal.
    ExifJpegBuilder &imageSize(int width, int height, int type = 3);
    // Tag 274 in IFD0: how the picture lies (type 3, SHORT, unless told).
    ExifJpegBuilder &orientation(int value, int type = 3);
    ExifJpegBuilder &thumbnail(const QByteArray &jpeg);
    // An APP0 segment with payload bytes of payload (its length field is payload + 2).
    ExifJpegBuilder &app0(int payload);
    ExifJpegBuilder &picture(const TBitmap &bitmap);
    QByteArray build() const;
    // The TIFF structure alone.
    QByteArray tiff() const;

private:
    ByteOrder FOrder;
    QByteArray FMake = "Korvatel";
    QByteArray FModel = "Test Camera";
    QByteArray FDate;
    QByteArray FComment;
    int FWidth = 0;
    int FHeight = 0;
    int FSizeType = 3;
    int FOrientation = 0;
    int FOrientationType = 3;
    QByteArray FThumbnail;
    int FApp0 = -1;
    TBitmap FPicture;
};

// A camera JPEG lying on its side: 48 × 32 as stored, with a camera thumbnail lying the same
// way unless told, Exif orientation 6 (its top is the stored left half) or 8 (the right half).
// Upright it is 32 × 48, red above and blue below.
QByteArray SidewaysJpeg(int orientation, bool withThumbnail = true);
// The picture is taller than wide, red at the top and blue at the bottom (JPEG colours are
// near, not exact).
bool RedAboveBlue(const TBitmap &bitmap);

// A Windows bitmap file from its parts: the 14-byte file header is made to fit.
struct BmpBuilder {
    int headerSize = 40;
    int width = 4;
    int height = 2;
    int bitCount = 24;
    int compression = 0;
    int colours = 0; // colour count field
    QList<uint32_t> palette; // 0x00RRGGBB, written as blue, green, red, 0 (or 3 bytes for core)
    QList<uint32_t> masks; // written after a 40-byte header, or inside a larger one
    QByteArray pixels;
    int gap = 0; // bytes between the colour table and the pixels
    QByteArray build() const;
};

} // namespace korvatel::test
