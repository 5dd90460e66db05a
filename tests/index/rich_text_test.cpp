#include "index/rich_text.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

// The bounding box of the pixels that are not white.
QRect InkBox(const QImage &image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

QImage Drawn(const QString &rtf, const QSize &size = QSize(400, 200), double scale = 0.1)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    TRichText::Parse(rtf).Draw(painter, image.rect(), scale);
    return image;
}

} // namespace

TEST(TRichText, ReadsFontsSizesStylesAndColours)
{
    const TRichText text = TRichText::Parse(
        "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fnil\\fcharset128 "
        "\\'82\\'6c\\'82\\'72 \\'82\\'6f\\'83\\'53\\'83\\'56\\'83\\'62\\'83\\'4e;}"
        "{\\f1\\fswiss\\fcharset0 Arial;}}\r\n"
        "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}\r\n"
        "\\viewkind4\\uc1\\pard\\qc\\f1\\fs40 Big \\b bold\\b0  \\i\\ul it\\ulnone\\i0\\par\r\n"
        "\\pard\\qr\\li100\\ri200\\cf1\\f0\\fs20 \\'93\\'fa\\'96\\'7b\\cf2 x\\cf0 y\\par\r\n}");
    ASSERT_EQ(text.Lines().size(), 2);
    const TRichLine &first = text.Lines()[0];
    EXPECT_EQ(first.Text(), "Big bold it");
    EXPECT_EQ(first.align, TRichAlign::raCenter);
    ASSERT_EQ(first.runs.size(), 4);
    EXPECT_EQ(first.runs[0].format.fontName, "Arial");
    EXPECT_EQ(first.runs[0].format.pointSize, 20);
    EXPECT_FALSE(first.runs[0].format.bold);
    EXPECT_EQ(first.runs[1].text, "bold");
    EXPECT_TRUE(first.runs[1].format.bold);
    EXPECT_EQ(first.runs[2].text, " ");
    EXPECT_TRUE(first.runs[3].format.italic);
    EXPECT_TRUE(first.runs[3].format.underline);

    const TRichLine &second = text.Lines()[1];
    EXPECT_EQ(second.Text(), "日本xy");
    EXPECT_EQ(second.align, TRichAlign::raRight);
    EXPECT_EQ(second.leftIndent, 100);
    EXPECT_EQ(second.rightIndent, 200);
    EXPECT_EQ(second.runs[0].format.fontName, "ＭＳ Ｐゴシック");
    EXPECT_EQ(second.runs[0].format.charset, 128);
    EXPECT_EQ(second.runs[0].format.pointSize, 10);
    EXPECT_EQ(second.runs[0].format.color, QColor(255, 0, 0));
    EXPECT_EQ(second.runs[1].format.color, QColor(0, 0, 255));
    EXPECT_FALSE(second.runs[2].format.color.isValid());
}

TEST(TRichText, SkipsUnknownWordsAndIgnorableDestinations)
{
    const TRichText text = TRichText::Parse(
        "{\\rtf1{\\*\\generator Riched20;}{\\info{\\title secret}}\\unknownword12 a"
        "{\\*\\userprops hidden}\\~b\\{c\\}\\\\d\\tab e\\line f}");
    ASSERT_EQ(text.Lines().size(), 2);
    EXPECT_EQ(text.Lines()[0].Text(), QString("a\u00A0b{c}\\d\te"));
    EXPECT_EQ(text.Lines()[1].Text(), "f");
}

TEST(TRichText, UnicodeEscapesSkipTheirFallback)
{
    const TRichText text
        = TRichText::Parse("{\\rtf1 \\u26085?\\u26412\\'3f!\\uc2\\u-3?? end\\uc0\\u65 z}");
    EXPECT_EQ(text.PlainText(), QString("日本!") + QChar(0xFFFD) + " endAz");
}

