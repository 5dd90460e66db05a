#include "platform/launchers.h"
#include "support/temp_home.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace korvatel
{

using test::TTempHome;

namespace
{

// A home with a program file at bin/<name>, and the launcher that starts it.
class LaunchersTest : public ::testing::Test
{
protected:
    TTempHome home;
    TUserFolders folders = TUserFolders::FromEnvironment();

    TShopLauncher Launcher(const QString &shopId, const QString &programName)
    {
        EXPECT_TRUE(home.Write(QStringLiteral("bin/") + programName, "program"));
        return { shopId, QStringLiteral("Korvatel") + shopId,
            home.FilePath(QStringLiteral("bin/") + programName), {}, QStringLiteral("korvatel") };
    }
    QString InMenu(const QString &shopId) const
    {
        return home.FilePath(
            QStringLiteral(".local/share/applications/") + LauncherFileName(shopId));
    }
    QString OnDesktop(const QString &shopId) const
    {
        return home.FilePath(QStringLiteral("Desktop/") + LauncherFileName(shopId));
    }
    QString Text(const QString &path) const
    {
        return QString::fromUtf8(ReadWholeFile(path).value_or(QByteArray()));
    }
};

} // namespace

TEST(ShopLauncher, FileNamesAndExecArgumentsAreSafe)
{
    EXPECT_EQ(
        LauncherFileName(QStringLiteral("1234")), QStringLiteral("korvatel-shop-1234.desktop"));
    EXPECT_EQ(
        LauncherFileName(QStringLiteral("Shop-A")), QStringLiteral("korvatel-shop-Shop-A.desktop"));
    // Slashes, dots and Japanese never reach the file name as they are.
    EXPECT_EQ(LauncherFileName(QStringLiteral("../x")),
        QStringLiteral("korvatel-shop-_2e_2e_2fx.desktop"));
    EXPECT_EQ(LauncherFileName(QStringLiteral("写真")),
        QStringLiteral("korvatel-shop-_5199_771f.desktop"));

    EXPECT_EQ(QuoteExecArgument(QStringLiteral("/usr/bin/korvatel")),
        QStringLiteral("/usr/bin/korvatel"));
    EXPECT_EQ(QuoteExecArgument(QStringLiteral("/home/u/My Desktop/Korvatel1234")),
        QStringLiteral("\"/home/u/My Desktop/Korvatel1234\""));
    EXPECT_EQ(QuoteExecArgument(QStringLiteral("a\"b$c`d\\e")),
        QStringLiteral("\"a\\\"b\\$c\\`d\\\\e\""));
    EXPECT_EQ(QuoteExecArgument(QStringLiteral("100%")), QStringLiteral("100%%"));
    EXPECT_EQ(QuoteExecArgument(QString()), QStringLiteral("\"\""));
}

TEST(ShopLauncher, EntryEscapesTheExecLineOnceMore)
{
    const TShopLauncher launcher { QStringLiteral("TEL 03"), QStringLiteral("Shop\nX"),
        QStringLiteral("/opt/a b\\c/korvatel"), { QStringLiteral("TEL 03") }, {} };
    const QString text = QString::fromUtf8(DesktopEntryText(launcher));
    EXPECT_TRUE(text.startsWith(QStringLiteral("[Desktop Entry]\nType=Application\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\nName=Shop\\nX\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\nTryExec=/opt/a b\\\\c/korvatel\n")));
    // Quoting gives "/opt/a b\\c/korvatel"; the string escaping doubles both backslashes.
    EXPECT_TRUE(
        text.contains(QStringLiteral("\nExec=\"/opt/a b\\\\\\\\c/korvatel\" \"TEL 03\"\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\nX-Korvatel-Shop=TEL 03\n")));
    EXPECT_FALSE(text.contains(QStringLiteral("Icon=")));
}

TEST_F(LaunchersTest, WritesExecutableLaunchersInTheMenuAndOnTheDesktop)
{
    QStringList trusted;
    const TShopLauncher launcher = Launcher(QStringLiteral("1234"), QStringLiteral("Korvatel1234"));
    const QStringList written = WriteShopLaunchers(
        launcher, folders, [&trusted](const QString &path) { trusted << path; });
    EXPECT_EQ(written,
        QStringList({ InMenu(QStringLiteral("1234")), OnDesktop(QStringLiteral("1234")) }));
    EXPECT_EQ(trusted, QStringList({ OnDesktop(QStringLiteral("1234")) }));
    for (const QString &path : written) {
        EXPECT_TRUE(QFileInfo(path).isExecutable()) << path.toStdString();
        EXPECT_EQ(Text(path), QString::fromUtf8(DesktopEntryText(launcher)));
    }
    EXPECT_TRUE(
        Text(written.first()).contains(QStringLiteral("\nExec=") + launcher.program + u'\n'));
    EXPECT_TRUE(Text(written.first()).contains(QStringLiteral("\nIcon=korvatel\n")));

    // Written again over a read-only old one, it is replaced.
    QFile::setPermissions(written.first(), QFile::ReadOwner);
    TShopLauncher renamed = launcher;
    renamed.name = QStringLiteral("Renamed");
    EXPECT_EQ(WriteShopLaunchers(renamed, folders).size(), 2);
    EXPECT_TRUE(Text(written.first()).contains(QStringLiteral("\nName=Renamed\n")));
}

TEST_F(LaunchersTest, RemovesOnlyOwnLaunchersWhoseProgramIsGone)
{
    WriteShopLaunchers(Launcher(QStringLiteral("1234"), QStringLiteral("Korvatel1234")), folders);
    WriteShopLaunchers(Launcher(QStringLiteral("5678"), QStringLiteral("Korvatel5678")), folders);
    // Another program's launcher with a missing program, and one of ours without TryExec.
    ASSERT_TRUE(home.Write(QStringLiteral("Desktop/other.desktop"),
        "[Desktop "
        "Entry]\nType=Application\nName=Other\nTryExec=/nowhere/other\nExec=/nowhere/other\n"));
    ASSERT_TRUE(home.Write(QStringLiteral("Desktop/korvatel-shop-old.desktop"),
        "[Desktop Entry]\nType=Application\nName=Old\nExec=/nowhere/x\nX-Korvatel-Shop=old\n"));
    // The marker counts in the main group alone.
    ASSERT_TRUE(home.Write(QStringLiteral("Desktop/action.desktop"),
        "[Desktop Entry]\nName=A\nTryExec=/nowhere/a\n[Desktop Action x]\nX-Korvatel-Shop=1\n"));

    EXPECT_TRUE(RemoveStaleLaunchers(folders).isEmpty());
    ASSERT_TRUE(QFile::remove(home.FilePath(QStringLiteral("bin/Korvatel1234"))));
    EXPECT_EQ(RemoveStaleLaunchers(folders),
        QStringList({ InMenu(QStringLiteral("1234")), OnDesktop(QStringLiteral("1234")) }));
    EXPECT_TRUE(QFileInfo::exists(OnDesktop(QStringLiteral("5678"))));
    EXPECT_TRUE(QFileInfo::exists(home.FilePath(QStringLiteral("Desktop/other.desktop"))));
    EXPECT_TRUE(
        QFileInfo::exists(home.FilePath(QStringLiteral("Desktop/korvatel-shop-old.desktop"))));
    EXPECT_TRUE(QFileInfo::exists(home.FilePath(QStringLiteral("Desktop/action.desktop"))));

    EXPECT_EQ(RemoveShopLaunchers(QStringLiteral("5678"), folders),
        QStringList({ InMenu(QStringLiteral("5678")), OnDesktop(QStringLiteral("5678")) }));
}

TEST_F(LaunchersTest, IconComesFromTheInstallationOrTheResources)
{
    // No icon installed beside the program: the built-in one is written for the user.
    const QString userIcon
        = home.FilePath(QStringLiteral(".local/share/icons/hicolor/scalable/apps/korvatel.svg"));
    EXPECT_EQ(LauncherIcon(home.FilePath(QStringLiteral("bin")), folders), userIcon);
    EXPECT_TRUE(Text(userIcon).contains(QStringLiteral("<svg")));

    // An installation under a prefix other than /usr is named by its path.
    ASSERT_TRUE(
        home.Write(QStringLiteral("opt/share/icons/hicolor/scalable/apps/korvatel.svg"), "<svg/>"));
    EXPECT_EQ(LauncherIcon(home.FilePath(QStringLiteral("opt/bin")), folders),
        home.FilePath(QStringLiteral("opt/share/icons/hicolor/scalable/apps/korvatel.svg")));
}

} // namespace korvatel
