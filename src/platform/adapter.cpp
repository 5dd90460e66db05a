#include "platform/adapter.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cctype>

namespace korvatel
{

namespace
{

// ARPHRD_LOOPBACK in <linux/if_arp.h>.
constexpr int kLoopbackType = 772;

QByteArray ReadSmall(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(256).trimmed();
}

// "0a:1b:2c:3d:4e:5f" to "0A1B2C3D4E5F"; empty unless it is six two-digit hexadecimal bytes.
QString EthernetAddress(const QByteArray &text)
{
    const QList<QByteArray> parts = text.split(':');
    if (parts.size() != 6)
        return {};
    QString hex;
    for (const QByteArray &part : parts) {
        if (part.size() != 2 || !std::isxdigit(uchar(part[0])) || !std::isxdigit(uchar(part[1])))
            return {};
        hex += QString::fromLatin1(part).toUpper();
    }
    return hex;
}

} // namespace

QString FirstAdapterAddress(const QString &sysClassNet)
{
    QStringList names = QDir(sysClassNet).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    // Plain code-point order, whatever the locale.
    std::sort(names.begin(), names.end());
    for (const QString &name : names) {
        if (name == QLatin1String("lo"))
            continue;
        const QString folder = sysClassNet + QLatin1Char('/') + name;
        if (ReadSmall(folder + QStringLiteral("/type")) == QByteArray::number(kLoopbackType))
            continue;
        const QString address = EthernetAddress(ReadSmall(folder + QStringLiteral("/address")));
        if (!address.isEmpty() && address != QLatin1String("000000000000"))
            return address;
    }
    return {};
}

} // namespace korvatel
