#pragma once

#include "mobile/mail/smtp_mailer.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace korvatel
{

class TPrompter;

// "KorvMailer Progress": a status line and a gauge while mail is sent. Every status event shows
// its text and moves the gauge on by a sixth of its width, starting again after six steps. The
// cancel button, Esc and closing the window ask the sending to stop (cancelled()).
class TSendMailForm : public QDialog
{
    Q_OBJECT

public:
    explicit TSendMailForm(QWidget *parent = nullptr);

    QLabel *lbStatus() const { return FStatus; }
    QProgressBar *pbGauge() const { return FGauge; }
    QPushButton *btCancel() const { return FCancel; }

    void ShowStatus(const QString &text);

Q_SIGNALS:
    void cancelled();

protected:
    void reject() override;
    void closeEvent(QCloseEvent *event) override;

private:
    QLabel *FStatus;
    QProgressBar *FGauge;
    QPushButton *FCancel;
    int FStep = 0;
};

// Sends the job on a background job with the progress window shown; the window's thread keeps
// serving its events and the window's cancel stops the session. A recipient's failure with an error
// text is shown as "ERROR !\r\n" + the text (error box) when showResult is set, and so is the
// result message at the end.
TMailOutcome SendMailWithProgress(const TTransportSettings &transport, const TSmtpAccount &account,
    const TMailIdentity &identity, const TMailJob &job, const QDateTime &now, bool showResult,
    TPrompter &prompter, QWidget *parent = nullptr);

// Sends the job by the transport of the internet settings in settingsFile (MailSet.ini): SMTP
// (with the given transport settings) with the progress window, or the customer's mail program. The
// maker's web sending is not offered by this program; it fails with its reason. *reason gets the
// failure's text. True when the first recipient took the mail (or the mail program took it over).
bool SendMailJob(const TTransportSettings &transport, const QString &settingsFile,
    const TMailJob &job, const QDateTime &now, TPrompter &prompter, QWidget *parent,
    QString *reason);
// SendMailJob for a text to one recipient, sent now.
bool SendTextMail(const TTransportSettings &transport, const QString &settingsFile,
    const QString &recipient, const QString &subject, const QString &text, TPrompter &prompter,
    QWidget *parent, QString *reason);

} // namespace korvatel
