#include "text/half_width.h"

#include <gtest/gtest.h>

namespace korvatel
{

TEST(ToHalfWidth, FullWidthDigitsLettersAndSignsBecomeAscii)
{
    EXPECT_EQ(
        ToHalfWidth(QStringLiteral("０９０－１２３４－５６７８")), QStringLiteral("090-1234-5678"));
    EXPECT_EQ(ToHalfWidth(QStringLiteral("ｔａｒｏ＠ｅｘａｍｐｌｅ．ｊｐ")),
        QStringLiteral("taro@example.jp"));
    EXPECT_EQ(ToHalfWidth(QStringLiteral("１２３－４５６７")), QStringLiteral("123-4567"));
}

TEST(ToHalfWidth, KanaBecomeHalfWidthKatakana)
{
    EXPECT_EQ(ToHalfWidth(QStringLiteral("ひらがな")), QStringLiteral("ﾋﾗｶﾞﾅ"));
    EXPECT_EQ(ToHalfWidth(QStringLiteral("カタカナ")), QStringLiteral("ｶﾀｶﾅ"));
    EXPECT_EQ(ToHalfWidth(QStringLiteral("ぱっ")), QStringLiteral("ﾊﾟｯ"));
    EXPECT_EQ(ToHalfWidth(QStringLiteral("゛゜")), QStringLiteral("ﾞﾟ"));
    EXPECT_EQ(ToHalfWidth(QStringLiteral("漢字")), QStringLiteral("漢字"));
}

TEST(ToHalfWidth, TrimsAfterMapping)
{
    EXPECT_EQ(ToHalfWidth(QStringLiteral("　１２３４　")), QStringLiteral("1234"));
    EXPECT_EQ(ToHalfWidth(QStringLiteral(" ")), QString());
    EXPECT_EQ(ToHalfWidth(QString()), QString());
}

} // namespace korvatel
