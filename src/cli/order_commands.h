#pragma once

#include <QStringList>

class QTextStream;

namespace korvatel
{

// "korvatel-cli basket MEMORY [--campus] [--shop HOSTFMT] [--check] [--add PICTURE...
// [--size S] [--count N] [--disk D]]": reads an order memory file (OrderMemory, or with
// --campus a CampusOrder file), optionally adds pictures and writes the file back, and prints
// the totals and one line per item. --shop takes the sizes and prices from a shop data
// container; --check lists vanished pictures and withdrawn sizes. Exit status 0 done, 1 the
// file could not be written or the check found problems, 2 wrong command line.
int BasketCommand(const QStringList &args, QTextStream &out, QTextStream &err);

} // namespace korvatel
