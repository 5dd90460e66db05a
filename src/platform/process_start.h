#pragma once

#include <QByteArray>
#include <optional>

namespace korvatel
{

// The milliseconds since this process was started by the system (before the dynamic linker
// loaded its libraries), to the system's clock tick (usually 10 ms). Empty when the process
// table cannot be read.
std::optional<double> MsSinceProcessStart();

// The start time in clock ticks after boot, field 22 of a /proc/PID/stat line; empty for a
// line that is not one. The command name in parentheses may hold spaces and parentheses.
std::optional<qint64> ProcessStartTicks(const QByteArray &statLine);

} // namespace korvatel
