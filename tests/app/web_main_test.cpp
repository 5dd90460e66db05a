#include "app/client_session.h"
#include "app/ui/web_main.h"
#include "app_home.h"
#include "text/sjis_file.h"

#include <QLabel>
#include <QSplitter>
#include <QStatusBar>
#include <gtest/gtest.h>

namespace korvatel
{

using test::TAppHome;

namespace
{

TClientSession Session(const TAppHome &home, bool online)
{
    TWorkspace workspace = home.Workspace();
    workspace.PrepareWorkspace();
    TEntryResult entry;
    entry.proceed = true;
    entry.shopId = QStringLiteral("1234");
    TStartupResult startup;
    startup.proceed = true;
    startup.online = online;
    return TClientSession(workspace, entry, startup);
}

} // namespace

TEST(TWebMain, OfflineWindowShowsCaptionAndRedNotice)
{
    TAppHome home;
    TClientSession session = Session(home, false);
    TWebMain window(session);
    window.show();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Korvatel"));
    ASSERT_NE(window.lbOffline(), nullptr);
    EXPECT_TRUE(window.lbOffline()->isVisible());
    EXPECT_EQ(window.lbOffline()->text(), QStringLiteral("オフラインです。注文操作はできません。"));
    const QImage shot = window.grab().toImage();
    EXPECT_FALSE(shot.isNull());
    EXPECT_GE(shot.width(), 640);
}

TEST(TWebMain, OnlineWindowHidesNotice)
{
    TAppHome home;
    TClientSession session = Session(home, true);
    TWebMain window(session);
    window.show();
    EXPECT_FALSE(window.lbOffline()->isVisible());
}

TEST(TWebMain, CloseSavesTheStateAndTheNextWindowRestoresIt)
{
    TAppHome home;
    ASSERT_TRUE(home.Write(
        QStringLiteral("Korvatel/SysData/State.ini"), "FolderWidth=333\r\nListDeSort=TRUE\r\n"));
    {
        TClientSession session = Session(home, false);
        TWebMain window(session);
        window.show();
        EXPECT_EQ(window.pnFolder()->width(), 333);
        EXPECT_EQ(session.State.ListDirection(), -1);
        window.close();
    }
    const QStringList lines
        = ReadSjisLines(home.FilePath(QStringLiteral("Korvatel/SysData/State.ini"))).value();
    EXPECT_TRUE(lines.contains(QStringLiteral("FolderWidth=333")));
    EXPECT_TRUE(lines.contains(QStringLiteral("ListDeSort=TRUE")));
    EXPECT_TRUE(lines.contains(QStringLiteral("NailHeights=80")));
    EXPECT_TRUE(QFileInfo::exists(home.FilePath(QStringLiteral("Korvatel/SysData/Option2.ini"))));
}

} // namespace korvatel
