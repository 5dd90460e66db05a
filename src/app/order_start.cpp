#include "app/order_start.h"

#include "app/client_session.h"
#include "customer/order_history.h"
#include "order/consistency.h"
#include "order/thumb_nails.h"
#include "platform/clock.h"
#include "platform/prompter.h"
#include "pricing/discounts.h"
#include "pricing/price_tables.h"
#include "pricing/shop_data.h"
#include "pricing/shop_terms.h"
#include "sending/order_host.h"
#include "sending/order_sending.h"
#include "text/file_names.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

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
        QDir().mkpath(korvaDpof);
    int count = 0;
    for (const QString &name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (IsLocalOrderFolderName(name))
            ++count;
    }
    return count + 1;
}

QString CardOrderIdOf(
    const QString &tel, const QString &orderName, const QString &shopId, const QDate &day)
{
    // The order name begins "yyyymmdd-hhnnssCCC-": the figures after the date tell the orders
    // of one day apart.
    const QString stamp = DigitsOf(orderName.section(u'-', 1, 1));
    return DigitsOf(tel) + u'N' + stamp + u'_' + shopId + u'D'
        + day.toString(QStringLiteral("yyMMdd"));
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

TOrderStart::TOrderStart(TClientSession &session, TThumbNails &orders, TCampusPriceLists &campus,
    TPrompter &prompter, const TClock &clock)
    : FSession(session)
    , FOrders(orders)
    , FCampus(campus)
    , FPrompter(prompter)
    , FClock(clock)
{
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
    FOrders.SaveMemory(FSession.OrderMemoryPath(), FSession.CampusOrderPath(), FClock);
    if (hooks.basketChanged)
        hooks.basketChanged();
}

TOrderStartResult TOrderStart::Run(bool gridSeenAll)
{
    TOrderStartResult result;
    // 1. Without the shop data nothing can be ordered.
    if (FSession.RefuseWhenOffline(FPrompter, OrderOfflineMessage()))
        return result;

    // 2. The reminder to look through every ordered picture; either answer goes on.
    if (remindBrowsing && !gridSeenAll) {
        if (hooks.beep)
            hooks.beep();
        if (FPrompter.Ask(TMsgKind::mkConfirmation, BrowseReminderQuestion(), mbOK | mbNo)
            == TModalResult::mrNo)
            remindBrowsing = false;
    }

    // 3. The campus price lists, the counts and the per-size aggregate.
    TWorkspace &workspace = FSession.Workspace();
    FCampus.Load(workspace.CampusShop(FSession.ShopId()));
    FOrders.Recount();
    FOrders.RebuildAggregate();
    if (hooks.basketChanged)
        hooks.basketChanged();

    // 4. Vanished pictures and withdrawn sizes must be settled first.
    if (hooks.checkConsistency && hooks.checkConsistency(kCheckAfterLoad)) {
        result.outcome = TOrderStartOutcome::osInconsistent;
        return result;
    }

    // 5. The CD-R price kind.
    TPricingBasket basket = FOrders.Aggregate();
    if (FOrders.Context().cdOutput && FOrders.CdCount() > 0)
        basket.cdKind = OrderCdKind(basket);

    // 6. The order of the print lines is the pricing's; the sequence number.
    result.sequenceNumber = OrderSequenceNumber(workspace.KorvaDpof());

    // 7 and 8. The priced summary.
    const TPriceTables &tables = FSession.PriceTables;
    TShopTerms terms;
    terms.LoadShopTerms(tables.OptionTable());
    TDiscountRules rules;
    rules.LoadDiscountRules(tables.OptionTable());
    const QDateTime now = FClock.Now();
    const TPricingContext pricing { tables, terms, rules, now.date() };
    const TUserRecord &user = FSession.User;
    TSummaryInput summary;
    summary.sequenceNumber = result.sequenceNumber;
    summary.basket = basket;
    summary.context = &pricing;
    summary.name = user.Name();
    summary.address = user.Adrs1() + user.Adrs1Over();
    summary.contact = user.Tel1();
    summary.prefecture = std::max(user.Prefecture(), 0);
    summary.now = now;
    const std::optional<TSummaryResult> confirmed
        = hooks.showSummary ? hooks.showSummary(summary) : std::nullopt;
    if (!confirmed) {
        result.outcome = TOrderStartOutcome::osSummaryClosed;
        return result;
    }
    result.summaryText = OrderSummaryText(confirmed->order);

    // 9. The customer record and the delivery checks.
    TUserOrderArgs args;
    args.regionName = confirmed->confirmed.prefecture;
    args.areaKindText = confirmed->confirmed.delivery;
    args.feeRule = OwnDeliveryFeeRule(terms, confirmed->order.amountMeasure);
    args.previousFee = confirmed->order.deliveryFee;
    args.previousTotal = confirmed->order.total;
    if (!hooks.showCustomer || !hooks.showCustomer(args)) {
        result.outcome = TOrderStartOutcome::osCustomerClosed;
        return result;
    }

    const std::optional<TOrderHostTable> hosts
        = TOrderHostTable::FromLines(tables.OrderHostTable());
    if (!hosts || hosts->ImageServer().host.isEmpty()) {
        FPrompter.Error(QStringLiteral("注文先サーバーの情報がありません。注文は送信できません。"));
        result.outcome = TOrderStartOutcome::osNoShop;
        return result;
    }

    // Packing: the basket, the customer (as the window left the record), the shop, the
    // figures of the confirmed order; the local order folder goes to KorvaDPOF.
    const QString download = workspace.Download();
    const std::optional<TShopData> data
        = TShopData::LoadContainer(QDir(download).filePath(QString::fromLatin1(kShopDataFileName)));
    TOrderInput input;
    input.basket = &FOrders;
    input.tables = &tables;
    input.customer = OrderCustomerOf(FSession.User);
    input.shop = TOrderShop::FromTables(FSession.ShopId(), tables.OptionTable(), hosts->Lines());
    input.figures = OrderFiguresOf(confirmed->order, confirmed->choice);
    input.figures.records = confirmed->confirmed.records;
    input.workDir = workspace.KorvaDpof();
    SetOrderProgram(input, data && data->ServerR(), workspace.Folders(), workspace.SysData(),
        tables.OptionTable());

    // 9 and 10. The packing and the send run under the transmission window, which keeps the
    // main window (and so the basket) out of reach until the order has gone; the history gets
    // every attempt with its "開始=" and "終了=" lines.
    const int payment = confirmed->choice.payment;
    const bool card = payment == ksiCredit;
    const double amount = confirmed->order.grandTotal;
    TOrderHistory history(historyFolder.isEmpty()
            ? TOrderHistory::DefaultFolder(workspace.Folders())
            : historyFolder);
    TOrderUpload upload(FPrompter, FClock);
    upload.onTransferModeChange = [this](int mode) {
        FSession.TransMode = TTransMode(mode);
        SaveTransMode(FSession.TransModePath(), FSession.TransMode);
        if (hooks.transferModeChanged)
            hooks.transferModeChanged(mode);
    };
    QString cardOrderId;
    QStringList creditLines;
    QStringList sentText;
    QString kindName;
    upload.onHistory
        = [&](bool sent, const QString &kind, const QString &cardId, const QStringList &text) {
              if (sent) { // recorded after the thank-you window and the card payment
                  sentText = text;
                  kindName = kind;
                  return;
              }
              result.historyBytes = history.WriteHistoryRecord(
                  false, kind, cardId, creditLines, false, false, {}, text);
          };
    std::optional<TPackedOrder> order;
    QStringList packedItems;
    const auto packAndSend = [&](TSendProgress &progress) {
        // The order's own time is when it is packed, however long the summary stayed open.
        input.now = FClock.Now();
        input.onPicture = [&progress](int done, int total) {
            progress.SetPosition(done, total);
            if (QCoreApplication::instance())
                QCoreApplication::processEvents();
        };
        packedItems = BasketItemKeys(FOrders);
        order = PackOrder(input, FPrompter);
        if (!order)
            return TSendResult::srFailed;
        // The credit record of a card payment.
        if (card) {
            cardOrderId = CardOrderIdOf(
                input.customer.tel1, order->name, FSession.ShopId(), input.now.date());
            creditLines
                = CreditLinesOf(input.customer, input.shop, order->name, cardOrderId, amount);
        }
        // Whether the shop's upload script answers is asked here, under the window: the
        // question may take a while.
        SetUpOrderUpload(upload,
            { &*hosts, &servers, FSession.ShopAllowsHttp(), int(FSession.TransMode),
                FSession.User.Mail(), payment });
        upload.cardOrderId = cardOrderId;
        TSendProgress *previous = upload.progress;
        upload.progress = &progress;
        const TSendResult sent = hooks.send ? hooks.send(upload, *order) : upload.Send(*order);
        upload.progress = previous;
        return sent;
    };
    if (hooks.sendWindow) {
        result.sendResult = hooks.sendWindow(packAndSend);
    } else {
        TSendProgress silent;
        result.sendResult = packAndSend(silent);
    }
    if (!order) {
        result.outcome = TOrderStartOutcome::osNotPacked;
        if (PicturesVanished() && hooks.checkConsistency)
            hooks.checkConsistency(kCheckAfterLoad);
        return result;
    }
    result.orderName = order->name;
    if (result.sendResult != TSendResult::srSent) {
        result.outcome = TOrderStartOutcome::osNotSent;
        if (PicturesVanished() && hooks.checkConsistency)
            hooks.checkConsistency(kCheckAfterLoad);
        return result;
    }
    result.outcome = TOrderStartOutcome::osSent;

    // 11. The thank-you window, the card payment, the history record.
    const bool clear = hooks.showThanks ? hooks.showThanks(order->name) : false;
    if (card)
        result.cardPaid = hooks.payByCard && hooks.payByCard(cardOrderId, amount);
    // A card payment that was made waits for the card service's settlement report.
    result.historyBytes = history.WriteHistoryRecord(
        true, kindName, cardOrderId, creditLines, false, result.cardPaid, {}, sentText);
    const bool openHistory = card && !result.cardPaid
        && FPrompter.Ask(TMsgKind::mkConfirmation, CardUnpaidQuestion(), mbYes | mbNo)
            == TModalResult::mrYes;

    // 12.
    if (openHistory && hooks.openHistory)
        hooks.openHistory();
    if (clear) {
        ClearBasket(packedItems);
        result.cleared = true;
    }
    return result;
}

} // namespace korvatel
