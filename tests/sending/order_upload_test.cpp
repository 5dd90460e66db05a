#include "platform/clock.h"
#include "platform/prompter.h"
#include "platform/user_folders.h"
#include "sending/http_pieces.h"
#include "sending/order_builder.h"
#include "sending/order_sending.h"
#include "sending/order_upload.h"
#include "sending/send_states.h"
#include "support/demo_shop.h"
#include "text/cp932.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QThread>
#include <filesystem>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

using test::TOrderBuilder;

// Counts what the upload shows and presses cancel once enough files have gone.
class TRecordingProgress : public TSendProgress
{
public:
    void SetTitle(const QString &text) override { titles << text; }
    void SetState(const QString &text) override { states << text; }
    void SetPosition(int done, int total) override
    {
        position = done;
        this->total = total;
        if (onPosition)
            onPosition(done);
    }
    bool CancelRequested() const override { return cancelAfter >= 0 && position >= cancelAfter; }

    QStringList titles, states;
    int position = 0, total = 0;
    int cancelAfter = -1;
    std::function<void(int done)> onPosition;
};

class TOrderUploadTest : public test::TDemoShopTest
{
protected:
    void SetUp() override
    {
        TDemoShopTest::SetUp();
        upload.host = { shop->FtpHost(), shop->FtpUser(), shop->FtpPassword(), QStringLiteral("/"),
            QStringLiteral("/order") };
        upload.transferMode = tmFtp;
        upload.uploadUrl = shop->ServiceUrl() + QStringLiteral("/tamsel_php/korv_upload.php");
        upload.progress = &progress;
        upload.pause = [this](int msecs) { pauses << msecs; };
        upload.onHistory = [this](bool sent, const QString &, const QString &,
                               const QStringList &text) { history << std::make_pair(sent, text); };
        // Every order gets a name of its own: one second apart.
        static int serial = 0;
        b.input.now = QDateTime::currentDateTime().addSecs(++serial * 7);
    }

    void ExpectGivenUpWithoutTheFinishingScript();

    // A basket of five pictures, two of one name and one with "=" and ";", packed.
    TPackedOrder Packed() { return Packed(b); }
    TPackedOrder Packed(TOrderBuilder &builder)
    {
        builder.Add(QStringLiteral("one/same.jpg"), QStringLiteral("L"), 2, false, 40000);
        builder.Add(QStringLiteral("two/same.jpg"), QStringLiteral("L"), 1, false, 30000);
        builder.Add(QStringLiteral("one/a=b;c.jpg"), QStringLiteral("2L"), 1, true, 20000);
        builder.Add(QStringLiteral("one/d.jpg"), QStringLiteral("L"), 1, false, 10000);
        builder.Add(QStringLiteral("one/e.jpg"), QStringLiteral("L"), 1, false, 5000);
        std::optional<TPackedOrder> order = PackOrder(builder.input, prompter);
        EXPECT_TRUE(order);
        return order.value_or(TPackedOrder {});
    }

