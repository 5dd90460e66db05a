// WebP data from arbitrary bytes decodes or fails with an exception, its orientation chunk
// included.
#include "imaging/webp_codec.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace korvatel;
    SetMaxBitmapPixels(1 << 20);
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    ReadWebpInfo(bytes);
    try {
        DecodeWebp(bytes);
    } catch (const EPictureError &) {
    }
    return 0;
}
