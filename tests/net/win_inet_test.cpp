#include "net/win_inet.h"
#include "platform/background_job.h"
#include "support/demo_shop.h"
#include "text/cp932.h"
#include "text/sjis_file.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <atomic>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace korvatel
{

namespace
{

using test::TDemoShop;

QByteArray Bytes(qsizetype size, quint32 seed = 7)
{
    QByteArray data(size, Qt::Uninitialized);
    QRandomGenerator random(seed);
    for (qsizetype i = 0; i < size; ++i)
        data[i] = char(random.generate() & 0xFF);
    return data;
}

// The permission bits of a file or folder, as chmod sets them.
int Mode(const QString &path)
{
    struct stat info {
    };
    if (stat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return int(info.st_mode & 0777);
}

// The raw names of the files in a folder, as the file system keeps them.
QList<QByteArray> RawNames(const QString &folder)
{
    QList<QByteArray> names;
    for (const auto &entry :
        std::filesystem::directory_iterator(QFile::encodeName(folder).toStdString()))
        names << QByteArray::fromStdString(entry.path().filename().native());
    return names;
}

// The demo shop of one test program; each test works in a folder of its own.
class TWinFTPTest : public test::TDemoShopTest
{
protected:
    void SetUp() override
    {
        TDemoShopTest::SetUp();
        ASSERT_TRUE(ftp.Login(shop->FtpHost(), shop->FtpUser(), shop->FtpPassword(), false))
            << ftp.LastError().toStdString();
        dir = QStringLiteral("/order/")
            + QString::fromLatin1(testing::UnitTest::GetInstance()->current_test_info()->name());
        ASSERT_TRUE(ftp.SetDir(dir, true));
    }
    QString Local(const QString &name) const { return shop->FtpLocal(dir + u'/' + name); }

    TWinFTP ftp;
    QString dir;
};

TEST_F(TWinFTPTest, LoginFailuresKeepTheirTexts)
{
    TWinFTP other;
    EXPECT_FALSE(other.Login(shop->FtpHost(), shop->FtpUser(), QStringLiteral("wrong"), false));
    EXPECT_EQ(other.LastError(), QStringLiteral("ホスト接続の失敗。"));
    EXPECT_FALSE(other.Connected());
    try {
        other.Login(shop->FtpHost(), QStringLiteral("nobody"), QStringLiteral("x"), true);
        ADD_FAILURE() << "no exception";
    } catch (const EWinInetError &error) {
        EXPECT_EQ(error.Text(), QStringLiteral("ホスト接続の失敗。"));
    }

    // A host of the maker's hosting domain is refused without a connection, also by a
    // component made without settings.
    TWinFTP blocked;
    EXPECT_FALSE(blocked.Login(QStringLiteral("ftp://up.hosting.korvatel.example"), shop->FtpUser(),
        shop->FtpPassword(), true));
    EXPECT_FALSE(blocked.Opened());
}

TEST_F(TWinFTPTest, OperationsCheckTheState)
{
    TWinFTP fresh;
    QStringList dirs, files;
    EXPECT_FALSE(fresh.MakeDir(QStringLiteral("/x")));
    EXPECT_EQ(fresh.LastError(), QStringLiteral("InternetComponentが初期化されていません。"));
    ASSERT_TRUE(fresh.Open());
    EXPECT_FALSE(fresh.List(dirs, files, false, false));
    EXPECT_EQ(fresh.LastError(), QStringLiteral("接続されていません。"));
    fresh.Mess = true;
    EXPECT_THROW(fresh.DeleteFile(QStringLiteral("/x")), EWinInetError);
}

TEST_F(TWinFTPTest, SetDirNeedsAFullPathAndCreatesOnRequest)
{
    ftp.Mess = false;
    try {
        ftp.SetDir(QStringLiteral("relative/dir"), true);
        ADD_FAILURE() << "no exception";
    } catch (const EWinInetError &error) {
        EXPECT_EQ(error.Text(), QStringLiteral("FullPathじゃないです。relative/dir"));
    }
    EXPECT_FALSE(ftp.SetDir(dir + QStringLiteral("/missing"), false));
    EXPECT_EQ(ftp.LastError(), QStringLiteral("カレントディレクトリを設定できません"));
    EXPECT_EQ(ftp.GetDir(), dir);

    ASSERT_TRUE(ftp.SetDir(dir + QStringLiteral("/a/b/c"), true));
    EXPECT_EQ(ftp.GetDir(), dir + QStringLiteral("/a/b/c"));
    EXPECT_TRUE(QFileInfo(Local(QStringLiteral("a/b/c"))).isDir());
    // Every level made on the way gets the chmod mode.
    EXPECT_EQ(Mode(Local(QStringLiteral("a/b"))), 0777);

    EXPECT_TRUE(ftp.DirExists(dir + QStringLiteral("/a"), true));
    EXPECT_EQ(ftp.GetDir(), dir + QStringLiteral("/a"));
    EXPECT_FALSE(ftp.DirExists(dir + QStringLiteral("/none"), true));
}

TEST_F(TWinFTPTest, UploadKeepsShiftJisNamesAndReportsChunks)
{
    // "写真 =1.jpg" in Shift-JIS, as the send list writes names.
    const QString name = QStringLiteral("写真＝1.jpg");
    ftp.Buffer.SetBufferNum(0);
    const QByteArray data = Bytes(2048 * 34 + 100);
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QList<qint64> reports;
    qint64 started = -2;
    int ended = -1;
    ftp.OnUploadStart = [&](qint64 size) { started = size; };
    ftp.OnUploadProgress = [&](qint64 done, qint64, bool &) { reports << done; };
    ftp.OnUploadEnd = [&](int result) { ended = result; };
    ASSERT_TRUE(ftp.PutStream(buffer, name)) << ftp.LastError().toStdString();
    EXPECT_EQ(started, data.size());
    EXPECT_EQ(ended, 0);
    // Chunks of 2,048 bytes: progress on the 17th and 34th chunk, then once at the end.
    EXPECT_EQ(reports, (QList<qint64> { 2048 * 17, 2048 * 34, data.size() }));

    EXPECT_EQ(RawNames(Local({})), QList<QByteArray> { ToCp932(name) }); // byte for byte
    EXPECT_EQ(ftp.FileSize(name), data.size());

    // The default buffer moves 12,288 bytes a chunk.
    ftp.Buffer.SetBufferNum(kDefaultBufferNum);
    reports.clear();
    QBuffer larger;
    larger.setData(Bytes(12288 * 20));
    larger.open(QIODevice::ReadOnly);
    ASSERT_TRUE(ftp.PutStream(larger, QStringLiteral("again.bin")));
    EXPECT_EQ(reports, (QList<qint64> { 12288 * 17, 12288 * 20 }));
    // Each file gets the chmod mode right after its transfer.
    EXPECT_EQ(Mode(Local(QStringLiteral("again.bin"))), 0777);
    ftp.ChmodMode = QStringLiteral("640");
    larger.seek(0);
    ASSERT_TRUE(ftp.PutStream(larger, QStringLiteral("private.bin")));
    EXPECT_EQ(Mode(Local(QStringLiteral("private.bin"))), 0640);
    ftp.ChmodMode = QStringLiteral("777");

    // Downloading gives the same bytes back, and the listing the same name.
    QByteArray back;
    QBuffer sink(&back);
    sink.open(QIODevice::WriteOnly);
    ASSERT_TRUE(ftp.GetStream(sink, name));
    EXPECT_EQ(back, data);
    QStringList dirs, files;
    ASSERT_TRUE(ftp.List(dirs, files, true, false, QStringLiteral("*.jpg")));
    EXPECT_EQ(
        files, QStringList { name + QStringLiteral("**Size") + QString::number(data.size()) });
}

// The send's window changes its buffer while a file goes out: the chunks after the change have
// the new size.
TEST_F(TWinFTPTest, ABufferChangedDuringAnUploadSizesTheNextChunks)
{
    TTransferBuffer slider(0);
    ftp.Buffer = slider;
    QList<qint64> reports;
    ftp.OnUploadProgress = [&](qint64 done, qint64, bool &) {
        reports << done;
        slider.SetBufferNum(1);
    };
    QBuffer buffer;
    buffer.setData(Bytes(2048 * 17 + 4096 * 17 + 100));
    buffer.open(QIODevice::ReadOnly);
    ASSERT_TRUE(ftp.PutStream(buffer, QStringLiteral("changed.bin")));
    EXPECT_EQ(reports, (QList<qint64> { 2048 * 17, 2048 * 17 + 4096 * 17, buffer.size() }));
}

TEST_F(TWinFTPTest, EmptyUploadWritesAnEmptyFileAndReportsOnce)
{
    QBuffer empty;
    empty.open(QIODevice::ReadOnly);
    int calls = 0;
    ftp.OnUploadProgress = [&](qint64 done, qint64 total, bool &) {
        ++calls;
        EXPECT_EQ(done, 0);
        EXPECT_EQ(total, 0);
    };
    ASSERT_TRUE(ftp.PutStream(empty, QStringLiteral("empty.txt")));
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(QFileInfo::exists(Local(QStringLiteral("empty.txt"))));
    EXPECT_EQ(QFileInfo(Local(QStringLiteral("empty.txt"))).size(), 0);
}

TEST_F(TWinFTPTest, CancelStopsTheUploadBetweenChunks)
{
    QBuffer buffer;
    buffer.setData(Bytes(4 * 1024 * 1024));
    buffer.open(QIODevice::ReadOnly);
    QString failed;
    ftp.OnUploadProgress = [](qint64, qint64, bool &cancel) { cancel = true; };
    EXPECT_FALSE(ftp.PutStream(buffer, QStringLiteral("big.bin")));
    EXPECT_EQ(ftp.LastError(), QStringLiteral("ユーザーキャンセル"));
    EXPECT_LT(QFileInfo(Local(QStringLiteral("big.bin"))).size(), 4 * 1024 * 1024);
    // The connection serves the next request.
    ftp.OnUploadProgress = nullptr;
    EXPECT_TRUE(ftp.PutText(QStringLiteral("あ"), QStringLiteral("after.txt")));
    ftp.Mess = true;
    buffer.seek(0);
    ftp.OnUploadProgress = [](qint64, qint64, bool &cancel) { cancel = true; };
    EXPECT_THROW(ftp.PutStream(buffer, QStringLiteral("big.bin")), EWinInetError);
}

// The upload runs on a job while the window works; cancelling the job stops the transfer.
TEST_F(TWinFTPTest, CancellingItsJobStopsATransfer)
{
    ftp.Buffer.SetBufferNum(0);
    std::atomic<bool> started = false;
    ftp.OnUploadProgress = [&](qint64, qint64, bool &) { started = true; };
    QBuffer buffer;
    buffer.setData(Bytes(8 * 1024 * 1024));
    buffer.open(QIODevice::ReadOnly);
    bool sent = true;
    TBackgroundJob job;
    job.Start([&](TJobControl &) { sent = ftp.PutStream(buffer, QStringLiteral("pressed.bin")); });
    while (!started)
        QThread::msleep(1);
    job.Stop();
    EXPECT_FALSE(sent);
    EXPECT_EQ(ftp.LastError(), QStringLiteral("ユーザーキャンセル"));
    EXPECT_LT(QFileInfo(Local(QStringLiteral("pressed.bin"))).size(), 8 * 1024 * 1024);
}

TEST_F(TWinFTPTest, DroppedOrStalledConnectionIsAnUploadError)
{
    ASSERT_TRUE(shop->Control(QStringLiteral("ftp_drop_after=200000")));
    QBuffer buffer;
    buffer.setData(Bytes(3 * 1024 * 1024));
    buffer.open(QIODevice::ReadOnly);
    QString hook;
    ftp.OnUploadFailed = [&](const QString &text) { hook = text; };
    EXPECT_FALSE(ftp.PutStream(buffer, QStringLiteral("dropped.bin")));
    EXPECT_EQ(ftp.LastError(), QStringLiteral("アップロード中にエラーが発生しました。"));
    EXPECT_EQ(hook, ftp.LastError());

    ASSERT_TRUE(shop->Control(QStringLiteral("ftp_drop_after=&ftp_stall=1")));
    TWinFTP slow;
    slow.ReceiveTimeout = 1000;
    ASSERT_TRUE(slow.Login(shop->FtpHost(), shop->FtpUser(), shop->FtpPassword(), false));
    buffer.seek(0);
    EXPECT_FALSE(slow.PutStream(buffer, dir + QStringLiteral("/stalled.bin")));
    EXPECT_EQ(slow.LastError(), QStringLiteral("アップロード中にエラーが発生しました。"));
    // Once the server moves again, the component carries on.
    ASSERT_TRUE(shop->Control(QStringLiteral("reset=1")));
    EXPECT_TRUE(slow.PutText(QStringLiteral("again"), dir + QStringLiteral("/after.txt")));
}

TEST_F(TWinFTPTest, ListingsDeletesAndRenames)
{
    ASSERT_TRUE(ftp.PutText(QStringLiteral("12345"), QStringLiteral("a.txt")));
    ASSERT_TRUE(ftp.PutText(QStringList { QStringLiteral("x") }, QStringLiteral("b.jpg")));
    ASSERT_TRUE(ftp.MakeDir(QStringLiteral("sub")));
    ASSERT_TRUE(ftp.PutText(QStringLiteral("z"), QStringLiteral("sub/c.txt")));

    QStringList list;
    QList<bool> isDir;
    EXPECT_EQ(ftp.ListMarked(list, {}, true, true, true, false, &isDir), 3);
    list.sort();
    ASSERT_EQ(list.size(), 3);
    EXPECT_TRUE(QRegularExpression(
        QStringLiteral(R"(^a\.txt\*\*Time\d{4}/\d\d/\d\d \d\d:\d\d:00\*\*Size000000005\*\*$)"))
                    .match(list.at(0))
                    .hasMatch())
        << list.at(0).toStdString();
    EXPECT_EQ(list.at(2), QStringLiteral("sub"));
    EXPECT_EQ(isDir.count(true), 1);

    EXPECT_TRUE(ftp.Rename(QStringLiteral("a.txt"), QStringLiteral("renamed.txt")));
    QStringList lines;
    ASSERT_TRUE(ftp.GetStrings(lines, QStringLiteral("renamed.txt")));
    EXPECT_EQ(lines, QStringList { QStringLiteral("12345") });
    // A line break would smuggle in a command of its own: nothing of it is sent.
    EXPECT_FALSE(
        ftp.Command(QStringLiteral("NOOP\r\nDELE ") + dir + QStringLiteral("/renamed.txt")));
    EXPECT_FALSE(ftp.Rename(QStringLiteral("renamed.txt"), QStringLiteral("x\nDELE renamed.txt")));
    EXPECT_TRUE(QFileInfo::exists(Local(QStringLiteral("renamed.txt"))));

    QString failure;
    ftp.OnDeleteFailed = [&](const QString &text) { failure = text; };
    EXPECT_FALSE(ftp.DeleteFile(QStringLiteral("none.txt")));
    EXPECT_EQ(failure, QStringLiteral("ファイルを削除できません。"));

    EXPECT_EQ(ftp.DeleteTree(dir, true, false), 3);
    QStringList dirs, files;
    EXPECT_FALSE(ftp.List(dirs, files, false, false));
    EXPECT_EQ(ftp.LastError(),
        QStringLiteral("ファイルを検索できません。またはファイルが見つかりませんでした。"));
    EXPECT_THROW(ftp.List(dirs, files, false, true), EWinInetError);
}

TEST_F(TWinFTPTest, ADownloadBeyondItsCapIsRefused)
{
    const QByteArray data = Bytes(64 * 1024);
    QBuffer source;
    source.setData(data);
    source.open(QIODevice::ReadOnly);
    ASSERT_TRUE(ftp.PutStream(source, QStringLiteral("big.bin")));
    QByteArray back;
    QBuffer sink(&back);
    sink.open(QIODevice::WriteOnly);
    EXPECT_FALSE(ftp.GetStream(sink, QStringLiteral("big.bin"), -1, data.size() - 1));
    EXPECT_EQ(ftp.LastError(), QStringLiteral("ダウンロード中にエラーが発生しました。"));
    EXPECT_LT(back.size(), data.size());
    QByteArray whole;
    QBuffer exact(&whole);
    exact.open(QIODevice::WriteOnly);
    EXPECT_TRUE(ftp.GetStream(exact, QStringLiteral("big.bin"), -1, data.size()));
    EXPECT_EQ(whole, data);
}

TEST_F(TWinFTPTest, DownloadsFailCleanlyAndFilterMessages)
{
    const QString local = QDir::temp().filePath(
        QStringLiteral("korvatel-get-%1/x.mes").arg(QCoreApplication::applicationPid()));
    EXPECT_FALSE(ftp.GetFile(local, QStringLiteral("missing.mes")));
    EXPECT_EQ(ftp.LastError(), QStringLiteral("ファイルにアクセスできません。"));
    EXPECT_FALSE(QFileInfo::exists(local));

    ASSERT_TRUE(ftp.PutText(QStringList { QStringLiteral("@STT=1"), QStringLiteral("本文") },
        QStringLiteral("order.mes")));
    ftp.TextFilter = [](QStringList &lines) { lines.removeAll(QStringLiteral("@STT=1")); };
    // With a progress hook the size is asked first; the end is reported.
    qint64 announced = -2, last = -2;
    ftp.OnDownloadStart = [&](qint64 size) { announced = size; };
    ftp.OnDownloadProgress = [&](qint64 done, qint64, bool &) { last = done; };
    ASSERT_TRUE(ftp.GetFile(local, QStringLiteral("order.mes")));
    EXPECT_EQ(announced, ToCp932(QStringLiteral("@STT=1\r\n本文\r\n")).size());
    EXPECT_EQ(last, announced);
    EXPECT_EQ(ReadWholeFile(local), ToCp932(QStringLiteral("本文\r\n")));
    QDir(QFileInfo(local).absolutePath()).removeRecursively();
}

TEST_F(TWinFTPTest, ActiveModeAndOneShotHelpers)
{
    TWinFTP active;
    active.Passive = false;
    ASSERT_TRUE(active.Login(shop->FtpHost(), shop->FtpUser(), shop->FtpPassword(), false));
    ASSERT_TRUE(active.PutText(QStringLiteral("active"), dir + QStringLiteral("/active.txt")));

    const QString host = shop->FtpHost(), user = shop->FtpUser(), pass = shop->FtpPassword();
    EXPECT_TRUE(
        MakePath({}, host, user, pass, QStringLiteral("755"), dir + QStringLiteral("/p/q")));
    EXPECT_EQ(Mode(Local(QStringLiteral("p/q"))), 0755);
    EXPECT_TRUE(FtpDirExists({}, host, user, pass, dir + QStringLiteral("/p/q")));
    EXPECT_TRUE(FtpPutTextOnce({}, host, user, pass, QStringLiteral("777"),
        QStringLiteral("Complite"), dir + QStringLiteral("/p/Sending")));
    EXPECT_EQ(FtpRemoteSize({}, host, user, pass, dir + QStringLiteral("/p/Sending")), 8);
    EXPECT_EQ(FtpRemoteSize({}, host, user, pass, dir + QStringLiteral("/p/none")), -1);
    EXPECT_TRUE(FtpRenameOnce(
        {}, host, user, pass, dir + QStringLiteral("/p/Sending"), dir + QStringLiteral("/p/Sent")));
    EXPECT_TRUE(
        Chmod({}, host, user, pass, QStringLiteral("600"), dir + QStringLiteral("/p/Sent")));
    EXPECT_EQ(Mode(Local(QStringLiteral("p/Sent"))), 0600);
    EXPECT_TRUE(FtpDeleteOnce({}, host, user, pass, dir + QStringLiteral("/p/Sent")));
    EXPECT_FALSE(FtpDeleteOnce({}, host, user, pass, dir + QStringLiteral("/p/Sent")));

    // A server that answers a wrong size is reported as it answered.
    ASSERT_TRUE(shop->Control(QStringLiteral("ftp_wrong_size=1")));
    EXPECT_EQ(FtpRemoteSize({}, host, user, pass, dir + QStringLiteral("/active.txt")), 7);
}

// ---- HTTP

TEST_F(TWinFTPTest, FtpsUploadsToAServerThatRequiresTls)
{
    const QString host = QStringLiteral("127.0.0.1:%1").arg(shop->Port(QStringLiteral("ftps")));
    TWinFTP secure(shop->Config().Transport());
    ASSERT_TRUE(
        secure.Login(QStringLiteral("ftps://") + host, shop->FtpUser(), shop->FtpPassword(), false))
        << secure.LastError().toStdString();
    // A new folder is made by a connection of its own, which must use TLS as well.
    const QString folder = dir + QStringLiteral("/tls");
    ASSERT_TRUE(secure.SetDir(folder, true));
    ASSERT_TRUE(secure.PutText(QStringLiteral("secret"), folder + QStringLiteral("/s.txt")));
    EXPECT_EQ(ReadWholeFile(Local(QStringLiteral("tls/s.txt"))), QByteArray("secret"));
    EXPECT_EQ(secure.FileSize(folder + QStringLiteral("/s.txt")), 6);

    // The server takes no login in clear text.
    TWinFTP plain;
    EXPECT_FALSE(plain.Login(host, shop->FtpUser(), shop->FtpPassword(), false));
}

TEST_F(TWinFTPTest, TlsIsRequiredOrTheLoginFails)
{
    // The demo's image server speaks no TLS: an "ftps://" host must not fall back to clear text.
    TWinFTP secure;
    EXPECT_FALSE(secure.Login(
        QStringLiteral("ftps://") + shop->FtpHost(), shop->FtpUser(), shop->FtpPassword(), false));
    EXPECT_TRUE(secure.RequireTls);
    EXPECT_FALSE(FtpPutTextOnce({}, QStringLiteral("ftps://") + shop->FtpHost(), shop->FtpUser(),
        shop->FtpPassword(), QStringLiteral("777"), QStringLiteral("x"),
        dir + QStringLiteral("/a.txt")));

    // The configuration's switch does the same for every host.
    TServerConfig config = shop->Config();
    config.Apply({ QStringLiteral("FtpTls=TRUE") });
    TWinFTP switched(config.Transport());
    EXPECT_FALSE(switched.Login(shop->FtpHost(), shop->FtpUser(), shop->FtpPassword(), false));
    EXPECT_FALSE(QFile::exists(Local(QStringLiteral("a.txt"))));
}

TEST_F(TWinFTPTest, ChmodModeComesFromTheConfiguration)
{
    TServerConfig config = shop->Config();
    config.Apply({ QStringLiteral("FtpChmodMode=640") });
    TWinFTP ftp640(config.Transport());
    EXPECT_EQ(ftp640.ChmodMode, QStringLiteral("640"));
    ASSERT_TRUE(ftp640.Login(shop->FtpHost(), shop->FtpUser(), shop->FtpPassword(), false));
    ASSERT_TRUE(ftp640.PutText(QStringLiteral("x"), dir + QStringLiteral("/m.txt")));
    EXPECT_EQ(int(QFileInfo(Local(QStringLiteral("m.txt"))).permissions() & 0x7777), 0x6640);

    // Anything but octal figures would be a raw command of its own.
    config.ftpChmodMode = QStringLiteral("640\r\nDELE /order/x");
    EXPECT_EQ(config.Transport().chmodMode, QStringLiteral("777"));
    config.ftpChmodMode.clear();
    EXPECT_EQ(TWinFTP(config.Transport()).ChmodMode, QString());
    EXPECT_EQ(TWinFTP().ChmodMode, QStringLiteral("777"));
}

class TWinHTTPTest : public TWinFTPTest
{
};

// Counts what it is given and keeps none of it.
class TCountingDevice : public QIODevice
{
public:
    TCountingDevice() { open(QIODevice::WriteOnly); }
    qint64 count = 0;

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *, qint64 size) override
    {
        count += size;
        return size;
    }
};

// The peak memory of this process so far, in KiB.
long PeakMemoryKiB()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST_F(TWinHTTPTest, FetchesAnswersAndRefusesMissingOnes)
{
    TWinHTTP http;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    try {
        http.GetUrl(buffer, shop->ServiceUrl() + QStringLiteral("/GetTime.php"));
        ADD_FAILURE() << "no exception";
    } catch (const EWinInetError &error) {
        EXPECT_EQ(error.Text(), QStringLiteral("WinInetが初期化されていません。"));
    }

    ASSERT_TRUE(http.Connect(shop->ServiceUrl()));
    qint64 length = -2;
    http.OnStatus = [&](qint64 size) { length = size; };
    ASSERT_TRUE(http.GetUrl(buffer, QStringLiteral("/Korvatel/Versions.ini")));
    EXPECT_EQ(buffer.data(), QByteArray("VersionsInformation=TRUE\r\n"));
    EXPECT_EQ(length, buffer.data().size());

    // A known size that matches ends the request before the body.
    QBuffer second;
    second.open(QIODevice::WriteOnly);
    EXPECT_TRUE(http.GetUrl(second, QStringLiteral("/Korvatel/Versions.ini"), true, length));
    EXPECT_TRUE(second.data().isEmpty());

    EXPECT_FALSE(http.GetUrl(second, QStringLiteral("/Korvatel/none.ini")));
    EXPECT_EQ(http.LastError(), QStringLiteral("URLを開けませんでした。"));
    QStringList lines;
    EXPECT_FALSE(http.GetUrlStrings(lines, QStringLiteral("/Korvatel/none.ini")));

    TWinHTTP down;
    EXPECT_FALSE(down.Connect(QStringLiteral("http://127.0.0.1:1")));
    EXPECT_EQ(down.LastError(), QStringLiteral("ホスト接続の失敗。"));
}

TEST_F(TWinHTTPTest, PostsFilesToTheUploadScript)
{
    const QString local = QDir::temp().filePath(
        QStringLiteral("korvatel-post-%1.jpg").arg(QCoreApplication::applicationPid()));
    QFile file(local);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(Bytes(5000));
    file.close();
    TWinHTTP http;
    ASSERT_TRUE(http.Connect(shop->ServiceUrl()));
    QByteArray answer;
    ASSERT_TRUE(http.PostForm(QStringLiteral("/tamsel_php/korv_upload.php"),
        { { QStringLiteral("dir"), QStringLiteral("PostsFiles/$IMG_PRN") } },
        QStringLiteral("file"), local, QStringLiteral("写真.jpg"), answer));
    EXPECT_EQ(answer.trimmed(), QByteArray("OK"));
    EXPECT_EQ(RawNames(shop->FtpLocal(QStringLiteral("/order/PostsFiles/$IMG_PRN"))),
        QList<QByteArray> { ToCp932(QStringLiteral("写真.jpg")) });
    ASSERT_TRUE(http.PostForm(QStringLiteral("/tamsel_php/korv_upload.php"),
        { { QStringLiteral("dir"), QStringLiteral("../../x") } }, QStringLiteral("file"), local,
        QStringLiteral("a.jpg"), answer));
    EXPECT_EQ(answer.trimmed(), QByteArray("NG-DIR"));
    QFile::remove(local);
}

TEST_F(TWinHTTPTest, AnswersOverTheirCapAreCutWhileTheyArrive)
{
    const qint64 flood = 100LL * 1024 * 1024;
    QTemporaryDir folder;
    const QString local = QDir(folder.path()).filePath(QStringLiteral("shop/HostFmt.ini"));
    TWinHTTP http;
    ASSERT_TRUE(http.Connect(shop->ServiceUrl()));
    http.MaxSize = 1024 * 1024;
    const long peakBefore = PeakMemoryKiB();
    // With a declared length the answer is refused before its body; without one it is cut as
    // the cap is passed.
    for (const char *declared : { "1", "0" }) {
        SCOPED_TRACE(declared);
        const QString url = QStringLiteral("/_demo/flood?size=%1&length=%2")
                                .arg(flood)
                                .arg(QLatin1String(declared));
        QElapsedTimer timer;
        timer.start();
        TCountingDevice counted;
        EXPECT_FALSE(http.GetUrl(counted, url));
        EXPECT_EQ(http.LastError(), QStringLiteral("ダウンロード中にエラーが発生しました。"));
        EXPECT_LE(counted.count, http.MaxSize);
        QStringList lines { QStringLiteral("kept") };
        EXPECT_FALSE(http.GetUrlStrings(lines, url));
        EXPECT_EQ(lines, QStringList { QStringLiteral("kept") });
        EXPECT_FALSE(http.GetUrlFile(local, url));
        EXPECT_TRUE(QDir(QFileInfo(local).path()).isEmpty()) << "no file, not even a part";
        EXPECT_LT(timer.elapsed(), 5000);
    }
    EXPECT_LT(PeakMemoryKiB() - peakBefore, 48 * 1024);

    // Within the cap the same answers arrive whole, to memory and streamed to a file.
    QStringList lines;
    ASSERT_TRUE(http.GetUrlStrings(lines, QStringLiteral("/_demo/flood?size=2000")));
    EXPECT_EQ(lines.size(), 1000);
    ASSERT_TRUE(http.GetUrlFile(local, QStringLiteral("/_demo/flood?size=1000000&length=0")));
    EXPECT_EQ(QFileInfo(local).size(), 1000000);
}

TEST_F(TWinHTTPTest, ARedirectIntoTheBlockedDomainIsNotFollowed)
{
    TWinHTTP http;
    ASSERT_TRUE(http.Connect(shop->ServiceUrl()));
    const QString target = QStringLiteral("http://localhost:%1/Korvatel/Versions.ini")
                               .arg(shop->Port(QStringLiteral("service")));
    const QString url = QStringLiteral("/_demo/redirect?to=")
        + QString::fromLatin1(QUrl::toPercentEncoding(target));
    std::optional<QByteArray> answer = http.GetUrlBytes(url);
    ASSERT_TRUE(answer);
    EXPECT_EQ(*answer, QByteArray("VersionsInformation=TRUE\r\n"));
    TTransportSettings blocking;
    blocking.blockedDomain = QStringLiteral("localhost.");
    TWinHTTP blocked(blocking);
    ASSERT_TRUE(blocked.Connect(shop->ServiceUrl()));
    EXPECT_FALSE(blocked.GetUrlBytes(url));
    EXPECT_EQ(blocked.LastError(), QStringLiteral("URLを開けませんでした。"));
}

// Components made with different settings live side by side: neither the blocked domain nor
// the certificate authorities of one reach another.
TEST_F(TWinHTTPTest, EachComponentKeepsTheSettingsItWasMadeWith)
{
    const QString https = shop->Config().updateUrl; // the demo's HTTPS server, its own authority
    TTransportSettings blocking = shop->Config().Transport();
    blocking.blockedDomain = QStringLiteral("127.0.0.1");
    TWinHTTP trusting(shop->Config().Transport());
    TWinHTTP blocked(blocking);
    TWinHTTP plain; // the system's authorities, which do not know the demo's
    EXPECT_FALSE(blocked.Connect(https));
    plain.Connect(https);
    EXPECT_FALSE(plain.GetUrlBytes(https + QStringLiteral("/Versions.ini")));
    ASSERT_TRUE(trusting.Connect(https));
    EXPECT_EQ(trusting.GetUrlBytes(QStringLiteral("Versions.ini")),
        QByteArray("VersionsInformation=TRUE\r\n"));
}

TEST_F(TWinHTTPTest, AnAnswerThatTricklesEndsAtTheTotalTimeout)
{
    TWinHTTP http;
    ASSERT_TRUE(http.Connect(shop->ServiceUrl()));
    http.TotalTimeout = 1000;
    QElapsedTimer timer;
    timer.start();
    // 64 KiB every 200 ms: never idle long enough for the receive timeout, done after 6 s.
    EXPECT_FALSE(http.GetUrlBytes(QStringLiteral("/_demo/flood?size=2000000&delay=200")));
    EXPECT_LT(timer.elapsed(), 4000);
}

} // namespace

} // namespace korvatel
