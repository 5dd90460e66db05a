#include "net/curl_session.h"

#include "net/smtp_transport.h"
#include "net/transfer_settings.h"
#include "platform/background_job.h"

#include <QElapsedTimer>
#include <QFile>
#include <QIODevice>
#include <QRegularExpression>
#include <QThread>
#include <cstring>
#include <curl/curl.h>
#include <mutex>

namespace korvatel
{

namespace
{

// The certificate authorities of the transport settings, when they name a file.
void SetCaFile(CURL *easy, const TTransportSettings &transport)
{
    const QString file = transport.caFile;
    if (!file.isEmpty())
        curl_easy_setopt(easy, CURLOPT_CAINFO, QFile::encodeName(file).constData());
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

struct TCollect {
    QByteArray *body = nullptr;
    qint64 limit = 0;
};

size_t CollectBody(char *data, size_t size, size_t count, void *user)
{
    auto *collect = static_cast<TCollect *>(user);
    if (collect->body->size() + qint64(size * count) > collect->limit)
        return 0;
    collect->body->append(data, qsizetype(size * count));
    return size * count;
}

size_t ReadChunk(char *buffer, size_t size, size_t count, void *user)
{
    auto *t = static_cast<TTransfer *>(user);
    if (t->cancel)
        return CURL_READFUNC_ABORT;
    // The buffer takes as many whole chunks as fit, each counted by the progress rule on its
    // own: one send per chunk would cost more than the transfer on a fast line.
    const qint64 room = qint64(size * count);
    qint64 filled = 0;
    while (filled < room && !t->cancel) {
        // Read again for every chunk: the window's slider may change it during the transfer.
        const qint64 want = std::min(room - filled, qint64(t->buffer.ChunkSize()));
        const qint64 got = t->device->read(buffer + filled, want);
        if (got < 0) {
            t->deviceError = true;
            return CURL_READFUNC_ABORT;
        }
        if (got == 0)
            break;
        filled += got;
        t->done += got;
        t->AfterChunk();
        if (got < want)
            break; // a short read: the end of the data for now
    }
    if (filled == 0 && t->cancel)
        return CURL_READFUNC_ABORT;
    return size_t(filled);
}

size_t WriteChunk(char *data, size_t size, size_t count, void *user)
{
    auto *t = static_cast<TTransfer *>(user);
    const qint64 n = qint64(size * count);
    if (t->cancel)
        return 0;
    // Checked before writing, so a hostile answer never costs more than its cap.
    if (t->limit >= 0 && t->done + n > t->limit) {
        t->tooLarge = true;
        return 0;
    }
    if (t->device->write(data, n) != n) {
        t->deviceError = true;
        return 0;
    }
    t->done += n;
    t->AfterChunk();
    return t->cancel ? 0 : size_t(n);
}

size_t HttpHeader(char *data, size_t size, size_t count, void *user)
{
    auto *head = static_cast<THttpHead *>(user);
    const QByteArray line = QByteArray(data, qsizetype(size * count)).trimmed();
    if (line.startsWith("HTTP/")) {
        head->status = line.split(' ').value(1).toLong();
        head->contentLength = -1;
    } else if (line.toLower().startsWith("location:")) {
        // A redirect is checked before it is followed: the blocked domain is never reached
        // through another server's answer. A relative target stays on the checked host.
        QString target = QString::fromUtf8(line.mid(9).trimmed());
        if (target.startsWith(QLatin1String("//")))
            target.prepend(QStringLiteral("http:"));
        if (target.contains(QLatin1String("://")) && InBlockedDomain(target, head->blockedDomain)) {
            head->blockedRedirect = true;
            return 0;
        }
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

// The proxy of a component; local addresses bypass it.
void SetProxy(CURL *easy, const TWinInet &owner)
{
    if (owner.UseProxy && !owner.Proxy.isEmpty()) {
        curl_easy_setopt(easy, CURLOPT_PROXY, owner.Proxy.toUtf8().constData());
        curl_easy_setopt(easy, CURLOPT_NOPROXY, "localhost,127.0.0.1,::1");
    } else {
        curl_easy_setopt(easy, CURLOPT_PROXY, "");
    }
}

} // namespace

bool TransferStopped()
{
    return JobStopRequested();
}

void TTransfer::AfterChunk()
{
    if (counter >= 16) {
        counter = 0;
        if (progress && *progress)
            (*progress)(done, total, cancel);
    } else {
        ++counter;
    }
    if (TransferStopped())
        cancel = true;
    if (sinceYield.isValid() && sinceYield.elapsed() < kYieldInterval)
        return;
    sinceYield.start();
    QThread::yieldCurrentThread();
}

bool TCurlResult::Ok() const
{
    return code == CURLE_OK;
}

bool TCurlResult::WriteRefused() const
{
    return code == CURLE_UPLOAD_FAILED || code == CURLE_REMOTE_ACCESS_DENIED
        || code == CURLE_REMOTE_FILE_NOT_FOUND || code == CURLE_QUOTE_ERROR;
}

bool TCurlResult::ReadRefused() const
{
    return code == CURLE_REMOTE_FILE_NOT_FOUND || code == CURLE_REMOTE_ACCESS_DENIED
        || code == CURLE_FTP_COULDNT_RETR_FILE;
}

bool TCurlResult::TooLarge() const
{
    return code == CURLE_FILESIZE_EXCEEDED;
}

int TCurlResult::UploadEndCode() const
{
    return code == CURLE_OK ? int(CURLE_SEND_ERROR) : code;
}

// A private multi handle drives the easy handle: curl_easy_perform on a reused FTP connection
// sometimes waits a second before opening the data connection; the multi loop does not.
struct TCurlSession::Impl {
    CURL *easy = nullptr;
    CURLM *multi = nullptr;
    QByteArray replies;
    long responseCode = 0;
    int stallMs = 0; // the receive timeout of the request being run
    TSlist quote; // the lists and the form live until the request has run
    TSlist postQuote;
    TSlist headers;
    curl_mime *mime = nullptr;
    TCollect collect;

    void FreeRequest()
    {
        curl_slist_free_all(quote.list);
        quote.list = nullptr;
        curl_slist_free_all(postQuote.list);
        postQuote.list = nullptr;
        curl_slist_free_all(headers.list);
        headers.list = nullptr;
        if (mime) {
            if (easy)
                curl_easy_setopt(easy, CURLOPT_MIMEPOST, nullptr);
            curl_mime_free(mime);
            mime = nullptr;
        }
    }
};

TCurlSession::TCurlSession()
    : d(std::make_unique<Impl>())
{
}

TCurlSession::~TCurlSession()
{
    Release();
}

bool TCurlSession::Create()
{
    GlobalInit();
    d->easy = curl_easy_init();
    d->multi = curl_multi_init();
    return d->easy && d->multi;
}

void TCurlSession::Release()
{
    d->FreeRequest();
    if (d->easy)
        curl_easy_cleanup(d->easy);
    if (d->multi)
        curl_multi_cleanup(d->multi);
    d->easy = nullptr;
    d->multi = nullptr;
}

void TCurlSession::Prepare(const TWinInet &owner, const QString &url)
{
    CURL *easy = d->easy;
    d->FreeRequest();
    curl_easy_reset(easy);
    d->replies.clear();
    d->responseCode = 0;
    d->stallMs = owner.ReceiveTimeout;
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
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &d->replies);
    SetProxy(easy, owner);
    if (owner.UseProxy && !owner.Proxy.isEmpty())
        curl_easy_setopt(easy, CURLOPT_HTTPPROXYTUNNEL, 1L);
    SetCaFile(easy, owner.Transport());
    if (owner.RequireTls && url.startsWith(QLatin1String("ftp://"), Qt::CaseInsensitive))
        curl_easy_setopt(easy, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
    if (owner.HttpsOnly) {
        curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "https");
        curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "https");
    }
}

void TCurlSession::SetFtpAccount(const QByteArray &user, const QByteArray &password, bool passive)
{
    curl_easy_setopt(d->easy, CURLOPT_USERNAME, user.constData());
    curl_easy_setopt(d->easy, CURLOPT_PASSWORD, password.constData());
    curl_easy_setopt(d->easy, CURLOPT_FTP_FILEMETHOD, long(CURLFTPMETHOD_NOCWD));
    if (passive) {
        curl_easy_setopt(d->easy, CURLOPT_FTP_USE_EPSV, 1L);
    } else {
        curl_easy_setopt(d->easy, CURLOPT_FTPPORT, "-");
    }
}

void TCurlSession::SetNoBody()
{
    curl_easy_setopt(d->easy, CURLOPT_NOBODY, 1L);
}

void TCurlSession::SetQuote(const QList<QByteArray> &commands)
{
    for (const QByteArray &command : commands)
        d->quote.Append(command);
    curl_easy_setopt(d->easy, CURLOPT_QUOTE, d->quote.list);
}

void TCurlSession::SetPostQuoteIgnoringFailure(const QByteArray &command)
{
    d->postQuote.Append('*' + command); // "*": a refusal does not fail the transfer
    curl_easy_setopt(d->easy, CURLOPT_POSTQUOTE, d->postQuote.list);
}

void TCurlSession::SetUpload(TTransfer &transfer)
{
    curl_easy_setopt(d->easy, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(d->easy, CURLOPT_READFUNCTION, ReadChunk);
    curl_easy_setopt(d->easy, CURLOPT_READDATA, &transfer);
    curl_easy_setopt(d->easy, CURLOPT_UPLOAD_BUFFERSIZE, 256L * 1024);
    if (transfer.total >= 0)
        curl_easy_setopt(d->easy, CURLOPT_INFILESIZE_LARGE, curl_off_t(transfer.total));
}

void TCurlSession::SetDownload(TTransfer &transfer, long bufferSize)
{
    if (bufferSize > 0)
        curl_easy_setopt(d->easy, CURLOPT_BUFFERSIZE, bufferSize);
    curl_easy_setopt(d->easy, CURLOPT_WRITEFUNCTION, WriteChunk);
    curl_easy_setopt(d->easy, CURLOPT_WRITEDATA, &transfer);
}

void TCurlSession::SetCollect(QByteArray &body, qint64 limit)
{
    d->collect = { &body, limit };
    curl_easy_setopt(d->easy, CURLOPT_WRITEFUNCTION, CollectBody);
    curl_easy_setopt(d->easy, CURLOPT_WRITEDATA, &d->collect);
}

void TCurlSession::SetLimits(qint64 maxSize, int totalMs)
{
    if (maxSize >= 0)
        curl_easy_setopt(d->easy, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(maxSize));
    if (totalMs > 0)
        curl_easy_setopt(d->easy, CURLOPT_TIMEOUT_MS, long(totalMs));
}

void TCurlSession::SetHttpGet(const QList<QByteArray> &headers, THttpHead &head)
{
    for (const QByteArray &line : headers)
        d->headers.Append(line);
    curl_easy_setopt(d->easy, CURLOPT_HTTPHEADER, d->headers.list);
    curl_easy_setopt(d->easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(d->easy, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(d->easy, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(d->easy, CURLOPT_HEADERFUNCTION, HttpHeader);
    curl_easy_setopt(d->easy, CURLOPT_HEADERDATA, &head);
}

void TCurlSession::SetMimePost(const QList<std::pair<QByteArray, QByteArray>> &fields,
    const QByteArray &fileField, const QByteArray &localFile, const QByteArray &remoteName)
{
    d->mime = curl_mime_init(d->easy);
    for (const auto &[name, value] : fields) {
        curl_mimepart *part = curl_mime_addpart(d->mime);
        curl_mime_name(part, name.constData());
        curl_mime_data(part, value.constData(), size_t(value.size()));
    }
    if (!fileField.isEmpty()) {
        curl_mimepart *part = curl_mime_addpart(d->mime);
        curl_mime_name(part, fileField.constData());
        curl_mime_filedata(part, localFile.constData());
        curl_mime_filename(part, remoteName.constData());
    }
    curl_easy_setopt(d->easy, CURLOPT_MIMEPOST, d->mime);
    curl_easy_setopt(d->easy, CURLOPT_FAILONERROR, 1L);
}

// libcurl's own low-speed check averages over some five seconds and would notice a stalled
// server much later than the receive timeout; the loop watches the byte counts itself.
TCurlResult TCurlSession::Perform()
{
    CURL *easy = d->easy;
    curl_multi_add_handle(d->multi, easy);
    QElapsedTimer idle;
    idle.start();
    curl_off_t lastUp = -1;
    curl_off_t lastDown = -1;
    bool stalled = false;
    bool stopped = false;
    int running = 1;
    while (running) {
        if (curl_multi_perform(d->multi, &running) != CURLM_OK)
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
        } else if (d->stallMs > 0 && idle.elapsed() > d->stallMs) {
            stalled = true;
            break;
        }
        if (TransferStopped()) {
            stopped = true;
            break;
        }
        if (curl_multi_poll(d->multi, nullptr, 0, 10, nullptr) != CURLM_OK)
            break;
    }
    CURLcode result = stalled ? CURLE_OPERATION_TIMEDOUT
        : stopped             ? CURLE_ABORTED_BY_CALLBACK
                              : CURLE_FAILED_INIT;
    int left = 0;
    while (CURLMsg *message = curl_multi_info_read(d->multi, &left)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == easy)
            result = message->data.result;
    }
    curl_multi_remove_handle(d->multi, easy);
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &d->responseCode);
    if (d->mime) {
        curl_easy_setopt(easy, CURLOPT_MIMEPOST, nullptr);
        curl_mime_free(d->mime);
        d->mime = nullptr;
    }
    return { int(result) };
}

qint64 TCurlSession::ContentLength() const
{
    curl_off_t size = -1;
    curl_easy_getinfo(d->easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &size);
    return size;
}

bool ProbeConnection(const QString &url, const TWinInet &owner)
{
    CURL *probe = curl_easy_init();
    if (!probe)
        return false;
    curl_easy_setopt(probe, CURLOPT_URL, url.toUtf8().constData());
    curl_easy_setopt(probe, CURLOPT_CONNECT_ONLY, 1L);
    curl_easy_setopt(probe, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(probe, CURLOPT_CONNECTTIMEOUT_MS, long(owner.ConnectTimeout));
    SetProxy(probe, owner);
    SetCaFile(probe, owner.Transport());
    const CURLcode code = curl_easy_perform(probe);
    curl_easy_cleanup(probe);
    return code == CURLE_OK;
}

namespace
{

struct TSmtpSession {
    const TSmtpRequest *request = nullptr;
    qsizetype sent = 0;
    bool greeted = false;
};

size_t ReadSmtpMessage(char *buffer, size_t size, size_t count, void *user)
{
    auto *session = static_cast<TSmtpSession *>(user);
    const QByteArray &message = session->request->message;
    const size_t left = size_t(message.size() - session->sent);
    const size_t take = std::min(left, size * count);
    memcpy(buffer, message.constData() + session->sent, take);
    session->sent += qsizetype(take);
    return take;
}

// Watches the server's replies for its greeting. Nothing of what the client sends is looked
// at, so the login never reaches a log.
int WatchSmtp(CURL *, curl_infotype type, char *data, size_t size, void *user)
{
    auto *session = static_cast<TSmtpSession *>(user);
    if (type == CURLINFO_HEADER_IN && !session->greeted && size >= 3
        && QByteArray::fromRawData(data, qsizetype(size)).startsWith("220")) {
        session->greeted = true;
        if (session->request->status)
            session->request->status(QStringLiteral("CONNECT OK"));
    }
    return 0;
}

// A stopped job ends the session.
int StopDuringSmtp(void *, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return TransferStopped() ? 1 : 0;
}

// One session with the given TLS demand; *notOffered is set when TLS was demanded and the
// server does not offer STARTTLS.
TSmtpResult SmtpSession(const TSmtpRequest &request, const TTransportSettings &transport,
    bool demandTls, bool *notOffered)
{
    TSmtpResult result;
    CURL *easy = curl_easy_init();
    if (!easy) {
        result.error = QString::fromUtf8(curl_easy_strerror(CURLE_FAILED_INIT));
        return result;
    }
    TSmtpSession session;
    session.request = &request;
    char errors[CURL_ERROR_SIZE] = {};
    TSlist rcpt;
    rcpt.Append('<' + request.rcpt + '>');
    const QString url = QStringLiteral("smtp://%1:%2").arg(request.host).arg(request.port);
    curl_easy_setopt(easy, CURLOPT_URL, url.toUtf8().constData());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "smtp");
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errors);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, long(request.connectTimeoutMs));
    curl_easy_setopt(easy, CURLOPT_SERVER_RESPONSE_TIMEOUT, long(request.responseTimeoutSeconds));
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, long(request.responseTimeoutSeconds));
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, 32768L);
    curl_easy_setopt(easy, CURLOPT_UPLOAD_BUFFERSIZE, 32768L);
    curl_easy_setopt(easy, CURLOPT_USE_SSL, long(demandTls ? CURLUSESSL_ALL : CURLUSESSL_NONE));
    SetCaFile(easy, transport);
    if (request.login) {
        curl_easy_setopt(easy, CURLOPT_USERNAME, request.user.toUtf8().constData());
        curl_easy_setopt(easy, CURLOPT_PASSWORD, request.password.toUtf8().constData());
        curl_easy_setopt(easy, CURLOPT_LOGIN_OPTIONS, "AUTH=LOGIN");
    }
    const QByteArray from = '<' + request.mailFrom + '>';
    curl_easy_setopt(easy, CURLOPT_MAIL_FROM, from.constData());
    curl_easy_setopt(easy, CURLOPT_MAIL_RCPT, rcpt.list);
    curl_easy_setopt(easy, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(easy, CURLOPT_INFILESIZE_LARGE, curl_off_t(request.message.size()));
    curl_easy_setopt(easy, CURLOPT_READFUNCTION, ReadSmtpMessage);
    curl_easy_setopt(easy, CURLOPT_READDATA, &session);
    curl_easy_setopt(easy, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(easy, CURLOPT_DEBUGFUNCTION, WatchSmtp);
    curl_easy_setopt(easy, CURLOPT_DEBUGDATA, &session);
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, StopDuringSmtp);
    const CURLcode code = curl_easy_perform(easy);
    curl_easy_cleanup(easy);

    result.connected = session.greeted;
    result.ok = code == CURLE_OK;
    result.tls = result.ok && demandTls;
    const QString detail = QString::fromUtf8(errors[0] ? errors : curl_easy_strerror(code));
    *notOffered
        = code == CURLE_USE_SSL_FAILED && detail == QLatin1String("STARTTLS not supported.");
    if (result.ok)
        return result;
    const bool noConnection = code == CURLE_COULDNT_CONNECT || code == CURLE_COULDNT_RESOLVE_HOST
        || (code == CURLE_OPERATION_TIMEDOUT && !session.greeted);
    result.error = noConnection ? QString::fromLatin1(kSmtpConnectFailed) : detail;
    return result;
}

} // namespace

