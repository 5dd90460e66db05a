#include "text/scramble.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace korvatel
{

TEST(Scramble, RoundTripsJapaneseAndAscii)
{
    const QStringList texts = { QStringLiteral("123-4567"), QStringLiteral("山田 太郎"),
        QStringLiteral("東京都港区芝公園4-2-8;ﾋﾞﾙ 5F"), QStringLiteral("taro@example.jp"),
        QStringLiteral("member|@@@|pass"), QString(), QStringLiteral("😀①髙") };
    for (const QString &text : texts) {
        const QString scrambled = Scramble(text);
        ASSERT_TRUE(scrambled.startsWith(u'*'));
        for (QChar c : scrambled.mid(1))
            ASSERT_TRUE((c.isLetterOrNumber() && c.unicode() < 128) || c == u'-' || c == u'_')
                << scrambled.toStdString();
        EXPECT_EQ(Unscramble(scrambled), text);
        EXPECT_EQ(Scramble(text), scrambled); // the same text always scrambles the same way
    }
    EXPECT_FALSE(Scramble(QStringLiteral("03-1234-5678")).contains(QStringLiteral("1234")));
}

TEST(Scramble, TextsNotMadeByTheRoutineDoNotUnscramble)
{
    EXPECT_FALSE(Unscramble(QString()).has_value());
    EXPECT_FALSE(Unscramble(QStringLiteral("plain")).has_value());
    EXPECT_FALSE(Unscramble(QStringLiteral("*")).has_value());
    EXPECT_FALSE(Unscramble(QStringLiteral("*hello")).has_value());
    EXPECT_FALSE(Unscramble(QStringLiteral("*abc=")).has_value());
    EXPECT_FALSE(Unscramble(QStringLiteral("*山田")).has_value());
}

TEST(Scramble, TamperedTextIsRejected)
{
    const QString scrambled = Scramble(QStringLiteral("山田 太郎 090-1234-5678"));
    int accepted = 0;
    for (qsizetype i = 1; i < scrambled.size(); ++i) {
        for (QChar replacement : { QChar(u'A'), QChar(u'z'), QChar(u'7'), QChar(u'-') }) {
            if (scrambled.at(i) == replacement)
                continue;
            QString damaged = scrambled;
            damaged[i] = replacement;
            accepted += Unscramble(damaged).has_value();
        }
    }
    EXPECT_EQ(accepted, 0);
    EXPECT_FALSE(Unscramble(scrambled.chopped(1)).has_value());
    EXPECT_FALSE(Unscramble(scrambled.chopped(4)).has_value());
    EXPECT_FALSE(Unscramble(scrambled + QStringLiteral("AAAA")).has_value());
}

} // namespace korvatel
