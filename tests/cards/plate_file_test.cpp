#include "cards/layers.h"
#include "cards/plate_file.h"
#include "plate_builder.h"
#include "support/image_builders.h"
#include "support/temp_home.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

const TBgr kRed { 0, 0, 255 };
const TBgr kGreen { 0, 255, 0 };
const TBgr kBlue { 255, 0, 0 };

} // namespace

TEST(TPlateFile, PreviewAloneAddsNoLayer)
{
    const QByteArray bytes = test::PlateBuilder().preview(test::UniformBitmap(4, 3, kRed)).build();
    const TPlateRead read = ReadPlate(bytes);
    ASSERT_EQ(read.error, plOk);
    EXPECT_TRUE(read.plate.layers.empty());
    EXPECT_EQ(DecodePlateBlock(read.plate.preview), test::UniformBitmap(4, 3, kRed));
    TLayers layers(QSize(200, 300));
    EXPECT_EQ(layers.LoadPlate(read.plate).added, 0);
    EXPECT_EQ(layers.Count(), 0);
}

TEST(TPlateFile, ThreeBlocksStackFirstInFront)
{
    const QByteArray bytes
        = test::PlateBuilder()
              .layer(test::UniformBitmap(4, 4, kRed), "0:0:0.5:0.5", 16711935, "a.bmp")
              .layer(test::UniformBitmap(4, 4, kGreen), "0.25:0.5:0.75:1", -1, "b.bmp")
              .layer(test::UniformBitmap(4, 4, kBlue), "0:0:1", -1, "c.bmp")
              .build();
    const TPlateRead read = ReadPlate(bytes);
    ASSERT_EQ(read.error, plOk);
    ASSERT_EQ(read.plate.layers.size(), 3u);
    EXPECT_EQ(read.plate.layers[0].mskc, 16711935u);
    EXPECT_EQ(read.plate.layers[1].mskc, kNoColor);
    EXPECT_EQ(read.plate.layers[2].rect, (TRelRect { 0, 0, 1, 0 })); // a missing number is 0

    int added = 0;
    TLayers layers(QSize(200, 400));
    layers.Events.layersChanged = [&] { ++added; };
    EXPECT_EQ(layers.LoadPlate(read.plate).added, 3);
    EXPECT_EQ(added, 3);
    EXPECT_EQ(layers.Layer(0)->FileName, QStringLiteral("a.bmp"));
    EXPECT_EQ(layers.Layer(0)->Image().Display().Pixel(0, 0), kRed);
    EXPECT_EQ(layers.Layer(2)->Image().Display().Pixel(0, 0), kBlue);
    EXPECT_EQ(layers.Layer(0)->Image().TransparentColor, 16711935u);
    EXPECT_EQ(layers.Layer(1)->Image().Control, QRect(50, 200, 100, 200));
}

TEST(TPlateFile, DamagedFilesGiveTheirMessages)
{
    QByteArray bytes
        = test::PlateBuilder().layer(test::UniformBitmap(2, 2, kRed), "0:0:1:1").build();
    QByteArray badTag = bytes;
    badTag[0] = 'k';
    EXPECT_EQ(ReadPlate(badTag).error, plNoTag);
    EXPECT_EQ(ReadPlate(bytes.left(20)).error, plNoTag);
    EXPECT_EQ(PlateErrorText(plNoTag), QStringLiteral("読めないデータです。書式がありません。"));

    QByteArray noMarker = bytes;
    noMarker.replace('\r', '\n');
    EXPECT_EQ(ReadPlate(noMarker).error, plNoEndMarker);
    EXPECT_EQ(PlateErrorText(plNoEndMarker),
        QStringLiteral("書式ヘッダが壊れています。終端マーカーがありません。"));
    // Blocks that run past the end of the data are refused the same way.
    EXPECT_EQ(ReadPlate(bytes.left(bytes.size() - 1)).error, plNoEndMarker);
    EXPECT_TRUE(ReadPlate(bytes.left(bytes.size() - 1)).plate.layers.empty());
}

TEST(TPlateFile, UnknownExtLeavesTheLayerWithoutPicture)
{
    const QByteArray bytes
        = test::PlateBuilder()
              .layer(test::UniformBitmap(2, 2, kRed), "0:0:1:1", -1, "x.png", "PNG")
              .build();
    const TPlateRead read = ReadPlate(bytes);
    ASSERT_EQ(read.plate.layers.size(), 1u);
    TLayers layers(QSize(100, 100));
    EXPECT_EQ(layers.LoadPlate(read.plate).added, 1);
    EXPECT_TRUE(layers.Layer(0)->Image().Picture().Empty());
    EXPECT_TRUE(
        RenderCard(layers, QSize(10, 10)) == test::UniformBitmap(10, 10, { 255, 255, 255 }));
}

