#pragma once

#include "net/server_config.h"
#include "platform/user_folders.h"
#include "sending/order_host.h"

#include <QString>
#include <optional>

namespace korvatel
{

class TClock;
class TPriceTables;
class TPrompter;
class TUserRecord;

// A file of the order that could not be written: "<file> を書き込めませんでした。".
QString FileNotWrittenMessage(const QString &file);

// What an order run reads: where the workspace keeps its files, the shop, its price tables,
// the customer, the server configuration loaded once by whoever starts the run, the transfer
// mode and the clock. The window's session and the command line each fill one; the run itself
// never reads a settings file for these.
struct TOrderValues {
    // The workspace: KorvaDPOF (the local order folders), SysData (the basket file, the mail
    // settings), the shop's campus folder, the card orders' folder.
    QString korvaDpof;
    QString sysData;
    QString campusFolder;
    QString postCard;
    // The shop data's download folder (the envelope kept there vouches for card prices).
    QString downloadDir;
    TUserFolders folders;
    // The basket's files: OrderMemory and CampusOrder; an empty one is not written.
    QString orderMemory;
    QString campusOrder;
    // The order history; empty: none is written.
    QString historyFolder;

    QString shopId;
    // Without the shop data nothing can be ordered.
    bool online = false;
    // The shop allows the HTTP way ("Http.on").
    bool httpAllowed = false;
    // The shop's server asks for the machine identifier (its shop data says so).
    bool askMachineId = false;
    const TPriceTables *tables = nullptr;
    // The customer record. The customer window may change it during the run, so the run reads
    // it where and when it needs it.
    const TUserRecord *customer = nullptr;
    TServerConfig servers;
    int transferMode = 0; // tmAuto, tmFtp or tmHttp of sending/order_upload.h
    const TClock *clock = nullptr;
    // Prints of the address card that go with a print order.
    int cardCopies = 0;

    // The shop's name as its tables give it (the option table's, else the host table's).
    QString ShopName() const;
    // The clock of the run: clock, else the system's.
    const TClock &Clock() const;
    // The shop's order host table; nullopt, after the message, when it names no image server,
    // so that nothing can be sent.
    std::optional<TOrderHostTable> OrderHosts(TPrompter &prompter) const;
};

} // namespace korvatel
