#pragma once

#include <QString>

namespace korvatel
{

// The path of the program's own file, which names the shop ("Korvatel1234",
// "Korvatel1234.AppImage"). For an AppImage it is the image file, not the binary unpacked
// from it; otherwise the running executable. environmentAppImage is the value of the APPIMAGE
// variable, handed in so tests can set it.
QString OwnProgramPath(const QString &environmentAppImage);
QString OwnProgramPath();

// The file-name part of OwnProgramPath().
QString OwnProgramName();

} // namespace korvatel
