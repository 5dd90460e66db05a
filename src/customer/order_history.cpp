#include "customer/order_history.h"

#include "customer/card_payment.h"
#include "platform/clock.h"
#include "platform/private_files.h"
#include "platform/prompter.h"
#include "platform/user_folders.h"
#include "text/comma_text.h"
#include "text/cp932.h"
#include "text/file_names.h"
#include "text/key_file.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <algorithm>

namespace korvatel
{

namespace
{

struct TKindTag {
    const char *kind;
    const char *tag;
    const char16_t *display;
};

const TKindTag kKindTags[] = {
    { "ksiCredit", "cr", u"クレジット" },
    { "ksiDaibiki", "da", u"配送代引き" },
    { "ksiFurikomi", "fk", u"銀行等振込" },
    { "ksiUFuri", "uf", u"〒局払込票" },
    { "ksiCombini", "cv", u"コンビニ票" },
    { "ksiKakitome", "kt", u"〒現金書留" },
    { "ksiTentoo", "sp", u"店頭支払い" },
    { "ksiTakeCash", "tc", u"配達時払い" },
    { "ksiKakeUri", "ku", u"請求書払い" },
    { "ksiJifuri", "jf", u"自動引落　" },
    { "ksiCumpus", "ic", u"受取場所払" },
};

const QString kWcp = QStringLiteral(".wcp");
const QString kBundlePrefix = QStringLiteral("(P)");
const QString kFailed = QStringLiteral(".faild.");

// The shop of a card order ID "<tel>N<user>_<shop>D<yymmdd>".
QString ShopOfCardId(const QString &id)
{
    const qsizetype under = id.indexOf(QLatin1Char('_'));
    const qsizetype d = id.lastIndexOf(QLatin1Char('D'));
    if (under < 0 || d <= under)
        return {};
    return id.mid(under + 1, d - under - 1);
}

QString PakValue(const QStringList &creditLines)
{
    return TKeyFile(creditLines).Value(QStringLiteral("pak")).trimmed();
}

} // namespace

QString PaymentTag(const QString &kindName)
{
    for (const TKindTag &kind : kKindTags) {
        if (kindName.trimmed().compare(QLatin1String(kind.kind), Qt::CaseInsensitive) == 0)
            return QLatin1String(kind.tag);
    }
    return QStringLiteral("un");
}

QString TagDisplayName(const QString &tag)
{
    for (const TKindTag &kind : kKindTags) {
        if (tag.compare(QLatin1String(kind.tag), Qt::CaseInsensitive) == 0)
            return QString::fromUtf16(kind.display);
    }
    return QStringLiteral("未定義支払");
}

QString PayStateLabel(int state)
{
    switch (state) {
    case hpsSettled:
        return QStringLiteral("精算済");
    case hpsWaiting:
        return QStringLiteral("報告待ち");
    case hpsUnpaid:
        return QStringLiteral("未払い");
    default:
        return {};
    }
}

QString TOrderHistRec::CardOrderId() const
{
    const qsizetype open = fileName.indexOf(QStringLiteral("]("));
    if (open < 0)
        return {};
    const qsizetype close = fileName.indexOf(QLatin1Char(')'), open + 2);
    if (close < 0)
        return {};
    return fileName.mid(open + 2, close - open - 2);
}

QString TOrderHistRec::PaymentId() const
{
    const QString id = CardOrderId();
    return isBundle && !id.isEmpty() ? kBundlePrefix + id : id;
}

double TOrderHistRec::Total() const
{
    return DigitsOf(amount).toDouble();
}

TOrderHistRec HistEntryOf(const QString &fileName)
{
    TOrderHistRec entry;
    entry.fileName = fileName;
    entry.isBundle = fileName.startsWith(kBundlePrefix) ? 1 : 0;
    const QString body = entry.isBundle ? fileName.mid(kBundlePrefix.size()) : fileName;
    const qsizetype dash = body.indexOf(QLatin1Char('-'));
    const qsizetype open = body.indexOf(QLatin1Char('['), dash + 1);
    entry.shop = body.left(dash < 0 ? (open < 0 ? 0 : open) : dash);
    if (dash >= 0)
        entry.stamp = body.mid(dash + 1, open < 0 ? -1 : open - dash - 1);
    if (open >= 0) {
        const qsizetype close = body.indexOf(QLatin1Char(']'), open + 1);
        const QString inside = body.mid(open + 1, close < 0 ? -1 : close - open - 1);
        entry.tag = inside.left(2);
        entry.amount = inside.mid(2);
    }
    if (entry.tag.compare(QLatin1String("cr"), Qt::CaseInsensitive) == 0
        && fileName.contains(QStringLiteral("]("))) {
        if (fileName.endsWith(QStringLiteral(").comp.wcp"), Qt::CaseInsensitive))
            entry.payState = hpsSettled;
        else if (fileName.endsWith(QStringLiteral(").wait.wcp"), Qt::CaseInsensitive))
            entry.payState = hpsWaiting;
        else if (fileName.endsWith(QStringLiteral(").wcp"), Qt::CaseInsensitive))
            entry.payState = hpsUnpaid;
    }
    entry.sent = fileName.contains(kFailed) ? 0 : 1;
    return entry;
}

QString HistoryFileName(const QString &orderNumber, const QString &tag, const QString &total,
    const QString &cardOrderId, bool sent, bool settled, bool waiting)
{
    QString name = SafeFileNamePart(orderNumber) + QLatin1Char('[') + tag + SafeFileNamePart(total)
        + QLatin1Char(']');
    if (!cardOrderId.isEmpty()) {
        name += QLatin1Char('(') + SafeFileNamePart(cardOrderId) + QLatin1Char(')');
        if (!sent)
            name += QStringLiteral(".faild");
        else if (settled)
            name += QStringLiteral(".comp");
        else if (waiting)
            name += QStringLiteral(".wait");
    } else if (!sent) {
        // Without this mark a failed order without card payment would be listed as sent.
        name += QStringLiteral(".faild");
    }
    return name + kWcp;
}

QString OrderNumberOf(const QStringList &orderText)
{
    const QString key = QStringLiteral("注文番号=");
    for (const QString &line : orderText) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed();
    }
    return {};
}

