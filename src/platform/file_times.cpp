#include "platform/file_times.h"

#include <QFile>
#include <fcntl.h>
#include <sys/stat.h>

namespace korvatel
{

namespace
{

qint64 ToMsecs(const struct timespec &t)
{
    // tv_nsec is never negative, so flooring to the millisecond is a plain division.
    return qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

struct timespec FromMsecs(qint64 msecs)
{
    // Floor division, so times before 1970 keep a non-negative nanosecond part.
    qint64 seconds = msecs / 1000;
    qint64 rest = msecs % 1000;
    if (rest < 0) {
        rest += 1000;
        --seconds;
    }
    struct timespec t {
    };
    t.tv_sec = time_t(seconds);
    t.tv_nsec = long(rest * 1000000);
    return t;
}

struct timespec Omitted()
{
    struct timespec t {
    };
    t.tv_nsec = UTIME_OMIT;
    return t;
}

bool SetTimes(const QString &path, const struct timespec (&times)[2])
{
    const QByteArray name = QFile::encodeName(path);
    return !name.isEmpty() && utimensat(AT_FDCWD, name.constData(), times, 0) == 0;
}

} // namespace

std::optional<TFileTimes> ReadFileTimes(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st {
    };
    if (name.isEmpty() || stat(name.constData(), &st) != 0)
        return std::nullopt;
    TFileTimes times;
    times.lastWrite = QDateTime::fromMSecsSinceEpoch(ToMsecs(st.st_mtim));
    times.lastAccess = QDateTime::fromMSecsSinceEpoch(ToMsecs(st.st_atim));
    times.size = qint64(st.st_size);
    return times;
}

bool CopyFileTimes(const QString &from, const QString &to)
{
    const std::optional<TFileTimes> source = ReadFileTimes(from);
    if (!source)
        return false;
    return SetFileTimes(to, source->lastWrite, source->lastAccess);
}

bool SameFileTimes(const QString &a, const QString &b)
{
    const std::optional<TFileTimes> first = ReadFileTimes(a);
    const std::optional<TFileTimes> second = ReadFileTimes(b);
    return first && second
        && first->lastWrite.toMSecsSinceEpoch() == second->lastWrite.toMSecsSinceEpoch();
}

bool SetFileTimes(const QString &path, const QDateTime &lastWrite, const QDateTime &lastAccess)
{
    // With nothing to set, utimensat succeeds even for a missing file: answer for the file.
    if (!lastWrite.isValid() && !lastAccess.isValid())
        return ReadFileTimes(path).has_value();
    // utimensat takes the access time first.
    const struct timespec times[2] = {
        lastAccess.isValid() ? FromMsecs(lastAccess.toMSecsSinceEpoch()) : Omitted(),
        lastWrite.isValid() ? FromMsecs(lastWrite.toMSecsSinceEpoch()) : Omitted(),
    };
    return SetTimes(path, times);
}

} // namespace korvatel
