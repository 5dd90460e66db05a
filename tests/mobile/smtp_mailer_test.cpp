#include "mobile/mail/mail_message.h"
#include "mobile/mail/mail_settings.h"
#include "mobile/mail/smtp_mailer.h"
#include "mobile/ui/send_mail_form.h"
#include "net/win_inet.h"
#include "platform/prompter.h"
#include "support/demo_shop.h"
#include "text/cp932.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

using test::TDemoShopTest;

const QDateTime kNow(QDate(2026, 12, 9), QTime(10, 30, 0), QTimeZone(9 * 3600));

class TSmtpMailer : public TDemoShopTest
{
protected:
    void SetUp() override
    {
        TDemoShopTest::SetUp();
        transport = shop->Config().Transport(); // trusts the demo's certificate authority
        FSeen = Stored();
    }

    TSmtpAccount Account(const QString &server = QStringLiteral("starttls")) const
    {
        TSmtpAccount account;
        account.host = QStringLiteral("127.0.0.1");
        account.port = shop->Port(server);
        account.useAuth = true;
        account.user = shop->FtpUser();
        account.password = shop->FtpPassword();
        return account;
    }
    static TMailIdentity Identity()
    {
        return { QStringLiteral("shop@example.jp"), QStringLiteral("デモ写真館"),
            QStringLiteral("reply@example.jp") };
    }
    QStringList Stored() const
    {
        return QDir(shop->State(QStringLiteral("MailDir")))
            .entryList({ QStringLiteral("*.eml") }, QDir::Files, QDir::Name);
    }
    // The mails that arrived since the test began, as their file paths.
    QStringList Arrived()
    {
        QStringList fresh;
        for (const QString &name : Stored()) {
            if (!FSeen.contains(name))
                fresh << QDir(shop->State(QStringLiteral("MailDir"))).filePath(name);
        }
        FSeen = Stored();
        return fresh;
    }

    TTransportSettings transport;
    QStringList FSeen;
};

// A mail as Python's email package decodes it.
QJsonObject ReadWithPython(const QString &file)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
        { QStringLiteral(KORVATEL_SOURCE_DIR "/tests/mobile/read_mail.py"), file });
    if (!python.waitForFinished(20000) || python.exitCode() != 0) {
        ADD_FAILURE() << python.readAllStandardError().toStdString();
        return {};
    }
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

QByteArray RawHeader(const QByteArray &mail, const QByteArray &name)
{
    for (const QByteArray &line : mail.left(mail.indexOf("\r\n\r\n")).split('\n')) {
        if (line.startsWith(name + ':'))
            return line.mid(name.size() + 2).chopped(line.endsWith('\r') ? 1 : 0);
    }
    return {};
}

