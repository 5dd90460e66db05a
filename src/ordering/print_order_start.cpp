#include "ordering/print_order_start.h"

#include "customer/card_payment.h"
#include "customer/order_history.h"
#include "customer/user_record.h"
#include "imaging/picture_kinds.h"
#include "mobile/mail/mail_settings.h"
#include "order/consistency.h"
#include "order/thumb_nails.h"
#include "ordering/order_journal.h"
#include "ordering/print_order_run.h"
#include "platform/clock.h"
#include "platform/crash_point.h"
#include "platform/private_files.h"
#include "platform/prompter.h"
#include "pricing/shop_pricing.h"
#include "sending/order_host.h"
#include "sending/order_input.h"
#include "sending/order_sending.h"
#include "text/file_names.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

namespace korvatel
{

QString OrderOfflineMessage()
{
    return QStringLiteral("OFF-LINEです。注文へは進めません。");
}

QString BrowseReminderQuestion()
{
    return QStringLiteral("全画像を閲覧されていません。確認をお奨めします。\r\n\r\n"
                          "(No)このメッセージは一回だけにする\r\n"
                          "(Ok)今後もこのメッセージは出して欲しい");
}

QString CardUnpaidQuestion()
{
    return QStringLiteral(
        "クレジット決済を完了していません。\r\n\r\n[履歴と決済]メニューから、お支払いが可能です。"
        "\r\n未払分を合算することもできます。ご利用下さい。\r\n"
        "お支払いは長引くことのないように、お願い申し上げます。\r\n\r\n[履歴と決済]を開きますか？");
}

QString PhoneStepsMissingMessage()
{
    return QStringLiteral("携帯画像を含む注文は、ここからは送信できません。\r\n"
                          "携帯画像の指定を外すか、注文画面から注文してください。");
}

QString PhoneServerMissingMessage()
{
    return QStringLiteral("携帯画像の送信先の情報がありません。\r\n"
                          "携帯画像を含む注文は送信できません。携帯画像の指定を外してください。");
}

QString PhoneUploadFailedMessage(const QString &reason)
{
    return QStringLiteral("携帯画像を送信できませんでした。注文は送信していません。\r\n\r\n")
        + reason;
}

QString PhoneNoticeFailedMessage(const QString &reason, const QString &pageUrl)
{
    return QStringLiteral("携帯への通知メールを送信できませんでした。\r\n") + reason
        + QStringLiteral("\r\n\r\n携帯画像のアドレス: ") + pageUrl;
}

int OrderCdKind(const TPricingBasket &aggregate)
{
    return aggregate.prints.isEmpty() && aggregate.campus.isEmpty() ? cdtNormal : cdtJustify;
}

bool IsLocalOrderFolderName(const QString &name)
{
    if (name.size() < 15 || name.size() > 18 || name.at(8) != u'-')
        return false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (i != 8 && (name.at(i) < u'0' || name.at(i) > u'9'))
            return false;
    }
    return true;
}

int OrderSequenceNumber(const QString &korvaDpof)
{
    QDir dir(korvaDpof);
    if (!dir.exists())
        MakePrivateFolder(korvaDpof);
    int count = 0;
    for (const QString &name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (IsLocalOrderFolderName(name))
            ++count;
    }
    return count + 1;
}

QString CardOrderIdOf(
    const QString &nonce, const QString &orderName, const QString &shopId, const QDate &day)
{
    // The order name begins "yyyymmdd-hhnnssCCC-": the figures after the date tell the orders
    // of one day apart.
    const QString stamp = DigitsOf(orderName.section(u'-', 1, 1));
    return nonce + u'N' + stamp + u'_' + shopId + u'D' + day.toString(QStringLiteral("yyMMdd"));
}

namespace
{

// The card record that the history keeps with a card order: the order, the customer and the
// shop, the card order ID and the amount to pay.
QStringList CreditLinesOf(const TOrderCustomer &customer, const TOrderShop &shop,
    const QString &orderName, const QString &cardOrderId, double amount)
{
    return { QStringLiteral("oid=") + orderName, QStringLiteral("osp=") + shop.shopId,
        QStringLiteral("nam=") + customer.name, QStringLiteral("tel=") + customer.tel1,
        QStringLiteral("mai=") + customer.mail, QStringLiteral("zip=") + customer.zip,
        QStringLiteral("ad1=") + customer.adrs1, QStringLiteral("ad2=") + customer.adrs1Over,
        QStringLiteral("ad3=") + customer.adrs2, QStringLiteral("shp=") + shop.shopId,
        QStringLiteral("snm=") + shop.name, QStringLiteral("cid=") + cardOrderId,
        QStringLiteral("amt=%1").arg(qint64(amount)) };
}

// What identifies an item of the basket with its orders: the same key before the packing and
// at the clearing means the item went out as it is now.
QString ItemKey(const TThumbNail &item)
{
    return QString::number(item.DiskNo) + u'|' + item.FullPath + u'|' + item.Orders.join(u',')
        + (item.CdOrder ? QStringLiteral("|CD") : QString())
        + (item.KeitaiOrder ? QStringLiteral("|K") : QString());
}

QStringList BasketItemKeys(const TThumbNails &basket)
{
    QStringList keys;
    for (int i = 0; i < basket.Count(); ++i)
        keys << ItemKey(*basket.Item(i));
    return keys;
}

} // namespace

