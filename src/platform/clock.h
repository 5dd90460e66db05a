#pragma once

#include <QDateTime>

namespace korvatel
{

// The one place the current local date and time come from; tests hand in a fixed clock.
class TClock
{
public:
    virtual ~TClock() = default;
    virtual QDateTime Now() const = 0;
};

class TSystemClock : public TClock
{
public:
    QDateTime Now() const override { return QDateTime::currentDateTime(); }
};

class TFixedClock : public TClock
{
public:
    explicit TFixedClock(QDateTime now)
        : FNow(std::move(now))
    {
    }
    QDateTime Now() const override { return FNow; }
    void Set(const QDateTime &now) { FNow = now; }
    void Advance(qint64 msecs) { FNow = FNow.addMSecs(msecs); }

private:
    QDateTime FNow;
};

// The program's system clock, for callers that hand a clock on and have none of their own.
const TClock &SystemClock();

// The system's date-time value: days since 30 December 1899 with the time of day as the
// fraction, in local time. These two are the only conversions between it and QDateTime.
double DateTimeToSerial(const QDateTime &dateTime);
QDateTime SerialToDateTime(double serial);

} // namespace korvatel
