#include "order/ui/order_panel.h"
#include "order/ui/thumb_grid.h"
#include "order_fixture.h"
#include "platform/prompter.h"
#include "support/image_builders.h"
#include "text/sjis_file.h"
#include "workspace/option_settings.h"
#include "workspace/shop_options.h"
#include "workspace/state_settings.h"
#include "workspace/workspace_settings.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

// The order panel on its own over a basket of three pictures of L, with the settings and hooks
// the main window would give it, the hooks recording what they were asked.
struct TPanelFixture {
    test::TTempHome home;
    TPriceTables tables = test::SizedShopTables();
    TThumbNails list;
    TStateSettings state;
    TDefaultSettings defaults;
    TShopOptions shop;
    TOption2Settings option2;
    TScriptedPrompter prompter;
    std::unique_ptr<TOrderPanel> panel;
    int changes = 0;
    int cleared = 0;
    int orderClicks = 0;
    QList<std::pair<double, double>> proportions;

    explicit TPanelFixture(bool online = true)
    {
        list.Context().tables = &tables;
        list.Context().works = home.FilePath(QStringLiteral("Works"));
        for (int i = 0; i < 3; ++i) {
            const QString name = QStringLiteral("Pictures/p%1.jpg").arg(i);
            home.Write(name, test::JpegBytes(test::PatternBitmap(64, 48)));
            list.AddPicture(1, home.FilePath(name), false, 1, QStringLiteral("L"));
        }
        list.Recount();
        defaults.DefSize = QStringLiteral("L");
        TOrderPanelSettings settings;
        settings.state = &state;
        settings.defaults = &defaults;
        settings.defaultPath = DefaultPath();
        settings.shopOptions = &shop;
        settings.option2 = &option2;
        settings.priceTables = &tables;
        settings.online = online;
        panel = std::make_unique<TOrderPanel>(list, settings);
        panel->SetPrompter(&prompter);
        panel->BasketChanged = [this] { ++changes; };
        panel->Cleared = [this] { ++cleared; };
        panel->OrderClick = [this] { ++orderClicks; };
        panel->FrameProportions = [this](double longSide, double shortSide) {
            proportions.append({ longSide, shortSide });
        };
        panel->ApplySettings();
        panel->resize(903, 600);
        panel->show();
    }

    QString DefaultPath() const { return home.FilePath(QStringLiteral("Default.ini")); }
    template <typename T> T *Child(const char *name) const
    {
        return panel->findChild<T *>(QString::fromLatin1(name));
    }
};

} // namespace

TEST(TOrderPanel, KeepsTheNamesAndOrderOfTheOrderBar)
{
    TPanelFixture f;
    EXPECT_EQ(f.panel->objectName(), QStringLiteral("pnOrder"));
    ASSERT_NE(f.Child<QComboBox>("cbxDefSize"), nullptr);
    EXPECT_EQ(f.Child<QComboBox>("cbxDefSize")->currentText(), QStringLiteral("L"));
    EXPECT_EQ(f.Child<QSpinBox>("seDefCount")->value(), 1);
    // "無補正" shows only where the shop offers correction.
    EXPECT_FALSE(f.Child<QCheckBox>("cbNoHosei")->isVisible());
    const int clear = f.Child<QPushButton>("sbClear")->geometry().left();
    EXPECT_LT(clear, f.Child<QPushButton>("sbOrder")->geometry().left());
    EXPECT_EQ(f.panel->Grid()->parentWidget()->objectName(), QStringLiteral("pnOrderGrid"));
}

TEST(TOrderPanel, ClearAsksThenEmptiesTheBasket)
{
    TPanelFixture f;
    f.prompter.Answer(TModalResult::mrCancel);
    QTest::mouseClick(f.Child<QPushButton>("sbClear"), Qt::LeftButton);
    EXPECT_EQ(f.list.Count(), 3);
    EXPECT_EQ(f.cleared, 0);
    f.prompter.Answer(TModalResult::mrOk);
    QTest::mouseClick(f.Child<QPushButton>("sbClear"), Qt::LeftButton);
    EXPECT_EQ(f.list.Count(), 0);
    EXPECT_EQ(f.cleared, 1);
    EXPECT_EQ(f.prompter.Texts(),
        QStringList(2, QStringLiteral("全ての注文画像を削除します。よろしいですか？")));
    // An empty basket asks nothing more.
    QTest::mouseClick(f.Child<QPushButton>("sbClear"), Qt::LeftButton);
    EXPECT_EQ(f.prompter.Shown().size(), 2);
    EXPECT_EQ(f.prompter.Unexpected(), 0);
}

