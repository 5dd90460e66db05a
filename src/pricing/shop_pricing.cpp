#include "pricing/shop_pricing.h"

#include "pricing/shop_data.h"

namespace korvatel
{

TShopPricing::TShopPricing(const TPriceTables &tables)
    : FTables(tables)
{
    ReadTermsAndRules();
}

TShopPricing::TShopPricing(const TShopData &data, int catalogueMode)
    : FTables(catalogueMode)
{
    FTables.Load(data);
    ReadTermsAndRules();
}

void TShopPricing::ReadTermsAndRules()
{
    FTerms.LoadShopTerms(FTables.OptionTable());
    FRules.LoadDiscountRules(FTables.OptionTable());
    // Free prints are priced at net prices except in catalogue mode 2, which the shop's own
    // rule set serves.
    FRules.net = FTables.CatalogueMode() != 2;
}

} // namespace korvatel
