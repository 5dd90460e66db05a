#pragma once

#include "net/win_inet.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace korvatel
{

// The program the server offers: version, build stamp and the program's URL.
struct TOfferedProgram {
    QString version;
    QString build;
    QString url;
};

// The order host table of the shop data: "name=value" lines, either plain or, when its text
// begins with "*", every line "*" followed by the scrambled line.
class TOrderHostTable
{
public:
    // nullopt when the table is scrambled and a line does not unscramble: the whole table then
    // counts as unreadable. Empty lines are skipped.
    static std::optional<TOrderHostTable> FromLines(const QStringList &lines);

    const QStringList &Lines() const { return FLines; }
    QString Value(const QString &key) const;
    // FtpHost, FtpUserID, FtpPassword, FtpHomeDir, FtpBaseDir: the shop's image server.
    THostRecord ImageServer() const;
    // KtFtpHost … KtFtpBaseDir: the server for phone pictures.
    THostRecord PhoneServer() const;
    // _KORVATEL_PASSIVE_ (default 0) read as a number: not 0 means passive mode.
    bool Passive() const;
    // _LOAD_VER_, _LOAD_UPDATE_ and _LOAD_URL_.
    TOfferedProgram OfferedProgram() const;

private:
    QStringList FLines;
};

} // namespace korvatel
