// The journal of an order being sent, from arbitrary bytes: read without a crash, refused when
// it names a folder outside its own, and what it writes reads back to the same bytes.
#include "ordering/order_journal.h"

#include <QByteArray>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace korvatel;
    const std::optional<TOrderJournal> journal = TOrderJournal::FromBytes(
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!journal)
        return 0;
    if (journal->name.contains(u'/') || journal->name.contains(u'.'))
        __builtin_trap();
    for (const TSendItem &item : journal->sendList) {
        if (item.remote.startsWith(u'/') || item.remote.split(u'/').contains(QStringLiteral("..")))
            __builtin_trap();
    }
    const QByteArray written = journal->Bytes();
    const std::optional<TOrderJournal> again = TOrderJournal::FromBytes(written);
    if (!again || again->Bytes() != written)
        __builtin_trap();
    return 0;
}
