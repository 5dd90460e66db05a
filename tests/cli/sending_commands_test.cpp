#include "cli/sending_commands.h"
#include "customer/user_record.h"
#include "platform/clock.h"
#include "sending/order_builder.h"
#include "support/demo_shop.h"
#include "support/temp_home.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTextStream>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>

namespace korvatel
{

namespace
{

class OrderCommandTest : public test::TDemoShopTest
{
protected:
    void SetUp() override
    {
        TDemoShopTest::SetUp();
        servers = std::make_unique<test::TServersEnv>(*shop);
        TUserRecord user;
        user.StoreValue(QStringLiteral("Name"), QStringLiteral("山田太郎"));
        user.StoreValue(QStringLiteral("Tel1"), QStringLiteral("０３－１２３４－５６７８"));
        user.StoreValue(QStringLiteral("Mail"), QStringLiteral("taro@example.jp"));
        user.StoreValue(QStringLiteral("Zip"), QStringLiteral("192-0000"));
        user.StoreValue(QStringLiteral("Adrs1"), QStringLiteral("東京都八王子市明神町1-2-3"));
        user.StoreValue(QStringLiteral("Acount"), QStringLiteral("4321"));
        userFile = b.dir.filePath(QStringLiteral("User"));
        ASSERT_TRUE(user.SaveToFile(userFile));
        b.Add(QStringLiteral("p/one.jpg"), QStringLiteral("L"), 2);
        b.Add(QStringLiteral("q/one.jpg"), QStringLiteral("L"), 1, true);
        memory = b.dir.filePath(QStringLiteral("OrderMemory"));
        ASSERT_TRUE(b.basket.SaveMemory(memory, {}, SystemClock()));
    }
    void TearDown() override { servers.reset(); }

    int Run(const QStringList &args)
    {
        output.clear();
        errors.clear();
        QTextStream out(&output), err(&errors);
        return OrderCommand(args, out, err);
    }

    QString Value(const QString &kind) const
    {
        for (const QString &line : output.split(u'\n')) {
            if (line.startsWith(kind + u'\t'))
                return line.mid(kind.size() + 1);
        }
        return {};
    }

    test::TTempHome home;
    test::TOrderBuilder b;
    std::unique_ptr<test::TServersEnv> servers;
    QString userFile, memory, output, errors;
};

TEST_F(OrderCommandTest, PacksAndSendsABasketFromTheShopId)
{
    const QString work = b.dir.filePath(QStringLiteral("Work"));
    ASSERT_EQ(
        Run({ memory, QStringLiteral("--customer"), userFile, QStringLiteral("--shop"),
            QStringLiteral("1234"), QStringLiteral("--work"), work, QStringLiteral("--payment"),
            QStringLiteral("銀行等振込"), QStringLiteral("--comment"), QStringLiteral("よろしく"),
            QStringLiteral("--history"), b.dir.filePath(QStringLiteral("hist")) }),
        0)
        << errors.toStdString() << output.toStdString();
    EXPECT_EQ(Value(QStringLiteral("result")), QStringLiteral("sent"));
    const QString name = Value(QStringLiteral("order"));
    EXPECT_TRUE(name.endsWith(QStringLiteral("-0312345678-4321")));
    EXPECT_TRUE(output.contains(QStringLiteral("state\tConnecting")));
    EXPECT_TRUE(
        output.contains(QStringLiteral("file\t") + name + QStringLiteral("/$IMG_PRN/one(2).jpg")));
    const QString verdict
        = QDir(shop->State(QStringLiteral("ReceiverDir"))).filePath(name + QStringLiteral(".txt"));
    QElapsedTimer timer;
    timer.start();
    while (!QFile::exists(verdict) && timer.elapsed() < 10000)
        QThread::msleep(50);
    EXPECT_EQ(ReadSjisLines(verdict).value_or(QStringList()).value(0), QStringLiteral("ACCEPTED"));
    const QStringList message = ReadSjisLines(
        shop->FtpLocal(QStringLiteral("/order/message/") + name + QStringLiteral(".mes")))
                                    .value_or(QStringList());
    EXPECT_TRUE(message.contains(QStringLiteral("よろしく")));
    EXPECT_TRUE(message.contains(QStringLiteral("注文番号=1234-") + name));
    EXPECT_TRUE(message.contains(QStringLiteral("店名 : デモ写真館 八王子店")));
    EXPECT_TRUE(QFile::exists(
        QDir(work).filePath(QStringLiteral("1234-") + name + QStringLiteral(".cnt"))));
}

TEST_F(OrderCommandTest, PackOnlyAndCommandLineErrors)
{
    const QString container = QDir(shop->State(QStringLiteral("PrimaryDir")))
                                  .filePath(QStringLiteral("KorvFmt/1234/HostFmt.ini"));
    // A skin-tone kind never measured: the basket file keeps the record the packing measured.
    b.basket.Item(0)->Hosei.kind = 1;
    ASSERT_TRUE(b.basket.SaveMemory(memory, {}, SystemClock()));
    ASSERT_EQ(
        Run({ memory, QStringLiteral("--customer"), userFile, QStringLiteral("--shop"), container,
            QStringLiteral("--pack-only"), QStringLiteral("--card"), QStringLiteral("1") }),
        0)
        << errors.toStdString();
    const QString name = Value(QStringLiteral("order"));
    EXPECT_TRUE(
        output.contains(QStringLiteral("file\t") + name + QStringLiteral("/$IMG_PRN/_CARD_.JPG")));
    EXPECT_TRUE(QFile::exists(Value(QStringLiteral("folder")) + QStringLiteral("/_CARD_.JPG")));
    EXPECT_FALSE(output.contains(QStringLiteral("result\t")));
    EXPECT_TRUE(ReadSjisLines(memory)
                    .value_or(QStringList())
                    .contains(QStringLiteral("HoseiData=Scn|Typ=1;")));

    EXPECT_EQ(Run({ memory, QStringLiteral("--shop"), container }), 2);
    EXPECT_EQ(Run({ memory, QStringLiteral("--customer"), userFile, QStringLiteral("--shop"),
                  container, QStringLiteral("--mode"), QStringLiteral("fast") }),
        2);
    EXPECT_EQ(Run({ memory, QStringLiteral("--customer"), b.dir.filePath(QStringLiteral("none")),
                  QStringLiteral("--shop"), container }),
        1);
}

} // namespace

} // namespace korvatel