    // The receiver's verdict on an order: its first line, or "" when none came within 10 s.
    QString Verdict(const QString &name) const
    {
        const QString file = QDir(shop->State(QStringLiteral("ReceiverDir")))
                                 .filePath(name + QStringLiteral(".txt"));
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 10000) {
            if (const std::optional<QStringList> lines = ReadSjisLines(file))
                return lines->value(0);
            QThread::msleep(50);
        }
        return {};
    }

    QString Status(const QString &name) const
    {
        return ReadSjisLines(
            shop->FtpLocal(QStringLiteral("/order/") + name + QStringLiteral("/Sending")))
            .value_or(QStringList())
            .join(u'|');
    }

    QList<QByteArray> RawNames(const QString &remoteFolder) const
    {
        QList<QByteArray> names;
        const std::string folder = QFile::encodeName(shop->FtpLocal(remoteFolder)).toStdString();
        std::error_code error;
        for (const auto &entry : std::filesystem::directory_iterator(folder, error))
            names << QByteArray::fromStdString(entry.path().filename().native());
        return names;
    }

    // An order of one photo of bytes bytes, with two prints, and a small one, for HTTP mode.
    TPackedOrder LargePhotoOrder(TOrderBuilder &builder, int bytes)
    {
        builder.Add(QStringLiteral("big/photo.jpg"), QStringLiteral("L"), 2, false, bytes);
        builder.Add(QStringLiteral("big/small.jpg"), QStringLiteral("L"), 1, false, 3000);
        upload.httpPossible = true;
        upload.transferMode = tmHttp;
        std::optional<TPackedOrder> order = PackOrder(builder.input, prompter);
        EXPECT_TRUE(order);
        return order.value_or(TPackedOrder {});
    }

    // How often the upload script received each piece of an order's file (piece 1 first).
    QList<int> PiecePosts(const QString &remote, int parts) const
    {
        QList<int> posts(parts, 0);
        const QString log = QString::fromUtf8(ReadWholeFile(
            QDir(shop->State(QStringLiteral("Root"))).filePath(QStringLiteral("demo-shop.log")),
            1 << 30)
                                                  .value_or(QByteArray()));
        for (int part = 1; part <= parts; ++part) {
            posts[part - 1] = int(log.count(
                QStringLiteral("http: piece %1/%2 of %3\n").arg(part).arg(parts).arg(remote)));
        }
        return posts;
    }

    // The receiver's whole verdict.
    QStringList VerdictLines(const QString &name) const
    {
        Verdict(name);
        return ReadSjisLines(QDir(shop->State(QStringLiteral("ReceiverDir")))
                                 .filePath(name + QStringLiteral(".txt")))
            .value_or(QStringList());
    }

    QByteArray ServerBytes(const QString &remote) const
    {
        return ReadWholeFile(shop->FtpLocal(QStringLiteral("/order/") + remote), 1 << 30)
            .value_or(QByteArray("<missing>"));
    }

    TOrderBuilder b;
    TScriptedPrompter prompter;
    TRecordingProgress progress;
    TOrderUpload upload { prompter, SystemClock() };
    QList<int> pauses;
    QList<std::pair<bool, QStringList>> history;
};

TEST_F(TOrderUploadTest, AWholeOrderReachesTheReceiver)
{
    TPackedOrder order = Packed();
    const int files = int(order.sendList.Items().size());
    ASSERT_EQ(upload.Send(order), TSendResult::srSent);
    EXPECT_TRUE(order.sendList.Items().isEmpty());
    EXPECT_EQ(progress.position, files);
    EXPECT_EQ(Verdict(order.name), QStringLiteral("ACCEPTED"));
    EXPECT_EQ(Status(order.name), QStringLiteral("Complite"));
    EXPECT_TRUE(prompter.Shown().isEmpty());
    EXPECT_TRUE(progress.titles.contains(QStringLiteral("ファイル送信")));
    EXPECT_TRUE(progress.states.contains(QStringLiteral("Connecting")));
    EXPECT_TRUE(progress.states.contains(QStringLiteral("Making DirList")));

    // Two pictures of one name and the full-width forms, byte for byte in Shift-JIS.
    const QList<QByteArray> names
        = RawNames(QStringLiteral("/order/") + order.name + QStringLiteral("/$IMG_PRN"));
    EXPECT_TRUE(names.contains("same.jpg"));
    EXPECT_TRUE(names.contains("same(2).jpg"));
    EXPECT_TRUE(names.contains(ToCp932(QStringLiteral("a＝b；c.jpg"))));
    // The entry file has its final name only; the message went to both places with its end time.
    const QList<QByteArray> messages = RawNames(QStringLiteral("/order/message"));
    EXPECT_TRUE(messages.contains((order.name + QStringLiteral(".etr")).toLatin1()));
    EXPECT_FALSE(messages.contains((order.name + QStringLiteral(".etrtest")).toLatin1()));
    const QStringList message = ReadSjisLines(
        shop->FtpLocal(QStringLiteral("/order/message/") + order.name + QStringLiteral(".mes")))
                                    .value_or(QStringList());
    EXPECT_EQ(message, order.messageLines);

    // A pause after every fifth file, a longer one after every tenth.
    ASSERT_GE(files, 10);
    EXPECT_EQ(pauses.mid(0, 2), (QList<int> { 500, 1000 }));
    ASSERT_EQ(history.size(), 1);
    EXPECT_TRUE(history.first().first);
    EXPECT_TRUE(history.first().second.value(0).startsWith(QStringLiteral("開始=")));
    EXPECT_TRUE(history.first().second.value(1).startsWith(QStringLiteral("終了=")));
    EXPECT_EQ(history.first().second.value(2), QString());
    // The history gets the order with its list of files, as the entry file has it.
    const QStringList recorded = history.first().second.mid(3);
    EXPECT_EQ(recorded, EntryFileLines(order.messageLines, order.sendList.FileList()));
    ASSERT_TRUE(recorded.contains(QStringLiteral("<files>")));
    EXPECT_EQ(recorded.last(), QStringLiteral("<end>"));
    EXPECT_TRUE(recorded.contains(order.name + QStringLiteral("/$IMG_PRN/same(2).jpg=30000")));
}

