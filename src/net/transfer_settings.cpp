#include "net/transfer_settings.h"

#include "net/win_inet.h"
#include "text/key_file.h"

#include <QDir>
#include <QFile>
#include <atomic>
#include <mutex>

namespace korvatel
{

namespace
{

std::atomic<int> gBufferNum { kDefaultBufferNum };
QString gBlockedDomain;
std::mutex gBlockedMutex;

QString HostOfUrl(const QString &url)
{
    const QString rest = TWinInet::StripScheme(url);
    QString host = rest.section(u'/', 0, 0);
    host = host.section(u'@', -1);
    return host.section(u':', 0, 0);
}

} // namespace

int BufferNum()
{
    return gBufferNum.load();
}

void SetBufferNum(int value)
{
    gBufferNum.store(std::max(value, 0));
}

int LoadPerformance(const QString &sysDataDir)
{
    TKeyFile file;
    int value = kDefaultBufferNum;
    if (file.Load(QDir(sysDataDir).filePath(QStringLiteral("Performance.ini"))))
        value = file.Integer(QStringLiteral("BufferNum"), kDefaultBufferNum);
    if (value < 0)
        value = kDefaultBufferNum;
    SetBufferNum(value);
    return value;
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

void SetBlockedServiceDomain(const QString &domain)
{
    std::lock_guard lock(gBlockedMutex);
    gBlockedDomain = domain.trimmed();
}

QString BlockedServiceDomain()
{
    std::lock_guard lock(gBlockedMutex);
    return gBlockedDomain;
}

bool InBlockedServiceDomain(const QString &host)
{
    const QString domain = BlockedServiceDomain();
    if (domain.isEmpty())
        return false;
    const QString name = HostOfUrl(host);
    if (name.compare(domain, Qt::CaseInsensitive) == 0)
        return true;
    return name.endsWith(u'.' + domain, Qt::CaseInsensitive);
}

} // namespace korvatel
