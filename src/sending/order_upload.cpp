#include "sending/order_upload.h"

#include "platform/background_job.h"
#include "platform/clock.h"
#include "platform/crash_point.h"
#include "platform/prompter.h"
#include "sending/http_pieces.h"
#include "sending/send_states.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>
#include <QUrl>
#include <QUrlQuery>

namespace korvatel
{

namespace
{

QString FileNameOf(const QString &remote)
{
    return remote.mid(remote.lastIndexOf(u'/') + 1);
}

QString FolderOf(const QString &remote)
{
    const qsizetype slash = remote.lastIndexOf(u'/');
    return slash < 0 ? QString() : remote.left(slash);
}

bool IsMessage(const QString &remote)
{
    return remote.endsWith(QLatin1String(".mes"), Qt::CaseInsensitive);
}

bool IsEntry(const QString &remote)
{
    return remote.endsWith(QLatin1String(".etr"), Qt::CaseInsensitive);
}

QString StatusLine(const TSendItem &item, qint64 size)
{
    return item.remote + QStringLiteral("=%1").arg(size);
}

// FTP to the shop's image server must use TLS: the server configuration demands it for every
// session, or the host says "ftps://".
bool FtpDemandsTls(const TTransportSettings &transport, const THostRecord &host)
{
    return transport.ftpTls
        || host.host.trimmed().startsWith(QLatin1String("ftps://"), Qt::CaseInsensitive);
}

bool IsHttps(const QString &url)
{
    return url.trimmed().startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
}

} // namespace

QString ModeChangeQuestion()
{
    return QStringLiteral(
        "【送信モードの変更】\r\n\r\n何度も送信に失敗する場合は、「役所モード」で送信することが出来"
        "ます。\r\n"
        "役所モードでの送信は、スピードは低下しますが成功率は高くなります。\r\n\r\n"
        "モードの変更は、[ヘルプ]-[送信モード]で、[役所モード]を指定します。\r\n"
        "この送信手続きは一旦終了しますので、再度、送信を行って下さい。\r\n\r\n"
        "(yes) ここで、役所モードに変更する。\r\n(no) 自分で[ヘルプ]から設定する。");
}

QString ShopStopMessage()
{
    return QStringLiteral("この注文手続きは、店またはシステムが中止しました。送信は継続できません。"
                          "\r\n\r\nこの注文書は復活ません。\r\n改めて送信手続きを行って下さい。");
}

QString UnexpectedErrorMessage()
{
    return QStringLiteral("注文手続き中、予期しないエラーが発生しました。送信は継続できません。"
                          "\r\n\r\nこの注文書は復活ません。\r\n改めて送信手続きを行って下さい。");
}

QString ClearHttpRefusedMessage()
{
    return QStringLiteral(
        "暗号化されていないHTTPでは送信できません。\r\n\r\n"
        "このお店への送信は暗号化(TLS)が必要です。お名前・ご住所・電話番号と写真を暗号化せずに"
        "送ることはできないため、この注文は送信していません。\r\n\r\n"
        "HTTPで送信するには、お店が暗号化されたHTTPS(https://)の受付を用意する必要があります。"
        "お店にお問い合わせください。");
}

QString GiveUpQuestion(int failedFile, int unsent, bool passive)
{
    return QStringLiteral("%1 個目の送信で失敗しました。\r\n%2 個のファイルが未送信です。\r\n\r\n")
               .arg(failedFile)
               .arg(unsent)
        + QStringLiteral("(再試行) 接続方法を変えて再送信する。(%1)\r\n(中止) 送信をあきらめる。")
              .arg(passive ? QStringLiteral("Passive->OFF") : QStringLiteral("Passive->ON"));
}

bool HttpUploadAnswers(const TTransportSettings &transport, const QString &uploadUrl)
{
    TWinHTTP http(transport);
    QByteArray answer;
    if (!http.Connect(uploadUrl)
        || !http.PostForm(
            uploadUrl, { { QStringLiteral("dir"), QStringLiteral("@test") } }, {}, {}, {}, answer))
        return false;
    const QString word = QString::fromLatin1(answer).trimmed();
    return word == QLatin1String("OK") || word.startsWith(QLatin1String("NG-"));
}

void JobPause(int msecs)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < msecs && !JobStopRequested())
        QThread::msleep(std::min<qint64>(10, std::max<qint64>(0, msecs - timer.elapsed())));
}

