#pragma once

#include "imaging/bitmap.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace korvatel
{

// The Exif orientation says where the stored picture's first row and first column belong when
// it stands upright: 1 top and left (already upright), 2 top and right, 3 bottom and right,
// 4 bottom and left, 5 left and top, 6 right and top, 7 right and bottom, 8 left and bottom.
// Cameras and phones store a picture taken upright on its side and set 6 or 8.

// The orientation of JPEG data (tag 274 of IFD0 in the Exif APP1 segment): 1 when there is
// none, when it is not a SHORT of 1 to 8, or when the data is not a JPEG.
int ExifOrientation(const QByteArray &jpeg);
// The same for a picture file; reads the segments before the picture data only. 1 for files
// of other kinds and for files that cannot be read.
int ExifOrientationOf(const QString &fileName);

// The orientation in a TIFF structure (an Exif block without its "Exif" header, or a TIFF
// file): IFD0's tag 274 when it is a SHORT of 1 to 8, otherwise 1.
int TiffOrientation(const QByteArray &tiff);

// Turns and mirrors a picture stored with the orientation so that it stands upright. 1 and
// values outside 1..8 leave the bitmap as it is.
void ApplyOrientation(TBitmap &bitmap, int orientation);

// A picture file as the customer sees it: loaded (LoadPicture), as a 24-bit bitmap, and stood
// upright by its orientation. nullopt when LoadPicture loads nothing; errors of the reader
// are raised as LoadPicture raises them.
std::optional<TBitmap> LoadUprightBitmap(const QString &fileName);

} // namespace korvatel
