#include "platform/drive_table.h"
#include "platform/drive_watch.h"
#include "platform/user_folders.h"
#include "support/temp_home.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

const QString kHome = QStringLiteral("/home/user");

// A mount table line as the kernel writes it; the mount point is given escaped.
QString MountLine(const char *point, const char *fsType, const char *source)
{
    return QStringLiteral("36 22 0:36 / %1 rw,relatime shared:1 master:2 - %2 %3 rw\n")
        .arg(QString::fromUtf8(point), QLatin1String(fsType), QLatin1String(source));
}

// A root disk, system mounts, a mount outside the drive folders and one mount of each kind
// under them, out of path order.
TDriveTable SampleTable(const QString &overrides = {})
{
    const QString mounts = MountLine("/", "ext4", "/dev/sda1") + MountLine("/run", "tmpfs", "tmpfs")
        + MountLine("/mnt/share", "cifs", "//nas/photos")
        + MountLine("/media/user/CARD", "vfat", "/dev/sdb1")
        + MountLine("/run/media/user/fast", "tmpfs", "tmpfs")
        + MountLine("/mnt/data", "ext4", "/dev/sdc1")
        + MountLine("/home/user/remote", "fuse.sshfs", "user@host:")
        + MountLine("/media/user/DVD\\040DISC", "iso9660", "/dev/sr0")
        + MountLine("/mnt/nfs", "nfs4", "nas:/export")
        + MountLine("/mnt/ssh", "fuse.sshfs", "u@h:/x")
        + MountLine("/mnt/odd", "overlay", "overlay");
    return TDriveTable::Build(
        kHome, mounts, [](const QString &device) { return device == QLatin1String("/dev/sdb1"); },
        overrides);
}

QString RootOf(const TDriveTable &table, char letter)
{
    const std::optional<TDrive> drive = table.Drive(QLatin1Char(letter));
    return drive ? drive->root : QStringLiteral("<none>");
}

// The type values of the drives in letter order, as digits.
std::string Types(const TDriveTable &table)
{
    std::string types;
    for (const QChar letter : table.Letters())
        types += std::to_string(table.Type(letter));
    return types;
}

} // namespace

TEST(TDriveTable, HomeIsCAndMountsFollowInFolderOrder)
{
    const TDriveTable table = SampleTable();
    EXPECT_EQ(table.Letters(), QStringLiteral("CDEFGHIJK"));
    EXPECT_EQ(table.LogicalDrives(), 0b111'1111'1100u);
    const QStringList roots = { kHome, "/media/user/CARD", "/media/user/DVD DISC", "/mnt/data",
        "/mnt/nfs", "/mnt/odd", "/mnt/share", "/mnt/ssh", "/run/media/user/fast" };
    for (const TDrive &drive : table.Drives())
        EXPECT_EQ(drive.root, roots.value(drive.letter.unicode() - 'C'))
            << char(drive.letter.unicode());
}

TEST(TDriveTable, TypesComeFromTheMountTable)
{
    // C fixed; card removable, disc CD-ROM, disk fixed, nfs4 remote, overlay unknown, cifs and
    // sshfs remote, tmpfs RAM disk.
    EXPECT_EQ(Types(SampleTable()), "325340446");
}

TEST(TDriveTable, FolderComesBeforeItsSubfoldersAndSiblingsWithBlanks)
{
    // By plain text "/media/a b" would sort between "/media/a" and "/media/a/x".
    const QString mounts = MountLine("/media/a\\040b", "ext4", "/dev/sdd1")
        + MountLine("/media/a/x", "ext4", "/dev/sde1") + MountLine("/media/a", "ext4", "/dev/sdf1")
        + MountLine("/media/B", "ext4", "/dev/sdg1");
    const TDriveTable table = TDriveTable::Build(kHome, mounts, {});
    EXPECT_EQ(RootOf(table, 'D'), QStringLiteral("/media/B")); // code points: upper case first
    EXPECT_EQ(RootOf(table, 'E'), QStringLiteral("/media/a"));
    EXPECT_EQ(RootOf(table, 'F'), QStringLiteral("/media/a/x"));
    EXPECT_EQ(RootOf(table, 'G'), QStringLiteral("/media/a b"));
}

