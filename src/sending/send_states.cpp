#include "sending/send_states.h"

#include <QRegularExpression>

namespace korvatel
{

QString HttpFallbackState()
{
    return QStringLiteral("FTPで送信できないため、HTTPで送信します");
}

std::optional<TStartedFile> StartedFileOf(const QString &state)
{
    // FTP reports "Starting 3/10" and then "Send 3/10 name" for a picture; HTTP "3/10 name".
    static const QRegularExpression start(
        QStringLiteral("^(?:Starting |Send )?(\\d+)/\\d+(?: (.*))?$"));
    const QRegularExpressionMatch match = start.match(state);
    if (!match.hasMatch())
        return std::nullopt;
    return TStartedFile { match.captured(1).toInt(), match.captured(2) };
}

} // namespace korvatel
