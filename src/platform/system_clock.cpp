#include "platform/system_clock.h"

#include <ctime>

namespace korvatel
{

bool SetSystemClock(const QDateTime &when)
{
    if (!when.isValid())
        return false;
    const qint64 msecs = when.toMSecsSinceEpoch();
    if (msecs < 0)
        return false; // the clock does not go back before 1970
    struct timespec t {
    };
    t.tv_sec = time_t(msecs / 1000);
    t.tv_nsec = long(msecs % 1000) * 1000000L;
    return clock_settime(CLOCK_REALTIME, &t) == 0;
}

} // namespace korvatel
