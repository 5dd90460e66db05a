#include "cli/sending_commands.h"

#include "customer/order_history.h"
#include "customer/user_record.h"
#include "net/server_lookups.h"
#include "order/campus_prices.h"
#include "order/thumb_nails.h"
#include "platform/clock.h"
#include "platform/prompter.h"
#include "platform/user_folders.h"
#include "pricing/discounts.h"
#include "pricing/order_pricing.h"
#include "pricing/price_tables.h"
#include "pricing/shop_data.h"
#include "pricing/shop_terms.h"
#include "sending/order_host.h"
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

} // namespace

int OrderCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    QString memory, customerFile, shop, shopId, payment, delivery, comment, work, historyDir;
    int prefecture = 0, cardCopies = 0, mode = tmAuto;
    bool packOnly = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (arg == QLatin1String("--pack-only")) {
            packOnly = true;
            continue;
        }
        if (!arg.startsWith(QLatin1String("--"))) {
            if (!memory.isEmpty()) {
                err << Usage();
                return 2;
            }
            memory = arg;
            continue;
        }
        if (i + 1 >= args.size()) {
            err << arg << " takes a value\n" << Usage();
            return 2;
        }
        const QString value = args.at(++i);
        bool ok = true;
        if (arg == QLatin1String("--customer"))
            customerFile = value;
        else if (arg == QLatin1String("--shop"))
            shop = value;
        else if (arg == QLatin1String("--shop-id"))
            shopId = value;
        else if (arg == QLatin1String("--payment"))
            payment = value;
        else if (arg == QLatin1String("--delivery"))
            delivery = value;
        else if (arg == QLatin1String("--comment"))
            comment = value;
        else if (arg == QLatin1String("--work"))
            work = value;
        else if (arg == QLatin1String("--history"))
            historyDir = value;
        else if (arg == QLatin1String("--prefecture"))
            prefecture = value.toInt(&ok);
        else if (arg == QLatin1String("--card"))
            cardCopies = value.toInt(&ok);
        else if (arg == QLatin1String("--mode")) {
            const QStringList modes { QStringLiteral("auto"), QStringLiteral("ftp"),
                QStringLiteral("http") };
            mode = int(modes.indexOf(value));
            ok = mode >= 0;
        } else {
            err << "unknown option: " << arg << '\n' << Usage();
            return 2;
        }
        if (!ok) {
            err << "bad value for " << arg << ": " << value << '\n';
            return 2;
        }
    }
    if (memory.isEmpty() || customerFile.isEmpty() || shop.isEmpty()) {
        err << Usage();
        return 2;
    }
    // Drawing the address card's text needs the GUI side of Qt (fonts).
    if (cardCopies > 0 && !qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        err << "--card needs a program run with a QGuiApplication\n";
        return 2;
    }

    TServerConfig config = TServerConfig::Load(ConfigDir());
    config.Install();
    // The shop data: a container file, or fetched from the format servers.
    QTemporaryDir download;
    QString container = shop;
    bool httpSwitch = false;
    if (QFileInfo(shop).isFile()) {
        if (shopId.isEmpty())
            shopId = QFileInfo(shop).absoluteDir().dirName();
        httpSwitch
            = QFileInfo::exists(QFileInfo(shop).absoluteDir().filePath(QStringLiteral("Http.on")));
    } else {
        const TShopFetch fetch = FetchShopData(config, download.path(), shop);
        for (const QString &line : fetch.log)
            out << "log\t" << line << '\n';
        if (!fetch.ok) {
            err << "no shop data for " << shop << '\n';
            return 1;
        }
        if (shopId.isEmpty())
            shopId = fetch.shopId;
        httpSwitch = fetch.Switch(QStringLiteral("Http.on"));
        container = QDir(download.path()).filePath(QString::fromLatin1(kShopDataFileName));
    }
    const std::optional<TShopData> data = TShopData::LoadContainer(container);
    if (!data) {
        err << "cannot read " << container << '\n';
        return 1;
    }
    TPriceTables tables;
    tables.Load(*data);
    const std::optional<TOrderHostTable> hosts
        = TOrderHostTable::FromLines(tables.OrderHostTable());
    if (!hosts) {
        err << "the order host table cannot be read\n";
        return 1;
    }

    TUserRecord user;
    if (!user.LoadFromFile(customerFile)) {
        err << "cannot read " << customerFile << '\n';
        return 1;
    }

    TCampusPriceLists campus;
    TOrderContext context;
    context.tables = &tables;
    context.campus = &campus;
    // The local copies of the pictures, which the packaging sends, live in the workspace's
    // Works folder beside the basket's folder.
    context.works = QFileInfo(memory).absoluteDir().filePath(QStringLiteral("Works"));
    TThumbNails basket(context);
    basket.LoadMemory(memory, {});
    basket.Recount();
    basket.RebuildAggregate();
    out << "basket\t" << basket.Count() << " items, " << basket.OrderCount() << " prints\n";

    TShopTerms terms;
    terms.LoadShopTerms(tables.OptionTable());
    TDiscountRules rules;
    rules.LoadDiscountRules(tables.OptionTable());
    TPricingChoice choice;
    choice.payment = payment.isEmpty() ? terms.PaymentKinds().value(0, -1) : PaymentKindOf(payment);
    choice.delivery
        = delivery.isEmpty() ? terms.DeliveryKinds().value(0, -1) : DeliveryKindOf(delivery);
    choice.prefecture = prefecture > 0 ? prefecture : std::max(user.Prefecture(), 0);
    choice.address = user.Adrs1() + user.Adrs1Over();
    const TPricingContext pricing { tables, terms, rules, SystemClock().Now().date() };
    const TPricedOrder priced = PriceOrder(basket.Aggregate(), pricing, choice);
    out << "total\t" << QString::number(priced.total, 'f', 0) << '\n';
    if (!priced.buttonEnabled) {
        err << "the order cannot be placed: " << priced.buttonCaption << '\n';
        return 1;
    }

    TOrderInput input;
    input.basket = &basket;
    input.tables = &tables;
    input.customer = OrderCustomerOf(user);
    input.shop = TOrderShop::FromTables(shopId, tables.OptionTable(), hosts->Lines());
    input.figures = OrderFiguresOf(priced, choice);
    InsertComment(input.figures.records, comment);
    input.workDir = work.isEmpty() ? QFileInfo(memory).absolutePath() : work;
    input.now = SystemClock().Now();
    input.cardCopies = cardCopies;
    // The basket file lives in the workspace's SysData folder.
    SetOrderProgram(input, data->ServerR(), TUserFolders::FromEnvironment(),
        QFileInfo(memory).absolutePath(), tables.OptionTable());

    TUnattendedPrompter prompter;
    std::optional<TPackedOrder> order = PackOrder(input, prompter);
    if (!order) {
        err << "the order could not be packed\n";
        return 1;
    }
    out << "order\t" << order->name << '\n' << "folder\t" << order->localFolder << '\n';
    for (const TSendItem &item : order->sendList.Items())
        out << "file\t" << item.remote << '\n';
    if (packOnly)
        return 0;

    TPrintedProgress progress(out);
    TOrderUpload upload(prompter, SystemClock());
    SetUpOrderUpload(upload, { &*hosts, &config, httpSwitch, mode, user.Mail(), choice.payment });
    upload.progress = &progress;
    std::optional<TOrderHistory> history;
    if (!historyDir.isEmpty()) {
        history.emplace(historyDir);
        upload.onHistory = [&](bool sent, const QString &kind, const QString &cardOrderId,
                               const QStringList &text) {
            const qint64 written
                = history->WriteHistoryRecord(sent, kind, cardOrderId, {}, false, false, {}, text);
            out << "history\t"
                << (written < 0 ? QStringLiteral("not written") : QString::number(written)) << '\n';
        };
    }
    const TSendResult result = upload.Send(*order);
    out << "result\t" << ResultWord(result) << '\n';
    if (result != TSendResult::srSent) {
        err << upload.LastError() << '\n';
        return 1;
    }
    return 0;
}

} // namespace korvatel
