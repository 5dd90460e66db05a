// Unscrambling takes any text; whatever does unscramble scrambles back to the same text.
#include "text/scramble.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace korvatel;
    const QString text
        = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QString scrambled = QLatin1Char('*') + text;
    if (const std::optional<QString> plain = Unscramble(scrambled)) {
        if (Scramble(*plain) != scrambled)
            std::abort();
    }
    if (Unscramble(Scramble(text)) != text)
        std::abort();
    return 0;
}
