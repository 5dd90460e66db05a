// An "Items.ini" campus price list from arbitrary bytes is read without a crash: once as it
// stands, and once with its lines from the third on scrambled as the program stores them, so
// the grid reader behind the scrambling is reached too.
#include "order/campus_prices.h"
#include "text/cp932.h"
#include "text/scramble.h"
#include "text/sjis_file.h"

#include <QByteArray>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace korvatel;
    const QByteArray bytes
        = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    ParseCampusItems(bytes);
    QStringList lines = SplitLines(FromCp932(bytes));
    for (qsizetype i = 2; i < lines.size(); ++i) {
        if (lines[i] != QLatin1String("<Files>"))
            lines[i] = Scramble(lines[i]);
    }
    if (const auto rows = ParseCampusItems(lines)) {
        TCampusPriceList list { QStringLiteral("album"), *rows };
        for (const TCampusPrice &row : list.rows)
            list.NextSize(row.size, -1);
    }
    return 0;
}
