#include "mobile/ui/send_mail_form.h"

#include "mobile/mail/mail_settings.h"
#include "platform/background_job.h"
#include "platform/prompter.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvatel
{

TSendMailForm::TSendMailForm(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("KorvMailer Progress"));
    // The window's thread serves its events while the mail goes: nothing else may be started
    // meanwhile.
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
    FCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    FCancel->setObjectName(QStringLiteral("btCancel"));
    layout->addWidget(FStatus);
    layout->addWidget(FGauge);
    layout->addWidget(FCancel, 0, Qt::AlignRight);
    connect(FCancel, &QPushButton::clicked, this, &TSendMailForm::reject);
}

void TSendMailForm::reject()
{
    FCancel->setEnabled(false);
    Q_EMIT cancelled();
}

void TSendMailForm::closeEvent(QCloseEvent *event)
{
    event->ignore();
    reject();
}

void TSendMailForm::ShowStatus(const QString &text)
{
    FStatus->setText(text);
    FStep = FStep % 6 + 1;
    FGauge->setValue(FStep);
}

TMailOutcome SendMailWithProgress(const TTransportSettings &transport, const TSmtpAccount &account,
    const TMailIdentity &identity, const TMailJob &job, const QDateTime &now, bool showResult,
    TPrompter &prompter, QWidget *parent)
{
    TSendMailForm form(parent);
    TMailOutcome outcome;
    {
        QEventLoop loop;
        TBackgroundJob sending;
        QObject::connect(&sending, &TBackgroundJob::finished, &loop, &QEventLoop::quit);
        // A cancelled session ends at its next transfer step; the job's end joins it.
        QObject::connect(&form, &TSendMailForm::cancelled, &sending, &TBackgroundJob::Cancel);
        QObject::connect(&form, &TSendMailForm::cancelled, &loop, &QEventLoop::quit);
        sending.Start([&](TJobControl &control) {
            outcome = SendBySmtp(
                transport, account, identity, job, now, [&control, &form](const QString &text) {
                    control.Post([&form, text] { form.ShowStatus(text); });
                });
        });
        form.show();
        loop.exec();
    }
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
