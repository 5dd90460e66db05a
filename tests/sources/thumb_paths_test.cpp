#include "sources/thumb_paths.h"
#include "support/temp_home.h"

#include <QFileInfo>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

TEST(ThumbCachePath, LocalNetworkAndPlatformPaths)
{
    const QString works = "/k/Works";
    EXPECT_EQ(BrowserThumbPath(works, "C:\\Photos\\IMG_0001.JPG"),
        "/k/Works/Disk$001/C/Photos/IMG_0001.JPG.small.jpg");
    EXPECT_EQ(ThumbCachePath(works, "\\\\server\\share\\a.jpg"),
        "/k/Works/Disk$001/LAN/server/share/a.jpg");
    EXPECT_EQ(ThumbCachePath(works + "/", "/home/me/p/a.jpg"), "/k/Works/Disk$001/home/me/p/a.jpg");
    // Doubled separators inside a path are dropped with both characters.
    EXPECT_EQ(FolderKey("C:\\a\\\\b\\"), "C\\ab");
    EXPECT_EQ(FolderKey("C:\\Photos\\2009"), "C\\Photos\\2009");
}

TEST(OrderThumbnailPath, DiskNumberInHexAndTheLocalCopyBeside)
{
    EXPECT_EQ(OrderThumbnailPath("/k/Works", 1, "C:\\Photos\\a.jpg"),
        "/k/Works/Disk$001/C/Photos/a.jpg.BMP");
    EXPECT_EQ(OrderThumbnailPath("/k/Works", 0x1abc, "\\\\srv\\s\\a.jpg"),
        "/k/Works/Disk$1ABC/LAN/srv/s/a.jpg.BMP");
    EXPECT_EQ(LocalCopyPath("/k/Works", 1, "/home/me/a.jpg"), "/k/Works/Disk$001/home/me/a.jpg");
    EXPECT_EQ(DiskFolder(255), "Disk$0FF");
}

TEST(OrderThumbnailPath, PathsThatTheFolderKeyWouldMergeKeepCopiesApart)
{
    const QString plain = LocalCopyPath("/k/Works", 1, "/p/ab/x.jpg");
    EXPECT_EQ(plain, "/k/Works/Disk$001/p/ab/x.jpg");
    const QString colon = LocalCopyPath("/k/Works", 1, "/p/a:b/x.jpg");
    const QString slash = LocalCopyPath("/k/Works", 1, "/p/a\\b/x.jpg");
    EXPECT_NE(colon, plain);
    EXPECT_NE(slash, LocalCopyPath("/k/Works", 1, "/p/a/b/x.jpg"));
    EXPECT_NE(colon, LocalCopyPath("/k/Works", 1, "/p/a:b/x.jpg:"));
    EXPECT_TRUE(colon.startsWith("/k/Works/Disk$001/p/ab/#")) << colon.toStdString();
    EXPECT_TRUE(colon.endsWith("/x.jpg"));
    EXPECT_EQ(colon, LocalCopyPath("/k/Works", 1, "/p/a:b/x.jpg")) << "the same path, one copy";
    EXPECT_EQ(OrderThumbnailPath("/k/Works", 1, "/p/a:b/x.jpg"), colon + ".BMP");
}

TEST(ThumbnailModes, SwitchesDeleteOnlyBetweenNonZeroModes)
{
    EXPECT_TRUE(ModeSwitchDeletesThumbnails(1, 2));
    EXPECT_FALSE(ModeSwitchDeletesThumbnails(0, 2));
    EXPECT_FALSE(ModeSwitchDeletesThumbnails(2, 0));
    EXPECT_FALSE(ModeSwitchDeletesThumbnails(3, 3));
}

TEST(MakeLocalCopy, CopiesWithTheSourceTimesAndStaysWritable)
{
    test::TTempHome home;
    home.Write("src/a.jpg", "abc");
    QFile::setPermissions(home.FilePath("src/a.jpg"), QFile::ReadOwner);
    const QString copy = home.FilePath("Works/Disk$001/x/a.jpg");
    ASSERT_TRUE(MakeLocalCopy(home.FilePath("src/a.jpg"), copy));
    EXPECT_TRUE(QFileInfo(copy).permissions() & QFile::WriteOwner);
    EXPECT_EQ(QFileInfo(copy).lastModified(), QFileInfo(home.FilePath("src/a.jpg")).lastModified());
    ASSERT_TRUE(MakeLocalCopy(home.FilePath("src/a.jpg"), copy)); // over an existing copy
    EXPECT_FALSE(MakeLocalCopy(home.FilePath("src/none.jpg"), copy));
}

} // namespace

} // namespace korvatel
