#include "platform/file_times.h"
#include "sources/date_build.h"
#include "sources/date_scan.h"
#include "support/temp_home.h"
#include "text/sjis_file.h"
#include "workspace/option_settings.h"
#include "workspace/workspace_settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <ctime>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

// A folder of pictures with chosen times and sizes.
struct TPictureTree {
    test::TTempHome home;

    QString Put(const QString &name, const QDateTime &when, int size = 100)
    {
        EXPECT_TRUE(home.Write(name, QByteArray(size, 'x')));
        const QString path = home.FilePath(name);
        EXPECT_TRUE(SetFileTimes(path, when, when));
        return path;
    }
    QString Folder(const QString &name) const { return home.FilePath(name); }
};

TScanRules JpegRules(bool full = false)
{
    TScanRules rules;
    rules.extensions = { QStringLiteral(".jpg"), QStringLiteral(".jpeg") };
    rules.fullMode = full;
    return rules;
}

QStringList Paths(const QStringList &lines)
{
    QStringList paths;
    for (const QString &line : lines)
        paths << DecodeScanLine(line)->path;
    paths.sort();
    return paths;
}

QStringList NodeTexts(const QList<TDateNode> &nodes)
{
    QStringList texts;
    for (const TDateNode &node : nodes)
        texts << node.text;
    return texts;
}

const QDateTime kMarch1st2005(QDate(2005, 3, 1), QTime(9, 30, 10));

} // namespace

TEST(TDateScan, ScanLinesRoundTripAndSortByTimeThenPath)
{
    const quint32 stamp = PackFileDateTime(kMarch1st2005);
    EXPECT_EQ(UnpackFileDateTime(stamp), kMarch1st2005);
    const QString line = ScanLine(stamp, QStringLiteral("/p/a|b.jpg"), 0x1234);
    EXPECT_EQ(line,
        QStringLiteral("%1").arg(stamp, 8, 16, QLatin1Char('0')).toUpper()
            + QStringLiteral("/p/a|b.jpg|00001234"));
    const TScanEntry entry = DecodeScanLine(line).value();
    EXPECT_EQ(entry.path, QStringLiteral("/p/a|b.jpg"));
    EXPECT_EQ(entry.size, 0x1234);
    // Odd seconds lose their last bit; times before 1980 are kept at the first day.
    EXPECT_EQ(UnpackFileDateTime(PackFileDateTime(QDateTime(QDate(2009, 1, 2), QTime(3, 4, 5)))),
        QDateTime(QDate(2009, 1, 2), QTime(3, 4, 4)));
    EXPECT_EQ(UnpackFileDateTime(PackFileDateTime(QDateTime(QDate(1970, 5, 5), QTime()))),
        QDateTime(QDate(1980, 1, 1), QTime(0, 0)));

    QStringList lines { ScanLine(stamp + 1, QStringLiteral("/a.jpg"), 1),
        ScanLine(stamp, QStringLiteral("/z.jpg"), 1),
        ScanLine(stamp, QStringLiteral("/b.jpg"), 1) };
    lines.sort();
    EXPECT_EQ(Paths({ lines[0] }), QStringList { QStringLiteral("/b.jpg") });
    EXPECT_EQ(DecodeScanLine(lines[2])->path, QStringLiteral("/a.jpg"));

    for (const char *bad : { "", "0123456/x|00000001", "0123456G/x|00000001", "01234567/x|0001",
             "01234567|00000001", "01234567/x00000001" })
        EXPECT_FALSE(DecodeScanLine(QString::fromLatin1(bad))) << bad;
}

TEST(TDateScan, PictureKindsFollowTheOptionsInTheirOrder)
{
    TOptionSettings option;
    EXPECT_EQ(PictureKindExtensions(option),
        (QStringList { QStringLiteral(".jpg"), QStringLiteral(".jpeg"), QStringLiteral(".tif"),
            QStringLiteral(".tiff"), QStringLiteral(".webp"), QStringLiteral(".heic"),
            QStringLiteral(".heif"), QStringLiteral(".hif"), QStringLiteral(".avif") }));
    option.Tiff = option.Webp = option.Heif = option.Avif = false;
    option.Jpeg = false;
    option.Meta = true;
    option.Avi = true;
    option.Png = true;
    EXPECT_EQ(PictureKindExtensions(option),
        (QStringList { QStringLiteral(".jpg"), QStringLiteral(".png"), QStringLiteral(".emf"),
            QStringLiteral(".wmf"), QStringLiteral(".avi") }));
}