TEST_F(TOrderUploadTest, PausesBetweenFilesAreTheConfiguredOnes)
{
    // The server configuration turns the fifth files' pause off and shortens the tenth's.
    upload.pauseAfter5 = 0;
    upload.pauseAfter10 = 250;
    TPackedOrder order = Packed();
    ASSERT_GE(order.sendList.Items().size(), 10);
    ASSERT_EQ(upload.Send(order), TSendResult::srSent);
    EXPECT_EQ(pauses, (QList<int> { 250 }));
    EXPECT_EQ(Verdict(order.name), QStringLiteral("ACCEPTED"));
}

TEST_F(TOrderUploadTest, AWholeOrderReachesTheReceiverOverFtps)
{
    // The same files through the demo's TLS image server, which takes nothing in clear text.
    upload.host.host
        = QStringLiteral("ftps://127.0.0.1:%1").arg(shop->Port(QStringLiteral("ftps")));
    upload.transport = shop->Config().Transport(); // trusts the demo's certificate authority
    TPackedOrder order = Packed();
    ASSERT_EQ(upload.Send(order), TSendResult::srSent);
    EXPECT_EQ(Verdict(order.name), QStringLiteral("ACCEPTED"));
    EXPECT_EQ(Status(order.name), QStringLiteral("Complite"));
    EXPECT_TRUE(prompter.Shown().isEmpty());
}

TEST_F(TOrderUploadTest, ADroppedConnectionIsRetriedFromTheFirstUnsentFile)
{
    for (int k : { 1, 4, 9 }) {
        SCOPED_TRACE(k);
        TOrderBuilder fresh;
        fresh.input.now = b.input.now.addSecs(k);
        TPackedOrder order = Packed(fresh);
        pauses.clear();
        ASSERT_TRUE(shop->Control(QStringLiteral("ftp_drop_files=%1").arg(k)));
        ASSERT_EQ(upload.Send(order), TSendResult::srSent);
        // The file after the k-th failed once (plus the entry file counted as the first).
        EXPECT_TRUE(pauses.contains(1000));
        EXPECT_EQ(Verdict(order.name), QStringLiteral("ACCEPTED"));
        EXPECT_EQ(Status(order.name), QStringLiteral("Complite"));
    }
    EXPECT_TRUE(prompter.Shown().isEmpty());
}

TEST_F(TOrderUploadTest, CancelAfterTheThirdFileLeavesItsStatusLine)
{
    TPackedOrder order;
    order.name = QStringLiteral("CancelAfterThird-%1").arg(b.input.now.toSecsSinceEpoch());
    order.localFolder = b.dir.filePath(QStringLiteral("cancel"));
    for (int i = 1; i <= 5; ++i) {
        ASSERT_TRUE(order.sendList.Add(b.Picture(QStringLiteral("cancel/%1.jpg").arg(i), 1000 * i),
            order.name + QStringLiteral("/$IMG_PRN"), QStringLiteral("%1.jpg").arg(i), true, true));
    }
    progress.cancelAfter = 3;
    EXPECT_EQ(upload.Send(order), TSendResult::srCancelled);
    EXPECT_EQ(Status(order.name), order.name + QStringLiteral("/$IMG_PRN/3.jpg=3000"));
    EXPECT_EQ(order.sendList.Items().size(), 2);
    EXPECT_EQ(progress.states.last(), QStringLiteral("中断"));
    ASSERT_EQ(history.size(), 1);
    EXPECT_FALSE(history.first().first);
    // Carrying on later finishes the order with the two files left.
    progress.cancelAfter = -1;
    EXPECT_EQ(upload.Send(order), TSendResult::srSent);
    EXPECT_EQ(Status(order.name), QStringLiteral("Complite"));
    EXPECT_EQ(
        RawNames(QStringLiteral("/order/") + order.name + QStringLiteral("/$IMG_PRN")).size(), 5);
}

