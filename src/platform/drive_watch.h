#pragma once

#include "platform/drive_table.h"

#include <QObject>
#include <functional>
#include <memory>

class QFile;
class QSocketNotifier;
class QTimer;

namespace korvatel
{

// Follows media being plugged in and out while the program runs. The kernel marks
// /proc/self/mountinfo with an urgent-data event (POLLPRI) whenever a filesystem is mounted or
// unmounted; the watch then reads the drive table again, a little later so that a burst of
// mounts is read once, and reports it when it differs from the last one it knew.
class TDriveWatch : public QObject
{
    Q_OBJECT

public:
    // read gives the drive table of the moment (TDriveTable::FromSystem in the program, a
    // table of its own in a test); known is the table the program started with.
    TDriveWatch(std::function<TDriveTable()> read, TDriveTable known, QObject *parent = nullptr);
    ~TDriveWatch() override;

    // Whether the mount table could be opened for watching.
    bool Watching() const;
    // Reads the table now and reports it when it changed.
    void Check();
    const TDriveTable &Known() const { return FKnown; }

Q_SIGNALS:
    void drivesChanged(const korvatel::TDriveTable &drives);

private:
    std::function<TDriveTable()> FRead;
    TDriveTable FKnown;
    std::unique_ptr<QFile> FMountinfo;
    QSocketNotifier *FNotifier = nullptr;
    QTimer *FDelay = nullptr;
};

} // namespace korvatel
