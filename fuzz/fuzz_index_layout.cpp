// An index layout (.nxf) from arbitrary bytes is read without a crash, what it writes reads back
// to the same layout, and a page of it is drawn (one input in four, drawing costs time).
#include "gui_fuzzer.h"
#include "index/index_format.h"
#include "text/cp932.h"

#include <QByteArray>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace korvatel;
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    TIndexFormat format;
    format.LoadFromText(FromCp932(bytes));
    // Frame pictures would read files named by the input.
    for (TFrame &frame : format.Frames)
        frame.GF.clear();

    TIndexFormat again;
    again.W = format.W;
    again.H = format.H;
    again.LoadFromLines(format.ToLines());
    if (!(again.Frames == format.Frames) || !(again.Thumb == format.Thumb) || again.W != format.W
        || again.H != format.H || again.C != format.C || again.CC != format.CC)
        std::abort();

    if (const std::optional<TGridGeometry> grid = format.Grid()) {
        if (grid->PerPage() <= 0)
            std::abort();
        grid->Cell(grid->PerPage() - 1);
    }
    if (size > 0 && data[0] % 4 == 0) {
        format.AddImage(QStringLiteral("/nonexistent/a.jpg"));
        format.RenderPage();
    }
    return 0;
}
