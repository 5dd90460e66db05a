#pragma once

#include "pricing/order_pricing.h"

#include <QStringList>

namespace korvatel
{

class TPriceTables;

// A basket and the customer's choices written as text, for pricing from the command line.
// One entry a line; blank lines and lines starting with "#" are skipped:
//   L;25=30                      a print line: size, unit price, count
//   photo=L,12[,repeat]          photos priced from the tables (kind 1 with a CD-R, kind 2
//                                for reprints from a shop CD-R, else kind 0)
//   campus=album;;L;;30;;=4      a campus line
//   cd=PICTURES,BYTES[,KIND]     the CD-R: picture count, total bytes, cdtNormal/cdtJustify/cdtCopy
//   phone=COUNT                  phone images
//   payment=NAME, delivery=NAME  any name form of the kinds
//   prefecture=13 or 東京都, address=…
//   points=USED[,AVAILABLE]      points used (the entry is then shown)
struct TBasketText {
    TPricingBasket basket;
    TPricingChoice choice;
    // "line N: …" for every line that was not understood.
    QStringList errors;
};

TBasketText ParseBasketText(const QStringList &lines, const TPriceTables &tables);

} // namespace korvatel
