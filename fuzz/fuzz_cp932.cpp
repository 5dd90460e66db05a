// Any bytes decode without a crash, and what decodes cleanly encodes back to text that decodes
// to the same characters.
#include "text/cp932.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace korvatel;
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    int bad = 0;
    const QString text = FromCp932(bytes, &bad);
    if (bad == 0 && FromCp932(ToCp932(text)) != text)
        std::abort();
    Cp932Left(text, static_cast<int>(size % 64));
    if (Cp932Width(text) < 0)
        std::abort();
    return 0;
}
