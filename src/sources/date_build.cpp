#include "sources/date_build.h"

#include "text/sjis_file.h"
#include "workspace/workspace_settings.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

namespace korvatel
{

TDateBuildResult RunDateBuild(const TDateBuildInput &input, TDateScanner &scanner,
    const std::function<bool()> &abandon, const std::function<QDateTime()> &now)
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
        result.scanTime = now ? now() : QDateTime::currentDateTime();
    }
    if (abandon && abandon())
        return result;
    std::sort(lines.begin(), lines.end());
    WriteSjisLines(DateDataPath(input.tree), lines);
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

bool TDateBuildJob::Start(const TDateBuildInput &input, std::function<QDateTime()> now)
{
    if (FRunning)
        return false;
    Join();
    FRunning = true;
    FAbandon = false;
    FWalking = input.scanDisks;
    FDropped = std::make_shared<std::atomic<bool>>(false);
    FScanner = std::make_unique<TDateScanner>(input.rules);
    TDateScanner *scanner = FScanner.get();
    // Progress reaches the window at most every 50 ms.
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    scanner->OnFolder = [this, clock](const QString &folder) {
        if (clock->elapsed() < 50)
            return;
        clock->restart();
        QMetaObject::invokeMethod(
            this, [this, folder] { Q_EMIT folderScanned(folder); }, Qt::QueuedConnection);
    };
    auto counted = std::make_shared<QElapsedTimer>();
    counted->start();
    scanner->OnCount = [this, counted](int count) {
        if (counted->elapsed() < 50)
            return;
        counted->restart();
        QMetaObject::invokeMethod(
            this, [this, count] { Q_EMIT countChanged(count); }, Qt::QueuedConnection);
    };
    std::shared_ptr<std::atomic<bool>> dropped = FDropped;
    FThread = std::thread([this, input, scanner, now = std::move(now), dropped] {
        TDateBuildResult result = RunDateBuild(
            input, *scanner, [this, dropped] { return FAbandon.load() || dropped->load(); },
            [&] {
                FWalking = false;
                return now ? now() : QDateTime::currentDateTime();
            });
        if (dropped->load())
            return;
        QMetaObject::invokeMethod(
            this,
            [this, result, dropped] {
                if (dropped->load())
                    return;
                FRunning = false;
                Join();
                Q_EMIT finished(result);
            },
            Qt::QueuedConnection);
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
    if (FDropped)
        FDropped->store(true);
    FAbandon = true;
    if (FScanner)
        FScanner->Stop();
    Join();
    FRunning = false;
}

void TDateBuildJob::Join()
{
    if (FThread.joinable())
        FThread.join();
}

} // namespace korvatel
