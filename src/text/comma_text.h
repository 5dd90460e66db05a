#pragma once

#include <QString>
#include <QStringList>

namespace korvatel
{

// Comma text: a list inside one line. Items are separated by commas; an item that holds a blank
// (or any control character), a comma or a double quote is written in double quotes with its
// inner quotes doubled. An empty item is written as nothing between two commas.
QString ToCommaText(const QStringList &items);

// Reads comma text. A quoted item runs to the first single quote mark (a doubled quote stands
// for one); text between that closing quote and the next comma still belongs to the item, and
// an unterminated quote runs to the end, so nothing of the line is lost. An empty line is an
// empty list; a trailing comma gives a trailing empty item.
QStringList FromCommaText(const QString &text);

} // namespace korvatel
