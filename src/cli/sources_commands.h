#pragma once

#include <QStringList>

class QTextStream;

namespace korvatel
{

// date-scan [--full] [--tree DIR] FOLDER...: walks the folders as the date scan does (JPEG
// kinds, fast mode unless --full), prints the counts and the year, month and day nodes, and
// with --tree writes DateData.ini and the month files into DIR.
int CliDateScan(const QStringList &args, QTextStream &out, QTextStream &err);

} // namespace korvatel
