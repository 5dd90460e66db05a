#include "app/client_session.h"

#include "customer/order_history.h"
#include "customer/registration.h"
#include "index/index_format.h"
#include "index/index_sheets.h"
#include "mobile/keitai_delivery.h"
#include "net/win_inet.h"
#include "platform/clock.h"
#include "platform/prompter.h"
#include "platform/shell.h"
#include "pricing/shop_data.h"
#include "sending/order_host.h"
#include "text/key_file.h"

#include <QDir>
#include <QFileInfo>

namespace korvatel
{

TClientSession::TClientSession(TWorkspace workspace, TEntryResult entry, TStartupResult startup,
    std::optional<TServerConfig> servers)
    : FWorkspace(std::move(workspace))
    , FEntry(std::move(entry))
    , FStartup(std::move(startup))
    , FCampus(std::make_unique<TCampusPriceLists>())
    , FOrders(std::make_unique<TThumbNails>())
{
    if (servers)
        Servers = std::move(*servers);
    else
        ReloadServers();
}

void TClientSession::ReloadServers()
{
    Servers = TServerConfig::Load(FWorkspace.Folders().configDir);
}

bool TClientSession::RefuseWhenOffline(TPrompter &prompter, const QString &message) const
{
    if (Online())
        return false;
    prompter.Warn(message);
    return true;
}

QString TClientSession::SysFile(const char *name) const
{
    return QDir(FWorkspace.SysData()).filePath(QString::fromLatin1(name));
}

QString TClientSession::StatePath() const
{
    return SysFile("State.ini");
}
QString TClientSession::OptionPath() const
{
    return SysFile("Option.ini");
}
QString TClientSession::Option2Path() const
{
    return SysFile("Option2.ini");
}
QString TClientSession::DefaultPath() const
{
    return SysFile("Default.ini");
}
QString TClientSession::TransModePath() const
{
    return SysFile("TransMode.ini");
}
QString TClientSession::DateOutPath() const
{
    return SysFile("DateOutFolderList.ini");
}
QString TClientSession::NodeExpPath() const
{
    return SysFile("NodeExp.ini");
}

QString TClientSession::LastDatePath() const
{
    return QDir(FWorkspace.Tree()).filePath(QStringLiteral("LastDate.ini"));
}

void TClientSession::LoadAtCreation()
{
    DateOut.Load(DateOutPath());
    User.LoadFromFile(FWorkspace.UserFile()); // a missing file keeps the empty record
    PriceTables.LoadPriceTables(FWorkspace.Download());
    if (Option.Load(OptionPath()).emptyWorksNow)
        EmptyFolder(FWorkspace.Works());
    ShopOptions = TShopOptions::FromOptionTable(PriceTables.OptionTable());
    // The index sheets of CD-R orders always start from the built-in layout.
    GlobalIndexFormat().LoadLayout(TIndexFormat::DefaultLayoutName(), FWorkspace.NdxFmt());
    MemberMode = TKeyFile(PriceTables.OptionTable()).Bool(QStringLiteral("MemberMode"));
    if (MemberMode)
        MemberUser = ReadMemberAccount(SystemKeyFile(FWorkspace.Folders()), ShopId()).user;
    Option2.Load(Option2Path(), false);
    State.Load(StatePath());
    if (!FEntry.startFolder.isEmpty())
        State.LastDir = FEntry.startFolder;
    Defaults.Load(DefaultPath(), PriceTables.SizeList(false), ShopOffersCorrection());
    LastRead = LoadLastRead(LastDatePath());
}

bool TClientSession::ShopOffersCorrection() const
{
    return QFileInfo::exists(QDir(FWorkspace.Download()).filePath(QStringLiteral("Hosei.on")));
}

bool TClientSession::ShopOffersPhone() const
{
    if (PriceTables.PhoneMaxNum() <= 0 && PriceTables.PhoneBaseFee() <= 0)
        return false;
    const std::optional<TOrderHostTable> hosts
        = TOrderHostTable::FromLines(PriceTables.OrderHostTable());
    return hosts
        && TPhoneServer { hosts->PhoneServer(), hosts->Passive(),
               hosts->Value(QStringLiteral("KeitaiURL")) }
               .Complete();
}

bool TClientSession::ShopAllowsHttp() const
{
    const QString name = QStringLiteral("Http.on");
    return FStartup.switches.contains(name, Qt::CaseInsensitive)
        || QFileInfo::exists(QDir(FWorkspace.Download()).filePath(name));
}

TOrderValues TClientSession::OrderValues(const TClock &clock) const
{
    TOrderValues values;
    const TWorkspace &workspace = FWorkspace;
    values.korvaDpof = workspace.KorvaDpof();
    values.sysData = workspace.SysData();
    values.campusFolder = workspace.CampusShop(ShopId());
    values.downloadDir = workspace.Download();
    values.postCard = workspace.PostCard();
    values.folders = workspace.Folders();
    values.orderMemory = OrderMemoryPath();
    values.campusOrder = CampusOrderPath();
    values.historyFolder = TOrderHistory::DefaultFolder(values.folders);
    values.shopId = ShopId();
    values.online = Online();
    values.httpAllowed = ShopAllowsHttp();
    const std::optional<TShopData> data = TShopData::LoadContainer(
        QDir(workspace.Download()).filePath(QString::fromLatin1(kShopDataFileName)));
    values.askMachineId = data && data->ServerR();
    values.tables = &PriceTables;
    values.customer = &User;
    values.servers = Servers;
    values.transferMode = int(TransMode);
    values.clock = &clock;
    return values;
}

QString TClientSession::OrderMemoryPath() const
{
    return QDir(FWorkspace.SysData()).filePath(QStringLiteral("OrderMemory"));
}

QString TClientSession::CampusOrderPath() const
{
    return QDir(FWorkspace.CampusShop(ShopId())).filePath(QStringLiteral("CampusOrder"));
}

TOrderContext TClientSession::OrderContext(const TCampusPriceLists *campus) const
{
    TOrderContext context;
    context.tables = &PriceTables;
    context.campus = campus;
    context.defDateNotPrint = ShopOptions.DefDateNotPrint;
    context.works = FWorkspace.Works();
    return context;
}

int TClientSession::LoadOrderMemory(TThumbNails &list, TCampusPriceLists &campus) const
{
    campus.Load(FWorkspace.CampusShop(ShopId()));
    list.Context() = OrderContext(&campus);
    list.Clear();
    return list.LoadMemory(OrderMemoryPath(), CampusOrderPath());
}

std::function<void()> TClientSession::SaveOrderMemoryHook(const TThumbNails &list) const
{
    return [this, &list] { list.SaveMemory(OrderMemoryPath(), CampusOrderPath(), SystemClock()); };
}

void TClientSession::LoadAtFirstIdle()
{
    NodeExp.Load(NodeExpPath());
    TransMode = LoadTransMode(TransModePath());
}

void TClientSession::SaveAll(const TShutdownHooks &hooks)
{
    if (FMoved)
        return;
    if (hooks.saveOrderMemory)
        hooks.saveOrderMemory();
    if (hooks.collectNodeExp)
        hooks.collectNodeExp();
    NodeExp.Save(NodeExpPath());
    State.Save(StatePath());
    Option2.Save(Option2Path());
    Option.Save(OptionPath());
}

void TClientSession::Shutdown(const TShutdownHooks &hooks)
{
    // After a move the files were carried away whole; this run touches nothing more.
    if (FMoved)
        return;
    SaveAll(hooks);
    if (Option.EmptyWorksAtShutdown())
        EmptyFolder(FWorkspace.Works());
    if (Option.DeleteTreeAtShutdown())
        DeleteFolder(FWorkspace.Tree());
    if (Option.DeleteTemplatesAtShutdown() && hooks.favouriteTemplatesEmpty)
        DeleteFolder(FWorkspace.KorvatelTemp());
}

} // namespace korvatel
