// The lenient number reader and the half-width mapping take any text.
#include "text/cp932.h"
#include "text/half_width.h"
#include "text/numbers.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace korvatel;
    const QString text
        = FromCp932(QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)));
    const double value = ParseNumber(text, 7.0);
    if (!std::isfinite(value))
        std::abort();
    ParseInteger(text, 7);
    ParseNumber(ToHalfWidth(text), 0);
    return 0;
}
