#pragma once

#include "net/win_inet.h"

#include <QByteArray>
#include <QList>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace korvatel
{

class TKeitaiDatas;
class TPrompter;

// A server that keeps the phone model table: the folder that holds Keitai.ini and the
// addresses it can be reached at, each an FTP account.
struct TKeitaiServer {
    int index = 0; // 1-based, as the upload's result names it
    QString folder;
    QList<THostRecord> addresses;
};

// The servers of the model table from key file lines, numbered from 1 up to 9:
//   KeitaiServerN=host[;host…]   the addresses (a host may carry a port)
//   KeitaiUserN, KeitaiPasswordN  the account, the same at every address
//   KeitaiFolderN                 the folder of Keitai.ini ("/" when empty)
QList<TKeitaiServer> KeitaiServersFromLines(const QStringList &lines);
// The same from servers.ini in configDir and then the file named by KORVATEL_SERVERS; the
// later file's list replaces the earlier one's when it names any server.
QList<TKeitaiServer> LoadKeitaiServers(const QString &configDir,
    const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment());

// A path of an FTP server: "/" + folder + "/" + name, with no "/" doubled at the folder's ends.
QString KeitaiRemotePath(const QString &folder, const QString &name);
// The remote path of the table on a server: the folder + "/Keitai.ini".
QString KeitaiTableRemote(const TKeitaiServer &server);

// The transfers below use the transport settings of the server configuration.
// Fetches the table from the first address of the first server that has it; nullopt when
// none answered. At most TKeitaiDatas::kMaxFileSize bytes are taken.
std::optional<QByteArray> FetchKeitaiTable(
    const TTransportSettings &transport, const QList<TKeitaiServer> &servers);
// The download: on success the data becomes the workspace file and the table is reloaded from
// it; "ダウンロード完了しました。" unless quiet. On failure "ダウンロードに失敗しました。" and
// nothing changes. busy is told when the transfer starts and ends (the hourglass).
bool DownloadKeitaiDatas(const TTransportSettings &transport, TKeitaiDatas &table,
    const QList<TKeitaiServer> &servers, const QString &workspaceFile, bool quiet,
    TPrompter &prompter, const std::function<void(bool busy)> &busy = {});
// The upload: the table as text to every address of every server. Gives the message shown:
// "Server1 Server2 にUploadを完了しました。" or "Uploadに失敗しました。".
QString UploadKeitaiDatas(const TTransportSettings &transport, const TKeitaiDatas &table,
    const QList<TKeitaiServer> &servers, TPrompter &prompter);

} // namespace korvatel
