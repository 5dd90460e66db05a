#pragma once

#include <QString>

namespace korvatel
{

// The decimal digits of the text, in order ("(03) 1234-5678" → "0312345678").
QString DigitsOf(const QString &text);

// A name usable as a file name: path separators, the characters Windows refuses
// (\ / : * ? " < > |) and control characters become "_".
QString SafeFileNamePart(QString text);

} // namespace korvatel