TEST_F(TOrderUploadTest, AnEntryFileThatFailsFirstEndsUnderItsFinalName)
{
    TPackedOrder order = Packed();
    const qint64 size = QFileInfo(order.entryFile).size();
    // The first file stored is the entry file under its "test" name.
    ASSERT_TRUE(shop->Control(QStringLiteral("ftp_drop_files=0")));
    ASSERT_EQ(upload.Send(order), TSendResult::srSent);
    EXPECT_TRUE(progress.states.contains(QStringLiteral(" Retry1")));
    const QString entry = QStringLiteral("/order/message/") + order.name + QStringLiteral(".etr");
    EXPECT_EQ(QFileInfo(shop->FtpLocal(entry)).size(), size);
    EXPECT_FALSE(QFileInfo::exists(shop->FtpLocal(entry + QStringLiteral("test"))));
    EXPECT_EQ(Verdict(order.name), QStringLiteral("ACCEPTED"));
}

TEST_F(TOrderUploadTest, AWrongSizeIsAFailedFile)
{
    TPackedOrder order = Packed();
    ASSERT_TRUE(shop->Control(QStringLiteral("ftp_wrong_size=1")));
    prompter.Answer(TModalResult::mrAbort);
    EXPECT_EQ(upload.Send(order), TSendResult::srGivenUp);
    // Five attempts, each failing; the give-up removed the order on both sides.
    EXPECT_EQ(pauses.count(1000), 4 + 5 * 5);
    ASSERT_EQ(prompter.Shown().size(), 1);
    EXPECT_EQ(
        prompter.Shown().first().text, GiveUpQuestion(1, int(order.sendList.Items().size()), true));
    EXPECT_FALSE(QFileInfo::exists(order.localFolder));
    EXPECT_FALSE(QFileInfo::exists(shop->FtpLocal(QStringLiteral("/order/") + order.name)));
    ASSERT_EQ(history.size(), 1);
    EXPECT_FALSE(history.first().first);
}

TEST_F(TOrderUploadTest, GivingUpWithoutAConnectionSaysTheOrderIsVoid)
{
    TPackedOrder order = Packed();
    upload.host.password = QStringLiteral("wrong");
    upload.retries = 1;
    prompter.Answer(TModalResult::mrRetry);
    prompter.Answer(TModalResult::mrAbort);
    prompter.Answer(TModalResult::mrOk);
    EXPECT_EQ(upload.Send(order), TSendResult::srGivenUp);
    EXPECT_TRUE(progress.states.contains(QStringLiteral("接続失敗 やり直してください")));
    EXPECT_TRUE(progress.states.contains(QStringLiteral("Passive->OFF")));
    EXPECT_FALSE(upload.passive);
    ASSERT_EQ(prompter.Texts().size(), 3);
    EXPECT_EQ(prompter.Texts().at(0), GiveUpQuestion(1, int(order.sendList.Items().size()), true));
    EXPECT_EQ(prompter.Texts().at(2), QStringLiteral("【接続失敗】注文は未成立です。"));
    EXPECT_EQ(prompter.Unexpected(), 0);
    EXPECT_FALSE(QFileInfo::exists(order.localFolder));
}

TEST_F(TOrderUploadTest, HttpModeSendsThroughTheUploadScript)
{
    TPackedOrder order = Packed();
    upload.httpPossible = true;
    upload.transferMode = tmHttp;
    ASSERT_EQ(upload.Send(order), TSendResult::srSent) << upload.LastError().toStdString();
    EXPECT_TRUE(progress.titles.contains(QStringLiteral("HTTP Mode")));
    EXPECT_TRUE(progress.states.contains(QStringLiteral("Creating Navigation")));
    EXPECT_EQ(Verdict(order.name), QStringLiteral("ACCEPTED"));
    EXPECT_EQ(Status(order.name), QStringLiteral("Complite"));
    EXPECT_TRUE(RawNames(QStringLiteral("/order/") + order.name + QStringLiteral("/$IMG_PRN"))
                    .contains(ToCp932(QStringLiteral("a＝b；c.jpg"))));
}

