#pragma once

#include <QStringList>

class QTextStream;

namespace korvatel
{

// The imaging commands of korvatel-cli; each returns the process exit status (0 done, 1 the
// command failed, 2 the command line was wrong).
// exif FILE: one name=value line per field of the Exif reader.
int CliExif(const QStringList &args, QTextStream &out, QTextStream &err);
// decode FILE OUT.png [--scale 1|2|4|8]: any loadable picture as PNG.
int CliDecode(const QStringList &args, QTextStream &out, QTextStream &err);
// thumb FILE --mode N [--cell SIZE] OUT.jpg: the browser thumbnail of a thumbnail mode.
int CliThumb(const QStringList &args, QTextStream &out, QTextStream &err);
// resize FILE OUT (--bilinear W H | --area W H | --stretch W H | --fit N [--area] | --double).
int CliResize(const QStringList &args, QTextStream &out, QTextStream &err);
// correct FILE --kind N [--density D] [--contrast C] [--rgb R,G,B] OUT.jpg: the picture with a
// correction record applied as the order grid applies it (kinds 1..4 measured first); prints
// the record text.
int CliCorrect(const QStringList &args, QTextStream &out, QTextStream &err);

} // namespace korvatel
