// The key file of a stored card read from arbitrary bytes gives a card within the reader's
// caps or nothing; what it gives writes back to lines that read back the same.
#include "cards/card_store.h"
#include "text/cp932.h"
#include "text/sjis_file.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace korvatel;
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const std::optional<TCardStore> store = ParseCardStore(bytes);
    if (!store)
        return 0;
    if (store->layers.size() > size_t(kMaxStoredLayers))
        std::abort();
    size_t ops = 0;
    for (const TCardStoreLayer &layer : store->layers) {
        ops += layer.ops.size();
        if (layer.pictureFile.contains(QLatin1Char('/'))
            || layer.pictureFile.contains(QLatin1Char('\\')))
            std::abort();
    }
    if (ops > size_t(kMaxStoredOps))
        std::abort();
    ParseCardStore(ToCp932(JoinLines(CardStoreLines(*store))));
    return 0;
}