TEST(TDateScan, ExtensionsMustMatchExactlyAndFastModeSkipsFoldersWithAnExtension)
{
    TPictureTree t;
    t.Put(QStringLiteral("photos/a.JPG"), kMarch1st2005);
    t.Put(QStringLiteral("photos/a.JPG~"), kMarch1st2005);
    t.Put(QStringLiteral("photos/b.jpeg"), kMarch1st2005);
    t.Put(QStringLiteral("photos/c.png"), kMarch1st2005);
    t.Put(QStringLiteral("photos/photos.2009/d.jpg"), kMarch1st2005);
    t.Put(QStringLiteral("photos/sub/e.jpg"), kMarch1st2005);

    QStringList fast;
    TDateScanner(JpegRules(false)).ScanFolder(t.Folder(QStringLiteral("photos")), fast, true);
    EXPECT_EQ(Paths(fast),
        (QStringList { t.Folder(QStringLiteral("photos/a.JPG")),
            t.Folder(QStringLiteral("photos/b.jpeg")),
            t.Folder(QStringLiteral("photos/sub/e.jpg")) }));

    QStringList full;
    TDateScanner(JpegRules(true)).ScanFolder(t.Folder(QStringLiteral("photos")), full, true);
    EXPECT_EQ(full.size(), 4);
    EXPECT_TRUE(Paths(full).contains(t.Folder(QStringLiteral("photos/photos.2009/d.jpg"))));

    QStringList flat;
    TDateScanner(JpegRules(true)).ScanFolder(t.Folder(QStringLiteral("photos")), flat, false);
    EXPECT_EQ(flat.size(), 2);
}

TEST(TDateScan, SkipListExclusionsSizeFilterAndLinkedFolders)
{
    TPictureTree t;
    t.Put(QStringLiteral("root/Korvatel/Works/x.jpg"), kMarch1st2005);
    t.Put(QStringLiteral("root/KorvaDPOF/y.jpg"), kMarch1st2005);
    t.Put(QStringLiteral("root/.local/share/Trash/files/z.jpg"), kMarch1st2005);
    t.Put(QStringLiteral("root/windows/w.jpg"), kMarch1st2005);
    t.Put(QStringLiteral("root/out/o.jpg"), kMarch1st2005);
    t.Put(QStringLiteral("root/Out/O.jpg"), kMarch1st2005, 500); // another folder
    t.Put(QStringLiteral("root/keep/small.jpg"), kMarch1st2005, 10);
    t.Put(QStringLiteral("root/keep/big.jpg"), kMarch1st2005, 5000);
    t.Put(QStringLiteral("root/keep/mid.jpg"), kMarch1st2005, 500);
    t.Put(QStringLiteral("root/Downloads/dl.jpg"), kMarch1st2005);
    // A link back to the root would make the walk endless.
    ASSERT_TRUE(
        QFile::link(t.Folder(QStringLiteral("root")), t.Folder(QStringLiteral("root/keep/loop"))));

    TScanRules rules = JpegRules(true);
    rules.systemFolders = { t.Folder(QStringLiteral("root/windows")) };
    rules.excluded = { t.Folder(QStringLiteral("root/out")) + u'/' };
    rules.internetCaches = { t.Folder(QStringLiteral("root/Downloads")) };
    rules.sizeFilter = true;
    rules.minSize = 100;
    rules.maxSize = 1000;
    QStringList lines;
    TDateScanner(rules).ScanFolder(t.Folder(QStringLiteral("root")), lines, true);
    EXPECT_EQ(Paths(lines),
        (QStringList { t.Folder(QStringLiteral("root/Out/O.jpg")),
            t.Folder(QStringLiteral("root/keep/mid.jpg")) }));

    // With the download cache shown its pictures count; without an upper bound any size over
    // the minimum does.
    rules.internetCache = true;
    rules.maxSize = 0;
    lines.clear();
    TDateScanner(rules).ScanFolder(t.Folder(QStringLiteral("root")), lines, true);
    EXPECT_EQ(Paths(lines),
        (QStringList { t.Folder(QStringLiteral("root/Downloads/dl.jpg")),
            t.Folder(QStringLiteral("root/Out/O.jpg")),
            t.Folder(QStringLiteral("root/keep/big.jpg")),
            t.Folder(QStringLiteral("root/keep/mid.jpg")) }));
}

