#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

namespace korvatel
{

// The times of a file as this platform keeps them. There is no settable creation time, so the
// rules that compare times to find a stale copy compare last-write times (and sizes).
struct TFileTimes {
    QDateTime lastWrite; // local time, millisecond precision
    QDateTime lastAccess; // local time, millisecond precision
    qint64 size = -1;
};

// The times and size of a file or folder (links are followed); nullopt when it cannot be read.
std::optional<TFileTimes> ReadFileTimes(const QString &path);

// Gives to the last-write and last-access times of from, cut to whole milliseconds. False when
// either file is missing or the times cannot be set.
bool CopyFileTimes(const QString &from, const QString &to);

// True when both files exist and their last-write times are equal to the millisecond. A derived
// file (a thumbnail, a local copy) carries its source's times, so it is stale as soon as this
// is false; sizes are compared by the callers whose rules name them.
bool SameFileTimes(const QString &a, const QString &b);

// Sets the last-write and last-access times of path, cut to whole milliseconds. An invalid
// QDateTime leaves that time as it is. False when the file is missing or the times cannot be
// set.
bool SetFileTimes(const QString &path, const QDateTime &lastWrite, const QDateTime &lastAccess);

} // namespace korvatel
