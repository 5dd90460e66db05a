#include "app/program_update.h"

#include "net/release_manifest.h"
#include "net/signature.h"
#include "net/win_inet.h"
#include "release_keys.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>

namespace korvatel
{

namespace
{

// Fetches url into target; the transport refuses an answer over limit bytes while it arrives.
bool Fetch(TWinHTTP &http, const QString &url, QIODevice &target, qint64 limit)
{
    http.MaxSize = limit;
    try {
        return http.GetUrl(target, url);
    } catch (const EWinInetError &) {
        return false;
    }
}

std::optional<QByteArray> FetchSmall(TWinHTTP &http, const QString &url, qint64 limit)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!Fetch(http, url, buffer, limit))
        return std::nullopt;
    return bytes;
}

bool Newer(const TReleaseManifest &manifest, const TProgramVersion &own)
{
    if (manifest.version != own.version)
        return manifest.version > own.version;
    return manifest.build > own.build;
}

TUpdateOutcome Refused(TUpdateFault fault)
{
    return { fault, {} };
}

} // namespace

QStringList ReleaseKeys()
{
    QStringList keys;
    for (const char *const *key = kReleaseKeys; *key; ++key)
        keys << QString::fromLatin1(*key);
    return keys;
}

QString UpdateTrustLine(const QStringList &keys)
{
    if (keys.isEmpty())
        return QStringLiteral("updates: off, this build trusts no release key");
    return QStringLiteral("updates: on, signed with release key ")
        + keys.join(QStringLiteral(" or "));
}

TUpdateOutcome FetchSignedProgram(
    const TSignedUpdate &update, const TProgramVersion &own, const QString &name)
{
    if (update.keys.isEmpty())
        return Refused(TUpdateFault::ufNoReleaseKey);
    const QUrl base(update.updateUrl);
    if (!base.isValid() || base.scheme() != QLatin1String("https") || base.host().isEmpty())
        return Refused(TUpdateFault::ufNotHttps);
    static const QRegularExpression safeName(QStringLiteral("^[A-Za-z0-9._-]{1,64}$"));
    if (!safeName.match(name).hasMatch() || name == QLatin1String(".")
        || name == QLatin1String(".."))
        return Refused(TUpdateFault::ufBadName);

    TWinHTTP http(update.transport);
    http.HttpsOnly = true;
    if (!http.Connect(update.updateUrl))
        return Refused(TUpdateFault::ufNoManifest);
    const QString manifestName = name + QStringLiteral(".manifest");
    const std::optional<QByteArray> manifestText = FetchSmall(http, manifestName, kMaxManifestSize);
    const std::optional<QByteArray> signature = manifestText
        ? FetchSmall(http, manifestName + QStringLiteral(".sig"), kMaxSignatureFileSize)
        : std::nullopt;
    if (!manifestText || !signature)
        return Refused(TUpdateFault::ufNoManifest);
    if (!VerifyDetachedSignature(*manifestText, *signature, update.keys))
        return Refused(TUpdateFault::ufBadSignature);
    const std::optional<TReleaseManifest> manifest = ParseReleaseManifest(*manifestText);
    if (!manifest)
        return Refused(TUpdateFault::ufBadManifest);
    if (manifest->name != name || !SameProgramFile(own.fileName, manifest->name))
        return Refused(TUpdateFault::ufOtherProgram);
    if (!Newer(*manifest, own))
        return Refused(TUpdateFault::ufNotNewer);

    // QTemporaryDir makes the folder with mode 0700 and removes it again unless told otherwise.
    if (!QDir().mkpath(update.stagingParent))
        return Refused(TUpdateFault::ufStaging);
    QTemporaryDir staging(QDir(update.stagingParent).filePath(QStringLiteral("korvatel-update-")));
    if (!staging.isValid())
        return Refused(TUpdateFault::ufStaging);
    const QString path = staging.filePath(manifest->name);
    QFile program(path);
    if (!program.open(QIODevice::ReadWrite | QIODevice::NewOnly,
            QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return Refused(TUpdateFault::ufStaging);
    // A program is far larger than the answers before it: its own cap and a longer timeout.
    if (manifest->size > kProgramCap)
        return Refused(TUpdateFault::ufDownload);
    http.TotalTimeout = 30 * 60 * 1000;
    if (!Fetch(http, manifest->name, program, manifest->size) || !program.flush()
        || program.size() != manifest->size)
        return Refused(TUpdateFault::ufDownload);
    // The digest is taken from the file as it is open here, and the same open file is made
    // executable: nothing can be swapped in between.
    if (!program.seek(0))
        return Refused(TUpdateFault::ufDownload);
    const std::optional<QByteArray> digest = Sha256(program);
    if (!digest || *digest != manifest->sha256)
        return Refused(TUpdateFault::ufDigest);
    if (!program.setPermissions(
            QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner))
        return Refused(TUpdateFault::ufStaging);
    program.close();
    staging.setAutoRemove(false);
    return { TUpdateFault::ufNone, path };
}

} // namespace korvatel