TEST(TDateScan, LinkedPicturesTakeTheirTargetsAndTimesTheZoneOfTheWalk)
{
    TPictureTree t;
    const QDateTime noonUtc(QDate(2005, 3, 1), QTime(12, 0, 0), Qt::UTC);
    const QString target = t.Put(QStringLiteral("pics/a.jpg"), noonUtc.toLocalTime(), 300);
    ASSERT_TRUE(QFile::link(target, t.Folder(QStringLiteral("pics/link.jpg"))));
    ASSERT_TRUE(QFile::link(
        t.Folder(QStringLiteral("pics/gone")), t.Folder(QStringLiteral("pics/dangling.jpg"))));

    const QByteArray zone = qgetenv("TZ");
    const bool hadZone = qEnvironmentVariableIsSet("TZ");
    const auto scan = [&](const char *tz) {
        qputenv("TZ", tz);
        QStringList lines;
        TDateScanner(JpegRules()).ScanFolder(t.Folder(QStringLiteral("pics")), lines, false);
        QMap<QString, TScanEntry> byName;
        for (const QString &line : lines) {
            const TScanEntry entry = *DecodeScanLine(line);
            byName[QFileInfo(entry.path).fileName()] = entry;
        }
        return byName;
    };
    const QMap<QString, TScanEntry> utc = scan("UTC0");
    const QMap<QString, TScanEntry> tokyo = scan("JST-9");
    if (hadZone)
        qputenv("TZ", zone);
    else
        qunsetenv("TZ");
    tzset();

    ASSERT_EQ(utc.keys(), (QStringList { "a.jpg", "dangling.jpg", "link.jpg" }));
    EXPECT_EQ(UnpackFileDateTime(utc["a.jpg"].stamp), QDateTime(QDate(2005, 3, 1), QTime(12, 0)));
    EXPECT_EQ(UnpackFileDateTime(tokyo["a.jpg"].stamp), QDateTime(QDate(2005, 3, 1), QTime(21, 0)));
    // A link is the picture it points at; a dangling one is an empty file of no date.
    EXPECT_EQ(utc["link.jpg"].stamp, utc["a.jpg"].stamp);
    EXPECT_EQ(utc["link.jpg"].size, 300);
    EXPECT_EQ(utc["dangling.jpg"].size, 0);
    EXPECT_EQ(utc["dangling.jpg"].stamp, PackFileDateTime(QDateTime()));
}

