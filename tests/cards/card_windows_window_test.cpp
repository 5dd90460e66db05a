#include "cards/layers.h"
#include "cards/plate_builder.h"
#include "cards/ui/card_page.h"
#include "cards/ui/mask_form.h"
#include "cards/ui/open_card_dialog.h"
#include "platform/prompter.h"
#include "support/keyboard_check.h"
#include "support/temp_home.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

TBitmap Uniform(int w, int h, TBgr colour)
{
    TBitmap bitmap(w, h);
    bitmap.Fill(colour);
    return bitmap;
}

QStringList RowTexts(const QTableWidget *grid, int row)
{
    QStringList texts;
    for (int c = 0; c < grid->columnCount(); ++c)
        texts << grid->item(row, c)->text();
    return texts;
}

} // namespace

TEST(TOpenCardDialog, PlatePreviewAndItsFailures)
{
    test::TTempHome home;
    const QByteArray plate = test::PlateBuilder()
                                 .preview(Uniform(4, 3, { 0, 0, 255 }))
                                 .layer(Uniform(8, 8, { 0, 255, 0 }), "0:0:1:1", 65280)
                                 .layer(Uniform(6, 6, { 255, 0, 0 }), "0.1:0.1:0.5:0.5")
                                 .build();
    ASSERT_TRUE(home.Write(QStringLiteral("card.ksp"), plate));
    ASSERT_TRUE(home.Write(QStringLiteral("untagged.ksp"), "NotAPlate" + plate.mid(23)));
    ASSERT_TRUE(
        home.Write(QStringLiteral("endless.ksp"), plate.left(23) + "Title\nSize=3;Ext=BMP;"));

    TScriptedPrompter prompter;
    TOpenCardDialog dialog(home.Path(), [&prompter]() -> TPrompter & { return prompter; });
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("KSPデータの読み込み"));
    EXPECT_EQ(TOpenCardDialog::Filters().first(), QStringLiteral("Korvatel Plate(*.ksp)"));

    dialog.SelectFile(home.FilePath(QStringLiteral("card.ksp")));
    EXPECT_EQ(dialog.lbSize()->text(), QStringLiteral("(4×3)"));
    EXPECT_TRUE(dialog.btPreview()->isEnabled());
    EXPECT_FALSE(dialog.imgPreview()->pixmap().isNull());

    dialog.SelectFile(home.FilePath(QStringLiteral("untagged.ksp")));
    EXPECT_FALSE(dialog.btPreview()->isEnabled());
    EXPECT_TRUE(dialog.lbSize()->text().isEmpty());
    dialog.SelectFile(home.FilePath(QStringLiteral("endless.ksp")));
    EXPECT_EQ(prompter.Texts(),
        (QStringList { QStringLiteral("読めないデータです。書式がありません。"),
            QStringLiteral("書式ヘッダが壊れています。終端マーカーがありません。") }));

    // The page opens the chosen plate: its two layers, the first in front.
    TCardPage page({ home.FilePath(QStringLiteral("EditCard.ini")), home.Path() });
    page.SetPrompter(&prompter);
    page.resize(500, 400);
    page.show();
    QCoreApplication::processEvents();
    ASSERT_TRUE(page.OpenFile(home.FilePath(QStringLiteral("card.ksp"))));
    ASSERT_EQ(page.Layers().Count(), 2);
    EXPECT_EQ(page.Layers().Layer(0)->Image().TransparentColor, 65280u);
    EXPECT_DOUBLE_EQ(page.Aspect(), 4.0 / 3.0);
    EXPECT_FALSE(page.OpenFile(home.FilePath(QStringLiteral("untagged.ksp"))));
    EXPECT_EQ(page.Layers().Count(), 2);
}

TEST(TMaskForm, RowsPerKindInReverseOrderAndTheirEditing)
{
    TLayers layers(QSize(400, 300));
    layers.Add(Uniform(200, 100, { 10, 20, 30 }), QStringLiteral("/photos/a.bmp"));
    layers.Add(Uniform(50, 50, { 0, 0, 0 }), QStringLiteral("/photos/plain.bmp"));
    layers.AddColorArea(0, 255, QPointF(0.5, 0.5));
    layers.AddProtect(0, QRectF(QPointF(0.1, 0.2), QPointF(0.3, 0.4)));
    layers.AddColorArea(0, 65280, QPointF(0.25, 0.75));
    layers.AddRectColor(0, QRectF(QPointF(0, 0), QPointF(0.5, 0.5)), 16711680);
    layers.AddWholeColor(0, 0);

    TMaskForm form(layers);
    form.show();
    QCoreApplication::processEvents();
    ASSERT_EQ(form.tcLayers()->count(), 1);
    EXPECT_EQ(form.tcLayers()->tabText(0), QStringLiteral("    a.bmp"));
    QTableWidget *grid = form.sgMask();
    EXPECT_EQ(grid->horizontalHeaderItem(0)->text(), QStringLiteral("W200×H100"));
    ASSERT_EQ(grid->rowCount(), 5);
    const QString none = QStringLiteral("---");
    EXPECT_EQ(RowTexts(grid, 0),
        (QStringList { QStringLiteral("2|色域 65280"), "32", "50", "75", none, none }));
    EXPECT_EQ(RowTexts(grid, 1),
        (QStringList { QStringLiteral("1|色域 255"), "32", "100", "50", none, none }));
    EXPECT_EQ(RowTexts(grid, 2),
        (QStringList { QStringLiteral("1|矩形 16711680"), "32", "0", "0", "100", "50" }));
    EXPECT_EQ(RowTexts(grid, 3),
        (QStringList { QStringLiteral("1|全域 0"), "32", none, none, none, none }));
    EXPECT_EQ(RowTexts(grid, 4),
        (QStringList { QStringLiteral("1|保護"), none, "20", "20", "60", "40" }));
    // A colour area's coordinates cannot be edited, its level can.
    EXPECT_FALSE(grid->item(0, 2)->flags() & Qt::ItemIsEditable);
    EXPECT_FALSE(grid->item(4, 1)->flags() & Qt::ItemIsEditable);

    // Up raises the level by one, within 255; "更新" takes it back into the operation.
    grid->setFocus();
    grid->setCurrentCell(0, 1);
    QTest::keyClick(grid, Qt::Key_Up);
    EXPECT_EQ(grid->item(0, 1)->text(), QStringLiteral("33"));
    grid->item(4, 4)->setText(QStringLiteral("999"));
    EXPECT_TRUE(form.UpdateClick());
    const TMaskOps &ops = layers.Layer(0)->Image().Ops();
    EXPECT_EQ(NthMaskOp(ops, mkColorArea, 1)->level, 33);
    EXPECT_DOUBLE_EQ(NthMaskOp(ops, mkProtect, 0)->x2, 1.0); // cut to the picture's width
    EXPECT_FALSE(form.UpdateClick());

    grid->setCurrentCell(3, 0);
    form.btDelete()->click();
    EXPECT_EQ(CountMaskOps(layers.Layer(0)->Image().Ops(), MaskKindBit(mkWholeColor)), 0);
    EXPECT_EQ(grid->rowCount(), 4);

    // A tool button holds its edit mode while down; Esc ends it.
    form.ToolButton(emProtect)->click();
    EXPECT_EQ(layers.EditMode(), emProtect);
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_EQ(layers.EditMode(), emNormal);
    EXPECT_FALSE(form.ToolButton(emProtect)->isChecked());

    form.btDeleteAll()->click();
    EXPECT_EQ(form.tcLayers()->count(), 0);
    EXPECT_TRUE(form.lbNone()->isVisible());
}

} // namespace korvatel