TEST(TRichText, GroupsRestoreTheFormat)
{
    const TRichText text = TRichText::Parse("{\\rtf1 a{\\b b{\\i c}d}e\\plain\\fs30 f}");
    ASSERT_EQ(text.Lines().size(), 1);
    const QList<TRichRun> &runs = text.Lines()[0].runs;
    ASSERT_EQ(runs.size(), 6);
    EXPECT_FALSE(runs[0].format.bold);
    EXPECT_TRUE(runs[1].format.bold);
    EXPECT_TRUE(runs[2].format.bold && runs[2].format.italic);
    EXPECT_EQ(runs[3].text, "d");
    EXPECT_EQ(runs[3].format, runs[1].format);
    EXPECT_EQ(runs[4].format, runs[0].format);
    EXPECT_EQ(runs[5].text, "f");
    EXPECT_EQ(runs[5].format.pointSize, 15);
}

TEST(TRichText, DamagedInputGivesWhatCouldBeRead)
{
    EXPECT_EQ(TRichText::Parse("{\\rtf1 abc\\'4").PlainText(), "abc4");
    EXPECT_EQ(TRichText::Parse("{\\rtf1 abc}}}}{").PlainText(), "abc");
    EXPECT_EQ(TRichText::Parse("{\\rtf1 x\\fs99999999999999 y\\b").PlainText(), "xy");
    QString deep = "{\\rtf1 ";
    for (int i = 0; i < 100000; ++i)
        deep += "{";
    deep += "hidden";
    EXPECT_EQ(TRichText::Parse(deep + " tail").PlainText(), "");
    EXPECT_TRUE(TRichText::Parse("{\\rtf1 \\par}").Empty());
}

TEST(TRichText, PlainTextIsOneLinePerTextLine)
{
    const TRichText text = TRichText::Parse("Shop Korvatel\r\nTel 012-345");
    ASSERT_EQ(text.Lines().size(), 2);
    EXPECT_EQ(text.Lines()[1].Text(), "Tel 012-345");
    EXPECT_EQ(text.Lines()[0].runs[0].format.fontName, TRichText::DefaultFontName());
    EXPECT_TRUE(TRichText::Parse("").Empty());
}

TEST(TRichText, DrawsAlignedLinesOfTheirHeight)
{
    // 12 pt at 0.1 pixels per hundredth of a millimetre: trunc(0.1 × 12 × 2540 / 72) = 42.
    const QRect left = InkBox(Drawn("{\\rtf1\\fs24 MMMM\\par}"));
    const QRect centre = InkBox(Drawn("{\\rtf1\\qc\\fs24 MMMM\\par}"));
    const QRect right = InkBox(Drawn("{\\rtf1\\qr\\fs24 MMMM\\par}"));
    ASSERT_FALSE(left.isEmpty());
    EXPECT_LT(left.left(), 10);
    EXPECT_GT(right.right(), 390);
    EXPECT_NEAR(centre.center().x(), 200, 6);
    EXPECT_NEAR(left.width(), right.width(), 2);
    EXPECT_LT(left.bottom(), 42);
    EXPECT_GT(left.height(), 20);

    // The second line starts one line height (the first line's tallest character) lower.
    const QRect two = InkBox(Drawn("{\\rtf1\\fs24 M\\fs48 M\\par\\fs24 M\\par}"));
    const QRect firstOnly = InkBox(Drawn("{\\rtf1\\fs24 M\\fs48 M\\par}"));
    EXPECT_GT(two.bottom(), firstOnly.bottom() + 20);
    EXPECT_GE(two.bottom(), 84);

    // A left indent of 1440 twips is 2540 hundredths of a millimetre: 254 pixels here.
    EXPECT_NEAR(InkBox(Drawn("{\\rtf1\\li1440 M\\par}")).left(), 254, 4);
}

TEST(TRichText, DrawsInItsColourAndStaysInTheBox)
{
    QImage image(300, 100, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        TRichText::Parse("{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}\\cf1\\b\\fs60 "
                         "WWWWWWWWWWWWWWWWWWWW\\par}")
            .Draw(painter, QRect(10, 10, 100, 30), 0.1);
    }
    const QRect ink = InkBox(image);
    EXPECT_TRUE(QRect(10, 10, 100, 30).contains(ink));
    bool red = false;
    for (int y = ink.top(); y <= ink.bottom(); ++y) {
        for (int x = ink.left(); x <= ink.right(); ++x)
            red = red || image.pixel(x, y) == qRgb(255, 0, 0);
    }
    EXPECT_TRUE(red);
}

} // namespace korvatel
