#pragma once

#include <QString>

namespace korvatel
{

// The lenient number reader of settings and price tables. It trims the text; "$" followed by
// hexadecimal digits is read as hexadecimal (up to the first non-hex character); otherwise it
// removes every "円", "￥", "＄", "\" and "$", trims again, removes every ",", cuts at the first
// character that is not one of ".e-0123456789", drops leading zeros (keeping "0" and "0."), and
// converts when ".", "e" and "-" each occur at most once. Anything else gives fallback.
double ParseNumber(const QString &text, double fallback);

// ParseNumber rounded to the nearest integer, ties to even; fallback when the text does not
// parse or the value does not fit an int.
int ParseInteger(const QString &text, int fallback);

// Delphi's Trim: removes blanks and control characters (codes up to 32) from both ends, and
// nothing else.
QString TrimBlanks(const QString &text);

// Orders two version texts or build stamps ("9.99" < "10.00", "2026.12.9" < "2026.12.10"):
// runs of digits compare as numbers, everything else as text, left to right; blanks at either
// end are ignored. Negative, zero or positive as a is older than, the same as or newer than b.
int CompareVersions(const QString &a, const QString &b);

} // namespace korvatel
