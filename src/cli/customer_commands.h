#pragma once

#include <QStringList>

class QTextStream;

namespace korvatel
{

// korvatel-cli history [--folder DIR] [--show NAME]: lists the order history (the user's
// history folder unless DIR is given) one entry a line, file name and list text separated by a
// tab; with --show the text of one record as the viewer shows it. Returns the exit status.
int HistoryCommand(const QStringList &args, QTextStream &out, QTextStream &err);

} // namespace korvatel
