#include "cards/dpo_file.h"

#include "text/comma_text.h"
#include "text/scramble.h"
#include "text/sjis_file.h"

#include <QFileInfo>

namespace korvatel
{

namespace
{

QString Money(double x)
{
    return QString::number(x, 'f', 0);
}

QString Kv(const char *key, const QString &value)
{
    return QLatin1String(key) + u'=' + value;
}

} // namespace

QString DpoPictureName(int n, const QString &path)
{
    // The characters that the upload turns into full-width forms are turned here already, so
    // that the line names the file exactly as the shop receives it.
    QString name = QFileInfo(path).fileName();
    name.replace(u'=', QChar(0xFF1D)).replace(u'|', QChar(0xFF5C)).replace(u';', QChar(0xFF1B));
    return QStringLiteral("IMG[%1]_").arg(n) + name;
}

QStringList BuildDpoLines(const TCardOrder &o, QList<TCardUpload> *uploads)
{
    const TCardPrice &p = o.price;
    const TCardChoices &c = o.choices;
    QStringList l;
    l << Kv("SHOP", o.shopId) << Kv("SHOP_NAME", o.shopName) << Kv("ORDER_NO", o.orderNo);
    l << Kv("NAME", o.name) << Kv("KANA", o.kana) << Kv("ZIP", o.zip) << Kv("ADRS1", o.adrs1)
      << Kv("ADRS2", o.adrs2) << Kv("ADRS3", o.adrs3) << Kv("COMPANY", {}) << Kv("SECTION", {})
      << Kv("TEL", o.tel) << Kv("MAIL", o.mail) << Kv("H_TEL", o.hTel) << Kv("H_MAIL", {})
      << QString();
    l << Kv("CARD_NAME", o.cardName) << Kv("THUMB", o.thumb) << Kv("TEMP_PATH", {}) << QString();
    l << Kv("CHARGE", Money(p.charge)) << Kv("CHARGE_COST", Money(p.chargeCost))
      << Kv("PAPER", p.paper) << Kv("COST", Money(p.cost)) << Kv("DEF_PRICE", Money(p.defPrice))
      << Kv("NUM", QString::number(p.num)) << Kv("ORDER_LINES", ToCommaText(p.lines)) << QString();
    l << Kv("TRANS", p.trans) << Kv("TRANS_DEF", Money(p.transDef))
      << Kv("TRANS_FEE", Money(p.transFee)) << Kv("TRANS_COST", Money(p.transCost))
      << Kv("TRANS_DISC", p.transDisc) << QString();
    l << Kv("PAY_TYPE", p.pay) << Kv("PAY_FEE", QString::number(qint64(p.payFee))) << QString();
    l << Kv("TOTAL_VALUE", Money(p.total)) << QString();
    l << Kv("OTHER_SEND", c.otherSend ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
    if (c.otherSend) {
        l << Kv("OTHER_NAME", c.otherName) << Kv("OTHER_ZIP", c.otherZip)
          << Kv("OTHER_PREF", QStringLiteral("%1(%2)").arg(o.otherPrefName).arg(c.otherPref))
          << Kv("OTHER_ADRS", ToCommaText(c.otherAdrs.split(u'\n')))
          << Kv("OTHER_MAIL", c.otherMail) << Kv("OTHER_TEL", c.otherTel);
    } else {
        for (const char *key :
            { "OTHER_NAME", "OTHER_ZIP", "OTHER_PREF", "OTHER_ADRS", "OTHER_MAIL", "OTHER_TEL" })
            l << Kv(key, {});
    }
    l << QString();
    for (int i = 0; i < o.pictures.size(); ++i) {
        const QString name = DpoPictureName(i + 1, o.pictures[i]);
        l << name;
        if (uploads)
            uploads->append({ o.pictures[i], name });
    }
    for (int i = 0; i < o.pictureComments.size(); ++i)
        l << QStringLiteral("IMG_CMNT[%1]=").arg(i + 1) + o.pictureComments[i];
    l << o.cardTextLines << QString();
    l << Kv("SENDER_TXT", ToCommaText(o.senderLines)) << QString();
    l << Kv("LAST_CMNT", ToCommaText(o.lastComment)) << QString();
    l << o.layoutLines;
    return l;
}

std::optional<QStringList> ReadDpoBytes(const QByteArray &bytes)
{
    if (bytes.size() > kMaxDpoSize)
        return std::nullopt;
    std::optional<QStringList> lines = SjisLines(bytes, 100000);
    if (!lines)
        return std::nullopt;
    for (QString &line : *lines) {
        if (!line.startsWith(u'*'))
            continue;
        // "**" marks a scrambled line whose value itself starts with the scramble's "*"; "*"
        // alone a line whose marker is the scramble's own.
        const QString scrambled = line.startsWith(QLatin1String("**")) ? line.mid(1) : line;
        if (std::optional<QString> plain = Unscramble(scrambled))
            line = *plain;
    }
    return lines;
}

std::optional<QStringList> ReadDpoFile(const QString &path)
{
    const std::optional<QByteArray> bytes = ReadWholeFile(path, kMaxDpoSize);
    if (!bytes)
        return std::nullopt;
    return ReadDpoBytes(*bytes);
}

std::optional<QString> DpoValue(const QStringList &lines, const QString &key)
{
    const QString head = key + u'=';
    for (const QString &line : lines) {
        if (line.startsWith(head))
            return line.mid(head.size());
    }
    return std::nullopt;
}

QString DpoText(const QStringList &lines, const char *key)
{
    return DpoValue(lines, QLatin1String(key)).value_or(QString());
}

QStringList DpoPictures(const QStringList &lines)
{
    QStringList names;
    for (const QString &line : lines) {
        if (line.startsWith(QLatin1String("IMG[")) && line.contains(QLatin1String("]_"))
            && !line.contains(u'='))
            names << line;
    }
    return names;
}

QStringList DpoChangeableKeys()
{
    return { QStringLiteral("NAME"), QStringLiteral("KANA"), QStringLiteral("ZIP"),
        QStringLiteral("ADRS1"), QStringLiteral("ADRS2"), QStringLiteral("ADRS3"),
        QStringLiteral("TEL"), QStringLiteral("MAIL"), QStringLiteral("H_TEL"),
        QStringLiteral("CHARGE"), QStringLiteral("CHARGE_COST"), QStringLiteral("PAPER"),
        QStringLiteral("COST"), QStringLiteral("DEF_PRICE"), QStringLiteral("NUM"),
        QStringLiteral("ORDER_LINES"), QStringLiteral("TRANS"), QStringLiteral("TRANS_DEF"),
        QStringLiteral("TRANS_FEE"), QStringLiteral("TRANS_COST"), QStringLiteral("TRANS_DISC"),
        QStringLiteral("PAY_TYPE"), QStringLiteral("PAY_FEE"), QStringLiteral("TOTAL_VALUE"),
        QStringLiteral("OTHER_SEND"), QStringLiteral("OTHER_NAME"), QStringLiteral("OTHER_ZIP"),
        QStringLiteral("OTHER_PREF"), QStringLiteral("OTHER_ADRS"), QStringLiteral("OTHER_MAIL"),
        QStringLiteral("OTHER_TEL") };
}

QStringList ChangeDpoLines(const QStringList &old, const QStringList &fresh)
{
    QStringList lines = old;
    for (const QString &key : DpoChangeableKeys()) {
        const std::optional<QString> value = DpoValue(fresh, key);
        if (!value)
            continue;
        const QString head = key + u'=';
        for (QString &line : lines) {
            if (line.startsWith(head)) {
                line = head + *value;
                break;
            }
        }
    }
    return lines;
}

} // namespace korvatel
