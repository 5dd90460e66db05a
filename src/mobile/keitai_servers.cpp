#include "mobile/keitai_servers.h"

#include "mobile/keitai_datas.h"
#include "net/bounded_buffer.h"
#include "platform/prompter.h"
#include "text/key_file.h"
#include "text/sjis_file.h"

#include <QDir>

namespace korvatel
{

namespace
{

constexpr int kMaxServers = 9;

} // namespace

QList<TKeitaiServer> KeitaiServersFromLines(const QStringList &lines)
{
    const TKeyFile file(lines);
    QList<TKeitaiServer> servers;
    for (int n = 1; n <= kMaxServers; ++n) {
        const QString hosts = file.Value(QStringLiteral("KeitaiServer%1").arg(n)).trimmed();
        if (hosts.isEmpty())
            continue;
        TKeitaiServer server;
        server.index = n;
        server.folder = file.Value(QStringLiteral("KeitaiFolder%1").arg(n)).trimmed();
        for (const QString &host : hosts.split(u';', Qt::SkipEmptyParts)) {
            THostRecord record;
            record.host = host.trimmed();
            record.user = file.Value(QStringLiteral("KeitaiUser%1").arg(n));
            record.password = file.Value(QStringLiteral("KeitaiPassword%1").arg(n));
            record.baseDir = server.folder;
            server.addresses << record;
        }
        servers << server;
    }
    return servers;
}

QList<TKeitaiServer> LoadKeitaiServers(const QString &configDir, const QProcessEnvironment &env)
{
    QList<TKeitaiServer> servers;
    TKeyFile file;
    if (file.Load(QDir(configDir).filePath(QStringLiteral("servers.ini"))))
        servers = KeitaiServersFromLines(file.Lines());
    const QString named = env.value(QStringLiteral("KORVATEL_SERVERS"));
    if (!named.isEmpty() && file.Load(named)) {
        const QList<TKeitaiServer> more = KeitaiServersFromLines(file.Lines());
        if (!more.isEmpty())
            servers = more;
    }
    return servers;
}

QString KeitaiRemotePath(const QString &folder, const QString &name)
{
    QString path = folder;
    if (!path.startsWith(u'/'))
        path.prepend(u'/');
    if (!path.endsWith(u'/'))
        path += u'/';
    return path + name;
}

QString KeitaiTableRemote(const TKeitaiServer &server)
{
    return KeitaiRemotePath(server.folder, QStringLiteral("Keitai.ini"));
}

std::optional<QByteArray> FetchKeitaiTable(
    const TTransportSettings &transport, const QList<TKeitaiServer> &servers)
{
    for (const TKeitaiServer &server : servers) {
        for (const THostRecord &address : server.addresses) {
            TWinFTP ftp(transport);
            ftp.Mess = false;
            if (!ftp.LoginRecord(address, false))
                continue;
            TBoundedBuffer data(TKeitaiDatas::kMaxFileSize);
            if (ftp.GetStream(data, KeitaiTableRemote(server), -1, TKeitaiDatas::kMaxFileSize)
                && !data.Data().isEmpty())
                return data.Data();
        }
    }
    return std::nullopt;
}

bool DownloadKeitaiDatas(const TTransportSettings &transport, TKeitaiDatas &table,
    const QList<TKeitaiServer> &servers, const QString &workspaceFile, bool quiet,
    TPrompter &prompter, const std::function<void(bool busy)> &busy)
{
    if (busy)
        busy(true);
    const std::optional<QByteArray> data = FetchKeitaiTable(transport, servers);
    if (busy)
        busy(false);
    // The data must read as a table before it replaces the workspace file: a server's error
    // page must not wipe the customer's models. The table read is what the file now holds.
    TKeitaiDatas downloaded;
    const std::optional<QStringList> lines
        = data ? SjisLines(*data, TKeitaiDatas::kMaxEntries * 4) : std::nullopt;
    if (!lines || downloaded.LoadFromLines(*lines) < 1 || !WriteFileAtomic(workspaceFile, *data)) {
        prompter.Error(QStringLiteral("ダウンロードに失敗しました。"));
        return false;
    }
    table = std::move(downloaded);
    if (!quiet)
        prompter.Inform(QStringLiteral("ダウンロード完了しました。"));
    return true;
}

QString UploadKeitaiDatas(const TTransportSettings &transport, const TKeitaiDatas &table,
    const QList<TKeitaiServer> &servers, TPrompter &prompter)
{
    const QStringList lines = table.Lines();
    QString done;
    for (const TKeitaiServer &server : servers) {
        for (const THostRecord &address : server.addresses) {
            TWinFTP ftp(transport);
            ftp.Mess = false;
            if (ftp.LoginRecord(address, false) && ftp.PutText(lines, KeitaiTableRemote(server)))
                done += QStringLiteral("Server%1 ").arg(server.index);
        }
    }
    const QString message = done.isEmpty() ? QStringLiteral("Uploadに失敗しました。")
                                           : done + QStringLiteral("にUploadを完了しました。");
    if (done.isEmpty())
        prompter.Error(message);
    else
        prompter.Inform(message);
    return message;
}

} // namespace korvatel