TOrderStart::TOrderStart(
    TOrderValues values, TThumbNails &orders, TCampusPriceLists &campus, TPrompter &prompter)
    : values(std::move(values))
    , FOrders(orders)
    , FCampus(campus)
    , FPrompter(prompter)
{
}

QStringList PicturesTheLabCannotTake(const TThumbNails &orders)
{
    QStringList names;
    for (int i = 0; i < orders.Count(); ++i) {
        const TThumbNail &item = *orders.Item(i);
        const int kind = ImageKindOf(item.FullPath);
        const bool printed = !item.Orders.isEmpty() || item.CdOrder;
        if (printed && (kind == ikTiff || kind == ikWebp || kind == ikHeif || kind == ikAvif))
            names << QFileInfo(item.FullPath).fileName();
    }
    return names;
}

QString PicturesTheLabCannotTakeMessage(const QStringList &names)
{
    constexpr qsizetype kShown = 10;
    QString list = names.mid(0, kShown).join(QStringLiteral("\r\n"));
    if (names.size() > kShown)
        list += QStringLiteral("\r\n…ほか%1枚").arg(names.size() - kShown);
    return QStringLiteral(
               "次の写真は、この形式(HEIC・AVIF・WebP・TIFF)のままではお店で印刷できないため、"
               "まだプリントやCD-Rに注文できません。注文カゴから外してから注文して下さい。"
               "\r\n\r\n")
        + list;
}

bool TOrderStart::PicturesVanished() const
{
    return !FindProblems(FOrders).vanished.isEmpty();
}

void TOrderStart::ClearBasket(const QStringList &sentItems)
{
    // Only what was sent leaves the basket: anything added or changed since the packing stays.
    if (BasketItemKeys(FOrders) == sentItems) {
        FOrders.Clear();
    } else {
        for (int i = FOrders.Count() - 1; i >= 0; --i) {
            if (sentItems.contains(ItemKey(*FOrders.Item(i))))
                FOrders.Delete(i);
        }
    }
    FOrders.Recount();
    FOrders.RebuildAggregate();
    // Written at once: a crash must not bring back a basket that the shop has received.
    if (!values.orderMemory.isEmpty())
        FOrders.SaveMemory(values.orderMemory, values.campusOrder, values.Clock());
    if (hooks.basketChanged)
        hooks.basketChanged();
}

TOrderStartResult TOrderStart::Run(bool gridSeenAll)
{
    // An order whose send was interrupted comes first: a new one could send it again.
    if (const std::optional<TOrderJournal> journal
        = values.online ? TOrderJournal::Load(values.korvaDpof) : std::nullopt)
        return ResumePending(*journal);
    TRun run;
    if (!SettleBasket(gridSeenAll, run)) // 1 to 4
        return run.result;
    PrepareBasket(run); // 5 and 6
    if (!ConfirmSummary(run) || !ChoosePhone(run)) // 7 and 8
        return run.result;
    if (!TakeCustomer(run) || !ReadOrderHosts(run)) // 9
        return run.result;
    MakeInput(run);
    SendOrder(run); // 9 and 10
    if (!CheckSent(run))
        return run.result;
    NotifyPhone(run);
    FinishSentOrder(run); // 11 and 12
    return run.result;
}

