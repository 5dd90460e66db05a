#include "ordering/order_values.h"

#include "pricing/price_tables.h"
#include "sending/order_message.h"

namespace korvatel
{

QString TOrderValues::ShopName() const
{
    if (!tables)
        return {};
    return TOrderShop::FromTables(shopId, tables->OptionTable(), tables->OrderHostTable()).name;
}

} // namespace korvatel
