#pragma once

#include <QString>
#include <QStringList>

namespace korvatel
{

// The fonts that stand in for each Windows font name the program uses, best first:
//   "MS UI Gothic", "ＭＳ Ｐゴシック"  IPAPGothic, Noto Sans CJK JP (proportional)
//   "ＭＳ ゴシック"                  IPAGothic, Noto Sans Mono CJK JP (fixed width)
//   "Arial"                         Liberation Sans, DejaVu Sans
// Empty for any other name.
QStringList WindowsFontSubstitutes(const QString &windowsName);

// Registers the substitutes above with QFont, so a QFont asking for a Windows name gets an
// installed font with its metrics instead of a glyph fallback. Call once at start-up, after
// the QGuiApplication exists.
void MapWindowsFonts();

// The family that stands in for windowsName: its first substitute that is installed, else the
// name itself. Needs a QGuiApplication.
QString MappedFontFamily(const QString &windowsName);

} // namespace korvatel
