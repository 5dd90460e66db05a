#include "cli/cli.h"
#include "imaging/dib.h"
#include "support/image_builders.h"
#include "support/temp_home.h"

#include <QImage>
#include <QTextStream>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

struct TCorrectRun {
    int status;
    QString out;
    QString err;
};

// A picture of one skin colour (red 150, green 100, blue 90) beside a file that is no picture.
class CorrectCommandTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.Write(QStringLiteral("skin.bmp"),
            SaveDIBToStream(test::UniformBitmap(8, 8, { 90, 100, 150 }))));
        ASSERT_TRUE(home.Write(QStringLiteral("broken.jpg"), "not a picture"));
    }

    TCorrectRun Run(QStringList args)
    {
        args.prepend(QStringLiteral("correct"));
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        const int status = RunCli(args, outStream, errStream);
        outStream.flush();
        errStream.flush();
        return { status, out, err };
    }
    QString File(const char *name) const { return home.FilePath(QLatin1String(name)); }

    test::TTempHome home;
};

TEST_F(CorrectCommandTest, SkinKindsAreMeasuredAndCorrectedTowardsTheirTarget)
{
    const QString png = File("out.png");
    const TCorrectRun red
        = Run({ File("skin.bmp"), QStringLiteral("--kind"), QStringLiteral("2"), png });
    ASSERT_EQ(red.status, 0) << red.err.toStdString();
    EXPECT_EQ(red.out, QStringLiteral("Scn|Typ=2|Frm=96645A\n"));
    // The measured skin colour becomes the red-emphasised target.
    EXPECT_EQ(QImage(png).pixelColor(3, 3), QColor(148, 104, 88));

    const TCorrectRun all = Run({ File("skin.bmp"), QStringLiteral("--kind"), QStringLiteral("4"),
        QStringLiteral("--rgb"), QStringLiteral("5,0,-3"), QStringLiteral("--density"),
        QStringLiteral("10"), QStringLiteral("--contrast"), QStringLiteral("20"), png });
    ASSERT_EQ(all.status, 0) << all.err.toStdString();
    EXPECT_EQ(all.out, QStringLiteral("Scn|Typ=4|Frm=96645A|Pnt=5:0:-3|Sft=10|Acl=20\n"));
}

TEST_F(CorrectCommandTest, OtherKindsChangeDensityOnlyAndAreNotMeasured)
{
    const QString png = File("out.png");
    const TCorrectRun shop = Run({ File("skin.bmp"), QStringLiteral("--kind"), QStringLiteral("0"),
        QStringLiteral("--density"), QStringLiteral("-10"), png });
    ASSERT_EQ(shop.status, 0) << shop.err.toStdString();
    EXPECT_EQ(shop.out, QStringLiteral("Sft=-10\n"));
    EXPECT_EQ(QImage(png).pixelColor(0, 0), QColor(140, 90, 80));
    const TCorrectRun none
        = Run({ File("skin.bmp"), QStringLiteral("--kind"), QStringLiteral("5"), png });
    EXPECT_EQ(none.out, QStringLiteral("Typ=5\n"));
    EXPECT_EQ(QImage(png).pixelColor(0, 0), QColor(150, 100, 90));
}

TEST_F(CorrectCommandTest, APictureThatCannotBeMeasuredChangesKindAndFails)
{
    const QString out = File("out.jpg");
    const TCorrectRun blue
        = Run({ File("broken.jpg"), QStringLiteral("--kind"), QStringLiteral("4"), out });
    EXPECT_EQ(blue.status, 1);
    EXPECT_EQ(blue.out, QStringLiteral("Typ=5\n"));
    EXPECT_TRUE(blue.err.contains(QStringLiteral("the kind becomes 5")));
    const TCorrectRun green
        = Run({ File("broken.jpg"), QStringLiteral("--kind"), QStringLiteral("3"), out });
    EXPECT_EQ(green.status, 1);
    EXPECT_EQ(green.out, QStringLiteral("\n"));
    EXPECT_TRUE(green.err.contains(QStringLiteral("the kind becomes 0")));
    EXPECT_FALSE(QFileInfo::exists(out));
    EXPECT_EQ(
        Run({ File("none.jpg"), QStringLiteral("--kind"), QStringLiteral("1"), out }).status, 1);
}

TEST_F(CorrectCommandTest, BadCommandLinesExitWithTwo)
{
    const QString skin = File("skin.bmp");
    const QString out = File("out.jpg");
    const QString kind = QStringLiteral("--kind");
    const QList<QStringList> wrong = { { skin, out }, { skin, kind, QStringLiteral("6"), out },
        { skin, kind, QStringLiteral("one"), out }, { skin, kind, QStringLiteral("1") },
        { skin, kind, QStringLiteral("1"), QStringLiteral("--rgb"), QStringLiteral("1,2"), out },
        { skin, kind, QStringLiteral("1"), QStringLiteral("--rgb"), QStringLiteral("1,2,21"), out },
        { skin, kind, QStringLiteral("1"), QStringLiteral("--density"), QStringLiteral("101"),
            out } };
    for (const QStringList &args : wrong) {
        const TCorrectRun run = Run(args);
        EXPECT_EQ(run.status, 2) << args.join(u' ').toStdString();
        EXPECT_FALSE(run.err.isEmpty());
    }
    EXPECT_FALSE(QFileInfo::exists(out));
    const TCorrectRun help = Run({ QStringLiteral("--help") });
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.startsWith(QStringLiteral("usage: korvatel-cli correct FILE --kind N")));
}

} // namespace

} // namespace korvatel
