#pragma once

#include <QStringList>

class QTextStream;

namespace korvatel
{

// card render PLATE.ksp [PICTURE...] --out CARD.jpg [--size WxH]: puts the plate on a stage of
// the size (a postcard at 300 dpi, 1181 × 1748, unless told), lets PICTURE n fill the n-th frame
// layer (the layers behind the frontmost, in order) and writes the composed card in the format
// of the output's extension. Returns 0 done, 1 the card could not be made, 2 a wrong command line.
int CardCommand(const QStringList &args, QTextStream &out, QTextStream &err);

} // namespace korvatel
