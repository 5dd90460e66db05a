// A frame's rich-text block from arbitrary bytes is read without a crash and drawn into a small
// page at a scale taken from the input.
#include "index/rich_text.h"
#include "text/cp932.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdint>

// The font machinery keeps its caches (fontconfig's configuration, FreeType faces, Qt's glyph
// caches) for the life of the process and never frees them: not leaks of this program.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig\nleak:libfreetype\nleak:libharfbuzz\nleak:QFontEngine\n"
           "leak:QFontDatabase\nleak:QFontCache\nleak:libQt6Gui\n";
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

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
