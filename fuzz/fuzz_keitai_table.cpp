// Any bytes read as the lines of Keitai.ini give a table without repeated models, within the
// entry cap, that reads back from its own text as the same table. The same bytes also read
// as a built-in row, a mail address and the servers' key lines without a crash.
#include "mobile/keitai_datas.h"
#include "mobile/keitai_servers.h"
#include "text/cp932.h"
#include "text/sjis_file.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace korvatel;
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const std::optional<QStringList> lines = SjisLines(bytes, 100000);
    if (!lines)
        return 0;
    TKeitaiDatas table;
    const int count = table.LoadFromLines(*lines);
    if (count != table.Count() || count > TKeitaiDatas::kMaxEntries)
        std::abort();
    for (int i = 0; i < table.Count(); ++i) {
        const TKeitaiData &item = table.Item(i);
        if (table.Find(item.model, item.maker, item.prov) != &table.Item(i))
            std::abort();
        if (item.fmt < 0 || item.fmt > 4 || item.w < 0 || item.h < 0)
            std::abort();
    }
    TKeitaiDatas again;
    again.LoadFromLines(table.Lines());
    if (again.Items() != table.Items())
        std::abort();
    table.Carriers();
    table.Makers();
    const QString text = FromCp932(bytes);
    KeitaiDataFromRow(text);
    CarrierOfMail(text);
    KeitaiServersFromLines(*lines);
    return 0;
}