TEST_F(TOrderUploadTest, TheAutomaticModeSwitchesToHttpWhenFtpFails)
{
    TPackedOrder order = Packed();
    upload.httpPossible = true;
    upload.transferMode = tmAuto;
    upload.host.password = QStringLiteral("wrong");
    ASSERT_EQ(upload.Send(order), TSendResult::srSent);
    EXPECT_FALSE(progress.titles.contains(QStringLiteral("ファイル送信")));
    EXPECT_EQ(Verdict(order.name), QStringLiteral("ACCEPTED"));
}

TEST_F(TOrderUploadTest, TheAutomaticModeSaysWhenItGivesFtpUpForHttp)
{
    // The test upload passes, every file sent by FTP fails its size check.
    TPackedOrder order = Packed();
    const int files = int(order.sendList.Items().size());
    upload.httpPossible = true;
    upload.transferMode = tmAuto;
    ASSERT_TRUE(shop->Control(QStringLiteral("ftp_wrong_size=1")));
    ASSERT_EQ(upload.Send(order), TSendResult::srSent) << upload.LastError().toStdString();
    EXPECT_EQ(progress.states.count(HttpFallbackState()), 1);
    // HTTP then names the file it starts with, the entry file that failed by FTP.
    const qsizetype http
        = progress.states.indexOf(QStringLiteral("1/%1 %2.etr").arg(files).arg(order.name));
    EXPECT_GT(http, progress.states.indexOf(HttpFallbackState()));
    EXPECT_TRUE(prompter.Shown().isEmpty());
    EXPECT_EQ(Verdict(order.name), QStringLiteral("ACCEPTED"));
}

TEST_F(TOrderUploadTest, FtpFailuresOfferTheModeChange)
{
    TPackedOrder order = Packed();
    upload.httpPossible = true;
    upload.host.password = QStringLiteral("wrong");
    int mode = -1;
    upload.onTransferModeChange = [&](int m) { mode = m; };
    prompter.Answer(TModalResult::mrYes);
    EXPECT_EQ(upload.Send(order), TSendResult::srModeChange);
    EXPECT_EQ(mode, tmHttp);
    EXPECT_EQ(prompter.Texts(), QStringList { ModeChangeQuestion() });
    EXPECT_EQ(pauses.count(1000), 4);
    EXPECT_TRUE(QFileInfo::exists(order.localFolder));
}

TEST_F(TOrderUploadTest, HttpNeverCarriesAnOrderInClearTextWhereFtpUsesTls)
{
    // The TLS image server refuses the login; the order would go to the upload script.
    upload.host.host
        = QStringLiteral("ftps://127.0.0.1:%1").arg(shop->Port(QStringLiteral("ftps")));
    upload.host.password = QStringLiteral("wrong");
    upload.transport = shop->Config().Transport();
    upload.httpPossible = true;
    upload.retries = 0;
    const QString https
        = QStringLiteral("https://127.0.0.1:%1").arg(shop->Port(QStringLiteral("service_tls")));
    const auto uploadPosts = [&] {
        return ReadWholeFile(
            QDir(shop->State(QStringLiteral("Root"))).filePath(QStringLiteral("demo-shop.log")),
            1 << 30)
            .value_or(QByteArray())
            .count("POST /tamsel_php/korv_upload.php");
    };
    const struct {
        int mode;
        QString base;
        TSendResult result;
    } cases[] = {
        { tmAuto, shop->ServiceUrl(), TSendResult::srFailed },
        { tmHttp, shop->ServiceUrl(), TSendResult::srFailed },
        // No mode change is offered, only the retry with the other connection method.
        { tmFtp, shop->ServiceUrl(), TSendResult::srGivenUp },
        { tmAuto, https, TSendResult::srSent },
    };
    int serial = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 %2").arg(c.mode).arg(c.base).toStdString());
        TOrderBuilder fresh;
        fresh.input.now = b.input.now.addSecs(++serial);
        TPackedOrder order = Packed(fresh);
        const int unsent = int(order.sendList.Items().size());
        upload.transferMode = c.mode;
        upload.uploadUrl = c.base + QStringLiteral("/tamsel_php/korv_upload.php");
        const qsizetype shown = prompter.Shown().size();
        const qsizetype posts = uploadPosts();
        if (c.result == TSendResult::srGivenUp)
            prompter.Answer(TModalResult::mrAbort);
        if (c.result != TSendResult::srSent)
            prompter.Answer(TModalResult::mrOk);
        EXPECT_EQ(upload.Send(order), c.result);
        const QString first = c.result == TSendResult::srFailed ? ClearHttpRefusedMessage()
            : c.result == TSendResult::srGivenUp                ? GiveUpQuestion(1, unsent, true)
                                                                : QString();
        EXPECT_EQ(prompter.Texts().value(shown), first);
        EXPECT_EQ(uploadPosts() > posts, c.result == TSendResult::srSent);
        if (c.result == TSendResult::srSent) {
            EXPECT_EQ(Verdict(order.name), QStringLiteral("ACCEPTED"));
        }
    }
    EXPECT_EQ(prompter.Unexpected(), 0);
}

