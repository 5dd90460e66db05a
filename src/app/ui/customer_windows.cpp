#include "app/ui/customer_windows.h"

#include "app/client_session.h"
#include "customer/card_payment.h"
#include "customer/card_service.h"
#include "customer/registration.h"
#include "customer/ui/hist_form.h"
#include "customer/ui/user_form.h"
#include "mobile/mail/mail_settings.h"
#include "mobile/ui/send_mail_form.h"
#include "net/server_config.h"
#include "platform/clock.h"
#include "platform/prompter.h"
#include "platform/shell.h"
#include "platform/ui/busy_box.h"
#include "pricing/shop_pricing.h"

#include <QDir>

namespace korvatel
{

namespace
{

// Where no card-payment service is configured every request fails, so no payment is ever
// reported as made.
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

// The card service as the customer windows use it: each request runs on a job under a busy box
// over the window, so the window never waits on the service; a cancelled request fails. A
// service at an address that is refused is never called: the customer is told why, once.
class TBusyCardPayment : public TCardPayment
{
public:
    TBusyCardPayment(TCardService &service, TPrompter &prompter, QWidget *parent)
        : FService(service)
        , FPrompter(prompter)
        , FParent(parent)
    {
    }

    bool PayOrder(const QString &cardOrderId, double amount) override
    {
        return Busy([&] { return FService.PayOrder(cardOrderId, amount); }).value_or(false);
    }
    bool WriteBundle(const QString &cardOrderId, const QStringList &creditLines) override
    {
        return Busy([&] { return FService.WriteBundle(cardOrderId, creditLines); }).value_or(false);
    }
    bool ReleaseBundle(const QString &cardOrderId) override
    {
        return Busy([&] { return FService.ReleaseBundle(cardOrderId); }).value_or(false);
    }
    std::optional<qint64> NextCardNumber() override
    {
        return Busy([&] { return FService.NextCardNumber(); }).value_or(std::nullopt);
    }
    // The registration asks the service for the customer's token under the busy box; the page
    // then opens in the browser, also where an older service gave no token.
    bool OpenCardSettings() override
    {
        if (!FService.HasToken() && !Busy([&] { return FService.RegisterCard(); }))
            return false; // refused address or cancelled
        return FService.OpenCardSettings();
    }

    // The states come back on the window's thread, after the answer has arrived.
    void QuerySettlements(const QStringList &ids, const TSettleCallback &report)
    {
        const auto states = Busy([&] {
            QList<std::pair<QString, int>> found;
            FService.QuerySettlements(ids, [&found](const QString &id, int state, bool &) {
                found.append({ id, state });
            });
            return found;
        });
        for (const auto &[id, state] : states.value_or(QList<std::pair<QString, int>>())) {
            bool found = false;
            report(id, state, found);
        }
    }

private:
    template <class Request> std::optional<std::invoke_result_t<Request>> Busy(Request request)
    {
        if (!FService.AddressAllowed()) {
            if (!FToldUnsafe)
                FPrompter.Error(TCardService::UnsafeAddressText());
            FToldUnsafe = true;
            return std::nullopt;
        }
        return RunBusyFor(FParent, QStringLiteral("カード決済サービスに接続しています…"),
            [&](TJobControl &) { return request(); });
    }

    TCardService &FService;
    TPrompter &FPrompter;
    QWidget *FParent;
    bool FToldUnsafe = false;
};

// Card payment needs both the shop's offer and a service that can take it.
bool OffersCard(const TClientSession &session, const TServerConfig &servers)
{
    return !servers.cardUrl.isEmpty()
        && TShopPricing(session.PriceTables).Terms().OffersPayment(ksiCredit);
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
    const TServerConfig &servers = session.Servers;
    context.memberServer = servers.memberUrl;
    context.transport = servers.Transport();
    context.offersCard = OffersCard(session, servers);
    const std::unique_ptr<TCardService> card = CardPaymentService(session, servers);
    std::optional<TBusyCardPayment> busyCard;
    if (card)
        busyCard.emplace(*card, prompter, parent);
    context.card = busyCard ? &*busyCard : &NoCardService();
    QString memberUser;
    const int result = OpenUserForm(
        session.User, context, orderMode, args, false, prompter, parent, &memberUser);
    session.MemberUser = memberUser;
    return result;
}

} // namespace

std::unique_ptr<TCardService> CardPaymentService(
    const TClientSession &session, const TServerConfig &servers)
{
    if (servers.cardUrl.isEmpty())
        return nullptr;
    return std::make_unique<TCardService>(servers.cardUrl, servers.Transport(),
        QDir(session.Workspace().SysData()).filePath(QStringLiteral("CardData.ini")));
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
    const TServerConfig &servers = session.Servers;
    THistFormContext context;
    context.shopId = session.ShopId();
    context.offersCard = OffersCard(session, servers);
    const std::unique_ptr<TCardService> card = CardPaymentService(session, servers);
    std::optional<TBusyCardPayment> busyCard;
    if (card)
        busyCard.emplace(*card, prompter, parent);
    context.card = busyCard ? &*busyCard : &NoCardService();
    // "再確認" asks the card service which payments it has settled.
    if (busyCard) {
        context.settlementQuery
            = [&busyCard](const QStringList &ids, const TSettleCallback &report) {
                  busyCard->QuerySettlements(ids, report);
              };
    }
    context.showFile = [&prompter, folders](const QString &path) {
        ShowHistoryFile(path, QString(), QStringLiteral("wordpad"), folders.temp, prompter, nullptr,
            [](const QString &, const QString &file) { return ShellOpen(file); });
    };
    // "メール送信" mails the record to the customer's own address, as the internet settings say.
    const QString mailSettings
        = QDir(session.Workspace().SysData()).filePath(TMailSettings::FileName());
    const QString recipient = session.User.Mail().trimmed();
    const TTransportSettings transport = servers.Transport();
    context.mailFile = [&prompter, folders, mailSettings, recipient, parent, transport](
                           const QString &path) {
        if (recipient.isEmpty()) {
            prompter.Warn(QStringLiteral("「ユーザー設定」にメールアドレスがありません。"));
            return;
        }
        bool sent = false;
        const auto mailer = [&prompter, &sent, mailSettings, parent, transport](const QString &to,
                                const QString &subject, const QString &text, QString *reason) {
            sent = SendTextMail(
                transport, mailSettings, to, subject, text, prompter, parent, reason);
            return sent;
        };
        ShowHistoryFile(path, recipient, QString(), folders.temp, prompter, mailer, {});
        if (sent)
            prompter.Inform(recipient + QStringLiteral(" に送信しました。"));
    };
    TKorvatelHistForm form(history, context, prompter, clock, parent);
    form.exec();
}

} // namespace korvatel
