// A card plate list ("CardPlates.ini") from arbitrary bytes is read without a crash, and every
// file name it lets through is a plain name that stays inside the plate folder.
#include "cards/stage_plates.h"
#include "text/sjis_file.h"

#include <QByteArray>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace korvatel;
    const QByteArray bytes
        = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<QStringList> lines = SjisLines(bytes);
    if (!lines)
        return 0;
    const QList<TCardPlateEntry> plates = ParseCardPlateList(*lines);
    if (plates.size() > kMaxCardPlates)
        std::abort();
    for (const TCardPlateEntry &plate : plates)
        if (plate.file.contains(u'/') || plate.file.contains(u'\\') || plate.file.startsWith(u'.'))
            std::abort();
    return 0;
}
