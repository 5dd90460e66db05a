#include "cards/card_order.h"
#include "cards/layers.h"
#include "cards/plate_builder.h"
#include "cards/ui/card_page.h"
#include "cards/ui/card_stage.h"
#include "cards/ui/open_card_dialog.h"
#include "platform/prompter.h"
#include "support/temp_home.h"

#include <QAction>
#include <QApplication>
#include <QColorDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMenu>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace korvatel
{

namespace
{

// A layer set on a shown stage of 400 × 300 with one 100 × 50 picture at (50, 50), selected.
struct TStageFixture {
    TLayers layers;
    TScriptedPrompter prompter;
    TCardStage stage { layers, [this]() -> TPrompter & { return prompter; } };

    TStageFixture()
    {
        stage.resize(400, 300);
        stage.show();
        QCoreApplication::processEvents();
        layers.Add(TBitmap(100, 50), QStringLiteral("a.bmp"));
        layers.SetControl(0, QRect(50, 50, 100, 50));
        layers.Select(0, true);
    }

    void Send(QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::KeyboardModifiers mods)
    {
        const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
        QMouseEvent event(type, QPointF(p), stage.mapToGlobal(QPointF(p)),
            type == QEvent::MouseMove ? Qt::NoButton : button, buttons, mods);
        QApplication::sendEvent(&stage, &event);
    }
    // A left drag from one point to another, with the modifiers held throughout.
    void Drag(QPoint from, QPoint to, Qt::KeyboardModifiers mods = Qt::NoModifier,
        Qt::MouseButton button = Qt::LeftButton)
    {
        Send(QEvent::MouseButtonPress, from, button, mods);
        Send(QEvent::MouseMove, (from + to) / 2, button, mods);
        Send(QEvent::MouseMove, to, button, mods);
        Send(QEvent::MouseButtonRelease, to, button, mods);
    }
    QRect Control(int index = 0) { return layers.Layer(index)->Image().Control; }
};

// A card page with a plate of two windows: a white sheet keyed green in its left and right
// thirds, a frame behind each ("w1.bmp", "w2.bmp"), and three photos to put on it. The shop's
// design takes limit pictures.
struct TPlatePage {
    test::TTempHome home;
    TScriptedPrompter prompter;
    int limit = 2;
    int orders = 0;
    QStringList photos;
    std::unique_ptr<QMenu> menu;
    std::unique_ptr<TCardPage> page;

    TPlatePage()
    {
        TBitmap sheet(40, 30);
        sheet.Fill({ 255, 255, 255 });
        for (int y = 3; y < 27; ++y)
            for (int x = 4; x < 36; ++x)
                if (x < 16 || x >= 24)
                    sheet.SetPixel(x, y, { 0, 255, 0 });
        TBitmap stand(10, 10);
        stand.Fill({ 128, 128, 128 });
        home.Write(QStringLiteral("card.ksp"),
            test::PlateBuilder()
                .preview(TBitmap(40, 30))
                .layer(sheet, "0:0:1:1", 0x00FF00, "sheet.bmp")
                .layer(stand, "0.05:0.05:0.45:0.95", -1, "w1.bmp")
                .layer(stand, "0.55:0.05:0.95:0.95", -1, "w2.bmp")
                .build());
        for (int i = 0; i < 3; ++i) {
            photos << home.FilePath(QStringLiteral("photo%1.bmp").arg(i));
            TBitmap(30, 20).ToImage().save(photos.last(), "BMP");
        }
        Open();
        page->OpenFile(home.FilePath(QStringLiteral("card.ksp")));
    }

    // The page as the program makes it, reopening the stored card.
    void Open()
    {
        page.reset(); // the page stores the card as it closes
        menu = std::make_unique<QMenu>();
        page = std::make_unique<TCardPage>(TCardPageValues {
            home.FilePath(QStringLiteral("PostCard/EditCard.ini")), home.Path() });
        page->SetPrompter(&prompter);
        page->PictureLimitOf = [this](const QString &plate) {
            return plate == QLatin1String("card.ksp") ? limit : -1;
        };
        page->OrderRequested = [this] { ++orders; };
        page->BuildMenu(menu.get());
        page->SetActive(true);
        page->resize(600, 450);
        page->show();
        QCoreApplication::processEvents();
    }

    // The middle of window 0 (left) or 1 (right) on the stage.
    QPoint Window(int i) const
    {
        const QSize stage = page->Stage()->size();
        return { stage.width() * (i == 0 ? 1 : 3) / 4, stage.height() / 2 };
    }
    void Drop(int photo, int window)
    {
        page->Stage()->DropFiles({ photos[photo] }, Window(window));
    }
    void Order() { page->findChild<QAction *>(QStringLiteral("miCardOrder"))->trigger(); }
    QStringList Names() const
    {
        QStringList names;
        for (int i = 0; i < page->Layers().Count(); ++i)
            names << QFileInfo(page->Layers().Layer(i)->FileName).fileName();
        return names;
    }
};

} // namespace

TEST(TCardPage, TheStageTakesNoMorePhotosThanTheDesignAllows)
{
    TPlatePage f;
    f.limit = 1;
    f.Drop(0, 0);
    f.Drop(1, 1); // one more than the design takes
    EXPECT_FALSE(f.page->OpenFile(f.photos[2]));
    f.Drop(2, 0); // a photo in place of the first leaves one
    EXPECT_EQ(f.Names(), (QStringList { "sheet.bmp", "photo2.bmp", "w2.bmp" }));
    EXPECT_EQ(f.prompter.Texts(),
        (QStringList { TCardPage::PictureLimitText(1), TCardPage::PictureLimitText(1) }));
    EXPECT_EQ(
        TCardPage::PictureLimitText(1), QStringLiteral("この台紙に置ける画像は 1 個までです。"));
}

// A card saved while the design took two pictures and reopened when it takes one.
TEST(TCardPage, PicturesBeyondTheDesignAreNamedAndSelectedBeforeTheOrder)
{
    TPlatePage f;
    f.Drop(0, 0);
    f.Drop(1, 1);
    f.limit = 1;
    f.Open();
    f.Order();
    EXPECT_EQ(f.orders, 0);
    EXPECT_EQ(f.prompter.Texts(), QStringList { ExtraPicturesText({ f.photos[1] }) });
    EXPECT_TRUE(f.prompter.Texts().value(0).endsWith(QStringLiteral("\r\nphoto1.bmp")));
    ASSERT_EQ(f.Names(), (QStringList { "sheet.bmp", "photo0.bmp", "photo1.bmp" }));
    EXPECT_FALSE(f.page->Layers().Layer(1)->Selected);
    EXPECT_TRUE(f.page->Layers().Layer(2)->Selected);
}

TEST(TCardPage, DeleteAndBackspaceRemoveTheSelectedObject)
{
    TPlatePage f;
    for (const Qt::Key key : { Qt::Key_Delete, Qt::Key_Backspace }) {
        f.page->Layers().SelectNone();
        f.page->Layers().Select(1, true);
        QTest::keyClick(f.page->Stage(), key);
    }
    EXPECT_EQ(f.Names(), QStringList { "sheet.bmp" });
}

TEST(TCardPage, AnEmptyWindowIsAskedAboutBeforeTheOrder)
{
    TPlatePage f;
    f.Drop(0, 0);
    f.prompter.Answer(TModalResult::mrNo);
    f.Order(); // the plate's picture is still in the right window
    EXPECT_EQ(f.orders, 0);
    f.Drop(1, 1);
    f.Order();
    EXPECT_EQ(f.orders, 1);
    f.page->Layers().SelectNone();
    f.page->Layers().Select(2, true);
    f.page->DeleteSelected(); // the right window is a hole now
    f.prompter.Answer(TModalResult::mrYes);
    f.Order();
    EXPECT_EQ(f.orders, 2);
    ASSERT_EQ(f.prompter.Shown().size(), 2);
    for (const TPrompt &asked : f.prompter.Shown()) {
        EXPECT_EQ(asked.text, TCardPage::EmptyWindowQuestion());
        EXPECT_EQ(asked.buttons, mbYes | mbNo | mbSafeDefault);
    }
    EXPECT_EQ(f.prompter.Unexpected(), 0);
}

TEST(TCardStage, CornerDragKeepsTheAspectUnlessCtrlIsHeld)
{
    TStageFixture f;
    // The bottom-right corner pulled 40 right and 10 down: width (140 + 60) / 1.5, height half.
    f.Drag({ 148, 98 }, { 188, 108 });
    EXPECT_EQ(f.Control().topLeft(), QPoint(50, 50));
    EXPECT_NEAR(f.Control().width(), 133, 1);
    EXPECT_NEAR(f.Control().height(), f.Control().width() / 2, 1);

    f.layers.SetControl(0, QRect(50, 50, 100, 50));
    f.Drag({ 148, 98 }, { 188, 108 }, Qt::ControlModifier);
    EXPECT_EQ(f.Control(), QRect(50, 50, 140, 60));
    EXPECT_TRUE(f.prompter.Shown().isEmpty());
}

TEST(TCardStage, AllSelectedLayersFollowAMove)
{
    TStageFixture f;
    f.layers.Add(TBitmap(40, 40), QStringLiteral("b.bmp"));
    f.layers.SetControl(1, QRect(250, 150, 40, 40));
    f.layers.Select(1, true);
    f.Drag({ 100, 75 }, { 130, 95 });
    EXPECT_EQ(f.Control(0), QRect(80, 70, 100, 50));
    EXPECT_EQ(f.Control(1), QRect(280, 170, 40, 40));
    // Relative positions follow the controls, so a resized stage keeps the card.
    EXPECT_NEAR(f.layers.Layer(1)->Image().Rel.left, 280.0 / 400, 1e-3);
}

TEST(TCardStage, PullingAnEdgeOverAsksAboutTheMirroredPicture)
{
    TStageFixture f;
    f.prompter.Answer(TModalResult::mrNo);
    // The right edge dragged 160 to the left, past the left edge.
    f.Drag({ 148, 75 }, { -12, 75 }, Qt::ControlModifier);
    EXPECT_EQ(f.prompter.Texts(),
        QStringList { QStringLiteral("左右と反転しています。反転画像を使用しますか？") });
    EXPECT_FALSE(f.layers.Layer(0)->Image().MirrorLeftRight());
    EXPECT_GT(f.Control().width(), 0);
}

TEST(TCardStage, ShiftClickTogglesAndTheBandSelects)
{
    TStageFixture f;
    f.layers.Add(TBitmap(40, 40), QStringLiteral("b.bmp"));
    f.layers.SetControl(1, QRect(250, 150, 40, 40));
    f.Drag({ 260, 160 }, { 260, 160 }, Qt::ShiftModifier);
    EXPECT_TRUE(f.layers.Layer(0)->Selected);
    EXPECT_TRUE(f.layers.Layer(1)->Selected);
    // A band drawn on the empty stage around the second layer selects it alone.
    f.Drag({ 240, 140 }, { 300, 200 });
    EXPECT_FALSE(f.layers.Layer(0)->Selected);
    EXPECT_TRUE(f.layers.Layer(1)->Selected);
    EXPECT_TRUE(f.stage.Band().isEmpty());
}

TEST(TCardStage, RightDragZoomsWithCtrlOnly)
{
    TStageFixture f;
    f.Drag({ 100, 75 }, { 150, 75 }, Qt::NoModifier, Qt::RightButton);
    EXPECT_EQ(f.Control(), QRect(50, 50, 100, 50));
    f.Drag({ 100, 75 }, { 150, 75 }, Qt::ControlModifier, Qt::RightButton);
    EXPECT_EQ(f.Control().width(), 150);
    EXPECT_NEAR(f.Control().height(), 75, 1);
    f.layers.ToggleSizeLock(0);
    const QRect locked = f.Control();
    f.Drag({ 100, 75 }, { 150, 75 }, Qt::ControlModifier, Qt::RightButton);
    EXPECT_EQ(f.Control(), locked);
}

TEST(TCardStage, AMaskToolClickAddsAColourArea)
{
    TStageFixture f;
    f.layers.SetEditMode(emPickArea);
    f.Drag({ 60, 60 }, { 60, 60 });
    ASSERT_EQ(f.layers.Layer(0)->Image().Ops().size(), 1u);
    EXPECT_EQ(f.layers.Layer(0)->Image().Ops()[0].kind, mkColorArea);
    EXPECT_EQ(f.layers.EditMode(), emNormal);
}

TEST(TCardStage, APhotoDroppedOnALayerFillsIt)
{
    TStageFixture f;
    test::TTempHome home;
    TBitmap photo(60, 60);
    photo.Fill({ 0, 0, 255 });
    const QString file = home.FilePath(QStringLiteral("photo.bmp"));
    ASSERT_TRUE(photo.ToImage().save(file, "BMP"));
    QString failure;
    QObject::connect(
        &f.stage, &TCardStage::dropFailed, [&failure](const QString &m) { failure = m; });
    f.stage.DropFiles({ file }, QPoint(100, 75));
    EXPECT_TRUE(failure.isEmpty()) << qPrintable(failure);
    ASSERT_EQ(f.layers.Count(), 1);
    EXPECT_EQ(f.layers.Layer(0)->FileName, file);
    EXPECT_EQ(f.Control(), QRect(50, 50, 100, 50));
}

TEST(TCardPage, CommandsAreGreyWithTheirReason)
{
    test::TTempHome home;
    TCardPage page({ home.FilePath(QStringLiteral("EditCard.ini")), home.Path() });
    QMenu menu;
    page.BuildMenu(&menu);
    const auto command = [&page](const char *name) {
        return page.findChild<QAction *>(QString::fromLatin1(name));
    };
    ASSERT_NE(command("miCardDelete"), nullptr);
    EXPECT_FALSE(command("miCardDelete")->isEnabled());
    EXPECT_EQ(command("miCardDelete")->toolTip(), QStringLiteral("カード作成タブで使えます。"));

    page.SetActive(true);
    EXPECT_FALSE(command("miCardDelete")->isEnabled());
    EXPECT_EQ(command("miCardDelete")->toolTip(), QStringLiteral("オブジェクトがありません。"));
    EXPECT_TRUE(command("miCardOpen")->isEnabled());

    page.Layers().Add(TBitmap(10, 10), QStringLiteral("a.bmp"));
    page.Layers().Add(TBitmap(10, 10), QStringLiteral("b.bmp"));
    page.Layers().Select(0, true);
    page.UpdateCommands();
    EXPECT_TRUE(command("miCardDelete")->isEnabled());
    QAction *match = menu.findChild<QAction *>(QStringLiteral("miCardMatch"));
    ASSERT_NE(match, nullptr);
    EXPECT_FALSE(match->isEnabled());
    EXPECT_EQ(match->toolTip(), QStringLiteral("2つ以上のオブジェクトを選択してください。"));

    command("miCardSelectAll")->trigger();
    EXPECT_TRUE(match->isEnabled());
    command("miCardRotate90")->trigger();
    EXPECT_EQ(page.Layers().Layer(1)->Image().Rotation(), 90);
    // To the back, the selected layers keep their order behind the others.
    page.Layers().Add(TBitmap(10, 10), QStringLiteral("c.bmp"));
    command("miCardBack")->trigger();
    const auto names = [&page] {
        QStringList list;
        for (int i = 0; i < page.Layers().Count(); ++i)
            list << page.Layers().Layer(i)->FileName;
        return list;
    };
    EXPECT_EQ(names(), (QStringList { "c.bmp", "a.bmp", "b.bmp" }));
    command("miCardFront")->trigger();
    EXPECT_EQ(names(), (QStringList { "a.bmp", "b.bmp", "c.bmp" }));
    command("miCardDelete")->trigger();
    EXPECT_EQ(names(), QStringList { "c.bmp" });
}

TEST(TCardPage, TheCommandsDialogsAreAnsweredThroughTheirHook)
{
    test::TTempHome home;
    const QString picture = home.FilePath(QStringLiteral("wide.bmp"));
    ASSERT_TRUE(TBitmap(40, 10).ToImage().save(picture, "BMP"));
    TCardPage page({ home.FilePath(QStringLiteral("EditCard.ini")), home.Path() });
    QMenu menu;
    page.BuildMenu(&menu);
    page.SetActive(true);
    // Each dialog is given its answer and accepted, except when cancelling is asked for.
    bool cancel = false;
    QStringList shown;
    page.RunDialog = [&](QDialog &dialog) {
        shown << QString::fromLatin1(dialog.metaObject()->className());
        if (auto *open = qobject_cast<TOpenCardDialog *>(&dialog))
            open->SelectFile(picture);
        if (auto *angle = qobject_cast<QInputDialog *>(&dialog))
            angle->setDoubleValue(90);
        if (auto *colour = qobject_cast<QColorDialog *>(&dialog)) {
            EXPECT_EQ(colour->currentColor(), QColor(Qt::white));
            colour->setCurrentColor(Qt::blue);
        }
        return !cancel;
    };
    const auto trigger = [&page](const char *name) {
        page.findChild<QAction *>(QString::fromLatin1(name))->trigger();
    };
    trigger("miCardOpen");
    ASSERT_EQ(page.Layers().Count(), 1);
    page.Layers().Select(0, true);
    const auto width = [&page] { return page.Layers().Layer(0)->Image().Picture().Width(); };
    cancel = true;
    trigger("miCardRotateFree");
    trigger("miCardBaseColor");
    EXPECT_EQ(width(), 40);
    EXPECT_EQ(page.Layers().StageColor, 0xFFFFFFu);
    cancel = false;
    trigger("miCardRotateFree");
    trigger("miCardBaseColor");
    EXPECT_LT(width(), 20);
    EXPECT_EQ(page.Layers().StageColor, 0xFF0000u); // stored as 0x00BBGGRR
    EXPECT_EQ(shown,
        (QStringList { "korvatel::TOpenCardDialog", "QInputDialog", "QColorDialog", "QInputDialog",
            "QColorDialog" }));
}

TEST(TCardPage, TheCardSurvivesARestart)
{
    test::TTempHome home;
    const QString store = home.FilePath(QStringLiteral("PostCard/EditCard.ini"));
    QRectF rel;
    {
        TCardPage page({ store, home.Path() });
        page.resize(600, 400);
        page.show();
        QCoreApplication::processEvents();
        TBitmap red(30, 20);
        red.Fill({ 0, 0, 255 });
        page.Layers().Add(red, QStringLiteral("red.bmp"));
        page.Layers().Rotate(0, 90);
        const TRelRect r = page.Layers().Layer(0)->Image().Rel;
        rel = QRectF(QPointF(r.left, r.top), QPointF(r.right, r.bottom));
    } // the page saves as it closes
    TCardPage again({ store, home.Path() });
    ASSERT_EQ(again.Layers().Count(), 1);
    EXPECT_EQ(again.Layers().Layer(0)->FileName, QStringLiteral("red.bmp"));
    EXPECT_EQ(again.Layers().Layer(0)->Image().Rotation(), 90);
    EXPECT_NEAR(again.Layers().Layer(0)->Image().Rel.right, rel.right(), 1e-3);
}

} // namespace korvatel
