// JPEG data from arbitrary bytes decodes at every scale or fails with an exception; the
// library's default exit() is never reached.
#include "imaging/jpeg_codec.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace korvatel;
    SetMaxBitmapPixels(1 << 20);
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    ReadJpegInfo(bytes);
    const TJpegScale scale = size > 0 ? TJpegScale(data[size - 1] & 3) : jsFullSize;
    try {
        const TBitmap bitmap = DecodeJpeg(bytes, scale);
        if (bitmap.Width() * bitmap.Height() <= 4096)
            EncodeJpeg(bitmap, 75);
    } catch (const EPictureError &) {
    }
    return 0;
}
