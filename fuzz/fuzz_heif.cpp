// HEIF and AVIF data from arbitrary bytes decodes or fails with an exception. libheif is
// opened at run time and not instrumented: this checks the reader's side of the wall.
#include "imaging/heif_codec.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace korvatel;
    SetMaxBitmapPixels(1 << 20);
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    ReadHeifInfo(bytes);
    try {
        DecodeHeif(bytes);
    } catch (const EPictureError &) {
    }
    return 0;
}
