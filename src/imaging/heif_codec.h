#pragma once

#include "imaging/bitmap.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace korvatel
{

// HEIF (HEIC) and AVIF pictures are read through libheif, which is opened on the first use
// (libheif.so.1) rather than linked: a program that reads none of them never loads it, and one
// without it installed still starts.

// True when libheif could be opened with every function the reader uses. Opens it the first
// time it is asked.
bool HeifReaderAvailable();

// The text of the error raised when libheif is not there.
QString HeifReaderMissingText();

// The size of the file's primary picture as DecodeHeif gives it (turned by its irot and imir
// transformations). Reads the file's boxes only. nullopt when libheif is missing or the data is
// not a readable HEIF or AVIF file.
std::optional<TPictureSize> ReadHeifInfo(const QByteArray &data);

// The Exif block of the file's primary picture as a TIFF structure (from its byte-order mark),
// what a JPEG keeps after "Exif" in its APP1 segment. libheif reads the file (all of it, in the
// versions of today) but decodes nothing. nullopt when libheif is missing, the file cannot be
// read or is not a HEIF or AVIF file, or its primary picture has no usable Exif block.
std::optional<QByteArray> ReadHeifExif(const QString &fileName);

// Decodes the primary picture of a HEIF or AVIF file into a 24-bit bitmap. libheif applies the
// file's crop, rotation and mirroring (its clap, irot and imir boxes), which is what stands the
// picture upright; an Exif orientation the file also carries describes the stored picture
// before them and is ignored. Deeper pictures are reduced to 8 bits; alpha is dropped as the
// PNG reader drops it. The declared size is checked (CheckBitmapSize) before anything is
// decoded. Throws EPictureError: HeifReaderMissingText() (peUnknownKind) without libheif,
// DamagedPictureText() for damaged, truncated or foreign data, the limit's text for a picture
// over the size limit.
TBitmap DecodeHeif(const QByteArray &data);

// The file libheif is opened from, "libheif.so.1" unless told; setting it forgets a library
// already opened. For tests and packagers; not while another thread reads a picture.
void SetHeifLibraryName(const QByteArray &fileName);

} // namespace korvatel
