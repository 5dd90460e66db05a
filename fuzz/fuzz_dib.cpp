// A Windows bitmap read from arbitrary bytes gives a bitmap or the reader's error, never a crash,
// an out-of-bounds write or a huge allocation.
#include "imaging/dib.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace korvatel;
    // Small pictures are enough to reach every path; big ones only slow the runs.
    SetMaxBitmapPixels(1 << 20);
    try {
        const TBitmap bitmap = LoadDIBFromStream(
            QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)));
        if (!bitmap.Empty())
            SaveDIBToStream(bitmap);
    } catch (const EPictureError &) {
    }
    return 0;
}
