#include "cards/card_history.h"

#include "cards/dpo_file.h"
#include "customer/order_history.h"
#include "text/comma_text.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QFile>
#include <algorithm>

namespace korvatel
{

namespace
{

// A card's order file is a few hundred short lines; even the most lines it may have (100,000)
// fit in this, so a larger download is not an order file.
constexpr qint64 kMaxCardOrderFile = 4 * 1024 * 1024;

// An order number names a folder: letters, figures and "-" only, so that nothing read from a
// folder or a server leaves the history folder.
bool PlainOrderNo(const QString &orderNo)
{
    if (orderNo.isEmpty() || orderNo.size() > 120)
        return false;
    return std::all_of(orderNo.begin(), orderNo.end(),
        [](QChar c) { return (c.isLetterOrNumber() && c.unicode() < 128) || c == u'-'; });
}

} // namespace

QString CardHistoryFolder(const QString &postCardFolder)
{
    return QDir(postCardFolder).filePath(QStringLiteral("History"));
}

QString CardOrderFolder(const QString &postCardFolder, const QString &orderNo)
{
    return QDir(CardHistoryFolder(postCardFolder)).filePath(orderNo);
}

QString CardOrderFile(const QString &postCardFolder, const QString &orderNo)
{
    return QDir(CardOrderFolder(postCardFolder, orderNo))
        .filePath(orderNo + QStringLiteral(".dpo"));
}

bool MarkCardOrderUnsent(const QString &orderFolder, bool unsent, bool change)
{
    const QString marker = QDir(orderFolder).filePath(QLatin1String(kUnsentMarker));
    if (unsent)
        return WriteSjisText(
            marker, change ? QStringLiteral("CHANGE\r\n") : QStringLiteral("NEW\r\n"));
    return !QFile::exists(marker) || QFile::remove(marker);
}

bool CardOrderUnsent(const QString &orderFolder)
{
    return QFile::exists(QDir(orderFolder).filePath(QLatin1String(kUnsentMarker)));
}

bool CardOrderPendingChange(const QString &orderFolder)
{
    const std::optional<QString> text
        = ReadSjisText(QDir(orderFolder).filePath(QLatin1String(kUnsentMarker)));
    return text && text->trimmed() == QLatin1String("CHANGE");
}

bool WriteUploadList(const QString &orderFolder, const QList<TCardUpload> &uploads)
{
    QStringList lines;
    for (const auto &upload : uploads)
        lines << upload.local + QStringLiteral("\t\t") + upload.name;
    return WriteSjisLines(
        QDir(orderFolder).filePath(QLatin1String(kUploadList)), lines, TFileAccess::faPrivate);
}

QList<TCardUpload> ReadUploadList(const QString &orderFolder)
{
    QList<TCardUpload> uploads;
    const std::optional<QStringList> lines
        = ReadSjisLines(QDir(orderFolder).filePath(QLatin1String(kUploadList)));
    for (const QString &line : lines.value_or(QStringList())) {
        const int tabs = line.indexOf(QStringLiteral("\t\t"));
        if (tabs > 0)
            uploads.append({ line.left(tabs), line.mid(tabs + 2) });
    }
    return uploads;
}

QList<TCardHistEntry> ListCardHistory(const QString &postCardFolder, const QString &shopId)
{
    QList<TCardHistEntry> entries;
    const QDir history(CardHistoryFolder(postCardFolder));
    for (const QString &name : history.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (name.section(u'-', 0, 0) != shopId || !PlainOrderNo(name))
            continue;
        TCardHistEntry entry;
        entry.orderNo = name;
        entry.folder = history.filePath(name);
        entry.stamp = name.section(u'-', 1).left(17);
        entry.unsent = CardOrderUnsent(entry.folder);
        entry.pendingChange = entry.unsent && CardOrderPendingChange(entry.folder);
        if (std::optional<QStringList> lines = ReadDpoFile(CardOrderFile(postCardFolder, name))) {
            entry.fileThere = true;
            entry.lines = *lines;
        }
        entries.append(entry);
    }
    std::stable_sort(entries.begin(), entries.end(),
        [](const TCardHistEntry &a, const TCardHistEntry &b) { return a.stamp < b.stamp; });
    return entries;
}

int TemplateOrderCount(const QList<TCardHistEntry> &entries, const QString &cardName)
{
    return int(std::count_if(entries.begin(), entries.end(), [&](const TCardHistEntry &e) {
        return DpoValue(e.lines, QStringLiteral("CARD_NAME")) == cardName;
    }));
}

QStringList CardHistoryDetails(const QStringList &l)
{
    QStringList d;
    d << QStringLiteral("FILE : ") + DpoText(l, "CARD_NAME")
      << QStringLiteral("選択 : ") + DpoText(l, "TRANS")
      << QStringLiteral("発注 : ") + DpoText(l, "PAY_TYPE")
      << DpoText(l, "NAME") + QStringLiteral(" 様")
      << QStringLiteral("店名 : ") + DpoText(l, "SHOP_NAME")
      << QStringLiteral("用紙 : ") + DpoText(l, "PAPER")
      << QStringLiteral("基本料金 : ") + DpoText(l, "CHARGE_COST");
    for (const QString &line : FromCommaText(DpoText(l, "ORDER_LINES")))
        d << QStringLiteral("　") + line;
    d << QStringLiteral("送料 : ") + DpoText(l, "TRANS_FEE");
    const QString payFee = DpoText(l, "PAY_FEE");
    d << QStringLiteral("手数料 : ")
            + (payFee.isEmpty() || payFee == QLatin1String("0") ? QStringLiteral("店頭受取")
                                                                : payFee);
    d << QStringLiteral("合計 : ") + DpoText(l, "TOTAL_VALUE");
    if (DpoText(l, "OTHER_SEND") == QLatin1String("TRUE")) {
        d << QStringLiteral("お届け先 : ") + DpoText(l, "OTHER_NAME") + QStringLiteral("様宛")
          << QStringLiteral("〒") + DpoText(l, "OTHER_ZIP") << DpoText(l, "OTHER_PREF")
          << FromCommaText(DpoText(l, "OTHER_ADRS")).join(QStringLiteral(" "))
          << QStringLiteral("Mail:") + DpoText(l, "OTHER_MAIL")
          << QStringLiteral("Tel :") + DpoText(l, "OTHER_TEL");
    } else {
        d << QStringLiteral("お届け先 : ご自宅");
    }
    for (const QString &picture : DpoPictures(l))
        d << QStringLiteral("画像 : ") + picture;
    return d;
}

QString CardPayStateLabel(const TCardHistEntry &entry)
{
    if (PaymentTag(CardPaymentKind(DpoText(entry.lines, "PAY_TYPE"))) != QLatin1String("cr"))
        return {};
    const bool settled = QFile::exists(QDir(entry.folder).filePath(QStringLiteral("Settled")));
    return PayStateLabel(settled ? hpsSettled : hpsUnpaid);
}

bool DownloadCardOrderFile(const TTransportSettings &transport, const THostRecord &host,
    bool passive, const QString &postCardFolder, const QString &orderNo)
{
    if (!PlainOrderNo(orderNo))
        return false;
    TWinFTP ftp(transport);
    ftp.Passive = passive;
    ftp.Mess = false;
    if (!ftp.LoginRecord(host, false))
        return false;
    QString base = host.baseDir;
    if (!base.startsWith(u'/'))
        base.prepend(u'/');
    if (!base.endsWith(u'/'))
        base += u'/';
    const QString folder = CardOrderFolder(postCardFolder, orderNo);
    QDir().mkpath(folder);
    QStringList lines;
    if (!ftp.GetStrings(
            lines, base + orderNo + u'/' + orderNo + QStringLiteral(".dpo"), kMaxCardOrderFile))
        return false;
    if (lines.isEmpty() || lines.size() > 100000)
        return false;
    return WriteSjisLines(CardOrderFile(postCardFolder, orderNo), lines, TFileAccess::faPrivate);
}

QString NoOrderFileText()
{
    return QStringLiteral("　注文ファイルがありません。　");
}

QString DownloadFailedText()
{
    return QStringLiteral("　ダウンロードに失敗しました。");
}

} // namespace korvatel