QString OrderTotalOf(const QStringList &orderText)
{
    const QString key = QStringLiteral("合計金額 : \\");
    for (const QString &line : orderText) {
        const qsizetype at = line.indexOf(key);
        if (at >= 0) {
            QString total = line.mid(at + key.size()).trimmed();
            total.remove(QLatin1Char(','));
            return total;
        }
    }
    return {};
}

QString StampDateText(const QString &stamp)
{
    const QString s = stamp.left(15);
    return s.mid(0, 4) + QLatin1Char('.') + s.mid(4, 2) + QLatin1Char('.') + s.mid(6, 2)
        + QLatin1Char(' ') + s.mid(9, 2) + QLatin1Char(':') + s.mid(11, 2) + QLatin1Char(':')
        + s.mid(13, 2);
}

QString BundleMark(const TOrderHistRec &entry)
{
    return entry.expanded ? QStringLiteral("－") : QStringLiteral("＋");
}

QString EntryText(const TOrderHistRec &entry)
{
    QString text;
    if (entry.isBundle) {
        const QString shop = entry.shop == QLatin1String(kSeveralShops)
            ? QStringLiteral("複数店")
            : entry.shop + QStringLiteral("店");
        text = BundleMark(entry) + StampDateText(entry.stamp) + QLatin1Char(' ')
            + Cp932Left(shop, 14);
    } else {
        QString shop = entry.shop + QStringLiteral("店");
        shop += QString(std::max(0, 14 - Cp932Width(shop)), QLatin1Char(' '));
        text = StampDateText(entry.stamp) + QLatin1Char(' ') + Cp932Left(shop, 14);
    }
    text += QLatin1Char('\\') + entry.amount.rightJustified(8) + QLatin1Char(' ')
        + TagDisplayName(entry.tag) + QLatin1Char(' ') + PayStateLabel(entry.payState);
    if (entry.interrupted)
        text = text.trimmed() + QStringLiteral(" (送信中断)");
    else if (!entry.sent)
        text = text.trimmed() + QStringLiteral(" (中止.or.失敗)");
    return text;
}

QStringList BundleItemLines(const TOrderHistRec &entry)
{
    QString list = entry.bundleList;
    list.replace(QLatin1Char('='), QLatin1Char(';'));
    list.replace(QLatin1Char(','), QLatin1Char(';'));
    QStringList lines;
    for (const QString &item : list.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const qsizetype n = item.indexOf(QLatin1Char('N'));
        const qsizetype under = item.indexOf(QLatin1Char('_'), n + 1);
        const qsizetype d = item.lastIndexOf(QLatin1Char('D'));
        if (n <= 0 || under <= n || d <= under || item.size() - d - 1 < 6)
            continue; // a shop name of the list, not an order
        const QString date = item.mid(d + 1, 6);
        lines << QStringLiteral("  > 20") + date.left(2) + QLatin1Char('.') + date.mid(2, 2)
                + QLatin1Char('.') + date.mid(4, 2) + QLatin1Char(' ')
                + item.mid(under + 1, d - under - 1) + QStringLiteral("店") + QLatin1Char(' ')
                + QStringLiteral("oderd-tel:") + item.left(n) + QLatin1Char(' ')
                + QStringLiteral("ec-uid:") + item.mid(n + 1, under - n - 1);
    }
    return lines;
}

