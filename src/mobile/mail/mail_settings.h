#pragma once

#include "mobile/mail/smtp_mailer.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace korvatel
{

// How mail is sent: "WebMail" (the maker's server), "Indy9" (SMTP through the customer's
// provider, the default) or "Mapi" (the customer's own mail program).
enum class TMailTransport { mtWebMail, mtIndy9, mtMapi };

// The stored word of a transport, and the choice a stored word shows as: any word other than
// "Indy9" and "Mapi" shows as the first choice.
QString TransportWord(TMailTransport transport);
TMailTransport TransportOfWord(const QString &word);
// Why a mail cannot go by the maker's web sending, which this program does not offer.
QString WebMailUnavailableText();

// The internet settings of mail: the transport, the SMTP account and the identity. Kept in
// SysData as MailSet.ini, a private file (0600) because it holds the password, which is stored
// scrambled.
struct TMailSettings {
    QString transport = QStringLiteral("Indy9");
    TSmtpAccount account;
    TMailIdentity identity;
    QStringList copies; // carbon-copy addresses
    QString pageUrl; // the address of the phone picture page
    // "RegistrationReport": whether the customer lets the start-up report send the customer's
    // data to the shop; nullopt while the customer has not answered.
    std::optional<bool> registrationReport;

    static QString FileName() { return QStringLiteral("MailSet.ini"); }
    // Missing or unreadable: the defaults.
    static TMailSettings Load(const QString &path);
    bool Save(const QString &path) const;
};

// Sends the job by the transport of the settings: SMTP through smtp, which is given the job
// and gives the outcome, or the customer's mail program (to the job's recipients). The
// maker's web sending fails with WebMailUnavailableText. *reason gets the failure's text. True
// when the first recipient took the mail (or the mail program took it over).
bool SendByTransport(const TMailSettings &settings, const TMailJob &job,
    const std::function<TMailOutcome(const TMailJob &)> &smtp, QString *reason = nullptr);

// "一般的なURL": "http://" + the FTP host + "/" + the upload folder without the home folder at
// its start + "/", with every "//" after the scheme made one "/".
QString DefaultPhonePageUrl(
    const QString &ftpHost, const QString &uploadFolder, const QString &homeFolder);

// The phone addresses to notify: MailList.ini in SysData, one address a line, the address
// chosen last marked with a leading "*".
struct TMailList {
    QStringList addresses; // without the mark
    QString current; // the first marked address; empty when none is marked

    static QString FileName() { return QStringLiteral("MailList.ini"); }
    // At most kMaxAddresses lines of a file of at most 64 KiB are read.
    static TMailList Load(const QString &path);
    // Written with the current address marked; private (0600).
    bool Save(const QString &path) const;
    // Puts the address at the top when it is not in the list yet; true when it was added.
    bool Add(const QString &address);
    void Remove(const QString &address);

    static constexpr int kMaxAddresses = 200;
};

} // namespace korvatel
