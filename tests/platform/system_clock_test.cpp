#include "platform/system_clock.h"

#include <QFile>
#include <gtest/gtest.h>
#include <unistd.h>

namespace korvatel
{

namespace
{

// Whether this process may set the clock: root, or CAP_SYS_TIME (bit 25) among its effective
// capabilities.
bool MaySetClock()
{
    if (geteuid() == 0)
        return true;
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return true; // unknown: assume it may, so the test never touches the clock
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("CapEff:")) {
            bool ok = false;
            const qulonglong caps = line.mid(7).trimmed().toULongLong(&ok, 16);
            return !ok || (caps & (1ull << 25));
        }
    }
    return true;
}

} // namespace

TEST(SetSystemClock, InvalidTimeIsRefused)
{
    EXPECT_FALSE(SetSystemClock(QDateTime()));
    EXPECT_FALSE(SetSystemClock(QDateTime(QDate(2026, 2, 30), QTime(10, 0))));
}

TEST(SetSystemClock, RefusedWithoutPrivilege)
{
    if (MaySetClock())
        GTEST_SKIP()
            << "this process may set the clock; the refusal is only tested without privilege";
    EXPECT_FALSE(SetSystemClock(QDateTime::currentDateTime()));
}

} // namespace korvatel
