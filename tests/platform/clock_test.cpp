#include "platform/clock.h"

#include <gtest/gtest.h>

namespace korvatel
{

TEST(SerialDateTime, KnownValuesBothWays)
{
    EXPECT_DOUBLE_EQ(DateTimeToSerial(QDateTime({ 1899, 12, 30 }, { 0, 0 })), 0.0);
    EXPECT_DOUBLE_EQ(DateTimeToSerial(QDateTime({ 2000, 1, 1 }, { 12, 0 })), 36526.5);
    EXPECT_DOUBLE_EQ(DateTimeToSerial(QDateTime({ 1899, 12, 29 }, { 6, 0 })), -1.25);
    EXPECT_EQ(SerialToDateTime(36526.5), QDateTime({ 2000, 1, 1 }, { 12, 0 }));
    EXPECT_EQ(SerialToDateTime(-1.25), QDateTime({ 1899, 12, 29 }, { 6, 0 }));
}

TEST(SerialDateTime, RoundTripsToTheMillisecond)
{
    const QDateTime when({ 2026, 12, 8 }, { 23, 59, 59, 999 });
    EXPECT_EQ(SerialToDateTime(DateTimeToSerial(when)), when);
    EXPECT_FALSE(SerialToDateTime(std::numeric_limits<double>::quiet_NaN()).isValid());
    EXPECT_FALSE(SerialToDateTime(1e300).isValid());
    EXPECT_DOUBLE_EQ(DateTimeToSerial(QDateTime()), 0.0);
}

TEST(TFixedClock, AnswersTheTimeItWasGiven)
{
    TFixedClock clock(QDateTime({ 2010, 2, 28 }, { 9, 30 }));
    EXPECT_EQ(clock.Now(), QDateTime({ 2010, 2, 28 }, { 9, 30 }));
    clock.Advance(60 * 1000);
    EXPECT_EQ(clock.Now(), QDateTime({ 2010, 2, 28 }, { 9, 31 }));
}

} // namespace korvatel
