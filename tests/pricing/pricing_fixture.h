#pragma once

#include "pricing/discounts.h"
#include "pricing/price_tables.h"
#include "pricing/shop_data.h"
#include "pricing/shop_terms.h"
#include "text/sjis_file.h"

#include <QString>

namespace korvatel::test
{

// Shop data from a container written as UTF-8 text in the test.
inline TShopData ShopDataOf(const QString &text)
{
    return TShopData::FromContainer(SplitLines(text));
}

// The realistic shop data file kept with the tests.
inline QString ShopDataFile()
{
    return QStringLiteral(KORVATEL_PRICING_DATA "/HostFmt.ini");
}

// The price tables, terms and rules of one shop, loaded together.
struct TShop {
    TPriceTables tables;
    TShopTerms terms;
    TDiscountRules rules;

    explicit TShop(const TShopData &data, int mode = kServerCatalogue)
        : tables(mode)
    {
        tables.Load(data);
        terms.LoadShopTerms(tables.OptionTable());
        rules.LoadDiscountRules(tables.OptionTable());
    }
};

} // namespace korvatel::test
