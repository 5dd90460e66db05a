#include "cards/pre_order.h"
#include "cards/ui/card_page.h"
#include "cards/ui/card_stage.h"
#include "cards/ui/image_panel_view.h"
#include "imaging/picture.h"
#include "platform/prompter.h"
#include "support/temp_home.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMouseEvent>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

// A 200 × 100 picture in a temporary home, and a shown 400 × 300 sheet.
struct TPanelFixture {
    test::TTempHome home;
    QString picture = home.FilePath(QStringLiteral("wide.bmp"));
    QWidget sheet;

    TPanelFixture()
    {
        TBitmap bitmap(200, 100);
        bitmap.Fill({ 0, 0, 255 });
        EXPECT_TRUE(SavePicture(picture, bitmap, false));
        sheet.resize(400, 300);
        sheet.show();
        QCoreApplication::processEvents();
    }

    TImagePanelView *Make(QRect frame, const QString &file)
    {
        TImagePanel panel;
        panel.fileName = file;
        panel.frame = frame;
        panel.inner = QRect(QPoint(0, 0), frame.size());
        auto *view = new TImagePanelView(panel, &sheet);
        view->show();
        return view;
    }
};

void Send(QWidget *w, QEvent::Type type, QPoint p, Qt::MouseButton button)
{
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent event(type, QPointF(p), w->mapToGlobal(QPointF(p)),
        type == QEvent::MouseMove ? Qt::NoButton : button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

// A drag by the mouse from a point of the frame; the frame moves under the mouse, so the
// points are given against where the frame was at the start.
void Drag(QWidget *w, QPoint from, QPoint by, Qt::MouseButton button = Qt::LeftButton)
{
    const QPoint start = w->pos();
    Send(w, QEvent::MouseButtonPress, from, button);
    Send(w, QEvent::MouseMove, from + start - w->pos() + by / 2, button);
    Send(w, QEvent::MouseMove, from + start - w->pos() + by, button);
    Send(w, QEvent::MouseButtonRelease, from + start - w->pos() + by, button);
}

void Wheel(QWidget *w, QPoint p, int notchesDown, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QWheelEvent event(QPointF(p), w->mapToGlobal(QPointF(p)), QPoint(),
        QPoint(0, -120 * notchesDown), Qt::NoButton, mods, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &event);
}

} // namespace

TEST(TImagePanelView, TheMouseMovesAndSizesTheFrameAndThePictureInside)
{
    TPanelFixture f;
    TImagePanelView *view = f.Make(QRect(100, 100, 100, 50), f.picture);
    ASSERT_TRUE(view->HasPicture());
    EXPECT_EQ(view->Panel().pictureSize, QSize(200, 100));
    int changes = 0;
    QObject::connect(view, &TImagePanelView::changed, [&changes] { ++changes; });

    // Inside: the frame moves, the picture stays put in it.
    Drag(view, { 50, 25 }, { 30, 20 });
    EXPECT_EQ(view->geometry(), QRect(130, 120, 100, 50));
    EXPECT_EQ(view->Panel().inner, QRect(0, 0, 100, 50));
    // The bottom-right border pulled far up and left stops at the smallest frame.
    Drag(view, { 98, 48 }, { -200, -200 });
    EXPECT_EQ(view->geometry(), QRect(130, 120, 50, 50));
    // The left border pulled left: the picture stays where it was on the card.
    Drag(view, { 1, 25 }, { -20, 0 });
    EXPECT_EQ(view->geometry(), QRect(110, 120, 70, 50));
    EXPECT_EQ(view->Panel().inner, QRect(20, 0, 100, 50));
    // The right button moves the picture inside and opens no menu.
    Drag(view, { 30, 25 }, { -15, 5 }, Qt::RightButton);
    EXPECT_EQ(view->Panel().inner, QRect(5, 5, 100, 50));
    EXPECT_FALSE(view->Menu()->isVisible());
    EXPECT_EQ(changes, 4);

    // A wheel notch down zooms in about the mouse: 1 + 1/70 of 100 rounds up to 102.
    Wheel(view, { 5, 5 }, 1);
    EXPECT_EQ(view->Panel().inner, QRect(5, 5, 102, 51));
    // Zooming out until the picture would be narrower than 10 pixels stops before it.
    for (int i = 0; i < 400; ++i)
        Wheel(view, { 5, 5 }, -1, Qt::ShiftModifier);
    EXPECT_GE(view->Panel().inner.width(), kPanelMinInner);
    EXPECT_GE(view->Panel().inner.height(), kPanelMinInner);
    EXPECT_LT(view->Panel().inner.height(), 2 * kPanelMinInner);

    // A right click without movement opens the frame's menu.
    Send(view, QEvent::MouseButtonPress, { 20, 20 }, Qt::RightButton);
    Send(view, QEvent::MouseButtonRelease, { 20, 20 }, Qt::RightButton);
    EXPECT_TRUE(view->Menu()->isVisible());
    view->Menu()->hide();
    QStringList captions;
    for (QAction *a : view->Menu()->actions())
        if (!a->isSeparator())
            captions << a->text();
    EXPECT_EQ(captions.mid(0, 3),
        (QStringList { QStringLiteral("【枠】サイズ変更"), QStringLiteral("削除"),
            QStringLiteral("背面へ") }));
    EXPECT_EQ(view->toolTip(), TImagePanelView::HintText());

    // The keyboard: Shift+Right moves by 10 pixels, Delete asks for the frame to go.
    bool deleteAsked = false;
    QObject::connect(
        view, &TImagePanelView::deleteRequested, [&deleteAsked] { deleteAsked = true; });
    QTest::keyClick(view, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(view->pos(), QPoint(120, 120));
    QTest::keyClick(view, Qt::Key_Delete);
    EXPECT_TRUE(deleteAsked);

    // "【枠】サイズ変更" keeps the corner and the smallest and largest sizes.
    view->AskSize = [](QSize, QSize) { return std::optional<QSize>(QSize(10, 900)); };
    view->Menu()->findChild<QAction *>(QStringLiteral("miPanelSize"))->trigger();
    EXPECT_EQ(view->geometry(), QRect(120, 120, 50, 300));
}

TEST(TImagePanelView, RecordsPlaceTheFrameOnAStageOfAnySize)
{
    TPanelFixture f;
    TImagePanelView *view = f.Make(QRect(100, 60, 200, 150), f.picture);
    const QString record = view->Record();
    EXPECT_TRUE(record.contains(QStringLiteral("ex=25.0000")));
    EXPECT_TRUE(record.contains(QStringLiteral("eh=50.0000")));
    // Made before the stage has its size, then placed on a stage twice as large.
    QWidget unsized;
    TImagePanelView *again = TImagePanelView::FromRecord(record, &unsized);
    ASSERT_NE(again, nullptr);
    again->PlaceIn({ 800, 600 });
    EXPECT_EQ(again->geometry(), QRect(200, 120, 400, 300));
    EXPECT_EQ(again->Panel().inner, QRect(0, 0, 400, 300));
    EXPECT_EQ(TImagePanelView::FromRecord(QStringLiteral("C:/photo.jpg"), &unsized), nullptr);

    // A record pointing at a picture that is gone still shows its frame, captioned.
    TImagePanelView *lost = f.Make(QRect(0, 0, 80, 80), f.home.FilePath(QStringLiteral("x.jpg")));
    EXPECT_FALSE(lost->HasPicture());
    const QImage shown = lost->grab().toImage();
    EXPECT_EQ(shown.pixelColor(8, 8), QColor(0xF0, 0xF0, 0xF0)); // the grey ground
    // The border: red under the mouse or with the focus, grey otherwise.
    const QColor border = shown.pixelColor(1, 1);
    EXPECT_TRUE(border == QColor(255, 0, 0) || border == QColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(TImagePanelView::MissingCaption(), QStringLiteral("画像なし(要削除)"));

    // Entering a frame brings it in front of the others.
    view->raise();
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(lost, &enter);
    EXPECT_EQ(f.sheet.children().last(), lost);
}

TEST(TCardPage, ImageFramesGoWithTheCardAndItsPreOrder)
{
    TPanelFixture f;
    const QString store = f.home.FilePath(QStringLiteral("PostCard/EditCard.ini"));
    const QString preOrder = f.home.FilePath(QStringLiteral("PostCard/PreOrder.ini"));
    ASSERT_TRUE(QDir().mkpath(f.home.FilePath(QStringLiteral("PostCard"))));
    TPreOrder texts;
    texts.bun1 = QStringList { QStringLiteral("あけまして") };
    ASSERT_TRUE(WritePreOrder(preOrder, texts));
    QString record;
    {
        TScriptedPrompter prompter;
        TCardPage page({ store, f.home.Path(), preOrder });
        page.SetPrompter(&prompter);
        QMenu menu;
        page.BuildMenu(&menu);
        page.SetActive(true);
        page.resize(600, 400);
        page.show();
        QCoreApplication::processEvents();
        QAction *add = page.findChild<QAction *>(QStringLiteral("miCardPanelAdd"));
        ASSERT_NE(add, nullptr);
        EXPECT_TRUE(add->isEnabled());
        page.AskPictureFile = [&f] { return f.picture; };
        add->trigger();
        page.AskPictureFile = [&f] { return f.home.FilePath(QStringLiteral("card.ksp")); };
        add->trigger();
        EXPECT_EQ(
            prompter.Texts(), QStringList { QStringLiteral("プレートは画像枠に入れられません。") });
        ASSERT_EQ(page.ImagePanels().size(), 1);
        const TImagePanelView *view = page.ImagePanels().first();
        // In the top-left quarter, shaped like the 2:1 picture.
        EXPECT_EQ(view->geometry().topLeft(), QPoint(0, 0));
        EXPECT_EQ(view->width(), 2 * view->height());
        record = view->Record();
        EXPECT_EQ(page.CardPictures(), QStringList { record });
        // The card as sent has the picture without the frame's border.
        const QImage card = page.CardImage();
        EXPECT_EQ(card.pixelColor(1, 1), QColor(255, 0, 0));
        EXPECT_TRUE(page.SaveNow());
    }
    const std::optional<TPreOrder> kept = ReadPreOrder(preOrder);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->pictures, QStringList { record });
    EXPECT_EQ(kept->bun1, texts.bun1);
    EXPECT_EQ(PreOrderPicturePath(record), f.picture);

    TCardPage again({ store, f.home.Path(), preOrder });
    again.resize(600, 400);
    again.show();
    QCoreApplication::processEvents();
    ASSERT_EQ(again.ImagePanels().size(), 1);
    EXPECT_EQ(again.ImagePanels().first()->Record(), record);
    // "削除" takes the frame off the card.
    again.ImagePanels()
        .first()
        ->Menu()
        ->findChild<QAction *>(QStringLiteral("miPanelDelete"))
        ->trigger();
    EXPECT_TRUE(again.ImagePanels().isEmpty());
    EXPECT_TRUE(again.CardPictures().isEmpty());
}

} // namespace korvatel
