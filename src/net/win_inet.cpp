#include "net/win_inet.h"

#include "net/ftp_listing.h"
#include "text/cp932.h"
#include "text/key_file.h"
#include "text/sjis_file.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>
#include <QUrl>
#include <atomic>
#include <curl/curl.h>
#include <mutex>

namespace korvatel
{

namespace
{

std::atomic<int> gBufferNum { kDefaultBufferNum };
QString gBlockedDomain;
std::mutex gBlockedMutex;

const char kNotInitialised[] = "InternetComponentが初期化されていません。";
const char kNotConnected[] = "接続されていません。";
const char kConnectFailed[] = "ホスト接続の失敗。";
const char kCancelled[] = "ユーザーキャンセル";
const char kUploadError[] = "アップロード中にエラーが発生しました。";
const char kCannotWrite[] = "サーバーに書き込み出来ません。";
const char kDownloadError[] = "ダウンロード中にエラーが発生しました。";
const char kCannotAccess[] = "ファイルにアクセスできません。";
const char kUrlNotOpened[] = "URLを開けませんでした。";
const char kHttpNotInitialised[] = "WinInetが初期化されていません。";

// A listing or an HTTP answer larger than this is refused: no answer of the shop's servers
// comes near it, and a hostile one must not exhaust memory.
constexpr qsizetype kMaxAnswerSize = 64 * 1024 * 1024;

QString Text(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

void GlobalInit()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct TSlist {
    curl_slist *list = nullptr;
    ~TSlist() { curl_slist_free_all(list); }
    void Append(const QByteArray &line) { list = curl_slist_append(list, line.constData()); }
};

size_t DiscardBody(char *, size_t size, size_t count, void *)
{
    return size * count;
}

size_t CollectHeader(char *data, size_t size, size_t count, void *user)
{
    auto *replies = static_cast<QByteArray *>(user);
    if (replies->size() < 1024 * 1024)
        replies->append(data, qsizetype(size * count));
    return size * count;
}

size_t CollectBody(char *data, size_t size, size_t count, void *user)
{
    auto *body = static_cast<QByteArray *>(user);
    if (body->size() + qsizetype(size * count) > kMaxAnswerSize)
        return 0;
    body->append(data, qsizetype(size * count));
    return size * count;
}

// Lets the user interface process pending events, when there is one and this is its thread.
void PumpEvents()
{
    QCoreApplication *app = QCoreApplication::instance();
    if (app && QThread::currentThread() == app->thread())
        QCoreApplication::processEvents();
}

// The state of one chunked transfer: the chunk counter of the progress rule and the cancel
// flag set by a progress hook.
struct TTransfer {
    QIODevice *device = nullptr;
    qint64 total = -1;
    qint64 done = 0;
    int counter = 0;
    bool cancel = false;
    bool deviceError = false;
    std::function<void(qint64, qint64, bool &)> *progress = nullptr;

    // After each chunk: yield, count, and on every 17th chunk report progress; then let the
    // window process its events. The cancel flag is read by the caller after this.
    void AfterChunk()
    {
        QThread::yieldCurrentThread();
        if (counter >= 16) {
            counter = 0;
            if (progress && *progress)
                (*progress)(done, total, cancel);
        } else {
            ++counter;
        }
        PumpEvents();
    }
};

size_t ReadChunk(char *buffer, size_t size, size_t count, void *user)
{
    auto *t = static_cast<TTransfer *>(user);
    if (t->cancel)
        return CURL_READFUNC_ABORT;
    const qint64 want = std::min<qint64>(qint64(size * count), ChunkSize(BufferNum()));
    const qint64 got = t->device->read(buffer, want);
    if (got < 0) {
        t->deviceError = true;
        return CURL_READFUNC_ABORT;
    }
    if (got == 0)
        return 0;
    t->done += got;
    t->AfterChunk();
    return size_t(got);
}

size_t WriteChunk(char *data, size_t size, size_t count, void *user)
{
    auto *t = static_cast<TTransfer *>(user);
    const qint64 n = qint64(size * count);
    if (t->cancel)
        return 0;
    if (t->device->write(data, n) != n) {
        t->deviceError = true;
        return 0;
    }
    t->done += n;
    t->AfterChunk();
    return t->cancel ? 0 : size_t(n);
}

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

QString HostOfUrl(const QString &url)
{
    const QString rest = TWinInet::StripScheme(url);
    QString host = rest.section(u'/', 0, 0);
    host = host.section(u'@', -1);
    return host.section(u':', 0, 0);
}

} // namespace

EWinInetError::EWinInetError(const QString &text)
    : std::runtime_error(text.toStdString())
    , FText(text)
{
}

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

// The libcurl handles behind a component: one easy handle for the requests and a private multi
// handle that drives it (curl_easy_perform on a reused FTP connection sometimes waits a second
// before opening the data connection; the multi loop does not).
struct TWinInet::Impl {
    CURL *easy = nullptr;
    CURLM *multi = nullptr;
    QByteArray replies;
    long responseCode = 0;
    int stallMs = 0; // the receive timeout of the request being run

