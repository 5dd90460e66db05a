// Any line parses, and a parsed list written back reads as the same list.
#include "text/comma_text.h"
#include "text/cp932.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace korvatel;
    const QString line
        = FromCp932(QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)));
    const QStringList items = FromCommaText(line);
    // A list of one empty item writes as an empty line, which reads as no items.
    if (items.size() == 1 && items.first().isEmpty())
        return 0;
    if (FromCommaText(ToCommaText(items)) != items)
        std::abort();
    return 0;
}
