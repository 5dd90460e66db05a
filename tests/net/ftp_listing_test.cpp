#include "net/ftp_listing.h"
#include "net/server_config.h"
#include "net/server_lookups.h"
#include "net/win_inet.h"
#include "sending/order_host.h"
#include "support/temp_home.h"
#include "text/cp932.h"
#include "text/scramble.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QFile>
#include <climits>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

const QDateTime kNow(QDate(2026, 12, 8), QTime(20, 30));

TEST(ParseListLine, ReadsUnixListingsOfBothServers)
{
    const auto pyftpd
        = ParseListLine("-rw-r--r--   1 root     root         5120 Dec 08 20:11 a b.jpg\r\n", kNow);
    ASSERT_TRUE(pyftpd);
    EXPECT_EQ(pyftpd->name, QStringLiteral("a b.jpg"));
    EXPECT_EQ(pyftpd->size, 5120);
    EXPECT_FALSE(pyftpd->isDir);
    EXPECT_EQ(pyftpd->lastWrite, QDateTime(QDate(2026, 12, 8), QTime(20, 11)));

    // A month later than now belongs to last year; a year stands for midnight.
    const auto old = ParseListLine("drwxrwxrwx    2 1000     1000     4096 Dec 24 09:00 sub", kNow);
    ASSERT_TRUE(old);
    EXPECT_TRUE(old->isDir);
    EXPECT_EQ(old->lastWrite.date(), QDate(2025, 12, 24));
    const auto dated = ParseListLine("-rw------- 1 u g 7 Feb 29 2024 leap", kNow);
    ASSERT_TRUE(dated);
    EXPECT_EQ(dated->lastWrite, QDateTime(QDate(2024, 2, 29), QTime(0, 0)));

    // Shift-JIS names come back as text.
    const QByteArray sjisLine
        = "-rw-r--r-- 1 u g 3 Jan 02 10:00 " + ToCp932(QStringLiteral("写真.jpg"));
    EXPECT_EQ(ParseListLine(sjisLine, kNow)->name, QStringLiteral("写真.jpg"));

    for (const char *bad :
        { "total 12", "", "-rw-r--r-- 1 u g x Dec 08 20:11 a", "-rw-r--r-- 1 u g 5 Foo 08 20:11 a",
            "-rw-r--r-- 1 u g 5 Dec 08 20:11", "12-08-26  08:11PM  <DIR>  name",
            "-rw-r--r-- 1 u g 99999999999999999999 Dec 08 20:11 a" })
        EXPECT_FALSE(ParseListLine(bad, kNow)) << bad;

    const QList<TFtpEntry> entries = ParseListing(
        "drwxr-xr-x 2 u g 4096 Dec 08 20:11 .\r\ndrwxr-xr-x 2 u g 4096 Dec 08 20:11 ..\r\n"
        "-rw-r--r-- 1 u g 1 Dec 08 20:11 x\r\n",
        kNow);
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries.first().name, QStringLiteral("x"));
}

TEST(FormatFileTime, FormatsAndMendsListingsWithoutAYear)
{
    const QDateTime now(QDate(2026, 12, 8), QTime(10, 0));
    EXPECT_EQ(FormatFileTime(QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)), false, now),
        QStringLiteral("2026/03/04 05:06:07"));
    EXPECT_EQ(FormatFileTime(QDateTime(), false, now), QStringLiteral("0000/00/00 00:00:00"));
    EXPECT_EQ(FormatFileTime(QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)), true, now),
        QStringLiteral("03/04 05:06:07"));
    // Today's and yesterday's month and day one year back move to this year, unless at
    // midnight.
    EXPECT_EQ(FormatFileTime(QDateTime(QDate(2025, 12, 8), QTime(9, 0)), false, now),
        QStringLiteral("2026/12/08 09:00:00"));
    EXPECT_EQ(FormatFileTime(QDateTime(QDate(2025, 12, 7), QTime(9, 0)), false, now),
        QStringLiteral("2026/12/07 09:00:00"));
    EXPECT_EQ(FormatFileTime(QDateTime(QDate(2025, 12, 8), QTime(0, 0)), false, now),
        QStringLiteral("2025/12/08 00:00:00"));
    EXPECT_EQ(FormatFileTime(QDateTime(QDate(2025, 12, 6), QTime(9, 0)), false, now),
        QStringLiteral("2025/12/06 09:00:00"));
    // On New Year's Day yesterday lies in last year already: that date stays as it is.
    EXPECT_EQ(FormatFileTime(QDateTime(QDate(2025, 12, 31), QTime(9, 0)), false,
                  QDateTime(QDate(2026, 1, 1), QTime(8, 0))),
        QStringLiteral("2025/12/31 09:00:00"));

    TFtpEntry entry { QStringLiteral("a"), false, 1234,
        QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)) };
    EXPECT_EQ(
        SizeTimeMarker(entry, now), QStringLiteral("**Time2026/01/02 03:04:05**Size000001234**"));
}