bool TOrderStart::SettleBasket(bool gridSeenAll, TRun &run)
{
    // 1. Without the shop data nothing can be ordered.
    if (!values.online) {
        FPrompter.Warn(OrderOfflineMessage());
        return false;
    }

    // 2. The reminder to look through every ordered picture. OK goes on; "No" (show it only
    // once) and Esc go back to the grid, so that the customer can look before ordering.
    if (remindBrowsing && !gridSeenAll) {
        if (hooks.beep)
            hooks.beep();
        const TModalResult answer
            = FPrompter.Ask(TMsgKind::mkConfirmation, BrowseReminderQuestion(), mbOK | mbNo);
        if (answer == TModalResult::mrNo)
            remindBrowsing = false;
        if (answer != TModalResult::mrOk) {
            run.result.outcome = TOrderStartOutcome::osBrowsing;
            return false;
        }
    }

    // 3. The campus price lists, the counts and the per-size aggregate.
    FCampus.Load(values.campusFolder);
    FOrders.Recount();
    FOrders.RebuildAggregate();
    if (hooks.basketChanged)
        hooks.basketChanged();

    // Photos the lab cannot print as they are never leave: the customer takes them out first.
    if (const QStringList names = PicturesTheLabCannotTake(FOrders); !names.isEmpty()) {
        FPrompter.Warn(PicturesTheLabCannotTakeMessage(names));
        run.result.outcome = TOrderStartOutcome::osBrowsing;
        return false;
    }

    // 4. Vanished pictures and withdrawn sizes must be settled first.
    if (hooks.checkConsistency && hooks.checkConsistency(kCheckAfterLoad)) {
        run.result.outcome = TOrderStartOutcome::osInconsistent;
        return false;
    }
    // Prints with too few pixels are shown before the summary; the customer decides on them.
    if (hooks.checkPrintQuality && !hooks.checkPrintQuality()) {
        run.result.outcome = TOrderStartOutcome::osBrowsing;
        return false;
    }
    return true;
}

void TOrderStart::PrepareBasket(TRun &run)
{
    // 5. The CD-R price kind.
    run.basket = FOrders.Aggregate();
    if (FOrders.Context().cdOutput && FOrders.CdCount() > 0)
        run.basket.cdKind = OrderCdKind(run.basket);
    // The CD-R's index sheets are listed in the summary.
    SetIndexSheets(run.basket, values.tables->OptionTable());

    // 6. The order of the print lines is the pricing's; the sequence number.
    run.result.sequenceNumber = OrderSequenceNumber(values.korvaDpof);
}

bool TOrderStart::ConfirmSummary(TRun &run)
{
    // 7 and 8. The priced summary.
    run.shop.emplace(*values.tables);
    // Card payment is offered only where a card-payment service is configured: without one it
    // could never be made, and the order would stay unpaid.
    if (values.servers.cardUrl.isEmpty())
        run.shop->WithdrawPayment(ksiCredit);
    const QDateTime now = values.Clock().Now();
    const TPricingContext pricing = run.shop->Context(now.date());
    const TUserRecord &user = *values.customer;
    TSummaryInput summary;
    summary.sequenceNumber = run.result.sequenceNumber;
    summary.basket = run.basket;
    summary.context = &pricing;
    summary.name = user.Name();
    summary.address = user.Adrs1() + user.Adrs1Over();
    summary.contact = user.Tel1();
    summary.prefecture = std::max(user.Prefecture(), 0);
    summary.now = now;
    run.confirmed = hooks.showSummary ? hooks.showSummary(summary) : std::nullopt;
    if (!run.confirmed) {
        run.result.outcome = TOrderStartOutcome::osSummaryClosed;
        return false;
    }
    run.result.summaryText = OrderSummaryText(run.confirmed->order);
    run.payment = run.confirmed->choice.payment;
    run.amount = run.confirmed->order.grandTotal;
    return true;
}

namespace
{

// Where the shop's host table sends phone pictures.
TPhoneServer PhoneServerOf(const TOrderHostTable &hosts)
{
    return { hosts.PhoneServer(), hosts.Passive(), hosts.Value(QStringLiteral("KeitaiURL")) };
}

QList<TThumbNail *> PhonePictures(TThumbNails &basket)
{
    QList<TThumbNail *> pictures;
    for (int i = 0; i < basket.Count(); ++i) {
        if (basket.Item(i)->KeitaiOrder)
            pictures << basket.Item(i);
    }
    return pictures;
}

} // namespace

bool TOrderStart::ChoosePhone(TRun &run)
{
    // 8. Phone pictures are charged with the order, so they must reach the phone: without the
    // steps that choose the phone and trim the pictures the order is not sent at all.
    const QList<TThumbNail *> pictures = PhonePictures(FOrders);
    if (pictures.isEmpty())
        return true;
    run.result.outcome = TOrderStartOutcome::osPhoneClosed;
    if (!hooks.choosePhone) {
        FPrompter.Error(PhoneStepsMissingMessage());
        return false;
    }
    run.phone = hooks.choosePhone(pictures);
    if (!run.phone || !ValidPhoneTarget(run.phone->target)) {
        run.phone.reset();
        return false;
    }
    // The trimming is kept with the basket.
    if (!values.orderMemory.isEmpty())
        FOrders.SaveMemory(values.orderMemory, values.campusOrder, values.Clock());
    return true;
}

