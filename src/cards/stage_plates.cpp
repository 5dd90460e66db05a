#include "cards/stage_plates.h"

#include "net/server_config.h"
#include "net/server_lookups.h"
#include "net/shop_envelope.h"
#include "net/win_inet.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

namespace korvatel
{

namespace
{

const char *const kListName = "CardPlates.ini";

// Fetches the list and its plates from one server; false when the list did not come (or was
// not the one the shop's envelope lists: then refused is set). A plate the envelope does not
// list as it came is removed, so that it is never offered.
bool FetchFrom(const TTransportSettings &transport, const TFormatServer &server,
    const QString &folder, const QString &shopId, const TShopTrust &trust, bool &refused)
{
    TWinHTTP http(transport);
    if (server.baseUrl.isEmpty() || !http.Connect(server.baseUrl))
        return false;
    const QString base = ShopPlatesUrl(server, shopId);
    http.MaxSize = kCardPlateListCap;
    const std::optional<QByteArray> list = http.GetUrlBytes(base + QString::fromLatin1(kListName));
    if (!list)
        return false;
    if (!trust.Accepts(QStringLiteral("Plates/") + QString::fromLatin1(kListName), *list)) {
        refused = true;
        return false;
    }
    const QList<TCardPlateEntry> entries
        = ParseCardPlateList(SjisLines(*list).value_or(QStringList()));
    http.MaxSize = kCardPlateCap;
    for (const TCardPlateEntry &entry : entries) {
        // GetUrlFile writes the file only once the whole answer arrived.
        const QString local = QDir(folder).filePath(entry.file);
        if (!http.GetUrlFile(local, base + entry.file)
            || !trust.AcceptsFile(QStringLiteral("Plates/") + entry.file, local, kCardPlateCap))
            QFile::remove(local);
    }
    QStringList kept;
    for (const TCardPlateEntry &entry : entries)
        kept << entry.file + u'=' + entry.title;
    return WriteSjisLines(QDir(folder).filePath(QString::fromLatin1(kListName)), kept);
}

} // namespace

QList<TCardPlateEntry> ParseCardPlateList(const QStringList &lines)
{
    static const QRegularExpression plainName(
        QStringLiteral("^[A-Za-z0-9_-]{1,40}\\.ksp$"), QRegularExpression::CaseInsensitiveOption);
    QList<TCardPlateEntry> entries;
    QSet<QString> seen;
    for (const QString &line : lines) {
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0)
            continue;
        const QString file = line.left(equals).trimmed();
        if (!plainName.match(file).hasMatch() || seen.contains(file))
            continue;
        QString title = line.mid(equals + 1).trimmed().left(40);
        if (title.isEmpty())
            title = QFileInfo(file).completeBaseName();
        seen.insert(file);
        entries.append({ file, title });
        if (entries.size() >= kMaxCardPlates)
            break;
    }
    return entries;
}

QString ShopPlatesUrl(const TFormatServer &server, const QString &shopId)
{
    auto join = [](QString base, const QString &path) {
        while (base.endsWith(u'/'))
            base.chop(1);
        return base + u'/' + path;
    };
    return join(join(server.baseUrl, server.folder), shopId + QStringLiteral("/Plates/"));
}

QString UntrustedPlatesText()
{
    return QStringLiteral("このお店のテンプレートは署名を確かめられないため、提供できません。");
}

QString CardPlateFolder(const QString &downloadDir)
{
    return QDir(downloadDir).filePath(QStringLiteral("Plates"));
}

QList<TCardPlateEntry> FetchCardPlates(
    const TServerConfig &config, const QString &downloadDir, const QString &shopId, bool *refused)
{
    const QString folder = CardPlateFolder(downloadDir);
    bool untrusted = false;
    if (IsShopIdText(shopId) && QDir().mkpath(folder)) {
        const TShopTrust trust = TShopTrust::Load(config.shopDataKey, downloadDir, shopId);
        if (!FetchFrom(config.Transport(), config.primary, folder, shopId, trust, untrusted)
            && !FetchFrom(config.Transport(), config.secondary, folder, shopId, trust, untrusted)
            && untrusted) {
            if (refused)
                *refused = true;
            return {};
        }
    }
    return LocalCardPlates(folder);
}

QList<TCardPlateEntry> LocalCardPlates(const QString &plateFolder)
{
    const std::optional<QStringList> lines
        = ReadSjisLines(QDir(plateFolder).filePath(QString::fromLatin1(kListName)));
    QList<TCardPlateEntry> present;
    for (const TCardPlateEntry &entry : ParseCardPlateList(lines.value_or(QStringList())))
        if (QFileInfo(QDir(plateFolder).filePath(entry.file)).isFile())
            present.append(entry);
    return present;
}

} // namespace korvatel