TEST(TDateScan, ACopyIsListedOnceAndNodesCarryTheirCounts)
{
    const QDateTime day2(QDate(2005, 3, 2), QTime(8, 0, 0));
    const QDateTime april(QDate(2005, 4, 10), QTime(12, 0, 0));
    const QDateTime year95(QDate(1995, 3, 1), QTime(7, 0, 0));
    QStringList lines {
        ScanLine(PackFileDateTime(kMarch1st2005), QStringLiteral("/p/a/IMG_1.JPG"), 100),
        ScanLine(PackFileDateTime(kMarch1st2005), QStringLiteral("/p/b/img_1.jpg"), 100), // copy
        ScanLine(PackFileDateTime(kMarch1st2005), QStringLiteral("/p/c/IMG_1.JPG"), 101), // not
        ScanLine(PackFileDateTime(day2), QStringLiteral("/p/a/IMG_2.JPG"), 100),
        ScanLine(PackFileDateTime(april), QStringLiteral("/p/a/IMG_3.JPG"), 100),
        ScanLine(PackFileDateTime(year95), QStringLiteral("/old/scan.jpg"), 7),
        QStringLiteral("garbage"),
    };
    const TDateLists lists = BuildDateLists(lines).value();
    EXPECT_EQ(lists.pictures, 5);
    EXPECT_EQ(NodeTexts(lists.years),
        (QStringList { QStringLiteral("1995年(   1)"), QStringLiteral("2005年(   4)") }));
    const TDateNode &y2005 = lists.years[1];
    EXPECT_EQ(NodeTexts(y2005.children),
        (QStringList { QStringLiteral("2005/ 3月(   3)"), QStringLiteral("2005/ 4月(   1)") }));
    EXPECT_EQ(NodeTexts(y2005.children[0].children),
        (QStringList { QStringLiteral("05/03/01(   2)"), QStringLiteral("05/03/02(   1)") }));
    EXPECT_EQ(NodeTexts(lists.years[0].children[0].children),
        QStringList { QStringLiteral("95/03/01(   1)") });
    // The month file: a full path when the folder changes, "." and the name when it does not.
    EXPECT_EQ(lists.months.value(QStringLiteral("200503")),
        (QStringList { QStringLiteral("/p/a/IMG_1.JPG|1 09:30:10(100)"),
            QStringLiteral("/p/c/IMG_1.JPG|1 09:30:10(101)"),
            QStringLiteral("/p/a/IMG_2.JPG|2 08:00:00(100)") }));
    EXPECT_EQ(lists.lines.size(), 7);
    // Asked to stop, the build gives nothing.
    EXPECT_FALSE(BuildDateLists(lines, [] { return true; }));
}

TEST(TDateScan, TwinsOfOneFolderAreBothListed)
{
    // Same time, same size, names that differ only in case: two pictures side by side, and a
    // copy of the second in another folder.
    const quint32 stamp = PackFileDateTime(kMarch1st2005);
    const QStringList lines { ScanLine(stamp, QStringLiteral("/p/a/IMG_1.jpg"), 100),
        ScanLine(stamp, QStringLiteral("/p/a/IMG_1.JPG"), 100),
        ScanLine(stamp, QStringLiteral("/p/b/IMG_1.jpg"), 100) };
    const TDateLists lists = BuildDateLists(lines).value();
    EXPECT_EQ(lists.pictures, 2);
    EXPECT_EQ(lists.months.value(QStringLiteral("200503")),
        (QStringList { QStringLiteral("/p/a/IMG_1.JPG|1 09:30:10(100)"),
            QStringLiteral(".IMG_1.jpg|1 09:30:10(100)") }));
}

TEST(TDateScan, DateNodesNameTheirDaysAndMonthFilesReadBack)
{
    EXPECT_EQ(DateNodeRange(QStringLiteral("95/03/01(   1)"))->year, 1995);
    EXPECT_EQ(DateNodeRange(QStringLiteral("05/03/01(   1)"))->year, 2005);
    const TDateRange month = DateNodeRange(QStringLiteral("2005/ 3月(   3)")).value();
    EXPECT_EQ(month.year, 2005);
    EXPECT_EQ(month.firstMonth, 3);
    EXPECT_EQ(month.lastMonth, 3);
    EXPECT_EQ(month.lastDay, 31);
    const TDateRange year = DateNodeRange(QStringLiteral("2005年(   4)")).value();
    EXPECT_EQ(year.firstMonth, 1);
    EXPECT_EQ(year.lastMonth, 12);
    for (const char *bad : { "", "abc", "05/13/01", "2005/ 0月", "x年", "05/03" })
        EXPECT_FALSE(DateNodeRange(QString::fromUtf8(bad))) << bad;
    // The way back from a basket item: its date text names its day node, which reads back.
    EXPECT_EQ(DayNodeText(QStringLiteral("2005.03.01")), QStringLiteral("05/03/01"));
    EXPECT_EQ(DayNodeText(QStringLiteral("1995-3-1 10:11")), QStringLiteral("95/03/01"));
    EXPECT_EQ(DateNodeRange(DayNodeText(QStringLiteral("1995-3-1")))->year, 1995);
    for (const char *bad : { "", "05.03.01", "date" })
        EXPECT_TRUE(DayNodeText(QString::fromUtf8(bad)).isEmpty()) << bad;

    test::TTempHome home;
    const QString tree = home.FilePath(QStringLiteral("Tree"));
    QDir().mkpath(tree);
    QStringList lines;
    for (const QDateTime &when : { QDateTime(QDate(1995, 3, 1), QTime(7, 0, 0)),
             QDateTime(QDate(2005, 3, 1), QTime(10, 11, 12)),
             QDateTime(QDate(2005, 3, 1), QTime(10, 11, 14)),
             QDateTime(QDate(2005, 3, 2), QTime(1, 2, 4)) })
        lines << ScanLine(PackFileDateTime(when),
            QStringLiteral("/ph/%1.jpg").arg(when.toString(QStringLiteral("yyMMddhhmmss"))), 321);
    ASSERT_TRUE(WriteMonthFiles(tree, BuildDateLists(lines).value()));
    ASSERT_TRUE(QFileInfo::exists(MonthFilePath(tree, 2005, 3)));

    const QList<TDatePicture> day = ListDateNode(tree, QStringLiteral("05/03/01(   2)"));
    ASSERT_EQ(day.size(), 2);
    EXPECT_EQ(day[0].fullPath, QStringLiteral("/ph/050301101112.jpg"));
    EXPECT_EQ(day[1].fullPath, QStringLiteral("/ph/050301101114.jpg"));
    EXPECT_EQ(day[1].stamp, QDateTime(QDate(2005, 3, 1), QTime(10, 11, 14)));
    EXPECT_EQ(day[1].size, 321);
    EXPECT_EQ(ListDateNode(tree, QStringLiteral("95/03/01(   1)")).size(), 1);
    EXPECT_EQ(ListDateNode(tree, QStringLiteral("2005年(   3)")).size(), 3);
    EXPECT_TRUE(ListDateNode(tree, QStringLiteral("2006年(   3)")).isEmpty());
}