bool TOrderStart::DeliverPhone(TRun &run, TSendProgress &progress)
{
    QList<TPhonePicture> pictures;
    for (const TThumbNail *item : PhonePictures(FOrders))
        pictures << PhonePictureOf(*item);
    const TPhoneServer server = PhoneServerOf(*run.hosts);
    QTemporaryDir work;
    const TPhoneDelivery delivery = DeliverPhonePictures(values.servers.Transport(), pictures,
        run.phone->target, server, PhoneFolderName(values.Clock().Now()), work.path(),
        [&progress](int done, int total) { progress.SetPosition(done, total); });
    if (!delivery.ok) {
        FPrompter.Error(PhoneUploadFailedMessage(delivery.error));
        return false;
    }
    run.result.phonePage = delivery.pageUrl;
    run.input.phoneUrl = delivery.pageUrl;
    return true;
}

void TOrderStart::NotifyPhone(TRun &run)
{
    if (!run.phone || run.result.phonePage.isEmpty() || !run.phone->address.contains(u'@'))
        return;
    QString reason;
    const QString address = run.phone->address.trimmed();
    const QString page = run.result.phonePage;
    run.result.phoneNotified = hooks.notifyPhone
        ? hooks.notifyPhone(address, page, &reason)
        : SendPhoneNotice(values.servers.Transport(),
            TMailSettings::Load(QDir(values.sysData).filePath(TMailSettings::FileName())), address,
            page, values.Clock().Now(), &reason);
    if (!run.result.phoneNotified)
        FPrompter.Error(PhoneNoticeFailedMessage(reason, page));
}

bool TOrderStart::TakeCustomer(TRun &run)
{
    // 9. The customer record and the delivery checks.
    const TSummaryResult &confirmed = *run.confirmed;
    TUserOrderArgs args;
    args.regionName = confirmed.confirmed.prefecture;
    args.areaKindText = confirmed.confirmed.delivery;
    args.feeRule = OwnDeliveryFeeRule(run.shop->Terms(), confirmed.order.amountMeasure);
    args.previousFee = confirmed.order.deliveryFee;
    args.previousTotal = confirmed.order.total;
    if (!hooks.showCustomer || !hooks.showCustomer(args)) {
        run.result.outcome = TOrderStartOutcome::osCustomerClosed;
        return false;
    }
    return true;
}

bool TOrderStart::ReadOrderHosts(TRun &run)
{
    run.hosts = values.OrderHosts(FPrompter);
    if (!run.hosts) {
        run.result.outcome = TOrderStartOutcome::osNoShop;
        return false;
    }
    if (run.phone && !PhoneServerOf(*run.hosts).Complete()) {
        FPrompter.Error(PhoneServerMissingMessage());
        run.result.outcome = TOrderStartOutcome::osNoShop;
        return false;
    }
    return true;
}

void TOrderStart::MakeInput(TRun &run)
{
    // Packing: the basket, the customer (as the window left the record), the shop, the
    // figures of the confirmed order; the local order folder goes to KorvaDPOF.
    TOrderInputSource source;
    source.basket = &FOrders;
    source.tables = &run.shop->Tables();
    source.shopId = values.shopId;
    source.hosts = &*run.hosts;
    source.user = values.customer;
    source.order = &run.confirmed->order;
    source.choice = &run.confirmed->choice;
    source.workDir = values.korvaDpof;
    source.askMachineId = values.askMachineId;
    source.folders = values.folders;
    source.sysData = values.sysData;
    run.input = MakeOrderInput(source);
    run.input.figures.records = run.confirmed->confirmed.records;
    run.input.cardCopies = values.cardCopies;
}

void TOrderStart::SendOrder(TRun &run)
{
    // 9 and 10. The packing and the send run under the transmission window, which keeps the
    // main window (and so the basket) out of reach until the order has gone; the history gets
    // every attempt with its "開始=" and "終了=" lines.
    Transmit(run, [&](TOrderUpload &upload, TSendProgress &progress) {
        return PackAndSend(run, upload, progress);
    });
}

void TOrderStart::WatchUpload(TRun &run, TOrderUpload &upload)
{
    upload.onTransferModeChange = [this](int mode) {
        values.transferMode = mode;
        if (hooks.transferModeChanged)
            hooks.transferModeChanged(mode);
    };
    upload.onHistory = [this, &run](bool sent, const QString &kind, const QString &cardId,
                           const QStringList &text) { RecordEnd(run, sent, kind, cardId, text); };
}

