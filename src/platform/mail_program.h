#pragma once

#include <QString>
#include <QStringList>

namespace korvatel
{

// A mail handed to the customer's own mail program, as Windows' Simple MAPI takes it.
struct TMailProgramMessage {
    QString toAddress;
    QString ccAddress; // optional
    QString bccAddress; // optional
    QString subject;
    QString body;
    QStringList attachments; // local file paths
};

// The result codes of Simple MAPI that this stand-in can give.
enum TMapiResult {
    mapiSuccess = 0,
    mapiFailure = 2,
    mapiAttachmentNotFound = 11,
    mapiNotSupported = 26,
};

// Opens the desktop's mail composer (xdg-email, or the given program that takes the same
// arguments) with the message filled in, and maps its exit status to a Simple MAPI code:
// 0 success; a missing attachment 11 (checked before the program is started, too); no mail
// program, or none configured, 26; anything else 2. The mail program decides the sender.
int SendWithMailProgram(
    const TMailProgramMessage &message, const QString &program = QStringLiteral("xdg-email"));

} // namespace korvatel
