// The date list files read from arbitrary bytes: DateData.ini lines decode or are refused, the
// tree built from them keeps its counts consistent, and month file lines and node texts parse
// without a crash.
#include "sources/date_scan.h"
#include "text/cp932.h"
#include "text/sjis_file.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace korvatel;
    const QString text
        = FromCp932(QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)));
    const QStringList lines = SplitLines(text);

    for (const QString &line : lines) {
        if (const std::optional<TScanEntry> entry = DecodeScanLine(line)) {
            if (entry->size < 0 || entry->path.isEmpty())
                std::abort();
            UnpackFileDateTime(entry->stamp);
        }
        if (const std::optional<TDateRange> range = DateNodeRange(line)) {
            if (range->firstMonth < 1 || range->lastMonth > 12 || range->firstDay < 1
                || range->lastDay > 31 || range->firstMonth > range->lastMonth)
                std::abort();
        }
    }

    const std::optional<TDateLists> lists = BuildDateLists(lines);
    if (!lists)
        std::abort();
    int years = 0;
    for (const TDateNode &year : lists->years) {
        int months = 0;
        for (const TDateNode &month : year.children) {
            int days = 0;
            for (const TDateNode &day : month.children)
                days += day.count;
            if (days != month.count)
                std::abort();
            months += month.count;
        }
        if (months != year.count)
            std::abort();
        years += year.count;
    }
    if (years != lists->pictures)
        std::abort();

    // The month file reader on the same bytes and on the month files just made.
    ReadMonthLines(lines, 2005, 3, 1, 31);
    for (auto it = lists->months.constBegin(); it != lists->months.constEnd(); ++it)
        if (ReadMonthLines(it.value(), it.key().left(4).toInt(), it.key().mid(4).toInt(), 1, 31)
                .size()
            != it.value().size())
            std::abort();
    return 0;
}
