// The answers of the shop's servers from arbitrary bytes: an order host table (plain or
// scrambled), a version history, a time line, a key-file answer and the upload script's answer
// to a piece are read without a crash.
#include "net/server_lookups.h"
#include "sending/http_pieces.h"
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
    const QByteArray raw
        = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    for (int parts : { 1, 6, kMaxHttpPieces }) {
        const TPieceAnswer piece = ParsePieceAnswer(raw, parts);
        if (piece.kind == TPieceAnswer::paNext && (piece.next < 1 || piece.next > parts))
            __builtin_trap();
    }
    return 0;
}
