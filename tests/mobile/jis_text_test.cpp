#include "mobile/mail/jis_text.h"
#include "text/cp932.h"

#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

QString ThroughJis(const QString &text)
{
    return FromCp932(JisToSjis(ToJis(ToCp932(text))));
}

bool SevenBit(const QByteArray &bytes)
{
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

TEST(ToJis, KanjiRunsOpenWithEscBAndCloseWithEscJ)
{
    // 日本 is JIS 0x467C 0x4B5C.
    EXPECT_EQ(ToJis(ToCp932(QStringLiteral("a日本b"))), QByteArray("a\x1b$BF|K\\\x1b(Jb"));
    // A text that ends in a kanji still closes its run.
    EXPECT_EQ(ToJis(ToCp932(QStringLiteral("日本"))), QByteArray("\x1b$BF|K\\\x1b(J"));
    EXPECT_EQ(ToJis(ToCp932(QStringLiteral("abc\r\n"))), QByteArray("abc\r\n"));
    // A line break between two runs closes the first and opens the second.
    EXPECT_EQ(ToJis(ToCp932(QStringLiteral("日\r\n本"))),
        QByteArray("\x1b$BF|\x1b(J\r\n\x1b$BK\\\x1b(J"));
}

TEST(ToJis, ReplacesTheTwoCompatibilityIdeographs)
{
    // 0xFBB7 and 0xFBFC (髙) have no JIS code: they travel as 都 (0x4554) and 高 (0x3962).
    EXPECT_EQ(ToJis(QByteArray("\xfb\xb7\xfb\xfc")), QByteArray("\x1b$BET9b\x1b(J"));
    EXPECT_EQ(ThroughJis(QStringLiteral("髙橋")), QStringLiteral("高橋"));
}

TEST(ToJis, HalfWidthKatakanaBecomeFullWidthWithTheirMarksJoined)
{
    EXPECT_EQ(ThroughJis(QStringLiteral("ｶﾞｷﾞﾊﾟｳﾞｱﾞｰｽ｡")), QStringLiteral("ガギパヴア゛ース。"));
    EXPECT_EQ(ThroughJis(QStringLiteral("ﾃﾞｼﾞｶﾒ ﾌﾟﾘﾝﾄ")), QStringLiteral("デジカメ プリント"));
    // A lone mark at the start, and ﾟ after a kana without a half-voiced form.
    EXPECT_EQ(ThroughJis(QStringLiteral("ﾞｶﾟ")), QStringLiteral("゛カ゜"));
    EXPECT_TRUE(SevenBit(ToJis(ToCp932(QStringLiteral("ｱｲｳｴｵ")))));
}

TEST(ToJis, EveryCharacterOfTheJisRowsComesBackUnchanged)
{
    int characters = 0;
    for (int lead = 0x81; lead <= 0xEF; ++lead) {
        if (lead > 0x9F && lead < 0xE0)
            continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F)
                continue;
            const QByteArray sjis
                = QByteArray(1, static_cast<char>(lead)) + static_cast<char>(trail);
            const QByteArray jis = ToJis(sjis);
            ASSERT_EQ(jis.size(), 8) << lead << ' ' << trail;
            ASSERT_TRUE(jis[3] >= 0x21 && jis[3] <= 0x7E && jis[4] >= 0x21 && jis[4] <= 0x7E)
                << lead << ' ' << trail;
            ASSERT_EQ(JisToSjis(jis), sjis) << lead << ' ' << trail;
            ++characters;
        }
    }
    EXPECT_EQ(characters, 47 * 188);
}

TEST(ToJis, BytesThatAreNoCharacterStaySevenBit)
{
    // A stray lead byte at the end, 0x80, 0xFD and ESC become '?'; a user-defined character
    // (0xF040) has no JIS code and becomes 〓 (0x222E).
    EXPECT_EQ(ToJis(QByteArray("a\x80\xfd\x1b\x81")), QByteArray("a????"));
    EXPECT_EQ(ToJis(QByteArray("\xf0\x40")), QByteArray("\x1b$B\".\x1b(J"));
    EXPECT_TRUE(SevenBit(ToJis(QByteArray("\xff\xa0\x81\x0a\xe0"))));
    EXPECT_EQ(JisToSjis(QByteArray("\x1b$B\xa1\x1b(J\x1b")), QByteArray("??"));
}

TEST(EncodeHeader, AsciiStaysAndJapaneseIsOneEncodedWord)
{
    EXPECT_EQ(EncodeHeader(QStringLiteral("Order 12 (copy)")), QStringLiteral("Order 12 (copy)"));
    // A line break cannot start a header of its own.
    EXPECT_EQ(EncodeHeader(QStringLiteral("a\r\nBcc: x@y")), QStringLiteral("a  Bcc: x@y"));

    const QString subject = QStringLiteral("《注文控》の送付 ﾃｽﾄ and a long tail of words 写真");
    const QString encoded = EncodeHeader(subject);
    ASSERT_TRUE(encoded.startsWith(QLatin1String("=?iso-2022-jp?B?")));
    ASSERT_TRUE(encoded.endsWith(QLatin1String("?= ")));
    EXPECT_EQ(encoded.count(QLatin1String("=?iso-2022-jp?")), 1);
    const QString base64 = encoded.mid(16, encoded.size() - 19);
    EXPECT_EQ(QByteArray::fromBase64(base64.toLatin1()), ToJis(ToCp932(subject)));
    EXPECT_EQ(FromCp932(JisToSjis(QByteArray::fromBase64(base64.toLatin1()))),
        QStringLiteral("《注文控》の送付 テスト and a long tail of words 写真"));
}

} // namespace

} // namespace korvatel
