#pragma once

#include "net/transfer_settings.h"
#include "platform/prompter.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>

namespace korvatel
{

// The SMTP account of the internet settings.
struct TSmtpAccount {
    QString host; // "送信ﾒｰﾙｻｰﾊﾞｰ名"
    int port = 25; // below 1 means 25
    bool useAuth = false; // "SMTP認証 + OP25B": AUTH LOGIN
    QString authHost; // used instead of host when authentication is on and it is given
    QString user;
    QString password;
    // "暗号化なしの認証を許可": the login may go in clear to a server without STARTTLS. Off,
    // such a server gets no login and the sending fails with PlainLoginRefusedText.
    bool allowPlainLogin = false;

    // The server that is spoken to and its port, by the rules above.
    QString ServerHost() const;
    int ServerPort() const;
};

// Who the mail comes from.
struct TMailIdentity {
    QString fromAddress;
    QString fromName;
    QString replyTo;
};

// One sending: the same message to the recipients, then to the copies.
struct TMailJob {
    QString recipients; // one address a line
    QString copyLabel; // added to the subject of every mail after the first: "件名(控え)"
    QStringList copies;
    QStringList furtherCopies;
    QString subject;
    QStringList bodyLines;
    QString attachmentPath;
};

// The notice that a phone's pictures are on the web: subject "《注文控》の送付", the two lines
// of the notice and the page address (the entry up to " @REM@").
TMailJob PhoneNoticeJob(const QString &phoneAddress, const QString &pageEntry);

// What a sending came to.
struct TMailOutcome {
    bool firstReached = false; // the first recipient took the mail
    int sent = 0;
    int failed = 0;
    QString lastText; // the last progress or error text

    // The result message: "送信完了しました。", "お客様への送信は完了しました。CopyMail失敗=N" or
    // "送信失敗しました。\r\n\r\nERR:" + the last text.
    QString ResultText() const;
};

// Receives every progress and error text of a sending, in order ("HOST/PORT Set.",
// "AUTH Set.", "MIME Encode.", "MESSAGE Create.", "ATTACH Set.", "CALL MailGuageOn.", then the
// connection's events); the progress window shows them.
using TMailStatus = std::function<void(const QString &)>;

// Why a sending stopped before its login: the server offers no encryption.
QString PlainLoginRefusedText();

// Sends the job by SMTP with the given transport settings (the certificate authorities of
// STARTTLS), one session and one message for each recipient in order. When the
// first recipient fails nothing more is sent. With a prompter the result message is shown
// through it, framed by "　　" on both sides.
TMailOutcome SendBySmtp(const TTransportSettings &transport, const TSmtpAccount &account,
    const TMailIdentity &identity, const TMailJob &job, const QDateTime &now,
    const TMailStatus &status = {}, TPrompter *resultPrompter = nullptr);

} // namespace korvatel
