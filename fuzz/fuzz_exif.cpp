// An Exif block read from arbitrary bytes gives its tags or an error code, never a crash; every
// accessor answers afterwards.
#include "imaging/exif.h"
#include "imaging/jpeg_codec.h"

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
    return 0;
}
