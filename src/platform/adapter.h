#pragma once

#include <QString>

namespace korvatel
{

// The hardware address of the machine's first network adapter, for the machine identifier:
// of the interfaces in sysClassNet taken in name order, the first that is not the loopback
// ("lo", or of loopback type) and has a six-byte address that is not all zero. Given as
// twelve upper-case hexadecimal digits without separators ("0A1B2C3D4E5F"); empty when there
// is none.
QString FirstAdapterAddress(const QString &sysClassNet = QStringLiteral("/sys/class/net"));

} // namespace korvatel
