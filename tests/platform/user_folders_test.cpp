#include "platform/user_folders.h"
#include "support/temp_home.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace korvatel
{

TEST(TUserFolders, DefaultsDeriveFromTheHomeFolder)
{
    test::TTempHome home;
    const QString h = home.Path();
    const TUserFolders f = TUserFolders::FromEnvironment();
    EXPECT_EQ(f.home, h);
    EXPECT_EQ(f.windowsDir, h + QStringLiteral("/.config/korvatel/windows"));
    EXPECT_EQ(f.systemDir, h + QStringLiteral("/.config/korvatel/system"));
    EXPECT_EQ(f.appData, h + QStringLiteral("/.local/share"));
    EXPECT_EQ(f.desktop, h + QStringLiteral("/Desktop"));
    EXPECT_EQ(f.downloadCaches,
        QStringList({ h + QStringLiteral("/Downloads"),
            h + QStringLiteral("/.cache/mozilla/firefox"), h + QStringLiteral("/.cache/chromium"),
            h + QStringLiteral("/.cache/google-chrome") }));
    EXPECT_EQ(ConfigDir(), h + QStringLiteral("/.config/korvatel"));
    EXPECT_TRUE(QDir(h).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
        << "nothing is created on disk";
}

TEST(TUserFolders, XdgVariablesCountOnlyWhenAbsolute)
{
    QProcessEnvironment env;
    env.insert(QStringLiteral("HOME"), QStringLiteral("/nonexistent/home/"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), QStringLiteral("/nonexistent/conf/"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), QStringLiteral("data"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), QStringLiteral("/nonexistent/cache"));
    env.insert(QStringLiteral("TMPDIR"), QStringLiteral("/scratch/"));
    const TUserFolders f = TUserFolders::FromEnvironment(env);
    EXPECT_EQ(f.home, QStringLiteral("/nonexistent/home"));
    EXPECT_EQ(f.windowsDir, QStringLiteral("/nonexistent/conf/korvatel/windows"));
    EXPECT_EQ(f.appData, QStringLiteral("/nonexistent/home/.local/share"));
    EXPECT_EQ(f.temp, QStringLiteral("/scratch"));
    EXPECT_EQ(f.downloadCaches.value(2), QStringLiteral("/nonexistent/cache/chromium"));
    EXPECT_EQ(ConfigDir(env), QStringLiteral("/nonexistent/conf/korvatel"));
    env.insert(QStringLiteral("TMPDIR"), QString());
    EXPECT_EQ(TUserFolders::FromEnvironment(env).temp, QStringLiteral("/tmp"));
}

TEST(TUserFolders, DesktopAndDownloadsComeFromUserDirsOfTheConfigFolder)
{
    test::TTempHome home;
    ASSERT_TRUE(home.Write(QStringLiteral(".config/user-dirs.dirs"),
        "# written by xdg-user-dirs-update\n"
        "XDG_DESKTOP_DIR=\"$HOME/\xE3\x83\x87\xE3\x82\xB9\xE3\x82\xAF\"\n"
        "XDG_DOWNLOAD_DIR=\"/data/dl\"\n"));
    TUserFolders f = TUserFolders::FromEnvironment();
    EXPECT_EQ(f.desktop, home.Path() + QStringLiteral("/デスク"));
    EXPECT_EQ(f.downloadCaches.value(0), QStringLiteral("/data/dl"));

    ASSERT_TRUE(
        home.Write(QStringLiteral("conf/user-dirs.dirs"), "XDG_DESKTOP_DIR=\"$HOME/Top\"\n"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.FilePath(QStringLiteral("conf"))));
    f = TUserFolders::FromEnvironment();
    EXPECT_EQ(f.desktop, home.Path() + QStringLiteral("/Top"));
    EXPECT_EQ(f.downloadCaches.value(0), home.Path() + QStringLiteral("/Downloads"));
}

TEST(UserDirFromText, ReadsQuotedValuesLikeTheDesktopDoes)
{
    auto desktop = [](const char *text) {
        return UserDirFromText(
            QString::fromUtf8(text), QStringLiteral("XDG_DESKTOP_DIR"), QStringLiteral("/home/u"));
    };
    EXPECT_EQ(
        desktop("  XDG_DESKTOP_DIR = \"$HOME/My Desk\"  \r\n"), QStringLiteral("/home/u/My Desk"));
    EXPECT_EQ(desktop("XDG_DESKTOP_DIR=\"$HOME\""), QStringLiteral("/home/u"));
    EXPECT_EQ(desktop("XDG_DESKTOP_DIR=\"/d/a\\\"b\\\\c\""), QStringLiteral("/d/a\"b\\c"));
    EXPECT_EQ(desktop("XDG_DESKTOP_DIRS=\"/x\"\nXDG_DESKTOP_DIR=\"/y\""), QStringLiteral("/y"));
    for (const char *bad : { "#XDG_DESKTOP_DIR=\"/x\"", "XDG_DESKTOP_DIR=\"$HOMEX/a\"",
             "XDG_DESKTOP_DIR=\"Desktop\"", "XDG_DESKTOP_DIR=/x", "XDG_DESKTOP_DIR=\"/unclosed" })
        EXPECT_EQ(desktop(bad), QString()) << bad;
}

} // namespace korvatel
