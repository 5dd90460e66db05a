#include "mobile/mail/mail_settings.h"

#include "mobile/mail/mapi_mailer.h"
#include "text/comma_text.h"
#include "text/cp932.h"
#include "text/key_file.h"
#include "text/scramble.h"
#include "text/sjis_file.h"

namespace korvatel
{

namespace
{

constexpr qint64 kMaxListSize = 64 * 1024;

} // namespace

QString TransportWord(TMailTransport transport)
{
    switch (transport) {
    case TMailTransport::mtIndy9:
        return QStringLiteral("Indy9");
    case TMailTransport::mtMapi:
        return QStringLiteral("Mapi");
    case TMailTransport::mtWebMail:
        break;
    }
    return QStringLiteral("WebMail");
}

TMailTransport TransportOfWord(const QString &word)
{
    if (word == QLatin1String("Indy9"))
        return TMailTransport::mtIndy9;
    if (word == QLatin1String("Mapi"))
        return TMailTransport::mtMapi;
    return TMailTransport::mtWebMail;
}

QString WebMailUnavailableText()
{
    return QStringLiteral("Web方式の送信は、このバージョンでは使えません。"
                          "「インターネットの設定」で送信方式を選んでください。");
}

bool SendByTransport(const TMailSettings &settings, const TMailJob &job,
    const std::function<TMailOutcome(const TMailJob &)> &smtp, QString *reason)
{
    switch (TransportOfWord(settings.transport)) {
    case TMailTransport::mtIndy9: {
        const TMailOutcome outcome = smtp(job);
        if (!outcome.firstReached && reason)
            *reason = outcome.lastText;
        return outcome.firstReached;
    }
    case TMailTransport::mtMapi: {
        TMailProgramMessage message;
        message.toAddress = job.recipients;
        message.subject = job.subject;
        message.body = job.bodyLines.join(QStringLiteral("\r\n"));
        return SendByMapi(message, false, nullptr, reason);
    }
    case TMailTransport::mtWebMail:
        break;
    }
    if (reason)
        *reason = WebMailUnavailableText();
    return false;
}

TMailSettings TMailSettings::Load(const QString &path)
{
    TMailSettings settings;
    TKeyFile file;
    if (!file.Load(path))
        return settings;
    if (file.HasName(QStringLiteral("MailType")))
        settings.transport = file.Value(QStringLiteral("MailType"));
    TSmtpAccount &account = settings.account;
    account.host = file.Value(QStringLiteral("SmtpHost"));
    account.port = file.Integer(QStringLiteral("SmtpPort"), 25);
    account.useAuth = file.Bool(QStringLiteral("SmtpAuth"));
    account.allowPlainLogin = file.Bool(QStringLiteral("SmtpPlainAuth")); // absent: off
    account.authHost = file.Value(QStringLiteral("AuthHost"));
    account.user = file.Value(QStringLiteral("SmtpUser"));
    account.password = Unscramble(file.Value(QStringLiteral("SmtpPass"))).value_or(QString());
    settings.identity.fromAddress = file.Value(QStringLiteral("FromAddress"));
    settings.identity.fromName = file.Value(QStringLiteral("FromName"));
    settings.identity.replyTo = file.Value(QStringLiteral("ReplyTo"));
    settings.copies = FromCommaText(file.Value(QStringLiteral("CcAddress")));
    settings.pageUrl = file.Value(QStringLiteral("KeitaiURL"));
    if (file.HasName(QStringLiteral("RegistrationReport")))
        settings.registrationReport = file.Bool(QStringLiteral("RegistrationReport"));
    return settings;
}

bool TMailSettings::Save(const QString &path) const
{
    TKeyFile file;
    file.SetValue(QStringLiteral("MailType"), transport);
    file.SetValue(QStringLiteral("SmtpHost"), account.host);
    file.SetValue(QStringLiteral("SmtpPort"), QString::number(account.port));
    file.SetBool(QStringLiteral("SmtpAuth"), account.useAuth);
    file.SetBool(QStringLiteral("SmtpPlainAuth"), account.allowPlainLogin);
    file.SetValue(QStringLiteral("AuthHost"), account.authHost);
    file.SetValue(QStringLiteral("SmtpUser"), account.user);
    file.SetValue(QStringLiteral("SmtpPass"),
        account.password.isEmpty() ? QString() : Scramble(account.password));
    file.SetValue(QStringLiteral("FromAddress"), identity.fromAddress);
    file.SetValue(QStringLiteral("FromName"), identity.fromName);
    file.SetValue(QStringLiteral("ReplyTo"), identity.replyTo);
    file.SetValue(QStringLiteral("CcAddress"), ToCommaText(copies));
    file.SetValue(QStringLiteral("KeitaiURL"), pageUrl);
    if (registrationReport)
        file.SetBool(QStringLiteral("RegistrationReport"), *registrationReport);
    return file.Save(path, TFileAccess::faPrivate);
}

QString DefaultPhonePageUrl(
    const QString &ftpHost, const QString &uploadFolder, const QString &homeFolder)
{
    QString folder = uploadFolder;
    if (!homeFolder.isEmpty() && folder.startsWith(homeFolder))
        folder = folder.mid(homeFolder.size());
    QString path = ftpHost + u'/' + folder + u'/';
    while (path.contains(QLatin1String("//")))
        path.replace(QLatin1String("//"), QLatin1String("/"));
    return QStringLiteral("http://") + path;
}

TMailList TMailList::Load(const QString &path)
{
    TMailList list;
    const std::optional<QByteArray> data = ReadWholeFile(path, kMaxListSize);
    if (!data)
        return list;
    for (QString line : FromCp932(*data).split(u'\n')) {
        line = line.trimmed();
        const bool marked = line.startsWith(u'*');
        if (marked)
            line = line.mid(1).trimmed();
        if (line.isEmpty() || list.addresses.contains(line))
            continue;
        if (marked && list.current.isEmpty())
            list.current = line;
        list.addresses << line;
        if (list.addresses.size() >= kMaxAddresses)
            break;
    }
    return list;
}

bool TMailList::Save(const QString &path) const
{
    QStringList lines;
    bool marked = false;
    for (const QString &address : addresses) {
        const bool mark = !marked && address == current;
        marked = marked || mark;
        lines << (mark ? u'*' + address : address);
    }
    return TKeyFile(lines).Save(path, TFileAccess::faPrivate);
}

bool TMailList::Add(const QString &address)
{
    const QString trimmed = address.trimmed();
    if (trimmed.isEmpty() || addresses.contains(trimmed))
        return false;
    addresses.prepend(trimmed);
    while (addresses.size() > kMaxAddresses)
        addresses.removeLast();
    return true;
}

void TMailList::Remove(const QString &address)
{
    addresses.removeAll(address.trimmed());
    if (current == address.trimmed())
        current.clear();
}

} // namespace korvatel
