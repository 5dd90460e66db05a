#include "mobile/mail/mail_message.h"

#include "mobile/mail/jis_text.h"
#include "text/cp932.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

namespace korvatel
{

namespace
{

const QByteArray kCrLf = QByteArrayLiteral("\r\n");

// A header's value: line breaks become blanks so that no value can start a header of its own.
QByteArray HeaderLine(const char *name, const QString &value)
{
    QString clean = value;
    clean.replace(u'\r', u' ').replace(u'\n', u' ');
    return QByteArray(name) + ": " + clean.toUtf8() + kCrLf;
}

// The From header's value: the name, then the address in angle brackets. An ASCII name goes as
// an RFC 5322 quoted-string, any other as an encoded word, so that no comma, angle bracket or
// quote in it can add an address. Control characters, line breaks among them, become blanks:
// neither form may hold them.
QString Mailbox(const QString &name, const QString &address)
{
    QString clean = name;
    bool ascii = true;
    for (QChar &c : clean) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = u' ';
        ascii = ascii && c.unicode() < 0x80;
    }
    clean = clean.trimmed();
    if (clean.isEmpty())
        return address;
    if (!ascii)
        return EncodeHeader(clean) + u'<' + address + u'>';
    clean.replace(u'\\', QLatin1String("\\\\")).replace(u'"', QLatin1String("\\\""));
    return u'"' + clean + QLatin1String("\" <") + address + u'>';
}

QByteArray TextPartHeader()
{
    return "Content-Type: text/plain; charset=\"ISO-2022-JP\"\r\n"
           "Content-Transfer-Encoding: 7bit\r\n";
}

QByteArray Base64Lines(const QByteArray &data)
{
    const QByteArray base64 = data.toBase64();
    QByteArray out;
    out.reserve(base64.size() + base64.size() / 76 * 2 + 2);
    for (qsizetype i = 0; i < base64.size(); i += 76)
        out += base64.mid(i, 76) + kCrLf;
    return out;
}

} // namespace

bool IsMailAddress(const QString &address)
{
    if (address.isEmpty() || address.size() > 254)
        return false;
    for (QChar c : address) {
        const char16_t u = c.unicode();
        if (u <= 0x20 || u >= 0x7F || u == u'<' || u == u'>' || u == u'"' || u == u',')
            return false;
    }
    const qsizetype at = address.indexOf(u'@');
    return at > 0 && at == address.lastIndexOf(u'@') && at < address.size() - 1;
}

QByteArray JisBody(const QStringList &lines)
{
    // A line break inside a line becomes CR LF as well: a bare CR or LF has no place in SMTP.
    QString text;
    for (QString line : lines) {
        line.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
        text += line.replace(u'\n', QLatin1String("\r\n")) + QLatin1String("\r\n");
    }
    return ToJis(ToCp932(text));
}

QByteArray MailDate(const QDateTime &date)
{
    static const char *const kDays[] = { "Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun" };
    static const char *const kMonths[]
        = { "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec" };
    const int offset = date.offsetFromUtc() / 60;
    const int absolute = offset < 0 ? -offset : offset;
    return QStringLiteral("%1, %2 %3 %4 %5 %6%7%8")
        .arg(QLatin1String(kDays[date.date().dayOfWeek() - 1]))
        .arg(date.date().day(), 2, 10, QChar(u'0'))
        .arg(QLatin1String(kMonths[date.date().month() - 1]))
        .arg(date.date().year(), 4, 10, QChar(u'0'))
        .arg(date.time().toString(QStringLiteral("hh:mm:ss")))
        .arg(QChar(offset < 0 ? u'-' : u'+'))
        .arg(absolute / 60, 2, 10, QChar(u'0'))
        .arg(absolute % 60, 2, 10, QChar(u'0'))
        .toLatin1();
}

std::optional<QByteArray> BuildMailMessage(const TMailMessage &message, QString *error)
{
    QByteArray attachment;
    if (!message.attachmentPath.isEmpty()) {
        QFile file(message.attachmentPath);
        if (!file.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("添付ファイルを開けません: ") + message.attachmentPath;
            return std::nullopt;
        }
        if (file.size() > kMaxAttachmentSize) {
            *error = QStringLiteral("添付ファイルが大きすぎます: ") + message.attachmentPath;
            return std::nullopt;
        }
        attachment = file.read(kMaxAttachmentSize + 1);
        if (attachment.size() > kMaxAttachmentSize) {
            *error = QStringLiteral("添付ファイルが大きすぎます: ") + message.attachmentPath;
            return std::nullopt;
        }
    }

    QByteArray out;
    out += HeaderLine("From", Mailbox(message.fromName, message.fromAddress));
    out += HeaderLine("To", message.to);
    if (!message.replyTo.isEmpty())
        out += HeaderLine("Reply-To", message.replyTo);
    out += HeaderLine("Subject", EncodeHeader(message.subject));
    out += "Date: " + MailDate(message.date) + kCrLf;
    out += HeaderLine("X-Mailer", QString::fromLatin1(kMailAgent));
    out += "MIME-Version: 1.0\r\n";
    if (message.attachmentPath.isEmpty()) {
        out += TextPartHeader() + kCrLf + message.jisBody;
        return out;
    }

    const QByteArray boundary
        = "=_KorvMailer_" + QByteArray::number(QRandomGenerator::global()->generate64(), 16);
    // The name as an encoded word without its trailing blank, which would join the name.
    const QByteArray name
        = EncodeHeader(QFileInfo(message.attachmentPath).fileName()).trimmed().toUtf8();
    QByteArray quotedName = name;
    quotedName.replace('\\', "\\\\").replace('"', "\\\"");
    out += "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"\r\n\r\n";
    out += "--" + boundary + kCrLf + TextPartHeader() + kCrLf + message.jisBody;
    // The line break before a boundary belongs to the boundary, not to the text.
    out += kCrLf + "--" + boundary + kCrLf;
    out += "Content-Type: application/octet-stream; name=\"" + quotedName + "\"\r\n";
    out += "Content-Transfer-Encoding: base64\r\n";
    out += "Content-Disposition: attachment; filename=\"" + quotedName + "\"\r\n\r\n";
    out += Base64Lines(attachment);
    out += "--" + boundary + "--" + kCrLf; // the last Base64 line ends with the delimiter's break
    return out;
}

} // namespace korvatel
