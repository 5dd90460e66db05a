#include "cli/net_commands.h"

#include "net/server_lookups.h"
#include "platform/user_folders.h"
#include "version.h"

#include <QFile>
#include <QTextStream>

namespace korvatel
{

namespace
{

// Each command reads the server configuration once and hands it down.
TServerConfig Config()
{
    return TServerConfig::Load(ConfigDir());
}

} // namespace

int CliFetchShop(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (args.size() != 2) {
        err << "give the shop id and the download folder\n";
        return 2;
    }
    const TShopFetch fetch = FetchShopData(Config(), args.at(1), args.at(0));
    for (const QString &line : fetch.log)
        out << "log\t" << line << '\n';
    out << "shop\t" << fetch.shopId << '\n';
    if (!fetch.ok) {
        err << "no shop data\n";
        return 1;
    }
    out << "build\t" << fetch.serverBuild << '\n';
    out << "switches\t" << fetch.switches.join(u',') << '\n';
    return 0;
}

int CliServerTime(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (!args.isEmpty()) {
        err << "server-time takes no arguments\n";
        return 2;
    }
    QString error;
    const std::optional<QDateTime> time = QueryServerTime(Config(), &error);
    if (!time) {
        err << error << '\n';
        return 1;
    }
    out << time->toString(QStringLiteral("yyyy/MM/dd hh:mm:ss")) << '\n';
    return 0;
}

int CliVersions(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (args.size() > 1) {
        err << "give at most the own version\n";
        return 2;
    }
    QStringList list;
    QString message;
    const int state = FetchVersionList(
        Config(), args.value(0, QString::fromUtf8(kProgramVersion)), list, message);
    out << "state\t" << state << '\n' << "message\t" << message << '\n';
    for (const QString &line : list)
        out << "newer\t" << line << '\n';
    return state < 0 ? 1 : 0;
}

int CliFtpList(const QStringList &args, QTextStream &out, QTextStream &err)
{
    // The password never stands on the command line, where every user's process list shows it.
    if (args.size() == 4) {
        err << "the password is not taken from the command line: set KORVATEL_FTP_PASSWORD or "
               "give it on standard input\n";
        return 2;
    }
    if (args.size() != 3) {
        err << "give the host, the user and the folder\n";
        return 2;
    }
    QString password = qEnvironmentVariable("KORVATEL_FTP_PASSWORD");
    if (!qEnvironmentVariableIsSet("KORVATEL_FTP_PASSWORD")) {
        QFile input;
        if (input.open(stdin, QIODevice::ReadOnly))
            password = QString::fromUtf8(input.readLine(4096)).remove(u'\n').remove(u'\r');
    }
    TWinFTP ftp(Config().Transport());
    if (!ftp.Login(args.at(0), args.at(1), password, false) || !ftp.SetDir(args.at(2), false)) {
        err << ftp.LastError() << '\n';
        return 1;
    }
    QStringList list;
    QList<bool> isDir;
    if (ftp.ListMarked(list, {}, true, true, true, false, &isDir) < 0) {
        err << ftp.LastError() << '\n';
        return 1;
    }
    for (qsizetype i = 0; i < list.size(); ++i)
        out << (isDir.value(i) ? "dir\t" : "file\t") << list.at(i) << '\n';
    return 0;
}

} // namespace korvatel
