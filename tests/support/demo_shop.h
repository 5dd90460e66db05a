#pragma once

#include "net/server_config.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

namespace korvatel::test
{

// The local demo shop (tools/demo-shop/demo_shop.py) in a folder of its own, started for the
// life of this object on ports of its choosing. Refused servers ("primary", "secondary",
// "service", "ftp", "smtp") are not started; their ports stay closed.
class TDemoShop
{
public:
    explicit TDemoShop(const QStringList &refuse = {});
    ~TDemoShop();
    TDemoShop(const TDemoShop &) = delete;
    TDemoShop &operator=(const TDemoShop &) = delete;

    bool Running() const { return FReady; }
    // What went wrong when it did not start.
    QString StartError() const { return FError; }

    // A value of the state file: "FtpPort", "FtpRoot", "FtpUser", "Root", …
    QString State(const QString &key) const;
    int Port(const QString &server) const; // "ftp", "primary", "service", …
    QString FtpHost() const;
    QString FtpUser() const { return State(QStringLiteral("FtpUser")); }
    QString FtpPassword() const { return State(QStringLiteral("FtpPassword")); }
    // The local folder behind a path of the FTP server ("/order/a.jpg").
    QString FtpLocal(const QString &remote) const;
    QString ServiceUrl() const;
    QString ServersFile() const { return FDir.filePath(QStringLiteral("servers.ini")); }
    // The built-in defaults with the shop's servers.ini: its HTTPS servers are trusted through
    // the certificate it made (CaFile).
    TServerConfig Config() const;

    // Writes the client's mail settings (MailSet.ini at file) for this shop's STARTTLS mail
    // server, with its login and the demo customer's address as the sender.
    bool WriteMailSettings(const QString &file) const;

    // The lines of the shop's log (demo-shop.log) that contain text, as they stand now.
    QStringList LogLines(const QString &text) const;

    // Switches faults and fixed answers: "ftp_drop_after=50000", "time=2026/12/08 10:00:00",
    // "reset=1". True when the shop acknowledged.
    bool Control(const QString &query) const;

private:
    QTemporaryDir FDir;
    std::unique_ptr<QProcess> FProcess;
    QStringList FState;
    bool FReady = false;
    QString FError;
};

// Points KORVATEL_SERVERS at the shop's server configuration for the life of this object and
// puts back what was there before.
class TServersEnv
{
public:
    explicit TServersEnv(const TDemoShop &shop);
    ~TServersEnv();
    TServersEnv(const TServersEnv &) = delete;
    TServersEnv &operator=(const TServersEnv &) = delete;

private:
    QByteArray FSaved;
};

// A fixture whose tests share one demo shop for the test program; each test starts with every
// fault switched off.
class TDemoShopTest : public testing::Test
{
protected:
    static void SetUpTestSuite() { shop = new TDemoShop(); }
    static void TearDownTestSuite()
    {
        delete shop;
        shop = nullptr;
    }
    void SetUp() override
    {
        ASSERT_TRUE(shop->Running()) << shop->StartError().toStdString();
        shop->Control(QStringLiteral("reset=1&versions=TRUE"));
    }

    static inline TDemoShop *shop = nullptr;
};

// The demo shop script, from the source tree.
QString DemoShopScript();

// The demo's signing key (tools/demo-shop), and its public half as the update verifier takes
// release keys (base64 DER). Tests hand that to the verifier: no build trusts it by default.
QString DemoPrivateKey();
QStringList DemoReleaseKeys();
// Runs the distributor's signing tool (tools/sign-release.py) with args; its standard output,
// trimmed, or nullopt when it failed.
std::optional<QString> RunSigningTool(const QStringList &args);

} // namespace korvatel::test
