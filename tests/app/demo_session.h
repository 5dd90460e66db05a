#pragma once

#include "app/client_session.h"
#include "app/online_start.h"
#include "app/startup.h"
#include "customer/user_record.h"
#include "platform/clock.h"
#include "support/app_home.h"
#include "support/demo_shop.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <memory>

namespace korvatel::test
{

// The program entry of shop 1234, named on the command line.
inline TEntryResult ShopEntry()
{
    TEntryResult entry;
    entry.proceed = true;
    entry.shopId = QStringLiteral("1234");
    entry.shopIdFromArgument = true;
    return entry;
}

// Start windows that accept the notice and go on after a failed fetch.
class TQuietStartDialogs : public TStartDialogs
{
public:
    TStartNoticeAnswer ShowStartNotice(const TStartNotice &) override { return { true, false }; }
    bool ShowStartFailure(const QString &) override { return true; }
};

// A customer record that passes the order checks.
inline TUserRecord DemoCustomer()
{
    TUserRecord user;
    user.StoreValue(QStringLiteral("Name"), QStringLiteral("山田太郎"));
    user.StoreValue(QStringLiteral("Tel1"), QStringLiteral("03-1234-5678"));
    user.StoreValue(QStringLiteral("Mail"), QStringLiteral("taro@example.jp"));
    user.StoreValue(QStringLiteral("Zip"), QStringLiteral("192-0000"));
    user.StoreValue(QStringLiteral("Adrs1"), QStringLiteral("東京都八王子市明神町1-2-3"));
    user.StoreValue(QStringLiteral("Acount"), QStringLiteral("4321"));
    user.StoreValue(QStringLiteral("Pass"), QStringLiteral("123456"));
    return user;
}

// A run of shop 1234 started against the demo shop, with DemoCustomer in the workspace's User
// file and the shop's server configuration; the settings are not read yet (the main window
// reads them at its creation). nullptr when the start did not get online.
inline std::unique_ptr<TClientSession> DemoShopSession(
    TWorkspace workspace, const TServerConfig &config)
{
    TServerShopData source(config);
    TQuietStartDialogs windows;
    const TFixedClock clock(QDateTime::currentDateTime());
    const TStartupResult startup = RunStartup(ShopEntry(), workspace, windows, source, clock);
    if (!startup.online || !DemoCustomer().SaveToFile(workspace.UserFile()))
        return nullptr;
    return std::make_unique<TClientSession>(std::move(workspace), ShopEntry(), startup, config);
}

inline std::unique_ptr<TClientSession> DemoShopSession(const TAppHome &home, const TDemoShop &shop)
{
    return DemoShopSession(home.Workspace(), shop.Config());
}

// The same, with the shop's servers.ini as the client's own server configuration, so that the
// windows that read it (the settings, the history's card service) see the demo shop too.
inline std::unique_ptr<TClientSession> DemoShopClient(const TAppHome &home, const TDemoShop &shop)
{
    const QString servers = home.FilePath(QStringLiteral(".config/korvatel/servers.ini"));
    QDir().mkpath(QFileInfo(servers).path());
    QFile::remove(servers);
    if (!QFile::copy(shop.ServersFile(), servers))
        return nullptr;
    return DemoShopSession(home, shop);
}

} // namespace korvatel::test
