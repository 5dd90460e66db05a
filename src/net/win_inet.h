#pragma once

#include "net/transfer_settings.h"
#include "platform/clock.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>

class QIODevice;

namespace korvatel
{

// The failure of a transport operation, raised when the component's Mess is on (or where an
// operation always raises). Text() is the system's error text.
class EWinInetError : public std::runtime_error
{
public:
    explicit EWinInetError(const QString &text);
    QString Text() const { return FText; }

private:
    QString FText;
};

// The most bytes one HTTP download may bring, by use. An answer over its cap is cut while it
// arrives (a declared length over it is refused before the body) and the download fails.
inline constexpr qint64 kSwitchFileCap = 64 * 1024; // the shop's switch files ("Camp.on")
inline constexpr qint64 kTextAnswerCap = 4 * 1024 * 1024; // scripts' answers, lookups
// The most an FTP download may bring when its caller names no cap: downloads are held in memory.
inline constexpr qint64 kFtpDownloadCap = 64 * 1024 * 1024;
inline constexpr qint64 kShopDataCap = 16 * 1024 * 1024; // the shop data container
inline constexpr qint64 kProgramCap = 400 * 1024 * 1024; // a new version of the program

// The connection data of one FTP server.
struct THostRecord {
    QString host; // may carry a port ("ftp.example.jp:2121") and a leading "ftp://"
    QString user;
    QString password;
    QString homeDir;
    QString baseDir;
};

// The base of the transport's components: one root handle (opened, possibly through a proxy)
// and one connection to a host. Every failure keeps its text as LastError() and is raised as
// EWinInetError when Mess is on; otherwise the operation returns false. The transport settings
// (certificate authorities, blocked domain, FTP TLS, chmod mode) are the creator's, fixed for
// the component's life.
class TWinInet
{
public:
    // A TWinFTP or TWinHTTP made without settings trusts the system's certificate authorities,
    // blocks the maker's hosting domain and demands TLS only of an "ftps://" host.
    explicit TWinInet(const TTransportSettings &transport);
    virtual ~TWinInet();
    TWinInet(const TWinInet &) = delete;
    TWinInet &operator=(const TWinInet &) = delete;

    bool Mess = false;
    bool UseProxy = false;
    QString Proxy; // "host:port"; local addresses bypass it
    QString Agent = QStringLiteral("KorvCtrl");
    QString Host; // a leading scheme name with "://" is removed before connecting
    quint16 Port = 0;
    bool Offline = false;
    // Only HTTPS, for the request and for every redirect it follows; a plain http:// address
    // fails.
    bool HttpsOnly = false;
    // FTP: TLS for the whole session, commands and data ("AUTH TLS", "PROT P"); a server that
    // cannot do it fails the login, nothing goes in clear text. Set by an "ftps://" host and by
    // the transport settings' ftpTls.
    bool RequireTls = false;
    // The clock that dates the entries of listings; tests hand in a fixed one.
    const TClock *Clock = &SystemClock();

    // Timeouts in milliseconds, taken from the root handle when it opens; the receive timeout
    // also ends a transfer that moves no data for that long.
    int ConnectTimeout = 30000;
    int ConnectRetries = 1;
    int SendTimeout = 60000;
    int ReceiveTimeout = 60000;

    std::function<void()> OnBeforeOpen, OnBeforeClose, OnBeforeConnect, OnBeforeDisconnect,
        OnAfterDisconnect;
    std::function<void(bool connected)> OnStateChange;

    bool Open();
    void Close();
    bool Reopen();
    bool SetConnected(bool connected);

    bool Opened() const { return FOpened; }
    bool Connected() const { return FConnected; }
    QString LastError() const { return FLastError; }
    const TTransportSettings &Transport() const { return FTransport; }

    // The host without a leading scheme name ("ftp://", "http://").
    static QString StripScheme(const QString &host);

protected:
    // Stores text as the last error; raises when raise is set, else returns false.
    bool Fail(const QString &text, bool raise);
    bool Fail(const QString &text) { return Fail(text, Mess); }
    // Connects to Host (the connection of the derived protocol); false on failure.
    virtual bool DoConnect() = 0;
    virtual void DoDisconnect() { }

