#pragma once

#include "net/win_inet.h"
#include "sending/order_package.h"

#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <functional>

namespace korvatel
{

class TClock;
class TPrompter;

// What the upload shows and where it reads the cancel request: the transmission window, or
// the command line's progress printer.
class TSendProgress
{
public:
    virtual ~TSendProgress() = default;
    virtual void SetTitle(const QString &) { }
    virtual void SetState(const QString &) { }
    // Files done of the send list.
    virtual void SetPosition(int, int) { }
    // Bytes of the current file.
    virtual void SetFileProgress(qint64, qint64) { }
    virtual bool CancelRequested() const { return false; }
    // The send's buffer setting, handed over as the send starts: a window that shows it keeps
    // a copy and changes it while the send runs.
    virtual void UseBuffer(const TTransferBuffer &) { }
};

// The transfer modes of the customer's setting.
enum TTransferMode { tmAuto = 0, tmFtp = 1, tmHttp = 2 };

// How one send ended.
enum class TSendResult {
    srSent, // complete for the shop
    srCancelled, // the user pressed cancel; the status file holds the last file sent
    srGivenUp, // the customer gave up; the order was removed
    srModeChange, // ended so the customer can switch to HTTP mode
    srFailed, // a fatal error (the shop stopped the order)
};

// What the history receives after every attempt: the sent flag, the payment kind's name, the
// card order ID (empty without card payment) and the order text ("開始=", "終了=", an empty
// line, then the order message).
using THistoryHook = std::function<void(bool sent, const QString &paymentKind,
    const QString &cardOrderId, const QStringList &orderText)>;

// Sends a packed order to the shop's image server: FTP mode with the status file "Sending",
// HTTP mode through the upload script, the retries, the mode switch and the give-up dialog.
// Files sent leave the send list, so every retry continues with the first unsent file.
class TOrderUpload
{
public:
    // clock gives the time of the "@EDT" line and of the history.
    TOrderUpload(TPrompter &prompter, const TClock &clock);

    THostRecord host; // the shop's image server; paths are under its base folder
    // The transport settings of the server configuration, for every connection of the send.
    TTransportSettings transport;
    // The send's buffer setting, made with it: its FTP transfers read it after every chunk, and
    // the progress window changes it while they run (TSendProgress::UseBuffer).
    TTransferBuffer buffer;
    bool passive = true;
    int transferMode = tmAuto;
    // HTTP mode is possible: the shop's "Http.on" switch is on and the script answered.
    bool httpPossible = false;
    QString uploadUrl; // the upload script ("…/tamsel_php/korv_upload.php")
    // The maker's hosted order server: completion goes through the finishing script.
    bool hostedServer = false;
    QString finishUrl; // "…/tamsel_php/korv_finish.php"
    QString cardLink, mail; // for the finishing script
    TSendProgress *progress = nullptr;
    // Waits the given milliseconds (the send runs on a job); tests replace it.
    std::function<void(int msecs)> pause;
    // Called when the customer chooses HTTP mode in the mode-change question.
    std::function<void(int mode)> onTransferModeChange;
    THistoryHook onHistory;
    QString paymentKind, cardOrderId;
    int retries = 4; // further attempts after the first
    // The pauses after every 5th and every 10th file sent by FTP, in milliseconds; the server
    // configuration may set them (UploadPause5, UploadPause10), 0 sends on at once.
    int pauseAfter5 = 500;
    int pauseAfter10 = 1000;
    // A change of an order the shop already holds: giving up leaves the server's files alone,
    // so the order as it was first sent is never removed.
    bool keepOnGiveUp = false;
    // The resend of an order whose send was interrupted (a crash, a power cut): by FTP, a file
    // the server already holds at its full size is not sent again, so an order the shop has
    // received whole is completed without sending anything twice.
    bool resume = false;

    // Sends the order; the order's send list shrinks as files arrive. HTTP never lowers the
    // protection of FTP: where FTP must use TLS (the transport's ftpTls or an "ftps://" host),
    // HTTP mode, chosen or switched to, goes only to an https:// upload script; otherwise the
    // send ends srFailed with ClearHttpRefusedMessage() and the mode change is not offered.
    TSendResult Send(TPackedOrder &order);

    // One attempt in each mode: true when the order is complete. Failures leave their text in
    // LastError().
    bool SendFtp(TPackedOrder &order);
    // The start of one attempt in either mode: no fault yet, the window's title and state.
    void BeginAttempt(const QString &title, const QString &state);
    // A connection that could not be made: the first unsent file failed with error.
    bool ConnectFailed(const TPackedOrder &order, const QString &error);
    bool SendHttp(TPackedOrder &order);
    // The HTTP answer "SHOP-STOP" or another fatal error ended the attempt.
    bool Fatal() const { return FFatal; }
    // The 1-based number of the file that failed last.
    int FailedFile() const { return FFailedFile; }
    QString LastError() const { return FLastError; }
    // The test upload of "TESTING.TXT" into the base folder by FTP.
    bool FtpTestUpload();
    // Removes what was sent of the order from the server; false when it cannot connect.
    bool CancelOnServer(const TPackedOrder &order);

private:
    void State(const QString &text);
    // Before each file: the cancel request, the local file's checks and the message's end
    // time. False ends the attempt (fatal for a missing file or an empty entry file).
    bool NextFileReady(TPackedOrder &order, QFileInfo &info);
    void Wait(int msecs);
    bool Cancelled() const;
    bool Connect(TWinFTP &ftp);
    bool PutEntryFile(TWinFTP &ftp, const QString &local, const QString &remote);
    // HTTP mode: a file larger than a piece goes in the pieces the upload script asks for,
    // until it answers that the joined file is complete. A piece that cannot be made and
    // "SHOP-STOP" are fatal.
    bool SendPieces(TWinHTTP &http, TPackedOrder &order, const TSendItem &item, qint64 size);
    // The end of an order on a shop's own server: "Complite" in the status file.
    bool FinishFtp(TWinFTP &ftp, const QString &statusFile);
    // The end of an order on the maker's hosted server, in either mode: the finishing script
    // answers "OK" or "MAILSENT".
    bool FinishHosted(const QString &orderName);
    void RecordHistory(bool sent, const TPackedOrder &order);
    QString Remote(const QString &path) const;

    TPrompter &FPrompter;
    const TClock &FClock;
    bool FFatal = false;
    bool FCancelled = false;
    bool FMessageStamped = false;
    int FFailedFile = 0;
    QString FLastError;
};

// The texts of the upload.
QString ModeChangeQuestion();
QString ShopStopMessage();
QString UnexpectedErrorMessage();
// The order was not sent: HTTP would carry it in clear text where FTP must use TLS.
QString ClearHttpRefusedMessage();
QString GiveUpQuestion(int failedFile, int unsent, bool passive);

// The HTTP upload check: the upload script answers a post without a file with one of its
// answer words.
bool HttpUploadAnswers(const TTransportSettings &transport, const QString &uploadUrl);

// The pause between files: sleeps on the sending job's thread until the time has passed or
// the job was stopped.
void JobPause(int msecs);

} // namespace korvatel
