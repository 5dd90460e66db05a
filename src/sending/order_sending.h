#pragma once

#include "sending/order_package.h"

#include <QString>
#include <QStringList>

namespace korvatel
{

class TOrderHostTable;
struct TPricingBasket;
class TOrderUpload;
class TUserRecord;
struct TServerConfig;
struct TUserFolders;

// What sending an order needs to know about the shop and this machine, besides the order:
// shared by the main window's "注文へ" and the command line's "order".
struct TSendSetup {
    const TOrderHostTable *hosts = nullptr; // the shop's image server and passive mode
    const TServerConfig *servers = nullptr; // the hosted scripts and the hosted order server
    bool httpSwitch = false; // the shop's "Http.on" switch
    int transferMode = 0; // TTransferMode: the customer's "送信モード"
    QString mail; // the customer's mail address, for the finishing script
    int payment = -1; // TPaymentKind of the order
};

// Sets the upload up: the image server and passive mode of the order host table, the transfer
// mode, the upload and finishing scripts of the server configuration, HTTP mode when the
// shop's switch is on and the upload script answers, completion through the finishing script
// when the image server is the maker's hosted order server, the mail address and the payment
// kind's name for the history.
void SetUpOrderUpload(TOrderUpload &upload, const TSendSetup &setup);

// The index sheets of the basket's CD-R pictures, when the shop's option table wants them:
// their number in the global index layout and their print size, for the order summary.
void SetIndexSheets(TPricingBasket &basket, const QStringList &optionTable);

// The customer fields of the order files, from the customer record.
TOrderCustomer OrderCustomerOf(const TUserRecord &user);

// The program's part of the packaging input: its version, the machine identifier when the
// shop's server asks for it (folders and sysData locate the identifier's files), and the index
// sheets of CD-R orders when the shop's option table sets a CD-R index kind.
void SetOrderProgram(TOrderInput &input, bool askMachineId, const TUserFolders &folders,
    const QString &sysData, const QStringList &optionTable);

} // namespace korvatel