TEST(ChmodCommand, TargetsTheLastPartInTheDirectory)
{
    EXPECT_EQ(ChmodCommand(
                  QStringLiteral("/order/x"), QStringLiteral("a/b/c.jpg"), QStringLiteral("777")),
        QStringLiteral("SITE CHMOD 777 /order/x/c.jpg"));
    EXPECT_EQ(ChmodCommand(
                  QStringLiteral("/order/"), QStringLiteral("/abs//c.jpg"), QStringLiteral("644")),
        QStringLiteral("SITE CHMOD 644 /abs/c.jpg"));
    EXPECT_EQ(ChmodCommand(QStringLiteral("/"), QStringLiteral("c"), QStringLiteral("777")),
        QStringLiteral("SITE CHMOD 777 /c"));
}

TEST(BufferNum, ChunkSizesAndPerformanceFile)
{
    EXPECT_EQ(ChunkSize(0), 2048);
    EXPECT_EQ(ChunkSize(kDefaultBufferNum), 12288);
    test::TTempHome home;
    const QString file = home.FilePath(QStringLiteral("Performance.ini"));
    EXPECT_EQ(LoadPerformance(home.Path()), kDefaultBufferNum);
    ASSERT_TRUE(SavePerformance(home.Path(), 9));
    EXPECT_EQ(ReadWholeFile(file), QByteArray("BufferNum=9\r\n"));
    EXPECT_EQ(LoadPerformance(home.Path()), 9);
    // The default is never written: the old file goes.
    ASSERT_TRUE(SavePerformance(home.Path(), kDefaultBufferNum));
    EXPECT_FALSE(QFile::exists(file));
    home.Write(QStringLiteral("Performance.ini"), "BufferNum=-3\r\n");
    EXPECT_EQ(LoadPerformance(home.Path()), kDefaultBufferNum);
    // An absurd number is clamped, never overflows the chunk size.
    home.Write(QStringLiteral("Performance.ini"), "BufferNum=2147483647\r\n");
    EXPECT_EQ(LoadPerformance(home.Path()), kBufferNumLimit);
    EXPECT_EQ(TTransferBuffer(INT_MAX).ChunkSize(), 2 * 1024 * 1024);
    EXPECT_EQ(ChunkSize(INT_MAX), 2 * 1024 * 1024);
}

TEST(NewerVersions, DropsOnlyTheLeadingOlderLines)
{
    const QStringList history { QStringLiteral("0.90=a"), QStringLiteral("1.00=b"),
        QStringLiteral("1.01=c"), QStringLiteral("1.02=d") };
    EXPECT_EQ(NewerVersions(history, QStringLiteral("1.00")),
        (QStringList { QStringLiteral("1.01=c"), QStringLiteral("1.02=d") }));
    EXPECT_TRUE(NewerVersions(history, QStringLiteral("1.02")).isEmpty());
    EXPECT_TRUE(NewerVersions({}, QStringLiteral("1.00")).isEmpty());
}

TEST(ParseServerTime, ReadsTheTimeLine)
{
    EXPECT_EQ(ParseServerTime(QStringLiteral("2026/12/08 20:30:05")),
        QDateTime(QDate(2026, 12, 8), QTime(20, 30, 5)));
    EXPECT_EQ(ParseServerTime(QStringLiteral(" 2026-1-8 7:05 ")),
        QDateTime(QDate(2026, 1, 8), QTime(7, 5)));
    EXPECT_FALSE(ParseServerTime(QStringLiteral("2026/02/30 10:00:00")));
    EXPECT_FALSE(ParseServerTime(QStringLiteral("now")));
}

