// A GIF read from arbitrary bytes gives its images or the reader's error, never a crash; what
// was read can be written again.
#include "imaging/gif.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace korvatel;
    SetMaxBitmapPixels(1 << 16);
    try {
        TGifFile gif;
        gif.LoadFromData(
            QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)));
        gif.SaveToData();
        const TBitmap bitmap = gif.FirstImageBitmap();
        TGifFile again;
        again.LoadFromData(TGifFile::FromBitmap(bitmap).SaveToData());
    } catch (const EPictureError &) {
    }
    return 0;
}
