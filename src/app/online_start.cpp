#include "app/online_start.h"

#include "app/client_session.h"
#include "app/version_gate.h"
#include "platform/program_file.h"
#include "platform/prompter.h"
#include "platform/user_folders.h"
#include "sending/order_host.h"
#include "version.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace korvatel
{

TServerShopData::TServerShopData(TServerConfig config)
    : FConfig(std::move(config))
{
    FConfig.Install();
}

bool TServerShopData::FetchShopData(
    const QString &shopId, const QString &downloadDir, QString &errorStatus)
{
    FLast = korvatel::FetchShopData(FConfig, downloadDir, shopId);
    errorStatus = FLast.LogText();
    return FLast.ok;
}

QString NewProgramPath(const TUserFolders &folders, const QString &url)
{
    const QString dir
        = folders.downloadCaches.isEmpty() ? folders.temp : folders.downloadCaches.first();
    QString name = url.section(u'/', -1).section(u'?', 0, 0);
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        name = OwnProgramName();
    return QDir(dir).filePath(name);
}

TProgramVersion OwnProgramVersion()
{
    return { QString::fromUtf8(kProgramVersion), QString::fromUtf8(kBuildStamp), OwnProgramName() };
}

bool ApplyVersionGate(const TClientSession &session, const TProgramVersion &own,
    const TUserFolders &folders, TPrompter &prompter,
    const std::function<bool(const QString &)> &start)
{
    if (!session.Online())
        return false;
    const std::optional<TOrderHostTable> table
        = TOrderHostTable::FromLines(session.PriceTables.OrderHostTable());
    if (!table)
        return false;
    const TOfferedProgram offered = table->OfferedProgram();
    const TProgramVersion server { offered.version, offered.build, offered.url };
    return RunVersionGate(own, server, session.Entry().cdStart, prompter, [&] {
        const QString target = NewProgramPath(folders, offered.url);
        QDir().mkpath(QFileInfo(target).absolutePath());
        if (!DownloadProgram(offered.url, target))
            return false;
        QFile::setPermissions(
            target, QFile::permissions(target) | QFile::ExeOwner | QFile::ExeUser);
        return start(target);
    });
}

bool CheckVersionFromMenu(const TServerConfig &config, const TClientSession &session,
    const TProgramVersion &own, const TUserFolders &folders, TPrompter &prompter,
    const std::function<bool(const QString &)> &start)
{
    QStringList newer;
    QString message;
    const int state = FetchVersionList(config, own.version, newer, message);
    if (state == 2 && !newer.isEmpty())
        message += QStringLiteral("\r\n\r\n") + newer.join(QStringLiteral("\r\n"));
    if (state == 2)
        prompter.Inform(message);
    else
        prompter.Warn(message);
    return state == 2 && ApplyVersionGate(session, own, folders, prompter, start);
}

} // namespace korvatel
