#include "mobile/mail/jis_text.h"

#include "text/cp932.h"

#include <array>

namespace korvatel
{

namespace
{

constexpr char kEsc = '\x1b';
const QByteArray kKanjiIn = QByteArrayLiteral("\x1b$B");
const QByteArray kKanjiOut = QByteArrayLiteral("\x1b(J");

bool IsHalfKana(unsigned char b)
{
    return b >= 0xA1 && b <= 0xDF;
}

bool IsTrailByte(unsigned char b)
{
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

// Lead bytes whose characters lie in the 94 rows of JIS X 0208.
bool IsJisLead(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xEF);
}

// The full-width forms of the half-width katakana 0xA1 ... 0xDF, in Unicode: the voiced and
// half-voiced forms of a kana follow it (カ ガ, ハ バ パ), which the joining below relies on.
const char16_t kFullKana[]
    = u"。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテト"
      u"ナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン゛゜";

QByteArray FullKanaBytes(char16_t c)
{
    return ToCp932(QString(QChar(c)));
}

// The full-width Shift-JIS form of the half-width kana at data[i], with a following voicing
// mark joined when the kana has a voiced form; *used gets the bytes taken (1 or 2).
QByteArray JoinKana(const QByteArray &data, qsizetype i, int *used)
{
    const auto b = static_cast<unsigned char>(data[i]);
    const auto next = i + 1 < data.size() ? static_cast<unsigned char>(data[i + 1]) : 0;
    char16_t kana = kFullKana[b - 0xA1];
    *used = 1;
    const bool voicable = (b >= 0xB6 && b <= 0xC4) || (b >= 0xCA && b <= 0xCE);
    const bool halfVoicable = b >= 0xCA && b <= 0xCE;
    if (next == 0xDE && voicable) {
        kana += 1;
        *used = 2;
    } else if (next == 0xDF && halfVoicable) {
        kana += 2;
        *used = 2;
    } else if (next == 0xDE && b == 0xB3) {
        kana = u'ヴ';
        *used = 2;
    }
    return FullKanaBytes(kana);
}

// The standard Shift-JIS to JIS arithmetic for a character of the JIS rows.
void AppendJisPair(QByteArray &out, unsigned char c1, unsigned char c2)
{
    if (c1 >= 0xE0)
        c1 -= 0x40;
    c1 = static_cast<unsigned char>((c1 - 0x81) * 2 + 0x21);
    if (c2 >= 0x9F) {
        c1 += 1;
        c2 = static_cast<unsigned char>(c2 - 0x9F + 0x21);
    } else {
        if (c2 >= 0x80)
            c2 -= 1;
        c2 = static_cast<unsigned char>(c2 - 0x40 + 0x21);
    }
    out.append(static_cast<char>(c1));
    out.append(static_cast<char>(c2));
}

} // namespace

QByteArray FullWidthKana(const QByteArray &sjis)
{
    QByteArray out;
    out.reserve(sjis.size() * 2);
    for (qsizetype i = 0; i < sjis.size();) {
        const auto b = static_cast<unsigned char>(sjis[i]);
        if (IsCp932LeadByte(b) && i + 1 < sjis.size()) {
            out.append(sjis.mid(i, 2));
            i += 2;
        } else if (IsHalfKana(b)) {
            int used = 1;
            out.append(JoinKana(sjis, i, &used));
            i += used;
        } else {
            out.append(static_cast<char>(b));
            ++i;
        }
    }
    return out;
}

QByteArray ToJis(const QByteArray &sjis)
{
    // Every half-width kana becomes a double-byte character first, so the walk below meets
    // only ASCII, double-byte characters and bytes that are no character.
    const QByteArray text = FullWidthKana(sjis);
    QByteArray out;
    out.reserve(text.size() * 2 + 8);
    bool kanji = false;
    const auto single = [&](char c) {
        if (kanji) {
            out.append(kKanjiOut);
            kanji = false;
        }
        out.append(c);
    };
    const auto pair = [&](unsigned char c1, unsigned char c2) {
        if (!kanji) {
            out.append(kKanjiIn);
            kanji = true;
        }
        AppendJisPair(out, c1, c2);
    };
    for (qsizetype i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (IsCp932LeadByte(b) && IsTrailByte(next)) {
            if (b == 0xFB && next == 0xB7)
                pair(0x93, 0x73); // 都
            else if (b == 0xFB && next == 0xFC)
                pair(0x8D, 0x82); // 高
            else if (IsJisLead(b))
                pair(b, next);
            else
                pair(0x81, 0xAC); // 〓: no JIS code
            i += 2;
            continue;
        }
        // ESC, SO and SI would be read as shifts by the receiver.
        const bool shift = b == 0x1B || b == 0x0E || b == 0x0F;
        single(b < 0x80 && !shift ? static_cast<char>(b) : '?');
        ++i;
    }
    if (kanji)
        out.append(kKanjiOut);
    return out;
}

QByteArray JisToSjis(const QByteArray &jis)
{
    QByteArray out;
    out.reserve(jis.size());
    bool kanji = false;
    for (qsizetype i = 0; i < jis.size();) {
        const auto b = static_cast<unsigned char>(jis[i]);
        if (b == kEsc && i + 2 < jis.size()) {
            const QByteArray seq = jis.mid(i, 3);
            if (seq == kKanjiIn || seq == QByteArrayLiteral("\x1b$@")) {
                kanji = true;
                i += 3;
                continue;
            }
            if (seq == kKanjiOut || seq == QByteArrayLiteral("\x1b(B")) {
                kanji = false;
                i += 3;
                continue;
            }
        }
        const auto next = i + 1 < jis.size() ? static_cast<unsigned char>(jis[i + 1]) : 0;
        if (kanji && b >= 0x21 && b <= 0x7E && next >= 0x21 && next <= 0x7E) {
            const int row = b - 0x21;
            int s1 = (row >> 1) + 0x81;
            if (s1 > 0x9F)
                s1 += 0x40;
            int s2;
            if ((row & 1) == 0) {
                s2 = next - 0x21 + 0x40;
                if (s2 >= 0x7F)
                    s2 += 1;
            } else {
                s2 = next - 0x21 + 0x9F;
            }
            out.append(static_cast<char>(s1));
            out.append(static_cast<char>(s2));
            i += 2;
            continue;
        }
        out.append(b < 0x80 && (!kanji || b < 0x21) && b != kEsc ? static_cast<char>(b) : '?');
        ++i;
    }
    return out;
}

QString EncodeHeader(const QString &text)
{
    QString value = text;
    value.replace(u'\r', u' ').replace(u'\n', u' ');
    bool ascii = true;
    for (QChar c : value)
        ascii = ascii && c.unicode() < 0x80;
    if (ascii)
        return value;
    const QByteArray base64 = ToJis(ToCp932(value)).toBase64();
    return QStringLiteral("=?iso-2022-jp?B?") + QString::fromLatin1(base64) + QStringLiteral("?= ");
}

} // namespace korvatel
