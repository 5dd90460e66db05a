#include "platform/file_times.h"
#include "platform/shell.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvatel
{

namespace
{

const QDateTime kShot({ 2005, 3, 1 }, { 10, 20, 30, 456 });
const QDir::Filters kAllInside
    = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System;

bool WriteFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

class FolderTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(FDir.isValid()); }
    QString Path(const char *name) const { return FDir.filePath(QLatin1String(name)); }

    // A small workspace: files at two levels with a set time, a hidden file, an empty folder
    // and a relative link.
    void MakeWorkspace(const QString &root)
    {
        ASSERT_TRUE(WriteFile(root + QStringLiteral("/SysData/Option.ini"), "Thumb=120\r\n"));
        ASSERT_TRUE(WriteFile(root + QStringLiteral("/Works/a.small.jpg"), "jpeg"));
        ASSERT_TRUE(WriteFile(root + QStringLiteral("/.hidden"), "h"));
        ASSERT_TRUE(QDir().mkpath(root + QStringLiteral("/Temp")));
        ASSERT_TRUE(SetFileTimes(root + QStringLiteral("/Works/a.small.jpg"), kShot, kShot));
        ASSERT_TRUE(
            QFile::link(QStringLiteral("SysData/Option.ini"), root + QStringLiteral("/link")));
    }

    void ExpectWorkspace(const QString &root)
    {
        EXPECT_EQ(ReadFile(root + QStringLiteral("/SysData/Option.ini")), "Thumb=120\r\n");
        EXPECT_EQ(ReadFile(root + QStringLiteral("/.hidden")), "h");
        EXPECT_TRUE(QFileInfo(root + QStringLiteral("/Temp")).isDir());
        EXPECT_EQ(QFileInfo(root + QStringLiteral("/link")).symLinkTarget(),
            root + QStringLiteral("/SysData/Option.ini"));
        const std::optional<TFileTimes> times
            = ReadFileTimes(root + QStringLiteral("/Works/a.small.jpg"));
        ASSERT_TRUE(times.has_value());
        EXPECT_EQ(times->lastWrite, kShot);
        EXPECT_EQ(times->size, 4);
    }

    // A folder on another filesystem than the temporary folder, or empty when there is none:
    // /dev/shm is a memory filesystem on most machines.
    QString OtherFilesystem()
    {
        struct stat shm {
        }, tmp {};
        if (stat("/dev/shm", &shm) != 0
            || stat(QFile::encodeName(FDir.path()).constData(), &tmp) != 0
            || shm.st_dev == tmp.st_dev || !FOther.isValid())
            return {};
        return FOther.path();
    }

    QTemporaryDir FDir;
    QTemporaryDir FOther { QStringLiteral("/dev/shm/korvatel-test-XXXXXX") };
};

} // namespace

TEST(Shell, UrlsAndPrograms)
{
    EXPECT_EQ(ShellUrl(QStringLiteral("http://shop.example/help?a=1")).toString(),
        QStringLiteral("http://shop.example/help?a=1"));
    EXPECT_EQ(
        ShellUrl(QStringLiteral("/tmp/a b#1.txt")).toLocalFile(), QStringLiteral("/tmp/a b#1.txt"));
    EXPECT_EQ(
        ShellUrl(QStringLiteral("C:x.txt")).toLocalFile(), QDir::current().filePath("C:x.txt"));
    EXPECT_FALSE(ShellUrl(QString()).isValid());

    EXPECT_TRUE(StartProgram(QStringLiteral("/bin/true"), { QStringLiteral("ignored") }));
    EXPECT_FALSE(StartProgram(QStringLiteral("/nonexistent/Korvatel1234")));
}

TEST_F(FolderTest, MoveWithinAFilesystemRenames)
{
    MakeWorkspace(Path("C/Korvatel"));
    ASSERT_TRUE(QDir().mkpath(Path("D")));
    ASSERT_TRUE(MoveFolder(Path("C/Korvatel"), Path("D/Korvatel")));
    EXPECT_FALSE(QFileInfo::exists(Path("C/Korvatel")));
    ExpectWorkspace(Path("D/Korvatel"));
}

TEST_F(FolderTest, RefusedMovesKeepTheSource)
{
    MakeWorkspace(Path("C/Korvatel"));
    ASSERT_TRUE(WriteFile(Path("D/Korvatel/own.txt"), "own"));
    EXPECT_FALSE(MoveFolder(Path("C/Korvatel"), Path("missing/Korvatel")))
        << "target parent missing";
    EXPECT_FALSE(MoveFolder(Path("C/Korvatel"), Path("D/Korvatel"))) << "never merges";
    EXPECT_FALSE(MoveFolder(Path("C/Korvatel"), Path("C/Korvatel/Inner"))) << "into itself";
    EXPECT_FALSE(MoveFolder(Path("C/None"), Path("E")));
    ExpectWorkspace(Path("C/Korvatel"));
    EXPECT_FALSE(QFileInfo::exists(Path("missing")));
    EXPECT_EQ(ReadFile(Path("D/Korvatel/own.txt")), "own");
}

