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

// phone-convert PICTURE (--model NAME [--table FILE] | --size WxH) [--format jpg|png|gif|bmp]
//               [--crop l,t,r,b] [--turns N] OUT
// Makes the phone picture of a picture as the order does: turned by N quarter turns
// clockwise, the crop (fractions of the turned picture; none: the width fit) scaled to the
// phone's screen and written in its format. A model is looked up in the table file (Keitai.ini
// lines) or the built-in table and gives the size and, unless --format is given, the format.
// Prints "WxH FORMAT OUT"; exit status 0 on success, 1 when the picture did not convert, 2
// when the command line was wrong.
int PhoneConvertCommand(const QStringList &args, QTextStream &out, QTextStream &err);

} // namespace korvatel
