#pragma once

#include "net/server_config.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace korvatel
{

class TClock;
class TPrompter;
class TShopTrust;

// The shop's feature switches: files in the shop's folder on the format server. A switch is
// on when its file was downloaded.
QStringList ShopSwitchFiles(); // "Hosei.on", "Camp.on", "Mall.on", "Card.on", "Pos.on", "Http.on"

// What a shop data fetch did.
struct TShopFetch {
    bool ok = false;
    QStringList log; // "ConnectNG:Primary", "LoadNG:Server1.Camp.on", …
    QString shopId; // the numeric id the files were fetched for
    QStringList switches; // the switch files that arrived
    QString serverBuild; // "_ServerBuild_" of the shop data
    bool serverR = false; // "_ServerR_" read "TRUE"
    bool Switch(const QString &file) const { return switches.contains(file, Qt::CaseInsensitive); }
    // The log as the start-failure window shows it: one line each.
    QString LogText() const { return log.join(QStringLiteral("\r\n")); }
};

// Fetches the shop data container "HostFmt.ini" and the switch files of shopId into
// downloadDir, from the primary format server and, when that gave no container, from the
// secondary. A shop id that is not all figures is first resolved as an alias. progress
// receives "Primary Server" and "Secondary Server". When the configuration names a shop data
// key, a server is taken only with the shop's envelope (net/shop_envelope.h) signed by that key,
// naming the shop (and the alias), with a serial not below the last accepted and not expired;
// then the container and each switch file must be the ones it lists, else they are refused
// (deleted, logged). The accepted envelope is kept in downloadDir for the later fetches.
TShopFetch FetchShopData(const TServerConfig &config, const QString &downloadDir,
    const QString &shopId, const std::function<void(const QString &)> &progress = {});

// A shop id names folders and URLs: one to sixteen figures, so that "../.." or a path never
// enters one.
bool IsShopIdText(const QString &id);

// The shop id of an alias ("MasterID" of /KorvArias/<alias>.ini on the secondary, then the
// primary format server); nullopt when neither knows it with an id of figures alone.
std::optional<QString> ResolveShopId(const TServerConfig &config, const QString &alias);

// The time of the first time server that answers with a "Time" line, read as a local
// date-time; nullopt (with "ArenaTime Faild." in *error) when none does.
std::optional<QDateTime> QueryServerTime(const TServerConfig &config, QString *error = nullptr);
// A server time text: "yyyy/mm/dd hh:nn:ss" (also with "-" between the date parts and without
// leading zeros, seconds optional). Invalid text gives nullopt.
std::optional<QDateTime> ParseServerTime(const QString &text);

// The address of the start-up registration report: RegistrationURL when it is an https://
// address, otherwise "/MacUp.php" of the first https:// time server. nullopt when there is none:
// a RegistrationURL of another scheme is refused rather than replaced, and the report never
// travels in clear text.
std::optional<QString> RegistrationReportUrl(const TServerConfig &config);

// The start-up registration report: posts the record's "name=value" lines as the fields of a
// form to url over HTTPS alone (an http:// address or a redirect to one fails). Lines without
// "=" are left out. True when the server answers "OK".
bool ReportRegistration(
    const TTransportSettings &transport, const QString &url, const QStringList &lines);

// Compares the machine's clock with the time server and tells the difference: asks whether to
// set the clock too (Yes, No, Cancel), and with Yes and a difference calls setClock with the
// corrected local time. Returns the message shown (empty after Cancel).
QString CheckClock(const TServerConfig &config, TPrompter &prompter, const TClock &clock,
    const std::function<bool(const QDateTime &)> &setClock);

// The state of the version service and the newer versions: -1 no connection, 0 resting,
// 1 being updated, 2 running. message is the text for that state; list receives the lines of
// VerHist.ini that are newer than ownVersion.
int FetchVersionList(
    const TServerConfig &config, const QString &ownVersion, QStringList &list, QString &message);
// The lines of a version history (oldest first, "version=text") after the leading ones whose
// version is not greater, by CompareVersions, than ownVersion.
QStringList NewerVersions(const QStringList &history, const QString &ownVersion);
// The message of a version service state.
QString VersionStateMessage(int state);

// The hosted scripts of the campus server. HostedTextFile gives the answer's lines (the
// file's lines, or "NONE"); nullopt when the server cannot be reached.
std::optional<QStringList> HostedTextFile(
    const TTransportSettings &transport, const QString &base, const QString &path);
bool HostedFileExists(
    const TTransportSettings &transport, const QString &base, const QString &path);
// Both scripts answer "OK" to the path "@test".
bool HostedScriptsAlive(const TTransportSettings &transport, const QString &base);

// What the campus lookup found for a shop.
struct TCampusLookup {
    bool ok = false;
    QStringList cost; // korvatel/cost.ini
    QStringList masterPrices, customPrices; // price lists holding a "<CHARGE>" line
    QStringList payments; // pays.ini with a UseBank line
    bool editing = false, busy = false, campusOk = false;
};
// With a shop data key, pass the shop's trust (net/shop_envelope.h): each list must be the one
// its envelope names "Campus/<file>" ("cost.ini", "master.ini", "custom.ini", "pays.ini").
TCampusLookup CampusLookup(
    const TServerConfig &config, const QString &shop, const TShopTrust &trust);

} // namespace korvatel
