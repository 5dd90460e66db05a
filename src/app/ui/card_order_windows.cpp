#include "app/ui/card_order_windows.h"

#include "app/client_session.h"
#include "cards/card_history.h"
#include "cards/layers.h"
#include "cards/ui/card_page.h"
#include "cards/ui/order_info_form.h"
#include "cards/ui/post_hist_form.h"
#include "ordering/card_order_start.h"
#include "platform/clock.h"
#include "platform/prompter.h"
#include "platform/ui/busy_box.h"
#include "sending/order_host.h"
#include "sending/ui/send_form.h"

namespace korvatel
{

namespace
{

const TClock &WindowClock()
{
    static const TSystemClock clock;
    return clock;
}

// The card order of the session with its windows: the order window and the transmission
// window, both modal on window.
TCardOrderStart CardOrderOf(TClientSession &session, TPrompter &prompter, QWidget *window)
{
    TCardOrderStart start(session.OrderValues(WindowClock()), prompter);
    const QString sysData = session.Workspace().SysData();
    start.hooks.sendWindow
        = [window, sysData](const auto &work) { return TSendForm::RunWork(window, sysData, work); };
    start.hooks.runRequest = [window](const QString &text, const std::function<void()> &request) {
        return RunBusy(window, text, [&request](TJobControl &) { request(); });
    };
    return start;
}

// Opens the card order window on args, modal: nothing else of the program can start a second
// one while it is open.
TCardOrderResult ShowOrderWindow(
    const TCardOrderArgs &args, const TCardOrderSteps &steps, TPrompter &prompter, QWidget *window)
{
    TformOrderInfo form(args, prompter, window);
    form.OrderTime = steps.orderTime;
    form.SendOrder = steps.send;
    form.exec();
    return form.Result();
}

} // namespace

void StartCardOrder(TClientSession &session, TCardPage &page, TPrompter &prompter, QWidget *window)
{
    TCardOrderStart start = CardOrderOf(session, prompter, window);
    start.hooks.savePage = [&page] { return page.SaveNow(); };
    start.hooks.setPlate = [&page](const QString &plate) { page.SetPlateFile(plate); };
    start.hooks.showOrder = [&](const TCardOrderArgs &args, const TCardOrderSteps &steps) {
        return ShowOrderWindow(args, steps, prompter, window);
    };
    start.hooks.openHistory = [&] { OpenCardHistory(session, prompter, window); };
    start.Run({ page.PlateFile(), page.Layers().Count(), page.CardPictures(), page.CardImage() });
}

void OpenCardHistory(TClientSession &session, TPrompter &prompter, QWidget *window)
{
    const QString postCard = session.Workspace().PostCard();
    TPostHistForm form(postCard, session.ShopId(), prompter, window);
    TCardOrderStart start = CardOrderOf(session, prompter, &form);
    start.hooks.showOrder = [&](const TCardOrderArgs &args, const TCardOrderSteps &steps) {
        return ShowOrderWindow(args, steps, prompter, &form);
    };
    form.DownloadOrderFile = [&](const QString &orderNo) {
        const std::optional<TOrderHostTable> hosts
            = TOrderHostTable::FromLines(session.PriceTables.OrderHostTable());
        return hosts
            && RunBusyFor(
                &form, QStringLiteral("注文ファイルを受信しています…"), [&](TJobControl &) {
                    return DownloadCardOrderFile(session.Servers.Transport(), hosts->ImageServer(),
                        hosts->Passive(), postCard, orderNo);
                }).value_or(false);
    };
    form.ChangeOrder = [&](const TCardHistEntry &entry) {
        return start.Change(entry).outcome == TCardOrderOutcome::coSent;
    };
    form.Resend = [&](const TCardHistEntry &entry) {
        return start.SendSaved(entry.folder, entry.orderNo, entry.pendingChange)
            == TSendResult::srSent;
    };
    form.exec();
}

} // namespace korvatel
