#pragma once

#include "platform/user_folders.h"
#include "sending/order_package.h"

#include <QString>

namespace korvatel
{

class TOrderHostTable;
class TUserRecord;

// What the packaging input of an order is made from: the basket priced with the shop's tables,
// the shop and its order hosts, the customer record, the priced order with the customer's
// choices, and where the program's own files are. The main window's "注文へ" and the command
// line's "order" fill it the same way.
struct TOrderInputSource {
    TThumbNails *basket = nullptr; // the packing completes the items' corrections
    const TPriceTables *tables = nullptr;
    QString shopId;
    const TOrderHostTable *hosts = nullptr;
    const TUserRecord *user = nullptr;
    const TPricedOrder *order = nullptr; // after its payment stage
    const TPricingChoice *choice = nullptr;
    QString workDir; // the local order folder and the count file go here
    bool askMachineId = false; // the shop's server asks for the machine identifier
    TUserFolders folders; // locate the machine identifier's files
    QString sysData;
};

// The packaging input: the basket and tables, the customer fields, the shop's texts from its
// option table and order hosts, the figures of the priced order, the work folder and the
// program's part (version, machine identifier, index sheets). The time, the address card
// copies and the progress callback are the caller's.
TOrderInput MakeOrderInput(const TOrderInputSource &source);

} // namespace korvatel
