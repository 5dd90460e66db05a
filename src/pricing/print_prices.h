#pragma once

#include <QList>
#include <QString>

namespace korvatel
{

class TPriceTables;

// The price of one print of a size as an order charges it: alone, and made together with a
// CD-R of the order's pictures.
struct TPrintPrice {
    QString size;
    double plain = 0;
    double withCd = 0;
};

// Every size the customer can choose (the tables' "*D" sizes, in table order), priced by
// MakePrintLines: the pricing whose lines the order summary charges, so a price list made here
// never differs from what the basket costs.
QList<TPrintPrice> PrintPrices(const TPriceTables &tables);

// A unit price as the shop's texts write it: "\25", or "\23.50" with a fraction, the figure
// being the one the order summary shows.
QString UnitPriceText(double price);

} // namespace korvatel
