#include "net/server_config.h"

#include "text/key_file.h"

#include <QDir>

namespace korvatel
{

TServerConfig TServerConfig::Defaults()
{
    TServerConfig config;
    config.primary = { QStringLiteral("http://fmt1.korvatel.example"), QStringLiteral("/KorvFmt") };
    config.secondary
        = { QStringLiteral("http://fmt2.korvatel.example"), QStringLiteral("/KorvFmt") };
    config.timeServers = { QStringLiteral("http://svc1.korvatel.example"),
        QStringLiteral("http://svc2.korvatel.example") };
    config.versionUrl = QStringLiteral("http://svc1.korvatel.example");
    config.campusUrl = QStringLiteral("http://campus.korvatel.example");
    config.campusRoot = QStringLiteral("/campus");
    config.blockedDomain = QString::fromLatin1(kDefaultBlockedDomain);
    config.demoAccount = { QStringLiteral("demo.korvatel.example"), QStringLiteral("demo"),
        QStringLiteral("demo"), QStringLiteral("/"), QStringLiteral("demo-order") };
    config.hostedOrderServer = QStringLiteral("order.hosting.korvatel.example");
    config.memberUrl = QStringLiteral("http://member.qxtnet.example");
    config.updateUrl = QStringLiteral("https://svc1.korvatel.example/Korvatel");
    return config;
}

void TServerConfig::Apply(const QStringList &lines)
{
    const TKeyFile file(lines);
    const auto take = [&file](const char *name, QString &value) {
        const QString key = QString::fromLatin1(name);
        if (file.HasName(key))
            value = file.Value(key).trimmed();
    };
    take("PrimaryURL", primary.baseUrl);
    take("PrimaryFolder", primary.folder);
    take("SecondaryURL", secondary.baseUrl);
    take("SecondaryFolder", secondary.folder);
    bool anyTime = false;
    QStringList times(4);
    for (int i = 0; i < 4; ++i) {
        const QString key = QStringLiteral("TimeServer%1").arg(i + 1);
        if (file.HasName(key)) {
            anyTime = true;
            times[i] = file.Value(key).trimmed();
        }
    }
    if (anyTime) {
        times.removeAll(QString());
        timeServers = times;
    }
    take("VersionURL", versionUrl);
    take("CampusURL", campusUrl);
    take("CampusRoot", campusRoot);
    take("BlockedDomain", blockedDomain);
    take("DemoFtpHost", demoAccount.host);
    take("DemoFtpUser", demoAccount.user);
    take("DemoFtpPassword", demoAccount.password);
    take("DemoFtpHomeDir", demoAccount.homeDir);
    take("HostedOrderServer", hostedOrderServer);
    take("MemberURL", memberUrl);
    take("CardURL", cardUrl);
    take("UpdateURL", updateUrl);
    take("RegistrationURL", registrationUrl);
    take("CaFile", caFile);
    take("ShopDataKey", shopDataKey);
    take("FtpChmodMode", ftpChmodMode);
    const auto takePause = [&file](const char *name, int &value) {
        const QString key = QString::fromLatin1(name);
        bool ok = false;
        const int msecs = file.HasName(key) ? file.Value(key).trimmed().toInt(&ok) : 0;
        if (ok && msecs >= 0 && msecs <= 60000)
            value = msecs;
    };
    takePause("UploadPause5", uploadPause5);
    takePause("UploadPause10", uploadPause10);
    if (file.HasName(QStringLiteral("FtpTls")))
        ftpTls = file.Value(QStringLiteral("FtpTls"))
                     .trimmed()
                     .compare(QLatin1String("TRUE"), Qt::CaseInsensitive)
            == 0;
}

TServerConfig TServerConfig::Load(const QString &configDir, const QProcessEnvironment &env)
{
    TServerConfig config = Defaults();
    TKeyFile file;
    if (file.Load(QDir(configDir).filePath(QStringLiteral("servers.ini"))))
        config.Apply(file.Lines());
    const QString named = env.value(QStringLiteral("KORVATEL_SERVERS"));
    if (!named.isEmpty() && file.Load(named))
        config.Apply(file.Lines());
    return config;
}

TTransportSettings TServerConfig::Transport() const
{
    TTransportSettings transport;
    transport.caFile = caFile.trimmed();
    transport.blockedDomain = blockedDomain.trimmed();
    transport.ftpTls = ftpTls;
    transport.chmodMode = SendableChmodMode(ftpChmodMode);
    return transport;
}

} // namespace korvatel