TOrderUpload::TOrderUpload(TPrompter &prompter, const TClock &clock)
    : pause(JobPause)
    , FPrompter(prompter)
    , FClock(clock)
{
}

void TOrderUpload::State(const QString &text)
{
    if (progress)
        progress->SetState(text);
}

void TOrderUpload::Wait(int msecs)
{
    if (pause && msecs > 0)
        pause(msecs);
}

bool TOrderUpload::Cancelled() const
{
    return progress && progress->CancelRequested();
}

QString TOrderUpload::Remote(const QString &path) const
{
    QString base = host.baseDir;
    if (!base.startsWith(u'/'))
        base.prepend(u'/');
    if (!base.endsWith(u'/'))
        base += u'/';
    return base + path;
}

bool TOrderUpload::Connect(TWinFTP &ftp)
{
    ftp.Passive = passive;
    ftp.Mess = false;
    ftp.Buffer = buffer;
    if (progress) {
        ftp.OnUploadProgress
            = [this](qint64 done, qint64 total, bool &) { progress->SetFileProgress(done, total); };
    }
    return ftp.LoginRecord(host, false);
}

bool TOrderUpload::PutEntryFile(TWinFTP &ftp, const QString &local, const QString &remote)
{
    const QString final = Remote(remote);
    const QString test = final + QStringLiteral("test");
    const qint64 size = QFileInfo(local).size();
    constexpr int kFurtherAttempts = 5;
    for (int attempt = 0; attempt <= kFurtherAttempts; ++attempt) {
        if (attempt > 0) {
            State(QStringLiteral(" Retry%1").arg(attempt));
            Wait(1000);
            ftp.Close();
            if (!Connect(ftp))
                continue;
            ftp.DeleteFile(test);
            ftp.DeleteFile(final);
        }
        if (ftp.PutFile(local, test) && ftp.FileSize(test) == size && ftp.Rename(test, final)
            && ftp.FileSize(final) == size)
            return true;
        ftp.DeleteFile(test);
        ftp.DeleteFile(final);
    }
    // The last failure: leave neither name behind, on a fresh connection if need be.
    ftp.Close();
    if (Connect(ftp)) {
        ftp.DeleteFile(test);
        ftp.DeleteFile(final);
    }
    return false;
}

bool TOrderUpload::FinishHosted(const QString &orderName)
{
    TWinHTTP http(transport);
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("dir"), orderName);
    query.addQueryItem(QStringLiteral("comp"), QStringLiteral("true"));
    query.addQueryItem(QStringLiteral("link"), cardLink);
    query.addQueryItem(QStringLiteral("mail"), mail);
    QUrl url(finishUrl);
    url.setQuery(query);
    QStringList answer;
    if (!http.Connect(finishUrl) || !http.GetUrlStrings(answer, url.toString()))
        return false;
    const QString word = answer.value(0).trimmed();
    return word == QLatin1String("OK") || word == QLatin1String("MAILSENT");
}

bool TOrderUpload::FinishFtp(TWinFTP &ftp, const QString &statusFile)
{
    const QStringList complete { QStringLiteral("Complite") };
    if (ftp.PutText(complete, statusFile))
        return true;
    return FtpPutTextOnce(transport, host.host, host.user, host.password, transport.chmodMode,
        JoinLines(complete), statusFile);
}

