#pragma once

#include "app/startup.h"
#include "app/version_gate.h"
#include "net/server_lookups.h"

#include <QString>
#include <functional>

namespace korvatel
{

class TClientSession;
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

// Where the new program goes: the user's download folder under the last part of its URL, so
// that the started program installs itself onto the desktop as a downloaded copy does.
QString NewProgramPath(const TUserFolders &folders, const QString &url);

// The version gate at the main window's first idle moment: compares this program with the one
// offered in the shop's order host table and, when told to, downloads the new program and
// starts it. True when the program must end.
// This program as the gate compares it: version, build stamp and own file name.
TProgramVersion OwnProgramVersion();
bool ApplyVersionGate(
    const TClientSession &session, const TProgramVersion &own, const TUserFolders &folders,
    TPrompter &prompter,
    const std::function<bool(const QString &)> &start = [](const QString &) { return true; });

// "バージョンアップ" from the menu: asks the version service, tells its state with the newer
// versions it lists, and while the service runs applies the version gate. True when the program
// must end.
bool CheckVersionFromMenu(
    const TServerConfig &config, const TClientSession &session, const TProgramVersion &own,
    const TUserFolders &folders, TPrompter &prompter,
    const std::function<bool(const QString &)> &start = [](const QString &) { return true; });

} // namespace korvatel
