#pragma once

#include "customer/user_check.h"
#include "mobile/keitai_delivery.h"
#include "ordering/order_values.h"
#include "pricing/order_pricing.h"
#include "sending/order_upload.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace korvatel
{

class TCampusPriceLists;
struct TOrderJournal;
class TPrompter;
class TThumbNail;
class TThumbNails;

// The texts of the print order's start.
QString OrderOfflineMessage();
QString BrowseReminderQuestion();
QString CardUnpaidQuestion();
// The photos of the basket ordered as prints or on the CD-R whose kind the shop's printer
// cannot take as it is (HEIF/HEIC, AVIF, WebP, TIFF): they are shown and kept, but an order
// holding them stops with the message before anything is packed.
QStringList PicturesTheLabCannotTake(const TThumbNails &orders);
QString PicturesTheLabCannotTakeMessage(const QStringList &names);
// The texts of the phone steps.
QString PhoneStepsMissingMessage();
QString PhoneServerMissingMessage();
QString PhoneUploadFailedMessage(const QString &reason);
QString PhoneNoticeFailedMessage(const QString &reason, const QString &pageUrl);
// The questions of a restart that finds an order the program was stopped in the middle of.
QString SentOrderQuestion(const QString &orderName);
QString InterruptedOrderQuestion(const QString &orderName);
QString ResumeImpossibleMessage(const QString &orderName);

// The CD-R price kind of an order that makes a CD-R: cdtNormal when no prints are ordered,
// else cdtJustify. The pricing takes the kind's "_EX" tiers when the shop lists them, else its
// single price.
int OrderCdKind(const TPricingBasket &aggregate);

// True for the name of a local order folder: 8 figures, "-", then only figures, 15 to 18
// characters in all.
bool IsLocalOrderFolderName(const QString &name);
// The order's sequence number: 1 + the local order folders in KorvaDPOF, which is created
// when it is missing.
int OrderSequenceNumber(const QString &korvaDpof);

// The card order ID of a card payment: the nonce (CardOrderNonce), "N", the figures of the
// order's time stamp after the date, "_", the shop and "D" with the day as "yymmdd".
QString CardOrderIdOf(
    const QString &nonce, const QString &orderName, const QString &shopId, const QDate &day);

// What the summary window is filled with.
struct TSummaryInput {
    int sequenceNumber = 0;
    // The per-size aggregate with the CD-R price kind: prints, campus lines, the CD-R count
    // and bytes, the phone images.
    TPricingBasket basket;
    const TPricingContext *context = nullptr;
    QString name, address, contact; // the customer's texts
    int prefecture = 0; // of the customer's address; 0 when unknown
    double pointsAvailable = 0;
    QDateTime now;
};

// What the summary window gives back when the customer confirms the order.
struct TSummaryResult {
    TPricedOrder order; // after its payment stage
    TPricingChoice choice;
    TConfirmedOrder confirmed; // the records with the comment, the delivery and prefecture
};

// The windows and the main window's parts that the order start calls. The main window sets
// them to its real windows; tests answer them from a script.
struct TOrderStartHooks {
    // The consistency check of the basket in a mode of order/consistency.h: true while
    // problems are left.
    std::function<bool(int mode)> checkConsistency;
    // The print check (prints with too few pixels for their size): true when the order goes
    // on, false when the customer went back (to the grid or to the viewer's trimming).
    std::function<bool()> checkPrintQuality;
    std::function<void()> beep;
    // The priced summary, modal; nullopt when the customer goes back.
    std::function<std::optional<TSummaryResult>(const TSummaryInput &)> showSummary;
    // The customer window in order mode; true when it closed with the order button.
    std::function<bool(const TUserOrderArgs &)> showCustomer;
    // Shows the transmission window (modal) while work packs and sends the order with the
    // window as its progress, and closes it again; gives work's result. None: work runs
    // without a window.
    std::function<TSendResult(const std::function<TSendResult(TSendProgress &)> &work)> sendWindow;
    // Sends the packed order; none: the upload sends it.
    std::function<TSendResult(TOrderUpload &, TPackedOrder &)> send;
    // The thank-you window: true when the basket is to be cleared.
    std::function<bool(const QString &orderName)> showThanks;
    // The card-payment window of the card service: true when the payment was made.
    std::function<bool(const QString &cardOrderId, double amount)> payByCard;
    // "履歴と決済".
    std::function<void()> openHistory;
    // The transfer mode changed during the send: the window keeps it and ticks its menu.
    std::function<void(int mode)> transferModeChanged;
    // The order is packed, before it is sent: false stops the run there (osPacked), for a
    // caller that only wants the order's files.
    std::function<bool(const TPackedOrder &order)> packed;
    // The basket was recounted or cleared: the window refreshes its marks and totals.
    std::function<void()> basketChanged;
    // The phone steps of an order with phone pictures: the phone's mail address, the phone
    // model and the trimming of each picture (kept in its record); nullopt when the customer
    // went back. None: such an order cannot be sent.
    std::function<std::optional<TPhoneChoice>(const QList<TThumbNail *> &pictures)> choosePhone;
    // The notice mail to the phone; none: by the internet settings (SysData's MailSet.ini)
    // without a window. *reason gets the failure's text.
    std::function<bool(const QString &address, const QString &pageUrl, QString *reason)>
        notifyPhone;
};

// How a start ended.
enum class TOrderStartOutcome {
    osOffline, // refused: no shop data
    osInconsistent, // the consistency check left problems
    osBrowsing, // the customer went back to the grid to look through the pictures
    osSummaryClosed, // the customer went back from the summary
    osPhoneClosed, // the phone steps were left, or cannot be taken here
    osCustomerClosed, // the customer window was cancelled
    osNoShop, // the shop's order host table cannot be read
    osNotPacked, // the order could not be packed (a picture vanished)
    osPacked, // packed, and the packed hook stopped the run before the send
    osNotSent, // the send did not complete
    osSent,
    osPending, // an interrupted order was taken up (or left for later) instead of a new one
};

struct TOrderStartResult {
    TOrderStartOutcome outcome = TOrderStartOutcome::osOffline;
    int sequenceNumber = 0;
    QString summaryText; // the short summary of the priced order
    QString orderName;
    TSendResult sendResult = TSendResult::srFailed;
    QString error; // why the send did not complete
    bool cardPaid = false;
    bool cleared = false;
    qint64 historyBytes = -1; // of the record written for this order; -1 when none
    QString phonePage; // where the phone pictures were put; empty when none were
    bool phoneNotified = false; // the notice mail to the phone went
};

// "注文へ": checks the basket, prices it in the summary window, takes the customer record,
// packs and sends the order, records it in the history and clears the basket when the
// customer asks for it. A basket is cleared only after the shop received the order; an order
// that did not arrive is never reported as sent.
class TOrderStart
{
public:
    TOrderStart(
        TOrderValues values, TThumbNails &orders, TCampusPriceLists &campus, TPrompter &prompter);

    // What the run reads. The caller may renew it between runs (the settings window changed
    // the server configuration); a transfer mode changed during a send is kept here too.
    // servers names the hosted scripts, the hosted order server and the card-payment service
    // (card payment is not offered without one).
    TOrderValues values;
    TOrderStartHooks hooks;
    // The browsing reminder: on at each start, off for the rest of the run after a "No".
    // Its "No" and Esc go back to the grid (the order stops there); OK goes on.
    bool remindBrowsing = true;

    // Runs the steps. gridSeenAll tells whether the order grid has drawn its last item. While
    // an interrupted order is pending, the run takes that one up instead (ResumePending).
    TOrderStartResult Run(bool gridSeenAll);

    // An order that a crash, a power cut or a logout interrupted, found in the journal: a
    // sent one asks whether its pictures leave the basket; an unfinished one asks whether to
    // send it now, under its own name and without the files the shop already holds, or later.
    // Offline nothing is asked. The result of the resend, osSent for an order sent before
    // the stop, osPending when it stays for later.
    TOrderStartResult ResumePending();

private:
    struct TRun;
    // The steps of Run; those that can end the run answer false when it ends there.
    bool SettleBasket(bool gridSeenAll, TRun &run);
    void PrepareBasket(TRun &run);
    bool ConfirmSummary(TRun &run);
    bool ChoosePhone(TRun &run);
    bool DeliverPhone(TRun &run, TSendProgress &progress);
    void NotifyPhone(TRun &run);
    bool TakeCustomer(TRun &run);
    bool ReadOrderHosts(TRun &run);
    void MakeInput(TRun &run);
    void SendOrder(TRun &run);
    TSendResult RunSendWindow(const std::function<TSendResult(TSendProgress &)> &work);
    TSendResult PackAndSend(TRun &run, TOrderUpload &upload, TSendProgress &progress);
    // The journal and the history's record of an attempt that starts: false, after the
    // message, when they cannot be written (nothing is sent then).
    bool BeginRecord(TRun &run, const TOrderUpload &upload);
    // The end of the attempt, recorded the moment the upload knows it: the history's record,
    // and the journal marked sent or removed.
    void RecordEnd(TRun &run, bool sent, const QString &kind, const QString &cardOrderId,
        const QStringList &text);
    // An attempt whose end the upload did not report (a send replaced by a test).
    void EndUnrecorded(TRun &run);
    // The journal at the end of an attempt: marked sent, or removed.
    void SettleJournal(TRun &run, bool sent);
    // One attempt under the transmission window: the history, an upload watched by the run,
    // work, and the attempt's end recorded in the run's result.
    void Transmit(
        TRun &run, const std::function<TSendResult(TOrderUpload &, TSendProgress &)> &work);
    TOrderStartResult ResumePending(const TOrderJournal &journal);
    // The transfer mode's change and the attempt's end, from the upload to the run.
    void WatchUpload(TRun &run, TOrderUpload &upload);
    // The image server, the way and the payment of the run's order.
    void SetUpUpload(TRun &run, TOrderUpload &upload);
    TSendResult SendPacked(TRun &run, TOrderUpload &upload, TSendProgress &progress);
    TOrderStartResult ResumeSending(const TOrderJournal &journal);
    bool CheckSent(TRun &run);
    void FinishSentOrder(TRun &run);

    bool PicturesVanished() const;
    // Takes the sent items (BasketItemKeys at the packing) out of the basket.
    void ClearBasket(const QStringList &sentItems);

    TThumbNails &FOrders;
    TCampusPriceLists &FCampus;
    TPrompter &FPrompter;
};

} // namespace korvatel
