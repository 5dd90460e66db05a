#pragma once

#include "imaging/bitmap.h"

#include <QByteArray>

namespace korvatel::test
{

// The colours of Halves: a red and a blue away from the ends of the scale, so that a channel
// clipped or reduced wrongly shows.
inline constexpr TBgr kHalfRed { 20, 30, 230 };
inline constexpr TBgr kHalfBlue { 220, 50, 25 };
// A picture red on its left half and blue on its right.
TBitmap Halves(int width, int height);
// Every channel within tolerance of the expected value.
bool Near(TBgr actual, TBgr expected, int tolerance);

// Files of the formats read through libwebp, libtiff and libheif, made with the libraries' own
// encoders from a bitmap.

// A still WebP, lossy at quality 90 or lossless. With exif (a TIFF structure) the file is
// written in the extended form with an EXIF chunk after the picture.
QByteArray WebpBytes(const TBitmap &bitmap, bool lossless, const QByteArray &exif = {});

struct TTiffLayout {
    int channels = 3; // 1 grey (the bitmap's green), 3 RGB, 4 RGB with unassociated alpha
    int bits = 8; // 8 or 16 per sample
    int orientation = 1; // the Orientation tag
    int alpha = 255; // every pixel's alpha, for 4 channels
};
// An uncompressed TIFF in strips of 8 rows.
QByteArray TiffBytes(const TBitmap &bitmap, const TTiffLayout &layout = {});

enum class HeifCodec { Hevc, Av1 };
// A HEIF file (HEVC, ".heic") or an AVIF (AV1) at quality 90 whose primary picture carries the
// irot/imir transformation of the orientation (1..8, as Exif numbers them) and, when given, the
// Exif block. Empty when libheif here has no encoder for the codec.
QByteArray HeifBytes(
    const TBitmap &bitmap, HeifCodec codec, int orientation = 1, const QByteArray &exif = {});

} // namespace korvatel::test
