#pragma once

#include <QStringList>

class QTextStream;

namespace korvatel
{

// "korvatel-cli price SHOPDATA BASKET [--today=YYYY-MM-DD] [--file-mode]": prices the basket
// file (see basket_text.h) against the shop data container (or, with --file-mode, the shop
// folder of per-table files) and prints the statement, the total, the tax and the order line
// records. Exit status 0 done, 1 unreadable input, 2 wrong command line.
int PriceCommand(const QStringList &args, QTextStream &out, QTextStream &err);

} // namespace korvatel
