#pragma once

#include "imaging/bitmap.h"

#include <QByteArray>
#include <optional>

namespace korvatel
{

// The size a WebP file declares, as DecodeWebp gives the picture: turned by the orientation of
// its EXIF chunk. Reads the headers only. nullopt when the data is not a readable WebP.
std::optional<TPictureSize> ReadWebpInfo(const QByteArray &data);

// Decodes a still WebP picture, lossy or lossless, into a 24-bit bitmap stood upright by the
// orientation of its EXIF chunk. Alpha is dropped as the PNG reader drops it: every pixel keeps
// its colour. The declared size is checked (CheckBitmapSize) before anything is decoded. Throws
// EPictureError: DamagedPictureText() for damaged, truncated or foreign data, a fixed text for
// an animation, the limit's text for a picture over the size limit.
TBitmap DecodeWebp(const QByteArray &data);

} // namespace korvatel
