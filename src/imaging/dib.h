#pragma once

#include "imaging/bitmap.h"

#include <QByteArray>

namespace korvatel
{

// Reads a Windows bitmap file (file header, core or info header of any later version, colour
// table or bit-field masks, pixels of 1, 4, 8, 16, 24 or 32 bits, plain or RLE8/RLE4) into a
// 24-bit bitmap. Throws EPictureError with the system's texts ("LoadDIBFromStream: File type is
// invalid", "Convert8BitRLETo8BitRGB: Bad RLE Data 4", ...).
TBitmap LoadDIBFromStream(const QByteArray &data);

// A 24-bit Windows bitmap file (40-byte header, bottom-up rows) of the bitmap.
QByteArray SaveDIBToStream(const TBitmap &bitmap);

} // namespace korvatel
