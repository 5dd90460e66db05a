#pragma once

#include <QString>

namespace korvatel
{

// The normalisation of numbers, telephone numbers, mail addresses and codes: hiragana become
// katakana, full-width forms become half-width (full-width digits, letters, hyphen, at-sign and
// the ideographic space become ASCII; katakana become half-width katakana, the voicing marks
// ゛゜ included), then blanks are trimmed from both ends.
QString ToHalfWidth(const QString &text);

} // namespace korvatel
