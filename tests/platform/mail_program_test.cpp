#include "platform/mail_program.h"
#include "platform/program_file.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

// A stand-in mail program: writes its arguments one a line to args.txt and exits with the
// status given in status.txt.
class MailProgramTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FDir.isValid());
        FScript = FDir.filePath(QStringLiteral("fake-email"));
        QFile script(FScript);
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\n"
                     "dir=$(dirname \"$0\")\n"
                     "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$dir/args.txt\"\n"
                     "exit $(cat \"$dir/status.txt\" 2>/dev/null || echo 0)\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void SetStatus(int status) { Write(QStringLiteral("status.txt"), QByteArray::number(status)); }
    QString Write(const QString &name, const QByteArray &bytes)
    {
        QFile file(FDir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }
    QStringList Args() const
    {
        QFile file(FDir.filePath(QStringLiteral("args.txt")));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }

    QTemporaryDir FDir;
    QString FScript;
};

} // namespace

TEST_F(MailProgramTest, HandsTheWholeMessageToTheProgram)
{
    const QString picture = Write(QStringLiteral("a.jpg"), "jpeg");
    TMailProgramMessage message;
    message.toAddress = QStringLiteral("shop@example.jp");
    message.bccAddress = QStringLiteral("me@example.jp");
    message.subject = QStringLiteral("wcp-data");
    message.body = QStringLiteral("注文履歴です");
    message.attachments = { picture };
    EXPECT_EQ(SendWithMailProgram(message, FScript), mapiSuccess);
    EXPECT_EQ(Args(),
        QStringList({ QStringLiteral("--attach"), picture, QStringLiteral("--bcc"),
            QStringLiteral("me@example.jp"), QStringLiteral("--subject"),
            QStringLiteral("wcp-data"), QStringLiteral("--body"), QStringLiteral("注文履歴です"),
            QStringLiteral("--utf8"), QStringLiteral("shop@example.jp") }));
}

TEST_F(MailProgramTest, ExitStatusesBecomeMapiCodes)
{
    TMailProgramMessage message;
    message.toAddress = QStringLiteral("shop@example.jp");
    const std::pair<int, int> cases[] = { { 1, mapiFailure }, { 2, mapiAttachmentNotFound },
        { 3, mapiNotSupported }, { 4, mapiFailure } };
    for (const auto &[status, code] : cases) {
        SetStatus(status);
        EXPECT_EQ(SendWithMailProgram(message, FScript), code) << status;
    }
    EXPECT_EQ(SendWithMailProgram(message, FDir.filePath(QStringLiteral("no-such-program"))),
        mapiNotSupported);
}

TEST_F(MailProgramTest, MissingAttachmentIsRefusedBeforeStarting)
{
    TMailProgramMessage message;
    message.toAddress = QStringLiteral("shop@example.jp");
    message.attachments = { FDir.filePath(QStringLiteral("gone.jpg")) };
    EXPECT_EQ(SendWithMailProgram(message, FScript), mapiAttachmentNotFound);
    EXPECT_TRUE(Args().isEmpty());
}

TEST(OwnProgramPath, AnAppImageNamesTheProgramElseTheExecutable)
{
    QTemporaryDir dir;
    const QString image = dir.filePath(QStringLiteral("Korvatel1234.AppImage"));
    QFile file(image);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_EQ(OwnProgramPath(image), image);
    EXPECT_EQ(OwnProgramPath(dir.filePath(QStringLiteral("gone.AppImage"))),
        QCoreApplication::applicationFilePath());
    EXPECT_EQ(OwnProgramPath(QString()), QCoreApplication::applicationFilePath());
}

} // namespace korvatel