    struct Impl;
    std::unique_ptr<Impl> d;

private:
    TTransportSettings FTransport;
    bool FOpened = false;
    bool FConnected = false;
    QString FLastError;
};

// One entry of a directory listing.
struct TFtpEntry {
    QString name;
    bool isDir = false;
    qint64 size = 0;
    QDateTime lastWrite; // local time; invalid when the listing gave none
};

// An FTP client. Paths are absolute from the login folder ("/orders/a.jpg"); a name without a
// leading "/" lies in the current directory set by SetDir. File names travel as Shift-JIS bytes.
class TWinFTP : public TWinInet
{
public:
    explicit TWinFTP(const TTransportSettings &transport = {});
    ~TWinFTP() override;

    QString UserName;
    QString Password;
    bool Passive = true;
    QString ChmodMode; // the transport settings' mode; empty: no chmod after uploads, new folders
    // The buffer setting, read after every chunk; a send hands in its own so that its window
    // can change it while the transfer runs.
    TTransferBuffer Buffer;

    std::function<void(const QString &dir)> OnDirChanged;
    // Each entry found by a listing; setting stop ends the listing, which then fails.
    std::function<void(const TFtpEntry &entry, bool &stop)> OnEntryFound;
    std::function<void(qint64 size)> OnUploadStart;
    std::function<void(qint64 done, qint64 total, bool &cancel)> OnUploadProgress;
    std::function<void(int result)> OnUploadEnd; // 0 success, else the curl code
    std::function<void(const QString &text)> OnUploadFailed;
    std::function<void(qint64 size)> OnDownloadStart;
    std::function<void()> OnDownloadBegin, OnDownloadEnd;
    std::function<void(qint64 done, qint64 total, bool &cancel)> OnDownloadProgress;
    std::function<void(const QString &path)> OnFileDeleted;
    std::function<void(const QString &text)> OnDeleteFailed;
    // Receives the lines of a downloaded ".mes" or ".etr" file and may change them.
    std::function<void(QStringList &lines)> TextFilter;

    // Connects and logs in; false (with nothing tried) for a host in the blocked domain.
    bool Login(const QString &host, const QString &user, const QString &password, bool raise);
    bool LoginRecord(const THostRecord &record, bool raise);

    bool SetDir(const QString &path, bool create);
    QString GetDir();
    bool DirExists(const QString &path, bool enter);
    bool MakeDir(const QString &path);
    bool RemoveDir(const QString &path);
    bool DeleteFile(const QString &path);
    bool Rename(const QString &from, const QString &to);
    // Sends one raw FTP command on this connection ("SITE CHMOD 777 /a"); true on a positive
    // reply.
    bool Command(const QString &command);
    // The size of a remote file on this connection; -1 when it is missing.
    qint64 FileSize(const QString &path);

    // Lists the current directory (or the entries matching pattern, "*" and "?" as wildcards).
    bool List(QStringList &dirs, QStringList &files, bool withSize, bool raise,
        const QString &pattern = {});
    // Count of entries, or -1. withMarker follows each file name with its size-and-time
    // marker; dirsToo lists directories as well; with dirsAsObjects their flags go to isDir
    // (true for a directory), parallel to list.
    int ListMarked(QStringList &list, const QString &pattern, bool withMarker, bool dirsToo,
        bool dirsAsObjects, bool raise, QList<bool> *isDir = nullptr);
    // Deletes the files of path (and its subdirectories when recursive); returns their count,
    // or with removeSelf 1 when path itself was removed and -1 when not.
    int DeleteTree(const QString &path, bool recursive, bool removeSelf);

    bool PutStream(QIODevice &stream, const QString &remote);
    bool PutFile(const QString &localFile, const QString &remote);
    bool PutText(const QStringList &lines, const QString &remote);
    bool PutText(const QString &text, const QString &remote);

    // Downloads take at most maxSize bytes: a file beyond it is cut off and the download fails
    // (the text of a failed download), so a hostile server cannot fill the memory.
    bool GetStream(QIODevice &stream, const QString &remote, qint64 expectedSize = -1,
        qint64 maxSize = kFtpDownloadCap);
    bool GetFile(const QString &localFile, const QString &remote, qint64 maxSize = kFtpDownloadCap);
    bool GetStrings(QStringList &lines, const QString &remote, qint64 maxSize = kTextAnswerCap);

    // The absolute form of a remote path: as it is when it starts with "/", else under the
    // current directory.
    QString AbsolutePath(const QString &path) const;

protected:
    bool DoConnect() override;
    void DoDisconnect() override;

private:
    bool CheckState();
    bool Quote(const QStringList &commands);
    friend bool MakePath(const TTransportSettings &, const QString &, const QString &,
        const QString &, const QString &, const QString &);
    bool ChangeDir(const QString &path);
    bool Chmod(const QString &path);
    bool ReadListing(const QString &dir, QList<TFtpEntry> &entries);

