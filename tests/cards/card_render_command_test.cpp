#include "cli/cli.h"
#include "imaging/dib.h"
#include "plate_builder.h"
#include "support/image_builders.h"
#include "support/temp_home.h"
#include "text/sjis_file.h"

#include <QTextStream>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

const TBgr kMagenta { 255, 0, 255 };
const TBgr kSheet { 200, 220, 240 };
const TBgr kRed { 0, 0, 255 };
const TBgr kBlue { 255, 0, 0 };

struct TRun {
    int status;
    QString out;
    QString err;
};

TRun RunCard(const QStringList &args)
{
    QString out, err;
    QTextStream o(&out), e(&err);
    const int status = RunCli(args, o, e);
    o.flush();
    e.flush();
    return { status, out, err };
}

// A 40 × 60 front sheet with two magenta windows, (4, 4)–(20, 28) and (20, 32)–(36, 56) as
// fractions of the card, and two grey frame layers behind the windows.
QByteArray TwoWindowPlate()
{
    TBitmap sheet = test::UniformBitmap(40, 60, kSheet);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 40; ++x)
            if ((x >= 4 && x < 20 && y >= 4 && y < 28) || (x >= 20 && x < 36 && y >= 32 && y < 56))
                sheet.SetPixel(x, y, kMagenta);
    const TBitmap grey = test::UniformBitmap(8, 8, { 128, 128, 128 });
    return test::PlateBuilder()
        .layer(sheet, "0:0:1:1", 0xFF00FF, "sheet.bmp")
        .layer(grey, "0.1:0.0666666:0.5:0.4666666", -1, "frame1.bmp")
        .layer(grey, "0.5:0.5333333:0.9:0.9333333", -1, "frame2.bmp")
        .build();
}

} // namespace

TEST(CardRenderCommand, PicturesFillTheFramesBehindThePlate)
{
    test::TTempHome home;
    ASSERT_TRUE(home.Write(QStringLiteral("plate.ksp"), TwoWindowPlate()));
    ASSERT_TRUE(
        home.Write(QStringLiteral("red.bmp"), SaveDIBToStream(test::UniformBitmap(30, 20, kRed))));
    ASSERT_TRUE(home.Write(
        QStringLiteral("blue.bmp"), SaveDIBToStream(test::UniformBitmap(20, 30, kBlue))));
    const QString out = home.FilePath(QStringLiteral("card.bmp"));
    const TRun run = RunCard({ QStringLiteral("card"), QStringLiteral("render"),
        home.FilePath(QStringLiteral("plate.ksp")), home.FilePath(QStringLiteral("red.bmp")),
        home.FilePath(QStringLiteral("blue.bmp")), QStringLiteral("--out"), out,
        QStringLiteral("--size"), QStringLiteral("200x300") });
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("200x300")));

    const TBitmap card = LoadDIBFromStream(*ReadWholeFile(out));
    ASSERT_EQ(card.Width(), 200);
    ASSERT_EQ(card.Height(), 300);
    EXPECT_EQ(card.Pixel(5, 5), kSheet); // the sheet's border
    EXPECT_EQ(card.Pixel(60, 80), kRed); // inside the first window
    EXPECT_EQ(card.Pixel(140, 220), kBlue); // inside the second
    EXPECT_EQ(card.Pixel(140, 80), kSheet);
}

TEST(CardRenderCommand, BadPlatesAndCommandLinesAreRefused)
{
    test::TTempHome home;
    ASSERT_TRUE(home.Write(QStringLiteral("bad.ksp"), "KorvatelCardEditor=...................."));
    const QString out = home.FilePath(QStringLiteral("card.jpg"));
    TRun run = RunCard({ QStringLiteral("card"), QStringLiteral("render"),
        home.FilePath(QStringLiteral("bad.ksp")), QStringLiteral("--out"), out });
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("読めないデータです。書式がありません。")));

    ASSERT_TRUE(home.Write(QStringLiteral("plate.ksp"), TwoWindowPlate()));
    run = RunCard({ QStringLiteral("card"), QStringLiteral("render"),
        home.FilePath(QStringLiteral("plate.ksp")), QStringLiteral("a.bmp"),
        QStringLiteral("b.bmp"), QStringLiteral("c.bmp"), QStringLiteral("--out"), out });
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(
        RunCard({ QStringLiteral("card"), QStringLiteral("render"), QStringLiteral("x.ksp"),
                    QStringLiteral("--out"), out, QStringLiteral("--size"), QStringLiteral("0x5") })
            .status,
        2);
    EXPECT_EQ(RunCard({ QStringLiteral("card"), QStringLiteral("print") }).status, 2);
    EXPECT_EQ(RunCard({ QStringLiteral("card"), QStringLiteral("--help") }).status, 0);

    // Without --size the card is a postcard at 300 dpi.
    run = RunCard({ QStringLiteral("card"), QStringLiteral("render"),
        home.FilePath(QStringLiteral("plate.ksp")), QStringLiteral("--out"), out });
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("1181x1748")));
}

} // namespace korvatel