bool TOrderUpload::NextFileReady(TPackedOrder &order, QFileInfo &info)
{
    if (Cancelled()) {
        FCancelled = true;
        State(QStringLiteral("中断"));
        return false;
    }
    const QString remote = order.sendList.Items().first().remote;
    if (!info.isFile() || (IsEntry(remote) && info.size() == 0)) {
        FLastError = info.isFile() ? QStringLiteral("エントリーファイルが空です。")
                                   : QStringLiteral("ファイルがありません");
        FFatal = true;
        return false;
    }
    if (IsMessage(remote) && !FMessageStamped) {
        // The first time the message goes out it gets the end of sending.
        SetMessageEndTime(order.messageLines, FClock.Now());
        if (!WriteSjisLines(info.filePath(), order.messageLines, TFileAccess::faPrivate)) {
            FFailedFile = order.sentFiles + 1;
            FLastError = QStringLiteral("送信失敗:") + info.fileName();
            return false;
        }
        FMessageStamped = true;
        info.refresh();
    }
    return true;
}

void TOrderUpload::BeginAttempt(const QString &title, const QString &state)
{
    FFatal = false;
    FLastError.clear();
    if (progress)
        progress->SetTitle(title);
    State(state);
}

bool TOrderUpload::ConnectFailed(const TPackedOrder &order, const QString &error)
{
    FFailedFile = order.sentFiles + 1;
    FLastError = error;
    State(FLastError);
    return false;
}

bool TOrderUpload::SendFtp(TPackedOrder &order)
{
    BeginAttempt(QStringLiteral("ファイル送信"), QStringLiteral("Connecting"));
    TWinFTP ftp(transport);
    if (!Connect(ftp))
        return ConnectFailed(order, QStringLiteral("接続失敗 やり直してください"));

    // Every remote folder of the list, parents first.
    State(QStringLiteral("Making DirList"));
    QStringList folders;
    const auto addFolder = [&folders](const QString &folder) {
        QString path;
        for (const QString &part : folder.split(u'/', Qt::SkipEmptyParts)) {
            path += (path.isEmpty() ? QString() : QStringLiteral("/")) + part;
            if (!folders.contains(path))
                folders << path;
        }
    };
    addFolder(order.name);
    for (const TSendItem &item : order.sendList.Items())
        addFolder(FolderOf(item.remote));
    for (qsizetype i = 0; i < folders.size(); ++i) {
        State(QString::asprintf("MakeDir %d/%d", int(i + 1), int(folders.size())));
        if (!ftp.MakeDir(Remote(folders.at(i))))
            return ConnectFailed(order, ftp.LastError());
    }

    const QString statusFile = Remote(order.name + QStringLiteral("/Sending"));
    QList<TSendItem> &items = order.sendList.Items();
    const int total = order.sentFiles + int(items.size());
    while (!items.isEmpty()) {
        const TSendItem item = items.first();
        const int number = order.sentFiles + 1;
        QFileInfo info(item.local);
        if (!NextFileReady(order, info))
            return false;
        const qint64 size = info.size();
        State(QString::asprintf("Starting %d/%d", number, total));
        if (!IsMessage(item.remote) && !IsEntry(item.remote))
            State(QString::asprintf("Send %d/%d ", number, total) + FileNameOf(item.remote));
        bool sent;
        if (resume && ftp.FileSize(Remote(item.remote)) == size) {
            sent = true; // arrived before the interruption
        } else if (IsEntry(item.remote)) {
            sent = PutEntryFile(ftp, item.local, item.remote);
        } else {
            sent = ftp.PutText(QStringList { StatusLine(item, size) }, statusFile)
                && ftp.PutFile(item.local, Remote(item.remote))
                && ftp.FileSize(Remote(item.remote)) == size;
            if (!sent)
                Wait(500);
        }
        if (!sent) {
            FFailedFile = number;
            FLastError = QStringLiteral("送信失敗:") + FileNameOf(item.remote);
            State(FLastError);
            return false;
        }
        items.removeFirst();
        ++order.sentFiles;
        if (order.sentFiles == 2)
            CrashPoint("order-uploading");
        if (progress)
            progress->SetPosition(order.sentFiles, total);
        if (order.sentFiles % 10 == 0)
            Wait(pauseAfter10);
        else if (order.sentFiles % 5 == 0)
            Wait(pauseAfter5);
    }
    if (!(hostedServer ? FinishHosted(order.name) : FinishFtp(ftp, statusFile))) {
        FLastError = QStringLiteral("送信失敗:Sending");
        State(FLastError);
        return false;
    }
    ftp.Close();
    return true;
}