TEST(TOrderHostTable, ReadsPlainAndScrambledTables)
{
    const QStringList plain { QStringLiteral("FtpHost=ftp.example.jp"),
        QStringLiteral("FtpUserID=shop"), QStringLiteral("FtpPassword=pw"),
        QStringLiteral("FtpBaseDir=/order"), QStringLiteral("_KORVATEL_PASSIVE_=1"),
        QStringLiteral("_LOAD_VER_=1.01"), QStringLiteral("_LOAD_UPDATE_=2026.12.24.01"),
        QStringLiteral("_LOAD_URL_=http://x/Korvatel1234") };
    QStringList scrambled;
    for (const QString &line : plain)
        scrambled << u'*' + Scramble(line);
    scrambled.insert(2, QString());
    for (const QStringList &lines : { plain, scrambled }) {
        const auto table = TOrderHostTable::FromLines(lines);
        ASSERT_TRUE(table);
        EXPECT_EQ(table->ImageServer().host, QStringLiteral("ftp.example.jp"));
        EXPECT_EQ(table->ImageServer().baseDir, QStringLiteral("/order"));
        EXPECT_TRUE(table->Passive());
        EXPECT_EQ(table->OfferedProgram().build, QStringLiteral("2026.12.24.01"));
    }
    scrambled[4] = QStringLiteral("**damaged");
    EXPECT_FALSE(TOrderHostTable::FromLines(scrambled));
}

} // namespace

} // namespace korvatel

namespace korvatel
{

namespace
{

TEST(TServerConfig, DefaultsThenServersIniThenTheNamedFile)
{
    test::TTempHome home;
    const TServerConfig defaults = TServerConfig::Defaults();
    EXPECT_FALSE(defaults.primary.baseUrl.isEmpty());
    EXPECT_EQ(defaults.demoAccount.baseDir, QStringLiteral("demo-order"));

    home.Write(QStringLiteral("config/servers.ini"),
        "PrimaryURL=http://a.example\r\nTimeServer2=http://t2\r\nTimeServer1=http://t1\r\n"
        "BlockedDomain=blocked.example\r\n");
    home.Write(QStringLiteral("other.ini"), "PrimaryURL=http://b.example\r\n");
    QProcessEnvironment env;
    TServerConfig config = TServerConfig::Load(home.FilePath(QStringLiteral("config")), env);
    EXPECT_EQ(config.primary.baseUrl, QStringLiteral("http://a.example"));
    EXPECT_EQ(config.primary.folder, defaults.primary.folder);
    EXPECT_EQ(config.timeServers,
        (QStringList { QStringLiteral("http://t1"), QStringLiteral("http://t2") }));
    env.insert(QStringLiteral("KORVATEL_SERVERS"), home.FilePath(QStringLiteral("other.ini")));
    config = TServerConfig::Load(home.FilePath(QStringLiteral("config")), env);
    EXPECT_EQ(config.primary.baseUrl, QStringLiteral("http://b.example"));
    EXPECT_EQ(config.blockedDomain, QStringLiteral("blocked.example"));

    const TTransportSettings transport = config.Transport();
    EXPECT_TRUE(transport.Blocks(QStringLiteral("ftp://up.blocked.example:21/x")));
    EXPECT_TRUE(transport.Blocks(QStringLiteral("BLOCKED.example")));
    EXPECT_FALSE(transport.Blocks(QStringLiteral("notblocked.example")));
    // However the URL is written, a host of the domain is one.
    for (const char *url : { "http://blocked.example./x", "http://up.blocked.example..:80",
             "http://blocked.example#@good.example/", "http://blocked.example?@good.example",
             "http://blocked.example\\@good.example/", "http://u:p@Blocked.Example/",
             "http://%62locked.example/", "blocked.example.:21" })
        EXPECT_TRUE(transport.Blocks(QString::fromLatin1(url))) << url;
    EXPECT_FALSE(transport.Blocks(QStringLiteral("http://blocked.example@good.example/")));
    EXPECT_FALSE(transport.Blocks(QStringLiteral("http://good.example/blocked.example")));
    TWinHTTP http(transport);
    EXPECT_FALSE(http.Connect(QStringLiteral("http://www.blocked.example/")));
    EXPECT_EQ(http.LastError(), QStringLiteral("URLを開けませんでした。"));
}

} // namespace

} // namespace korvatel
