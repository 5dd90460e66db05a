// A frame's rich-text block from arbitrary bytes is read without a crash and drawn into a small
// page at a scale taken from the input.
#include "gui_fuzzer.h"
#include "index/rich_text.h"
#include "text/cp932.h"

#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace korvatel;
    if (size < 1)
        return 0;
    const double scale = (data[0] + 1) / 512.0;
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), int(size - 1));
    const TRichText text = TRichText::Parse(FromCp932(bytes));
    text.PlainText();
    static QImage page(160, 120, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    text.Draw(painter, QRect(8, 8, 144, 104), scale);
    return 0;
}
