// Shop envelopes from arbitrary bytes: the reader accepts or refuses without a crash, and what it
// accepts keeps its own rules (dates in order, names below the shop's folder, 32-byte digests).
#include "net/shop_envelope.h"

#include <QByteArray>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace korvatel;
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<TShopEnvelope> envelope = ParseShopEnvelope(text);
    if (!envelope)
        return 0;
    if (envelope->expires < envelope->issued || envelope->serial < 0)
        std::abort();
    for (auto it = envelope->files.cbegin(); it != envelope->files.cend(); ++it) {
        if (it.value().size() != 32 || it.key().startsWith(u'/')
            || it.key().split(u'/').contains(QStringLiteral("..")))
            std::abort();
        envelope->Covers(it.key(), text);
    }
    return 0;
}
