#include "text/key_file.h"
#include "text/sjis_file.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace korvatel
{

TEST(TKeyFile, OnlyTheExactWordTrueIsTrue)
{
    const TKeyFile keys({ QStringLiteral("A=TRUE"), QStringLiteral("B=true"), QStringLiteral("C=1"),
        QStringLiteral("D=FALSE"), QStringLiteral("E=false") });
    EXPECT_TRUE(keys.Bool(QStringLiteral("A")));
    EXPECT_FALSE(keys.Bool(QStringLiteral("B")));
    EXPECT_FALSE(keys.Bool(QStringLiteral("C")));
    EXPECT_FALSE(keys.Bool(QStringLiteral("Missing")));
    // Keys whose default is true: anything but the exact word FALSE, a missing key included.
    EXPECT_TRUE(keys.BoolDefaultTrue(QStringLiteral("B")));
    EXPECT_TRUE(keys.BoolDefaultTrue(QStringLiteral("E")));
    EXPECT_TRUE(keys.BoolDefaultTrue(QStringLiteral("Missing")));
    EXPECT_FALSE(keys.BoolDefaultTrue(QStringLiteral("D")));
}

TEST(TKeyFile, FirstMatchingNameWinsAndValuesKeepTheirEquals)
{
    TKeyFile keys({ QStringLiteral("Url=http://x/?a=1"), QStringLiteral("url=second"),
        QStringLiteral("UrlLong=no"), QStringLiteral("=empty name") });
    EXPECT_EQ(keys.Value(QStringLiteral("URL")), QStringLiteral("http://x/?a=1"));
    EXPECT_EQ(keys.Value(QString()), QStringLiteral("empty name"));
    EXPECT_EQ(keys.Value(QStringLiteral("Ur")), QString());

    TKeyFile exact({ QStringLiteral("prcNet|L=19") }, Qt::CaseSensitive);
    EXPECT_EQ(exact.Value(QStringLiteral("prcNet|L")), QStringLiteral("19"));
    EXPECT_EQ(exact.Value(QStringLiteral("PRCNET|L")), QString());

    keys.SetValue(QStringLiteral("url"), QStringLiteral("new"));
    EXPECT_EQ(keys.Lines().at(0), QStringLiteral("url=new"));
    keys.SetBool(QStringLiteral("Flag"), false);
    EXPECT_EQ(keys.Lines().last(), QStringLiteral("Flag=FALSE"));
    keys.Remove(QStringLiteral("URL"));
    EXPECT_EQ(keys.Value(QStringLiteral("url")), QStringLiteral("second"));
}

TEST(TKeyFile, NumbersFallBackWhenMissingOrNotNumbers)
{
    const TKeyFile keys({ QStringLiteral("NailHeights=120"), QStringLiteral("MaxZoom=abc"),
        QStringLiteral("FilmColor=$FF"), QStringLiteral("Rate=0.05") });
    EXPECT_EQ(keys.Integer(QStringLiteral("NailHeights"), 80), 120);
    EXPECT_EQ(keys.Integer(QStringLiteral("MaxZoom"), 300), 300);
    EXPECT_EQ(keys.Integer(QStringLiteral("Interval"), 1000), 1000);
    EXPECT_EQ(keys.Integer(QStringLiteral("FilmColor"), 0), 255);
    EXPECT_DOUBLE_EQ(keys.Number(QStringLiteral("Rate"), 0), 0.05);
}

TEST(TKeyFile, BareWordsAndFileRoundTrip)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Option.ini"));
    TKeyFile keys({ QStringLiteral("JPG"), QStringLiteral("LAN"), QStringLiteral("MinSize=10"),
        QStringLiteral("店=ｶﾒﾗ屋") });
    ASSERT_TRUE(keys.Save(path));

    TKeyFile loaded;
    ASSERT_TRUE(loaded.Load(path));
    EXPECT_EQ(loaded.Lines(), keys.Lines());
    EXPECT_TRUE(loaded.HasWord(QStringLiteral("lan")));
    EXPECT_FALSE(loaded.HasWord(QStringLiteral("BMP")));
    EXPECT_EQ(loaded.Value(QStringLiteral("店")), QStringLiteral("ｶﾒﾗ屋"));

    EXPECT_FALSE(loaded.Load(dir.filePath(QStringLiteral("missing.ini"))));
    EXPECT_TRUE(loaded.Lines().isEmpty());
}

} // namespace korvatel
