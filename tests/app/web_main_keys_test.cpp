#include "app/client_session.h"
#include "app/ui/web_main.h"
#include "app_session.h"
#include "order/thumb_nails.h"
#include "ordering/print_order_start.h"
#include "platform/prompter.h"
#include "sources/ui/browser_panel.h"
#include "sources/ui/film_grid.h"
#include "sources/ui/source_panel.h"
#include "support/app_home.h"
#include "support/image_builders.h"
#include "text/sjis_file.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

// Ordering without the mouse: in the viewer tab, where a click on the film strip opens a
// photo, Space orders the focused one; Ctrl+Enter then goes to the order tab and starts the
// order, whose first step is the reminder to look through the basket.
TEST(TWebMainKeys, SpaceInTheStripOrdersTheFocusedPhotoAndCtrlEnterStartsTheOrder)
{
    test::TAppHome home;
    home.Write(QStringLiteral("Korvatel/Download/HostFmt.ini"),
        ReadWholeFile(QStringLiteral(KORVATEL_TEST_DATA "/pricing/HostFmt.ini")).value());
    for (int i = 0; i < 3; ++i)
        home.Write(
            QStringLiteral("Photos/p%1.jpg").arg(i), test::JpegBytes(test::PatternBitmap(64, 48)));
    TClientSession session = test::TestSession(home, true);
    TWebMain window(session);
    TScriptedPrompter prompter({ TModalResult::mrNo }); // the reminder: back to the basket
    test::ShowWindowQuietly(window, prompter);
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    window.Sources()->ListFolder(home.FilePath(QStringLiteral("Photos")));
    window.SelectTab(window.TabIndexOf(tmViewer));

    TFilmGrid *strip = window.Browser()->lvBrowser();
    strip->setFocus();
    QTest::keyClick(strip, Qt::Key_Right);
    QTest::keyClick(strip, Qt::Key_Right);
    ASSERT_EQ(strip->CurrentIndex(), 1);
    QTest::keyClick(strip, Qt::Key_Space);
    ASSERT_EQ(window.Orders().Count(), 1);
    EXPECT_TRUE(strip->List()->Item(1).inOrder);
    EXPECT_EQ(window.Orders().Item(0)->FullPath, home.FilePath(QStringLiteral("Photos/p1.jpg")));
    QTest::keyClick(strip, Qt::Key_Space); // a second press takes it out again
    EXPECT_EQ(window.Orders().Count(), 0);
    QTest::keyClick(strip, Qt::Key_Space);

    QTest::keyClick(strip, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(window.Mode(), tmOrder);
    EXPECT_EQ(prompter.Texts(), QStringList { BrowseReminderQuestion() });
    EXPECT_EQ(window.Orders().Count(), 1);
}

} // namespace

} // namespace korvatel
