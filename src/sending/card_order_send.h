#pragma once

#include "sending/order_upload.h"

#include <QString>
#include <optional>

namespace korvatel
{

class TPrompter;

// Packs a card order of the card history for the upload: under the order number on the
// server, the pictures by their upload names, the finished card "Card.jpg" and the order file;
// a changed order sends its order file alone. The entry file ("message/" + order number +
// ".etr") lists every file with its size, so that the shop's receiver can check the order.
// A missing picture shows the upload's warning and gives nullopt.
std::optional<TPackedOrder> PackCardOrder(
    const QString &orderFolder, const QString &orderNo, bool change, TPrompter &prompter);

// Packs and sends a card order. Only a complete send clears the order's "Unsent" marker, so
// an order that did not reach the shop stays listed as unsent and can be sent again.
TSendResult SendCardOrder(TOrderUpload &upload, const QString &orderFolder, const QString &orderNo,
    bool change, TPrompter &prompter);

} // namespace korvatel