bool TOrderUpload::SendHttp(TPackedOrder &order)
{
    BeginAttempt(QStringLiteral("HTTP Mode"), QStringLiteral("Initializing...."));
    TWinHTTP http(transport);
    // Under TLS for FTP the upload address is https://, and no redirect may leave it.
    http.HttpsOnly = FtpDemandsTls(transport, host);
    if (!http.Connect(uploadUrl))
        return ConnectFailed(order, http.LastError());
    State(QStringLiteral("Creating Navigation"));
    // The status file travels as a file of its own, written beside the order.
    const QString statusLocal = QDir(order.localFolder).filePath(QStringLiteral("Sending"));
    // Posts one file; false on any answer but "OK" (a "SHOP-STOP" is fatal).
    const auto post = [&](const QString &local, const QString &remote) {
        constexpr int kPostRetries = 2;
        for (int attempt = 0; attempt <= kPostRetries; ++attempt) {
            const QString folder = FolderOf(remote) + u'/';
            const QString name = FileNameOf(remote);
            if (attempt > 0) {
                State(QStringLiteral("Retry-%1 %2%3").arg(attempt).arg(folder, name));
                Wait(1000);
            }
            QByteArray bytes;
            if (!http.PostForm(uploadUrl, { { QStringLiteral("dir"), FolderOf(remote) } },
                    QStringLiteral("file"), local, name, bytes)) {
                State(QStringLiteral("ERR:NoMsg %1%2").arg(folder, name));
                continue;
            }
            const QString answer = QString::fromLatin1(bytes).trimmed();
            if (answer == QLatin1String("OK"))
                return true;
            if (answer.startsWith(QLatin1String("SHOP-STOP"))) {
                FFatal = true;
                FLastError = ShopStopMessage();
                return false;
            }
            if (answer.isEmpty())
                State(QStringLiteral("ERR:NoMsg %1%2").arg(folder, name));
            else
                State(QStringLiteral("ERR:%1 %2%3").arg(answer.left(200), folder, name));
        }
        return false;
    };
    const auto postStatus = [&](const QString &line) {
        return WriteSjisLines(statusLocal, { line }, TFileAccess::faPrivate)
            && post(statusLocal, order.name + QStringLiteral("/Sending"));
    };

    QList<TSendItem> &items = order.sendList.Items();
    const int total = order.sentFiles + int(items.size());
    while (!items.isEmpty()) {
        const TSendItem item = items.first();
        const int number = order.sentFiles + 1;
        QFileInfo info(item.local);
        if (!NextFileReady(order, info))
            return false;
        State(QString::asprintf("%d/%d ", number, total) + FileNameOf(item.remote));
        const qint64 size = info.size();
        const bool sent = (IsEntry(item.remote) || postStatus(StatusLine(item, size)))
            && (size > kHttpPieceSize ? SendPieces(http, order, item, size)
                                      : post(item.local, item.remote));
        if (!sent) {
            FFailedFile = number;
            if (!FFatal)
                FLastError = QStringLiteral("送信失敗:") + FileNameOf(item.remote);
            return false;
        }
        items.removeFirst();
        ++order.sentFiles;
        order.nextPiece = 1;
        if (progress)
            progress->SetPosition(order.sentFiles, total);
    }
    if (!(hostedServer ? FinishHosted(order.name) : postStatus(QStringLiteral("Complite")))) {
        if (!FFatal)
            FLastError = QStringLiteral("送信失敗:Sending");
        return false;
    }
    QFile::remove(statusLocal);
    return true;
}

