#pragma once

#include "pricing/discounts.h"
#include "pricing/order_pricing.h"
#include "pricing/price_tables.h"
#include "pricing/shop_terms.h"

#include <QDate>

namespace korvatel
{

class TShopData;

// Everything the pricing reads of one shop: the price tables, the shop terms and the discount
// rules read from the tables' option table. Every caller that prices an order or asks the shop's
// terms builds them here, so the client, its order start and the command line agree.
class TShopPricing
{
public:
    // Over tables already loaded (the session's tables, read from the shop folder). The tables
    // are copied; their lists are shared, so the copy is cheap.
    explicit TShopPricing(const TPriceTables &tables);
    // Loads the tables from the shop's data in the catalogue mode.
    explicit TShopPricing(const TShopData &data, int catalogueMode = kServerCatalogue);

    const TPriceTables &Tables() const { return FTables; }
    const TShopTerms &Terms() const { return FTerms; }
    const TDiscountRules &Rules() const { return FRules; }
    // Takes a payment kind off the shop's terms for the orders priced here.
    void WithdrawPayment(int kind) { FTerms.WithdrawPayment(kind); }

    // The context of an order priced on the day. It refers to this object, which must outlive it.
    TPricingContext Context(const QDate &today) const { return { FTables, FTerms, FRules, today }; }

private:
    void ReadTermsAndRules();

    TPriceTables FTables;
    TShopTerms FTerms;
    TDiscountRules FRules;
};

} // namespace korvatel
