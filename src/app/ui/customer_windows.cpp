#include "app/ui/customer_windows.h"

#include "app/client_session.h"
#include "customer/card_payment.h"
#include "customer/registration.h"
#include "customer/ui/hist_form.h"
#include "customer/ui/user_form.h"
#include "net/server_config.h"
#include "platform/clock.h"
#include "platform/shell.h"
#include "pricing/shop_pricing.h"

namespace korvatel
{

namespace
{

// The card-payment service is not part of this program: every request to it fails, so no
// payment is ever reported as made.
TCardPayment &NoCardService()
{
    static TCardPaymentStandIn service = [] {
        TCardPaymentStandIn s;
        s.payOk = s.writeOk = s.releaseOk = s.settingsOk = false;
        s.nextNumber.reset();
        return s;
    }();
    return service;
}

bool OffersCard(const TClientSession &session)
{
    return TShopPricing(session.PriceTables).Terms().OffersPayment(ksiCredit);
}

// The customer window on the session's record, in menu or order mode; the member user name
// it leaves is published for the upload.
int OpenSessionUserForm(TClientSession &session, bool orderMode, const TUserOrderArgs &args,
    TPrompter &prompter, QWidget *parent)
{
    const TUserFolders &folders = session.Workspace().Folders();
    TUserFormContext context;
    context.userFile = session.Workspace().UserFile();
    context.memberMode = session.MemberMode;
    context.shopId = session.ShopId();
    context.memberKeyFile = SystemKeyFile(folders);
    context.memberServer = TServerConfig::Load(folders.configDir).memberUrl;
    context.offersCard = OffersCard(session);
    context.card = &NoCardService();
    QString memberUser;
    const int result = OpenUserForm(
        session.User, context, orderMode, args, false, prompter, parent, &memberUser);
    session.MemberUser = memberUser;
    return result;
}

} // namespace

TCardPayment &CardPaymentService()
{
    return NoCardService();
}

int OpenUserWindow(TClientSession &session, TPrompter &prompter, QWidget *parent)
{
    return OpenSessionUserForm(session, false, {}, prompter, parent);
}

int OpenOrderUserWindow(
    TClientSession &session, const TUserOrderArgs &args, TPrompter &prompter, QWidget *parent)
{
    return OpenSessionUserForm(session, true, args, prompter, parent);
}

void OpenHistoryWindow(TClientSession &session, TPrompter &prompter, QWidget *parent)
{
    static TSystemClock clock;
    const TUserFolders folders = session.Workspace().Folders();
    TOrderHistory history(TOrderHistory::DefaultFolder(folders));
    THistFormContext context;
    context.shopId = session.ShopId();
    context.offersCard = OffersCard(session);
    context.card = &NoCardService();
    context.showFile = [&prompter, folders](const QString &path) {
        ShowHistoryFile(path, QString(), QStringLiteral("wordpad"), folders.temp, prompter, nullptr,
            [](const QString &, const QString &file) { return ShellOpen(file); });
    };
    TKorvatelHistForm form(history, context, prompter, clock, parent);
    form.exec();
}

} // namespace korvatel
