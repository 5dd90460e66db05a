#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

namespace korvatel
{

// The mail agent that every message names.
inline constexpr char kMailAgent[] = "KorvMailer by Indy9";

// The most an attachment may hold; a larger file is not sent.
inline constexpr qint64 kMaxAttachmentSize = 20 * 1024 * 1024;

// One mail to one recipient: ISO-2022-JP plain text, 7bit, with an optional attachment.
struct TMailMessage {
    QString fromName;
    QString fromAddress;
    QString to;
    QString replyTo;
    QString subject;
    QByteArray jisBody; // the body already in JIS (ToJis), lines ended by CR LF
    QString attachmentPath;
    QDateTime date;
};

// True for an address that may stand in an envelope or a header: printable ASCII without
// blanks, angle brackets or line breaks, with one "@" that is neither first nor last.
bool IsMailAddress(const QString &address);

// The body lines as they travel: CR LF between and after the lines, converted to JIS.
QByteArray JisBody(const QStringList &lines);

// The RFC 5322 date of the Date header ("Wed, 09 Dec 2026 10:00:00 +0900").
QByteArray MailDate(const QDateTime &date);

// The whole message, header and body, with CR LF line ends. With an attachment the body is
// multipart/mixed: the text, then the file in Base64 under its name in JIS as an encoded word.
// Nullopt with *error set when the attachment cannot be read or is too large.
std::optional<QByteArray> BuildMailMessage(const TMailMessage &message, QString *error);

} // namespace korvatel
