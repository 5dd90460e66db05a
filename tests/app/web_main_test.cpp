#include "app/ui/web_main.h"

#include <QLabel>
#include <QStatusBar>
#include <gtest/gtest.h>

namespace korvatel
{

TEST(TWebMain, OfflineWindowShowsCaptionAndRedNotice)
{
    TWebMain window(false);
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
    TWebMain window(true);
    window.show();
    EXPECT_FALSE(window.lbOffline()->isVisible());
}

} // namespace korvatel
