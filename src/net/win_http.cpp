#include "net/curl_session.h"
#include "net/win_inet.h"
#include "text/cp932.h"
#include "text/sjis_file.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QUrl>

namespace korvatel
{

TWinHTTP::TWinHTTP(const TTransportSettings &transport)
    : TWinInet(transport)
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
    if (Transport().Blocks(baseUrl))
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
    const QString target = url.scheme() + QStringLiteral("://") + url.host() + u':'
        + QString::number(url.port(url.scheme() == QLatin1String("https") ? 443 : Port)) + u'/';
    return ProbeConnection(target, *this);
}

bool TWinHTTP::GetUrl(QIODevice &stream, const QString &url, bool stopIfSize, qint64 knownSize)
{
    if (!Opened())
        return Fail(Text(kHttpNotInitialised), true);
    const QString full = FullUrl(url);
    if (Transport().Blocks(full))
        return Fail(Text(kUrlNotOpened));
    if (OnRequestBegin)
        OnRequestBegin();

    THttpHead head;
    head.knownSize = knownSize;
    head.stopIfSize = stopIfSize;
    head.blockedDomain = Transport().blockedDomain;
    head.onStatus = &OnStatus;
    TTransfer transfer;
    transfer.device = &stream;
    transfer.progress = &OnProgress;

    d->session.Prepare(*this, full);
    QList<QByteArray> headers;
    for (const QString &line :
        RequestHeader.split(QRegularExpression(QStringLiteral("[\r\n]+")), Qt::SkipEmptyParts))
        headers << line.toUtf8();
    headers << "Cache-Control: no-cache"
            << "Pragma: no-cache";
    d->session.SetHttpGet(headers, head);
    d->session.SetDownload(transfer, 0);
    d->session.SetLimits(MaxSize, TotalTimeout);
    transfer.limit = MaxSize;
    const TCurlResult result = d->session.Perform();
    transfer.total = head.contentLength;
    if (OnRequestEnd)
        OnRequestEnd();

    if (head.sizeMatched && (result.Ok() || stopIfSize))
        return true;
    if (result.Ok() && !transfer.deviceError)
        return true;
    if (transfer.cancel || TransferStopped())
        return Fail(Text(kCancelled));
    if (head.blockedRedirect)
        return Fail(Text(kUrlNotOpened));
    if (transfer.tooLarge || result.TooLarge())
        return Fail(Text(kDownloadError));
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
    std::optional<QStringList> read = SjisLines(*bytes);
    if (!read)
        return false;
    lines = std::move(*read);
    return true;
}

// The answer goes straight to a temporary file beside the target, renamed over it once the
// whole answer is in: a large download never sits in memory, and a cut one leaves nothing.
bool TWinHTTP::GetUrlFile(const QString &localFile, const QString &url)
{
    QDir().mkpath(QFileInfo(localFile).absolutePath());
    QSaveFile file(localFile);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    bool ok = false;
    try {
        ok = GetUrl(file, url);
    } catch (const EWinInetError &) {
        ok = false;
    }
    if (!ok) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool TWinHTTP::PostForm(const QString &url, const QList<std::pair<QString, QString>> &fields,
    const QString &fileField, const QString &localFile, const QString &remoteName,
    QByteArray &answer)
{
    if (!Opened())
        return Fail(Text(kHttpNotInitialised), true);
    const QString full = FullUrl(url);
    if (Transport().Blocks(full))
        return Fail(Text(kUrlNotOpened));
    d->session.Prepare(*this, full);
    QList<std::pair<QByteArray, QByteArray>> parts;
    for (const auto &[name, value] : fields)
        parts.append({ name.toUtf8(), ToCp932(value) });
    d->session.SetMimePost(
        parts, fileField.toUtf8(), QFile::encodeName(localFile), ToCp932(remoteName));
    answer.clear();
    d->session.SetCollect(answer, MaxSize);
    d->session.SetLimits(MaxSize, fileField.isEmpty() ? TotalTimeout : 0);
    if (!d->session.Perform().Ok())
        return Fail(Text(kUrlNotOpened));
    return true;
}

} // namespace korvatel