TEST_F(TSmtpMailer, JapaneseMailIsReadBackByAStandardReader)
{
    QTemporaryDir dir;
    const QString attachment = dir.filePath(QStringLiteral("注文控ﾃﾞｰﾀ.txt"));
    QByteArray content = ToCp932(QStringLiteral("注文番号=1234-5\r\n"));
    content.append(QByteArray(3000, '\xa5'));
    QFile file(attachment);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();

    TMailJob job;
    job.recipients = QStringLiteral("customer@example.jp\r\n");
    job.subject = QStringLiteral("《注文控》の送付 ﾌﾟﾘﾝﾄ");
    job.bodyLines = { QStringLiteral("携帯画像をｱｯﾌﾟﾛｰﾄﾞしました"), QStringLiteral("髙橋様\r. end"),
        QStringLiteral("."), QStringLiteral("URL http://127.0.0.1/keitai/"),
        QStringLiteral("以上") };
    job.attachmentPath = attachment;
    QStringList events;
    const TMailOutcome outcome = SendBySmtp(transport, Account(), Identity(), job, kNow,
        [&events](const QString &text) { events << text; });
    EXPECT_EQ(outcome.ResultText(), QStringLiteral("送信完了しました。"))
        << outcome.lastText.toStdString();
    EXPECT_EQ(events.mid(0, 7),
        QStringList({ "HOST/PORT Set.", "AUTH Set.", "MIME Encode.", "MESSAGE Create.",
            "ATTACH Set.", "CALL MailGuageOn.", "Connecting." }));
    EXPECT_TRUE(events.contains(QStringLiteral("CONNECT OK")));

    const QStringList mails = Arrived();
    ASSERT_EQ(mails.size(), 1);
    QFile stored(mails.first());
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
    const QByteArray raw = stored.readAll();
    for (char c : raw)
        ASSERT_LT(static_cast<unsigned char>(c), 0x80) << "the mail is not 7-bit";
    const QByteArray subject = RawHeader(raw, "Subject");
    EXPECT_TRUE(subject.startsWith("=?iso-2022-jp?B?")) << subject.constData();
    EXPECT_TRUE(subject.endsWith("?= ")) << subject.constData();
    EXPECT_EQ(subject.count("=?iso-2022-jp?"), 1);
    EXPECT_TRUE(raw.contains("\x1b$B0J>e\x1b(J\r\n")) << "the text's last kanji run is closed";

    const QJsonObject mail = ReadWithPython(mails.first());
    // The blank after the encoded word belongs to its form; readers show the words alone.
    EXPECT_EQ(mail["subject"].toString().trimmed(), QStringLiteral("《注文控》の送付 プリント"));
    EXPECT_EQ(mail["from_name"].toString(), QStringLiteral("デモ写真館"));
    EXPECT_EQ(mail["from_address"].toString(), QStringLiteral("shop@example.jp"));
    EXPECT_EQ(mail["to"].toString(), QStringLiteral("customer@example.jp"));
    EXPECT_EQ(mail["reply_to"].toString(), QStringLiteral("reply@example.jp"));
    EXPECT_EQ(mail["mailer"].toString(), QStringLiteral("KorvMailer by Indy9"));
    EXPECT_TRUE(mail["date_ok"].toBool());
    EXPECT_EQ(mail["charset"].toString(), QStringLiteral("iso-2022-jp"));
    EXPECT_EQ(mail["body"].toString().remove(u'\r'),
        QStringLiteral("携帯画像をアップロードしました\r\n高橋様\r\n. end\r\n.\r\n"
                       "URL http://127.0.0.1/keitai/\r\n以上\r\n")
            .replace(QLatin1String("\r\n"), QLatin1String("\n")));
    const QJsonArray attachments = mail["attachments"].toArray();
    ASSERT_EQ(attachments.size(), 1);
    EXPECT_EQ(attachments[0]["name"].toString(), QStringLiteral("注文控データ.txt"));
    EXPECT_EQ(attachments[0]["hex"].toString(), QString::fromLatin1(content.toHex()));
    EXPECT_EQ(mail["defects"].toInt(), 0);
}

TEST_F(TSmtpMailer, CopiesCarryTheLabelAndARefusedCopyIsCounted)
{
    TMailJob job;
    job.recipients = QStringLiteral("first@example.jp");
    job.copies = { QStringLiteral("refused@example.jp") };
    job.furtherCopies = { QStringLiteral("third@example.jp") };
    job.copyLabel = QStringLiteral("控え");
    job.subject = QStringLiteral("Order 1234-5");
    job.bodyLines = { QStringLiteral("plain text") };
    TScriptedPrompter prompter;
    const TMailOutcome outcome
        = SendBySmtp(transport, Account(), Identity(), job, kNow, {}, &prompter);
    EXPECT_TRUE(outcome.firstReached);
    EXPECT_EQ(outcome.sent, 2);
    EXPECT_EQ(outcome.failed, 1);
    EXPECT_EQ(prompter.Texts(),
        QStringList({ QStringLiteral("　　お客様への送信は完了しました。CopyMail失敗=1　　") }));

    const QStringList mails = Arrived();
    ASSERT_EQ(mails.size(), 2);
    QFile first(mails.at(0));
    ASSERT_TRUE(first.open(QIODevice::ReadOnly));
    // An ASCII subject travels as it is; the copies add the label.
    EXPECT_EQ(RawHeader(first.readAll(), "Subject"), QByteArray("Order 1234-5"));
    EXPECT_EQ(ReadWithPython(mails.at(1))["subject"].toString().trimmed(),
        QStringLiteral("Order 1234-5(控え)"));
    EXPECT_EQ(ReadWithPython(mails.at(1))["to"].toString(), QStringLiteral("third@example.jp"));
}

