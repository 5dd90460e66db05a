#pragma once

#include "app/version_gate.h"
#include "net/transfer_settings.h"

#include <QString>
#include <QStringList>

namespace korvatel
{

// Where a new program comes from and what it must be signed with.
struct TSignedUpdate {
    QString updateUrl; // the HTTPS folder of the configuration (servers.ini), never shop data
    QStringList keys; // Ed25519 public keys, base64 DER
    QString stagingParent; // the private staging folder is made in here
    TTransportSettings transport; // of the same configuration: its certificate authorities
};

// The release keys built into this program (build option KORVATEL_RELEASE_KEYS); empty when
// the build was given none, and then no program update is ever taken.
QStringList ReleaseKeys();

// The line that --version adds about updates: "updates: off, this build trusts no release key"
// without keys, else the keys it trusts.
QString UpdateTrustLine(const QStringList &keys = ReleaseKeys());

// Why fetching a new program failed; each refusal leaves nothing behind.
enum class TUpdateFault {
    ufNone,
    ufNoReleaseKey, // this build trusts no release key: it takes no updates at all
    ufNotHttps, // the update folder is not an https:// address
    ufBadName, // the program name cannot be a file name
    ufNoManifest, // the manifest or its signature could not be fetched
    ufBadSignature, // the signature does not verify with any release key
    ufBadManifest, // the signed text is no manifest
    ufOtherProgram, // the manifest is for another program
    ufNotNewer, // the signed version is not newer than this program (no rollback)
    ufStaging, // the private staging folder could not be made
    ufDownload, // the program could not be fetched whole within its signed size
    ufDigest, // the fetched program is not the one signed for
};

struct TUpdateOutcome {
    TUpdateFault fault = TUpdateFault::ufNone;
    QString program; // the staged, verified, executable program when fault is ufNone
    bool Ok() const { return fault == TUpdateFault::ufNone; }
};

// Refuses at once when update.keys is empty. Otherwise fetches the new program "name" from the
// update folder: first "<name>.manifest" and its
// signature "<name>.manifest.sig", checked against the keys before the manifest is read; the
// manifest must name this very program and a version (or, at the same version, a build stamp)
// newer than own. Then the program itself, over HTTPS alone (redirects too), at most its signed
// size, into a new folder of mode 0700 under stagingParent; its SHA-256 is taken from the open
// file, and only when it matches is the file made executable. On any failure the staging
// folder is removed again.
TUpdateOutcome FetchSignedProgram(
    const TSignedUpdate &update, const TProgramVersion &own, const QString &name);

} // namespace korvatel
