#include "platform/adapter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

// A stand-in for /sys/class/net: one folder per interface with its address and type files.
void AddInterface(
    const QTemporaryDir &net, const char *name, const char *address, const char *type = "1")
{
    const QString folder = net.filePath(QLatin1String(name));
    QDir().mkpath(folder);
    for (const auto &[file, text] : { std::pair { "/address", address }, { "/type", type } }) {
        QFile out(folder + QLatin1String(file));
        if (text) {
            ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write(QByteArray(text) + '\n') > 0);
        }
    }
}

} // namespace

TEST(FirstAdapterAddress, FirstRealInterfaceByName)
{
    QTemporaryDir net;
    AddInterface(net, "wlan0", "aa:bb:cc:dd:ee:ff");
    AddInterface(net, "lo", "00:00:00:00:00:00", "772");
    AddInterface(net, "enp3s0", "0a:1b:2c:3d:4e:5f");
    AddInterface(net, "eth0", "11:22:33:44:55:66");
    AddInterface(net, "bond0", "00:00:00:00:00:00"); // all zero
    AddInterface(net, "can0", nullptr); // no address at all
    AddInterface(net, "dummy0", "02:00:00:00:00:01", "772"); // a loopback by type
    AddInterface(net, "br-1", "00:11:22:33:44:55:66"); // not six bytes
    EXPECT_EQ(FirstAdapterAddress(net.path()), QStringLiteral("0A1B2C3D4E5F"));
}

TEST(FirstAdapterAddress, EmptyWhenOnlyLoopbackOrOddAddresses)
{
    QTemporaryDir net;
    AddInterface(net, "lo", "00:00:00:00:00:01");
    AddInterface(net, "ib0", "80:00:02:08:fe:80:00:00:00:00:00:00:00:02:c9:03:00:0a:1b:2c");
    AddInterface(net, "tun0", "0g:1b:2c:3d:4e:5f");
    AddInterface(net, "tun1", "+a:1b:2c:3d:4e:5f");
    EXPECT_EQ(FirstAdapterAddress(net.path()), QString());
    EXPECT_EQ(FirstAdapterAddress(net.filePath(QStringLiteral("missing"))), QString());
}

} // namespace korvatel