TEST_F(TSmtpMailer, AFailureAtTheFirstRecipientSendsNoCopies)
{
    TMailJob job;
    job.recipients = QStringLiteral("refused@example.jp\nsecond@example.jp");
    job.copies = { QStringLiteral("copy@example.jp") };
    job.subject = QStringLiteral("件名");
    TScriptedPrompter prompter;
    const TMailOutcome outcome
        = SendBySmtp(transport, Account(), Identity(), job, kNow, {}, &prompter);
    EXPECT_FALSE(outcome.firstReached);
    EXPECT_EQ(outcome.sent + outcome.failed, 1);
    EXPECT_TRUE(outcome.ResultText().startsWith(QStringLiteral("送信失敗しました。\r\n\r\nERR:")));
    EXPECT_TRUE(outcome.lastText.contains(QLatin1String("550"))) << outcome.lastText.toStdString();
    ASSERT_EQ(prompter.Shown().size(), 1);
    EXPECT_EQ(prompter.Shown().first().kind, TMsgKind::mkError);
    EXPECT_TRUE(Arrived().isEmpty());

    TSmtpAccount wrong = Account();
    wrong.password = QStringLiteral("wrong");
    job.recipients = QStringLiteral("first@example.jp");
    EXPECT_FALSE(SendBySmtp(transport, wrong, Identity(), job, kNow).firstReached);
    TSmtpAccount noLogin = Account();
    noLogin.useAuth = false;
    EXPECT_FALSE(SendBySmtp(transport, noLogin, Identity(), job, kNow).firstReached);
    EXPECT_TRUE(Arrived().isEmpty());
}

TEST_F(TSmtpMailer, TheLoginGoesOnlyInsideTlsUnlessAllowedInClear)
{
    const QString logFile
        = QDir(shop->State(QStringLiteral("Root"))).filePath(QStringLiteral("demo-shop.log"));
    const auto logins = [&logFile] {
        QFile log(logFile);
        return log.open(QIODevice::ReadOnly) ? log.readAll().count("smtp: AUTH") : -1;
    };
    const qsizetype loginsBefore = logins();
    TMailJob job;
    job.recipients = QStringLiteral("secure@example.jp");
    job.subject = QStringLiteral("暗号化");
    job.bodyLines = { QStringLiteral("本文") };
    // A server without STARTTLS gets no login, and the customer is told why.
    TMailOutcome outcome
        = SendBySmtp(transport, Account(QStringLiteral("smtp")), Identity(), job, kNow);
    EXPECT_EQ(outcome.ResultText(),
        QStringLiteral("送信失敗しました。\r\n\r\nERR:") + PlainLoginRefusedText());
    EXPECT_TRUE(Arrived().isEmpty());
    EXPECT_EQ(logins(), loginsBefore);

    // This server takes AUTH only after STARTTLS: the mail arrives only when the session
    // switched to TLS before the login.
    outcome = SendBySmtp(transport, Account(), Identity(), job, kNow);
    EXPECT_EQ(outcome.ResultText(), QStringLiteral("送信完了しました。"))
        << outcome.lastText.toStdString();
    ASSERT_EQ(Arrived().size(), 1);

    // The account's explicit choice lets the login go in clear.
    TSmtpAccount clear = Account(QStringLiteral("smtp"));
    clear.allowPlainLogin = true;
    outcome = SendBySmtp(transport, clear, Identity(), job, kNow);
    EXPECT_TRUE(outcome.firstReached) << outcome.lastText.toStdString();
    ASSERT_EQ(Arrived().size(), 1);
    EXPECT_EQ(logins(), loginsBefore + 2);

    // Without trust in its certificate the session ends; the client never retries in clear.
    const TMailOutcome untrusted // the system's authorities, which do not know the demo's
        = SendBySmtp({}, Account(), Identity(), job, kNow);
    EXPECT_FALSE(untrusted.firstReached);
    EXPECT_TRUE(untrusted.lastText.contains(QLatin1String("certificate"), Qt::CaseInsensitive))
        << untrusted.lastText.toStdString();
    EXPECT_TRUE(Arrived().isEmpty());
}

TEST_F(TSmtpMailer, AHistoryRecordGoesByTheTransportOfTheSettings)
{
    QTemporaryDir dir;
    const QString settingsFile = dir.filePath(QStringLiteral("MailSet.ini"));
    TMailSettings settings;
    settings.account = Account();
    settings.identity = Identity();
    ASSERT_TRUE(settings.Save(settingsFile));
    TScriptedPrompter prompter;
    QString reason;
    ASSERT_TRUE(SendTextMail(transport, settingsFile, QStringLiteral("taro@example.jp"),
        QStringLiteral("wcp-data"), QStringLiteral("注文控\r\n合計 851円"), prompter, nullptr,
        &reason))
        << reason.toStdString();
    const QStringList mails = Arrived();
    ASSERT_EQ(mails.size(), 1);
    const QJsonObject mail = ReadWithPython(mails.at(0));
    EXPECT_EQ(mail["subject"].toString().trimmed(), QStringLiteral("wcp-data"));
    EXPECT_TRUE(mail["body"].toString().contains(QStringLiteral("合計 851円")));

    // The maker's web sending is not offered: it fails with its reason, and nothing is sent.
    settings.transport = QStringLiteral("WebMail");
    ASSERT_TRUE(settings.Save(settingsFile));
    EXPECT_FALSE(SendTextMail(transport, settingsFile, QStringLiteral("taro@example.jp"),
        QStringLiteral("wcp-data"), QStringLiteral("x"), prompter, nullptr, &reason));
    EXPECT_TRUE(reason.contains(QStringLiteral("インターネットの設定")));
    EXPECT_TRUE(Arrived().isEmpty());
}