// A second order sent to the hosted server whose finishing script is missing: given up after
// the customer's Abort, never reported sent.
void TOrderUploadTest::ExpectGivenUpWithoutTheFinishingScript()
{
    TOrderBuilder other;
    other.input.now = b.input.now.addSecs(3);
    TPackedOrder second = Packed(other);
    upload.finishUrl = shop->ServiceUrl() + QStringLiteral("/tamsel_php/none.php");
    upload.retries = 0;
    prompter.Answer(TModalResult::mrAbort);
    EXPECT_EQ(upload.Send(second), TSendResult::srGivenUp);
    EXPECT_EQ(upload.LastError(), QStringLiteral("送信失敗:Sending"));
}

TEST_F(TOrderUploadTest, TheHostedServerCompletesThroughTheFinishingScript)
{
    TPackedOrder order = Packed();
    upload.hostedServer = true;
    upload.finishUrl = shop->ServiceUrl() + QStringLiteral("/tamsel_php/korv_finish.php");
    ASSERT_EQ(upload.Send(order), TSendResult::srSent);
    EXPECT_EQ(Status(order.name), QStringLiteral("Complite"));
    EXPECT_EQ(Verdict(order.name), QStringLiteral("ACCEPTED"));
    // The script's check of its own parameters fails the completion.
    ExpectGivenUpWithoutTheFinishingScript();
}

TEST_F(TOrderUploadTest, TheHostedServerCompletesThroughTheFinishingScriptInHttpMode)
{
    TPackedOrder order = Packed();
    upload.httpPossible = true;
    upload.transferMode = tmHttp;
    upload.hostedServer = true;
    upload.finishUrl = shop->ServiceUrl() + QStringLiteral("/tamsel_php/korv_finish.php");
    ASSERT_EQ(upload.Send(order), TSendResult::srSent) << upload.LastError().toStdString();
    EXPECT_EQ(Verdict(order.name), QStringLiteral("ACCEPTED"));
    // Without the finishing script the order does not complete, whatever the status file says.
    ExpectGivenUpWithoutTheFinishingScript();
}

TEST_F(TOrderUploadTest, AFolderThatCannotBeMadeFailsTheFirstUnsentFile)
{
    TPackedOrder order = Packed();
    // A file where the order's folder belongs: the server refuses to make the folder.
    QFile blocker(shop->FtpLocal(QStringLiteral("/order/") + order.name));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    upload.retries = 0;
    prompter.Answer(TModalResult::mrAbort);
    EXPECT_EQ(upload.Send(order), TSendResult::srGivenUp);
    ASSERT_FALSE(prompter.Shown().isEmpty());
    EXPECT_EQ(
        prompter.Shown().first().text, GiveUpQuestion(1, int(order.sendList.Items().size()), true));
}

TEST_F(TOrderUploadTest, TheHttpUploadCheckWantsAnAnswerWord)
{
    EXPECT_TRUE(HttpUploadAnswers({}, upload.uploadUrl));
    EXPECT_FALSE(
        HttpUploadAnswers({}, shop->ServiceUrl() + QStringLiteral("/tamsel_php/none.php")));
}

