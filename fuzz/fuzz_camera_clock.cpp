// The camera clock file read from arbitrary bytes: every offset kept is within its bounds, the
// number of models is capped, and what is kept writes back and reads again unchanged.
#include "sources/camera_clock.h"
#include "text/cp932.h"
#include "text/sjis_file.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace korvatel;
    const QString text
        = FromCp932(QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)));
    const TCameraClocks clocks = TCameraClocks::FromLines(SplitLines(text));
    const QStringList lines = clocks.Lines();
    if (lines.size() > TCameraClocks::kMaxModels)
        std::abort();
    for (const QString &line : lines) {
        const qsizetype eq = line.lastIndexOf(u'=');
        const qsizetype bar = line.indexOf(u'|');
        if (eq < 0 || bar < 0 || bar > eq)
            std::abort();
        const qint64 offset = clocks.Offset(line.left(bar), line.mid(bar + 1, eq - bar - 1));
        if (offset == 0 || offset > TCameraClocks::kMaxOffset
            || offset < -TCameraClocks::kMaxOffset)
            std::abort();
    }
    if (TCameraClocks::FromLines(lines).Lines() != lines)
        std::abort();
    return 0;
}