TEST(BuildMailMessage, TheSendersNameCannotAddAnAddress)
{
    const struct {
        const char *name, *shown;
    } cases[] = {
        { "Shop, Inc. <evil@example.jp>", "Shop, Inc. <evil@example.jp>" },
        { "Studio\r\nBcc: evil@example.jp", "Studio  Bcc: evil@example.jp" },
        { "\"Photo\" \\ Studio", "\"Photo\" \\ Studio" },
        { "写真館, <evil@example.jp>", "写真館, <evil@example.jp>" },
    };
    QTemporaryDir dir;
    for (const auto &c : cases) {
        TMailMessage message;
        message.fromName = QString::fromUtf8(c.name);
        message.fromAddress = QStringLiteral("shop@example.jp");
        message.to = QStringLiteral("customer@example.jp");
        message.date = kNow;
        QString error;
        const std::optional<QByteArray> bytes = BuildMailMessage(message, &error);
        ASSERT_TRUE(bytes) << error.toStdString();
        const QString path = dir.filePath(QStringLiteral("mail.eml"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(*bytes);
        file.close();
        const QJsonObject mail = ReadWithPython(path);
        EXPECT_EQ(mail["from_count"].toInt(), 1) << c.name;
        EXPECT_EQ(mail["from_address"].toString(), QStringLiteral("shop@example.jp")) << c.name;
        EXPECT_EQ(mail["from_name"].toString(), QString::fromUtf8(c.shown)) << c.name;
        EXPECT_EQ(mail["defects"].toInt(), 0) << c.name;
    }
}

TEST(TSmtpAccount, PortZeroMeansTwentyFiveAndTheAuthHostWinsWithAuthentication)
{
    TSmtpAccount account { QStringLiteral(" smtp.example.jp "), 0, false,
        QStringLiteral("auth.example.jp"), {}, {} };
    EXPECT_EQ(account.ServerPort(), 25);
    EXPECT_EQ(account.ServerHost(), QStringLiteral("smtp.example.jp"));
    account.useAuth = true;
    EXPECT_EQ(account.ServerHost(), QStringLiteral("auth.example.jp"));
    // The phone notice names the page without the remark that follows it in the entry.
    EXPECT_EQ(PhoneNoticeJob(QStringLiteral("p@x.jp"), QStringLiteral("http://h/k/1/ @REM@ note"))
                  .bodyLines.last(),
        QStringLiteral("http://h/k/1/"));
}

TEST(SendBySmtp, ARefusedConnectionAndBadAddressesFailBeforeAnyMail)
{
    TSmtpAccount account;
    account.host = QStringLiteral("127.0.0.1");
    account.port = 1; // nothing listens there
    TMailJob job;
    job.recipients = QStringLiteral("a@example.jp");
    job.subject = QStringLiteral("x");
    const TMailIdentity identity { QStringLiteral("shop@example.jp"), {}, {} };
    TMailOutcome outcome = SendBySmtp({}, account, identity, job, kNow);
    EXPECT_EQ(
        outcome.ResultText(), QStringLiteral("送信失敗しました。\r\n\r\nERR:Connection Failed."));

    // Addresses that would break the envelope or the header never reach a server.
    job.recipients = QStringLiteral("a@example.jp>\r\nRCPT TO:<b@example.jp");
    outcome = SendBySmtp({}, account, identity, job, kNow);
    EXPECT_TRUE(outcome.lastText.contains(QStringLiteral("受取人のアドレスに誤りがあります")));
    EXPECT_EQ(outcome.failed, 1);
    // Nor does a host that would change the server's address.
    job.recipients = QStringLiteral("a@example.jp");
    account.host = QStringLiteral("127.0.0.1:25/x?");
    QStringList events;
    outcome = SendBySmtp({}, account, identity, job, kNow, [&](const QString &e) { events << e; });
    EXPECT_EQ(outcome.failed, 1);
    EXPECT_FALSE(events.contains(QStringLiteral("Connecting.")));
}

} // namespace

} // namespace korvatel