TOrderHistory::TOrderHistory(QString folder)
    : FFolder(std::move(folder))
{
}

QString TOrderHistory::DefaultFolder(const TUserFolders &folders)
{
    return QDir(folders.appData).filePath(QStringLiteral("Brannock/Hist/ks_hist"));
}

QString TOrderHistory::FilePath(const QString &fileName) const
{
    return QDir(FFolder).filePath(fileName);
}

bool TOrderHistory::SuccessOnly() const
{
    if (!FSuccessOnly)
        FSuccessOnly = QFileInfo::exists(FilePath(QStringLiteral("success_only")));
    return *FSuccessOnly;
}

bool TOrderHistory::SetSuccessOnly(bool on)
{
    FSuccessOnly.reset();
    const QString marker = FilePath(QStringLiteral("success_only"));
    if (!on)
        return !QFileInfo::exists(marker) || QFile::remove(marker);
    MakePrivateFolder(FFolder);
    QFile file(marker);
    return file.open(QIODevice::WriteOnly);
}

QString TOrderHistory::RecordFileName(bool sent, const QString &kindName,
    const QString &cardOrderId, bool settled, bool waiting, const QStringList &orderText)
{
    return HistoryFileName(OrderNumberOf(orderText), PaymentTag(kindName), OrderTotalOf(orderText),
        cardOrderId, sent, settled, waiting);
}

qint64 TOrderHistory::WriteHistoryRecord(bool sent, const QString &kindName,
    const QString &cardOrderId, const QStringList &creditLines, bool settled, bool waiting,
    const QList<TDpofList> &dpofLists, const QStringList &orderText)
{
    if (!sent && SuccessOnly())
        return -1;
    if (!MakePrivateFolder(FFolder))
        return -1;
    const QString name = RecordFileName(sent, kindName, cardOrderId, settled, waiting, orderText);
    return WriteHistoryFile(FilePath(name), BuildHistoryText(creditLines, orderText, dpofLists));
}

QString TOrderHistory::WriteStartedRecord(const QString &kindName, const QString &cardOrderId,
    const QStringList &creditLines, const QStringList &orderText)
{
    const QString name
        = RecordFileName(true, kindName, cardOrderId, false, false, orderText) + kStartedSuffix;
    if (!MakePrivateFolder(FFolder)
        || WriteHistoryFile(FilePath(name), BuildHistoryText(creditLines, orderText, {})) < 0)
        return {};
    return name;
}

bool TOrderHistory::FinishStarted(const QString &startedName)
{
    return startedName.isEmpty() || !startedName.endsWith(QLatin1String(kStartedSuffix))
        || !QFileInfo::exists(FilePath(startedName)) || QFile::remove(FilePath(startedName));
}

QStringList TOrderHistory::FileNames() const
{
    QStringList names = QDir(FFolder).entryList({ QStringLiteral("*.wcp") }, QDir::Files);
    std::sort(names.begin(), names.end());
    return names;
}

QStringList TOrderHistory::CreditLines(const QString &fileName) const
{
    THistoryRecord record;
    if (!ReadHistoryRecord(FilePath(fileName), hsCredit, record))
        return {};
    return record.credit;
}

