#include "net/curl_session.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
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

// Counts the event-loop passes: each delivery posts the next event, which the pass that
// delivered it leaves for the next one.
class TPassCounter : public QObject
{
public:
    int passes = 0;
    bool event(QEvent *e) override
    {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        ++passes;
        QCoreApplication::postEvent(this, new QEvent(QEvent::User));
        return true;
    }
};

TEST(TTransfer, TheWindowWorksAtMostEveryTwentyMilliseconds)
{
    TPassCounter counter;
    QCoreApplication::postEvent(&counter, new QEvent(QEvent::User));
    TTransfer transfer;
    QElapsedTimer timer;
    timer.start();
    for (int chunk = 0; chunk < 5000; ++chunk)
        transfer.AfterChunk();
    const qint64 elapsed = timer.elapsed();
    // The first chunk lets the window work at once, then one pass per interval at the most.
    EXPECT_GE(counter.passes, 1);
    EXPECT_LE(counter.passes, elapsed / kPumpInterval + 2);
    QCoreApplication::removePostedEvents(&counter);
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
