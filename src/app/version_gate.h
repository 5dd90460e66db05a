#pragma once

#include <QString>
#include <functional>

namespace korvatel
{

class TPrompter;

// A program as the version gate compares it: its version text, build stamp and file name.
struct TProgramVersion {
    QString version;
    QString build;
    QString fileName; // for the server: the program's URL or its last part
};

enum class TVersionGate {
    vgNone, // nothing to do
    vgForced, // this version can no longer order: download and end
    vgOffer, // a newer build exists: ask
};

// Whether two program file names are the same program: equal ignoring case, or equal without
// their extensions ("Korvatel1234" and "Korvatel1234.AppImage").
bool SameProgramFile(const QString &own, const QString &other);

// The gate applies only when the server's program file has this program's own name (ignoring
// case, and ignoring an extension on either side). Versions and build stamps compare by
// CompareVersions, their numbers as numbers.
TVersionGate VersionGateDecision(const TProgramVersion &own, const TProgramVersion &server);

// Applies the gate at the main window's first idle moment (never in CD start mode): shows the
// message, downloads the new program when told to and reports a failed download. download
// fetches the server's program and returns whether it succeeded; it is empty in a build that
// takes no updates, and the gate then tells the customer to fetch the new program from the
// homepage instead of asking. True when the program must end.
bool RunVersionGate(const TProgramVersion &own, const TProgramVersion &server, bool cdStart,
    TPrompter &prompter, const std::function<bool()> &download);

} // namespace korvatel
