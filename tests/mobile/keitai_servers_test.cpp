#include "mobile/keitai_datas.h"
#include "mobile/keitai_servers.h"
#include "platform/prompter.h"
#include "support/demo_shop.h"
#include "text/key_file.h"
#include "text/sjis_file.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

TEST(KeitaiServers, KeyLinesGiveNumberedServersWithTheirAddresses)
{
    const QList<TKeitaiServer> servers
        = KeitaiServersFromLines({ QStringLiteral("KeitaiServer2=a.example:2121; b.example"),
            QStringLiteral("KeitaiUser2=u"), QStringLiteral("KeitaiPassword2=p"),
            QStringLiteral("KeitaiFolder2=tables"), QStringLiteral("KeitaiServer10=ignored") });
    ASSERT_EQ(servers.size(), 1);
    EXPECT_EQ(servers.at(0).index, 2);
    ASSERT_EQ(servers.at(0).addresses.size(), 2);
    EXPECT_EQ(servers.at(0).addresses.at(1).host, QStringLiteral("b.example"));
    EXPECT_EQ(servers.at(0).addresses.at(0).user, QStringLiteral("u"));
    EXPECT_EQ(KeitaiTableRemote(servers.at(0)), QStringLiteral("/tables/Keitai.ini"));
}

class KeitaiServersTest : public test::TDemoShopTest
{
protected:
    void SetUp() override
    {
        TDemoShopTest::SetUp();
        TKeyFile file;
        ASSERT_TRUE(file.Load(shop->ServersFile()));
        servers = KeitaiServersFromLines(file.Lines());
        ASSERT_EQ(servers.size(), 1);
        workspaceFile = dir.filePath(QStringLiteral("Keitai.ini"));
    }

    // A server whose only address listens nowhere.
    QList<TKeitaiServer> Closed() const
    {
        QList<TKeitaiServer> closed = servers;
        closed[0].addresses[0].host = QStringLiteral("127.0.0.1:1");
        return closed;
    }

    QTemporaryDir dir;
    QList<TKeitaiServer> servers;
    QString workspaceFile;
    TScriptedPrompter prompter;
};

TEST_F(KeitaiServersTest, DownloadReplacesTheWorkspaceTableAndSaysSo)
{
    TKeitaiDatas table;
    table.LoadBuiltIn();
    ASSERT_TRUE(DownloadKeitaiDatas({}, table, servers, workspaceFile, false, prompter));
    EXPECT_EQ(prompter.Texts(), QStringList({ "ダウンロード完了しました。" }));
    EXPECT_EQ(table.Count(), 4);
    EXPECT_EQ(table.Find(QStringLiteral("DEMO-1"))->fmt, 3);
    EXPECT_TRUE(QFile::exists(workspaceFile));

    TScriptedPrompter quiet;
    EXPECT_TRUE(DownloadKeitaiDatas({}, table, servers, workspaceFile, true, quiet));
    EXPECT_TRUE(quiet.Texts().isEmpty());
}

TEST_F(KeitaiServersTest, AFailedDownloadChangesNothing)
{
    TKeitaiDatas table;
    table.LoadBuiltIn();
    EXPECT_FALSE(DownloadKeitaiDatas({}, table, Closed(), workspaceFile, false, prompter));
    EXPECT_EQ(prompter.Texts(), QStringList({ "ダウンロードに失敗しました。" }));
    EXPECT_EQ(table.Count(), BuiltInKeitaiRows().size());
    EXPECT_FALSE(QFile::exists(workspaceFile));
    // A server that has no table fails the same way.
    QList<TKeitaiServer> empty = servers;
    empty[0].folder = QStringLiteral("/order");
    TScriptedPrompter again;
    EXPECT_FALSE(DownloadKeitaiDatas({}, table, empty, workspaceFile, false, again));
}

TEST_F(KeitaiServersTest, UploadPutsTheTableOnEveryServerThatAnswers)
{
    TKeitaiDatas table;
    table.Add({ QStringLiteral("au"), QStringLiteral("X"), QStringLiteral("Z9"), 100, 200, 2 });
    QList<TKeitaiServer> both = servers;
    both << Closed().at(0);
    both[1].index = 2;
    EXPECT_EQ(UploadKeitaiDatas({}, table, both, prompter),
        QStringLiteral("Server1 にUploadを完了しました。"));
    const std::optional<QByteArray> stored
        = ReadWholeFile(shop->FtpLocal(QStringLiteral("/keitai-table/Keitai.ini")));
    ASSERT_TRUE(stored);
    EXPECT_EQ(*stored, QByteArray("Prov=au,Maker=X,Model=Z9,W=100,H=200,Fmt=PNG\r\n"));
    TScriptedPrompter failed;
    EXPECT_EQ(
        UploadKeitaiDatas({}, table, Closed(), failed), QStringLiteral("Uploadに失敗しました。"));
    EXPECT_EQ(failed.Shown().at(0).kind, TMsgKind::mkError);
}

} // namespace

} // namespace korvatel
