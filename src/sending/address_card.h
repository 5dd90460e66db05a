#pragma once

#include "sending/order_message.h"

#include <QImage>
#include <QString>

namespace korvatel
{

// The address card: 640 × 480, laid out for delivery by post or for in-store pickup (the first
// address line reads "店頭受付").
struct TAddressCard {
    TOrderCustomer customer;
    QString shopId, orderName, shopName, shopTel, shopAddress;
    QString phoneUrl; // the phone-wallpaper address of the in-store layout
};
QImage DrawAddressCard(const TAddressCard &card);

} // namespace korvatel
