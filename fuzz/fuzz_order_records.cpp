// Order line records from arbitrary bytes are turned into the order message and the entry file
// without a crash; the same lines serve as the shop's option and order host tables.
#include "sending/order_package.h"
#include "text/cp932.h"
#include "text/sjis_file.h"

#include <QByteArray>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace korvatel;
    const QStringList lines = SplitLines(
        FromCp932(QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size))));
    TMessageInput input;
    input.shop = TOrderShop::FromTables(QStringLiteral("1234"), lines, lines);
    input.figures.records = lines;
    input.figures.payment = int(size % 12) - 1;
    input.orderName = QStringLiteral("N");
    RecordTexts(lines);
    QStringList message = OrderMessageLines(input);
    SetMessageEndTime(message, QDateTime::currentDateTime());
    EntryFileLines(message, lines);
    return 0;
}
