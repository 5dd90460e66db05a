#pragma once

#include "net/transfer_settings.h"
#include "net/win_inet.h"

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace korvatel
{

// One format server of the maker: a base URL and the folder under it that holds one folder
// per shop id.
struct TFormatServer {
    QString baseUrl;
    QString folder;
};

// The addresses of every server the program talks to apart from the shop's own image server.
// Built-in defaults, overridden key by key by ~/.config/korvatel/servers.ini and then by the
// file named in KORVATEL_SERVERS (key files of "Name=Value" lines):
//
//   PrimaryURL, PrimaryFolder, SecondaryURL, SecondaryFolder   the format servers
//   TimeServer1 … TimeServer4                                  time servers, tried in order
//   VersionURL                                                 the version server
//   CampusURL, CampusRoot                                      the campus server, its root
//   BlockedDomain                                              the maker's hosting domain
//   DemoFtpHost, DemoFtpUser, DemoFtpPassword, DemoFtpHomeDir  the demonstration account
//   HostedOrderServer                                          the maker's hosted order server
//   MemberURL                                                  the member network's server
//   CardURL                                                    the card-payment service; none
//                                                              when empty (the default)
//   UpdateURL                                                  the HTTPS folder of the signed
//                                                              new programs
//   RegistrationURL                                            the HTTPS address that takes
//                                                              the registration report; none:
//                                                              the first https:// time server
//   CaFile                                                     certificate authorities that
//                                                              TLS trusts instead of the system's
//   FtpTls                                                     "TRUE": every FTP session uses
//                                                              TLS throughout
//   FtpChmodMode                                               the SITE CHMOD mode ("777")
//   ShopDataKey                                                the Ed25519 public key (base64
//                                                              DER) that shop data must be
//                                                              signed with; none when empty
//   UploadPause5, UploadPause10                                the pauses in milliseconds
//                                                              after every 5th and every 10th
//                                                              file of an FTP order (500 and
//                                                              1000; 0 to 60000, 0: none)
struct TServerConfig {
    TFormatServer primary;
    TFormatServer secondary;
    QStringList timeServers; // four at most
    QString versionUrl;
    QString campusUrl;
    QString campusRoot;
    QString blockedDomain;
    THostRecord demoAccount; // base folder "demo-order"
    QString hostedOrderServer;
    QString memberUrl;
    QString cardUrl; // empty: no card-payment service, so card payment cannot be offered
    QString updateUrl; // new programs come from here and nowhere else; HTTPS only
    QString registrationUrl; // the registration report goes here; HTTPS only
    QString caFile;
    QString shopDataKey; // empty: shop data is taken unsigned
    bool ftpTls = false;
    QString ftpChmodMode = QStringLiteral("777");
    // A shop's server may need a breath between files; the demo shop needs none.
    int uploadPause5 = 500;
    int uploadPause10 = 1000;

    static TServerConfig Defaults();
    // Defaults, then servers.ini in configDir, then the file named by KORVATEL_SERVERS.
    static TServerConfig Load(const QString &configDir,
        const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment());
    // Takes every key present in the lines; others keep their values.
    void Apply(const QStringList &lines);
    // What the transport components made for this configuration take: the certificate
    // authorities, the blocked domain, the FTP TLS demand and the chmod mode (one of another
    // form than three or four octal figures gives "777").
    TTransportSettings Transport() const;
};

} // namespace korvatel
