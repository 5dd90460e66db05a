#include "net/shop_envelope.h"

#include "net/signature.h"
#include "text/key_file.h"
#include "text/sjis_file.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace korvatel
{

namespace
{

constexpr qint64 kMaxSerial = qint64(1) << 53;
const char *const kSerialFileName = "ShopSerial.ini";

// A name below the shop's folder: plain parts of letters, figures, ".", "_" and "-", never "."
// or "..", at most four deep.
bool IsEnvelopeName(const QString &name)
{
    static const QRegularExpression pattern(
        QStringLiteral("^[A-Za-z0-9_.-]{1,64}(/[A-Za-z0-9_.-]{1,64}){0,3}$"));
    if (!pattern.match(name).hasMatch())
        return false;
    for (const QString &part : name.split(u'/'))
        if (part == QLatin1String(".") || part == QLatin1String(".."))
            return false;
    return true;
}

std::optional<qint64> ReadSerial(const QString &text)
{
    static const QRegularExpression figures(QStringLiteral("^[0-9]{1,16}$"));
    if (!figures.match(text).hasMatch())
        return std::nullopt;
    const qint64 serial = text.toLongLong();
    return serial <= kMaxSerial ? std::optional<qint64>(serial) : std::nullopt;
}

std::optional<QDate> ReadDate(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^[0-9]{4}-[0-9]{2}-[0-9]{2}$"));
    const QDate date = QDate::fromString(text, Qt::ISODate);
    if (!form.match(text).hasMatch() || !date.isValid())
        return std::nullopt;
    return date;
}

// A "File" value: "<64 hex figures> <name>"; false when it is anything else or the name came
// before.
bool ReadFileLine(const QString &value, TShopEnvelope &envelope)
{
    static const QRegularExpression form(QStringLiteral("^([0-9A-Fa-f]{64}) +(.+)$"));
    const QRegularExpressionMatch match = form.match(value);
    if (!match.hasMatch())
        return false;
    const QString name = match.captured(2);
    if (!IsEnvelopeName(name) || envelope.files.contains(name)
        || envelope.files.size() >= kMaxShopEnvelopeFiles)
        return false;
    envelope.files.insert(name, QByteArray::fromHex(match.captured(1).toLatin1()));
    return true;
}

// Reads one "Key=Value" line into the envelope; false when it breaks a rule. seen collects the
// keys that may come once.
bool ReadLine(const QString &key, const QString &value, TShopEnvelope &envelope, QStringList &seen)
{
    if (key == QLatin1String("Alias")) {
        envelope.aliases << value;
        return !value.isEmpty();
    }
    if (key == QLatin1String("File"))
        return ReadFileLine(value, envelope);
    static const QStringList once { QStringLiteral("Shop"), QStringLiteral("Serial"),
        QStringLiteral("Issued"), QStringLiteral("Expires") };
    if (!once.contains(key))
        return true;
    if (seen.contains(key))
        return false;
    seen << key;
    if (key == QLatin1String("Shop")) {
        envelope.shopId = value;
        static const QRegularExpression figures(QStringLiteral("^[0-9]{1,16}$"));
        return figures.match(value).hasMatch();
    }
    if (key == QLatin1String("Serial")) {
        const std::optional<qint64> serial = ReadSerial(value);
        envelope.serial = serial.value_or(0);
        return serial.has_value();
    }
    const std::optional<QDate> date = ReadDate(value);
    (key == QLatin1String("Issued") ? envelope.issued : envelope.expires) = date.value_or(QDate());
    return date.has_value();
}

TEnvelopeCheck Refused(const char *refusal, const QString &found = {})
{
    TEnvelopeCheck check;
    check.refusal = QString::fromLatin1(refusal);
    check.found = found;
    return check;
}

QString KeptEnvelopePath(const QString &downloadDir)
{
    return QDir(downloadDir).filePath(QString::fromLatin1(kShopEnvelopeFileName));
}

} // namespace

bool TShopEnvelope::Covers(const QString &name, const QByteArray &bytes) const
{
    const auto listed = files.constFind(name);
    return listed != files.constEnd()
        && QCryptographicHash::hash(bytes, QCryptographicHash::Sha256) == *listed;
}

std::optional<TShopEnvelope> ParseShopEnvelope(const QByteArray &text)
{
    if (text.isEmpty() || text.size() > kMaxShopEnvelopeSize)
        return std::nullopt;
    const QString decoded = QString::fromUtf8(text);
    if (decoded.contains(QChar::ReplacementCharacter) || decoded.contains(QChar()))
        return std::nullopt;
    TShopEnvelope envelope;
    QStringList seen;
    for (QString line : decoded.split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0 || !ReadLine(line.left(equals), line.mid(equals + 1), envelope, seen))
            return std::nullopt;
    }
    if (seen.size() != 4 || envelope.expires < envelope.issued)
        return std::nullopt;
    return envelope;
}

