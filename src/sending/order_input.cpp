#include "sending/order_input.h"

#include "customer/user_record.h"
#include "pricing/price_tables.h"
#include "sending/order_host.h"
#include "sending/order_sending.h"

namespace korvatel
{

TOrderInput MakeOrderInput(const TOrderInputSource &source)
{
    Q_ASSERT(source.tables && source.hosts && source.user && source.order && source.choice);
    const QStringList &optionTable = source.tables->OptionTable();
    TOrderInput input;
    input.basket = source.basket;
    input.tables = source.tables;
    input.customer = OrderCustomerOf(*source.user);
    input.shop = TOrderShop::FromTables(source.shopId, optionTable, source.hosts->Lines());
    input.figures = OrderFiguresOf(*source.order, *source.choice);
    input.workDir = source.workDir;
    SetOrderProgram(input, source.askMachineId, source.folders, source.sysData, optionTable);
    return input;
}

} // namespace korvatel
