#include "ordering/card_order_start.h"

#include "cards/card_history.h"
#include "cards/card_store.h"
#include "cards/pre_order.h"
#include "customer/user_record.h"
#include "net/server_lookups.h"
#include "platform/clock.h"
#include "platform/prompter.h"
#include "pricing/price_tables.h"
#include "sending/card_order_send.h"
#include "sending/order_host.h"
#include "sending/order_sending.h"
#include "text/comma_text.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QFileInfo>

namespace korvatel
{

QString CardPricesMissingMessage()
{
    return QStringLiteral("カードの価格情報を取得できませんでした。");
}

namespace
{

// The card's texts as the order file lists them: "BUN_COUNT=" and one "BUN[n]=" line for each
// text block that has something in it.
QStringList CardTextLines(const TPreOrder &pre)
{
    QStringList blocks;
    for (const QStringList &bun : { pre.bun1, pre.bun2 }) {
        if (!bun.join(QString()).trimmed().isEmpty())
            blocks << ToCommaText(bun);
    }
    QStringList lines { QStringLiteral("BUN_COUNT=%1").arg(blocks.size()) };
    for (int i = 0; i < blocks.size(); ++i)
        lines << QStringLiteral("BUN[%1]=").arg(i + 1) + blocks[i];
    return lines;
}

TCardOrderStartResult Ended(TCardOrderOutcome outcome)
{
    TCardOrderStartResult result;
    result.outcome = outcome;
    return result;
}

} // namespace

TCardOrderStart::TCardOrderStart(TOrderValues values, TPrompter &prompter)
    : values(std::move(values))
    , FPrompter(prompter)
{
}

void TCardOrderStart::FillCustomer(TCardOrderArgs &args) const
{
    const TUserRecord &user = *values.customer;
    args.name = user.Name();
    args.zip = user.Zip();
    args.adrs1 = user.Adrs1();
    args.adrs1Over = user.Adrs1Over();
    args.adrs2 = user.Adrs2();
    args.mail = user.Mail();
    args.tel1 = user.Tel1();
    args.tel2 = user.Tel2();
    args.acount = user.Acount();
}

bool TCardOrderStart::Request(const QString &text, const std::function<void()> &request) const
{
    if (hooks.runRequest)
        return hooks.runRequest(text, request);
    request();
    return true;
}

std::optional<TCardPrices> TCardOrderStart::Prices()
{
    std::optional<TCardPrices> prices;
    Request(QStringLiteral("価格情報を取得しています…"),
        [&] { prices = FetchCardPrices(values.servers, values.shopId, values.downloadDir); });
    if (!prices)
        FPrompter.Error(CardPricesMissingMessage());
    return prices;
}

std::optional<QString> TCardOrderStart::OrderTime() const
{
    std::optional<QDateTime> time;
    Request(QStringLiteral("注文時刻を問い合わせています…"),
        [&] { time = QueryServerTime(values.servers); });
    if (!time)
        return std::nullopt;
    return time->toString(QStringLiteral("yyyyMMdd-HHmmss"))
        + QStringLiteral("%1").arg(
            values.Clock().Now().time().msec() / 10, 2, 10, QLatin1Char('0'));
}

bool TCardOrderStart::KeepCard(const QString &plate, const TCardSheet &sheet, TCardOrderArgs &args)
{
    // The template is kept as the favourite, so that the next run offers it again.
    const QString favorites = QDir(values.postCard).filePath(QStringLiteral("Favorites.ini"));
    if (!WriteFavorites(favorites, { 0, { plate } }, QFileInfo::exists(favorites))) {
        FPrompter.Error(FileNotWrittenMessage(favorites));
        return false;
    }
    // The pre-order data: the pictures the customer put on the card, and the texts.
    const QString preOrderFile = PreOrderPath(values.postCard);
    const TUserRecord &user = *values.customer;
    const QStringList defaultSender = { user.Name(), user.Adrs1(), user.Tel1() };
    TPreOrder pre = ReadPreOrder(preOrderFile, defaultSender).value_or(TPreOrder {});
    if (pre.sender.join(QString()).trimmed().isEmpty())
        pre.sender = defaultSender;
    pre.pictures = sheet.pictures;
    if (!WritePreOrder(preOrderFile, pre)) {
        FPrompter.Error(FileNotWrittenMessage(preOrderFile));
        return false;
    }
    const QString cardFile = CardStorePath(values.postCard);
    if (hooks.savePage && !hooks.savePage()) {
        FPrompter.Error(FileNotWrittenMessage(cardFile));
        return false;
    }
    args.senderLines = pre.sender;
    args.lastComment = pre.lastComment;
    for (const QString &item : pre.pictures)
        args.pictures << PreOrderPicturePath(item);
    args.cardTextLines = CardTextLines(pre);
    args.layoutLines = ReadSjisLines(cardFile).value_or(QStringList());
    return true;
}

TCardOrderStartResult TCardOrderStart::Run(const TCardSheet &sheet)
{
    QDir().mkpath(values.postCard);
    QString plate = sheet.plateFile;
    if (plate.isEmpty()) {
        // The template chosen in an earlier run: the checked one of the favourites.
        const std::optional<TFavorites> kept
            = ReadFavorites(QDir(values.postCard).filePath(QStringLiteral("Favorites.ini")));
        if (kept && kept->checked >= 0)
            plate = kept->templates.value(kept->checked);
    }
    if (plate.isEmpty() || sheet.layers == 0) {
        FPrompter.Warn(NoTemplateText());
        return Ended(TCardOrderOutcome::coNoTemplate);
    }
    if (hooks.setPlate)
        hooks.setPlate(plate);

    TCardOrderArgs args;
    if (!KeepCard(plate, sheet, args))
        return Ended(TCardOrderOutcome::coNotWritten);
    const std::optional<TCardPrices> prices = Prices();
    if (!prices)
        return Ended(TCardOrderOutcome::coNoPrices);
    args.shopId = values.shopId;
    args.shopName = values.ShopName();
    args.postCardFolder = values.postCard;
    args.plateFile = QFileInfo(plate).fileName();
    args.desc = SplitTemplateDesc(prices->Description(args.plateFile));
    if (args.desc.title.isEmpty())
        args.desc.title = QFileInfo(plate).completeBaseName();
    args.prices = prices->sets[args.desc.priceSet - 1];
    args.card = sheet.card;
    FillCustomer(args);
    return Open(args, QString());
}

TCardOrderStartResult TCardOrderStart::Change(const TCardHistEntry &entry)
{
    const std::optional<TCardPrices> prices = Prices();
    if (!prices)
        return Ended(TCardOrderOutcome::coNoPrices);
    auto value = [&](const char *key) { return DpoText(entry.lines, key); };
    TCardOrderArgs args;
    args.shopId = values.shopId;
    args.shopName = value("SHOP_NAME");
    args.postCardFolder = values.postCard;
    args.plateFile = value("CARD_NAME");
    args.desc = SplitTemplateDesc(prices->Description(args.plateFile));
    // The pictures went with the first send and are not sent again.
    args.desc.userPictures = 0;
    args.prices = prices->sets[args.desc.priceSet - 1];
    args.senderLines = FromCommaText(value("SENDER_TXT"));
    args.lastComment = FromCommaText(value("LAST_CMNT"));
    args.name = value("NAME");
    args.zip = value("ZIP");
    args.adrs1 = value("ADRS1");
    args.adrs1Over = value("ADRS2");
    args.adrs2 = value("ADRS3");
    args.mail = value("MAIL");
    args.tel1 = value("TEL");
    args.tel2 = value("H_TEL");
    args.acount = values.customer->Acount();
    args.changeOrderNo = entry.orderNo;
    return Open(args, entry.orderNo);
}

TCardOrderStartResult TCardOrderStart::Open(
    const TCardOrderArgs &args, const QString &changeOrderNo)
{
    FLast = {};
    TCardOrderSteps steps;
    steps.orderTime = [this] { return OrderTime(); };
    steps.send = [this, changeOrderNo](const TSavedCardOrder &saved) {
        const QString orderNo
            = changeOrderNo.isEmpty() ? QFileInfo(saved.folder).fileName() : changeOrderNo;
        return SendSaved(saved.folder, orderNo, saved.change) == TSendResult::srSent;
    };
    const TCardOrderResult ended
        = hooks.showOrder ? hooks.showOrder(args, steps) : TCardOrderResult::coClosed;
    TCardOrderStartResult result = FLast;
    result.outcome = ended == TCardOrderResult::coSent ? TCardOrderOutcome::coSent
        : ended == TCardOrderResult::coLookAtHistory   ? TCardOrderOutcome::coLookAtHistory
                                                       : TCardOrderOutcome::coClosed;
    if (result.outcome == TCardOrderOutcome::coLookAtHistory && hooks.openHistory)
        hooks.openHistory();
    return result;
}

TSendResult TCardOrderStart::SendSaved(const QString &folder, const QString &orderNo, bool change)
{
    const std::optional<TOrderHostTable> hosts = values.OrderHosts(FPrompter);
    if (!hosts)
        return TSendResult::srFailed;
    TOrderUpload upload(FPrompter, values.Clock());
    SetUpOrderUpload(upload,
        { &*hosts, &values.servers, values.httpAllowed, values.transferMode,
            values.customer->Mail(), -1 });
    if (hooks.prepareUpload)
        hooks.prepareUpload(upload);
    const auto work = [&](TSendProgress &progress) {
        upload.progress = &progress;
        const TSendResult sent = SendCardOrder(upload, folder, orderNo, change, FPrompter);
        upload.progress = nullptr;
        return sent;
    };
    TSendProgress silent;
    FLast.sendResult = hooks.sendWindow ? hooks.sendWindow(work) : work(silent);
    FLast.error = FLast.sendResult == TSendResult::srSent ? QString() : upload.LastError();
    return FLast.sendResult;
}

} // namespace korvatel
