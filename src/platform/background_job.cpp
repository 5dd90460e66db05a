#include "platform/background_job.h"

#include <QMetaObject>
#include <QtGlobal>
#include <exception>

namespace korvatel
{

namespace
{

// The token of the job whose work runs on this thread; null on other threads.
thread_local const std::stop_token *gToken = nullptr;

} // namespace

TJobControl::TJobControl(TBackgroundJob &job, std::stop_token token, int worker, quint64 run)
    : FJob(job)
    , FToken(std::move(token))
    , FWorker(worker)
    , FRun(run)
{
}

void TJobControl::Progress(qint64 done, qint64 total, const QString &text) const
{
    TBackgroundJob *job = &FJob;
    Post([job, done, total, text] { Q_EMIT job->progress(done, total, text); });
}

void TJobControl::Post(std::function<void()> f) const
{
    // The job outlives its threads, so the pointer is good while this posts; Qt drops the
    // event when the job is destroyed before it runs, and the run count drops it when the job
    // was cancelled or restarted meanwhile.
    TBackgroundJob *job = &FJob;
    const quint64 run = FRun;
    QMetaObject::invokeMethod(
        job,
        [job, run, f = std::move(f)] {
            if (job->FRun == run && !job->FCancelled)
                f();
        },
        Qt::QueuedConnection);
}

TBackgroundJob::TBackgroundJob(QObject *parent)
    : QObject(parent)
{
}

TBackgroundJob::~TBackgroundJob()
{
    Stop();
}

void TBackgroundJob::Start(std::function<void(TJobControl &)> work, int workers)
{
    Stop();
    ++FRun;
    FCancelled = false;
    FActive = std::max(workers, 1);
    const quint64 run = FRun;
    for (int i = 0; i < std::max(workers, 1); ++i) {
        FThreads.emplace_back([this, work, i, run](std::stop_token token) {
            gToken = &token;
            TJobControl control(*this, token, i, run);
            // An exception would end the program from this thread: the worker ends instead,
            // with nothing more of its own arriving, and the run still finishes.
            try {
                work(control);
            } catch (const std::exception &failure) {
                qWarning("background job: %s", failure.what());
            } catch (...) {
                qWarning("background job: an unknown exception");
            }
            gToken = nullptr;
            if (FActive.fetch_sub(1) == 1)
                control.Post([this] { Q_EMIT finished(); });
        });
    }
}

void TBackgroundJob::Cancel()
{
    FCancelled = true;
    for (std::jthread &thread : FThreads)
        thread.request_stop();
}

void TBackgroundJob::Stop()
{
    Cancel();
    // Each jthread requests its stop again and joins as it goes.
    FThreads.clear();
}

bool JobStopRequested()
{
    return gToken && gToken->stop_requested();
}

std::stop_token CurrentJobToken()
{
    return gToken ? *gToken : std::stop_token();
}

} // namespace korvatel
