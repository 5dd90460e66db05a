#pragma once

#include <QStringList>

class QTextStream;

namespace korvatel
{

// korvatel-cli install-shop SHOPID [--program PATH]: writes the shop's launchers, in the
// applications menu and on the desktop, that start the installed client (PATH, by default the
// "korvatel" beside korvatel-cli) with the shop as its first argument. Prints each path
// written. Returns the exit status.
int InstallShopCommand(const QStringList &args, QTextStream &out, QTextStream &err);

// korvatel-cli remove-shop SHOPID: removes the shop's launchers and prints each path removed.
int RemoveShopCommand(const QStringList &args, QTextStream &out, QTextStream &err);

} // namespace korvatel
