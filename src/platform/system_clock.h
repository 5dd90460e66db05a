#pragma once

#include <QDateTime>

namespace korvatel
{

// Sets the machine's clock to when. False when when is invalid or the system refuses, which
// it does without the privilege to set the time: the caller then carries on with the clock
// as it is.
bool SetSystemClock(const QDateTime &when);

} // namespace korvatel
