// A correction record text of arbitrary bytes reads into a record whose text, shop lines and
// correction of a small picture all work; writing it and reading it back gives the same record.
#include "imaging/correction.h"
#include "imaging/correction_text.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace korvatel;
    const QString text
        = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const CorrectionRecord record = TextToRecord(text);
    ShopLines(record);
    if (TextToRecord(RecordToText(record)) != record)
        std::abort();
    TBitmap picture(4, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            picture.SetPixel(x, y, { uint8_t(x * 60), uint8_t(y * 100), uint8_t(140 + x) });
    const QRect whole(0, 0, 4, 3);
    ApplyTone(picture, record, whole);
    ApplyCorrection(picture, record.kind, record, whole);
    return 0;
}
