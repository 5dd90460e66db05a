#pragma once

#include <QByteArray>
#include <QString>

namespace korvatel
{

// Japanese mail travels as ISO-2022-JP (JIS): 7-bit text in which a run of double-byte
// characters opens with ESC "$B" and closes with ESC "(J".

// Converts Shift-JIS (code page 932) text to JIS. The compatibility ideographs 0xFBB7 and
// 0xFBFC become their ordinary forms 都 and 高. Half-width katakana become full-width katakana
// first (a following ﾞ or ﾟ joins the kana it voices), because a 7-bit message cannot carry
// them. A double-byte character outside the 94 rows of JIS X 0208 (user-defined and IBM
// extension codes) becomes 〓, any other byte that is not a character (a stray lead byte, an
// 8-bit byte that starts nothing, ESC) becomes '?'. A run still open at the end is closed.
QByteArray ToJis(const QByteArray &sjis);

// The reverse, for readers of what ToJis wrote: JIS text back to Shift-JIS. A double-byte run
// opens with ESC "$B" or ESC "$@" and closes with ESC "(J" or ESC "(B"; a byte that fits no
// character becomes '?'.
QByteArray JisToSjis(const QByteArray &jis);

// Half-width katakana in Shift-JIS text as full-width katakana, a following ﾞ or ﾟ joined to
// the kana it voices where such a kana exists; everything else is left as it is.
QByteArray FullWidthKana(const QByteArray &sjis);

// A header value: the text unchanged when it is plain ASCII, otherwise one RFC 2047 encoded
// word of its JIS form, "=?iso-2022-jp?B?" + Base64 + "?= " (with the trailing blank), never
// folded. Line breaks become blanks, so a value cannot start a header of its own.
QString EncodeHeader(const QString &text);

} // namespace korvatel
