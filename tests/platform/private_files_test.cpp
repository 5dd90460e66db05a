#include "platform/private_files.h"

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

int Mode(const QString &path)
{
    struct stat info {
    };
    if (lstat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return int(info.st_mode & 07777);
}

} // namespace

TEST(PrivateFiles, PrivateFoldersAreTheOwnersAlone)
{
    QTemporaryDir home;
    const QString folder = home.filePath(QStringLiteral("share/Brannock/Hist/ks_hist"));
    ASSERT_TRUE(MakePrivateFolder(folder));
    EXPECT_EQ(Mode(folder), 0700);
    // An existing folder that others could read is closed.
    ASSERT_TRUE(QDir().mkpath(home.filePath(QStringLiteral("open"))));
    chmod(QFile::encodeName(home.filePath(QStringLiteral("open"))).constData(), 0755);
    ASSERT_TRUE(MakePrivateFolder(home.filePath(QStringLiteral("open"))));
    EXPECT_EQ(Mode(home.filePath(QStringLiteral("open"))), 0700);
    EXPECT_FALSE(MakePrivateFolder(QString()));
}

TEST(PrivateFiles, FoldersOfAnotherUserAreNotOurs)
{
    QTemporaryDir home;
    EXPECT_TRUE(OwnedByThisUser(home.filePath(QStringLiteral("missing"))));
    EXPECT_TRUE(OwnedByThisUser(home.path()));
    ASSERT_TRUE(QFile::link(home.path(), home.filePath(QStringLiteral("mine"))));
    EXPECT_TRUE(OwnedByThisUser(home.filePath(QStringLiteral("mine"))));

    QString foreign;
    if (geteuid() == 0) {
        // Running as root: a folder given to another user stands for one they made.
        foreign = home.filePath(QStringLiteral("Korvatel"));
        ASSERT_TRUE(QDir().mkpath(foreign));
        ASSERT_EQ(chown(QFile::encodeName(foreign).constData(), 65534, 65534), 0);
    } else {
        foreign = QStringLiteral("/");
    }
    EXPECT_FALSE(OwnedByThisUser(foreign));
    EXPECT_FALSE(MakePrivateFolder(foreign));
    ASSERT_TRUE(QFile::link(foreign, home.filePath(QStringLiteral("theirs"))));
    EXPECT_FALSE(OwnedByThisUser(home.filePath(QStringLiteral("theirs"))));
    ASSERT_TRUE(QFile(home.filePath(QStringLiteral("file"))).open(QIODevice::WriteOnly));
    EXPECT_FALSE(OwnedByThisUser(home.filePath(QStringLiteral("file"))));
}

TEST(PrivateFiles, ThePrivateTemporaryFolderHasNoFixedName)
{
    QTemporaryDir temp;
    const QString folder = PrivateTempDir(temp.path());
    ASSERT_FALSE(folder.isEmpty());
    EXPECT_EQ(QFileInfo(folder).absolutePath(), QFileInfo(temp.path()).absoluteFilePath());
    EXPECT_EQ(Mode(folder), 0700);
    EXPECT_EQ(PrivateTempDir(temp.path()), folder) << "one folder for the run";
    QTemporaryDir other;
    EXPECT_NE(QFileInfo(PrivateTempDir(other.path())).fileName(), QFileInfo(folder).fileName());
    // Removed by someone else meanwhile: a new one is made.
    ASSERT_TRUE(QDir(folder).removeRecursively());
    const QString again = PrivateTempDir(temp.path());
    EXPECT_TRUE(QFileInfo(again).isDir());
}

} // namespace korvatel
