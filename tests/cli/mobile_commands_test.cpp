#include "cli/mobile_commands.h"
#include "mobile/mail/jis_text.h"
#include "support/demo_shop.h"
#include "support/image_builders.h"
#include "text/cp932.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>
#include <memory>

namespace korvatel
{

namespace
{

class MailCommandTest : public test::TDemoShopTest
{
protected:
    void SetUp() override
    {
        TDemoShopTest::SetUp();
        servers = std::make_unique<test::TServersEnv>(*shop);
        body = dir.filePath(QStringLiteral("body.txt"));
        QFile file(body);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("ご注文ありがとうございます。\nｶﾞｲﾄﾞ\n").toUtf8());
    }
    void TearDown() override { servers.reset(); }

    int Run(const QStringList &args)
    {
        output.clear();
        errors.clear();
        QTextStream out(&output), err(&errors);
        return MailCommand(args, out, err);
    }
    QStringList Account(const QString &server = QStringLiteral("starttls")) const
    {
        return { QStringLiteral("--smtp"), QStringLiteral("127.0.0.1:%1").arg(shop->Port(server)),
            QStringLiteral("--user"), shop->FtpUser(), QStringLiteral("--password"),
            shop->FtpPassword(), QStringLiteral("--from"), QStringLiteral("shop@example.jp") };
    }
    QStringList Mails() const
    {
        QDir mail(shop->State(QStringLiteral("MailDir")));
        QStringList paths;
        for (const QString &name :
            mail.entryList({ QStringLiteral("*.eml") }, QDir::Files, QDir::Name))
            paths << mail.filePath(name);
        return paths;
    }

    QTemporaryDir dir;
    QString body;
    std::unique_ptr<test::TServersEnv> servers;
    QString output, errors;
};

TEST_F(MailCommandTest, SendsTheBodyAndCountsARefusedCopy)
{
    const qsizetype before = Mails().size();
    EXPECT_EQ(Run(Account(QStringLiteral("starttls")) << "--to"
                                                      << "customer@example.jp"
                                                      << "--subject"
                                                      << "ご案内" << body),
        0)
        << errors.toStdString() << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("result\t送信完了しました。")));
    ASSERT_EQ(Mails().size(), before + 1);
    QFile mail(Mails().last());
    ASSERT_TRUE(mail.open(QIODevice::ReadOnly));
    const QByteArray raw = mail.readAll();
    // The half-width kana travel as full-width ones.
    EXPECT_TRUE(raw.contains(ToJis(ToCp932(QStringLiteral("ガイド\r\n")))));

    EXPECT_EQ(Run(Account() << "--to"
                            << "customer@example.jp"
                            << "--cc"
                            << "refused@example.jp"
                            << "--cc"
                            << "copy@example.jp"
                            << "--subject"
                            << "Notice" << body),
        1);
    EXPECT_TRUE(
        output.contains(QStringLiteral("result\tお客様への送信は完了しました。CopyMail失敗=1")))
        << output.toStdString();
    EXPECT_EQ(Mails().size(), before + 3);
}

TEST_F(MailCommandTest, AWrongCommandLineSendsNothing)
{
    const qsizetype before = Mails().size();
    EXPECT_EQ(Run(Account() << "--to"
                            << "customer@example.jp"),
        2);
    EXPECT_EQ(Run(Account() << "--to"
                            << "a@b\r\nRCPT TO:<c@d>" << body),
        2);
    EXPECT_EQ(Run(Account() << "--to"
                            << "customer@example.jp"
                            << "--smtp"
                            << "host:x" << body),
        2);
    EXPECT_EQ(Run(Account() << "--to"
                            << "customer@example.jp"
                            << "--attach" << dir.filePath(QStringLiteral("missing")) << body),
        1);
    EXPECT_EQ(Mails().size(), before);
}

TEST(PhoneConvertCommand, ModelsAndSizesGiveTheirPictures)
{
    QTemporaryDir dir;
    const QString picture = dir.filePath(QStringLiteral("a.jpg"));
    QFile file(picture);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(test::JpegBytes(test::PatternBitmap(80, 60)));
    file.close();
    QString output, errors;
    const auto run = [&](const QStringList &args) {
        output.clear();
        errors.clear();
        QTextStream out(&output), err(&errors);
        return PhoneConvertCommand(args, out, err);
    };
    const QString gif = dir.filePath(QStringLiteral("a.gif"));
    EXPECT_EQ(run({ picture, QStringLiteral("--model"), QStringLiteral("J-SH07"), gif }), 0)
        << errors.toStdString();
    EXPECT_EQ(output, QStringLiteral("120x130 GIF ") + gif + u'\n');
    EXPECT_EQ(QImageReader(gif).size(), QSize(120, 130));
    const QString bmp = dir.filePath(QStringLiteral("a.bmp"));
    EXPECT_EQ(
        run({ picture, QStringLiteral("--size"), QStringLiteral("40x30"),
            QStringLiteral("--format"), QStringLiteral("bmp"), QStringLiteral("--crop"),
            QStringLiteral("0,0,0.5,0.5"), QStringLiteral("--turns"), QStringLiteral("1"), bmp }),
        0)
        << errors.toStdString();
    QImageReader reader(bmp);
    EXPECT_EQ(reader.format(), QByteArray("bmp"));
    EXPECT_EQ(reader.size(), QSize(40, 30));

    // A model of unknown format needs --format; sizes stay within 20 to 500.
    EXPECT_EQ(run({ picture, QStringLiteral("--model"), QStringLiteral("SH252i"), gif }), 2);
    EXPECT_EQ(run({ picture, QStringLiteral("--size"), QStringLiteral("19x100"),
                  QStringLiteral("--format"), QStringLiteral("jpg"), gif }),
        2);
    EXPECT_EQ(run({ picture, QStringLiteral("--size"), QStringLiteral("40x30"),
                  QStringLiteral("--format"), QStringLiteral("tif"), gif }),
        2);
    EXPECT_EQ(
        run({ dir.filePath(QStringLiteral("none.jpg")), QStringLiteral("--size"),
            QStringLiteral("40x30"), QStringLiteral("--format"), QStringLiteral("png"), gif }),
        1);
}

} // namespace

} // namespace korvatel
