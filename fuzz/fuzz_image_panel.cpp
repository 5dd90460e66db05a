// An image frame record read from arbitrary bytes against a card-sized sheet: whatever it
// holds, the frame stays within ten sheets, a frame of some size writes back and reads again
// to the same rectangle, and the mouse arithmetic on it does not overflow.
#include "cards/image_panel.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace korvatel;
    const QString line
        = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QRect sheet(8, 8, 1181, 1748);
    const std::optional<TImagePanel> panel = ReadImagePanel(line, sheet);
    if (!panel)
        return 0;
    const QRect &f = panel->frame;
    if (std::abs(f.width()) > 10 * sheet.width() || std::abs(f.height()) > 10 * sheet.height())
        std::abort();
    if (f.width() > 0 && f.height() > 0) {
        const std::optional<TImagePanel> again
            = ReadImagePanel(ImagePanelText(*panel, sheet), sheet);
        if (!again || again->frame != f || again->fileName != panel->fileName)
            std::abort();
        PanelDrag(f, PanelHandleAt(f.size(), QPoint(1, 1)), -f.width(), f.height());
        PanelWheelZoom(f, panel->inner, QSize(4000, 3000), QPoint(2, 2), 3, true);
    }
    return 0;
}
