#include "platform/file_times.h"

#include <QFile>
#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace korvatel
{

namespace
{

class FileTimesTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(FDir.isValid()); }

    QString MakeFile(const char *name, const QByteArray &bytes)
    {
        const QString path = FDir.filePath(QLatin1String(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        return path;
    }

    // Sets the last-write time to the nanosecond, finer than the functions under test keep.
    static void SetWriteTimeNs(const QString &path, time_t seconds, long nanoseconds)
    {
        const struct timespec times[2] = { { 0, UTIME_OMIT }, { seconds, nanoseconds } };
        ASSERT_EQ(utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
    }

    QTemporaryDir FDir;
};

const QDateTime kWhen({ 2004, 7, 15 }, { 13, 5, 9, 123 });

} // namespace

TEST_F(FileTimesTest, SetTimesReadBackToTheMillisecond)
{
    const QString path = MakeFile("a.jpg", "12345");
    ASSERT_TRUE(SetFileTimes(path, kWhen, kWhen.addDays(3)));
    EXPECT_EQ(ReadFileTimes(path)->lastWrite, kWhen);
    EXPECT_EQ(ReadFileTimes(path)->lastAccess, kWhen.addDays(3));
    EXPECT_EQ(ReadFileTimes(path)->size, 5);

    ASSERT_TRUE(SetFileTimes(path, QDateTime(), kWhen)) << "an invalid time is left alone";
    EXPECT_EQ(ReadFileTimes(path)->lastWrite, kWhen);
    EXPECT_EQ(ReadFileTimes(path)->lastAccess, kWhen);

    const QDateTime before1970 = QDateTime::fromMSecsSinceEpoch(-1500, Qt::UTC);
    ASSERT_TRUE(SetFileTimes(path, before1970, before1970));
    EXPECT_EQ(ReadFileTimes(path)->lastWrite.toMSecsSinceEpoch(), -1500);
}

TEST_F(FileTimesTest, MissingFileFails)
{
    const QString missing = FDir.filePath(QStringLiteral("missing"));
    const QString present = MakeFile("a.jpg", "x");
    EXPECT_FALSE(ReadFileTimes(missing).has_value());
    EXPECT_FALSE(SetFileTimes(missing, kWhen, kWhen));
    EXPECT_FALSE(SetFileTimes(missing, QDateTime(), QDateTime()));
    EXPECT_FALSE(CopyFileTimes(missing, present));
    EXPECT_FALSE(CopyFileTimes(present, missing));
    EXPECT_FALSE(SameFileTimes(missing, missing));
}

TEST_F(FileTimesTest, CopiedTimesCompareEqualAtMillisecondPrecision)
{
    const QString from = MakeFile("from.jpg", "abc");
    const QString to = MakeFile("to.jpg", "xyz");
    SetWriteTimeNs(from, 1'100'000'000, 123'456'789);
    EXPECT_FALSE(SameFileTimes(from, to));

    ASSERT_TRUE(CopyFileTimes(from, to));
    EXPECT_EQ(ReadFileTimes(to)->lastWrite.toMSecsSinceEpoch(), 1'100'000'000'123);
    EXPECT_TRUE(SameFileTimes(from, to)) << "the sub-millisecond rest does not count";

    SetWriteTimeNs(to, 1'100'000'000, 124'000'000);
    EXPECT_FALSE(SameFileTimes(from, to)) << "one millisecond apart";

    // A thumbnail is smaller than its picture and is still fresh while the times agree.
    const QString thumbnail = MakeFile("from.small.jpg", "a");
    ASSERT_TRUE(CopyFileTimes(from, thumbnail));
    EXPECT_TRUE(SameFileTimes(from, thumbnail));
    EXPECT_EQ(ReadFileTimes(thumbnail)->size, 1);
}

} // namespace korvatel
