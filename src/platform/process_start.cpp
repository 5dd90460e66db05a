#include "platform/process_start.h"

#include <QFile>
#include <QList>
#include <algorithm>
#include <time.h>
#include <unistd.h>

namespace korvatel
{

std::optional<qint64> ProcessStartTicks(const QByteArray &statLine)
{
    // The fields after the command name, which ends at the last ")", start with field 3.
    const qsizetype nameEnd = statLine.lastIndexOf(')');
    if (nameEnd < 0)
        return std::nullopt;
    const QList<QByteArray> fields = statLine.mid(nameEnd + 1).simplified().split(' ');
    constexpr int kStartField = 22 - 3;
    if (fields.size() <= kStartField)
        return std::nullopt;
    bool ok = false;
    const qint64 ticks = fields[kStartField].toLongLong(&ok);
    if (!ok || ticks < 0)
        return std::nullopt;
    return ticks;
}

std::optional<double> MsSinceProcessStart()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return std::nullopt;
    const std::optional<qint64> ticks = ProcessStartTicks(stat.read(4096));
    const long perSecond = sysconf(_SC_CLK_TCK);
    timespec now {};
    // The kernel counts the start from boot, suspended time included: so does CLOCK_BOOTTIME.
    if (!ticks || perSecond <= 0 || clock_gettime(CLOCK_BOOTTIME, &now) != 0)
        return std::nullopt;
    const double nowMs = double(now.tv_sec) * 1000.0 + double(now.tv_nsec) / 1e6;
    return std::max(0.0, nowMs - double(*ticks) * 1000.0 / double(perSecond));
}

} // namespace korvatel