TEST_F(TOrderUploadTest, AShopStopEndsTheHttpSend)
{
    TPackedOrder order = Packed();
    upload.httpPossible = true;
    upload.transferMode = tmHttp;
    ASSERT_TRUE(shop->Control(QStringLiteral("shop_stop=1")));
    EXPECT_EQ(upload.Send(order), TSendResult::srFailed);
    EXPECT_EQ(prompter.Texts(), QStringList { ShopStopMessage() });
    ASSERT_EQ(history.size(), 1);
    EXPECT_FALSE(history.first().first);
    EXPECT_EQ(Status(order.name), QString());
}

TEST_F(TOrderUploadTest, ACdOrderCarriesItsIndexSheetsAsPrints)
{
    // 31 pictures on the CD-R, 2 of them printed; the shop names its index kind and size.
    for (int i = 1; i <= 31; ++i)
        b.Add(QStringLiteral("cd/%1.jpg").arg(i), QStringLiteral("L"), i <= 2 ? 1 : 0, true);
    SetOrderProgram(b.input, false, TUserFolders(), QString(),
        { QStringLiteral("CdrNdxType=nxJPG"), QStringLiteral("CdrNdxSize=2L") });
    std::optional<TPackedOrder> packed = PackOrder(b.input, prompter);
    ASSERT_TRUE(packed);
    TPackedOrder order = *packed;
    ASSERT_EQ(upload.Send(order), TSendResult::srSent);
    EXPECT_EQ(Verdict(order.name), QStringLiteral("ACCEPTED"));

    const QString N = order.name;
    EXPECT_EQ(RawNames(QStringLiteral("/order/") + N + QStringLiteral("/$NDX")).size(), 2);
    for (const char *sheet : { "/$NDX/INDEX01.JPG", "/$NDX/INDEX02.JPG" }) {
        const QByteArray bytes = ServerBytes(N + QLatin1String(sheet));
        EXPECT_EQ(QImage::fromData(bytes, "JPG").size(), QSize(1200, 1200)) << sheet;
    }
    // The sheets are printed once each in 2L; the photos' own prints stay in L.
    const QStringList mrk = ReadSjisLines(
        shop->FtpLocal(QStringLiteral("/order/") + N + QStringLiteral("/2L/MISC/AUTPRINT.MRK")))
                                .value_or(QStringList());
    EXPECT_EQ(mrk.filter(QStringLiteral("PRT QTY = 001")).size(), 2);
    EXPECT_TRUE(mrk.contains(QStringLiteral("<IMG SRC = \"../../$NDX/INDEX01.JPG\">")));
    EXPECT_TRUE(mrk.contains(QStringLiteral("<IMG SRC = \"../../$NDX/INDEX02.JPG\">")));
    const QStringList l = ReadSjisLines(
        shop->FtpLocal(QStringLiteral("/order/") + N + QStringLiteral("/L/MISC/AUTPRINT.MRK")))
                              .value_or(QStringList());
    EXPECT_EQ(l.filter(QStringLiteral("PRT QTY")).size(), 2);
    EXPECT_TRUE(l.filter(QStringLiteral("$NDX")).isEmpty());
}

TEST_F(TOrderUploadTest, HttpModeSendsALargePhotoInPiecesThatTheShopJoins)
{
    TPackedOrder order = LargePhotoOrder(b, 25000000);
    const QString photo = order.name + QStringLiteral("/$IMG_PRN/photo.jpg");
    ASSERT_EQ(upload.Send(order), TSendResult::srSent) << upload.LastError().toStdString();
    EXPECT_TRUE(progress.states.contains(QStringLiteral("分割中 photo.jpg")));
    EXPECT_TRUE(progress.states.contains(QStringLiteral("分割中 photo.jpg 6/6")));
    EXPECT_EQ(PiecePosts(photo, 6), QList<int>(6, 1));
    // The small photo went whole.
    EXPECT_EQ(PiecePosts(order.name + QStringLiteral("/$IMG_PRN/small.jpg"), 1), QList<int> { 0 });
    EXPECT_EQ(ServerBytes(photo),
        ReadWholeFile(b.dir.filePath(QStringLiteral("big/photo.jpg")), 1 << 30));
    EXPECT_FALSE(QFileInfo::exists(QDir(order.localFolder).filePath(QStringLiteral("Piece.tmp"))));
    const QStringList verdict = VerdictLines(order.name);
    EXPECT_EQ(verdict.value(0), QStringLiteral("ACCEPTED"));
    EXPECT_EQ(
        verdict.filter(QStringLiteral("OK ") + photo + QStringLiteral(" 25000000 sha256 ")).size(),
        1);
    EXPECT_EQ(Status(order.name), QStringLiteral("Complite"));
}

