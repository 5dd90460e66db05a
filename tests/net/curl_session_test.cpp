#include "net/curl_session.h"
#include "platform/background_job.h"

#include <QBuffer>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

TEST(TTransfer, ReportsProgressOnEverySeventeenthChunk)
{
    QList<qint64> reported;
    std::function<void(qint64, qint64, bool &)> progress
        = [&](qint64 done, qint64, bool &) { reported << done; };
    TTransfer transfer;
    transfer.total = 100;
    transfer.progress = &progress;
    for (int chunk = 1; chunk <= 40; ++chunk) {
        transfer.done = chunk;
        transfer.AfterChunk();
    }
    EXPECT_EQ(reported, QList<qint64>({ 17, 34 }));
}

// A transfer on a job sees the job's stop after its next chunk, as the cancel flag.
TEST(TTransfer, AStoppedJobSetsTheCancelFlag)
{
    bool cancelBeforeStop = true;
    bool cancelAfterStop = false;
    TBackgroundJob job;
    job.Start([&](TJobControl &) {
        TTransfer transfer;
        transfer.AfterChunk();
        cancelBeforeStop = transfer.cancel;
        while (!JobStopRequested())
            QThread::msleep(1);
        transfer.AfterChunk();
        cancelAfterStop = transfer.cancel;
    });
    QThread::msleep(20);
    job.Stop();
    EXPECT_FALSE(cancelBeforeStop);
    EXPECT_TRUE(cancelAfterStop);
    // Off a job nothing stops a transfer.
    TTransfer transfer;
    transfer.AfterChunk();
    EXPECT_FALSE(transfer.cancel);
}

TEST(TTransfer, AProgressHookMaySetTheCancelFlag)
{
    std::function<void(qint64, qint64, bool &)> progress
        = [](qint64, qint64, bool &cancel) { cancel = true; };
    TTransfer transfer;
    transfer.progress = &progress;
    for (int chunk = 0; chunk < 16; ++chunk)
        transfer.AfterChunk();
    EXPECT_FALSE(transfer.cancel);
    transfer.AfterChunk();
    EXPECT_TRUE(transfer.cancel);
}

TEST(TCurlSession, ARefusedHostEndsTheRequestWithAFailure)
{
    TCurlSession session;
    ASSERT_TRUE(session.Create());
    TWinFTP owner;
    owner.ConnectTimeout = 2000;
    // Port 1 of the loopback address has no server: the connection is refused at once.
    session.Prepare(owner, QStringLiteral("ftp://127.0.0.1:1/"));
    session.SetNoBody();
    const TCurlResult result = session.Perform();
    EXPECT_FALSE(result.Ok());
    EXPECT_FALSE(result.ReadRefused());
    EXPECT_FALSE(result.WriteRefused());
    EXPECT_EQ(result.UploadEndCode(), result.code);
}

} // namespace

} // namespace korvatel