TEST_F(FolderTest, MoveAcrossFilesystemsCopiesThenDeletes)
{
    const QString other = OtherFilesystem();
    if (other.isEmpty())
        GTEST_SKIP() << "no second writable filesystem at /dev/shm";
    MakeWorkspace(Path("C/Korvatel"));
    ASSERT_TRUE(MoveFolder(Path("C/Korvatel"), other + QStringLiteral("/Korvatel")));
    EXPECT_FALSE(QFileInfo::exists(Path("C/Korvatel")));
    ExpectWorkspace(other + QStringLiteral("/Korvatel"));
}

TEST_F(FolderTest, FailedCopyAcrossFilesystemsIsRemovedAndTheSourceKept)
{
    const QString other = OtherFilesystem();
    if (other.isEmpty())
        GTEST_SKIP() << "no second writable filesystem at /dev/shm";
    MakeWorkspace(Path("C/Korvatel"));
    // A named pipe cannot be copied, so the copy fails after some files went over.
    ASSERT_EQ(mkfifo(QFile::encodeName(Path("C/Korvatel/zz-pipe")).constData(), 0600), 0);
    EXPECT_FALSE(MoveFolder(Path("C/Korvatel"), other + QStringLiteral("/Korvatel")));
    EXPECT_FALSE(QFileInfo::exists(other + QStringLiteral("/Korvatel")));
    ExpectWorkspace(Path("C/Korvatel"));
}

TEST_F(FolderTest, DeleteFolderRemovesTreesAndLinksButNotWhatLinksPointAt)
{
    MakeWorkspace(Path("Korvatel"));
    ASSERT_TRUE(QFile::link(Path("Korvatel"), Path("Shortcut")));
    EXPECT_TRUE(DeleteFolder(Path("Shortcut")));
    EXPECT_FALSE(QFileInfo(Path("Shortcut")).isSymLink());
    ExpectWorkspace(Path("Korvatel"));

    EXPECT_TRUE(DeleteFolder(Path("Korvatel")));
    EXPECT_FALSE(QFileInfo::exists(Path("Korvatel")));
    EXPECT_TRUE(DeleteFolder(Path("Korvatel"))) << "nothing left is success";

    ASSERT_TRUE(WriteFile(Path("file.txt"), "x"));
    EXPECT_FALSE(DeleteFolder(Path("file.txt")));
    EXPECT_FALSE(DeleteFolder(QString()));
    EXPECT_FALSE(DeleteFolder(QStringLiteral("/tmp/..")));
}

TEST_F(FolderTest, EmptyFolderKeepsTheFolderAndWhatLinksPointAt)
{
    MakeWorkspace(Path("Work"));
    MakeWorkspace(Path("Outside"));
    ASSERT_TRUE(QFile::link(Path("Outside"), Path("Work/to-outside")));
    EXPECT_TRUE(EmptyFolder(Path("Work")));
    EXPECT_TRUE(QFileInfo(Path("Work")).isDir());
    EXPECT_TRUE(QDir(Path("Work")).isEmpty(kAllInside));
    ExpectWorkspace(Path("Outside"));
    EXPECT_FALSE(EmptyFolder(Path("missing")));
    EXPECT_FALSE(EmptyFolder(QString()));
}

TEST_F(FolderTest, ShutdownCleanUpNeverFollowsAPlantedLink)
{
    MakeWorkspace(Path("Photos"));
    // Links planted deep inside the folders cleaned at shutdown, to a folder and to a file.
    ASSERT_TRUE(QDir().mkpath(Path("Works/a/b")));
    ASSERT_TRUE(QFile::link(Path("Photos"), Path("Works/a/b/photos")));
    ASSERT_TRUE(QFile::link(Path("Photos/.hidden"), Path("Works/a/hidden")));
    ASSERT_TRUE(QDir().mkpath(Path("Tree/x")));
    ASSERT_TRUE(QFile::link(Path("Photos"), Path("Tree/x/photos")));
    EXPECT_TRUE(EmptyFolder(Path("Works")));
    EXPECT_TRUE(QDir(Path("Works")).isEmpty(kAllInside));
    EXPECT_TRUE(DeleteFolder(Path("Tree")));
    EXPECT_FALSE(QFileInfo::exists(Path("Tree")));
    ExpectWorkspace(Path("Photos"));

    // A link put in the place of the folder itself is not emptied through.
    ASSERT_TRUE(QDir(Path("Works")).removeRecursively());
    ASSERT_TRUE(QFile::link(Path("Photos"), Path("Works")));
    EXPECT_FALSE(EmptyFolder(Path("Works")));
    ExpectWorkspace(Path("Photos"));
}

} // namespace korvatel
