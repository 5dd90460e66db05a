#pragma once

#include "customer/order_history.h"
#include "ordering/order_journal.h"
#include "ordering/print_order_start.h"
#include "pricing/shop_pricing.h"
#include "sending/order_host.h"
#include "sending/order_package.h"

namespace korvatel
{

// The values one run hands from step to step.
struct TOrderStart::TRun {
    TOrderStartResult result;
    TPricingBasket basket; // the per-size aggregate with the CD-R price kind
    std::optional<TShopPricing> shop;
    std::optional<TSummaryResult> confirmed;
    std::optional<TOrderHostTable> hosts;
    std::optional<TPhoneChoice> phone; // set when the order has phone pictures
    TOrderInput input;
    std::optional<TOrderHistory> history;
    std::optional<TPackedOrder> order;
    QStringList packedItems; // BasketItemKeys at the packing
    bool stoppedAfterPacking = false; // the packed hook ended the run
    int payment = -1;
    double amount = 0;
    QString cardOrderId;
    QStringList creditLines;
    // The send's journal, from the packing until the customer has answered about the basket.
    std::optional<TOrderJournal> journal;
    // The sent order's history record, as the shop confirmed it: its text, its payment kind
    // and its file name, which a card payment made afterwards renames.
    QStringList sentText;
    QString kindName;
    QString sentRecord;

    bool Card() const { return payment == ksiCredit; }
    double Amount() const { return amount; }
};

} // namespace korvatel
