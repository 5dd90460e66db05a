#include "net/server_lookups.h"

#include "net/shop_envelope.h"
#include "net/signature.h"
#include "platform/clock.h"
#include "platform/prompter.h"
#include "pricing/shop_data.h"
#include "text/cp932.h"
#include "text/key_file.h"
#include "text/numbers.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QUrl>
#include <cmath>

namespace korvatel
{

namespace
{

QString UrlPart(const QString &text)
{
    return QString::fromLatin1(ToCp932(text).toPercentEncoding("/@."));
}

QString JoinUrl(QString base, const QString &path)
{
    while (base.endsWith(u'/'))
        base.chop(1);
    return path.startsWith(u'/') ? base + path : base + u'/' + path;
}

// What one fetch of shop data is after: the shop, the alias it was looked up by, where its
// files go, and (with a shop data key) what its envelope must say.
struct TFetchTarget {
    QString downloadDir;
    QString shopId;
    QString alias;
    QString key;
};

// With a shop data key the server's signed envelope is read first: a server whose envelope is
// missing or refused gives nothing (the log says why), so that the next server is asked and,
// failing that, the start is offline.
std::optional<TShopEnvelope> FetchEnvelope(TWinHTTP &http, const QString &url,
    const TFetchTarget &target, int number, QStringList &log, QByteArray &text,
    QByteArray &signature)
{
    http.MaxSize = kMaxShopEnvelopeSize;
    const std::optional<QByteArray> served = http.GetUrlBytes(url);
    http.MaxSize = kMaxSignatureFileSize;
    const std::optional<QByteArray> signed_
        = served ? http.GetUrlBytes(url + QStringLiteral(".sig")) : std::nullopt;
    TEnvelopeExpectation expected;
    expected.key = target.key;
    expected.shopId = target.shopId;
    expected.alias = target.alias;
    expected.lastSerial = LastShopSerial(target.downloadDir, target.shopId);
    expected.today = QDate::currentDate();
    const TEnvelopeCheck check = CheckShopEnvelope(served, signed_, expected);
    if (!check.envelope) {
        log << check.LogLine(number);
        return std::nullopt;
    }
    text = *served;
    signature = *signed_;
    return check.envelope;
}

// A downloaded file of the shop that its envelope does not list as it came is removed
// ("SignNG:Server1.Mall.on"): an unsigned switch is off, an unsigned container is no container.
bool KeepIfCovered(const std::optional<TShopEnvelope> &envelope, const QString &local,
    const QString &file, int number, QStringList &log)
{
    if (!envelope)
        return true;
    const std::optional<QByteArray> bytes = ReadWholeFile(local, kShopDataCap);
    if (bytes && envelope->Covers(file, *bytes))
        return true;
    log << QStringLiteral("SignNG:Server%1.").arg(number) + file;
    QFile::remove(local);
    return false;
}

// Fetches every file of the shop folder of one format server into the download folder.
void FetchFromServer(const TTransportSettings &transport, const TFormatServer &server,
    const TFetchTarget &target, int number, const QString &name, QStringList &log)
{
    TWinHTTP http(transport);
    if (!http.Connect(server.baseUrl)) {
        log << QStringLiteral("ConnectNG:") + name;
        return;
    }
    const QString base
        = JoinUrl(server.baseUrl, server.folder) + u'/' + UrlPart(target.shopId) + u'/';
    QByteArray envelopeText, envelopeSignature;
    std::optional<TShopEnvelope> envelope;
    if (!target.key.isEmpty()) {
        envelope = FetchEnvelope(http, base + QString::fromLatin1(kShopEnvelopeFileName), target,
            number, log, envelopeText, envelopeSignature);
        if (!envelope)
            return;
    }
    QStringList files { QString::fromLatin1(kShopDataFileName) };
    files += ShopSwitchFiles();
    for (const QString &file : files) {
        const QString local = QDir(target.downloadDir).filePath(file);
        const bool container = file == files.first();
        // A switch file says "on" by arriving: it has no business being more than a few bytes.
        http.MaxSize = container ? kShopDataCap : kSwitchFileCap;
        if (!http.GetUrlFile(local, base + file)) {
            log << QStringLiteral("LoadNG:Server%1.").arg(number) + file;
            QFile::remove(local);
        } else if (!KeepIfCovered(envelope, local, file, number, log) && container) {
            return; // the switches of a server whose container was refused are not taken
        }
    }
    if (envelope && QFile::exists(QDir(target.downloadDir).filePath(files.first())))
        KeepShopEnvelope(
            target.downloadDir, target.shopId, envelope->serial, envelopeText, envelopeSignature);
}

} // namespace

QStringList ShopSwitchFiles()
{
    return { QStringLiteral("Hosei.on"), QStringLiteral("Camp.on"), QStringLiteral("Mall.on"),
        QStringLiteral("Card.on"), QStringLiteral("Pos.on"), QStringLiteral("Http.on") };
}

TShopFetch FetchShopData(const TServerConfig &config, const QString &downloadDir,
    const QString &shopId, const std::function<void(const QString &)> &progress)
{
    TShopFetch fetch;
    fetch.shopId = shopId;
    QDir dir(downloadDir);
    if (!QDir().mkpath(downloadDir))
        fetch.log << QStringLiteral("DownDir:MakeError");
    const QString container = dir.filePath(QString::fromLatin1(kShopDataFileName));
    QFile::remove(container);
    for (const QString &file : ShopSwitchFiles())
        QFile::remove(dir.filePath(file));
    ForgetShopEnvelope(downloadDir);

    TFetchTarget target { downloadDir, shopId, {}, config.shopDataKey };
    static const QRegularExpression figures(QStringLiteral("^[0-9]+$"));
    if (!figures.match(shopId).hasMatch()) {
        target.alias = shopId;
        if (const std::optional<QString> resolved = ResolveShopId(config, shopId))
            fetch.shopId = *resolved;
        else
            fetch.log << QStringLiteral("NumericID:Failed(") + shopId + u')';
    }
    target.shopId = fetch.shopId;

    if (progress)
        progress(QStringLiteral("Primary Server"));
    FetchFromServer(
        config.Transport(), config.primary, target, 1, QStringLiteral("Primary"), fetch.log);
    if (!QFile::exists(container)) {
        if (progress)
            progress(QStringLiteral("Secondary Server"));
        FetchFromServer(config.Transport(), config.secondary, target, 2,
            QStringLiteral("Secondary"), fetch.log);
    }

    const std::optional<TShopData> data
        = QFile::exists(container) ? TShopData::LoadContainer(container) : std::nullopt;
    if (!data) {
        fetch.log << QStringLiteral("NoneStatus:") + QString::fromLatin1(kShopDataFileName);
        return fetch;
    }
    fetch.serverBuild = data->ServerBuild();
    fetch.serverR = data->ServerR();
    DeleteStaleTableFiles(downloadDir);
    for (const QString &file : ShopSwitchFiles()) {
        if (QFile::exists(dir.filePath(file)))
            fetch.switches << file;
    }
    QFile::remove(dir.filePath(QStringLiteral("Pos.on")));
    QFile::remove(dir.filePath(QStringLiteral("Http.on")));
    fetch.ok = true;
    return fetch;
}

bool IsShopIdText(const QString &id)
{
    static const QRegularExpression figures(QStringLiteral("^[0-9]{1,16}$"));
    return figures.match(id).hasMatch();
}

std::optional<QString> ResolveShopId(const TServerConfig &config, const QString &alias)
{
    for (const TFormatServer &server : { config.secondary, config.primary }) {
        TWinHTTP http(config.Transport());
        if (!http.Connect(server.baseUrl))
            continue;
        QStringList lines;
        if (!http.GetUrlStrings(lines,
                JoinUrl(server.baseUrl,
                    QStringLiteral("/KorvArias/") + UrlPart(alias) + QStringLiteral(".ini"))))
            continue;
        // The id names folders and URLs from here on: only figures are taken from the answer.
        const QString id = TKeyFile(lines).Value(QStringLiteral("MasterID")).trimmed();
        if (IsShopIdText(id))
            return id;
    }
    return std::nullopt;
}

std::optional<QDateTime> ParseServerTime(const QString &text)
{
    static const QRegularExpression form(
        QStringLiteral("^\\s*(\\d{4})[/-](\\d{1,2})[/-](\\d{1,2})[ "
                       "T]+(\\d{1,2}):(\\d{1,2})(?::(\\d{1,2}))?\\s*$"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const QDate date(
        match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
    const QTime time(match.captured(4).toInt(), match.captured(5).toInt(),
        match.captured(6).isEmpty() ? 0 : match.captured(6).toInt());
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(date, time);
}

std::optional<QDateTime> QueryServerTime(const TServerConfig &config, QString *error)
{
    for (const QString &server : config.timeServers.mid(0, 4)) {
        TWinHTTP http(config.Transport());
        if (!http.Connect(server))
            continue;
        QStringList lines;
        if (!http.GetUrlStrings(lines, JoinUrl(server, QStringLiteral("/GetTime.php"))))
            continue;
        const TKeyFile answer(lines);
        if (!answer.HasName(QStringLiteral("Time")))
            continue;
        if (std::optional<QDateTime> time
            = ParseServerTime(TrimBlanks(answer.Value(QStringLiteral("Time")))))
            return time;
    }
    if (error)
        *error = QStringLiteral("ArenaTime Faild.");
    return std::nullopt;
}

namespace
{

bool IsHttpsUrl(const QString &url)
{
    const QUrl parsed(url);
    return parsed.isValid() && !parsed.host().isEmpty()
        && parsed.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
}

} // namespace

std::optional<QString> RegistrationReportUrl(const TServerConfig &config)
{
    if (!config.registrationUrl.isEmpty()) {
        if (IsHttpsUrl(config.registrationUrl))
            return config.registrationUrl;
        return std::nullopt;
    }
    for (const QString &server : config.timeServers.mid(0, 4)) {
        if (IsHttpsUrl(server))
            return JoinUrl(server, QStringLiteral("/MacUp.php"));
    }
    return std::nullopt;
}

bool ReportRegistration(
    const TTransportSettings &transport, const QString &url, const QStringList &lines)
{
    QList<std::pair<QString, QString>> fields;
    for (const QString &line : lines) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq > 0)
            fields.append({ line.left(eq), line.mid(eq + 1) });
    }
    if (fields.isEmpty() || !IsHttpsUrl(url))
        return false;
    TWinHTTP http(transport);
    http.HttpsOnly = true;
    QByteArray answer;
    if (!http.Connect(url) || !http.PostForm(url, fields, {}, {}, {}, answer))
        return false;
    const std::optional<QStringList> read = SjisLines(answer);
    return read && !read->isEmpty() && read->first().trimmed() == QLatin1String("OK");
}

QString CheckClock(const TServerConfig &config, TPrompter &prompter, const TClock &clock,
    const std::function<bool(const QDateTime &)> &setClock)
{
    const TModalResult answer = prompter.Ask(TMsgKind::mkConfirmation,
        QStringLiteral("マシンの時刻も正しい値に更新しますか？"), mbYes | mbNo | mbCancel);
    if (answer == TModalResult::mrCancel || answer == TModalResult::mrNone)
        return {};
    const QDateTime now = clock.Now();
    const std::optional<QDateTime> server = QueryServerTime(config);
    QString message;
    if (!server) {
        message = QStringLiteral("タイムサーバの接続に失敗しました。\r\n\r\n失敗しました");
        prompter.Inform(message);
        return message;
    }
    // Whole seconds, cut towards zero; positive when the machine runs ahead.
    const qint64 d = server->msecsTo(now) / 1000;
    bool set = false;
    QDateTime corrected = now.addSecs(-d);
    if (answer == TModalResult::mrYes && d != 0 && setClock)
        set = setClock(corrected);

    const qint64 a = std::llabs(d);
    const QString sign = d < 0 ? QStringLiteral("-")
        : d > 0                ? QStringLiteral("+")
                               : QStringLiteral("±");
    const QString difference = QString::asprintf(
        "%s%.2lld:%.2lld:%.2lld", sign.toUtf8().constData(), a / 3600, (a / 60) % 60, a % 60);
    const QString state = QStringLiteral("時計は")
        + (d == 0       ? QStringLiteral("合って")
                : d < 0 ? QStringLiteral("遅れて")
                        : QStringLiteral("進んで"));
    if (d == 0)
        message = state + QStringLiteral("います。");
    else if (set)
        message = difference + QStringLiteral("\r\n") + state + QStringLiteral("いました。")
            + QStringLiteral("\r\n\r\n") + QStringLiteral("現在時刻 ")
            + corrected.toString(QStringLiteral("yyyy/MM/dd hh:mm:ss"));
    else
        message = difference + QStringLiteral("\r\n") + state + QStringLiteral("います。");
    prompter.Inform(message);
    return message;
}

QString VersionStateMessage(int state)
{
    switch (state) {
    case 2:
        return QStringLiteral("最新版サービスは稼動中です。");
    case 1:
        return QStringLiteral("現在、最新版サービスの更新(変更･修正)作業中です。"
                              "時間を置いて再接続してください。");
    case 0:
        return QStringLiteral("現在、最新版サービスは休止しています。");
    default:
        return QStringLiteral(
            "サーバーに接続できませんでした。\r\n\r\n 1.インターネットに接続できない。\r\n "
            "2.最新版サービスのサーバーが変更された。\r\n "
            "3.サーバーがダウンしている、または、メンテナンス中。\r\n\r\nなどが考えられます。\r\n"
            "時間を置いてから再接続してみて下さい。");
    }
}

QStringList NewerVersions(const QStringList &history, const QString &ownVersion)
{
    qsizetype first = 0;
    while (first < history.size()) {
        const QString version = history.at(first).section(u'=', 0, 0).trimmed();
        if (CompareVersions(version, ownVersion) > 0)
            break;
        ++first;
    }
    return history.mid(first);
}

int FetchVersionList(
    const TServerConfig &config, const QString &ownVersion, QStringList &list, QString &message)
{
    list.clear();
    int state = -1;
    TWinHTTP http(config.Transport());
    if (http.Connect(config.versionUrl)) {
        QStringList lines;
        if (http.GetUrlStrings(
                lines, JoinUrl(config.versionUrl, QStringLiteral("/Korvatel/Versions.ini")))) {
            const QString value = TKeyFile(lines).Value(QStringLiteral("VersionsInformation"));
            state = value == QLatin1String("TRUE") ? 2 : value == QLatin1String("FALSE") ? 1 : 0;
        }
        QStringList history;
        if (state >= 0
            && http.GetUrlStrings(
                history, JoinUrl(config.versionUrl, QStringLiteral("/Korvatel/VerHist.ini")))) {
            history.removeAll(QString());
            list = NewerVersions(history, ownVersion);
        }
    }
    message = VersionStateMessage(state);
    return state;
}

namespace
{

std::optional<QByteArray> HostedTextBytes(
    const TTransportSettings &transport, const QString &base, const QString &path)
{
    TWinHTTP http(transport);
    if (!http.Connect(base))
        return std::nullopt;
    return http.GetUrlBytes(
        JoinUrl(base, QStringLiteral("/tamsel_php/get_textfile.php?file=") + UrlPart(path)));
}

} // namespace

std::optional<QStringList> HostedTextFile(
    const TTransportSettings &transport, const QString &base, const QString &path)
{
    const std::optional<QByteArray> bytes = HostedTextBytes(transport, base, path);
    return bytes ? SjisLines(*bytes) : std::nullopt;
}

bool HostedFileExists(const TTransportSettings &transport, const QString &base, const QString &path)
{
    TWinHTTP http(transport);
    if (!http.Connect(base))
        return false;
    QStringList lines;
    if (!http.GetUrlStrings(lines,
            JoinUrl(base, QStringLiteral("/tamsel_php/find_file.php?file=") + UrlPart(path))))
        return false;
    return !lines.isEmpty() && lines.first().trimmed() == QLatin1String("FOUND");
}

bool HostedScriptsAlive(const TTransportSettings &transport, const QString &base)
{
    const std::optional<QStringList> text
        = HostedTextFile(transport, base, QStringLiteral("@test"));
    if (!text || text->isEmpty() || text->first().trimmed() != QLatin1String("OK"))
        return false;
    TWinHTTP http(transport);
    QStringList lines;
    return http.Connect(base)
        && http.GetUrlStrings(
            lines, JoinUrl(base, QStringLiteral("/tamsel_php/find_file.php?file=@test")))
        && !lines.isEmpty() && lines.first().trimmed() == QLatin1String("OK");
}

TCampusLookup CampusLookup(
    const TServerConfig &config, const QString &shop, const TShopTrust &trust)
{
    TCampusLookup result;
    const QString base = config.campusUrl;
    const TTransportSettings transport = config.Transport();
    if (!HostedScriptsAlive(transport, base))
        return result;
    // A list the shop's envelope does not vouch for reads as if it were not there.
    const auto vouched = [&](const QString &path, const char *name) -> std::optional<QStringList> {
        const std::optional<QByteArray> bytes = HostedTextBytes(transport, base, path);
        if (!bytes || !trust.Accepts(QStringLiteral("Campus/") + QLatin1String(name), *bytes))
            return std::nullopt;
        return SjisLines(*bytes);
    };
    const QString root = config.campusRoot;
    const std::optional<QStringList> cost
        = vouched(root + QStringLiteral("/korvatel/cost.ini"), "cost.ini");
    if (!cost || cost->join(QString()).trimmed().isEmpty()
        || cost->value(0).trimmed() == QLatin1String("NONE"))
        return result;
    result.cost = *cost;
    const QString folder = root + QStringLiteral("/shop.") + shop;
    result.editing = HostedFileExists(transport, base, root + QStringLiteral("/editing"));
    result.busy = HostedFileExists(transport, base, folder + QStringLiteral("/busy"));
    result.campusOk = HostedFileExists(transport, base, folder + QStringLiteral("/campus_ok"));
    const auto priceList = [&](const char *name) {
        const std::optional<QStringList> lines = vouched(folder + u'/' + QLatin1String(name), name);
        if (lines && lines->contains(QStringLiteral("<CHARGE>")))
            return *lines;
        return QStringList();
    };
    result.masterPrices = priceList("master.ini");
    result.customPrices = priceList("custom.ini");
    const std::optional<QStringList> pays
        = vouched(folder + QStringLiteral("/pays.ini"), "pays.ini");
    if (pays && TKeyFile(*pays).HasName(QStringLiteral("UseBank")))
        result.payments = *pays;
    result.ok = true;
    return result;
}

} // namespace korvatel
