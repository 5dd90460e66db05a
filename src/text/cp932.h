#pragma once

#include <QByteArray>
#include <QString>

namespace korvatel
{

// Shift-JIS as Windows code page 932 (Microsoft's mapping, with the NEC and IBM extensions).
// Every text file and network message of the system is in it; inside the program text is
// QString, converted only at those edges.

// Encodes text. A character without a CP932 form is written as '?' and counted in
// *unconverted, so a caller that must not lose text can refuse.
QByteArray ToCp932(const QString &text, int *unconverted = nullptr);

// Decodes bytes. A byte that does not start a valid CP932 character (or a lead byte cut off at
// the end) becomes U+FFFD and is counted in *unconverted.
QString FromCp932(const QByteArray &bytes, int *unconverted = nullptr);

// Number of CP932 bytes the text takes: 1 for ASCII and half-width katakana, 2 for other
// characters of the code page, 1 for a character that is written as '?'.
int Cp932Width(const QString &text);

// The longest start of the text that fits in maxBytes CP932 bytes without cutting a
// double-byte character in half ("cut to 14 bytes").
QString Cp932Left(const QString &text, int maxBytes);

// True when a byte is a lead byte of a CP932 double-byte character.
inline bool IsCp932LeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

} // namespace korvatel
