#include "app/online_start.h"

#include "app/client_session.h"
#include "app/program_update.h"
#include "app/version_gate.h"
#include "customer/registration.h"
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
}

bool TServerShopData::FetchShopData(
    const QString &shopId, const QString &downloadDir, QString &errorStatus)
{
    FLast = korvatel::FetchShopData(FConfig, downloadDir, shopId);
    errorStatus = FLast.LogText();
    return FLast.ok;
}

QString NewProgramStagingParent(const TUserFolders &folders)
{
    return folders.downloadCaches.isEmpty() ? folders.temp : folders.downloadCaches.first();
}

TProgramVersion OwnProgramVersion()
{
    return { QString::fromUtf8(kProgramVersion), QString::fromUtf8(kBuildStamp), OwnProgramName() };
}

bool ApplyVersionGate(const TClientSession &session, const TServerConfig &config,
    const TProgramVersion &own, const TUserFolders &folders, TPrompter &prompter,
    const std::function<bool(const QString &)> &start, const QStringList &releaseKeys)
{
    if (!session.Online())
        return false;
    const std::optional<TOrderHostTable> table
        = TOrderHostTable::FromLines(session.PriceTables.OrderHostTable());
    if (!table)
        return false;
    const TOfferedProgram offered = table->OfferedProgram();
    const TProgramVersion server { offered.version, offered.build, offered.url };
    const auto download = [&] {
        const TSignedUpdate update { config.updateUrl, releaseKeys,
            NewProgramStagingParent(folders), config.Transport() };
        const QString name = offered.url.section(u'/', -1).section(u'?', 0, 0);
        const TUpdateOutcome outcome = FetchSignedProgram(update, own, name);
        if (!outcome.Ok())
            return false;
        if (start(outcome.program))
            return true;
        QDir(QFileInfo(outcome.program).absolutePath()).removeRecursively();
        return false;
    };
    // Without a release key nothing could be verified: the gate then downloads nothing.
    return RunVersionGate(own, server, session.Entry().cdStart, prompter,
        releaseKeys.isEmpty() ? std::function<bool()>() : download);
}

bool CheckVersionFromMenu(const TServerConfig &config, const TClientSession &session,
    const TProgramVersion &own, const TUserFolders &folders, TPrompter &prompter,
    const std::function<bool(const QString &)> &start, const QStringList &releaseKeys)
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
    return state == 2
        && ApplyVersionGate(session, config, own, folders, prompter, start, releaseKeys);
}

QStringList RegistrationReportLines(
    const TClientSession &session, const TUserFolders &folders, const TClock &clock)
{
    QStringList lines;
    const QString machine = MachineIdentifier(folders, session.Workspace().SysData(), clock);
    if (!BuildRegistration(session.User, session.ShopId(), machine, lines))
        return {};
    return lines;
}

} // namespace korvatel
