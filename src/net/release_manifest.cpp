#include "net/release_manifest.h"

#include <QList>
#include <QRegularExpression>

namespace korvatel
{

namespace
{

bool IsSafeName(const QByteArray &name)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z0-9._-]{1,64}$"));
    return name != "." && name != ".." && pattern.match(QString::fromLatin1(name)).hasMatch();
}

// Versions and build stamps: printable ASCII without blanks, as short as the servers keep them.
bool IsVersionText(const QByteArray &text)
{
    if (text.isEmpty() || text.size() > 32)
        return false;
    for (const char c : text) {
        if (c <= ' ' || c > '~')
            return false;
    }
    return true;
}

std::optional<qint64> ReadSize(const QByteArray &text)
{
    if (text.isEmpty() || text.size() > 10)
        return std::nullopt;
    qint64 size = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        size = size * 10 + (c - '0');
    }
    if (size < 1 || size > kMaxProgramSize)
        return std::nullopt;
    return size;
}

std::optional<QByteArray> ReadDigest(const QByteArray &text)
{
    static const QRegularExpression pattern(QStringLiteral("^[0-9A-Fa-f]{64}$"));
    if (!pattern.match(QString::fromLatin1(text)).hasMatch())
        return std::nullopt;
    return QByteArray::fromHex(text);
}

} // namespace

std::optional<TReleaseManifest> ParseReleaseManifest(const QByteArray &text)
{
    if (text.isEmpty() || text.size() > kMaxManifestSize)
        return std::nullopt;
    TReleaseManifest manifest;
    int seen = 0; // one bit per key
    for (QByteArray line : text.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        const qsizetype equals = line.indexOf('=');
        if (equals <= 0)
            return std::nullopt;
        const QByteArray key = line.left(equals);
        const QByteArray value = line.mid(equals + 1);
        int bit = 0;
        if (key == "Name") {
            if (!IsSafeName(value))
                return std::nullopt;
            manifest.name = QString::fromLatin1(value);
            bit = 1;
        } else if (key == "Version" || key == "Build") {
            if (!IsVersionText(value))
                return std::nullopt;
            (key == "Version" ? manifest.version : manifest.build) = QString::fromLatin1(value);
            bit = key == "Version" ? 2 : 4;
        } else if (key == "Size") {
            const std::optional<qint64> size = ReadSize(value);
            if (!size)
                return std::nullopt;
            manifest.size = *size;
            bit = 8;
        } else if (key == "SHA256") {
            const std::optional<QByteArray> digest = ReadDigest(value);
            if (!digest)
                return std::nullopt;
            manifest.sha256 = *digest;
            bit = 16;
        }
        if (seen & bit)
            return std::nullopt; // a key given twice: which one was signed for?
        seen |= bit;
    }
    if (seen != 31)
        return std::nullopt;
    return manifest;
}

QByteArray ReleaseManifestText(const TReleaseManifest &manifest)
{
    return "Name=" + manifest.name.toLatin1() + "\r\nVersion=" + manifest.version.toLatin1()
        + "\r\nBuild=" + manifest.build.toLatin1() + "\r\nSize=" + QByteArray::number(manifest.size)
        + "\r\nSHA256=" + manifest.sha256.toHex() + "\r\n";
}

} // namespace korvatel