    ~Impl() { Release(); }
    void Release()
    {
        if (easy)
            curl_easy_cleanup(easy);
        if (multi)
            curl_multi_cleanup(multi);
        easy = nullptr;
        multi = nullptr;
    }
    bool Create()
    {
        GlobalInit();
        easy = curl_easy_init();
        multi = curl_multi_init();
        return easy && multi;
    }

    // Clears the options of the last request (the open connection stays) and sets those that
    // every request shares.
    void Prepare(const TWinInet &owner, const QString &url)
    {
        curl_easy_reset(easy);
        replies.clear();
        responseCode = 0;
        stallMs = owner.ReceiveTimeout;
        curl_easy_setopt(easy, CURLOPT_URL, url.toUtf8().constData());
        curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, long(owner.ConnectTimeout));
        const long stall = std::max(1L, long(owner.ReceiveTimeout / 1000));
        curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, stall);
        curl_easy_setopt(easy, CURLOPT_SERVER_RESPONSE_TIMEOUT, stall);
        curl_easy_setopt(easy, CURLOPT_USERAGENT, owner.Agent.toUtf8().constData());
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, DiscardBody);
        curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, CollectHeader);
        curl_easy_setopt(easy, CURLOPT_HEADERDATA, &replies);
        if (owner.UseProxy && !owner.Proxy.isEmpty()) {
            curl_easy_setopt(easy, CURLOPT_PROXY, owner.Proxy.toUtf8().constData());
            curl_easy_setopt(easy, CURLOPT_NOPROXY, "localhost,127.0.0.1,::1");
            curl_easy_setopt(easy, CURLOPT_HTTPPROXYTUNNEL, 1L);
        } else {
            curl_easy_setopt(easy, CURLOPT_PROXY, "");
        }
    }

    // Runs the prepared request. A request that moves no byte for the receive timeout ends as
    // timed out: libcurl's own low-speed check averages over some five seconds and would
    // notice a stalled server much later.
    CURLcode Perform()
    {
        curl_multi_add_handle(multi, easy);
        QElapsedTimer idle;
        idle.start();
        curl_off_t lastUp = -1;
        curl_off_t lastDown = -1;
        bool stalled = false;
        int running = 1;
        while (running) {
            if (curl_multi_perform(multi, &running) != CURLM_OK)
                break;
            if (!running)
                break;
            curl_off_t up = 0;
            curl_off_t down = 0;
            curl_easy_getinfo(easy, CURLINFO_SIZE_UPLOAD_T, &up);
            curl_easy_getinfo(easy, CURLINFO_SIZE_DOWNLOAD_T, &down);
            if (up != lastUp || down != lastDown) {
                lastUp = up;
                lastDown = down;
                idle.restart();
            } else if (stallMs > 0 && idle.elapsed() > stallMs) {
                stalled = true;
                break;
            }
            PumpEvents();
            if (curl_multi_poll(multi, nullptr, 0, 10, nullptr) != CURLM_OK)
                break;
        }
        CURLcode result = stalled ? CURLE_OPERATION_TIMEDOUT : CURLE_FAILED_INIT;
        int left = 0;
        while (CURLMsg *message = curl_multi_info_read(multi, &left)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == easy)
                result = message->data.result;
        }
        curl_multi_remove_handle(multi, easy);
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &responseCode);
        return result;
    }
};

TWinInet::TWinInet()
    : d(std::make_unique<Impl>())
{
}

TWinInet::~TWinInet()
{
    if (FOpened)
        Close();
}

QString TWinInet::StripScheme(const QString &host)
{
    const qsizetype at = host.indexOf(QLatin1String("://"));
    return at >= 0 ? host.mid(at + 3) : host;
}