TSendResult TOrderStart::RunSendWindow(const std::function<TSendResult(TSendProgress &)> &work)
{
    if (hooks.sendWindow)
        return hooks.sendWindow(work);
    TSendProgress silent;
    return work(silent);
}

TSendResult TOrderStart::PackAndSend(TRun &run, TOrderUpload &upload, TSendProgress &progress)
{
    TOrderInput &input = run.input;
    // The order's own time is when it is packed, however long the summary stayed open.
    input.now = values.Clock().Now();
    input.onPicture = [&progress](int done, int total) { progress.SetPosition(done, total); };
    // The phone pictures go first: their page address is part of the order, and an order whose
    // phone pictures did not arrive is not sent.
    if (run.phone && !DeliverPhone(run, progress))
        return TSendResult::srFailed;
    run.order = PackOrder(input, FPrompter);
    if (!run.order)
        return TSendResult::srFailed;
    // The packing may have measured the pictures: what went into the order is the basket now.
    run.packedItems = BasketItemKeys(FOrders);
    if (hooks.packed && !hooks.packed(*run.order)) {
        run.stoppedAfterPacking = true;
        return TSendResult::srCancelled;
    }
    // The credit record of a card payment.
    if (run.Card()) {
        run.cardOrderId
            = CardOrderIdOf(CardOrderNonce(), run.order->name, values.shopId, input.now.date());
        run.creditLines = CreditLinesOf(
            input.customer, input.shop, run.order->name, run.cardOrderId, run.Amount());
    }
    SetUpUpload(run, upload);
    if (!BeginRecord(run, upload))
        return TSendResult::srFailed;
    CrashPoint("order-packed");
    return SendPacked(run, upload, progress);
}

void TOrderStart::SetUpUpload(TRun &run, TOrderUpload &upload)
{
    // Whether the shop's upload script answers is asked here, under the window: the
    // question may take a while.
    SetUpOrderUpload(upload,
        { &*run.hosts, &values.servers, values.httpAllowed, values.transferMode,
            values.customer->Mail(), run.payment });
    upload.cardOrderId = run.cardOrderId;
}

TSendResult TOrderStart::SendPacked(TRun &run, TOrderUpload &upload, TSendProgress &progress)
{
    TSendProgress *previous = upload.progress;
    upload.progress = &progress;
    const TSendResult sent = hooks.send ? hooks.send(upload, *run.order) : upload.Send(*run.order);
    upload.progress = previous;
    return sent;
}

bool TOrderStart::CheckSent(TRun &run)
{
    if (run.order)
        run.result.orderName = run.order->name;
    if (run.order && run.result.sendResult == TSendResult::srSent) {
        run.result.outcome = TOrderStartOutcome::osSent;
        return true;
    }
    run.result.outcome = !run.order ? TOrderStartOutcome::osNotPacked
        : run.stoppedAfterPacking   ? TOrderStartOutcome::osPacked
                                    : TOrderStartOutcome::osNotSent;
    if (run.stoppedAfterPacking)
        return false;
    if (PicturesVanished() && hooks.checkConsistency)
        hooks.checkConsistency(kCheckAfterLoad);
    return false;
}

void TOrderStart::FinishSentOrder(TRun &run)
{
    // 11. The thank-you window, the card payment. The history has the order since the shop
    // confirmed it; a card payment made here renames its record.
    CrashPoint("order-thanks");
    const bool clear = hooks.showThanks ? hooks.showThanks(run.order->name) : false;
    if (run.Card())
        run.result.cardPaid = hooks.payByCard && hooks.payByCard(run.cardOrderId, run.Amount());
    // A card payment that was made waits for the card service's settlement report.
    if (run.history && run.result.cardPaid) {
        run.result.historyBytes = run.history->WriteHistoryRecord(
            true, run.kindName, run.cardOrderId, run.creditLines, false, true, {}, run.sentText);
        const QString paid = TOrderHistory::RecordFileName(
            true, run.kindName, run.cardOrderId, false, true, run.sentText);
        if (run.result.historyBytes >= 0 && paid != run.sentRecord)
            run.history->DeleteRecord(run.sentRecord);
    }
    const bool openHistory = run.Card() && !run.result.cardPaid
        && FPrompter.Ask(TMsgKind::mkConfirmation, CardUnpaidQuestion(), mbYes | mbNo)
            == TModalResult::mrYes;

    // 12.
    if (openHistory && hooks.openHistory)
        hooks.openHistory();
    if (clear) {
        ClearBasket(run.packedItems);
        run.result.cleared = true;
    }
    // The customer has answered: a restart has nothing more to ask about this order.
    if (run.journal)
        TOrderJournal::Remove(values.korvaDpof);
}

} // namespace korvatel
