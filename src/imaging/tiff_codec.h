#pragma once

#include "imaging/bitmap.h"

#include <QByteArray>
#include <optional>

namespace korvatel
{

// The size the first picture of a TIFF file declares, as DecodeTiff gives it: turned by its
// Orientation tag. Reads the header and the first directory only. nullopt when the data is not
// a readable TIFF.
std::optional<TPictureSize> ReadTiffInfo(const QByteArray &data);

// Decodes the first picture of a TIFF file into a 24-bit bitmap stood upright by its
// Orientation tag. Everything libtiff turns into RGB is read: RGB and greyscale of 1 to 16 bits
// (16 bits reduced to 8), palettes, CMYK and YCbCr, in strips or tiles, compressed or not. Alpha
// is dropped as the PNG reader drops it: every pixel keeps its colour. The declared size is
// checked (CheckBitmapSize) before anything is decoded, and the picture is read a strip or a
// tile row at a time. Throws EPictureError: DamagedPictureText() for damaged, truncated or
// unsupported data, the limit's text for a picture over the size limit.
TBitmap DecodeTiff(const QByteArray &data);

} // namespace korvatel