bool TWinInet::Fail(const QString &text, bool raise)
{
    FLastError = text;
    if (raise)
        throw EWinInetError(text);
    return false;
}

void TWinInet::Pump()
{
    PumpEvents();
}

bool TWinInet::Open()
{
    if (OnBeforeOpen)
        OnBeforeOpen();
    d->Release();
    if (!d->Create()) {
        d->Release();
        return Fail(Text(kNotInitialised));
    }
    FOpened = true;
    return true;
}

void TWinInet::Close()
{
    if (FConnected)
        SetConnected(false);
    if (FOpened && OnBeforeClose)
        OnBeforeClose();
    d->Release();
    FOpened = false;
}

bool TWinInet::Reopen()
{
    if (FOpened)
        Close();
    return Open();
}

bool TWinInet::SetConnected(bool connected)
{
    if (connected) {
        if (FConnected)
            SetConnected(false);
        if (!FOpened)
            return Fail(Text(kNotInitialised));
        Host = StripScheme(Host);
        QThread::yieldCurrentThread();
        if (OnBeforeConnect)
            OnBeforeConnect();
        if (Offline || !DoConnect())
            return Fail(Text(kConnectFailed));
        FConnected = true;
        if (OnStateChange)
            OnStateChange(true);
        return true;
    }
    if (!FConnected)
        return true;
    if (OnBeforeDisconnect)
        OnBeforeDisconnect();
    DoDisconnect();
    FConnected = false;
    if (OnAfterDisconnect)
        OnAfterDisconnect();
    if (OnStateChange)
        OnStateChange(false);
    return true;
}

// ---- FTP

TWinFTP::TWinFTP()
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

void SetFtpOptions(CURL *easy, const TWinFTP &ftp)
{
    curl_easy_setopt(easy, CURLOPT_USERNAME, ToCp932(ftp.UserName).constData());
    curl_easy_setopt(easy, CURLOPT_PASSWORD, ToCp932(ftp.Password).constData());
    curl_easy_setopt(easy, CURLOPT_FTP_FILEMETHOD, long(CURLFTPMETHOD_NOCWD));
    if (ftp.Passive) {
        curl_easy_setopt(easy, CURLOPT_FTP_USE_EPSV, 1L);
    } else {
        curl_easy_setopt(easy, CURLOPT_FTPPORT, "-");
    }
}

} // namespace

bool TWinFTP::DoConnect()
{
    if (InBlockedServiceDomain(Host))
        return false;
    // Logging in once proves the host, the account and the password.
    d->Prepare(*this, FtpUrl(*this, {}, true));
    SetFtpOptions(d->easy, *this);
    curl_easy_setopt(d->easy, CURLOPT_NOBODY, 1L);
    FCurrentDir = QStringLiteral("/");
    return d->Perform() == CURLE_OK;
}

void TWinFTP::DoDisconnect()
{
    // Dropping the handles closes the cached connection; the root handle opens again at once.
    d->Release();
    d->Create();
}

bool TWinFTP::Login(const QString &host, const QString &user, const QString &password, bool raise)
{
    if (InBlockedServiceDomain(host))
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
    d->Prepare(*this, FtpUrl(*this, {}, true));
    SetFtpOptions(d->easy, *this);
    curl_easy_setopt(d->easy, CURLOPT_NOBODY, 1L);
    TSlist list;
    for (const QString &command : commands)
        list.Append(ToCp932(command));
    curl_easy_setopt(d->easy, CURLOPT_QUOTE, list.list);
    return d->Perform() == CURLE_OK;
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
        MakePath(Host, UserName, Password, QStringLiteral("777"), target);
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
    if (!FtpDirExists(Host, UserName, Password, target))
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
    d->Prepare(*this, FtpUrl(*this, AbsolutePath(path), false));
    SetFtpOptions(d->easy, *this);
    curl_easy_setopt(d->easy, CURLOPT_NOBODY, 1L);
    if (d->Perform() != CURLE_OK)
        return -1;
    curl_off_t size = -1;
    curl_easy_getinfo(d->easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &size);
    return size;
}