TEST(TDateScan, AScanStoppedOnTheThirdDriveListsTheFirstTwoAndRecordsTheTime)
{
    TPictureTree t;
    QList<TDrive> drives;
    for (const char letter : { 'C', 'D', 'E' }) {
        const QString root = t.Folder(QStringLiteral("drive%1").arg(letter));
        t.Put(
            QStringLiteral("drive%1/DCIM/%1.jpg").arg(letter), kMarch1st2005.addDays(letter - 'C'));
        drives << TDrive { QChar::fromLatin1(letter), root, dtFixed };
    }
    TDateBuildInput input;
    input.tree = t.Folder(QStringLiteral("Tree"));
    input.scanDisks = true;
    input.drives = drives;
    input.rules = JpegRules();
    TDateScanner scanner(input.rules);
    scanner.OnFolder = [&](const QString &folder) {
        if (folder == drives[2].root + u'/')
            scanner.Stop();
    };
    const QDateTime now(QDate(2026, 12, 8), QTime(23, 0, 0));
    const TDateBuildResult result = RunDateBuild(input, scanner, {}, TFixedClock(now));
    ASSERT_TRUE(result.lists);
    EXPECT_TRUE(result.scanned);
    EXPECT_EQ(result.lists->pictures, 2);
    EXPECT_EQ(Paths(result.lists->lines),
        (QStringList { t.Folder(QStringLiteral("driveC/DCIM/C.jpg")),
            t.Folder(QStringLiteral("driveD/DCIM/D.jpg")) }));
    EXPECT_EQ(LoadLastRead(LastDatePath(input.tree)), now);
    EXPECT_EQ(ReadSjisLines(DateDataPath(input.tree))->size(), 2);
    EXPECT_TRUE(QFileInfo::exists(MonthFilePath(input.tree, 2005, 3)));

    // A later build without a walk reads DateData.ini again.
    input.scanDisks = false;
    TDateScanner idle(input.rules);
    const TDateBuildResult reread = RunDateBuild(input, idle, {}, SystemClock());
    EXPECT_FALSE(reread.scanned);
    EXPECT_EQ(reread.lists->pictures, 2);
}

