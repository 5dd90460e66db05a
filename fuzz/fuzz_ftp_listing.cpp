// An FTP LIST answer from arbitrary bytes: every line is read, and every entry gives its
// size-and-time marker, without a crash.
#include "net/ftp_listing.h"

#include <QByteArray>
#include <QDateTime>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace korvatel;
    const QByteArray text
        = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    // A fixed "now" keeps runs reproducible; New Year's Day tries the year rules at the edge.
    const QDateTime now(QDate(2026, 1, 1), QTime(0, 30));
    for (const TFtpEntry &entry : ParseListing(text, now)) {
        SizeTimeMarker(entry, now);
        FormatFileTime(entry.lastWrite, true, now);
    }
    return 0;
}