bool TWinFTP::ReadListing(const QString &dir, QList<TFtpEntry> &entries)
{
    QByteArray text;
    d->Prepare(*this, FtpUrl(*this, dir, true));
    SetFtpOptions(d->easy, *this);
    curl_easy_setopt(d->easy, CURLOPT_WRITEFUNCTION, CollectBody);
    curl_easy_setopt(d->easy, CURLOPT_WRITEDATA, &text);
    if (d->Perform() != CURLE_OK)
        return false;
    entries = ParseListing(text, QDateTime::currentDateTime());
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
    const QDateTime now = QDateTime::currentDateTime();
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
    transfer.total = stream.isSequential() ? -1 : stream.size();
    transfer.progress = &OnUploadProgress;
    if (OnUploadStart)
        OnUploadStart(transfer.total);

    d->Prepare(*this, FtpUrl(*this, target, false));
    SetFtpOptions(d->easy, *this);
    curl_easy_setopt(d->easy, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(d->easy, CURLOPT_READFUNCTION, ReadChunk);
    curl_easy_setopt(d->easy, CURLOPT_READDATA, &transfer);
    if (transfer.total >= 0)
        curl_easy_setopt(d->easy, CURLOPT_INFILESIZE_LARGE, curl_off_t(transfer.total));
    const CURLcode code = d->Perform();

    bool ok = code == CURLE_OK && !transfer.deviceError
        && (transfer.total < 0 || transfer.done == transfer.total);
    if (ok && OnUploadProgress) {
        bool ignored = false;
        OnUploadProgress(transfer.done, transfer.total, ignored);
    }
    if (OnUploadEnd)
        OnUploadEnd(ok ? 0 : int(code == CURLE_OK ? CURLE_SEND_ERROR : code));
    if (ok) {
        Chmod(target);
        return true;
    }
    if (transfer.cancel)
        return Fail(Text(kCancelled));
    const bool notOpened = code == CURLE_UPLOAD_FAILED || code == CURLE_REMOTE_ACCESS_DENIED
        || code == CURLE_REMOTE_FILE_NOT_FOUND || code == CURLE_QUOTE_ERROR;
    if (notOpened)
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

bool TWinFTP::GetStream(QIODevice &stream, const QString &remote, qint64 expectedSize)
{
    if (!CheckState())
        return false;
    const QString target = AbsolutePath(remote);
    qint64 size = expectedSize;
    if (OnDownloadProgress && size < 0)
        size = FtpRemoteSize(Host, UserName, Password, target);
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

    d->Prepare(*this, FtpUrl(*this, target, false));
    SetFtpOptions(d->easy, *this);
    curl_easy_setopt(d->easy, CURLOPT_BUFFERSIZE, long(ChunkSize(BufferNum())));
    curl_easy_setopt(d->easy, CURLOPT_WRITEFUNCTION, WriteChunk);
    curl_easy_setopt(d->easy, CURLOPT_WRITEDATA, &transfer);
    const CURLcode code = d->Perform();
    if (OnDownloadEnd)
        OnDownloadEnd();

    if (code == CURLE_OK && !transfer.deviceError) {
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
    if (transfer.cancel)
        return Fail(Text(kCancelled));
    if (code == CURLE_REMOTE_FILE_NOT_FOUND || code == CURLE_REMOTE_ACCESS_DENIED
        || code == CURLE_FTP_COULDNT_RETR_FILE)
        return Fail(Text(kCannotAccess));
    return Fail(Text(kDownloadError));
}

bool TWinFTP::GetFile(const QString &localFile, const QString &remote)
{
    QDir().mkpath(QFileInfo(localFile).absolutePath());
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    bool ok = false;
    try {
        ok = GetStream(buffer, remote) && WriteFileAtomic(localFile, bytes);
    } catch (const EWinInetError &) {
        QFile::remove(localFile);
        throw;
    }
    if (!ok)
        QFile::remove(localFile);
    return ok;
}

bool TWinFTP::GetStrings(QStringList &lines, const QString &remote)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!GetStream(buffer, remote))
        return false;
    lines = SplitLines(FromCp932(bytes));
    return true;
}

// ---- HTTP

TWinHTTP::TWinHTTP()
{
    Port = 80;
}

TWinHTTP::~TWinHTTP()
{
    if (Opened())
        Close();
}

QString TWinHTTP::FullUrl(const QString &url) const
{
    if (url.contains(QLatin1String("://")))
        return url;
    QString base = FBaseUrl;
    while (base.endsWith(u'/'))
        base.chop(1);
    return url.startsWith(u'/') ? base + url : base + u'/' + url;
}

bool TWinHTTP::Connect(const QString &baseUrl)
{
    if (InBlockedServiceDomain(baseUrl))
        return Fail(Text(kUrlNotOpened));
    if (!Opened() && !Open())
        return false;
    if (Connected())
        SetConnected(false);
    FBaseUrl = baseUrl;
    if (!FBaseUrl.contains(QLatin1String("://")))
        FBaseUrl.prepend(QStringLiteral("http://"));
    Host = FBaseUrl;
    return SetConnected(true);
}

bool TWinHTTP::DoConnect()
{
    const QUrl url(FBaseUrl);
    if (!url.isValid() || url.host().isEmpty())
        return false;
    // Only the connection is tried here: the host answers or the server is down.
    CURL *probe = curl_easy_init();
    if (!probe)
        return false;
    const QString target = url.scheme() + QStringLiteral("://") + url.host() + u':'
        + QString::number(url.port(url.scheme() == QLatin1String("https") ? 443 : Port)) + u'/';
    curl_easy_setopt(probe, CURLOPT_URL, target.toUtf8().constData());
    curl_easy_setopt(probe, CURLOPT_CONNECT_ONLY, 1L);
    curl_easy_setopt(probe, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(probe, CURLOPT_CONNECTTIMEOUT_MS, long(ConnectTimeout));
    if (UseProxy && !Proxy.isEmpty()) {
        curl_easy_setopt(probe, CURLOPT_PROXY, Proxy.toUtf8().constData());
        curl_easy_setopt(probe, CURLOPT_NOPROXY, "localhost,127.0.0.1,::1");
    } else {
        curl_easy_setopt(probe, CURLOPT_PROXY, "");
    }
    const CURLcode code = curl_easy_perform(probe);
    curl_easy_cleanup(probe);
    return code == CURLE_OK;
}

namespace
{

// What the header callback learns about an HTTP answer.
struct THttpHead {
    bool complete = false; // a final (2xx) header block has ended
    long status = 0;
    qint64 contentLength = -1;
    qint64 knownSize = -1;
    bool stopIfSize = false;
    bool sizeMatched = false;
    std::function<void(qint64)> *onStatus = nullptr;
};

size_t HttpHeader(char *data, size_t size, size_t count, void *user)
{
    auto *head = static_cast<THttpHead *>(user);
    const QByteArray line = QByteArray(data, qsizetype(size * count)).trimmed();
    if (line.startsWith("HTTP/")) {
        head->status = line.split(' ').value(1).toLong();
        head->contentLength = -1;
    } else if (line.toLower().startsWith("content-length:")) {
        bool ok = false;
        const qint64 length = line.mid(15).trimmed().toLongLong(&ok);
        head->contentLength = ok ? length : -1;
    } else if (line.isEmpty() && head->status >= 200 && head->status < 300) {
        head->complete = true;
        if (head->onStatus && *head->onStatus)
            (*head->onStatus)(head->contentLength);
        if (head->knownSize >= 0 && head->contentLength == head->knownSize) {
            head->sizeMatched = true;
            if (head->stopIfSize)
                return 0;
        }
    }
    return size * count;
}

} // namespace

bool TWinHTTP::GetUrl(QIODevice &stream, const QString &url, bool stopIfSize, qint64 knownSize)
{
    if (!Opened())
        return Fail(Text(kHttpNotInitialised), true);
    const QString full = FullUrl(url);
    if (InBlockedServiceDomain(full))
        return Fail(Text(kUrlNotOpened));
    if (OnRequestBegin)
        OnRequestBegin();

    THttpHead head;
    head.knownSize = knownSize;
    head.stopIfSize = stopIfSize;
    head.onStatus = &OnStatus;
    TTransfer transfer;
    transfer.device = &stream;
    transfer.progress = &OnProgress;

    d->Prepare(*this, full);
    TSlist headers;
    for (const QString &line :
        RequestHeader.split(QRegularExpression(QStringLiteral("[\r\n]+")), Qt::SkipEmptyParts))
        headers.Append(line.toUtf8());
    headers.Append("Cache-Control: no-cache");
    headers.Append("Pragma: no-cache");
    curl_easy_setopt(d->easy, CURLOPT_HTTPHEADER, headers.list);
    curl_easy_setopt(d->easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(d->easy, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(d->easy, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(d->easy, CURLOPT_HEADERFUNCTION, HttpHeader);
    curl_easy_setopt(d->easy, CURLOPT_HEADERDATA, &head);
    curl_easy_setopt(d->easy, CURLOPT_WRITEFUNCTION, WriteChunk);
    curl_easy_setopt(d->easy, CURLOPT_WRITEDATA, &transfer);
    const CURLcode code = d->Perform();
    transfer.total = head.contentLength;
    if (OnRequestEnd)
        OnRequestEnd();

    if (head.sizeMatched && (code == CURLE_OK || stopIfSize))
        return true;
    if (code == CURLE_OK && !transfer.deviceError)
        return true;
    if (transfer.cancel)
        return Fail(Text(kCancelled));
    if (!head.complete)
        return Fail(Text(kUrlNotOpened));
    return Fail(Text(kDownloadError), true);
}

std::optional<QByteArray> TWinHTTP::GetUrlBytes(const QString &url)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    try {
        if (!GetUrl(buffer, url))
            return std::nullopt;
    } catch (const EWinInetError &) {
        return std::nullopt;
    }
    return bytes;
}

bool TWinHTTP::GetUrlStrings(QStringList &lines, const QString &url)
{
    const std::optional<QByteArray> bytes = GetUrlBytes(url);
    if (!bytes)
        return false;
    lines = SplitLines(FromCp932(*bytes));
    return true;
}

bool TWinHTTP::GetUrlFile(const QString &localFile, const QString &url)
{
    const std::optional<QByteArray> bytes = GetUrlBytes(url);
    if (!bytes)
        return false;
    QDir().mkpath(QFileInfo(localFile).absolutePath());
    return WriteFileAtomic(localFile, *bytes);
}

bool TWinHTTP::PostForm(const QString &url, const QList<std::pair<QString, QString>> &fields,
    const QString &fileField, const QString &localFile, const QString &remoteName,
    QByteArray &answer)
{
    if (!Opened())
        return Fail(Text(kHttpNotInitialised), true);
    const QString full = FullUrl(url);
    if (InBlockedServiceDomain(full))
        return Fail(Text(kUrlNotOpened));
    d->Prepare(*this, full);
    curl_mime *mime = curl_mime_init(d->easy);
    for (const auto &[name, value] : fields) {
        curl_mimepart *part = curl_mime_addpart(mime);
        curl_mime_name(part, name.toUtf8().constData());
        const QByteArray bytes = ToCp932(value);
        curl_mime_data(part, bytes.constData(), size_t(bytes.size()));
    }
    if (!fileField.isEmpty()) {
        curl_mimepart *part = curl_mime_addpart(mime);
        curl_mime_name(part, fileField.toUtf8().constData());
        curl_mime_filedata(part, QFile::encodeName(localFile).constData());
        curl_mime_filename(part, ToCp932(remoteName).constData());
    }
    curl_easy_setopt(d->easy, CURLOPT_MIMEPOST, mime);
    curl_easy_setopt(d->easy, CURLOPT_FAILONERROR, 1L);
    answer.clear();
    curl_easy_setopt(d->easy, CURLOPT_WRITEFUNCTION, CollectBody);
    curl_easy_setopt(d->easy, CURLOPT_WRITEDATA, &answer);
    const CURLcode code = d->Perform();
    curl_easy_setopt(d->easy, CURLOPT_MIMEPOST, nullptr);
    curl_mime_free(mime);
    if (code != CURLE_OK)
        return Fail(Text(kUrlNotOpened));
    return true;
}

// ---- One-shot operations

namespace
{

// Opens a passive connection, runs op on it and closes it again; false when the login fails.
template <typename Result, typename Op>
Result OneShot(
    const QString &host, const QString &user, const QString &password, Result failed, Op op)
{
    TWinFTP ftp;
    ftp.Passive = true;
    if (!ftp.Login(host, user, password, false))
        return failed;
    Result result = op(ftp);
    ftp.Close();
    return result;
}

} // namespace

bool FtpDirExists(
    const QString &host, const QString &user, const QString &password, const QString &path)
{
    return OneShot(host, user, password, false,
        [&](TWinFTP &ftp) { return ftp.Command(QStringLiteral("CWD ") + ftp.AbsolutePath(path)); });
}

bool MakePath(const QString &host, const QString &user, const QString &password,
    const QString &mode, const QString &path)
{
    return OneShot(host, user, password, false, [&](TWinFTP &ftp) {
        ftp.ChmodMode = mode;
        const QString target = ftp.AbsolutePath(path);
        if (ftp.Quote({ QStringLiteral("MKD ") + target })) {
            ftp.Chmod(target);
        } else {
            // Walk up until a level can be entered, then make each missing level downwards.
            const QStringList parts = target.split(u'/', Qt::SkipEmptyParts);
            qsizetype level = parts.size() - 1;
            for (; level > 0; --level) {
                if (ftp.ChangeDir(u'/' + parts.mid(0, level).join(u'/')))
                    break;
            }
            for (qsizetype i = std::max<qsizetype>(level, 1); i <= parts.size(); ++i) {
                const QString dir = u'/' + parts.mid(0, i).join(u'/');
                if (ftp.ChangeDir(dir))
                    continue;
                if (ftp.Quote({ QStringLiteral("MKD ") + dir }))
                    ftp.Chmod(dir);
            }
        }
        return ftp.ChangeDir(target);
    });
}

bool FtpPutFileOnce(const QString &host, const QString &user, const QString &password,
    const QString &mode, const QString &remote, const QString &local)
{
    return OneShot(host, user, password, false, [&](TWinFTP &ftp) {
        ftp.ChmodMode = mode;
        return ftp.PutFile(local, remote);
    });
}

bool FtpPutTextOnce(const QString &host, const QString &user, const QString &password,
    const QString &mode, const QString &text, const QString &remote, const QString &tempDir)
{
    const QString temp
        = QDir(tempDir.isEmpty() ? QDir::tempPath() : tempDir).filePath(QStringLiteral("f_su"));
    if (!WriteFileAtomic(temp, ToCp932(text)))
        return false;
    const bool ok = FtpPutFileOnce(host, user, password, mode, remote, temp);
    QFile::remove(temp);
    return ok;
}

qint64 FtpRemoteSize(
    const QString &host, const QString &user, const QString &password, const QString &remote)
{
    return OneShot(
        host, user, password, qint64(-1), [&](TWinFTP &ftp) { return ftp.FileSize(remote); });
}

bool FtpRenameOnce(const QString &host, const QString &user, const QString &password,
    const QString &from, const QString &to)
{
    return OneShot(host, user, password, false, [&](TWinFTP &ftp) { return ftp.Rename(from, to); });
}

bool FtpDeleteOnce(
    const QString &host, const QString &user, const QString &password, const QString &remote)
{
    return OneShot(host, user, password, false, [&](TWinFTP &ftp) {
        ftp.OnDeleteFailed = [](const QString &) {};
        return ftp.DeleteFile(remote);
    });
}

bool Chmod(const QString &host, const QString &user, const QString &password, const QString &mode,
    const QString &path)
{
    return OneShot(host, user, password, false,
        [&](TWinFTP &ftp) { return ftp.Command(ChmodCommand(QStringLiteral("/"), path, mode)); });
}

QString ChmodCommand(const QString &dir, const QString &path, const QString &mode)
{
    QString target = path.startsWith(u'/') ? path : dir + u'/' + path.section(u'/', -1);
    while (target.contains(QLatin1String("//")))
        target.replace(QLatin1String("//"), QLatin1String("/"));
    return QStringLiteral("SITE CHMOD ") + mode + u' ' + target;
}

QString FormatFileTime(const QDateTime &fileTime, bool dropYear, const QDateTime &now)
{
    QString text = QStringLiteral("0000/00/00 00:00:00");
    if (fileTime.isValid()) {
        QDate date = fileTime.date();
        const QTime time = fileTime.time();
        const QDate today = now.date();
        const QDate yesterday = today.addDays(-1);
        const auto sameDay = [&date](const QDate &other) {
            return date.month() == other.month() && date.day() == other.day();
        };
        if (time != QTime(0, 0) && date.year() == today.year() - 1
            && (sameDay(today) || sameDay(yesterday))) {
            const QDate &match = sameDay(today) ? today : yesterday;
            date = QDate(match.year(), match.month(), match.day());
        }
        text = QString::asprintf("%.4d/%.2d/%.2d %.2d:%.2d:%.2d", date.year(), date.month(),
            date.day(), time.hour(), time.minute(), time.second());
    }
    return dropYear ? text.mid(5) : text;
}

QString SizeTimeMarker(const TFtpEntry &entry, const QDateTime &now)
{
    return QStringLiteral("**Time") + FormatFileTime(entry.lastWrite, false, now)
        + QString::asprintf("**Size%.9lld**", static_cast<long long>(entry.size));
}

} // namespace korvatel
