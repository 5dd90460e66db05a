#include "app/client_session.h"
#include "app/ui/basket_actions.h"
#include "app/ui/status_bars.h"
#include "app/ui/web_main.h"
#include "app_session.h"
#include "order/consistency.h"
#include "order/ui/order_panel.h"
#include "order/ui/thumb_grid.h"
#include "platform/prompter.h"
#include "sources/ui/browser_panel.h"
#include "sources/ui/drive_folder_model.h"
#include "sources/ui/source_panel.h"
#include "support/app_home.h"
#include "support/image_builders.h"

#include <QDir>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

namespace korvatel
{

// A card holding a picture of the basket is pulled out while its folder is listed: the
// browser empties, the basket keeps the item, the check lists it as vanished and the order
// grid shows it as missing; the picture of the home folder stays as it was.
TEST(TWebMainDrives, APulledCardEmptiesTheBrowserAndItsBasketPictureShowsMissing)
{
    test::TAppHome home(QStringLiteral("E=removable"));
    const QByteArray jpeg = test::JpegBytes(test::PatternBitmap(320, 240));
    ASSERT_TRUE(home.Write(QStringLiteral("drives/E/DCIM/a.jpg"), jpeg));
    ASSERT_TRUE(home.Write(QStringLiteral("drives/E/DCIM/b.jpg"), jpeg));
    ASSERT_TRUE(home.Write(QStringLiteral("Photos/c.jpg"), jpeg));
    TClientSession session = test::TestSession(home, true);
    TWebMain window(session);
    TScriptedPrompter prompter;
    window.SetPrompter(&prompter);
    QList<QStringList> vanished;
    window.Basket().ShowProblems = [&vanished](const TConsistencyProblems &problems) {
        QStringList paths;
        for (const TThumbNail *item : problems.vanished)
            paths << item->FullPath;
        vanished << paths;
        return TProblemAnswer::paCancel;
    };
    window.Basket().PlaySound = [](const QString &) {};
    window.show();
    QCoreApplication::processEvents(); // the first idle moment

    const QString photos = home.FilePath(QStringLiteral("Photos"));
    const QString card = home.DriveRoot(u'E');
    window.Sources()->ListFolder(photos);
    window.BrowserClick(0, {}, false);
    window.Sources()->ChooseFolder(card + QStringLiteral("/DCIM"));
    window.Sources()->ListFolder(card + QStringLiteral("/DCIM"));
    ASSERT_EQ(window.Browser()->Film().Count(), 2);
    window.BrowserClick(0, {}, false);
    ASSERT_EQ(session.Orders().Count(), 2);
    const QString root = session.Workspace().Root();

    ASSERT_TRUE(QDir(card).removeRecursively());
    window.DrivesChanged(TDriveTable::Build(home.Path(), {}, {}));
    EXPECT_EQ(window.Browser()->Film().Count(), 0);
    EXPECT_EQ(window.Sources()->FolderModel()->rowCount(), 1);
    EXPECT_EQ(session.Workspace().Drives().Letters(), QStringLiteral("C"));
    EXPECT_EQ(session.Workspace().Root(), root);
    EXPECT_EQ(session.Orders().Count(), 2);

    window.Basket().RunConsistencyCheck(kCheckForced);
    EXPECT_EQ(vanished, QList<QStringList> { { card + QStringLiteral("/DCIM/a.jpg") } });

    window.SelectTab(window.TabIndexOf(tmOrder));
    TThumbGrid *grid = window.OrderPage()->Grid();
    grid->grab();
    EXPECT_TRUE(QTest::qWaitFor([grid] { return grid->PicturesPending() == 0; }, 20000));
    QCoreApplication::processEvents();
    grid->grab();
    for (int i = 0; i < session.Orders().Count(); ++i) {
        const TThumbNail *item = session.Orders().Item(i);
        const bool onCard = item->FullPath.startsWith(card);
        EXPECT_EQ(item->Broken, onCard ? 1 : 0) << item->FullPath.toStdString();
        EXPECT_EQ(grid->PictureShown(i), !onCard) << item->FullPath.toStdString();
    }
}

} // namespace korvatel