TEST_F(TOrderUploadTest, ADroppedPieceIsSentAgainAlone)
{
    TPackedOrder order = LargePhotoOrder(b, 9000000);
    const QString photo = order.name + QStringLiteral("/$IMG_PRN/photo.jpg");
    ASSERT_TRUE(shop->Control(QStringLiteral("http_drop_piece=2")));
    ASSERT_EQ(upload.Send(order), TSendResult::srSent) << upload.LastError().toStdString();
    EXPECT_EQ(PiecePosts(photo, 3), (QList<int> { 1, 2, 1 }));
    EXPECT_TRUE(progress.states.contains(
        QStringLiteral("Retry-1 ") + order.name + QStringLiteral("/$IMG_PRN/photo.jpg")));
    EXPECT_EQ(ServerBytes(photo),
        ReadWholeFile(b.dir.filePath(QStringLiteral("big/photo.jpg")), 1 << 30));
    EXPECT_EQ(Verdict(order.name), QStringLiteral("ACCEPTED"));
    EXPECT_TRUE(prompter.Shown().isEmpty());
}

TEST_F(TOrderUploadTest, APieceThatNeverArrivesIsNeverReportedSent)
{
    TPackedOrder order = LargePhotoOrder(b, 9000000);
    const QString photo = order.name + QStringLiteral("/$IMG_PRN/photo.jpg");
    ASSERT_TRUE(shop->Control(QStringLiteral("http_lose_piece=2")));
    upload.retries = 1;
    prompter.Answer(TModalResult::mrAbort);
    EXPECT_EQ(upload.Send(order), TSendResult::srGivenUp);
    // Three tries of the missing piece in each attempt; the second attempt went on with it and
    // never sent the first piece again.
    EXPECT_EQ(PiecePosts(photo, 3), (QList<int> { 1, 6, 0 }));
    EXPECT_FALSE(QFileInfo::exists(shop->FtpLocal(QStringLiteral("/order/") + photo)));
    EXPECT_NE(Status(order.name), QStringLiteral("Complite"));
    ASSERT_FALSE(history.isEmpty());
    EXPECT_FALSE(history.last().first);
}

TEST_F(TOrderUploadTest, TheReceiverRejectsAJoinedFileChangedOnTheServer)
{
    TPackedOrder order = LargePhotoOrder(b, 9000000);
    const QString joined = shop->FtpLocal(
        QStringLiteral("/order/") + order.name + QStringLiteral("/$IMG_PRN/photo.jpg"));
    // Once the photo is joined, one byte of it changes before the order completes.
    bool changed = false;
    progress.onPosition = [&](int) {
        QFile file(joined);
        if (changed || !file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
            return;
        file.seek(4500000);
        file.write("?");
        changed = true;
    };
    ASSERT_EQ(upload.Send(order), TSendResult::srSent) << upload.LastError().toStdString();
    ASSERT_TRUE(changed);
    const QStringList verdict = VerdictLines(order.name);
    EXPECT_EQ(verdict.value(0), QStringLiteral("REJECTED 1"));
    EXPECT_EQ(verdict.filter(QStringLiteral("NG checksum ") + order.name).size(), 1);
}

TEST_F(TOrderUploadTest, APieceThatCannotBeWrittenStopsTheSend)
{
    TPackedOrder order = LargePhotoOrder(b, 5000000);
    // A folder where the piece is to be written.
    ASSERT_TRUE(QDir().mkpath(QDir(order.localFolder).filePath(QStringLiteral("Piece.tmp/x"))));
    EXPECT_EQ(upload.Send(order), TSendResult::srFailed);
    EXPECT_EQ(prompter.Texts(), QStringList { SplitFailedMessage() });
    EXPECT_NE(Status(order.name), QStringLiteral("Complite"));
    ASSERT_EQ(history.size(), 1);
    EXPECT_FALSE(history.first().first);
}

} // namespace

} // namespace korvatel
