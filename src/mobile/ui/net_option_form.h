#pragma once

#include "mobile/mail/mail_settings.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QGroupBox;
class QVBoxLayout;

namespace korvatel
{

class TPrompter;

// Where the phone pictures go, for the default page address of "一般的なURL".
struct TPhoneUpload {
    QString ftpHost;
    QString uploadFolder;
    QString homeFolder;
};

// "インターネットの設定": the mail transport, the SMTP account, the identity and the phone page
// address, loaded from MailSet.ini and saved back on OK.
class TNetOptionForm : public QDialog
{
    Q_OBJECT

public:
    TNetOptionForm(const QString &settingsFile, const TPhoneUpload &upload, TPrompter &prompter,
        QWidget *parent = nullptr);

    QRadioButton *rbWebMail() const { return FTransports[0]; }
    QRadioButton *rbIndy9() const { return FTransports[1]; }
    QRadioButton *rbMapi() const { return FTransports[2]; }
    QGroupBox *gbSmtp() const { return FSmtp; }
    QLineEdit *edSmtpHost() const { return FHost; }
    QLineEdit *edPort() const { return FPort; }
    QCheckBox *cbAuth() const { return FAuth; }
    QCheckBox *cbPlainAuth() const { return FPlainAuth; }
    QLineEdit *edAuthHost() const { return FAuthHost; }
    QLineEdit *edUser() const { return FUser; }
    QLineEdit *edPassword() const { return FPassword; }
    QLineEdit *edFromAddress() const { return FFromAddress; }
    QLineEdit *edFromName() const { return FFromName; }
    QLineEdit *edReplyTo() const { return FReplyTo; }
    QLineEdit *edCc() const { return FCc; }
    QLineEdit *edPageUrl() const { return FPageUrl; }
    // The red "*" before a required field: "host", "authHost", "user", "password".
    QLabel *RequiredMark(const QString &field) const;

    void accept() override;

private:
    // The groups of the window, top to bottom.
    void BuildTransports(QVBoxLayout &layout, const TMailSettings &settings);
    void BuildSmtp(QVBoxLayout &layout, const TSmtpAccount &account);
    void BuildIdentity(QVBoxLayout &layout, const TMailSettings &settings);
    void cbAuthClick();
    void ShowMarks();
    void ShowSmtpPanel();

    QString FFile;
    TPhoneUpload FUpload;
    TPrompter &FPrompter;
    QRadioButton *FTransports[3];
    QGroupBox *FSmtp;
    QLineEdit *FHost, *FPort, *FAuthHost, *FUser, *FPassword;
    QCheckBox *FAuth, *FPlainAuth;
    QLineEdit *FFromAddress, *FFromName, *FReplyTo, *FCc, *FPageUrl;
    QLabel *FHostMark, *FAuthHostMark, *FUserMark, *FPasswordMark;
};

} // namespace korvatel
