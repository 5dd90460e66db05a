#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <stop_token>
#include <thread>
#include <utility>
#include <vector>

namespace korvatel
{

class TBackgroundJob;

// What work running on a job's thread may use: its stop request, the progress sink and the way
// back to the owner's thread. Work never touches widgets; it reports through this.
class TJobControl
{
public:
    // The stop request of this worker: poll Stopped() between steps, or hand Token() to
    // std::condition_variable_any::wait so that a stop wakes a waiting worker.
    bool Stopped() const { return FToken.stop_requested(); }
    std::stop_token Token() const { return FToken; }
    // The worker's number, 0 to the worker count - 1: work that keeps one resource per worker
    // picks it with this.
    int Worker() const { return FWorker; }
    // Reports progress; the job's progress() signal carries it on the owner's thread.
    void Progress(qint64 done, qint64 total, const QString &text = {}) const;
    // Runs f on the owner's thread, unless the job was cancelled, restarted or destroyed first.
    void Post(std::function<void()> f) const;

private:
    friend class TBackgroundJob;
    TJobControl(TBackgroundJob &job, std::stop_token token, int worker, quint64 run);

    TBackgroundJob &FJob;
    std::stop_token FToken;
    int FWorker;
    quint64 FRun;
};

// The one way the program runs long work (scans, picture making, network requests, uploads).
//
// - The owner (a window or a model object) owns the job, as a member declared after everything
//   the work uses, so the job ends before any of it goes; the job owns its threads.
// - Work runs on the job's threads with a TJobControl: a stop token and a progress sink. It
//   never touches widgets, asks the customer only through a TPrompterBridge and catches its
//   own exceptions (one that escapes is logged and ends that worker).
// - Progress, results (Post, Run's done) and finished() arrive on the owner's thread, queued to
//   the job object, which lives there.
// - Cancel() and the destructor request a stop and drop whatever has not arrived yet; the
//   destructor (and the next Start) joins the threads. Nothing is detached and nothing outlives
//   the owner.
//
//     TBackgroundJob FJob { this };
//     FJob.Run([url](TJobControl &) { return FetchPlates(url); },
//         [this](std::optional<TPlates> plates) { ShowPlates(plates); });
//     connect(btCancel, &QPushButton::clicked, &FJob, &TBackgroundJob::Cancel);
class TBackgroundJob : public QObject
{
    Q_OBJECT

public:
    explicit TBackgroundJob(QObject *parent = nullptr);
    ~TBackgroundJob() override;

    // Starts work on the given number of threads, after ending (stopping and joining) a
    // previous run. finished() follows once every worker has returned.
    void Start(std::function<void(TJobControl &)> work, int workers = 1);
    // Starts work on one thread and hands its result to done on the owner's thread.
    template <class Work, class Done> void Run(Work work, Done done)
    {
        Start([work = std::move(work), done = std::move(done)](TJobControl &control) mutable {
            auto result = work(control);
            control.Post([done, result = std::move(result)]() mutable { done(std::move(result)); });
        });
    }
    // Requests a stop and drops what has not arrived; the threads end on their own and are
    // joined by the next Start or the destructor.
    void Cancel();
    // Requests a stop and waits for the threads: nothing of the run arrives afterwards.
    void Stop();
    // A run was started and has not finished, nor been cancelled.
    bool Running() const { return FActive > 0 && !FCancelled; }
    int Workers() const { return int(FThreads.size()); }

Q_SIGNALS:
    void progress(qint64 done, qint64 total, const QString &text);
    void finished();

private:
    friend class TJobControl;

    std::vector<std::jthread> FThreads;
    std::atomic<int> FActive { 0 };
    quint64 FRun = 0; // counts the runs; read and written on the owner's thread only
    bool FCancelled = false;
};

// True on a job's thread whose stop was requested: code below the work (a transfer's loop)
// ends early with this. False on any other thread.
bool JobStopRequested();
// The stop token of the job thread that calls it; a token that never stops elsewhere.
std::stop_token CurrentJobToken();

} // namespace korvatel
