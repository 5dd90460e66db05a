#include "customer/card_service.h"

#include "net/bounded_buffer.h"
#include "net/win_inet.h"
#include "platform/shell.h"
#include "text/cp932.h"
#include "text/key_file.h"
#include "text/sjis_file.h"

#include <QRegularExpression>
#include <QUrl>
#include <cmath>

namespace korvatel
{

namespace
{

QString Encoded(const QString &text)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(text));
}

// Card order IDs go into addresses and answers: figures, letters, "_" and the "(P)" of a
// bundle, nothing else.
bool IsCardOrderId(const QString &id)
{
    static const QRegularExpression form(QStringLiteral("^(\\(P\\))?[0-9A-Za-z_]{1,64}$"));
    return form.match(id).hasMatch();
}

// One status request names this many orders at most, so its address stays short.
constexpr int kIdsPerQuery = 40;

} // namespace

TCardService::TCardService(QString baseUrl, TTransportSettings transport)
    : FBaseUrl(std::move(baseUrl))
    , FTransport(std::move(transport))
{
    while (FBaseUrl.endsWith(u'/'))
        FBaseUrl.chop(1);
}

std::optional<QStringList> TCardService::Checked(const QByteArray &answer)
{
    if (answer.size() > kMaxCardAnswer) {
        FLastError = QStringLiteral("カード決済サービスの応答が大きすぎます。");
        return std::nullopt;
    }
    QStringList lines = SplitLines(FromCp932(answer));
    const QString head = lines.isEmpty() ? QString() : lines.takeFirst().trimmed();
    if (head != QLatin1String("OK")) {
        const QString reason = lines.isEmpty() ? QString() : lines.first().trimmed();
        FLastError = reason.isEmpty() ? QStringLiteral("カード決済サービスが処理できませんでした。")
                                      : reason.left(200);
        return std::nullopt;
    }
    FLastError.clear();
    return lines;
}

bool TCardService::Refuse()
{
    FLastError = QStringLiteral("カード決済の依頼内容が正しくありません。");
    return false;
}

std::optional<QStringList> TCardService::Get(const QString &script)
{
    TWinHTTP http(FTransport);
    TBoundedBuffer answer(kMaxCardAnswer);
    try {
        if (!http.Connect(FBaseUrl) || !http.GetUrl(answer, FBaseUrl + u'/' + script)) {
            FLastError = http.LastError();
            return std::nullopt;
        }
    } catch (const EWinInetError &e) {
        // A refused byte beyond the limit ends up here too.
        FLastError = e.Text();
        return std::nullopt;
    }
    return Checked(answer.Data());
}

bool TCardService::PayOrder(const QString &cardOrderId, double amount)
{
    if (!IsCardOrderId(cardOrderId) || !std::isfinite(amount) || amount <= 0
        || amount > kMaxCardAmount)
        return Refuse();
    const QString script = QStringLiteral("pay.php?id=%1&amount=%2")
                               .arg(Encoded(cardOrderId))
                               .arg(qint64(std::llround(amount)));
    return Get(script).has_value();
}

bool TCardService::WriteBundle(const QString &cardOrderId, const QStringList &creditLines)
{
    if (!IsCardOrderId(cardOrderId))
        return Refuse();
    TWinHTTP http(FTransport);
    QByteArray answer;
    const QList<std::pair<QString, QString>> fields = { { QStringLiteral("id"), cardOrderId },
        { QStringLiteral("lines"), creditLines.join(QStringLiteral("\r\n")) } };
    if (!http.Connect(FBaseUrl)
        || !http.PostForm(FBaseUrl + QStringLiteral("/bundle.php"), fields, {}, {}, {}, answer)) {
        FLastError = http.LastError();
        return false;
    }
    return Checked(answer).has_value();
}

bool TCardService::ReleaseBundle(const QString &cardOrderId)
{
    if (!IsCardOrderId(cardOrderId))
        return Refuse();
    return Get(QStringLiteral("release.php?id=") + Encoded(cardOrderId)).has_value();
}

std::optional<qint64> TCardService::NextCardNumber()
{
    const std::optional<QStringList> lines = Get(QStringLiteral("number.php"));
    if (!lines)
        return std::nullopt;
    static const QRegularExpression figures(QStringLiteral("^[0-9]{1,15}$"));
    const QString text = TKeyFile(*lines).Value(QStringLiteral("Number")).trimmed();
    if (!figures.match(text).hasMatch() || text.toLongLong() <= 0) {
        FLastError = QStringLiteral("カード決済サービスの番号が読めません。");
        return std::nullopt;
    }
    return text.toLongLong();
}

bool TCardService::OpenCardSettings()
{
    const QString page = FBaseUrl + QStringLiteral("/settings.php");
    return OpenPage ? OpenPage(page) : ShellOpen(page);
}

bool TCardService::QuerySettlements(const QStringList &cardOrderIds,
    const std::function<void(const QString &id, int state, bool &found)> &report)
{
    QStringList asked;
    for (const QString &id : cardOrderIds) {
        if (IsCardOrderId(id) && !asked.contains(id))
            asked << id;
    }
    for (qsizetype first = 0; first < asked.size(); first += kIdsPerQuery) {
        const QStringList part = asked.mid(first, kIdsPerQuery);
        QStringList encoded;
        for (const QString &id : part)
            encoded << Encoded(id);
        const std::optional<QStringList> lines
            = Get(QStringLiteral("status.php?id=") + encoded.join(u','));
        if (!lines)
            return false;
        // Only the orders asked about, and only the two states the history knows.
        for (const QString &line : *lines) {
            const QString id = line.section(u'=', 0, 0).trimmed();
            const QString state = line.section(u'=', 1).trimmed();
            if (!part.contains(id) || (state != QLatin1String("2") && state != QLatin1String("3")))
                continue;
            bool found = false;
            report(id, state.toInt(), found);
        }
    }
    return true;
}

} // namespace korvatel
