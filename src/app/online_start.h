#pragma once

#include "app/program_update.h"
#include "app/startup.h"
#include "app/version_gate.h"
#include "net/server_lookups.h"

#include <QString>
#include <functional>

namespace korvatel
{

class TClientSession;
class TClock;
class TPrompter;
struct TUserFolders;

// The shop data of a real start: fetched from the format servers of the configuration. The
// error status of a failed fetch is its log, one line each.
class TServerShopData : public TShopDataSource
{
public:
    // Also makes the configuration's blocked domain the transport's.
    explicit TServerShopData(TServerConfig config);
    bool FetchShopData(
        const QString &shopId, const QString &downloadDir, QString &errorStatus) override;
    QStringList Switches() const override { return FLast.switches; }
    const TShopFetch &LastFetch() const { return FLast; }
    const TServerConfig &Config() const { return FConfig; }

private:
    TServerConfig FConfig;
    TShopFetch FLast;
};

// Where the private staging folder of a new program is made: the user's download folder, so
// that the started program installs itself onto the desktop as a downloaded copy does.
QString NewProgramStagingParent(const TUserFolders &folders);

// This program as the gate compares it: version, build stamp and own file name.
TProgramVersion OwnProgramVersion();
// The version gate at the main window's first idle moment: compares this program with the one
// offered in the shop's order host table and, when told to, fetches the signed new program
// from the update folder of the configuration (FetchSignedProgram: only the name of the
// offered program is taken from the shop data) and starts it. A program that fails any check
// is never started, forced or not; with no release keys nothing is fetched, and the customer is
// told to get the new program from the homepage. True when the program must end.
bool ApplyVersionGate(
    const TClientSession &session, const TServerConfig &config, const TProgramVersion &own,
    const TUserFolders &folders, TPrompter &prompter,
    const std::function<bool(const QString &)> &start = [](const QString &) { return true; },
    const QStringList &releaseKeys = ReleaseKeys());

// "バージョンアップ" from the menu: asks the version service, tells its state with the newer
// versions it lists, and while the service runs applies the version gate. True when the program
// must end.
bool CheckVersionFromMenu(
    const TServerConfig &config, const TClientSession &session, const TProgramVersion &own,
    const TUserFolders &folders, TPrompter &prompter,
    const std::function<bool(const QString &)> &start = [](const QString &) { return true; },
    const QStringList &releaseKeys = ReleaseKeys());

// The start-up registration report of the session's customer: the record of the shop, the
// customer and this machine, when the customer record holds data; empty otherwise (nothing is
// reported then).
QStringList RegistrationReportLines(
    const TClientSession &session, const TUserFolders &folders, const TClock &clock);

} // namespace korvatel
