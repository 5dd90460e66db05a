#include "app/ui/order_start_windows.h"

#include "app/client_session.h"
#include "app/ui/basket_actions.h"
#include "app/ui/customer_windows.h"
#include "app/ui/thanks_form.h"
#include "customer/card_service.h"
#include "mobile/keitai_datas.h"
#include "mobile/mail/mail_settings.h"
#include "mobile/ui/phone_steps.h"
#include "mobile/ui/send_mail_form.h"
#include "order/ui/print_check_form.h"
#include "order/ui/thumb_grid.h"
#include "ordering/print_order_start.h"
#include "platform/clock.h"
#include "platform/prompter.h"
#include "platform/prompter_bridge.h"
#include "platform/ui/busy_box.h"
#include "pricing/ui/order_info_form.h"
#include "sending/ui/send_form.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QThread>

namespace korvatel
{

namespace
{

// The order start keeps its prompter for the life of the window, while tests may hand the
// window another one: this one asks whichever the window has now, on the window's thread (the
// packing and the send ask from their job).
class TForwardPrompter : public TPrompter
{
public:
    TForwardPrompter(std::function<TPrompter &()> target, QObject *window)
        : FTarget(std::move(target))
        , FWindow(window)
    {
    }
    TModalResult Ask(TMsgKind kind, const QString &text, TMsgButtons buttons,
        const QString &caption = {}) override
    {
        if (FWindow && QThread::currentThread() != FWindow->thread())
            return AskOnThreadOf(FWindow, *this, kind, text, buttons, caption);
        return FTarget().Ask(kind, text, buttons, caption);
    }

private:
    std::function<TPrompter &()> FTarget;
    QObject *FWindow;
};

const TClock &WindowClock()
{
    static const TSystemClock clock;
    return clock;
}

} // namespace

TOrderStartWindows::TOrderStartWindows(TClientSession &session, TBasketActions &basket,
    QWidget *window, std::function<TPrompter &()> prompter)
    : FSession(session)
    , FBasket(basket)
    , FWindow(window)
    , FPrompter(std::make_unique<TForwardPrompter>(std::move(prompter), window))
{
}

TOrderStartWindows::~TOrderStartWindows() = default;

TOrderStart &TOrderStartWindows::Start()
{
    if (FStart)
        return *FStart; // sbOrderClick renews its values before each run
    FStart = std::make_unique<TOrderStart>(
        FSession.OrderValues(WindowClock()), FSession.Orders(), FSession.Campus(), *FPrompter);
    TOrderStart &start = *FStart;
    TOrderStartHooks &hooks = start.hooks;
    TPrompter &prompter = *FPrompter;
    hooks.checkConsistency = [this](int mode) { return FBasket.RunConsistencyCheck(mode); };
    hooks.beep = [] { QApplication::beep(); };
    hooks.checkPrintQuality = [this] {
        if (FSession.Option2.NoPrintCheck)
            return true;
        const TShopOptions &shop = FSession.ShopOptions;
        const TPrintCheckOutcome outcome = RunPrintCheck(
            FSession.Orders(), FSession.PriceTables, shop.FinesLow, shop.FinesHi, FWindow);
        FBasket.Refresh();
        if (outcome.kind == TPrintCheckOutcome::ppTrim && OpenTrimming)
            OpenTrimming(outcome.trimPath);
        return outcome.kind == TPrintCheckOutcome::ppProceed;
    };
    hooks.showSummary = [this](const TSummaryInput &input) -> std::optional<TSummaryResult> {
        TOrderInfoForm form(input.basket, *input.context, *FPrompter, FWindow);
        form.SetCustomer(input.address, input.prefecture, input.pointsAvailable);
        form.SetHeading(input.sequenceNumber, input.name, input.contact, input.now);
        if (form.exec() != QDialog::Accepted || !form.Confirmed())
            return std::nullopt;
        return TSummaryResult { form.Order(), form.Choice(), *form.Confirmed() };
    };
    hooks.showCustomer = [this, &prompter](const TUserOrderArgs &args) {
        return OpenOrderUserWindow(FSession, args, prompter, FWindow) == QDialog::Accepted;
    };
    hooks.sendWindow = [this](const std::function<TSendResult(TSendProgress &)> &work) {
        return TSendForm::RunWork(FWindow, FSession.Workspace().SysData(), work);
    };
    hooks.showThanks = [this](const QString &orderName) {
        const TShopOptions &shop = FSession.ShopOptions;
        return TThanksForm::Ask(
            orderName, { shop.SentDate, shop.SentAten, shop.HokanAten }, FWindow);
    };
    hooks.payByCard = [this, &start, &prompter](const QString &cardOrderId, double amount) {
        const std::unique_ptr<TCardService> card
            = CardPaymentService(FSession, start.values.servers);
        if (!card)
            return false;
        // The payment runs on a job under a busy box; a cancelled payment did not go through.
        if (RunBusyFor(FWindow, QStringLiteral("カード決済を行っています…"), [&](TJobControl &) {
                return card->PayOrder(cardOrderId, amount);
            }).value_or(false))
            return true;
        prompter.Warn(QStringLiteral("クレジット決済ができませんでした。\r\n") + card->LastError());
        return false;
    };
    hooks.openHistory = [this, &prompter] { OpenHistoryWindow(FSession, prompter, FWindow); };
    // Called by the send on its job: the menu changes on the window's thread.
    hooks.transferModeChanged = [this](int mode) {
        QMetaObject::invokeMethod(FWindow, [this, mode] {
            // Kept for the next start of the program.
            FSession.TransMode = TTransMode(mode);
            SaveTransMode(FSession.TransModePath(), FSession.TransMode);
            const QString name = QStringLiteral("miTransMode%1").arg(mode);
            if (auto *item = FWindow->findChild<QAction *>(name))
                item->setChecked(true);
        });
    };
    hooks.basketChanged = [this] { FBasket.Refresh(); };
    hooks.choosePhone = [this, &prompter](const QList<TThumbNail *> &pictures) {
        const TWorkspace &workspace = FSession.Workspace();
        const QString keitaiFile = QDir(workspace.Root()).filePath(QStringLiteral("Keitai.ini"));
        return RunPhoneSteps(QDir(workspace.SysData()).filePath(TMailList::FileName()),
            KeitaiDatas(keitaiFile), keitaiFile, LoadKeitaiServers(workspace.Folders().configDir),
            FSession.Servers.Transport(), pictures, prompter, FWindow);
    };
    hooks.notifyPhone
        = [this, &prompter](const QString &address, const QString &pageUrl, QString *reason) {
              return SendMailJob(FSession.Servers.Transport(),
                  QDir(FSession.Workspace().SysData()).filePath(TMailSettings::FileName()),
                  PhoneNoticeJob(address, pageUrl), WindowClock().Now(), prompter, FWindow, reason);
          };
    return start;
}

void TOrderStartWindows::ResumePending()
{
    if (FRunning)
        return;
    FRunning = true;
    TOrderStart &start = Start();
    start.values = FSession.OrderValues(WindowClock());
    start.ResumePending();
    FRunning = false;
}

void TOrderStartWindows::sbOrderClick(TThumbGrid &grid)
{
    if (FRunning)
        return;
    FRunning = true;
    grid.CommitDateEditor();
    TOrderStart &start = Start();
    // The session's values as they are now: the settings window may have changed them.
    start.values = FSession.OrderValues(WindowClock());
    start.Run(FGridSeenAll || grid.LastItemDrawn());
    FRunning = false;
}

} // namespace korvatel