TEST(TOrderPanel, OfflineClearRefuses)
{
    TPanelFixture f(false);
    QTest::mouseClick(f.Child<QPushButton>("sbClear"), Qt::LeftButton);
    EXPECT_EQ(f.prompter.Texts(),
        QStringList { QStringLiteral("OFF-LINEです。注文内容は変更できません。") });
    EXPECT_EQ(f.list.Count(), 3);
    EXPECT_EQ(f.cleared, 0);
}

TEST(TOrderPanel, TheOrderButtonGoesToTheHook)
{
    TPanelFixture f;
    QTest::mouseClick(f.Child<QPushButton>("sbOrder"), Qt::LeftButton);
    EXPECT_EQ(f.orderClicks, 1);
}

TEST(TOrderPanel, ANewDefaultSizeIsSavedAndShapesTheTrimmingFrame)
{
    TPanelFixture f;
    // The size of Default.ini is shown at once; its print is 127 × 89 mm.
    ASSERT_EQ(f.proportions.size(), 1);
    EXPECT_EQ(f.proportions.last(), std::make_pair(127.0, 89.0));
    f.Child<QComboBox>("cbxDefSize")->setCurrentText(QStringLiteral("2L"));
    EXPECT_EQ(f.defaults.DefSize, QStringLiteral("2L"));
    EXPECT_EQ(f.proportions.last(), std::make_pair(178.0, 127.0));
    TDefaultSettings saved;
    saved.Load(f.DefaultPath(), { QStringLiteral("L"), QStringLiteral("2L") }, false);
    EXPECT_EQ(saved.DefSize, QStringLiteral("2L"));
    f.Child<QSpinBox>("seDefCount")->setValue(4);
    const TToggleDefaults toggle = f.panel->ToggleDefaults();
    EXPECT_EQ(toggle.count, 4);
    EXPECT_EQ(toggle.size, QStringLiteral("2L"));
}

TEST(TOrderPanel, TheMenuCommandsChangeTheSettingsAndReachThePopup)
{
    TPanelFixture f;
    QMenu menu;
    f.panel->BuildMenu(&menu);
    EXPECT_EQ(f.panel->PopupMenu()->actions(), menu.actions());
    auto command = [&f](const char *name) {
        return f.panel->findChild<QAction *>(QString::fromLatin1(name));
    };
    ASSERT_NE(command("miThumbSort2"), nullptr);
    command("miThumbSort2")->trigger();
    EXPECT_EQ(f.state.ThumbSortType, 2);
    command("miThumbAscending")->trigger(); // checked at start: now descending
    EXPECT_TRUE(f.state.ThumbDeSort);
    command("miGridType1")->trigger();
    EXPECT_EQ(f.state.OrderPlateType, 1);
    command("miCopyBtn2")->trigger();
    EXPECT_EQ(f.state.CopyBtnTypeIndex, 2);
    EXPECT_EQ(f.panel->Grid()->CopyKind(), CopyKindOfIndex(2));
}

TEST(TOrderPanel, AChangeOfTheListReachesTheWindowUntilThePanelIsGone)
{
    TPanelFixture f;
    const int before = f.changes;
    f.list.Delete(0);
    f.list.Recount();
    EXPECT_GT(f.changes, before);
    f.panel.reset();
    f.list.Delete(0);
    f.list.Recount(); // no panel left to call
    EXPECT_EQ(f.list.Count(), 1);
}

TEST(TOrderPanel, ThePageBarShowsAndTurnsEveryPageOfALongBasket)
{
    TPanelFixture f;
    QScrollBar *bar = f.panel->PageBar();
    TThumbGrid *grid = f.panel->Grid();
    ASSERT_NE(bar, nullptr);
    QTest::qWait(10); // the first layout
    EXPECT_EQ(grid->PageCount(), 1);
    EXPECT_FALSE(bar->isEnabled()); // three pictures fit on one page

    for (int i = 3; i < 16; ++i) {
        const QString name = QStringLiteral("Pictures/p%1.jpg").arg(i);
        f.home.Write(name, test::JpegBytes(test::PatternBitmap(64, 48)));
        f.list.AddPicture(1, f.home.FilePath(name), false, 1, QStringLiteral("L"));
    }
    f.list.Recount();
    const int pages = grid->PageCount();
    ASSERT_GT(pages, 1);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_TRUE(bar->isEnabled());
    EXPECT_EQ(bar->maximum(), pages - 1);
    EXPECT_EQ(bar->value(), 0);

    // The bar turns the grid to the last page, where the last item is drawn.
    bar->setValue(pages - 1);
    EXPECT_EQ(grid->Page(), pages - 1);
    EXPECT_FALSE(grid->CellRect(15).isEmpty());
    // Keys on the grid move the bar with them.
    grid->PageUp();
    EXPECT_EQ(bar->value(), pages - 2);
}

} // namespace korvatel
