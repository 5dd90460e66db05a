#pragma once

#include "net/transfer_settings.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>

namespace korvatel
{

class TClock;
class TUserRecord;
struct TUserFolders;

// Win32dpp.ini: the key file in the Windows system folder that keeps the member credentials,
// and its copy under the application-data folder that keeps the machine identifier.
QString SystemKeyFile(const TUserFolders &folders);
QString AppDataKeyFile(const TUserFolders &folders);

// The member user name and password of the partner network "QXT net".
struct TMemberAccount {
    QString user;
    QString pass;
    bool operator==(const TMemberAccount &) const = default;
};

// The key under which a shop's member credentials are kept: "@" + shop ID + "@".
QString MemberKey(const QString &shopId);
// The credentials of the shop from the key file; empty ones when the key is missing or its
// value does not unscramble.
TMemberAccount ReadMemberAccount(const QString &keyFile, const QString &shopId);
// Stores user + "|@@@|" + pass, scrambled, under the shop's key (replacing the line or appending
// it); false when the file could not be written.
bool WriteMemberAccount(
    const QString &keyFile, const QString &shopId, const TMemberAccount &account);

// The path of the member network's authentication page, and the form fields ("usr", "pw") that
// carry the credentials. They travel in the body of a POST, never in the URL, where proxies and
// server logs would keep the password.
QString MemberAuthPath();
QList<std::pair<QString, QString>> MemberAuthFields(const TMemberAccount &account);
// Asks the member network's server whether the credentials are valid: a form POST of
// MemberAuthFields to MemberAuthPath on serverUrl, with the given transport settings. The page
// answers "OK" for a known member. On failure errorText gets the answer (or the reason the page
// could not be read) and transportText the transport's last message.
bool CheckMemberAccount(const TTransportSettings &transport, const QString &serverUrl,
    const TMemberAccount &account, QString *errorText = nullptr, QString *transportText = nullptr);

// The machine identifier: made once per installation and kept under "@MachineID" in the
// application-data Win32dpp.ini (see the source for the order in which earlier copies are looked
// for). An identifier made by an earlier version is kept as it is, since shops may key their
// records on it; a new one is random (MakeMachineIdentifier). sysData is the workspace's SysData
// folder.
QString MachineIdentifier(const TUserFolders &folders, const QString &sysData);
// The same; the order's sending hands in its clock, which the identifier no longer depends on.
QString MachineIdentifier(const TUserFolders &folders, const QString &sysData, const TClock &clock);
// A new identifier: 128 random bits as 32 upper-case hexadecimal digits. Nothing of the machine
// (no adapter address, no time) goes into it.
QString MakeMachineIdentifier();

// The registration record that start-up reports to the shop's server: the "Id=" line, the
// scrambled customer data that is present and the "MachineID=" line. Returns true when customer
// data was added (more than the two fixed lines).
bool BuildRegistration(
    const TUserRecord &user, const QString &shopId, const QString &machineId, QStringList &lines);

} // namespace korvatel
