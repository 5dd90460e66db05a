#pragma once

#include <QString>
#include <optional>

namespace korvatel
{

// The program's reversible scrambling of short texts (customer data in the registration record,
// member credentials, card order files). The scrambled form is "*" followed by printable ASCII
// letters, digits, "-" and "_" only, so it travels safely in key files and URLs.
QString Scramble(const QString &plain);

// The plain text back; nullopt when the text does not unscramble (no leading "*", a character
// outside the alphabet, a bad length, or a check value that does not match).
std::optional<QString> Unscramble(const QString &scrambled);

} // namespace korvatel
