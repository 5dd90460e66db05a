#pragma once

#include "platform/background_job.h"
#include "platform/clock.h"
#include "sources/camera_clock.h"
#include "sources/date_scan.h"

#include <QObject>
#include <atomic>
#include <memory>

namespace korvatel
{

// What one build of the date tree works on.
struct TDateBuildInput {
    QString tree; // the workspace's \Tree folder
    bool scanDisks = false; // walk the drives; otherwise read DateData.ini
    QList<TDrive> drives; // ScanDrives
    TScanRules rules;
    // The customer's camera clock corrections: the tree files their pictures under the
    // corrected time, while DateData.ini keeps the times as found.
    TCameraClocks cameraClocks;
};

struct TDateBuildResult {
    std::optional<TDateLists> lists; // nullopt when the build was abandoned
    bool scanned = false; // the disks were walked (possibly stopped part way)
    QDateTime scanTime; // when the walk ended
    bool unreadable = false; // DateData.ini is there but could not be read; nothing was written
};

// The file side of a build: reads DateData.ini when the drives are not walked (and stops there
// when it is there but cannot be read), creates \Tree and deletes its month files, walks the
// drives (a stop only ends the walk), writes the sorted lines to DateData.ini,
// groups them and writes the month files and, after a walk, LastDate.ini. abandon is asked
// between lines after the walk; when it says yes nothing more is written.
TDateBuildResult RunDateBuild(const TDateBuildInput &input, TDateScanner &scanner,
    const std::function<bool()> &abandon, const TClock &clock);

// Runs RunDateBuild on a background job, so the window stays alive and the build can be
// cancelled at any moment. The signals arrive on the thread that owns the job.
class TDateBuildJob : public QObject
{
    Q_OBJECT

public:
    explicit TDateBuildJob(QObject *parent = nullptr);
    ~TDateBuildJob() override;

    // False when a build is still running.
    // clock dates the walk; it must outlive the build.
    bool Start(const TDateBuildInput &input, const TClock &clock);
    bool Running() const { return FRunning; }
    // Ends the disk walk; once the walk is over, abandons the build.
    void Stop();
    // Abandons the build, waits for its thread to end and drops its result.
    void Cancel();

Q_SIGNALS:
    void folderScanned(const QString &folder);
    void countChanged(int count);
    void finished(const korvatel::TDateBuildResult &result);

private:
    std::unique_ptr<TDateScanner> FScanner;
    std::atomic<bool> FWalking { false };
    std::atomic<bool> FAbandon { false };
    bool FRunning = false;
    TBackgroundJob FJob; // last: its thread ends before the scanner goes
};

} // namespace korvatel

Q_DECLARE_METATYPE(korvatel::TDateBuildResult)
