#pragma once

#include "net/win_inet.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <functional>
#include <memory>
#include <utility>

class QIODevice;

// What the transport's clients share behind their public header: the error texts, the state
// of a chunked transfer and the libcurl session. No libcurl type shows here; curl_session.cpp
// is the one file that includes <curl/curl.h>.

namespace korvatel
{

inline constexpr char kNotInitialised[] = "InternetComponentが初期化されていません。";
inline constexpr char kNotConnected[] = "接続されていません。";
inline constexpr char kConnectFailed[] = "ホスト接続の失敗。";
inline constexpr char kCancelled[] = "ユーザーキャンセル";
inline constexpr char kUploadError[] = "アップロード中にエラーが発生しました。";
inline constexpr char kCannotWrite[] = "サーバーに書き込み出来ません。";
inline constexpr char kDownloadError[] = "ダウンロード中にエラーが発生しました。";
inline constexpr char kCannotAccess[] = "ファイルにアクセスできません。";
inline constexpr char kUrlNotOpened[] = "URLを開けませんでした。";
inline constexpr char kHttpNotInitialised[] = "WinInetが初期化されていません。";

inline QString Text(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

// The job that runs this transfer was stopped (TBackgroundJob::Cancel): the transfer ends as
// cancelled. Transfers run on jobs; the window's thread never waits on one.
bool TransferStopped();
// A transfer yields its thread this often (milliseconds): a yield after every 12 KB chunk
// costs more than the transfer itself on a fast line.
inline constexpr qint64 kYieldInterval = 20;

// The state of one chunked transfer: the chunk counter of the progress rule and the cancel
// flag set by a progress hook.
struct TTransfer {
    QIODevice *device = nullptr;
    TTransferBuffer buffer; // an upload's chunk size, read again for every chunk
    qint64 total = -1;
    qint64 done = 0;
    int counter = 0;
    qint64 limit = -1; // the most bytes the download may bring; -1: no cap
    bool cancel = false;
    bool deviceError = false;
    bool tooLarge = false; // the answer went past the limit and was cut
    std::function<void(qint64, qint64, bool &)> *progress = nullptr;
    QElapsedTimer sinceYield; // when the thread last yielded

    // After each chunk: count, and on every 17th chunk report progress; a stopped job sets the
    // cancel flag; when kYieldInterval has passed since the last time, yield. The cancel flag
    // is read by the caller after this.
    void AfterChunk();
};

// What the header hook learns about an HTTP answer.
struct THttpHead {
    bool complete = false; // a final (2xx) header block has ended
    long status = 0;
    qint64 contentLength = -1;
    qint64 knownSize = -1;
    bool stopIfSize = false;
    bool sizeMatched = false;
    QString blockedDomain; // the domain no redirect may lead into
    bool blockedRedirect = false; // a redirect into the blocked domain was refused
    std::function<void(qint64)> *onStatus = nullptr;
};

// The outcome of a request: libcurl's result code as a number, sorted into the kinds the
// clients tell apart.
struct TCurlResult {
    int code = 0;
    bool Ok() const;
    // The server refused to take the file (it could not be opened for writing).
    bool WriteRefused() const;
    // The server refused to give the file (missing, or access denied).
    bool ReadRefused() const;
    // The code that the upload end hook reports: a send error when the request itself ended
    // well but the transfer did not.
    int UploadEndCode() const;
    // The answer declared a length over the cap of the request.
    bool TooLarge() const;
};

// One easy handle for the requests and a private multi handle that drives it. A request is
// prepared (the options every request shares), given its kind by the setters, then performed.
class TCurlSession
{
public:
    TCurlSession();
    ~TCurlSession();
    TCurlSession(const TCurlSession &) = delete;
    TCurlSession &operator=(const TCurlSession &) = delete;

    bool Create();
    void Release();

    // Clears the options of the last request (the open connection stays) and sets those that
    // every request shares: address, timeouts, agent, proxy; the answer's body is discarded.
    void Prepare(const TWinInet &owner, const QString &url);
    // The FTP account (as Shift-JIS bytes) and the data connection mode.
    void SetFtpAccount(const QByteArray &user, const QByteArray &password, bool passive);
    // No transfer: only the login, the quoted commands or the size.
    void SetNoBody();
    // Raw commands sent before the request.
    void SetQuote(const QList<QByteArray> &commands);
    // A command sent after the transfer on the same connection; its failure is not the
    // transfer's.
    void SetPostQuoteIgnoringFailure(const QByteArray &command);
    // Uploads from the transfer's device, in chunks of the transfer buffer setting.
    void SetUpload(TTransfer &transfer);
    // Downloads into the transfer's device; bufferSize > 0 sets libcurl's receive buffer.
    void SetDownload(TTransfer &transfer, long bufferSize);
    // Collects the body into body; an answer longer than limit is cut and the request fails.
    void SetCollect(QByteArray &body, qint64 limit);
    // Caps what the request may receive (refused at once when the answer declares more) and,
    // with totalMs > 0, how long it may take in all.
    void SetLimits(qint64 maxSize, int totalMs);
    // An HTTP GET with the given header lines, following redirects and failing on an error
    // status; the head hook reads the answer's header lines.
    void SetHttpGet(const QList<QByteArray> &headers, THttpHead &head);
    // A multipart form POST: text fields (name, Shift-JIS value) and, when fileField is not
    // empty, one file.
    void SetMimePost(const QList<std::pair<QByteArray, QByteArray>> &fields,
        const QByteArray &fileField, const QByteArray &localFile, const QByteArray &remoteName);

    // Runs the prepared request. A request that moves no byte for the receive timeout ends as
    // timed out.
    TCurlResult Perform();
    // The content length the last request reported; -1 when unknown.
    qint64 ContentLength() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// Tries only the connection to the host of url: the host answers or the server is down.
bool ProbeConnection(const QString &url, const TWinInet &owner);

// The handles behind a transport component.
struct TWinInet::Impl {
    TCurlSession session;
};

} // namespace korvatel
