#include "cli/app_commands.h"

#include "app/program_entry.h"
#include "platform/launchers.h"
#include "platform/user_folders.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

namespace korvatel
{

namespace
{

// The shop ID of the command line, as the client would settle it from its first argument.
QString ShopIdOf(const QString &argument)
{
    return ShopIdFromArgument(argument.trimmed());
}

} // namespace

int InstallShopCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    QString shop;
    QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/korvatel");
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--program") && i + 1 < args.size()) {
            program = args.at(++i);
        } else if (shop.isEmpty() && !args.at(i).startsWith(QLatin1String("--"))) {
            shop = args.at(i);
        } else {
            err << "unknown argument " << args.at(i) << '\n';
            return 2;
        }
    }
    const QString shopId = ShopIdOf(shop);
    if (shopId.isEmpty()) {
        err << "give the shop ID\n";
        return 2;
    }
    const QFileInfo client(program);
    if (!client.isFile() || !client.isExecutable()) {
        err << "no client program at " << program << '\n';
        return 1;
    }
    const TUserFolders folders = TUserFolders::FromEnvironment();
    TShopLauncher launcher;
    launcher.shopId = shopId;
    launcher.name = DesktopCopyName(shopId, QString());
    launcher.program = client.absoluteFilePath();
    launcher.arguments = QStringList { shopId };
    launcher.icon = LauncherIcon(client.absolutePath(), folders);
    const QStringList written = WriteShopLaunchers(launcher, folders, TrustLauncher);
    for (const QString &path : written)
        out << path << '\n';
    if (written.isEmpty()) {
        err << "cannot write the launchers\n";
        return 1;
    }
    return 0;
}

int RemoveShopCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (args.size() != 1 || ShopIdOf(args.value(0)).isEmpty()) {
        err << "give one shop ID\n";
        return 2;
    }
    for (const QString &path :
        RemoveShopLaunchers(ShopIdOf(args.value(0)), TUserFolders::FromEnvironment()))
        out << path << '\n';
    return 0;
}

} // namespace korvatel
