#include "cli/sending_commands.h"

#include "customer/user_record.h"
#include "net/server_lookups.h"
#include "order/campus_prices.h"
#include "order/thumb_nails.h"
#include "ordering/print_order_start.h"
#include "platform/clock.h"
#include "platform/prompter.h"
#include "platform/user_folders.h"
#include "pricing/shop_data.h"
#include "pricing/shop_pricing.h"
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

// 5. What the order run reads: the basket's folder stands for the workspace (its SysData and,
// unless --work names another, its KorvaDPOF), the program's folders are the user's.
TOrderValues OrderValuesOf(const TOrderArgs &a, const TOrderShopData &shop,
    const TPriceTables &tables, const TUserRecord &user, const TServerConfig &config)
{
    TOrderValues values;
    values.sysData = QFileInfo(a.memory).absolutePath();
    values.korvaDpof = a.work.isEmpty() ? values.sysData : a.work;
    values.folders = TUserFolders::FromEnvironment();
    values.historyFolder = a.historyDir;
    values.shopId = shop.shopId;
    values.online = true;
    values.httpAllowed = shop.httpSwitch;
    values.askMachineId = shop.data.ServerR();
    values.tables = &tables;
    values.customer = &user;
    values.servers = config;
    values.transferMode = a.mode;
    values.clock = &SystemClock();
    values.cardCopies = a.cardCopies;
    return values;
}

// 6. The windows of the order, answered from the arguments: the summary priced with the
// chosen kinds and confirmed with the comment, the customer as the file gives it, the packed
// order and every step of the upload printed as lines.
void ScriptOrderHooks(TOrderStart &start, const TOrderArgs &a, const TUserRecord &user,
    TPrompter &prompter, TSendProgress &progress, QTextStream &out, QTextStream &err)
{
    TOrderStartHooks &hooks = start.hooks;
    hooks.showSummary = [&](const TSummaryInput &input) -> std::optional<TSummaryResult> {
        TSummaryResult summary;
        summary.choice = OrderChoiceOf(a, input.context->terms, user);
        summary.order = PriceOrder(input.basket, *input.context, summary.choice);
        out << "total\t" << QString::number(summary.order.total, 'f', 0) << '\n';
        if (!summary.order.buttonEnabled) {
            err << "the order cannot be placed: " << summary.order.buttonCaption << '\n';
            return std::nullopt;
        }
        std::optional<TConfirmedOrder> confirmed = ConfirmOrder(
            prompter, summary.order, *input.context, summary.choice, { false, {}, a.comment });
        if (!confirmed)
            return std::nullopt;
        summary.confirmed = std::move(*confirmed);
        return summary;
    };
    hooks.showCustomer = [](const TUserOrderArgs &) { return true; };
    hooks.packed = [&](const TPackedOrder &order) {
        out << "order\t" << order.name << '\n' << "folder\t" << order.localFolder << '\n';
        for (const TSendItem &item : order.sendList.Items())
            out << "file\t" << item.remote << '\n';
        return !a.packOnly;
    };
    hooks.sendWindow
        = [&](const std::function<TSendResult(TSendProgress &)> &work) { return work(progress); };
}

// The messages and questions of the run, which a window would show, go to the error stream;
// each question takes its first button, as an unattended run does.
class TPrintedPrompter : public TPrompter
{
public:
    explicit TPrintedPrompter(QTextStream &err)
        : FErr(err)
    {
    }
    TModalResult Ask(TMsgKind, const QString &text, TMsgButtons buttons, const QString &) override
    {
        FErr << text << '\n';
        return FirstButtonResult(buttons);
    }

private:
    QTextStream &FErr;
};

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
    TUserRecord user;
    if (!user.LoadFromFile(a->customerFile)) {
        err << "cannot read " << a->customerFile << '\n';
        return 1;
    }
    TCampusPriceLists campus;
    TThumbNails basket(BasketContextOf(a->memory, pricing.Tables(), campus));
    LoadOrderBasket(basket, a->memory, out);

    // The same run as the window's order, with its windows answered from the arguments.
    TPrintedPrompter prompter(err);
    TPrintedProgress progress(out);
    TOrderStart start(
        OrderValuesOf(*a, *shop, pricing.Tables(), user, config), basket, campus, prompter);
    start.remindBrowsing = false;
    ScriptOrderHooks(start, *a, user, prompter, progress, out, err);
    const TOrderStartResult result = start.Run(true);
    // The packing may have measured skin references; the basket keeps them.
    const bool packed = result.outcome == TOrderStartOutcome::osPacked
        || result.outcome == TOrderStartOutcome::osNotSent
        || result.outcome == TOrderStartOutcome::osSent;
    if (packed && !basket.SaveMemory(a->memory, {}, SystemClock()))
        err << "cannot write " << a->memory << '\n';
    if (result.historyBytes >= 0)
        out << "history\t" << result.historyBytes << '\n';
    switch (result.outcome) {
    case TOrderStartOutcome::osPacked:
        return 0;
    case TOrderStartOutcome::osSent:
    case TOrderStartOutcome::osNotSent:
        out << "result\t" << ResultWord(result.sendResult) << '\n';
        if (result.outcome == TOrderStartOutcome::osSent)
            return 0;
        err << result.error << '\n';
        return 1;
    case TOrderStartOutcome::osNotPacked:
        err << "the order could not be packed\n";
        return 1;
    case TOrderStartOutcome::osPending:
        err << "the interrupted order " << result.orderName << " is still to be sent\n";
        return 1;
    default:
        return 1;
    }
}

} // namespace korvatel
