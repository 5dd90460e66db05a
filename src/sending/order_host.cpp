#include "sending/order_host.h"

#include "text/key_file.h"
#include "text/scramble.h"

namespace korvatel
{

std::optional<TOrderHostTable> TOrderHostTable::FromLines(const QStringList &lines)
{
    TOrderHostTable table;
    const QString text = lines.join(QString()).trimmed();
    const bool scrambled = text.startsWith(u'*');
    for (const QString &line : lines) {
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty())
            continue;
        if (!scrambled) {
            table.FLines << line;
            continue;
        }
        // A line of a scrambled table is "*" followed by the scrambled text, which itself
        // starts with "*".
        const std::optional<QString> plain = Unscramble(trimmed.mid(1));
        if (!plain)
            return std::nullopt;
        table.FLines << *plain;
    }
    return table;
}

QString TOrderHostTable::Value(const QString &key) const
{
    return TKeyFile(FLines).Value(key).trimmed();
}

THostRecord TOrderHostTable::ImageServer() const
{
    return { Value(QStringLiteral("FtpHost")), Value(QStringLiteral("FtpUserID")),
        Value(QStringLiteral("FtpPassword")), Value(QStringLiteral("FtpHomeDir")),
        Value(QStringLiteral("FtpBaseDir")) };
}

THostRecord TOrderHostTable::PhoneServer() const
{
    return { Value(QStringLiteral("KtFtpHost")), Value(QStringLiteral("KtFtpUserID")),
        Value(QStringLiteral("KtFtpPassword")), Value(QStringLiteral("KtFtpHomeDir")),
        Value(QStringLiteral("KtFtpBaseDir")) };
}

bool TOrderHostTable::Passive() const
{
    return TKeyFile(FLines).Integer(QStringLiteral("_KORVATEL_PASSIVE_"), 0) != 0;
}

TOfferedProgram TOrderHostTable::OfferedProgram() const
{
    return { Value(QStringLiteral("_LOAD_VER_")), Value(QStringLiteral("_LOAD_UPDATE_")),
        Value(QStringLiteral("_LOAD_URL_")) };
}

} // namespace korvatel
