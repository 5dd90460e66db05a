#include "mobile/ui/send_mail_form.h"

#include "mobile/mail/mail_settings.h"
#include "platform/prompter.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace korvatel
{

TSendMailForm::TSendMailForm(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("KorvMailer Progress"));
    // Events are processed while the mail goes: nothing else may be started meanwhile.
    setWindowModality(Qt::ApplicationModal);
    auto *layout = new QVBoxLayout(this);
    FStatus = new QLabel(this);
    FStatus->setObjectName(QStringLiteral("lbStatus"));
    FStatus->setMinimumWidth(280);
    FGauge = new QProgressBar(this);
    FGauge->setObjectName(QStringLiteral("pbGauge"));
    FGauge->setRange(0, 6);
    FGauge->setValue(0);
    FGauge->setTextVisible(false);
    layout->addWidget(FStatus);
    layout->addWidget(FGauge);
}

void TSendMailForm::ShowStatus(const QString &text)
{
    FStatus->setText(text);
    FStep = FStep % 6 + 1;
    FGauge->setValue(FStep);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

TMailOutcome SendMailWithProgress(const TTransportSettings &transport, const TSmtpAccount &account,
    const TMailIdentity &identity, const TMailJob &job, const QDateTime &now, bool showResult,
    TPrompter &prompter, QWidget *parent)
{
    TSendMailForm form(parent);
    form.show();
    const TMailOutcome outcome = SendBySmtp(transport, account, identity, job, now,
        [&form](const QString &text) { form.ShowStatus(text); });
    form.hide();
    // The customer's own mail failed: its error first, as the progress window reports it.
    if (showResult && !outcome.firstReached && !outcome.lastText.isEmpty())
        prompter.Error(QStringLiteral("ERROR !\r\n") + outcome.lastText);
    if (showResult) {
        const QString text = QStringLiteral("　　") + outcome.ResultText() + QStringLiteral("　　");
        if (outcome.firstReached)
            prompter.Inform(text);
        else
            prompter.Error(text);
    }
    return outcome;
}

bool SendMailJob(const TTransportSettings &transport, const QString &settingsFile,
    const TMailJob &job, const QDateTime &now, TPrompter &prompter, QWidget *parent,
    QString *reason)
{
    const TMailSettings settings = TMailSettings::Load(settingsFile);
    return SendByTransport(
        settings, job,
        [&](const TMailJob &smtpJob) {
            return SendMailWithProgress(transport, settings.account, settings.identity, smtpJob,
                now, false, prompter, parent);
        },
        reason);
}

bool SendTextMail(const TTransportSettings &transport, const QString &settingsFile,
    const QString &recipient, const QString &subject, const QString &text, TPrompter &prompter,
    QWidget *parent, QString *reason)
{
    TMailJob job;
    job.recipients = recipient;
    job.subject = subject;
    job.bodyLines = text.split(QStringLiteral("\r\n"));
    return SendMailJob(
        transport, settingsFile, job, QDateTime::currentDateTime(), prompter, parent, reason);
}

} // namespace korvatel