TEST(TPlateFile, FarReachingPlacesAreBoundedAndDrawnInPart)
{
    // A place of 1e300 is kept to a hundred cards; drawing it scales only the visible part.
    const QByteArray bytes
        = test::PlateBuilder().layer(test::UniformBitmap(4, 4, kRed), "-1e300:0:1e300:100").build();
    const TPlateRead read = ReadPlate(bytes);
    ASSERT_EQ(read.plate.layers.size(), 1u);
    EXPECT_EQ(read.plate.layers[0].rect, (TRelRect { -100, 0, 100, 100 }));
    TLayers layers(QSize(100, 100));
    layers.LoadPlate(read.plate);
    const TBitmap card = RenderCard(layers, QSize(300, 400));
    EXPECT_EQ(card.Pixel(150, 200), kRed);
}

TEST(TPlateFile, LoadFileTakesPlatesByExtensionAndPicturesOtherwise)
{
    test::TTempHome home;
    ASSERT_TRUE(home.Write(QStringLiteral("card.KSP"),
        test::PlateBuilder().layer(test::UniformBitmap(2, 2, kRed), "0:0:1:1").build()));
    ASSERT_TRUE(home.Write(QStringLiteral("bad.ksp"), "KorvatelCardEitor=........ no marker"));
    ASSERT_TRUE(
        home.Write(QStringLiteral("photo.bmp"), SaveDIBToStream(test::UniformBitmap(8, 4, kBlue))));
    ASSERT_TRUE(home.Write(QStringLiteral("broken.bmp"), "BM but nothing more"));
    TLayers layers(QSize(400, 400));
    EXPECT_EQ(layers.LoadFile(home.FilePath(QStringLiteral("card.KSP"))).added, 1);
    const TLayerLoad bad = layers.LoadFile(home.FilePath(QStringLiteral("bad.ksp")));
    EXPECT_EQ(bad.added, 0);
    EXPECT_EQ(bad.message, PlateErrorText(plNoEndMarker));
    EXPECT_EQ(layers.LoadFile(home.FilePath(QStringLiteral("photo.bmp"))).added, 1);
    EXPECT_EQ(layers.Layer(1)->Image().Control, QRect(0, 0, 100, 50));
    EXPECT_EQ(layers.LoadFile(home.FilePath(QStringLiteral("broken.bmp"))).added, 0);
    EXPECT_EQ(layers.LoadFile(home.FilePath(QStringLiteral("missing.bmp"))).added, 0);
    EXPECT_EQ(layers.Count(), 2);
}

TEST(TPlateFile, LargeJpegLayersDecodeAtPrintSizeWithinThePlateCap)
{
    // 8000 × 6000 of one colour is a few hundred kilobytes as a JPEG but 144 MB decoded.
    const QByteArray jpeg = test::JpegBytes(test::UniformBitmap(8000, 6000, kRed));
    test::PlateBuilder builder;
    for (int i = 0; i < 3; ++i)
        builder.layerData(jpeg, "0:0:1:1", "JPG");
    const TPlateRead read = ReadPlate(builder.build());
    ASSERT_EQ(read.error, plOk);

    TLayers layers(QSize(400, 300)); // display limit 1600: a quarter still reaches it
    const TLayerLoad load = layers.LoadPlate(read.plate);
    EXPECT_EQ(load.plateError, plOk);
    ASSERT_EQ(load.added, 3);
    EXPECT_EQ(layers.Layer(0)->Image().Picture().Width(), 2000);
    EXPECT_EQ(layers.Layer(0)->Image().Picture().Height(), 1500);
    const TBgr middle = RenderCard(layers, QSize(40, 30)).Pixel(20, 15);
    EXPECT_LE(std::abs(middle.r - kRed.r) + std::abs(middle.g - kRed.g), 8);

    // At half size the three layers need 36 million pixels, beyond the plate's cap.
    TLayers larger(QSize(400, 300));
    larger.SetDisplayLimit(4000);
    const TLayerLoad refused = larger.LoadPlate(read.plate);
    EXPECT_EQ(refused.plateError, plTooLarge);
    EXPECT_EQ(refused.message, PlateErrorText(plTooLarge));
    EXPECT_EQ(larger.Count(), 0);
}

TEST(TPlateFile, PreviewOnlyStopsAfterThePreview)
{
    const QByteArray bytes = test::PlateBuilder()
                                 .preview(test::UniformBitmap(3, 2, kGreen))
                                 .layer(test::UniformBitmap(2, 2, kRed), "0:0:1:1")
                                 .build();
    const TPlateRead read = ReadPlate(bytes, true);
    ASSERT_EQ(read.error, plOk);
    EXPECT_TRUE(read.plate.layers.empty());
    EXPECT_EQ(DecodePlateBlock(read.plate.preview).Width(), 3);
}

} // namespace korvatel
