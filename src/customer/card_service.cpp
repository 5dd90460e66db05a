#include "customer/card_service.h"

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

// One status request names this many orders at most, so an older service's address stays
// short.
constexpr int kIdsPerQuery = 40;

// The keys of the card data file, and the form of a token: 128 to 512 bits in hexadecimal.
const QString kUrlKey = QStringLiteral("CardURL");
const QString kTokenKey = QStringLiteral("Token");

bool IsToken(const QString &token)
{
    static const QRegularExpression form(QStringLiteral("^[0-9A-Fa-f]{32,128}$"));
    return form.match(token).hasMatch();
}

} // namespace

TCardService::TCardService(QString baseUrl, TTransportSettings transport, QString cardDataFile)
    : FBaseUrl(std::move(baseUrl))
    , FTransport(std::move(transport))
    , FCardDataFile(std::move(cardDataFile))
{
    while (FBaseUrl.endsWith(u'/'))
        FBaseUrl.chop(1);
    if (FCardDataFile.isEmpty())
        return;
    // A token belongs to the service that gave it: another address never sees it.
    const TKeyFile data(ReadSjisLines(FCardDataFile).value_or(QStringList()));
    const QString token = data.Value(kTokenKey).trimmed();
    if (data.Value(kUrlKey).trimmed() == FBaseUrl && IsToken(token))
        FToken = token;
}

bool TCardService::SafeCardAddress(const QString &url)
{
    const QUrl address(url.trimmed(), QUrl::StrictMode);
    if (!address.isValid() || address.host().isEmpty())
        return false;
    const QString scheme = address.scheme().toLower();
    if (scheme == u"https")
        return true;
    if (scheme != u"http")
        return false;
    static const QRegularExpression loopback4(
        QStringLiteral("^127\\.[0-9]{1,3}\\.[0-9]{1,3}\\.[0-9]{1,3}$"));
    const QString host = address.host().toLower();
    return host == u"localhost" || host == u"::1" || loopback4.match(host).hasMatch();
}

QString TCardService::UnsafeAddressText()
{
    return QStringLiteral("カード決済サービスのアドレスが https:// ではないため、接続しません。\r\n"
                          "カード情報が暗号化されずに送られるおそれがあります。"
                          "お店にお問い合わせください。");
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

std::optional<QStringList> TCardService::Post(const QString &script, TFields fields, bool inAddress)
{
    if (!AddressAllowed()) {
        FLastError = UnsafeAddressText();
        return std::nullopt;
    }
    QString url = FBaseUrl + u'/' + script;
    if (FToken.isEmpty() && inAddress && !fields.isEmpty()) {
        QStringList query;
        for (const auto &[name, value] : fields)
            query << name + u'=' + Encoded(value);
        url += u'?' + query.join(u'&');
    }
    if (!FToken.isEmpty())
        fields.append({ kTokenKey.toLower(), FToken });
    TWinHTTP http(FTransport);
    http.MaxSize = kMaxCardAnswer;
    QByteArray answer;
    try {
        if (!http.Connect(FBaseUrl) || !http.PostForm(url, fields, {}, {}, {}, answer)) {
            FLastError = http.LastError();
            return std::nullopt;
        }
    } catch (const EWinInetError &e) {
        // An answer beyond the limit ends up here too.
        FLastError = e.Text();
        return std::nullopt;
    }
    return Checked(answer);
}

bool TCardService::PayOrder(const QString &cardOrderId, double amount)
{
    if (!IsCardOrderId(cardOrderId) || !std::isfinite(amount) || amount <= 0
        || amount > kMaxCardAmount)
        return Refuse();
    const TFields fields = { { QStringLiteral("id"), cardOrderId },
        { QStringLiteral("amount"), QString::number(qint64(std::llround(amount))) } };
    return Post(QStringLiteral("pay.php"), fields, true).has_value();
}

bool TCardService::WriteBundle(const QString &cardOrderId, const QStringList &creditLines)
{
    if (!IsCardOrderId(cardOrderId))
        return Refuse();
    const TFields fields = { { QStringLiteral("id"), cardOrderId },
        { QStringLiteral("lines"), creditLines.join(QStringLiteral("\r\n")) } };
    return Post(QStringLiteral("bundle.php"), fields, false).has_value();
}

bool TCardService::ReleaseBundle(const QString &cardOrderId)
{
    if (!IsCardOrderId(cardOrderId))
        return Refuse();
    return Post(QStringLiteral("release.php"), { { QStringLiteral("id"), cardOrderId } }, true)
        .has_value();
}

std::optional<qint64> TCardService::NextCardNumber()
{
    const std::optional<QStringList> lines = Post(QStringLiteral("number.php"), {}, false);
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

bool TCardService::RegisterCard()
{
    if (FRegisterAsked)
        return HasToken();
    FRegisterAsked = true;
    // The form names the client only: what the service keeps with the card is entered on its
    // own page, never sent from here.
    const std::optional<QStringList> lines = Post(QStringLiteral("register.php"),
        { { QStringLiteral("client"), QStringLiteral("Korvatel") } }, false);
    if (!lines)
        return false;
    const QString token = TKeyFile(*lines).Value(kTokenKey).trimmed();
    if (!IsToken(token)) {
        FLastError = QStringLiteral("カード決済サービスから登録の鍵が届きませんでした。");
        return false;
    }
    if (FCardDataFile.isEmpty()
        || !WriteSjisLines(FCardDataFile, { kUrlKey + u'=' + FBaseUrl, kTokenKey + u'=' + token },
            TFileAccess::faPrivate)) {
        FLastError = QStringLiteral("カード登録の鍵を保存できませんでした。");
        return false;
    }
    FToken = token;
    return true;
}

bool TCardService::OpenCardSettings()
{
    if (!AddressAllowed()) {
        FLastError = UnsafeAddressText();
        return false;
    }
    if (!HasToken())
        RegisterCard(); // an older service gives no token: its page opens all the same
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
        const std::optional<QStringList> lines = Post(
            QStringLiteral("status.php"), { { QStringLiteral("id"), part.join(u',') } }, true);
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