QString TEnvelopeCheck::LogLine(int server) const
{
    QString line = refusal + QStringLiteral(":Server%1.").arg(server)
        + QString::fromLatin1(kShopEnvelopeFileName);
    if (!found.isEmpty())
        line += u'(' + found + u')';
    return line;
}

TEnvelopeCheck CheckShopEnvelope(const std::optional<QByteArray> &text,
    const std::optional<QByteArray> &signature, const TEnvelopeExpectation &expected)
{
    if (!text)
        return Refused("NoEnvelopeNG");
    if (!signature)
        return Refused("UnsignedNG");
    if (!VerifyDetachedSignature(*text, *signature, { expected.key }))
        return Refused("SignNG");
    std::optional<TShopEnvelope> envelope = ParseShopEnvelope(*text);
    if (!envelope)
        return Refused("FormatNG");
    if (envelope->shopId != expected.shopId)
        return Refused("ShopIdNG", envelope->shopId);
    if (envelope->serial < expected.lastSerial)
        return Refused("SerialNG", QString::number(envelope->serial));
    if (envelope->expires < expected.today)
        return Refused("ExpiredNG", envelope->expires.toString(Qt::ISODate));
    if (!expected.alias.isEmpty() && !envelope->aliases.contains(expected.alias))
        return Refused("AliasNG", expected.alias);
    TEnvelopeCheck check;
    check.envelope = std::move(envelope);
    return check;
}

qint64 LastShopSerial(const QString &downloadDir, const QString &shopId)
{
    TKeyFile file;
    if (!file.Load(QDir(downloadDir).filePath(QString::fromLatin1(kSerialFileName))))
        return -1;
    return ReadSerial(file.Value(shopId)).value_or(-1);
}

bool KeepShopEnvelope(const QString &downloadDir, const QString &shopId, qint64 serial,
    const QByteArray &text, const QByteArray &signature)
{
    const QString path = KeptEnvelopePath(downloadDir);
    if (!WriteFileAtomic(path, text, TFileAccess::faPrivate)
        || !WriteFileAtomic(path + QStringLiteral(".sig"), signature, TFileAccess::faPrivate))
        return false;
    if (serial <= LastShopSerial(downloadDir, shopId))
        return true;
    const QString serialFile = QDir(downloadDir).filePath(QString::fromLatin1(kSerialFileName));
    QStringList lines = ReadSjisLines(serialFile).value_or(QStringList());
    lines.removeIf([&](const QString &line) { return line.section(u'=', 0, 0) == shopId; });
    lines << shopId + u'=' + QString::number(serial);
    return WriteSjisLines(serialFile, lines, TFileAccess::faPrivate);
}

void ForgetShopEnvelope(const QString &downloadDir)
{
    QFile::remove(KeptEnvelopePath(downloadDir));
    QFile::remove(KeptEnvelopePath(downloadDir) + QStringLiteral(".sig"));
}

TShopTrust TShopTrust::Load(const QString &key, const QString &downloadDir, const QString &shopId)
{
    TShopTrust trust;
    if (key.isEmpty())
        return trust;
    trust.FKeyed = true;
    const QString path = KeptEnvelopePath(downloadDir);
    const std::optional<QByteArray> text = ReadWholeFile(path, kMaxShopEnvelopeSize);
    const std::optional<QByteArray> signature
        = ReadWholeFile(path + QStringLiteral(".sig"), kMaxSignatureFileSize);
    TEnvelopeExpectation expected;
    expected.key = key;
    expected.shopId = shopId;
    expected.lastSerial = LastShopSerial(downloadDir, shopId);
    expected.today = QDate::currentDate();
    trust.FEnvelope = CheckShopEnvelope(text, signature, expected).envelope;
    return trust;
}

bool TShopTrust::Accepts(const QString &name, const QByteArray &bytes) const
{
    return !FKeyed || (FEnvelope && FEnvelope->Covers(name, bytes));
}

bool TShopTrust::AcceptsFile(const QString &name, const QString &path, qint64 maxSize) const
{
    if (!FKeyed)
        return true;
    const std::optional<QByteArray> bytes = ReadWholeFile(path, maxSize);
    return bytes && Accepts(name, *bytes);
}

} // namespace korvatel