TSmtpResult SendSmtp(const TSmtpRequest &request, const TTransportSettings &transport)
{
    GlobalInit();
    // The host goes into the address as it is: only a name or an address may stand there.
    static const QRegularExpression host(
        QStringLiteral("^([A-Za-z0-9_.-]+|\\[[0-9A-Fa-f:.]+\\])$"));
    if (!host.match(request.host).hasMatch()) {
        TSmtpResult result;
        result.error = QString::fromUtf8(curl_easy_strerror(CURLE_URL_MALFORMAT));
        return result;
    }
    if (request.status)
        request.status(QStringLiteral("Connecting."));
    // TLS is demanded first; only a server that does not offer it at all is spoken to in clear,
    // in a session of its own. libcurl tells that case by its text; should the text ever
    // differ, such a server fails instead, and nothing is sent in clear. The first session
    // ends at the missing STARTTLS, before any AUTH, so a refused login never left the client.
    bool notOffered = false;
    TSmtpResult result = SmtpSession(request, transport, true, &notOffered);
    if (notOffered && request.login && !request.allowPlainLogin)
        result.plainLoginRefused = true;
    else if (notOffered)
        result = SmtpSession(request, transport, false, &notOffered);
    if (request.status)
        request.status(QStringLiteral("Disconnected."));
    return result;
}

} // namespace korvatel
