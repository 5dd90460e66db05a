#pragma once

#include <QStringList>

class QTextStream;

namespace korvatel
{

// mail [--smtp HOST:PORT --user U --password P] --from ADDRESS --to ADDRESS [--cc ADDRESS]
//      --subject TEXT [--attach FILE] BODYFILE
// Sends a UTF-8 text file as an ISO-2022-JP mail through the client's SMTP sender: to the
// recipient, then to each copy (its subject with "(控え)" or --copy-label). Prints every
// progress text and the result; exit status 0 only when every recipient took the mail, 1 when
// one did not, 2 when the command line was wrong.
int MailCommand(const QStringList &args, QTextStream &out, QTextStream &err);

} // namespace korvatel
