#include "platform/clock.h"

#include <cmath>

namespace korvatel
{

namespace
{

const QDate kSerialEpoch(1899, 12, 30);
constexpr double kMsecsPerDay = 86400000.0;

} // namespace

double DateTimeToSerial(const QDateTime &dateTime)
{
    if (!dateTime.isValid())
        return 0.0;
    const QDateTime local = dateTime.toLocalTime();
    const double days = static_cast<double>(kSerialEpoch.daysTo(local.date()));
    const double fraction = local.time().msecsSinceStartOfDay() / kMsecsPerDay;
    // Before the epoch the fraction counts away from zero: -1.25 is 29 December 1899, 06:00.
    return days >= 0 ? days + fraction : days - fraction;
}

QDateTime SerialToDateTime(double serial)
{
    if (!std::isfinite(serial) || std::fabs(serial) > 3.0e6)
        return {};
    const double whole = std::trunc(serial);
    const double fraction = std::fabs(serial - whole);
    qint64 msecs = std::llround(fraction * kMsecsPerDay);
    qint64 days = static_cast<qint64>(whole);
    if (msecs >= static_cast<qint64>(kMsecsPerDay)) {
        msecs -= static_cast<qint64>(kMsecsPerDay);
        days += whole >= 0 ? 1 : -1;
    }
    return QDateTime(kSerialEpoch.addDays(days), QTime::fromMSecsSinceStartOfDay(int(msecs)));
}

const TClock &SystemClock()
{
    static const TSystemClock clock;
    return clock;
}

} // namespace korvatel
