// A plate file read from arbitrary bytes gives its blocks or one of the two messages; every
// block decodes to a picture or the decoder's error, and the layers go onto a stage and are
// drawn, never a crash, an out-of-bounds access or a huge allocation.
#include "cards/layers.h"
#include "cards/plate_file.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace korvatel;
    // Small pictures are enough to reach every path; big ones only slow the runs.
    SetMaxBitmapPixels(1 << 16);
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    ReadPlate(bytes, true);
    const TPlateRead read = ReadPlate(bytes);
    if (read.error != plOk) {
        PlateErrorText(read.error);
        return 0;
    }
    try {
        DecodePlateBlock(read.plate.preview);
    } catch (const EPictureError &) {
    }
    TLayers layers(QSize(64, 96));
    layers.SetDisplayLimit(64);
    layers.LoadPlate(read.plate);
    RenderCard(layers, QSize(32, 48));
    return 0;
}
