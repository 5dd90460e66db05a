#include "support/demo_shop.h"

#include "mobile/mail/mail_settings.h"
#include "net/win_inet.h"
#include "text/key_file.h"

#include <QDir>
#include <QFile>
#include <QUrl>
#include <csignal>
#include <filesystem>
#include <sys/prctl.h>

namespace korvatel::test
{

QString DemoShopScript()
{
    return QStringLiteral(KORVATEL_SOURCE_DIR "/tools/demo-shop/demo_shop.py");
}

QString DemoPrivateKey()
{
    return QStringLiteral(KORVATEL_SOURCE_DIR "/tools/demo-shop/demo-only-private-key.pem");
}

QStringList DemoReleaseKeys()
{
    QFile pem(QStringLiteral(KORVATEL_SOURCE_DIR "/tools/demo-shop/demo-public-key.pem"));
    if (!pem.open(QIODevice::ReadOnly))
        return {};
    QString base64;
    for (const QByteArray &line : pem.readAll().split('\n'))
        if (!line.startsWith("-----"))
            base64 += QString::fromLatin1(line.trimmed());
    return { base64 };
}

std::optional<QString> RunSigningTool(const QStringList &args)
{
    QProcess tool;
    tool.setProgram(QStringLiteral("/usr/bin/python3"));
    tool.setArguments(
        QStringList { QStringLiteral(KORVATEL_SOURCE_DIR "/tools/sign-release.py") } + args);
    tool.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    tool.start();
    if (!tool.waitForFinished(30000) || tool.exitStatus() != QProcess::NormalExit
        || tool.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
}

TDemoShop::TDemoShop(const QStringList &refuse)
    : FProcess(std::make_unique<QProcess>())
{
    FProcess->setProgram(QStringLiteral("/usr/bin/python3"));
    QStringList args { DemoShopScript(), QStringLiteral("--root"),
        FDir.filePath(QStringLiteral("shop")), QStringLiteral("--servers"), ServersFile(),
        QStringLiteral("--state"), FDir.filePath(QStringLiteral("state.ini")) };
    if (!refuse.isEmpty())
        args << QStringLiteral("--refuse") << refuse.join(u',');
    FProcess->setArguments(args);
    FProcess->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // The server dies with the test program, even when that one is killed.
    FProcess->setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    FProcess->start();
    QByteArray out;
    while (FProcess->waitForReadyRead(20000)) {
        out += FProcess->readAllStandardOutput();
        if (out.contains("READY"))
            break;
    }
    if (!out.contains("READY")) {
        FError = QStringLiteral("the demo shop did not start: ") + QString::fromUtf8(out);
        return;
    }
    TKeyFile state;
    if (!state.Load(FDir.filePath(QStringLiteral("state.ini")))) {
        FError = QStringLiteral("the demo shop wrote no state file");
        return;
    }
    FState = state.Lines();
    FReady = true;
}

TDemoShop::~TDemoShop()
{
    if (FProcess->state() != QProcess::NotRunning) {
        FProcess->terminate();
        if (!FProcess->waitForFinished(3000)) {
            FProcess->kill();
            FProcess->waitForFinished(3000);
        }
    }
    // Shift-JIS file names are no UTF-8: QTemporaryDir cannot remove them, the raw paths can.
    std::error_code ignored;
    std::filesystem::remove_all(QFile::encodeName(FDir.path()).toStdString(), ignored);
}

QString TDemoShop::State(const QString &key) const
{
    return TKeyFile(FState).Value(key);
}

int TDemoShop::Port(const QString &server) const
{
    QString key = server;
    key[0] = key[0].toUpper();
    return State(key + QStringLiteral("Port")).toInt();
}

QString TDemoShop::FtpHost() const
{
    return QStringLiteral("127.0.0.1:%1").arg(Port(QStringLiteral("ftp")));
}

QString TDemoShop::FtpLocal(const QString &remote) const
{
    return QDir(State(QStringLiteral("FtpRoot"))).filePath(remote.mid(remote.startsWith(u'/')));
}

QString TDemoShop::ServiceUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(Port(QStringLiteral("service")));
}

TServerConfig TDemoShop::Config() const
{
    TServerConfig config = TServerConfig::Defaults();
    TKeyFile file;
    if (file.Load(ServersFile()))
        config.Apply(file.Lines());
    return config;
}

bool TDemoShop::WriteMailSettings(const QString &file) const
{
    TMailSettings mail;
    mail.account.host = QStringLiteral("127.0.0.1");
    mail.account.port = Port(QStringLiteral("starttls"));
    mail.account.useAuth = true;
    mail.account.user = FtpUser();
    mail.account.password = FtpPassword();
    mail.identity.fromAddress = QStringLiteral("taro@example.jp");
    return mail.Save(file);
}

QStringList TDemoShop::LogLines(const QString &text) const
{
    QFile file(QDir(State(QStringLiteral("Root"))).filePath(QStringLiteral("demo-shop.log")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(u'\n').filter(text);
}

bool TDemoShop::Control(const QString &query) const
{
    TWinHTTP http(Config().Transport());
    QStringList lines;
    QString encoded;
    for (const QString &pair : query.split(u'&')) {
        if (!encoded.isEmpty())
            encoded += u'&';
        encoded += pair.section(u'=', 0, 0) + u'='
            + QString::fromLatin1(QUrl::toPercentEncoding(pair.section(u'=', 1)));
    }
    return http.Connect(ServiceUrl())
        && http.GetUrlStrings(lines, QStringLiteral("/_demo/control?") + encoded)
        && lines.value(0) == QLatin1String("OK");
}

TServersEnv::TServersEnv(const TDemoShop &shop)
    : FSaved(qgetenv("KORVATEL_SERVERS"))
{
    qputenv("KORVATEL_SERVERS", QFile::encodeName(shop.ServersFile()));
}

TServersEnv::~TServersEnv()
{
    if (FSaved.isNull())
        qunsetenv("KORVATEL_SERVERS");
    else
        qputenv("KORVATEL_SERVERS", FSaved);
}

} // namespace korvatel::test
