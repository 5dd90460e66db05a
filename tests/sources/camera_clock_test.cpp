#include "sources/camera_clock.h"
#include "sources/date_scan.h"
#include "support/image_builders.h"
#include "support/temp_home.h"
#include "text/sjis_file.h"

#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace korvatel
{

namespace
{

const QDateTime kTaken({ 2024, 6, 1 }, { 10, 20, 30 });
constexpr qint64 kYear = 366LL * 24 * 3600; // 2024-06-01 to 2025-06-02: the year of the test

QByteArray Photo(const QByteArray &make, const QByteArray &model)
{
    return test::ExifJpegBuilder().make(make).model(model).dateTaken("2024:06:01 10:20:30").build();
}

QStringList Years(const QStringList &lines)
{
    QStringList years;
    const auto lists = BuildDateLists(lines); // kept alive while its years are read
    for (const TDateNode &year : lists->years)
        years << year.text.left(4) + u':' + QString::number(year.count);
    return years;
}

} // namespace

TEST(TCameraClocks, FileKeepsOffsetsPerModelAndRefusesDamage)
{
    TCameraClocks clocks;
    EXPECT_TRUE(clocks.Empty());
    EXPECT_TRUE(clocks.SetOffset("Canon", "EOS 5D", 3600));
    EXPECT_TRUE(clocks.SetOffset(" Acme=Co ", "Snap|1", -60));
    EXPECT_FALSE(clocks.SetOffset("", " ", 60));
    EXPECT_EQ(clocks.Lines(), (QStringList { "Acme_Co|Snap_1=-60", "Canon|EOS 5D=3600" }));
    EXPECT_EQ(clocks.Offset("Canon", "EOS 5D "), 3600);
    EXPECT_EQ(clocks.Offset("Canon", "EOS 6D"), 0);
    EXPECT_EQ(clocks.Offset("Acme=Co", "Snap|1"), -60);

    test::TTempHome home;
    const QString path = TCameraClocks::FilePath(home.FilePath("SysData"));
    ASSERT_TRUE(clocks.Save(path));
    struct stat info {
    };
    ASSERT_EQ(stat(QFile::encodeName(path).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(TCameraClocks::Load(path).Lines(), clocks.Lines());

    // Lines that are not a model's, offsets out of range or not numbers are dropped.
    const TCameraClocks read = TCameraClocks::FromLines({ "Canon|EOS 5D=3600", "no bar=5",
        "a|b|c=5", " x|y=5", "|=5", "x|y=abc", "x|y=0", "x|y=99999999999999", "x|z= -7 " });
    EXPECT_EQ(read.Lines(), (QStringList { "Canon|EOS 5D=3600", "x|z=-7" }));
    EXPECT_TRUE(TCameraClocks::Load(home.FilePath("missing.ini")).Empty());

    clocks.SetOffset("Canon", "EOS 5D", 0);
    EXPECT_EQ(clocks.Lines(), QStringList { "Acme_Co|Snap_1=-60" });
}

TEST(TCameraClocks, ApplyMovesOnlyThatModelsDates)
{
    TCameraClocks clocks;
    clocks.SetOffset("Canon", "EOS 5D", kYear);
    EXPECT_EQ(clocks.Apply("Canon", "EOS 5D", kTaken), QDateTime({ 2025, 6, 2 }, { 10, 20, 30 }));
    EXPECT_EQ(clocks.Apply("Nikon", "D70", kTaken), kTaken);
    EXPECT_FALSE(clocks.Apply("Canon", "EOS 5D", QDateTime()).isValid());
    EXPECT_EQ(ClockOffset(kTaken, kTaken.addSecs(-90)), -90);
    EXPECT_EQ(ClockOffset(QDateTime(), kTaken), 0);
}

TEST(ShiftCameraClocks, OneYearMovesTheDateTreeNodeOfThatModelOnly)
{
    test::TTempHome home;
    home.Write("a/canon.jpg", Photo("Canon", "EOS 5D"));
    home.Write("a/nikon.jpg", Photo("Nikon", "D70"));
    home.Write("a/copied.jpg", Photo("Canon", "EOS 5D"));
    const QString canon = home.FilePath("a/canon.jpg");
    const QString nikon = home.FilePath("a/nikon.jpg");
    const QString copied = home.FilePath("a/copied.jpg");
    const quint32 taken = PackFileDateTime(kTaken);
    // The copied file is listed under its copy time, not the camera's.
    const quint32 copyTime = PackFileDateTime(QDateTime({ 2024, 8, 8 }, { 8, 8, 8 }));
    const QStringList lines = { ScanLine(taken, canon, 10), ScanLine(taken, nikon, 11),
        ScanLine(copyTime, copied, 12) };
    EXPECT_EQ(Years(lines), QStringList { "2024:3" });

    EXPECT_EQ(ShiftCameraClocks(lines, {}), lines);
    TCameraClocks clocks;
    clocks.SetOffset("Canon", "EOS 5D", kYear);
    const QStringList shifted = ShiftCameraClocks(lines, clocks);
    EXPECT_EQ(shifted[0], ScanLine(PackFileDateTime(kTaken.addSecs(kYear)), canon, 10));
    EXPECT_EQ(shifted[1], lines[1]);
    EXPECT_EQ(shifted[2], lines[2]);
    EXPECT_EQ(Years(shifted), (QStringList { "2024:2", "2025:1" }));
    // An abandoned shift gives the lines back as they were.
    EXPECT_EQ(ShiftCameraClocks(lines, clocks, [] { return true; }), lines);
}

} // namespace korvatel
