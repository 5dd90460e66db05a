// The answers of the shop's servers from arbitrary bytes: an order host table (plain or
// scrambled), a version history, a time line and a key-file answer are read without a crash.
#include "net/server_lookups.h"
#include "sending/order_host.h"
#include "text/cp932.h"
#include "text/key_file.h"
#include "text/sjis_file.h"

#include <QByteArray>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace korvatel;
    const QString text
        = FromCp932(QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)));
    const QStringList lines = SplitLines(text);

    if (const auto table = TOrderHostTable::FromLines(lines)) {
        table->ImageServer();
        table->PhoneServer();
        table->Passive();
        table->OfferedProgram();
    }
    NewerVersions(lines, QStringLiteral("1.00"));
    const TKeyFile answer(lines);
    ParseServerTime(answer.Value(QStringLiteral("Time")));
    ParseServerTime(text);
    answer.Value(QStringLiteral("MasterID"));
    answer.Value(QStringLiteral("VersionsInformation"));
    return 0;
}