TEST(TDriveTable, OnlyMountsUnderTheDriveFoldersCount)
{
    const QString mounts = MountLine("/mediafiles", "ext4", "/dev/sdb1")
        + MountLine("/srv/mnt", "ext4", "/dev/sdc1")
        + MountLine("/run/mediax/u/a", "ext4", "/dev/sdd1")
        + MountLine("/mnt", "ext4", "/dev/sde1");
    const TDriveTable table = TDriveTable::Build(kHome, mounts, {});
    EXPECT_EQ(table.Letters(), QStringLiteral("CD"));
    EXPECT_EQ(RootOf(table, 'D'), QStringLiteral("/mnt"));
}

TEST(TDriveTable, EscapedCharactersAndBadLines)
{
    const QString mounts
        = QStringLiteral("garbage\n\n"
                         "1 2 3 4 /media/a rw - ext4\n" // no source
                         "1 2 3 4 /media/b - ext4 /dev/x\n" // no separator
                         "1 2 3 / media/c rw - ext4 /dev/x rw\n" // relative
                         "1 2 3 / /media/e\\9 rw - ext4 /dev/x rw\n") // not an escape
        + MountLine("/media/u/My\\040Photos\\011\\134x", "vfat", "/dev/sdb1")
        + MountLine("/media/u/写真", "vfat", "/dev/sdc1");
    const TDriveTable table = TDriveTable::Build(kHome, mounts, {});
    EXPECT_EQ(table.Letters(), QStringLiteral("CDEF"));
    EXPECT_EQ(RootOf(table, 'D'), QStringLiteral("/media/e\\9"));
    EXPECT_EQ(RootOf(table, 'E'), QStringLiteral("/media/u/My Photos\t\\x"));
    EXPECT_EQ(RootOf(table, 'F'), QStringLiteral("/media/u/写真"));
}

TEST(TDriveTable, RemountedFolderIsOneDriveOfItsLastMount)
{
    // An automounter's placeholder, then the real filesystem on top of it.
    const QString mounts
        = MountLine("/mnt/usb", "autofs", "systemd-1") + MountLine("/mnt/usb", "vfat", "/dev/sdb1");
    const TDriveTable table
        = TDriveTable::Build(kHome, mounts, [](const QString &) { return true; });
    EXPECT_EQ(table.Letters(), QStringLiteral("CD"));
    EXPECT_EQ(table.Type(QLatin1Char('D')), dtRemovable);
}

TEST(TDriveTable, AtMostTwentyThreeMountsGetLetters)
{
    QString mounts;
    for (int i = 0; i < 30; ++i)
        mounts += MountLine(
            QStringLiteral("/mnt/m%1").arg(i, 2, 10, QLatin1Char('0')).toUtf8().constData(), "ext4",
            "/dev/sdb1");
    const TDriveTable table = TDriveTable::Build(kHome, mounts, {});
    EXPECT_EQ(table.Letters(), QStringLiteral("CDEFGHIJKLMNOPQRSTUVWXYZ"));
    EXPECT_EQ(RootOf(table, 'Z'), QStringLiteral("/mnt/m22"));
}

TEST(TDriveTable, LookupsIgnoreCaseAndAnswerForMissingDrives)
{
    const TDriveTable table = SampleTable();
    EXPECT_EQ(table.Drive(QLatin1Char('d'))->letter, QLatin1Char('D'));
    EXPECT_EQ(table.Type(QLatin1Char('e')), dtCdRom);
    EXPECT_FALSE(table.Drive(QLatin1Char('A')).has_value());
    EXPECT_EQ(table.Type(QLatin1Char('A')), dtNoRootDir);
    EXPECT_EQ(table.Type(QLatin1Char('1')), dtNoRootDir);
}