    QString FCurrentDir = QStringLiteral("/");
};

// An HTTP client for fetching URLs.
class TWinHTTP : public TWinInet
{
public:
    explicit TWinHTTP(const TTransportSettings &transport = {});
    ~TWinHTTP() override;

    QString RequestHeader; // lines "Name: value", sent with every request
    // The cap of each answer (see kTextAnswerCap), and the longest a request may take in all
    // in milliseconds (0: no limit). A form that carries a file is an upload: only the
    // receive timeout watches it.
    qint64 MaxSize = kTextAnswerCap;
    int TotalTimeout = 120000;

    std::function<void(qint64 contentLength)> OnStatus;
    std::function<void()> OnRequestBegin, OnRequestEnd;
    std::function<void(qint64 done, qint64 total, bool &cancel)> OnProgress;

    // Connects to the host of baseUrl; refuses URLs of the blocked domain.
    bool Connect(const QString &baseUrl);
    // Fetches url (absolute, or relative to the connected base) into stream, never from a
    // cache. With knownSize >= 0 equal to the content length the result is true at once, and
    // with stopIfSize nothing is read. Failures: "URLを開けませんでした。" (raised when Mess);
    // a read error raises always.
    bool GetUrl(
        QIODevice &stream, const QString &url, bool stopIfSize = false, qint64 knownSize = -1);
    // The answer as Shift-JIS lines (refused over kMaxTextLines), or streamed into a local file
    // that appears only when the whole answer arrived; every error becomes false.
    bool GetUrlStrings(QStringList &lines, const QString &url);
    bool GetUrlFile(const QString &localFile, const QString &url);
    // Posts a multipart form (text fields and one file) to url; the answer goes to answer.
    bool PostForm(const QString &url, const QList<std::pair<QString, QString>> &fields,
        const QString &fileField, const QString &localFile, const QString &remoteName,
        QByteArray &answer);

    QString BaseUrl() const { return FBaseUrl; }
    // The answer's bytes; nullopt on any error.
    std::optional<QByteArray> GetUrlBytes(const QString &url);
    // The full URL of url: as it is when it has a scheme, else appended to the base.
    QString FullUrl(const QString &url) const;

protected:
    bool DoConnect() override;

private:
    QString FBaseUrl;
};

// One-shot FTP operations: each opens a connection (passive mode) with the given transport
// settings, does one thing and closes.
bool FtpDirExists(const TTransportSettings &transport, const QString &host, const QString &user,
    const QString &password, const QString &path);
bool MakePath(const TTransportSettings &transport, const QString &host, const QString &user,
    const QString &password, const QString &mode, const QString &path);
bool FtpPutFileOnce(const TTransportSettings &transport, const QString &host, const QString &user,
    const QString &password, const QString &mode, const QString &remote, const QString &local);
bool FtpPutTextOnce(const TTransportSettings &transport, const QString &host, const QString &user,
    const QString &password, const QString &mode, const QString &text, const QString &remote,
    const QString &tempDir = {});
qint64 FtpRemoteSize(const TTransportSettings &transport, const QString &host, const QString &user,
    const QString &password, const QString &remote);
bool FtpRenameOnce(const TTransportSettings &transport, const QString &host, const QString &user,
    const QString &password, const QString &from, const QString &to);
bool FtpDeleteOnce(const TTransportSettings &transport, const QString &host, const QString &user,
    const QString &password, const QString &remote);
bool Chmod(const TTransportSettings &transport, const QString &host, const QString &user,
    const QString &password, const QString &mode, const QString &path);

// "SITE CHMOD " + mode + " " + target: path when it starts with "/", else dir + "/" + the
// path's last part; every "//" becomes "/".
QString ChmodCommand(const QString &dir, const QString &path, const QString &mode);

// "yyyy/mm/dd hh:nn:ss" of a file time, or "0000/00/00 00:00:00" when it is invalid. A time of
// day other than midnight on today's or yesterday's month and day, dated one year back, is
// moved into the current year (listings that omit the year). dropYear removes "yyyy/".
QString FormatFileTime(const QDateTime &fileTime, bool dropYear, const QDateTime &now);
// The size-and-time marker of a listed file: "**Time<time>**Size<9 digits>**".
QString SizeTimeMarker(const TFtpEntry &entry, const QDateTime &now);

} // namespace korvatel
