// Any bytes convert to 7-bit JIS whose last double-byte run is closed, and JIS back to
// Shift-JIS gives the same bytes whenever every character of the input is one that the
// conversion carries as it is (ASCII other than the shifts, and the characters of the JIS rows
// other than the two replaced ideographs). Any bytes also read back from JIS without a crash.
#include "mobile/mail/jis_text.h"
#include "text/cp932.h"

#include <cstdint>
#include <cstdlib>

namespace
{

bool CarriedAsItIs(const QByteArray &sjis)
{
    for (qsizetype i = 0; i < sjis.size();) {
        const auto b = static_cast<unsigned char>(sjis[i]);
        if (b < 0x80) {
            if (b == 0x1B || b == 0x0E || b == 0x0F)
                return false;
            ++i;
            continue;
        }
        if (i + 1 >= sjis.size())
            return false;
        const auto t = static_cast<unsigned char>(sjis[i + 1]);
        const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xEF);
        if (!lead || t < 0x40 || t > 0xFC || t == 0x7F)
            return false;
        i += 2;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace korvatel;
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QByteArray jis = ToJis(bytes);
    for (char c : jis) {
        if (static_cast<unsigned char>(c) >= 0x80)
            std::abort();
    }
    const qsizetype in = jis.lastIndexOf("\x1b$B");
    if (in >= 0 && jis.lastIndexOf("\x1b(J") < in)
        std::abort();
    const QByteArray back = JisToSjis(jis);
    if (CarriedAsItIs(bytes) && back != bytes)
        std::abort();
    // Half-width katakana never survive the trip.
    for (qsizetype i = 0; i < back.size(); ++i) {
        const auto b = static_cast<unsigned char>(back[i]);
        if (IsCp932LeadByte(b))
            ++i;
        else if (b >= 0xA1 && b <= 0xDF)
            std::abort();
    }
    JisToSjis(bytes);
    const QString header = EncodeHeader(FromCp932(bytes));
    if (header.contains(u'\r') || header.contains(u'\n'))
        std::abort();
    return 0;
}