TEST(TDriveTable, OverrideFileWinsOverMounts)
{
    const QString overrides = QStringLiteral("# drives of this machine\r\n[drives]\r\n"
                                             "d=/srv/photos,REMOTE\r\n" // takes D from the card
                                             "F=\r\n" // no F at all
                                             "K=/mnt/data,removable\r\n" // the data disk moves to K
                                             "D=/srv/other,fixed\r\n"); // later lines of D lose
    const TDriveTable table = SampleTable(overrides);
    EXPECT_EQ(table.Letters(), QStringLiteral("CDEGHIJKLM"));
    EXPECT_EQ(Types(table), "3425404246");
    EXPECT_EQ(RootOf(table, 'D'), QStringLiteral("/srv/photos"));
    EXPECT_EQ(RootOf(table, 'E'), QStringLiteral("/media/user/CARD"));
    EXPECT_EQ(RootOf(table, 'K'), QStringLiteral("/mnt/data"));
    EXPECT_EQ(RootOf(table, 'M'), QStringLiteral("/run/media/user/fast"));
}

TEST(TDriveTable, OverrideLineForms)
{
    const QString overrides = QStringLiteral("A=~/scans,cdrom\n"
                                             "C=/data\n"
                                             "M = /srv/a,b , ramdisk \n" // a comma in the folder
                                             "N=/srv/n,fast\n" // not a type word
                                             "O=relative/path\n"
                                             "PQ=/srv/pq\n"
                                             "; R=/srv/r\n"
                                             "S=/srv//s/../t/\n");
    const TDriveTable table = TDriveTable::Build(kHome, {}, {}, overrides);
    EXPECT_EQ(table.Letters(), QStringLiteral("ACMS"));
    EXPECT_EQ(Types(table), "5363");
    EXPECT_EQ(RootOf(table, 'A'), kHome + QStringLiteral("/scans"));
    EXPECT_EQ(RootOf(table, 'C'), QStringLiteral("/data"));
    EXPECT_EQ(RootOf(table, 'M'), QStringLiteral("/srv/a,b"));
    EXPECT_EQ(RootOf(table, 'S'), QStringLiteral("/srv/t"));
}

TEST(TDriveTable, PathsMapBothWays)
{
    const TDriveTable table = SampleTable();
    const QString card = QStringLiteral("/media/user/CARD");
    EXPECT_EQ(table.ToLocalPath(QStringLiteral("D:\\photos\\a.jpg")),
        card + QStringLiteral("/photos/a.jpg"));
    EXPECT_EQ(table.ToLocalPath(QStringLiteral("d:/photos/a.jpg")),
        card + QStringLiteral("/photos/a.jpg"));
    EXPECT_EQ(table.ToLocalPath(QStringLiteral("E:\\a b.jpg")),
        QStringLiteral("/media/user/DVD DISC/a b.jpg"));
    EXPECT_EQ(table.ToLocalPath(QStringLiteral("C:\\Korvatel\\Works\\")),
        kHome + QStringLiteral("/Korvatel/Works"));
    EXPECT_EQ(table.ToLocalPath(QStringLiteral("D:")), card);
    EXPECT_EQ(
        table.ToLocalPath(QStringLiteral("D:\\a\\..\\..\\..\\etc")), card + QStringLiteral("/etc"));
    for (const char *unmapped :
        { "Q:\\photos", "photos\\a.jpg", "\\\\server\\share\\a.jpg", "1:\\a" })
        EXPECT_EQ(table.ToLocalPath(QLatin1String(unmapped)), QString()) << unmapped;

    EXPECT_EQ(table.ToWindowsPath(card + QStringLiteral("/photos/a.jpg")),
        QStringLiteral("D:\\photos\\a.jpg"));
    EXPECT_EQ(table.ToWindowsPath(card + QStringLiteral("/")), QStringLiteral("D:\\"));
    EXPECT_EQ(table.ToWindowsPath(kHome + QStringLiteral("/Korvatel/./SysData")),
        QStringLiteral("C:\\Korvatel\\SysData"));
    for (const char *unmapped : { "/media/user/CARDS/a.jpg", "/etc/passwd", "photos/a.jpg" })
        EXPECT_EQ(table.ToWindowsPath(QLatin1String(unmapped)), QString()) << unmapped;
}