TEST(TDateScan, AListThatIsThereButCannotBeReadIsLeftAloneWithItsMonthFiles)
{
    TPictureTree t;
    const QString tree = t.Folder(QStringLiteral("Tree"));
    EXPECT_EQ(ReadDateData(tree), QStringList());
    // A folder in the list's place exists but cannot be read as a file.
    ASSERT_TRUE(QDir().mkpath(DateDataPath(tree)));
    ASSERT_TRUE(t.home.Write(QStringLiteral("Tree/200503.ksf"), "kept"));
    EXPECT_FALSE(ReadDateData(tree));
    TDateBuildInput input;
    input.tree = tree;
    input.rules = JpegRules();
    TDateScanner scanner(input.rules);
    const TDateBuildResult result = RunDateBuild(input, scanner, {}, SystemClock());
    EXPECT_FALSE(result.lists);
    EXPECT_TRUE(result.unreadable);
    EXPECT_TRUE(QFileInfo::exists(MonthFilePath(tree, 2005, 3)));
    EXPECT_TRUE(QFileInfo(DateDataPath(tree)).isDir());
}

TEST(TDateScan, AListLargerThanOtherTextFilesIsReadWhole)
{
    TPictureTree t;
    const QString tree = t.Folder(QStringLiteral("Tree"));
    const QString line
        = ScanLine(PackFileDateTime(kMarch1st2005), t.Folder(QStringLiteral("a.jpg")), 100);
    // Two long lines around one picture's line, past the cap of the other text files.
    const QByteArray filler(kMaxTextFileSize / 2 + 1, 'x');
    ASSERT_TRUE(t.home.Write(QStringLiteral("Tree/DateData.ini"),
        filler + "\r\n" + line.toLatin1() + "\r\n" + filler + "\r\n"));
    ASSERT_GT(QFileInfo(DateDataPath(tree)).size(), kMaxTextFileSize);
    const std::optional<QStringList> lines = ReadDateData(tree);
    ASSERT_TRUE(lines);
    ASSERT_EQ(lines->size(), 3);
    EXPECT_EQ(lines->at(1), line);
    EXPECT_EQ(lines->at(0).size(), filler.size());
}

TEST(TDateScan, DrivesOfTheScanAreFixedOnesAndNetworkOnesWhenAsked)
{
    const TDriveTable table = TDriveTable::Build(
        QStringLiteral("/home/u"), {}, [](const QString &) { return false; },
        QStringLiteral("D=/srv/a,removable\nE=/srv/b,remote\nF=/srv/c\nG=/srv/d,cdrom\n"));
    QString letters;
    for (const TDrive &drive : ScanDrives(table, false))
        letters += drive.letter;
    EXPECT_EQ(letters, QStringLiteral("CF"));
    letters.clear();
    for (const TDrive &drive : ScanDrives(table, true))
        letters += drive.letter;
    EXPECT_EQ(letters, QStringLiteral("CEF"));
}

TEST(TDateBuildJob, RunsOffTheWindowThreadAndCanBeStoppedAtAnyMoment)
{
    TPictureTree t;
    for (int i = 0; i < 30; ++i)
        t.Put(QStringLiteral("pics/f%1/p%2.jpg").arg(i % 5).arg(i), kMarch1st2005.addSecs(i * 60));
    TDateBuildInput input;
    input.tree = t.Folder(QStringLiteral("Tree"));
    input.scanDisks = true;
    input.drives = { TDrive { u'C', t.Folder(QStringLiteral("pics")), dtFixed } };
    input.rules = JpegRules();

    TDateBuildJob job;
    QSignalSpy done(&job, &TDateBuildJob::finished);
    ASSERT_TRUE(job.Start(input, SystemClock()));
    EXPECT_TRUE(job.Running());
    EXPECT_FALSE(job.Start(input, SystemClock()));
    ASSERT_TRUE(done.wait(10000));
    EXPECT_FALSE(job.Running());
    const auto result = done.takeFirst().at(0).value<TDateBuildResult>();
    ASSERT_TRUE(result.lists);
    EXPECT_EQ(result.lists->pictures, 30);

    // Cancelled at once, nothing arrives and the job can start again.
    ASSERT_TRUE(job.Start(input, SystemClock()));
    job.Cancel();
    QCoreApplication::processEvents();
    EXPECT_EQ(done.count(), 0);
    EXPECT_FALSE(job.Running());
    ASSERT_TRUE(job.Start(input, SystemClock()));
    job.Stop();
    ASSERT_TRUE(done.wait(10000));
}

} // namespace korvatel