QList<TOrderHistRec> TOrderHistory::LoadList() const
{
    const QStringList names = FileNames();
    QString combined;
    QMap<QString, QString> bundleLists;
    for (const QString &name : names) {
        if (!name.startsWith(kBundlePrefix))
            continue;
        const QString pak = PakValue(CreditLines(name));
        bundleLists.insert(name, pak);
        QString ids = pak;
        ids.replace(QLatin1Char('='), QLatin1Char(';'));
        ids.replace(QLatin1Char(','), QLatin1Char(';'));
        combined += QLatin1Char(';') + ids + QLatin1Char(';');
    }

    QList<std::pair<QString, TOrderHistRec>> keyed;
    for (const QString &name : names) {
        TOrderHistRec entry = HistEntryOf(name);
        if (entry.isBundle) {
            entry.bundleList = bundleLists.value(name);
            entry.bundleCount = int(entry.bundleList.count(QLatin1Char(';'))
                + entry.bundleList.count(QLatin1Char('=')));
        } else {
            const QString id = entry.CardOrderId();
            if (!id.isEmpty() && combined.contains(QLatin1Char(';') + id + QLatin1Char(';')))
                continue; // paid as part of a bundle
        }
        const QString key = entry.payState == hpsUnpaid
            ? QLatin1Char('0') + entry.shop + QLatin1Char(' ') + entry.stamp
            : QLatin1Char('1') + entry.stamp;
        keyed.append({ key, entry });
    }
    std::stable_sort(
        keyed.begin(), keyed.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    QList<TOrderHistRec> list;
    for (const auto &item : keyed)
        list.append(item.second);
    const QString suffix = QLatin1String(kStartedSuffix);
    for (const QString &name :
        QDir(FFolder).entryList({ QStringLiteral("*.wcp") + suffix }, QDir::Files, QDir::Name)) {
        TOrderHistRec entry = HistEntryOf(name.chopped(suffix.size()));
        entry.fileName = name;
        entry.payState = hpsNone; // nothing to pay for before the shop has the order
        entry.interrupted = 1;
        list.append(entry);
    }
    return list;
}

QStringList TOrderHistory::UnsettledCardOrders() const
{
    QStringList ids;
    for (const QString &name : FileNames()) {
        const TOrderHistRec entry = HistEntryOf(name);
        if (entry.CardOrderId().isEmpty()
            || name.endsWith(QStringLiteral(").comp.wcp"), Qt::CaseInsensitive))
            continue;
        ids << entry.PaymentId();
    }
    return ids;
}

bool TOrderHistory::Settle(const QString &cardOrderId, int state, bool &found)
{
    QString id = cardOrderId;
    if (id.startsWith(kBundlePrefix))
        id = id.mid(kBundlePrefix.size());
    found = false;
    if (id.isEmpty())
        return false;
    const QString mark = QStringLiteral("](") + id + QLatin1Char(')');
    QString name;
    for (const QString &candidate : FileNames()) {
        if (candidate.contains(mark)) {
            name = candidate;
            break;
        }
    }
    if (name.isEmpty())
        return false;
    found = true;
    bool renamed = false;
    if (state == 3 && !name.endsWith(QStringLiteral(").comp.wcp"), Qt::CaseInsensitive)) {
        const qsizetype close = name.indexOf(mark) + mark.size() - 1;
        const QString settled = name.left(close) + QStringLiteral(").comp.wcp");
        if (QFile::rename(FilePath(name), FilePath(settled))) {
            renamed = true;
            name = settled;
        }
    }
    if ((state == 3 && renamed) || state == 2) {
        const QString line = EntryText(HistEntryOf(name));
        if (!FSettled.contains(line))
            FSettled << line;
    }
    return renamed;
}

int TOrderHistory::DeleteFailed()
{
    int deleted = 0;
    for (const QString &name : FileNames()) {
        if (name.contains(kFailed) && QFile::remove(FilePath(name)))
            ++deleted;
    }
    return deleted;
}

bool TOrderHistory::DeleteRecord(const QString &fileName)
{
    return QFile::remove(FilePath(fileName));
}

std::optional<QStringList> HistoryViewText(const QString &path)
{
    const std::optional<QByteArray> data = ReadWholeFile(path);
    if (!data)
        return std::nullopt;
    std::optional<QStringList> lines = HistoryTextOf(*data);
    if (!lines)
        return std::nullopt;
    for (const char *key : { "lnk=", "nsp=", "cno=", "cmy=" }) {
        for (qsizetype i = 0; i < lines->size(); ++i) {
            if (lines->at(i).startsWith(QLatin1String(key))) {
                lines->removeAt(i);
                break;
            }
        }
    }
    return lines;
}

bool ShowHistoryFile(const QString &path, const QString &recipient, const QString &viewerName,
    const QString &tempDir, TPrompter &prompter,
    const std::function<bool(const QString &, const QString &, const QString &, QString *)> &mailer,
    const std::function<bool(const QString &, const QString &)> &open)
{
    const std::optional<QStringList> lines = HistoryViewText(path);
    if (!lines)
        return false;
    const QString text = JoinLines(*lines);
    if (!recipient.isEmpty() && mailer) {
        QString reason;
        if (!mailer(recipient, QStringLiteral("wcp-data"), text, &reason))
            prompter.Error(QStringLiteral("送信失敗\r\n\r\n") + reason);
    }
    if (!viewerName.isEmpty()) {
        // The whole order text, card lines aside: it goes to this run's private folder, never
        // to a fixed name in the shared temporary folder.
        const QString folder = PrivateTempDir(tempDir);
        const QString file = QDir(folder).filePath(QStringLiteral("ks_hist.txt"));
        if (folder.isEmpty() || !WriteSjisText(file, text, TFileAccess::faPrivate))
            return false;
        if (open)
            open(viewerName, file);
    }
    return true;
}

double CardAmountOf(const TOrderHistRec &entry)
{
    if (entry.tag.compare(QLatin1String("cr"), Qt::CaseInsensitive) != 0)
        return 0;
    return entry.Total();
}

TBundleResult MakeBundle(TOrderHistory &history, const QList<TOrderHistRec> &entries,
    TCardPayment &card, const TClock &clock)
{
    TBundleResult result;
    QMap<QString, QStringList> groups; // by shop, sorted
    std::optional<TKeyFile> first;
    int items = 0;
    for (const TOrderHistRec &entry : entries) {
        result.sum += CardAmountOf(entry);
        const QStringList credit = history.CreditLines(entry.fileName);
        if (!first && !credit.isEmpty())
            first = TKeyFile(credit);
        if (entry.isBundle) {
            for (const QString &group : FromCommaText(PakValue(credit))) {
                const qsizetype eq = group.indexOf(QLatin1Char('='));
                if (eq < 0)
                    continue;
                const QStringList ids
                    = group.mid(eq + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
                groups[group.left(eq)] += ids;
                items += int(ids.size());
            }
        } else {
            const QString id = entry.CardOrderId();
            groups[ShopOfCardId(id)] << id;
            ++items;
        }
    }
    // The sum is narrowed to an int below: one out of range is refused here, never wrapped.
    if (!(result.sum > 0 && result.sum <= kMaxCardAmount)) {
        result.outcome = TBundleResult::brBadAmount;
        return result;
    }
    const TKeyFile customer = first.value_or(TKeyFile());

    QStringList pak;
    for (auto it = groups.cbegin(); it != groups.cend(); ++it)
        pak << it.key() + QLatin1Char('=') + it.value().join(QLatin1Char(';'));

    const std::optional<qint64> number = card.NextCardNumber();
    if (!number) {
        result.outcome = TBundleResult::brNoNumber;
        return result;
    }
    const QDateTime now = clock.Now();
    const QString tel = DigitsOf(customer.Value(QStringLiteral("tel")));
    const int shops = int(groups.size());
    const QString shop = shops == 1 ? groups.firstKey() : QLatin1String(kSeveralShops);
    QString shopName = QStringLiteral("Korvatel加盟店(%1店)").arg(shops);
    if (shops == 1) {
        shopName = customer.Value(QStringLiteral("snm"));
        if (shopName.isEmpty())
            shopName = shop + QStringLiteral("店");
    }
    result.cardOrderId = CardOrderNonce() + QLatin1Char('N') + QString::number(*number)
        + QLatin1Char('_') + shop + QLatin1Char('D') + now.toString(QStringLiteral("yyMMdd"));
    const QString stamp = now.toString(QStringLiteral("yyyyMMdd")) + QLatin1Char('-')
        + now.toString(QStringLiteral("hhmmsszzz")) + QLatin1Char('-') + tel
        + QStringLiteral("9999");
    result.fileName = kBundlePrefix
        + SafeFileNamePart(QString::asprintf("%s-%s[cr%d](%s).wcp", qPrintable(shop),
            qPrintable(stamp), int(result.sum), qPrintable(result.cardOrderId)));

    QStringList lines;
    for (const char *key : { "oid", "osp", "nam", "tel", "mai", "zip", "ad1", "ad2", "ad3" }) {
        const QString name = QLatin1String(key);
        lines << name + QLatin1Char('=') + customer.Value(name);
    }
    lines << QStringLiteral("shp=") + shop << QStringLiteral("snm=") + shopName
          << QStringLiteral("cid=") + result.cardOrderId
          << QStringLiteral("amt=%1").arg(int(result.sum))
          << QStringLiteral("dsc=") + QStringLiteral("まとめ精算 %1店 %2件").arg(shops).arg(items)
          << QStringLiteral("pak=") + ToCommaText(pak);

    const QString path = history.FilePath(result.fileName);
    if (WriteHistoryFile(path, BuildHistoryText(lines, {}, {})) < 0
        || !card.WriteBundle(result.cardOrderId, lines)) {
        QFile::remove(path);
        result.outcome = TBundleResult::brWriteFailed;
        return result;
    }
    for (const TOrderHistRec &entry : entries)
        history.DeleteRecord(entry.fileName);
    return result;
}

} // namespace korvatel