TEST(TDriveTable, NestedRootsTakeTheLongestPrefix)
{
    const TDriveTable table = TDriveTable::Build(
        kHome, MountLine("/mnt/a", "ext4", "/dev/sdb1"), {}, QStringLiteral("M=/mnt/a/b\nR=/\n"));
    EXPECT_EQ(table.LetterOf(QStringLiteral("/mnt/a/b/c")), QLatin1Char('M'));
    EXPECT_EQ(table.LetterOf(QStringLiteral("/mnt/a/bc")), QLatin1Char('D'));
    EXPECT_EQ(table.LetterOf(kHome), QLatin1Char('C'));
    EXPECT_EQ(table.ToWindowsPath(QStringLiteral("/etc/x")), QStringLiteral("R:\\etc\\x"));
    EXPECT_EQ(table.ToLocalPath(QStringLiteral("R:\\etc\\x")), QStringLiteral("/etc/x"));
}

TEST(TDriveTable, FromSystemReadsTheOverrideFileOfTheHome)
{
    test::TTempHome home;
    ASSERT_TRUE(home.Write(QStringLiteral(".config/korvatel/drives.ini"),
        QByteArrayLiteral("Q=/srv/\xE5\x86\x99\xE7\x9C\x9F,cdrom\n")));
    const TDriveTable table = TDriveTable::FromSystem(TUserFolders::FromEnvironment());
    EXPECT_EQ(RootOf(table, 'C'), QDir::cleanPath(home.Path()));
    EXPECT_EQ(RootOf(table, 'Q'), QStringLiteral("/srv/写真"));
    EXPECT_EQ(table.Type(QLatin1Char('Q')), dtCdRom);
}

TEST(BlockDevices, PartitionsAskTheirDiskWhetherItIsRemovable)
{
    QTemporaryDir sys;
    ASSERT_TRUE(sys.isValid());
    for (const auto &[disk, flag] : { std::pair { "sda", "0\n" }, { "sdb", "1\n" },
             { "sr0", "1\n" }, { "nvme0n1", "0\n" }, { "mmcblk0", "1\n" } }) {
        QDir().mkpath(sys.filePath(QLatin1String(disk)));
        QFile file(sys.filePath(QLatin1String(disk) + QStringLiteral("/removable")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(flag) > 0);
    }
    for (const char *device : { "/dev/sdb1", "/dev/sdb", "/dev/sr0", "/dev/mmcblk0p1" })
        EXPECT_TRUE(BlockDeviceRemovable(QLatin1String(device), sys.path())) << device;
    for (const char *device : { "/dev/sda2", "/dev/nvme0n1p2", "/dev/sdz1", "" })
        EXPECT_FALSE(BlockDeviceRemovable(QLatin1String(device), sys.path())) << device;
    EXPECT_EQ(WholeDiskName(QStringLiteral("xvda3")), QStringLiteral("xvda"));
    for (const char *whole : { "loop0", "dm-0", "md127", "nvme0n1" })
        EXPECT_EQ(WholeDiskName(QLatin1String(whole)), QLatin1String(whole));
}

} // namespace korvatel

namespace korvatel
{

TEST(DriveTypeWord, OverrideWordsReadBackAndOthersAreRefused)
{
    for (TDriveType type : { dtFixed, dtRemovable, dtRemote, dtCdRom, dtRamDisk })
        EXPECT_EQ(DriveTypeFromWord(DriveTypeWord(type).toUpper()), type);
    EXPECT_EQ(DriveTypeWord(dtNoRootDir), QStringLiteral("none"));
    EXPECT_FALSE(DriveTypeFromWord(QStringLiteral("none")).has_value());
    EXPECT_FALSE(DriveTypeFromWord(QStringLiteral("unknown")).has_value());
}

} // namespace korvatel

