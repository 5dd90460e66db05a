#pragma once

#include <QStringList>

class QTextStream;

namespace korvatel
{

// index-sheet [--layout FILE.nxf] --out FOLDER PICTURE...: renders the index sheets of the
// pictures (the built-in layout unless a layout file is given) into FOLDER, made when missing,
// and prints the written paths. Needs a QGuiApplication for the texts. Returns 0 done, 1 the
// sheets could not be made, 2 the command line was wrong.
int CliIndexSheet(const QStringList &args, QTextStream &out, QTextStream &err);

} // namespace korvatel
