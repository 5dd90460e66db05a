#include "app/ui/card_order_windows.h"

#include "app/client_session.h"
#include "cards/card_history.h"
#include "cards/card_store.h"
#include "cards/layers.h"
#include "cards/pre_order.h"
#include "cards/ui/card_page.h"
#include "cards/ui/order_info_form.h"
#include "cards/ui/post_hist_form.h"
#include "net/server_config.h"
#include "net/server_lookups.h"
#include "platform/clock.h"
#include "platform/prompter.h"
#include "sending/card_order_send.h"
#include "sending/order_host.h"
#include "sending/order_message.h"
#include "sending/order_sending.h"
#include "sending/ui/send_form.h"
#include "text/comma_text.h"
#include "text/sjis_file.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

namespace korvatel
{

namespace
{

const TClock &WindowClock()
{
    static const TSystemClock clock;
    return clock;
}

QString PostCard(const TClientSession &session)
{
    return session.Workspace().PostCard();
}

TServerConfig Servers(const TClientSession &session)
{
    return session.Servers;
}

QString ShopName(const TClientSession &session)
{
    return TOrderShop::FromTables(
        session.ShopId(), session.PriceTables.OptionTable(), session.PriceTables.OrderHostTable())
        .name;
}

// Sends a saved card order through the transmission window; true when it reached the shop.
bool SendSaved(TClientSession &session, TPrompter &prompter, QWidget *window, const QString &folder,
    const QString &orderNo, bool change)
{
    const std::optional<TOrderHostTable> hosts
        = TOrderHostTable::FromLines(session.PriceTables.OrderHostTable());
    if (!hosts || hosts->ImageServer().host.isEmpty()) {
        prompter.Error(QStringLiteral("注文先サーバーの情報がありません。注文は送信できません。"));
        return false;
    }
    const TServerConfig servers = Servers(session);
    TOrderUpload upload(prompter, WindowClock());
    SetUpOrderUpload(upload,
        { &*hosts, &servers, session.ShopAllowsHttp(), int(session.TransMode), session.User.Mail(),
            -1 });
    const TSendResult result
        = TSendForm::RunWork(window, session.Workspace().SysData(), [&](TSendProgress &progress) {
              upload.progress = &progress;
              return SendCardOrder(upload, folder, orderNo, change, prompter);
          });
    return result == TSendResult::srSent;
}

// The server's order time as "yyyymmdd-hhnnsszz": the time server's second and the hundredths
// of the local clock.
std::optional<QString> OrderTime(const TServerConfig &servers)
{
    const std::optional<QDateTime> time = QueryServerTime(servers);
    if (!time)
        return std::nullopt;
    return time->toString(QStringLiteral("yyyyMMdd-HHmmss"))
        + QStringLiteral("%1").arg(WindowClock().Now().time().msec() / 10, 2, 10, QLatin1Char('0'));
}

std::optional<TCardPrices> Prices(const TClientSession &session, TPrompter &prompter)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    std::optional<TCardPrices> prices = FetchCardPrices(Servers(session), session.ShopId());
    QApplication::restoreOverrideCursor();
    if (!prices)
        prompter.Error(QStringLiteral("カードの価格情報を取得できませんでした。"));
    return prices;
}

void FillCustomer(TCardOrderArgs &args, const TClientSession &session)
{
    const TUserRecord &user = session.User;
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

// Opens the order window on a changed order of the history; true when the change was sent.
bool ChangeCardOrder(
    TClientSession &session, const TCardHistEntry &entry, TPrompter &prompter, QWidget *window)
{
    const std::optional<TCardPrices> prices = Prices(session, prompter);
    if (!prices)
        return false;
    auto value = [&](const char *key) { return DpoText(entry.lines, key); };
    TCardOrderArgs args;
    args.shopId = session.ShopId();
    args.shopName = value("SHOP_NAME");
    args.postCardFolder = PostCard(session);
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
    args.acount = session.User.Acount();
    args.changeOrderNo = entry.orderNo;
    TformOrderInfo form(args, prompter, window);
    form.SendOrder = [&](const TSavedCardOrder &saved) {
        return SendSaved(session, prompter, window, saved.folder, entry.orderNo, saved.change);
    };
    form.exec();
    return form.Result() == TCardOrderResult::coSent;
}

} // namespace

void StartCardOrder(TClientSession &session, TCardPage &page, TPrompter &prompter, QWidget *window)
{
    static TformOrderInfo *open = nullptr;
    if (open) {
        open->show();
        open->raise();
        return;
    }
    const QString postCard = PostCard(session);
    QDir().mkpath(postCard);
    const QString favorites = QDir(postCard).filePath(QStringLiteral("Favorites.ini"));
    QString plate = page.PlateFile();
    if (plate.isEmpty()) {
        // The template chosen in an earlier run: the checked one of the favourites.
        const std::optional<TFavorites> kept = ReadFavorites(favorites);
        if (kept && kept->checked >= 0)
            plate = kept->templates.value(kept->checked);
    }
    if (plate.isEmpty() || page.Layers().Count() == 0) {
        prompter.Warn(NoTemplateText());
        return;
    }
    page.SetPlateFile(plate);
    WriteFavorites(favorites, { 0, { plate } }, QFileInfo::exists(favorites));

    // The pre-order data: the pictures the customer put on the card, and the texts.
    const QString preOrderFile = PreOrderPath(session.Workspace());
    const QStringList defaultSender
        = { session.User.Name(), session.User.Adrs1(), session.User.Tel1() };
    TPreOrder pre = ReadPreOrder(preOrderFile, defaultSender).value_or(TPreOrder {});
    if (pre.sender.join(QString()).trimmed().isEmpty())
        pre.sender = defaultSender;
    pre.pictures = page.CardPictures();
    WritePreOrder(preOrderFile, pre);
    page.SaveNow();

    const std::optional<TCardPrices> prices = Prices(session, prompter);
    if (!prices)
        return;
    TCardOrderArgs args;
    args.shopId = session.ShopId();
    args.shopName = ShopName(session);
    args.postCardFolder = postCard;
    args.plateFile = QFileInfo(plate).fileName();
    args.desc = SplitTemplateDesc(prices->Description(args.plateFile));
    if (args.desc.title.isEmpty())
        args.desc.title = QFileInfo(plate).completeBaseName();
    args.prices = prices->sets[args.desc.priceSet - 1];
    args.senderLines = pre.sender;
    args.lastComment = pre.lastComment;
    for (const QString &item : pre.pictures)
        args.pictures << PreOrderPicturePath(item);
    QStringList blocks;
    for (const QStringList &bun : { pre.bun1, pre.bun2 }) {
        if (!bun.join(QString()).trimmed().isEmpty())
            blocks << ToCommaText(bun);
    }
    args.cardTextLines << QStringLiteral("BUN_COUNT=%1").arg(blocks.size());
    for (int i = 0; i < blocks.size(); ++i)
        args.cardTextLines << QStringLiteral("BUN[%1]=").arg(i + 1) + blocks[i];
    args.layoutLines = ReadSjisLines(CardStorePath(session.Workspace())).value_or(QStringList());
    args.card = page.CardImage();
    FillCustomer(args, session);

    const TServerConfig servers = Servers(session);
    TformOrderInfo form(args, prompter, window);
    open = &form;
    form.OrderTime = [&servers] { return OrderTime(servers); };
    form.SendOrder = [&](const TSavedCardOrder &saved) {
        return SendSaved(session, prompter, window, saved.folder,
            QFileInfo(saved.folder).fileName(), saved.change);
    };
    form.exec();
    open = nullptr;
    if (form.Result() == TCardOrderResult::coLookAtHistory)
        OpenCardHistory(session, prompter, window);
}

void OpenCardHistory(TClientSession &session, TPrompter &prompter, QWidget *window)
{
    TPostHistForm form(PostCard(session), session.ShopId(), prompter, window);
    form.DownloadOrderFile = [&](const QString &orderNo) {
        const std::optional<TOrderHostTable> hosts
            = TOrderHostTable::FromLines(session.PriceTables.OrderHostTable());
        return hosts
            && DownloadCardOrderFile(session.Servers.Transport(), hosts->ImageServer(),
                hosts->Passive(), PostCard(session), orderNo);
    };
    form.ChangeOrder = [&](const TCardHistEntry &entry) {
        return ChangeCardOrder(session, entry, prompter, &form);
    };
    form.Resend = [&](const TCardHistEntry &entry) {
        return SendSaved(
            session, prompter, &form, entry.folder, entry.orderNo, entry.pendingChange);
    };
    form.exec();
}

} // namespace korvatel
