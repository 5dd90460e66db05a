#include "platform/mail_program.h"

#include <QFileInfo>
#include <QProcess>

namespace korvatel
{

namespace
{

// How long the composer may take to accept the mail; it returns once the window is open.
constexpr int kStartTimeoutMs = 10000;
constexpr int kRunTimeoutMs = 60000;

} // namespace

int SendWithMailProgram(const TMailProgramMessage &message, const QString &program)
{
    QStringList args;
    for (const QString &path : message.attachments) {
        if (!QFileInfo(path).isFile())
            return mapiAttachmentNotFound;
        args << QStringLiteral("--attach") << QFileInfo(path).absoluteFilePath();
    }
    if (!message.ccAddress.isEmpty())
        args << QStringLiteral("--cc") << message.ccAddress;
    if (!message.bccAddress.isEmpty())
        args << QStringLiteral("--bcc") << message.bccAddress;
    args << QStringLiteral("--subject") << message.subject;
    args << QStringLiteral("--body") << message.body;
    args << QStringLiteral("--utf8") << message.toAddress;

    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, args);
    if (!process.waitForStarted(kStartTimeoutMs))
        return mapiNotSupported;
    if (!process.waitForFinished(kRunTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        return mapiFailure;
    }
    if (process.exitStatus() != QProcess::NormalExit)
        return mapiFailure;
    // xdg-email: 0 done, 1 bad arguments, 2 a file is missing, 3 no mail program, 4 failed.
    switch (process.exitCode()) {
    case 0:
        return mapiSuccess;
    case 2:
        return mapiAttachmentNotFound;
    case 3:
        return mapiNotSupported;
    default:
        return mapiFailure;
    }
}

} // namespace korvatel
