#include "cli/sending_commands.h"

#include "customer/order_history.h"
#include "customer/user_record.h"
#include "net/server_lookups.h"
#include "order/campus_prices.h"
#include "order/thumb_nails.h"
#include "platform/clock.h"
#include "platform/prompter.h"
#include "platform/user_folders.h"
#include "pricing/shop_data.h"
#include "pricing/shop_pricing.h"
#include "sending/order_host.h"
#include "sending/order_input.h"
#include "sending/order_sending.h"
#include "sending/order_upload.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTextStream>

namespace korvatel
{

namespace
{

QString Usage()
{
    return QStringLiteral(
        "usage: order MEMORY --customer USER --shop HOSTFMT|SHOPID [--shop-id ID] "
        "[--payment NAME] [--delivery NAME] [--prefecture N] [--comment TEXT] [--work DIR] "
        "[--mode auto|ftp|http] [--card COPIES] [--history DIR] [--pack-only]\n");
}

// Prints every step of the upload as a line.
class TPrintedProgress : public TSendProgress
{
public:
    explicit TPrintedProgress(QTextStream &out)
        : FOut(out)
    {
    }
    void SetTitle(const QString &title) override { Print(QStringLiteral("title"), title); }
    void SetState(const QString &text) override { Print(QStringLiteral("state"), text); }
    void SetPosition(int done, int total) override
    {
        Print(QStringLiteral("files"), QStringLiteral("%1/%2").arg(done).arg(total));
    }

private:
    void Print(const QString &kind, const QString &text)
    {
        FOut << kind << '\t' << text << '\n';
        FOut.flush();
    }
    QTextStream &FOut;
};

// The "<Msg>" lines of a comment go after the last "<Memo>" record.
void InsertComment(QStringList &records, const QString &comment)
{
    qsizetype at = 0;
    for (qsizetype i = 0; i < records.size(); ++i) {
        if (records.at(i).startsWith(QLatin1String("<Memo>")))
            at = i + 1;
    }
    for (const QString &line : comment.trimmed().split(u'\n', Qt::SkipEmptyParts))
        records.insert(at++, QStringLiteral("<Msg>") + line.trimmed());
}

const char *ResultWord(TSendResult result)
{
    switch (result) {
    case TSendResult::srSent:
        return "sent";
    case TSendResult::srCancelled:
        return "cancelled";
    case TSendResult::srGivenUp:
        return "given-up";
    case TSendResult::srModeChange:
        return "mode-change";
    case TSendResult::srFailed:
        break;
    }
    return "failed";
}

// The arguments of "order".
struct TOrderArgs {
    QString memory, customerFile, shop, shopId, payment, delivery, comment, work, historyDir;
    int prefecture = 0, cardCopies = 0, mode = tmAuto;
    bool packOnly = false;
};

// Takes the value of an option; false for an unknown option (*known false) or a bad number.
bool TakeOrderValue(const QString &arg, const QString &value, TOrderArgs &a, bool *known)
{
    *known = true;
    bool ok = true;
    if (arg == QLatin1String("--customer"))
        a.customerFile = value;
    else if (arg == QLatin1String("--shop"))
        a.shop = value;
    else if (arg == QLatin1String("--shop-id"))
        a.shopId = value;
    else if (arg == QLatin1String("--payment"))
        a.payment = value;
    else if (arg == QLatin1String("--delivery"))
        a.delivery = value;
    else if (arg == QLatin1String("--comment"))
        a.comment = value;
    else if (arg == QLatin1String("--work"))
        a.work = value;
    else if (arg == QLatin1String("--history"))
        a.historyDir = value;
    else if (arg == QLatin1String("--prefecture"))
        a.prefecture = value.toInt(&ok);
    else if (arg == QLatin1String("--card"))
        a.cardCopies = value.toInt(&ok);
    else if (arg == QLatin1String("--mode")) {
        const QStringList modes { QStringLiteral("auto"), QStringLiteral("ftp"),
            QStringLiteral("http") };
        a.mode = int(modes.indexOf(value));
        ok = a.mode >= 0;
    } else {
        *known = false;
        ok = false;
    }
    return ok;
}

// 1. The arguments; nullopt after the usage or the error was printed.
std::optional<TOrderArgs> ParseOrderArgs(const QStringList &args, QTextStream &err)
{
    TOrderArgs a;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (arg == QLatin1String("--pack-only")) {
            a.packOnly = true;
            continue;
        }
        if (!arg.startsWith(QLatin1String("--"))) {
            if (!a.memory.isEmpty()) {
                err << Usage();
                return std::nullopt;
            }
            a.memory = arg;
            continue;
        }
        if (i + 1 >= args.size()) {
            err << arg << " takes a value\n" << Usage();
            return std::nullopt;
        }
        const QString value = args.at(++i);
        bool known = true;
        if (!TakeOrderValue(arg, value, a, &known)) {
            if (known)
                err << "bad value for " << arg << ": " << value << '\n';
            else
                err << "unknown option: " << arg << '\n' << Usage();
            return std::nullopt;
        }
    }
    if (a.memory.isEmpty() || a.customerFile.isEmpty() || a.shop.isEmpty()) {
        err << Usage();
        return std::nullopt;
    }
    // Drawing the address card's text needs the GUI side of Qt (fonts).
    if (a.cardCopies > 0 && !qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        err << "--card needs a program run with a QGuiApplication\n";
        return std::nullopt;
    }
    return a;
}

// The shop's data with its id and the "Http.on" switch.
struct TOrderShopData {
    TShopData data;
    QString shopId;
    bool httpSwitch = false;
};

// 2. The shop data: a container file, or fetched from the format servers.
std::optional<TOrderShopData> LoadOrderShop(
    const TOrderArgs &a, const TServerConfig &config, QTextStream &out, QTextStream &err)
{
    QTemporaryDir download;
    QString container = a.shop;
    TOrderShopData shop;
    shop.shopId = a.shopId;
    if (QFileInfo(a.shop).isFile()) {
        const QDir folder = QFileInfo(a.shop).absoluteDir();
        if (shop.shopId.isEmpty())
            shop.shopId = folder.dirName();
        shop.httpSwitch = QFileInfo::exists(folder.filePath(QStringLiteral("Http.on")));
    } else {
        const TShopFetch fetch = FetchShopData(config, download.path(), a.shop);
        for (const QString &line : fetch.log)
            out << "log\t" << line << '\n';
        if (!fetch.ok) {
            err << "no shop data for " << a.shop << '\n';
            return std::nullopt;
        }
        if (shop.shopId.isEmpty())
            shop.shopId = fetch.shopId;
        shop.httpSwitch = fetch.Switch(QStringLiteral("Http.on"));
        container = QDir(download.path()).filePath(QString::fromLatin1(kShopDataFileName));
    }
    std::optional<TShopData> data = TShopData::LoadContainer(container);
    if (!data) {
        err << "cannot read " << container << '\n';
        return std::nullopt;
    }
    shop.data = std::move(*data);
    return shop;
}

// 3. The basket, priced with the shop's tables. The local copies of the pictures, which the
// packaging sends, live in the workspace's Works folder beside the basket's folder.
TOrderContext BasketContextOf(
    const QString &memory, const TPriceTables &tables, TCampusPriceLists &campus)
{
    TOrderContext context;
    context.tables = &tables;
    context.campus = &campus;
    context.works = QFileInfo(memory).absoluteDir().filePath(QStringLiteral("Works"));
    return context;
}

// The basket counted, with its per-size aggregate.
void LoadOrderBasket(TThumbNails &basket, const QString &memory, QTextStream &out)
{
    basket.LoadMemory(memory, {});
    basket.Recount();
    basket.RebuildAggregate();
    out << "basket\t" << basket.Count() << " items, " << basket.OrderCount() << " prints\n";
}

// 4. The customer's choices: as given, else the shop's first kinds and the customer's
// prefecture.
TPricingChoice OrderChoiceOf(const TOrderArgs &a, const TShopTerms &terms, const TUserRecord &user)
{
    TPricingChoice choice;
    choice.payment
        = a.payment.isEmpty() ? terms.PaymentKinds().value(0, -1) : PaymentKindOf(a.payment);
    choice.delivery
        = a.delivery.isEmpty() ? terms.DeliveryKinds().value(0, -1) : DeliveryKindOf(a.delivery);
    choice.prefecture = a.prefecture > 0 ? a.prefecture : std::max(user.Prefecture(), 0);
    choice.address = user.Adrs1() + user.Adrs1Over();
    return choice;
}

// The priced basket; nullopt when the order button would be disabled.
std::optional<TPricedOrder> PriceCliOrder(const TThumbNails &basket, const TShopPricing &pricing,
    const TPricingChoice &choice, QTextStream &out, QTextStream &err)
{
    TPricingBasket aggregate = basket.Aggregate();
    SetIndexSheets(aggregate, pricing.Tables().OptionTable());
    TPricedOrder priced
        = PriceOrder(aggregate, pricing.Context(SystemClock().Now().date()), choice);
    out << "total\t" << QString::number(priced.total, 'f', 0) << '\n';
    if (!priced.buttonEnabled) {
        err << "the order cannot be placed: " << priced.buttonCaption << '\n';
        return std::nullopt;
    }
    return priced;
}

// 5. The packaging input: the source filled as far as the priced basket goes gets the shop,
// the work folder and the program's files; the basket file lives in the workspace's SysData
// folder.
TOrderInput OrderInputOf(const TOrderArgs &a, const TOrderShopData &shop, TOrderInputSource source)
{
    source.shopId = shop.shopId;
    source.workDir = a.work.isEmpty() ? QFileInfo(a.memory).absolutePath() : a.work;
    source.askMachineId = shop.data.ServerR();
    source.folders = TUserFolders::FromEnvironment();
    source.sysData = QFileInfo(a.memory).absolutePath();
    TOrderInput input = MakeOrderInput(source);
    InsertComment(input.figures.records, a.comment);
    input.now = SystemClock().Now();
    input.cardCopies = a.cardCopies;
    return input;
}

// 6. Sends the packed order, writing the history when a folder is given.
int UploadOrder(TOrderUpload &upload, TPackedOrder &order, const TOrderArgs &a, QTextStream &out,
    QTextStream &err)
{
    TPrintedProgress progress(out);
    upload.progress = &progress;
    std::optional<TOrderHistory> history;
    if (!a.historyDir.isEmpty()) {
        history.emplace(a.historyDir);
        upload.onHistory = [&](bool sent, const QString &kind, const QString &cardOrderId,
                               const QStringList &text) {
            const qint64 written
                = history->WriteHistoryRecord(sent, kind, cardOrderId, {}, false, false, {}, text);
            out << "history\t"
                << (written < 0 ? QStringLiteral("not written") : QString::number(written)) << '\n';
        };
    }
    const TSendResult result = upload.Send(order);
    out << "result\t" << ResultWord(result) << '\n';
    if (result != TSendResult::srSent) {
        err << upload.LastError() << '\n';
        return 1;
    }
    return 0;
}

} // namespace

int OrderCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    const std::optional<TOrderArgs> a = ParseOrderArgs(args, err);
    if (!a)
        return 2;
    TServerConfig config = TServerConfig::Load(ConfigDir());
    const std::optional<TOrderShopData> shop = LoadOrderShop(*a, config, out, err);
    if (!shop)
        return 1;
    const TShopPricing pricing(shop->data);
    const std::optional<TOrderHostTable> hosts
        = TOrderHostTable::FromLines(pricing.Tables().OrderHostTable());
    if (!hosts) {
        err << "the order host table cannot be read\n";
        return 1;
    }
    TUserRecord user;
    if (!user.LoadFromFile(a->customerFile)) {
        err << "cannot read " << a->customerFile << '\n';
        return 1;
    }

    TCampusPriceLists campus;
    TThumbNails basket(BasketContextOf(a->memory, pricing.Tables(), campus));
    LoadOrderBasket(basket, a->memory, out);

    const TPricingChoice choice = OrderChoiceOf(*a, pricing.Terms(), user);
    const std::optional<TPricedOrder> priced = PriceCliOrder(basket, pricing, choice, out, err);
    if (!priced)
        return 1;

    TOrderInputSource source;
    source.basket = &basket;
    source.tables = &pricing.Tables();
    source.hosts = &*hosts;
    source.user = &user;
    source.order = &*priced;
    source.choice = &choice;
    const TOrderInput input = OrderInputOf(*a, *shop, source);
    TUnattendedPrompter prompter;
    std::optional<TPackedOrder> order = PackOrder(input, prompter);
    if (!order) {
        err << "the order could not be packed\n";
        return 1;
    }
    // The packing may have measured skin references; the basket keeps them.
    if (!basket.SaveMemory(a->memory, {}, SystemClock()))
        err << "cannot write " << a->memory << '\n';
    out << "order\t" << order->name << '\n' << "folder\t" << order->localFolder << '\n';
    for (const TSendItem &item : order->sendList.Items())
        out << "file\t" << item.remote << '\n';
    if (a->packOnly)
        return 0;

    TOrderUpload upload(prompter, SystemClock());
    SetUpOrderUpload(
        upload, { &*hosts, &config, shop->httpSwitch, a->mode, user.Mail(), choice.payment });
    return UploadOrder(upload, *order, *a, out, err);
}

} // namespace korvatel
