#pragma once

#include "cards/card_order.h"
#include "cards/card_order_store.h"
#include "ordering/order_values.h"
#include "sending/order_upload.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace korvatel
{

struct TCardHistEntry;
class TPrompter;

// What the card page holds when the customer orders its card.
struct TCardSheet {
    QString plateFile; // the page's template; empty when none is chosen on the page
    int layers = 0; // the card's objects; a card without any cannot be ordered
    QStringList pictures; // the customer's pictures placed on the card
    QImage card; // the finished card
};

// What the card order window is given to work with while it is open.
struct TCardOrderSteps {
    // The server's order time ("yyyymmdd-hhnnsszz"); nullopt when no time server answered.
    std::function<std::optional<QString>()> orderTime;
    // Sends an order the window saved; true when it reached the shop whole.
    std::function<bool(const TSavedCardOrder &order)> send;
};

// The windows and the page that the card order calls. The main window sets them to its real
// windows; tests answer them from a script.
struct TCardOrderHooks {
    // Writes the page's card file; false when it could not be written.
    std::function<bool()> savePage;
    // The page takes the template the order goes with.
    std::function<void(const QString &plateFile)> setPlate;
    // Runs a request to the shop's servers (the card prices, the order time) so that the
    // window stays responsive; false when the customer cancelled it. None: the request runs on
    // the calling thread.
    std::function<bool(const QString &text, const std::function<void()> &request)> runRequest;
    // The card order window, modal; gives how it ended.
    std::function<TCardOrderResult(const TCardOrderArgs &, const TCardOrderSteps &)> showOrder;
    // Shows the transmission window while work sends the order, as the print order's does;
    // none: work runs without a window.
    std::function<TSendResult(const std::function<TSendResult(TSendProgress &)> &work)> sendWindow;
    // Adjusts the upload before it sends (tests drop its pauses).
    std::function<void(TOrderUpload &)> prepareUpload;
    // The card history, when the customer chose to look at the earlier order.
    std::function<void()> openHistory;
};

enum class TCardOrderOutcome {
    coNoTemplate, // no template, or nothing on the card
    coNotWritten, // the card's files could not be written
    coNoPrices, // the shop's card prices could not be fetched
    coClosed, // the window closed without sending
    coLookAtHistory, // the customer went to the earlier order
    coSent,
};

struct TCardOrderStartResult {
    TCardOrderOutcome outcome = TCardOrderOutcome::coClosed;
    TSendResult sendResult = TSendResult::srFailed; // of the last send
    QString error; // why the last send did not complete
};

// The texts of the card order.
QString CardPricesMissingMessage();

// The card order: "数量設定から注文へ" on the card page, a change of an order in the card
// history, and the send of a saved order. It keeps the card's pre-order data and favourite,
// reads the template's description and prices from the shop, opens the card order window and
// sends what the window saved. An order is reported sent only when it reached the shop whole.
class TCardOrderStart
{
public:
    TCardOrderStart(TOrderValues values, TPrompter &prompter);

    TOrderValues values;
    TCardOrderHooks hooks;

    // A new order of the page's card. Without a template: "　テンプレートの指定がありません。　".
    TCardOrderStartResult Run(const TCardSheet &sheet);
    // A changed order of the history: the pictures went with the first send and are not sent
    // again.
    TCardOrderStartResult Change(const TCardHistEntry &entry);
    // Sends a saved order under the transmission window; srSent when it reached the shop.
    TSendResult SendSaved(const QString &folder, const QString &orderNo, bool change);
    // The server's order time as "yyyymmdd-hhnnsszz": the time server's second and the
    // hundredths of the clock.
    std::optional<QString> OrderTime() const;

private:
    // Runs request through runRequest; false when it was cancelled.
    bool Request(const QString &text, const std::function<void()> &request) const;
    // Keeps the favourite template, the pre-order data and the page's card; false, after the
    // message, when one of them could not be written.
    bool KeepCard(const QString &plate, const TCardSheet &sheet, TCardOrderArgs &args);
    std::optional<TCardPrices> Prices();
    TCardOrderStartResult Open(const TCardOrderArgs &args, const QString &changeOrderNo);
    void FillCustomer(TCardOrderArgs &args) const;

    TPrompter &FPrompter;
    TCardOrderStartResult FLast; // of the send in progress
};

} // namespace korvatel
