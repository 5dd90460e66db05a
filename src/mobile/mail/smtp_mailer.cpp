#include "mobile/mail/smtp_mailer.h"

#include "mobile/mail/mail_message.h"
#include "net/smtp_transport.h"

namespace korvatel
{

namespace
{

// The recipients in the order they are sent to: the lines of the recipients text, the copies,
// the further copies.
QStringList Recipients(const TMailJob &job)
{
    QStringList all;
    const auto add = [&all](const QString &address) {
        if (!address.trimmed().isEmpty())
            all << address.trimmed();
    };
    QString lines = job.recipients;
    lines.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
    for (const QString &line : lines.split(u'\n'))
        add(line);
    for (const QString &copy : job.copies)
        add(copy);
    for (const QString &copy : job.furtherCopies)
        add(copy);
    return all;
}

} // namespace

QString TSmtpAccount::ServerHost() const
{
    return useAuth && !authHost.trimmed().isEmpty() ? authHost.trimmed() : host.trimmed();
}

int TSmtpAccount::ServerPort() const
{
    return port < 1 ? 25 : port;
}

TMailJob PhoneNoticeJob(const QString &phoneAddress, const QString &pageEntry)
{
    TMailJob job;
    job.recipients = phoneAddress;
    job.subject = QStringLiteral("《注文控》の送付");
    const qsizetype remark = pageEntry.indexOf(QLatin1String(" @REM@"));
    job.bodyLines
        = { QStringLiteral("携帯画像をｱｯﾌﾟﾛｰﾄﾞしました"), QStringLiteral("このURLに画像があります"),
              remark < 0 ? pageEntry : pageEntry.left(remark) };
    return job;
}

QString TMailOutcome::ResultText() const
{
    if (!firstReached)
        return QStringLiteral("送信失敗しました。\r\n\r\nERR:") + lastText;
    if (failed == 0)
        return QStringLiteral("送信完了しました。");
    return QStringLiteral("お客様への送信は完了しました。CopyMail失敗=") + QString::number(failed);
}

QString PlainLoginRefusedText()
{
    return QStringLiteral("SMTPサーバーが暗号化(STARTTLS)に対応していないため、"
                          "パスワードを送らずに送信を中止しました。"
                          "「インターネットの設定」で暗号化なしの認証を許可できます。");
}

TMailOutcome SendBySmtp(const TTransportSettings &transport, const TSmtpAccount &account,
    const TMailIdentity &identity, const TMailJob &job, const QDateTime &now,
    const TMailStatus &status, TPrompter *resultPrompter)
{
    TMailOutcome outcome;
    const auto say = [&](const QString &text) {
        outcome.lastText = text;
        if (status)
            status(text);
    };
    const QStringList recipients = Recipients(job);
    if (recipients.isEmpty())
        outcome.lastText = QStringLiteral("受取人の指定がありません");
    // The body is converted once and goes unchanged to every recipient.
    const QByteArray body = JisBody(job.bodyLines);
    for (qsizetype i = 0; i < recipients.size(); ++i) {
        const QString &to = recipients.at(i);
        TSmtpRequest request;
        say(QStringLiteral("HOST/PORT Set."));
        request.host = account.ServerHost();
        request.port = account.ServerPort();
        request.user = account.user;
        request.password = account.password;
        if (account.useAuth) {
            say(QStringLiteral("AUTH Set."));
            request.login = true;
            request.allowPlainLogin = account.allowPlainLogin;
        }
        say(QStringLiteral("MIME Encode."));
        TMailMessage message;
        message.subject = i == 0 ? job.subject : job.subject + u'(' + job.copyLabel + u')';
        say(QStringLiteral("MESSAGE Create."));
        message.fromName = identity.fromName;
        message.fromAddress = identity.fromAddress;
        message.replyTo = identity.replyTo;
        message.to = to;
        message.jisBody = body;
        message.date = now;
        if (!job.attachmentPath.isEmpty()) {
            say(QStringLiteral("ATTACH Set."));
            message.attachmentPath = job.attachmentPath;
        }
        say(QStringLiteral("CALL MailGuageOn."));
        QString error;
        std::optional<QByteArray> bytes;
        if (!IsMailAddress(identity.fromAddress))
            error = QStringLiteral("送信者のアドレスに誤りがあります: ") + identity.fromAddress;
        else if (!IsMailAddress(to))
            error = QStringLiteral("受取人のアドレスに誤りがあります: ") + to;
        else if (!identity.replyTo.isEmpty() && !IsMailAddress(identity.replyTo))
            error = QStringLiteral("返信先のアドレスに誤りがあります: ") + identity.replyTo;
        else
            bytes = BuildMailMessage(message, &error);
        if (bytes) {
            request.mailFrom = identity.fromAddress.toLatin1();
            request.rcpt = to.toLatin1();
            request.message = *bytes;
            request.status = say;
            const TSmtpResult sent = SendSmtp(request, transport);
            if (sent.plainLoginRefused)
                error = PlainLoginRefusedText();
            else if (!sent.ok)
                error = sent.error;
        }
        if (error.isEmpty()) {
            ++outcome.sent;
            if (i == 0)
                outcome.firstReached = true;
        } else {
            say(error);
            ++outcome.failed;
            if (i == 0)
                break; // no copies when the customer's own mail did not go
        }
    }
    if (resultPrompter) {
        const QString text = QStringLiteral("　　") + outcome.ResultText() + QStringLiteral("　　");
        if (outcome.firstReached)
            resultPrompter->Inform(text);
        else
            resultPrompter->Error(text);
    }
    return outcome;
}

} // namespace korvatel
