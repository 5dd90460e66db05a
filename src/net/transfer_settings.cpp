#include "net/transfer_settings.h"

#include "net/win_inet.h"
#include "text/key_file.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QUrl>

namespace korvatel
{

namespace
{

// A host name as it is compared: lower case, without the trailing dots that name the same
// host ("blocked.example." is "blocked.example").
QString ComparableHost(QString host)
{
    host = host.trimmed().toLower();
    while (host.endsWith(u'.'))
        host.chop(1);
    return host;
}

// The host of a URL as a URL parser reads it: the authority ends at the first "/", "?", "#" or
// "\\", the user part ends at its last "@", and the port follows the last ":" outside brackets.
// Read any other way ("blocked.example#@good.example" taken for good.example), the rule would
// pass a URL that the transport then sends to the blocked host.
QString HostOfUrl(const QString &url)
{
    const QString rest = TWinInet::StripScheme(url.trimmed());
    qsizetype end = rest.size();
    for (const QChar stop : { u'/', u'?', u'#', u'\\' }) {
        const qsizetype at = rest.indexOf(stop);
        if (at >= 0)
            end = std::min(end, at);
    }
    QString host = rest.left(end);
    host = host.mid(host.lastIndexOf(u'@') + 1);
    if (host.startsWith(u'['))
        return ComparableHost(host.section(u']', 0, 0).mid(1));
    return ComparableHost(QUrl::fromPercentEncoding(host.section(u':', 0, 0).toUtf8()));
}

bool HostInDomain(const QString &host, const QString &domain)
{
    return !host.isEmpty() && (host == domain || host.endsWith(u'.' + domain));
}

} // namespace

TTransferBuffer::TTransferBuffer(int bufferNum)
    : FValue(std::make_shared<std::atomic<int>>(std::clamp(bufferNum, 0, kBufferNumLimit)))
{
}

void TTransferBuffer::SetBufferNum(int value)
{
    FValue->store(std::clamp(value, 0, kBufferNumLimit));
}

int LoadPerformance(const QString &sysDataDir)
{
    TKeyFile file;
    int value = kDefaultBufferNum;
    if (file.Load(QDir(sysDataDir).filePath(QStringLiteral("Performance.ini"))))
        value = file.Integer(QStringLiteral("BufferNum"), kDefaultBufferNum);
    if (value < 0)
        value = kDefaultBufferNum;
    return std::min(value, kBufferNumLimit);
}

bool SavePerformance(const QString &sysDataDir, int bufferNum)
{
    const QString path = QDir(sysDataDir).filePath(QStringLiteral("Performance.ini"));
    QFile::remove(path);
    if (bufferNum == kDefaultBufferNum)
        return true;
    TKeyFile file;
    file.SetValue(QStringLiteral("BufferNum"), QString::number(bufferNum));
    return file.Save(path);
}

bool InBlockedDomain(const QString &host, const QString &blocked)
{
    const QString domain = ComparableHost(blocked);
    if (domain.isEmpty())
        return false;
    // Both readings are checked: this one's and Qt's, which the rest of the program uses.
    const QString text = host.trimmed();
    const QUrl url(text.contains(QLatin1String("://")) ? text : QStringLiteral("http://") + text);
    return HostInDomain(HostOfUrl(text), domain)
        || HostInDomain(ComparableHost(url.host()), domain);
}

bool TTransportSettings::Blocks(const QString &host) const
{
    return InBlockedDomain(host, blockedDomain);
}

QString SendableChmodMode(const QString &mode)
{
    static const QRegularExpression octal(QStringLiteral("^[0-7]{3,4}$"));
    return mode.isEmpty() || octal.match(mode).hasMatch() ? mode : QStringLiteral("777");
}

} // namespace korvatel
