#pragma once

#include "net/win_inet.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <optional>

namespace korvatel
{

// Reads one line of a Unix-style LIST answer ("drwxr-xr-x 2 owner group 4096 Dec 08 20:11
// name"), as pyftpdlib and vsftpd send it. The name is Shift-JIS on the wire. A date without a
// year lies in the twelve months up to now (one day of clock skew allowed). nullopt for lines
// of any other shape ("total 12", DOS listings, damaged lines).
std::optional<TFtpEntry> ParseListLine(const QByteArray &line, const QDateTime &now);

// Every readable line of a LIST answer, in order; "." and ".." are left out.
QList<TFtpEntry> ParseListing(const QByteArray &text, const QDateTime &now);

} // namespace korvatel
