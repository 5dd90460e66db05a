#include "cards/card_store.h"
#include "cards/layers.h"
#include "support/image_builders.h"
#include "support/temp_home.h"

#include <QFile>
#include <gtest/gtest.h>

namespace korvatel
{

TEST(TCardStore, SavedCardReopensAsItWas)
{
    test::TTempHome home;
    TLayers layers(QSize(300, 400));
    layers.Add(test::PatternBitmap(60, 40), QStringLiteral("C:\\写真\\a.jpg"));
    layers.Add(test::PatternBitmap(30, 50), QStringLiteral("b.bmp"));
    layers.SetControl(0, QRect(10, 20, 120, 80));
    layers.Mirror(0, true);
    layers.Rotate(0, 90);
    layers.AddColorArea(0, 0x102030, { 0.25, 0.5 });
    layers.AddProtect(0, QRectF(0.1, 0.1, 0.2, 0.3));
    layers.SetShowMask(0, false);
    layers.ToggleSizeLock(1);
    layers.SetFit(1, fmFillWidthBottom);
    layers.SetVisible(1, false);

    const QString key = home.FilePath(QStringLiteral("PostCard/EditCard.ini"));
    ASSERT_TRUE(SaveCard(layers, key));
    EXPECT_EQ(QFile(key).permissions(),
        QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    EXPECT_TRUE(QFile::exists(home.FilePath(QStringLiteral("PostCard/EditCard_1.bmp"))));

    TLayers back(QSize(300, 400));
    ASSERT_TRUE(LoadCard(back, key));
    ASSERT_EQ(back.Count(), 2);
    for (int i = 0; i < 2; ++i) {
        const TLayer &a = *layers.Layer(i);
        const TLayer &b = *back.Layer(i);
        EXPECT_EQ(b.FileName, a.FileName);
        EXPECT_EQ(b.Image().Picture(), a.Image().Picture());
        EXPECT_EQ(b.Image().Display(), a.Image().Display());
        EXPECT_EQ(b.Image().Control, a.Image().Control);
        EXPECT_EQ(b.Image().Ops(), a.Image().Ops());
        EXPECT_EQ(b.Image().TransparentColor, a.Image().TransparentColor);
        EXPECT_EQ(b.Image().ShowMask(), a.Image().ShowMask());
        EXPECT_EQ(b.Image().SizeLock, a.Image().SizeLock);
        EXPECT_EQ(b.Fit, a.Fit);
        EXPECT_EQ(b.Visible, a.Visible);
    }
    EXPECT_EQ(back.Layer(0)->Image().Rotation(), 90);
    EXPECT_TRUE(back.Layer(0)->Image().MirrorUpDown());

    // A save of fewer layers takes the stale picture away.
    layers.Delete(1);
    ASSERT_TRUE(SaveCard(layers, key));
    EXPECT_FALSE(QFile::exists(home.FilePath(QStringLiteral("PostCard/EditCard_1.bmp"))));
}

TEST(TCardStore, ParserRefusesStrangeFilesAndClampsValues)
{
    EXPECT_FALSE(ParseCardStore("something else\r\n"));
    EXPECT_FALSE(ParseCardStore("KorvatelCard=1\r\nLayers=9999\r\n"));
    EXPECT_FALSE(ParseCardStore("KorvatelCard=1\r\nLayers=1\r\nL0.Picture=../../etc/passwd\r\n"));
    const std::optional<TCardStore> store = ParseCardStore("KorvatelCard=1\r\nLayers=1\r\n"
                                                           "L0.Picture=x.bmp\r\nL0.Rotation=45\r\n"
                                                           "L0.Fit=9\r\nL0.Color=-3\r\nL0.Ops=2\r\n"
                                                           "L0.Op0=7,1,0,0,0,0,0\r\n"
                                                           "L0.Op1=1,999,0.5,2,inf,0.1,255\r\n");
    ASSERT_TRUE(store);
    ASSERT_EQ(store->layers.size(), 1u);
    const TCardStoreLayer &l = store->layers.front();
    EXPECT_EQ(l.rotation, 0);
    EXPECT_EQ(l.fit, 5);
    EXPECT_EQ(l.transparentColor, kNoColor);
    ASSERT_EQ(l.ops.size(), 1u);
    EXPECT_EQ(l.ops[0], (TMaskOp { mkRectColor, 255, 0.5, 1, 0, 0.1, 255 }));
}

} // namespace korvatel
