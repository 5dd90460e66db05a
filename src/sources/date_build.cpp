#include "sources/date_build.h"

#include "text/sjis_file.h"
#include "workspace/workspace_settings.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

namespace korvatel
{

namespace
{

// The build asks for the time once, when its walk of the drives has ended: this clock reads
// it from the job's clock and marks the walk as over.
class TWalkEndClock : public TClock
{
public:
    TWalkEndClock(const TClock &clock, std::atomic<bool> &walking)
        : FClock(clock)
        , FWalking(walking)
    {
    }
    QDateTime Now() const override
    {
        FWalking = false;
        return FClock.Now();
    }

private:
    const TClock &FClock;
    std::atomic<bool> &FWalking;
};

} // namespace

TDateBuildResult RunDateBuild(const TDateBuildInput &input, TDateScanner &scanner,
    const std::function<bool()> &abandon, const TClock &clock)
{
    TDateBuildResult result;
    QStringList lines;
    if (!input.scanDisks) {
        // A list that is there but cannot be read is left alone, month files and all.
        std::optional<QStringList> read = ReadDateData(input.tree);
        if (!read) {
            result.unreadable = true;
            return result;
        }
        lines = std::move(*read);
    }
    QDir().mkpath(input.tree);
    DeleteMonthFiles(input.tree);
    if (input.scanDisks) {
        scanner.ClearStop();
        ScanDisks(scanner, input.drives, lines);
        result.scanned = true;
        result.scanTime = clock.Now();
    }
    if (abandon && abandon())
        return result;
    std::sort(lines.begin(), lines.end());
    WriteSjisLines(DateDataPath(input.tree), lines);
    // The shifted lines are sorted again by BuildDateLists.
    if (!input.cameraClocks.Empty())
        lines = ShiftCameraClocks(lines, input.cameraClocks, abandon);
    result.lists = BuildDateLists(std::move(lines), abandon);
    if (!result.lists)
        return result;
    WriteMonthFiles(input.tree, *result.lists);
    if (result.scanned)
        SaveLastRead(LastDatePath(input.tree), result.scanTime);
    return result;
}

TDateBuildJob::TDateBuildJob(QObject *parent)
    : QObject(parent)
{
    qRegisterMetaType<TDateBuildResult>();
}

TDateBuildJob::~TDateBuildJob()
{
    Cancel();
}

bool TDateBuildJob::Start(const TDateBuildInput &input, const TClock &clock)
{
    if (FRunning)
        return false;
    FRunning = true;
    FAbandon = false;
    FWalking = input.scanDisks;
    // The last run's thread has ended; Start joins it before the scanner is replaced.
    FJob.Stop();
    FScanner = std::make_unique<TDateScanner>(input.rules);
    TDateScanner *scanner = FScanner.get();
    FJob.Run(
        [this, input, scanner, &clock](TJobControl &control) {
            // Progress reaches the window at most every 50 ms.
            QElapsedTimer shown;
            shown.start();
            scanner->OnFolder = [this, &control, &shown](const QString &folder) {
                if (shown.elapsed() < 50)
                    return;
                shown.restart();
                control.Post([this, folder] { Q_EMIT folderScanned(folder); });
            };
            QElapsedTimer counted;
            counted.start();
            scanner->OnCount = [this, &control, &counted](int count) {
                if (counted.elapsed() < 50)
                    return;
                counted.restart();
                control.Post([this, count] { Q_EMIT countChanged(count); });
            };
            const TWalkEndClock walkEnd(clock, FWalking);
            TDateBuildResult result = RunDateBuild(
                input, *scanner, [this, &control] { return FAbandon.load() || control.Stopped(); },
                walkEnd);
            scanner->OnFolder = nullptr;
            scanner->OnCount = nullptr;
            return result;
        },
        [this](const TDateBuildResult &result) {
            FRunning = false;
            Q_EMIT finished(result);
        });
    return true;
}

void TDateBuildJob::Stop()
{
    if (!FRunning)
        return;
    if (FWalking && FScanner)
        FScanner->Stop();
    else
        FAbandon = true;
}

void TDateBuildJob::Cancel()
{
    FAbandon = true;
    if (FScanner)
        FScanner->Stop();
    FJob.Stop();
    FRunning = false;
}

} // namespace korvatel
