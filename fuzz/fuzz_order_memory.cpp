// An order memory file from arbitrary bytes is read into a basket without a crash, the basket
// is recounted, aggregated and sorted every way, and what it writes reads back to the same text.
#include "order/campus_prices.h"
#include "order/thumb_nails.h"
#include "pricing/price_tables.h"
#include "pricing/shop_data.h"
#include "text/cp932.h"
#include "text/sjis_file.h"

#include <QByteArray>
#include <cstdint>

namespace
{

using namespace korvatel;

QStringList Written(const QStringList &lines, TOrderType type, const TOrderContext &context)
{
    TThumbNails list(context);
    list.ReadMemoryLines(lines, type);
    list.Recount();
    return list.MemoryLines(type, QDateTime(QDate(2026, 12, 8), QTime(9, 0)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const TPriceTables tables = [] {
        TPriceTables t(kServerCatalogue);
        t.Load(TShopData::FromContainer(SplitLines(
            QStringLiteral(":>SIZENAME\nL\n2L\nKG\n:>END\n:>USEDSIZE\n*D\n*D\n-\n:>END\n"
                           ":>PRICES\nprcNet|L=25\nprcNet|2L=80\nprcJustify|L=19\n:>END\n"))));
        return t;
    }();
    static const TCampusPriceLists campus = [] {
        TCampusPriceLists c;
        c.Add({ QStringLiteral("C:\\Campus\\1234\\album"), { { QStringLiteral("P1"), 30 } } });
        return c;
    }();
    TOrderContext context;
    context.tables = &tables;
    context.campus = &campus;
    context.works = QStringLiteral("/tmp/works");

    const QString text
        = FromCp932(QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)));
    const QStringList lines = SplitLines(text);
    for (TOrderType type : { otDpe, otPhoto }) {
        TThumbNails list(context);
        list.ReadMemoryLines(lines, type);
        list.Recount();
        list.RebuildAggregate();
        for (int kind = 0; kind < kOrderSortCount; ++kind) {
            list.SetSort(kind, kind % 2 == 1);
            list.Sort();
        }
        const QStringList first = Written(lines, type, context);
        if (first != Written(first, type, context))
            __builtin_trap();
    }
    return 0;
}
