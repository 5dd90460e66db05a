#include "platform/process_start.h"

#include <QThread>
#include <gtest/gtest.h>

namespace korvatel
{

TEST(ProcessStart, StartTicksAreField22AfterTheCommandName)
{
    // The command name may hold spaces and parentheses; the fields count from its last ")".
    const QByteArray line = "4321 (a (b) c) S 1 4321 4321 0 -1 4194560 100 0 0 0 5 3 0 0 20 0 1 0 "
                            "987654 1000 200\n";
    EXPECT_EQ(ProcessStartTicks(line), 987654);
    EXPECT_EQ(ProcessStartTicks("4321 (a) S 1 4321 4321 0 -1 4194560 100 0"), std::nullopt);
    EXPECT_EQ(ProcessStartTicks("4321 a S 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20"),
        std::nullopt);
    EXPECT_EQ(
        ProcessStartTicks("1 (a) S 1 1 1 0 -1 0 0 0 0 0 0 0 0 0 20 0 1 0 x 1 2"), std::nullopt);
}

TEST(ProcessStart, ElapsedTimeRunsWithTheClock)
{
    const std::optional<double> first = MsSinceProcessStart();
    ASSERT_TRUE(first.has_value());
    EXPECT_GE(*first, 0);
    EXPECT_LT(*first, 3600 * 1000.0);
    QThread::msleep(50);
    const std::optional<double> second = MsSinceProcessStart();
    ASSERT_TRUE(second.has_value());
    EXPECT_GE(*second - *first, 49);
    EXPECT_LT(*second - *first, 5000);
}

} // namespace korvatel