bool TOrderUpload::SendPieces(
    TWinHTTP &http, TPackedOrder &order, const TSendItem &item, qint64 size)
{
    const QString folder = FolderOf(item.remote);
    const QString name = FileNameOf(item.remote);
    const int parts = PieceCount(size);
    const QString pieceFile = QDir(order.localFolder).filePath(QStringLiteral("Piece.tmp"));
    const auto end = [&](bool result) {
        QFile::remove(pieceFile);
        return result;
    };
    const auto splitFailed = [&] {
        FFatal = true;
        FLastError = SplitFailedMessage();
        State(FLastError);
        return end(false);
    };
    State(QStringLiteral("分割中 ") + name);
    // The checksum the script checks the joined file against.
    const std::optional<QByteArray> sha256
        = parts <= kMaxHttpPieces ? FileSha256(item.local) : std::nullopt;
    if (!sha256)
        return splitFailed();
    if (order.nextPiece < 1 || order.nextPiece > parts)
        order.nextPiece = 1;
    constexpr int kPieceRetries = 2;
    int failures = 0;
    // Every post either brings the file on or counts as a failure; a script that keeps sending
    // the client round in circles is stopped by the cap as well.
    const int maxPosts = 2 * parts + kPieceRetries + 1;
    for (int posts = 0; posts < maxPosts; ++posts) {
        if (Cancelled()) {
            FCancelled = true;
            State(QStringLiteral("中断"));
            return end(false);
        }
        const int part = order.nextPiece;
        State(QStringLiteral("分割中 %1 %2/%3").arg(name).arg(part).arg(parts));
        if (!WritePiece(item.local, part, kHttpPieceSize, pieceFile))
            return splitFailed();
        QByteArray bytes;
        const bool answered = http.PostForm(uploadUrl,
            { { QStringLiteral("dir"), folder }, { QStringLiteral("part"), QString::number(part) },
                { QStringLiteral("parts"), QString::number(parts) },
                { QStringLiteral("size"), QString::number(size) },
                { QStringLiteral("sha256"), QString::fromLatin1(*sha256) } },
            QStringLiteral("file"), pieceFile, name, bytes);
        const TPieceAnswer answer = answered ? ParsePieceAnswer(bytes, parts) : TPieceAnswer {};
        if (answered && answer.kind == TPieceAnswer::paComplete) {
            order.nextPiece = 1;
            return end(true);
        }
        if (answered && answer.kind == TPieceAnswer::paShopStop) {
            FFatal = true;
            FLastError = ShopStopMessage();
            return end(false);
        }
        if (answered && answer.kind == TPieceAnswer::paNext && answer.next != part) {
            order.nextPiece = answer.next;
            continue;
        }
        // No answer: the same piece again. The piece just sent still missing, or an error
        // ("NG-FILE": the join failed and the script dropped the pieces): the script's own
        // answer to the first piece says where to go on.
        if (answered && answer.kind != TPieceAnswer::paNext)
            order.nextPiece = 1;
        if (!answered || answer.text.isEmpty())
            State(QStringLiteral("ERR:NoMsg %1/%2").arg(folder, name));
        else
            State(QStringLiteral("ERR:%1 %2/%3").arg(answer.text, folder, name));
        if (++failures > kPieceRetries)
            break;
        State(QStringLiteral("Retry-%1 %2/%3").arg(failures).arg(folder, name));
        Wait(1000);
    }
    return end(false);
}

bool TOrderUpload::FtpTestUpload()
{
    TWinFTP ftp(transport);
    if (!Connect(ftp))
        return false;
    const QString remote = Remote(QStringLiteral("TESTING.TXT"));
    const bool ok = ftp.PutText(QStringList { QStringLiteral("TESTING") }, remote)
        && ftp.FileSize(remote) > 0;
    ftp.DeleteFile(remote);
    return ok;
}

