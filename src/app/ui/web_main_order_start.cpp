#include "app/client_session.h"
#include "app/order_start.h"
#include "app/ui/customer_windows.h"
#include "app/ui/thanks_form.h"
#include "app/ui/web_main.h"
#include "customer/card_payment.h"
#include "order/ui/order_panel.h"
#include "order/ui/thumb_grid.h"
#include "platform/clock.h"
#include "platform/prompter.h"
#include "pricing/ui/order_info_form.h"
#include "sending/ui/send_form.h"

#include <QAction>
#include <QApplication>

namespace korvatel
{

namespace
{

// The order start keeps its prompter for the life of the window, while tests may hand the
// window another one: this one asks whichever the window has now.
class TWindowPrompter : public TPrompter
{
public:
    explicit TWindowPrompter(TWebMain &window)
        : FWindow(window)
    {
    }
    TModalResult Ask(TMsgKind kind, const QString &text, TMsgButtons buttons,
        const QString &caption = {}) override
    {
        return FWindow.Prompter().Ask(kind, text, buttons, caption);
    }

private:
    TWebMain &FWindow;
};

const TClock &WindowClock()
{
    static const TSystemClock clock;
    return clock;
}

} // namespace

TOrderStart &TWebMain::OrderStart()
{
    if (FOrderStart)
        return *FOrderStart;
    FOrderPrompter = std::make_unique<TWindowPrompter>(*this);
    FOrderStart = std::make_unique<TOrderStart>(
        FSession, FOrders, FSession.Campus(), *FOrderPrompter, WindowClock());
    TOrderStart &start = *FOrderStart;
    start.servers = TServerConfig::Load(FSession.Workspace().Folders().configDir);
    TOrderStartHooks &hooks = start.hooks;
    hooks.checkConsistency = [this](int mode) { return RunConsistencyCheck(mode); };
    hooks.beep = [] { QApplication::beep(); };
    hooks.showSummary = [this](const TSummaryInput &input) -> std::optional<TSummaryResult> {
        TOrderInfoForm form(input.basket, *input.context, Prompter(), this);
        form.SetCustomer(input.address, input.prefecture, input.pointsAvailable);
        form.SetHeading(input.sequenceNumber, input.name, input.contact, input.now);
        if (form.exec() != QDialog::Accepted || !form.Confirmed())
            return std::nullopt;
        return TSummaryResult { form.Order(), form.Choice(), *form.Confirmed() };
    };
    hooks.showCustomer = [this](const TUserOrderArgs &args) {
        return OpenOrderUserWindow(FSession, args, Prompter(), this) == QDialog::Accepted;
    };
    hooks.sendWindow = [this](const std::function<TSendResult(TSendProgress &)> &work) {
        return TSendForm::RunWork(this, FSession.Workspace().SysData(), work);
    };
    hooks.showThanks
        = [this](const QString &orderName) { return TThanksForm::Ask(orderName, this); };
    hooks.payByCard = [](const QString &cardOrderId, double amount) {
        return CardPaymentService().PayOrder(cardOrderId, amount);
    };
    hooks.openHistory = [this] { OpenHistoryWindow(FSession, Prompter(), this); };
    hooks.transferModeChanged = [this](int mode) {
        if (QAction *item = Command(QStringLiteral("miTransMode%1").arg(mode)))
            item->setChecked(true);
    };
    hooks.basketChanged = [this] {
        ShowBasketTotals();
        RefreshFilmMarks();
    };
    return start;
}

void TWebMain::sbOrderClick()
{
    // The windows of the order are modal; a second press while one is open is ignored.
    if (FOrderRunning)
        return;
    FOrderRunning = true;
    TThumbGrid *grid = FOrderPage->Grid();
    grid->CommitDateEditor();
    OrderStart().Run(FGridSeenAll || grid->LastItemDrawn());
    FOrderRunning = false;
}

} // namespace korvatel
