#pragma once

#include "order/campus_prices.h"
#include "order/thumb_nails.h"
#include "pricing/price_tables.h"
#include "pricing/shop_data.h"
#include "support/temp_home.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QFile>

namespace korvatel::test
{

// A shop offering L and 2L; "KG" exists in the tables but is withdrawn.
inline TPriceTables OrderShopTables()
{
    TPriceTables tables(kServerCatalogue);
    tables.Load(TShopData::FromContainer(SplitLines(QStringLiteral(
        ":>SIZENAME\nL\n2L\nKG\n:>END\n"
        ":>USEDSIZE\n*D\n*D\n-\n:>END\n"
        ":>PRICES\nprcNet|L=25\nprcNet|2L=80\nprcNet|KG=120\nprcJustify|L=19\nprcRepeat|L=27\n"
        ":>END\n"))));
    return tables;
}

// A shop offering L (127 × 89 mm) and 2L (178 × 127 mm), with their print dimensions.
inline TPriceTables SizedShopTables()
{
    TPriceTables tables(kServerCatalogue);
    tables.Load(TShopData::FromContainer(SplitLines(QStringLiteral(
        ":>SIZENAME\nL\n2L\n:>END\n:>USEDSIZE\n*D\n*D\n:>END\n"
        ":>SIZEXY\n127*89\n178*127\n:>END\n:>PRICES\nprcNet|L=25\nprcNet|2L=80\n:>END\n"))));
    return tables;
}

// One text field of every item, in list order.
inline QStringList ItemTexts(const TThumbNails &list, QString TThumbNail::*field)
{
    QStringList texts;
    for (int i = 0; i < list.Count(); ++i)
        texts << list.Item(i)->*field;
    return texts;
}

// A basket over a temporary folder: the shop's tables, one campus album with the sizes "P1"
// and "P2", and picture files made on demand.
struct TBasketFixture {
    TTempHome home;
    TPriceTables tables = OrderShopTables();
    TCampusPriceLists campus;
    TThumbNails list;

    TBasketFixture()
        : list(TOrderContext {})
    {
        campus.Add({ Album(), { { QStringLiteral("P1"), 30 }, { QStringLiteral("P2"), 45 } } });
        list.Context().tables = &tables;
        list.Context().campus = &campus;
        list.Context().works = home.FilePath(QStringLiteral("Works"));
    }

    QString Album() const { return home.FilePath(QStringLiteral("Campus/shop/album1")); }

    // A file of the given size (its bytes do not matter to the list).
    QString File(const QString &name, int size = 100)
    {
        const QString path = home.FilePath(name);
        home.Write(name, QByteArray(size, 'x'));
        return path;
    }
};

} // namespace korvatel::test