bool TOrderUpload::CancelOnServer(const TPackedOrder &order)
{
    TWinFTP ftp(transport);
    if (!Connect(ftp))
        return false;
    ftp.DeleteTree(Remote(order.name), true, true);
    ftp.DeleteFile(Remote(QStringLiteral("message/") + order.name + QStringLiteral(".etr")));
    ftp.DeleteFile(Remote(QStringLiteral("message/") + order.name + QStringLiteral(".etrtest")));
    ftp.DeleteFile(Remote(QStringLiteral("message/") + order.name + QStringLiteral(".mes")));
    return true;
}

void TOrderUpload::RecordHistory(bool sent, const TPackedOrder &order)
{
    if (!onHistory)
        return;
    QStringList text;
    text << QStringLiteral("開始=") + MessageTime(order.start)
         << QStringLiteral("終了=") + MessageTime(FClock.Now()) << QString()
         << EntryFileLines(order.messageLines, order.sendList.FileList());
    onHistory(sent, paymentKind, cardOrderId, text);
}

TSendResult TOrderUpload::Send(TPackedOrder &order)
{
    FCancelled = false;
    FMessageStamped = false;
    if (progress)
        progress->UseBuffer(buffer);
    // The customer's name, address and telephone never go in clear text where the shop's
    // image server takes them only through TLS.
    const bool clearHttp = FtpDemandsTls(transport, host) && !IsHttps(uploadUrl);
    const auto refuseClearHttp = [&] {
        FLastError = ClearHttpRefusedMessage();
        FPrompter.Error(FLastError);
        RecordHistory(false, order);
        return TSendResult::srFailed;
    };
    bool http = false;
    if (httpPossible) {
        if (transferMode == tmHttp)
            http = true;
        else if (transferMode != tmFtp)
            http = !FtpTestUpload();
    }
    if (http && clearHttp)
        return refuseClearHttp();
    for (;;) {
        for (int attempt = 0; attempt <= retries; ++attempt) {
            if (attempt > 0)
                Wait(1000);
            if (http ? SendHttp(order) : SendFtp(order)) {
                RecordHistory(true, order);
                return TSendResult::srSent;
            }
            if (FCancelled) {
                RecordHistory(false, order);
                return TSendResult::srCancelled;
            }
            if (FFatal) {
                FPrompter.Error(FLastError.isEmpty() ? UnexpectedErrorMessage() : FLastError);
                RecordHistory(false, order);
                return TSendResult::srFailed;
            }
        }
        const bool automatic = transferMode != tmFtp && transferMode != tmHttp;
        if (!http && httpPossible && automatic) {
            if (clearHttp)
                return refuseClearHttp();
            State(HttpFallbackState());
            http = true;
            continue;
        }
        // HTTP mode is offered only where it keeps the order as safe as FTP.
        if (!http && httpPossible && !clearHttp) {
            if (FPrompter.Ask(TMsgKind::mkConfirmation, ModeChangeQuestion(), mbYes | mbNo)
                    == TModalResult::mrYes
                && onTransferModeChange) {
                onTransferModeChange(tmHttp);
            }
            RecordHistory(false, order);
            return TSendResult::srModeChange;
        }
        const TModalResult answer = FPrompter.Ask(TMsgKind::mkWarning,
            GiveUpQuestion(FFailedFile, int(order.sendList.Items().size()), passive),
            mbRetry | mbAbort);
        if (answer == TModalResult::mrRetry) {
            passive = !passive;
            State(passive ? QStringLiteral("Passive->ON") : QStringLiteral("Passive->OFF"));
            continue;
        }
        if (!keepOnGiveUp && !CancelOnServer(order))
            FPrompter.Error(QStringLiteral("【接続失敗】注文は未成立です。"));
        QDir(order.localFolder).removeRecursively();
        RecordHistory(false, order);
        return TSendResult::srGivenUp;
    }
}

} // namespace korvatel
