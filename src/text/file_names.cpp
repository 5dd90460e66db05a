#include "text/file_names.h"

namespace korvatel
{

QString DigitsOf(const QString &text)
{
    QString digits;
    for (const QChar c : text) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digits += c;
    }
    return digits;
}

QString SafeFileNamePart(QString text)
{
    for (QChar &c : text) {
        if (QStringLiteral("\\/:*?\"<>|").contains(c) || c.unicode() < 32 || c.unicode() == 127)
            c = QLatin1Char('_');
    }
    return text;
}

} // namespace korvatel
