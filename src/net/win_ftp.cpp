#include "net/curl_session.h"
#include "net/ftp_listing.h"
#include "net/win_inet.h"
#include "text/cp932.h"
#include "text/sjis_file.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

namespace korvatel
{

namespace
{

// A listing larger than this is refused: no folder of the shop's server comes near it, and a
// hostile answer must not exhaust memory.
constexpr qint64 kListingCap = 64 * 1024 * 1024;

// "ftp://host:21" style authority from a host text that may carry a scheme and a port.
QString Authority(const QString &host, quint16 defaultPort)
{
    QString h = TWinInet::StripScheme(host);
    const qsizetype slash = h.indexOf(u'/');
    if (slash >= 0)
        h.truncate(slash);
    if (!h.contains(u':'))
        h += u':' + QString::number(defaultPort);
    return h;
}

QString NormalisePath(QString path)
{
    path.replace(QRegularExpression(QStringLiteral("/{2,}")), QStringLiteral("/"));
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    return path;
}

// A line break inside a command would end it and start another of the caller's choosing (a
// path "a\r\nDELE b" deleting b): such a command is never sent.
bool SendableCommand(const QString &command)
{
    return !command.contains(u'\r') && !command.contains(u'\n') && !command.contains(QChar(0));
}

} // namespace

TWinFTP::TWinFTP(const TTransportSettings &transport)
    : TWinInet(transport)
    , ChmodMode(transport.chmodMode)
{
    Port = 21;
}

TWinFTP::~TWinFTP()
{
    if (Opened())
        Close();
}

namespace
{

QString FtpUrl(const TWinFTP &ftp, const QString &absolutePath, bool directory)
{
    QString url = QStringLiteral("ftp://") + Authority(ftp.Host, ftp.Port) + u'/';
    if (absolutePath.isEmpty())
        return url;
    // "%2F" makes the path absolute from the server's root instead of the login folder's
    // current directory, which the CWD checks change.
    QString path = absolutePath.mid(1);
    url += QStringLiteral("%2F") + QString::fromLatin1(ToCp932(path).toPercentEncoding("/"));
    if (directory && !url.endsWith(u'/'))
        url += u'/';
    return url;
}

// The host for a one-shot connection of its own: with "ftps://" when this session uses TLS, so
// that the second connection never falls back to clear text.
QString SchemedHost(const TWinFTP &ftp)
{
    return ftp.RequireTls ? QStringLiteral("ftps://") + ftp.Host : ftp.Host;
}

// Prepares a request to url with the account and data connection mode of ftp.
void PrepareFtp(TCurlSession &session, const TWinFTP &ftp, const QString &url)
{
    session.Prepare(ftp, url);
    session.SetFtpAccount(ToCp932(ftp.UserName), ToCp932(ftp.Password), ftp.Passive);
}

} // namespace

bool TWinFTP::DoConnect()
{
    if (Transport().Blocks(Host))
        return false;
    // Logging in once proves the host, the account and the password.
    PrepareFtp(d->session, *this, FtpUrl(*this, {}, true));
    d->session.SetNoBody();
    FCurrentDir = QStringLiteral("/");
    return d->session.Perform().Ok();
}

void TWinFTP::DoDisconnect()
{
    // Dropping the handles closes the cached connection; the root handle opens again at once.
    d->session.Release();
    d->session.Create();
}

bool TWinFTP::Login(const QString &host, const QString &user, const QString &password, bool raise)
{
    if (Transport().Blocks(host))
        return false;
    if (!Reopen())
        return false;
    Host = host;
    UserName = user;
    Password = password;
    Mess = raise;
    return SetConnected(true);
}

bool TWinFTP::LoginRecord(const THostRecord &record, bool raise)
{
    return Login(record.host, record.user, record.password, raise);
}

bool TWinFTP::CheckState()
{
    if (!Opened())
        return Fail(Text(kNotInitialised));
    if (!Connected())
        return Fail(Text(kNotConnected));
    return true;
}

QString TWinFTP::AbsolutePath(const QString &path) const
{
    if (path.startsWith(u'/'))
        return NormalisePath(path);
    return NormalisePath(FCurrentDir + u'/' + path);
}

bool TWinFTP::Quote(const QStringList &commands)
{
    if (!std::all_of(commands.begin(), commands.end(), SendableCommand))
        return Fail(Text(kCannotAccess));
    PrepareFtp(d->session, *this, FtpUrl(*this, {}, true));
    d->session.SetNoBody();
    QList<QByteArray> lines;
    for (const QString &command : commands)
        lines << ToCp932(command);
    d->session.SetQuote(lines);
    return d->session.Perform().Ok();
}

bool TWinFTP::Command(const QString &command)
{
    if (!CheckState())
        return false;
    return Quote({ command });
}

bool TWinFTP::ChangeDir(const QString &path)
{
    return Quote({ QStringLiteral("CWD ") + path });
}

bool TWinFTP::Chmod(const QString &path)
{
    if (ChmodMode.isEmpty())
        return true;
    return Quote({ ChmodCommand(FCurrentDir, path, ChmodMode) });
}

bool TWinFTP::SetDir(const QString &path, bool create)
{
    if (!path.startsWith(u'/')) {
        Fail(QStringLiteral("FullPathじゃないです。") + path, true);
        return false;
    }
    if (!CheckState())
        return false;
    const QString target = NormalisePath(path);
    bool changed = ChangeDir(target);
    if (!changed && create) {
        MakePath(Transport(), SchemedHost(*this), UserName, Password, ChmodMode, target);
        changed = ChangeDir(target);
    }
    if (!changed)
        return Fail(QStringLiteral("カレントディレクトリを設定できません"));
    FCurrentDir = target;
    if (OnDirChanged)
        OnDirChanged(FCurrentDir);
    return true;
}

QString TWinFTP::GetDir()
{
    if (!CheckState())
        return {};
    return FCurrentDir;
}

bool TWinFTP::DirExists(const QString &path, bool enter)
{
    if (!CheckState())
        return false;
    const QString target = AbsolutePath(path);
    if (!FtpDirExists(Transport(), SchemedHost(*this), UserName, Password, target))
        return false;
    return !enter || SetDir(target, false);
}

bool TWinFTP::MakeDir(const QString &path)
{
    if (!CheckState())
        return false;
    const QString target = AbsolutePath(path);
    if (ChangeDir(target))
        return true;
    if (!Quote({ QStringLiteral("MKD ") + target }))
        return Fail(QStringLiteral("ディレクトリを作成できません。"));
    Chmod(target);
    return true;
}

bool TWinFTP::RemoveDir(const QString &path)
{
    if (!CheckState())
        return false;
    if (!Quote({ QStringLiteral("RMD ") + AbsolutePath(path) }))
        return Fail(QStringLiteral("ディレクトリを削除できません。"));
    return true;
}

bool TWinFTP::DeleteFile(const QString &path)
{
    if (!CheckState())
        return false;
    const QString target = AbsolutePath(path);
    if (!Quote({ QStringLiteral("DELE ") + target })) {
        const QString text = QStringLiteral("ファイルを削除できません。");
        if (OnDeleteFailed) {
            Fail(text, false);
            OnDeleteFailed(text);
            return false;
        }
        return Fail(text);
    }
    if (OnFileDeleted)
        OnFileDeleted(target);
    return true;
}

bool TWinFTP::Rename(const QString &from, const QString &to)
{
    if (!CheckState())
        return false;
    return Quote({ QStringLiteral("RNFR ") + AbsolutePath(from),
        QStringLiteral("RNTO ") + AbsolutePath(to) });
}

qint64 TWinFTP::FileSize(const QString &path)
{
    if (!CheckState())
        return -1;
    PrepareFtp(d->session, *this, FtpUrl(*this, AbsolutePath(path), false));
    d->session.SetNoBody();
    if (!d->session.Perform().Ok())
        return -1;
    return d->session.ContentLength();
}

bool TWinFTP::ReadListing(const QString &dir, QList<TFtpEntry> &entries)
{
    QByteArray text;
    PrepareFtp(d->session, *this, FtpUrl(*this, dir, true));
    d->session.SetCollect(text, kListingCap);
    if (!d->session.Perform().Ok())
        return false;
    entries = ParseListing(text, Clock->Now());
    return true;
}

namespace
{

// The listing of dir filtered by a pattern whose last part may hold wildcards.
struct TPatternSplit {
    QString dir;
    QRegularExpression match;
};

TPatternSplit SplitPattern(const TWinFTP &ftp, const QString &dir, const QString &pattern)
{
    TPatternSplit split { dir, {} };
    QString namePattern = pattern;
    if (pattern.contains(u'/')) {
        split.dir = ftp.AbsolutePath(pattern.section(u'/', 0, -2).isEmpty()
                ? QStringLiteral("/")
                : pattern.section(u'/', 0, -2));
        namePattern = pattern.section(u'/', -1);
    }
    if (namePattern.isEmpty())
        namePattern = QStringLiteral("*");
    split.match = QRegularExpression(QRegularExpression::wildcardToRegularExpression(namePattern),
        QRegularExpression::CaseInsensitiveOption);
    return split;
}

} // namespace

bool TWinFTP::List(
    QStringList &dirs, QStringList &files, bool withSize, bool raise, const QString &pattern)
{
    if (!CheckState())
        return false;
    const QString noMatch
        = QStringLiteral("ファイルを検索できません。またはファイルが見つかりませんでした。");
    const TPatternSplit split = SplitPattern(*this, FCurrentDir, pattern);
    QList<TFtpEntry> entries;
    if (!ReadListing(split.dir, entries))
        return Fail(noMatch, raise);
    int found = 0;
    for (const TFtpEntry &entry : entries) {
        if (!split.match.match(entry.name).hasMatch())
            continue;
        ++found;
        bool stop = false;
        if (OnEntryFound)
            OnEntryFound(entry, stop);
        if (stop)
            return false;
        if (entry.isDir)
            dirs.append(entry.name);
        else
            files.append(withSize
                    ? entry.name + QStringLiteral("**Size") + QString::number(entry.size)
                    : entry.name);
    }
    if (found == 0)
        return Fail(noMatch, raise);
    return true;
}

int TWinFTP::ListMarked(QStringList &list, const QString &pattern, bool withMarker, bool dirsToo,
    bool dirsAsObjects, bool raise, QList<bool> *isDir)
{
    if (!CheckState())
        return -1;
    const QString noMatch
        = QStringLiteral("ファイルを検索できません。またはファイルが見つかりませんでした。");
    const TPatternSplit split = SplitPattern(*this, FCurrentDir, pattern);
    QList<TFtpEntry> entries;
    if (!ReadListing(split.dir, entries)) {
        Fail(noMatch, raise);
        return -1;
    }
    int count = 0;
    int found = 0;
    const QDateTime now = Clock->Now();
    for (const TFtpEntry &entry : entries) {
        if (!split.match.match(entry.name).hasMatch())
            continue;
        ++found;
        bool stop = false;
        if (OnEntryFound)
            OnEntryFound(entry, stop);
        if (stop)
            return -1;
        if (entry.isDir && !dirsToo)
            continue;
        list.append(
            withMarker && !entry.isDir ? entry.name + SizeTimeMarker(entry, now) : entry.name);
        if (dirsAsObjects && isDir)
            isDir->append(entry.isDir);
        ++count;
    }
    if (found == 0) {
        Fail(noMatch, raise);
        return -1;
    }
    return count;
}

int TWinFTP::DeleteTree(const QString &path, bool recursive, bool removeSelf)
{
    if (!CheckState())
        return removeSelf ? -1 : 0;
    const bool mess = Mess;
    Mess = false;
    const QString dir = AbsolutePath(path);
    int count = 0;
    QList<TFtpEntry> entries;
    if (ReadListing(dir, entries)) {
        for (const TFtpEntry &entry : entries) {
            const QString child = NormalisePath(dir + u'/' + entry.name);
            if (entry.isDir) {
                if (recursive) {
                    const int inner = DeleteTree(child, true, false);
                    count += std::max(inner, 0);
                    RemoveDir(child);
                }
            } else if (DeleteFile(child)) {
                ++count;
            }
        }
    }
    Mess = mess;
    if (removeSelf)
        return RemoveDir(dir) ? 1 : -1;
    return count;
}

bool TWinFTP::PutStream(QIODevice &stream, const QString &remote)
{
    if (!CheckState())
        return false;
    const QString target = AbsolutePath(remote);
    if (!stream.isSequential())
        stream.seek(0);
    TTransfer transfer;
    transfer.device = &stream;
    transfer.buffer = Buffer;
    transfer.total = stream.isSequential() ? -1 : stream.size();
    transfer.progress = &OnUploadProgress;
    if (OnUploadStart)
        OnUploadStart(transfer.total);

    PrepareFtp(d->session, *this, FtpUrl(*this, target, false));
    d->session.SetUpload(transfer);
    // The mode is set right after the file, in the same request: a request of its own per file
    // costs more than a small photo's transfer.
    const QString chmod
        = ChmodMode.isEmpty() ? QString() : ChmodCommand(FCurrentDir, target, ChmodMode);
    const bool chmodAfter = !chmod.isEmpty() && SendableCommand(chmod);
    if (chmodAfter)
        d->session.SetPostQuoteIgnoringFailure(ToCp932(chmod));
    const TCurlResult result = d->session.Perform();

    bool ok = result.Ok() && !transfer.deviceError
        && (transfer.total < 0 || transfer.done == transfer.total);
    if (ok && OnUploadProgress) {
        bool ignored = false;
        OnUploadProgress(transfer.done, transfer.total, ignored);
    }
    if (OnUploadEnd)
        OnUploadEnd(ok ? 0 : result.UploadEndCode());
    if (ok) {
        if (!chmodAfter)
            Chmod(target);
        return true;
    }
    if (transfer.cancel || TransferStopped())
        return Fail(Text(kCancelled));
    if (result.WriteRefused())
        return Fail(Text(kCannotWrite));
    Fail(Text(kUploadError), false);
    if (OnUploadFailed)
        OnUploadFailed(LastError());
    return Fail(Text(kUploadError));
}

bool TWinFTP::PutFile(const QString &localFile, const QString &remote)
{
    QFile file(localFile);
    if (!file.open(QIODevice::ReadOnly))
        return Fail(Text(kUploadError));
    return PutStream(file, remote);
}

bool TWinFTP::PutText(const QStringList &lines, const QString &remote)
{
    return PutText(JoinLines(lines), remote);
}

bool TWinFTP::PutText(const QString &text, const QString &remote)
{
    QByteArray bytes = ToCp932(text);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return PutStream(buffer, remote);
}

bool TWinFTP::GetStream(
    QIODevice &stream, const QString &remote, qint64 expectedSize, qint64 maxSize)
{
    if (!CheckState())
        return false;
    const QString target = AbsolutePath(remote);
    qint64 size = expectedSize;
    if (OnDownloadProgress && size < 0)
        size = FtpRemoteSize(Transport(), SchemedHost(*this), UserName, Password, target);
    if (OnDownloadStart)
        OnDownloadStart(size);
    if (OnDownloadBegin)
        OnDownloadBegin();

    const QString lower = target.toLower();
    const bool filtered = TextFilter
        && (lower.endsWith(QLatin1String(".mes")) || lower.endsWith(QLatin1String(".etr")));
    QByteArray held;
    QBuffer holder(&held);
    holder.open(QIODevice::WriteOnly);
    TTransfer transfer;
    transfer.device = filtered ? static_cast<QIODevice *>(&holder) : &stream;
    transfer.total = size;
    transfer.progress = &OnDownloadProgress;
    transfer.limit = maxSize;

    PrepareFtp(d->session, *this, FtpUrl(*this, target, false));
    d->session.SetDownload(transfer, long(Buffer.ChunkSize()));
    const TCurlResult result = d->session.Perform();
    if (OnDownloadEnd)
        OnDownloadEnd();

    if (result.Ok() && !transfer.deviceError) {
        if (OnDownloadProgress) {
            bool ignored = false;
            OnDownloadProgress(transfer.done, transfer.total, ignored);
        }
        if (filtered) {
            QStringList lines = SplitLines(FromCp932(held));
            TextFilter(lines);
            const QByteArray bytes = ToCp932(JoinLines(lines));
            if (stream.write(bytes) != bytes.size())
                return Fail(Text(kDownloadError));
        }
        return true;
    }
    if (transfer.cancel || TransferStopped())
        return Fail(Text(kCancelled));
    if (transfer.tooLarge)
        return Fail(Text(kDownloadError));
    if (result.ReadRefused())
        return Fail(Text(kCannotAccess));
    return Fail(Text(kDownloadError));
}

bool TWinFTP::GetFile(const QString &localFile, const QString &remote, qint64 maxSize)
{
    QDir().mkpath(QFileInfo(localFile).absolutePath());
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    bool ok = false;
    try {
        ok = GetStream(buffer, remote, -1, maxSize) && WriteFileAtomic(localFile, bytes);
    } catch (const EWinInetError &) {
        QFile::remove(localFile);
        throw;
    }
    if (!ok)
        QFile::remove(localFile);
    return ok;
}

bool TWinFTP::GetStrings(QStringList &lines, const QString &remote, qint64 maxSize)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!GetStream(buffer, remote, -1, maxSize))
        return false;
    std::optional<QStringList> read = SjisLines(bytes);
    if (!read)
        return Fail(Text(kDownloadError));
    lines = std::move(*read);
    return true;
}

} // namespace korvatel
