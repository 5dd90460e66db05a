#include "text/cp932.h"

#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

QByteArray Bytes(std::initializer_list<unsigned char> list)
{
    QByteArray bytes;
    for (unsigned char b : list)
        bytes.append(static_cast<char>(b));
    return bytes;
}

QString Utf16(std::initializer_list<char16_t> list)
{
    QString text;
    for (char16_t u : list)
        text.append(QChar(u));
    return text;
}

} // namespace

// Every double-byte code that decodes must come back to itself, except the duplicates that
// Windows also maps one way (NEC row 13 and the NEC-selected IBM extensions).
TEST(Cp932, EveryDoubleByteCodeRoundTrips)
{
    int valid = 0;
    int exact = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!IsCp932LeadByte(static_cast<unsigned char>(lead)))
            continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F)
                continue;
            const QByteArray code
                = Bytes({ static_cast<unsigned char>(lead), static_cast<unsigned char>(trail) });
            int bad = 0;
            const QString text = FromCp932(code, &bad);
            if (bad != 0)
                continue;
            ++valid;
            ASSERT_EQ(text.size(), 1) << code.toHex().constData();
            int badBack = 0;
            const QByteArray back = ToCp932(text, &badBack);
            ASSERT_EQ(badBack, 0) << code.toHex().constData();
            ASSERT_EQ(FromCp932(back), text) << code.toHex().constData();
            exact += back == code;
        }
    }
    EXPECT_EQ(valid, 9604);
    EXPECT_EQ(valid - exact, 398);
}

TEST(Cp932, MicrosoftMappingAndExtensions)
{
    EXPECT_EQ(
        FromCp932(Bytes({ 0x81, 0x60 })), Utf16({ 0xFF5E })); // full-width tilde, not WAVE DASH
    EXPECT_EQ(FromCp932(QByteArray("\\")), QStringLiteral("\\"));
    EXPECT_EQ(FromCp932(Bytes({ 0x87, 0x40 })), QStringLiteral("①")); // NEC special
    EXPECT_EQ(FromCp932(Bytes({ 0xFB, 0xFC })), QStringLiteral("髙")); // IBM extension
    // 0xFBB7 is a compatibility ideograph of 都: it must keep its own code, never fold to 0x9373.
    const QString compat = FromCp932(Bytes({ 0xFB, 0xB7 }));
    EXPECT_NE(compat, QStringLiteral("都"));
    EXPECT_EQ(ToCp932(compat), Bytes({ 0xFB, 0xB7 }));
    EXPECT_EQ(ToCp932(QStringLiteral("都")), Bytes({ 0x93, 0x73 }));
    // Duplicates encode to the one code Windows writes.
    EXPECT_EQ(ToCp932(FromCp932(Bytes({ 0xED, 0x40 }))), Bytes({ 0xFA, 0x5C }));
    EXPECT_EQ(ToCp932(FromCp932(Bytes({ 0x87, 0x90 }))), Bytes({ 0x81, 0xE0 }));
}

TEST(Cp932, MixedTextRoundTripsIncludingHalfWidthKatakana)
{
    const QString text = QStringLiteral("L判 ﾌﾟﾘﾝﾄ 2枚／はがき①～ABC");
    int bad = -1;
    const QByteArray bytes = ToCp932(text, &bad);
    EXPECT_EQ(bad, 0);
    EXPECT_EQ(FromCp932(bytes), text);
    EXPECT_EQ(ToCp932(QStringLiteral("ｱ")), Bytes({ 0xB1 }));
}

TEST(Cp932, UnconvertibleCharactersAreCountedNotDropped)
{
    int bad = 0;
    EXPECT_EQ(ToCp932(QStringLiteral("a😀b¦c"), &bad), QByteArray("a?b?c"));
    EXPECT_EQ(bad, 2);

    // A lead byte followed by a byte that cannot trail it, and a lead byte cut off at the end.
    const QString decoded = FromCp932(Bytes({ 'x', 0x81, 0x20, 'y', 0x82 }), &bad);
    EXPECT_EQ(bad, 2);
    EXPECT_EQ(decoded, Utf16({ u'x', 0xFFFD, u' ', u'y', 0xFFFD }));
}

TEST(Cp932, WidthCountsBytes)
{
    EXPECT_EQ(Cp932Width(QString()), 0);
    EXPECT_EQ(Cp932Width(QStringLiteral("abc")), 3);
    EXPECT_EQ(Cp932Width(QStringLiteral("ｱｲｳ")), 3);
    EXPECT_EQ(Cp932Width(QStringLiteral("abcｱｲ日本")), 9);
    EXPECT_EQ(Cp932Width(QStringLiteral("①髙")), 4);
    EXPECT_EQ(Cp932Width(QStringLiteral("😀")), 1); // written as '?'
}

TEST(Cp932, LeftNeverSplitsADoubleByteCharacter)
{
    EXPECT_EQ(Cp932Left(QStringLiteral("日本語"), 5), QStringLiteral("日本"));
    EXPECT_EQ(Cp932Left(QStringLiteral("日本語"), 6), QStringLiteral("日本語"));
    EXPECT_EQ(Cp932Left(QStringLiteral("ab日本"), 3), QStringLiteral("ab"));
    EXPECT_EQ(Cp932Left(QStringLiteral("ｱｲ日"), 2), QStringLiteral("ｱｲ"));
    EXPECT_EQ(Cp932Left(QStringLiteral("abc"), 0), QString());
}

} // namespace korvatel