namespace korvatel
{

TEST(DriveLabels, MountsTakeTheLabelOfTheirDeviceAndEscapesAreDecoded)
{
    QTemporaryDir dev;
    ASSERT_TRUE(dev.isValid());
    QDir(dev.path()).mkpath(QStringLiteral("by-label"));
    QFile(dev.filePath(QStringLiteral("sdb1"))).open(QIODevice::WriteOnly);
    QFile(dev.filePath(QStringLiteral("sdc1"))).open(QIODevice::WriteOnly);
    // udev names the links after the labels, with "\x20" for a blank.
    ASSERT_TRUE(QFile::link(dev.filePath(QStringLiteral("sdb1")),
        dev.filePath(QStringLiteral("by-label/MY\\x20CARD"))));
    ASSERT_TRUE(QFile::link(dev.filePath(QStringLiteral("sdc1")),
        dev.filePath(QStringLiteral("by-label/\\xe5\\x86\\x99\\xe7\\x9c\\x9f"))));
    const QHash<QString, QString> labels = DeviceLabels(dev.filePath(QStringLiteral("by-label")));
    EXPECT_EQ(labels.size(), 2);
    const QString sdb1 = QFileInfo(dev.filePath(QStringLiteral("sdb1"))).canonicalFilePath();
    EXPECT_EQ(labels.value(sdb1), QStringLiteral("MY CARD"));
    EXPECT_TRUE(DeviceLabels(dev.filePath(QStringLiteral("none"))).isEmpty());
    EXPECT_EQ(UdevLabelText(QStringLiteral("A\\x2fB\\xZZ\\x4")), QStringLiteral("A/B\\xZZ\\x4"));

    const QString mounts = MountLine("/media/user/3A1F-09C2", "vfat", "/dev/sdb1")
        + MountLine("/mnt/share", "cifs", "//nas/photos");
    const TDriveTable table = TDriveTable::Build(
        kHome, mounts, [](const QString &) { return true; }, QStringLiteral("F=/srv/x\n"),
        [](const QString &device) {
            return device == QLatin1String("/dev/sdb1") ? QStringLiteral("MY CARD") : QString();
        });
    EXPECT_EQ(table.Drive(u'D')->label, QStringLiteral("MY CARD"));
    EXPECT_TRUE(table.Drive(u'E')->label.isEmpty()); // not a block device
    EXPECT_TRUE(table.Drive(u'F')->label.isEmpty());
}

TEST(TDriveWatch, ReportsATableOnlyWhenItChanged)
{
    const TDriveTable start = TDriveTable::Build(kHome, {}, {});
    TDriveTable now = start;
    TDriveWatch watch([&now] { return now; }, start);
    EXPECT_TRUE(watch.Watching()); // the kernel's mount table can be watched
    QList<TDriveTable> reported;
    QObject::connect(&watch, &TDriveWatch::drivesChanged,
        [&reported](const TDriveTable &drives) { reported << drives; });
    watch.Check();
    EXPECT_TRUE(reported.isEmpty());
    now = TDriveTable::Build(kHome, MountLine("/media/user/CARD", "vfat", "/dev/sdb1"),
        [](const QString &) { return true; });
    watch.Check();
    watch.Check();
    ASSERT_EQ(reported.size(), 1);
    EXPECT_EQ(reported.first().Letters(), QStringLiteral("CD"));
    EXPECT_EQ(watch.Known(), now);
    now = start;
    watch.Check();
    ASSERT_EQ(reported.size(), 2);
    EXPECT_EQ(reported.last().Letters(), QStringLiteral("C"));
}

} // namespace korvatel
