#pragma once

// Included once by each fuzz target that draws text: fonts need a GUI application, made here on
// the offscreen platform before the first input.

#include <QGuiApplication>

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
