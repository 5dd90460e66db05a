#pragma once

#include "app/program_entry.h"
#include "app/startup.h"
#include "customer/user_record.h"
#include "net/server_config.h"
#include "order/campus_prices.h"
#include "order/thumb_nails.h"
#include "ordering/order_values.h"
#include "pricing/price_tables.h"
#include "workspace/option_settings.h"
#include "workspace/shop_options.h"
#include "workspace/state_settings.h"
#include "workspace/workspace.h"
#include "workspace/workspace_settings.h"

#include <QDateTime>
#include <functional>
#include <memory>
#include <optional>

namespace korvatel
{

class TClock;
class TPrompter;

// What a run knows once it has started: the workspace, the shop, whether it is online, the
// settings files the main window reads at creation and writes at shutdown, and the basket. The
// run owns one and the main window works on it; the rules of reading, saving and cleaning up
// live here.
class TClientSession
{
public:
    // servers: the configuration the start already read; without it the session reads its own.
    TClientSession(TWorkspace workspace, TEntryResult entry, TStartupResult startup,
        std::optional<TServerConfig> servers = std::nullopt);

    TWorkspace &Workspace() { return FWorkspace; }
    const TWorkspace &Workspace() const { return FWorkspace; }
    const TEntryResult &Entry() const { return FEntry; }
    const TStartupResult &Startup() const { return FStartup; }
    QString ShopId() const { return FEntry.shopId; }
    bool Online() const { return FStartup.online; }
    // Set by a successful workspace move: nothing is saved at exit.
    bool Moved() const { return FMoved; }
    void SetMoved() { FMoved = true; }

    // Shows message as a warning and returns true when the run is offline: the guard of every
    // order-changing command.
    bool RefuseWhenOffline(TPrompter &prompter, const QString &message) const;

    // The settings files, in the state the window reads and changes them.
    TDateOutFolderList DateOut;
    TOptionSettings Option;
    TShopOptions ShopOptions;
    TOption2Settings Option2;
    TStateSettings State;
    TDefaultSettings Defaults;
    std::optional<QDateTime> LastRead; // the hint of \Tree\LastDate.ini
    TNodeExp NodeExp;
    TTransMode TransMode = TTransMode::tmAuto;

    // The server configuration (servers.ini of the configuration folder, then the file named
    // by KORVATEL_SERVERS), read when the session is made: every network step of the run
    // takes its addresses and transport settings from here.
    TServerConfig Servers;
    // Reads the server configuration again: after the internet settings window, a servers.ini
    // changed meanwhile counts from then on.
    void ReloadServers();

    // The customer record from the workspace's User file, read at the window's creation; in
    // member mode (the shop option "MemberMode=TRUE") the customer is known by the member
    // user name, which the customer window publishes for the upload.
    TUserRecord User;
    bool MemberMode = false;
    QString MemberUser;

    // The shop's price tables, read from \Download when the window is made.
    TPriceTables PriceTables;

    // The basket: the order list and the campus price lists it prices with. The session owns
    // them for the whole run; the main window and the print order borrow them. They are read
    // at the window's first idle moment and written back at shutdown.
    TThumbNails &Orders() { return *FOrders; }
    const TThumbNails &Orders() const { return *FOrders; }
    TCampusPriceLists &Campus() { return *FCampus; }

    // Reads the settings in the order of the window's creation: DateOutFolderList.ini, the
    // price tables from \Download, Option.ini (emptying \Works when it names no thumbnail
    // rule), the shop options of the option table, Option2.ini, State.ini, Default.ini (its
    // size one of the offered sizes) and the LastDate.ini hint; the customer record after the
    // exclusion list, and in member mode the member user name.
    void LoadAtCreation();
    // Whether the shop offers automatic correction: its switch file "Hosei.on" was downloaded.
    bool ShopOffersCorrection() const;
    // Whether the shop offers phone pictures: its price tables charge for them (KTPRICE) and
    // its order host table names the phone server and the page address (KtFtpHost, KeitaiURL),
    // without which an order with phone pictures could not be sent.
    bool ShopOffersPhone() const;
    // Whether the shop allows HTTP mode: "Http.on" arrived with the shop data (the fetch
    // deletes its file again) or lies in \Download.
    bool ShopAllowsHttp() const;
    // Reads what the first idle moment needs: NodeExp.ini and TransMode.ini.
    void LoadAtFirstIdle();

    QString StatePath() const;
    QString OptionPath() const;
    QString Option2Path() const;
    QString DefaultPath() const;
    QString TransModePath() const;
    QString DateOutPath() const;
    QString NodeExpPath() const;
    QString LastDatePath() const;

    // The order memory: OrderMemory in SysData and CampusOrder in the shop's campus folder.
    QString OrderMemoryPath() const;
    QString CampusOrderPath() const;
    // What an order run of this session reads: its workspace's folders and files, the shop,
    // the price tables, the customer record (the session's own, which the customer window
    // changes), the server configuration, the transfer mode and the clock.
    TOrderValues OrderValues(const TClock &clock) const;
    // What the order list takes from this session: the price tables, the shop option
    // DefDateNotPrint and the Works folder.
    TOrderContext OrderContext(const TCampusPriceLists *campus) const;
    // The first idle moment's part of the basket: the campus price lists of the shop's campus
    // folder, then both order memory files, which replace what the list held (a window opened
    // again on the same session starts from the files, as the first one did). Returns the
    // number of items read.
    int LoadOrderMemory(TThumbNails &list, TCampusPriceLists &campus) const;
    // The shutdown hook that writes the list back (TShutdownHooks::saveOrderMemory).
    std::function<void()> SaveOrderMemoryHook(const TThumbNails &list) const;

    // What the window adds to the shutdown.
    struct TShutdownHooks {
        std::function<void()> saveOrderMemory; // both order memory files
        std::function<void()> collectNodeExp; // fills NodeExp from the date tree
        bool favouriteTemplatesEmpty = true;
    };
    // Shutdown steps 3 and 4: saves (unless the workspace moved) the order memory,
    // NodeExp.ini, State.ini, Option2.ini and Option.ini, then cleans up as Option.ini says.
    void SaveAll(const TShutdownHooks &hooks);
    void Shutdown(const TShutdownHooks &hooks);

private:
    QString SysFile(const char *name) const;

    TWorkspace FWorkspace;
    TEntryResult FEntry;
    TStartupResult FStartup;
    bool FMoved = false;
    // Held apart so that the basket keeps its place when a session is moved.
    std::unique_ptr<TCampusPriceLists> FCampus;
    std::unique_ptr<TThumbNails> FOrders;
};

} // namespace korvatel
