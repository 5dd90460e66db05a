// An Exif block read from arbitrary bytes gives its tags or an error code, never a crash; every
// accessor answers afterwards. The orientation reader, which walks the JPEG segments itself,
// answers 1 to 8 for the same bytes. The bytes are also read as a bare Exif block.
#include "imaging/exif.h"
#include "imaging/jpeg_codec.h"
#include "imaging/orientation.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace korvatel;
    SetMaxBitmapPixels(1 << 20);
    TExifInfo exif;
    exif.SetSearchBytes(4096);
    exif.LoadFromData(
        QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)));
    exif.Width();
    exif.Height();
    exif.DateTimeOriginal();
    exif.Make();
    exif.Model();
    exif.Software();
    exif.UserComment();
    exif.ExposureTime();
    exif.FNumber();
    exif.ISOSpeedRatings();
    for (int i = 0; i < exif.MainChain().Count(); ++i)
        exif.TagText(exif.MainChain().Item(i).tag);
    TJpegImage thumbnail;
    exif.ThumbnailToJpeg(thumbnail, false);
    // The same bytes as the bare Exif block of a HEIF or WebP file.
    TExifInfo bare;
    bare.LoadFromData(ExifJpegHead(
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size))));
    bare.DateTimeOriginal();
    const int orientation = ExifOrientation(
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (orientation < 1 || orientation > 8)
        __builtin_trap();
    return 0;
}
