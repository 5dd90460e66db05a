#include "sending/order_sending.h"

#include "customer/registration.h"
#include "customer/user_record.h"
#include "index/index_sheets.h"
#include "net/server_config.h"
#include "platform/clock.h"
#include "platform/user_folders.h"
#include "pricing/order_pricing.h"
#include "pricing/shop_terms.h"
#include "sending/order_host.h"
#include "sending/order_upload.h"
#include "version.h"
#include "workspace/shop_options.h"

namespace korvatel
{

void SetUpOrderUpload(TOrderUpload &upload, const TSendSetup &setup)
{
    if (setup.hosts) {
        upload.host = setup.hosts->ImageServer();
        upload.passive = setup.hosts->Passive();
    }
    upload.transferMode = setup.transferMode;
    const TServerConfig config = setup.servers ? *setup.servers : TServerConfig();
    if (setup.servers)
        upload.transport = setup.servers->Transport();
    upload.uploadUrl = config.campusUrl + QStringLiteral("/tamsel_php/korv_upload.php");
    upload.httpPossible = setup.httpSwitch && HttpUploadAnswers(upload.transport, upload.uploadUrl);
    upload.hostedServer = !config.hostedOrderServer.isEmpty()
        && TWinInet::StripScheme(upload.host.host)
                .section(u':', 0, 0)
                .compare(config.hostedOrderServer, Qt::CaseInsensitive)
            == 0;
    upload.finishUrl = config.campusUrl + QStringLiteral("/tamsel_php/korv_finish.php");
    upload.pauseAfter5 = config.uploadPause5;
    upload.pauseAfter10 = config.uploadPause10;
    upload.mail = setup.mail;
    upload.paymentKind = PaymentKindCode(setup.payment);
}

TOrderCustomer OrderCustomerOf(const TUserRecord &user)
{
    return { user.Name(), user.Tel1(), user.Mail(), user.Zip(), user.Adrs1(), user.Adrs1Over(),
        user.Adrs2(), user.Acount() };
}

void SetOrderProgram(TOrderInput &input, bool askMachineId, const TUserFolders &folders,
    const QString &sysData, const QStringList &optionTable)
{
    input.programVersion = QString::fromUtf8(kProgramVersion);
    input.askMachineId = askMachineId;
    if (askMachineId)
        input.machineId = MachineIdentifier(folders, sysData, SystemClock());
    // Shops whose CD-R orders carry index sheets say so with a CD-R index kind; each sheet is
    // printed once in the shop's index size.
    const TShopOptions options = TShopOptions::FromOptionTable(optionTable);
    if (options.IndexSheets()) {
        input.indexSheets = MakeIndexSheets;
        input.indexSize = options.CdrNdxSize;
    }
}

void SetIndexSheets(TPricingBasket &basket, const QStringList &optionTable)
{
    const TShopOptions options = TShopOptions::FromOptionTable(optionTable);
    basket.indexSheets = options.IndexSheets() ? IndexSheetCount(basket.cdPictures) : 0;
    basket.indexSize = options.CdrNdxSize;
}

} // namespace korvatel
