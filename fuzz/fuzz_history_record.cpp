// A history file from arbitrary bytes is inflated (with a lower cap than the program's 100 MiB,
// so the fuzzer's memory stays small) and split into its sections without a crash; the bytes
// taken as a file name give an entry and its list texts; and any text compressed by the writer
// inflates back to itself.
#include "customer/history_record.h"
#include "customer/order_history.h"
#include "text/cp932.h"

#include <QByteArray>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace korvatel;
    const QByteArray bytes
        = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    if (const std::optional<QStringList> lines = korvatel::HistoryTextOf(bytes, 4 * 1024 * 1024))
        ParseHistoryText(*lines);

    const QString name = FromCp932(bytes);
    TOrderHistRec entry = HistEntryOf(name);
    entry.bundleList = name;
    EntryText(entry);
    BundleItemLines(entry);
    entry.PaymentId();
    ParseHistoryText(name.split(QLatin1Char('\n')));

    const QByteArray copy(bytes);
    if (InflateHistory(CompressHistory(copy), qint64(copy.size())) != copy)
        __builtin_trap();
    return 0;
}
