#include "platform/background_job.h"
#include "platform/prompter_bridge.h"

#include <QTest>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>
#include <memory>

namespace korvatel
{

namespace
{

TEST(TBackgroundJob, ResultAndProgressArriveOnTheOwnersThread)
{
    TBackgroundJob job;
    QThread *worker = nullptr;
    QThread *delivered = nullptr;
    QThread *progressed = nullptr;
    QObject::connect(&job, &TBackgroundJob::progress,
        [&](qint64, qint64, const QString &) { progressed = QThread::currentThread(); });
    job.Run(
        [](TJobControl &control) {
            control.Progress(1, 2, QStringLiteral("a.jpg"));
            return QThread::currentThread();
        },
        [&](QThread *thread) {
            worker = thread;
            delivered = QThread::currentThread();
        });
    ASSERT_TRUE(QTest::qWaitFor([&] { return delivered != nullptr; }, 5000));
    EXPECT_NE(worker, QThread::currentThread());
    EXPECT_EQ(delivered, QThread::currentThread());
    EXPECT_EQ(progressed, QThread::currentThread());
}

TEST(TBackgroundJob, CancelStopsEveryWorkerDropsTheirPostsAndTheDestructorJoins)
{
    std::atomic<int> started { 0 };
    std::atomic<int> ended { 0 };
    bool delivered = false;
    {
        TBackgroundJob job;
        job.Start(
            [&](TJobControl &control) {
                ++started;
                while (!control.Stopped())
                    QThread::msleep(1);
                control.Post([&] { delivered = true; });
                QThread::msleep(50); // the destructor waits for this
                ++ended;
            },
            3);
        EXPECT_EQ(job.Workers(), 3);
        ASSERT_TRUE(QTest::qWaitFor([&] { return started == 3; }, 5000));
        EXPECT_TRUE(job.Running());
        job.Cancel();
        EXPECT_FALSE(job.Running());
        QTest::qWait(20);
    }
    EXPECT_EQ(ended, 3);
    QTest::qWait(20);
    EXPECT_FALSE(delivered);
}

TEST(TPrompterBridge, AsksOnTheOwnersThreadAndAStopFreesTheAsker)
{
    TScriptedPrompter prompter({ TModalResult::mrYes });
    QObject owner;
    TPrompterBridge bridge(prompter, &owner);
    TModalResult answer = TModalResult::mrNone;
    {
        TBackgroundJob job;
        job.Run([&](TJobControl &) { return bridge.YesNo(QStringLiteral("送りますか？")); },
            [&](bool yes) { answer = yes ? TModalResult::mrYes : TModalResult::mrNo; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return answer != TModalResult::mrNone; }, 5000));
        EXPECT_EQ(answer, TModalResult::mrYes);
        // The owner's thread asks straight away.
        EXPECT_EQ(
            bridge.Ask(TMsgKind::mkConfirmation, QStringLiteral("q"), mbOK), TModalResult::mrOk);

        // The owner drops the job while its question waits for the owner's thread.
        std::atomic<bool> asking = false;
        job.Start([&](TJobControl &) {
            asking = true;
            answer = bridge.Ask(TMsgKind::mkConfirmation, QStringLiteral("r"), mbYes | mbNo);
        });
        while (!asking)
            QThread::msleep(1);
    }
    EXPECT_EQ(answer, TModalResult::mrNone);
    QTest::qWait(20);
    EXPECT_EQ(
        prompter.Texts(), QStringList({ QStringLiteral("送りますか？"), QStringLiteral("q") }));
}

} // namespace

} // namespace korvatel
