#pragma once

#include "sending/order_message.h"

#include <QDateTime>
#include <QString>

namespace korvatel
{

// The time part of order names: "yyyymmdd-hhnnss" + counter "%.3d".
QString OrderStamp(const QDateTime &when, int counter);
// Makes the local order folder in workDir: the counter starts at the milliseconds of when and
// is raised until the folder does not exist yet. workDir and the order folder are made for
// their owner alone (0700). Returns the counter, or -1 when no folder could be made (also when
// workDir is another user's).
int MakeLocalOrderFolder(const QString &workDir, const QDateTime &when, QString *folder);
// The remote order name N: stamp + "-" + the digits of Tel1 + "-" + Acount, whose characters
// that a file name cannot hold (\ / : * ? " < > |, "." and control characters) become "_".
QString RemoteOrderName(const QDateTime &when, int counter, const TOrderCustomer &customer);

} // namespace korvatel
