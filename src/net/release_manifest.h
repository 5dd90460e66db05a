#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace korvatel
{

// The manifest that the distributor signs for a new program, kept beside it on the update
// server as "<name>.manifest" with its signature in "<name>.manifest.sig". ASCII lines of
// "Key=Value" (CR LF or LF), each of the five keys exactly once, others ignored:
//
//   Name=Korvatel1234          the program file's name: letters, figures, ".", "_", "-"
//   Version=1.01               version and build stamp, compared as the version gate does
//   Build=2026.12.09.01
//   Size=1234567               the program's size in bytes, 1 … kMaxProgramSize
//   SHA256=<64 hex figures>    the program's SHA-256 digest
struct TReleaseManifest {
    QString name;
    QString version;
    QString build;
    qint64 size = 0;
    QByteArray sha256; // 32 bytes
};

// No program is larger: a manifest naming more is refused, and a download stops there.
inline constexpr qint64 kMaxProgramSize = 512LL * 1024 * 1024;
// Larger manifest files are refused unread.
inline constexpr qsizetype kMaxManifestSize = 4096;

// The manifest of text; nullopt when any rule above is broken.
std::optional<TReleaseManifest> ParseReleaseManifest(const QByteArray &text);

// The manifest text of a release, as the distributor's tool writes it.
QByteArray ReleaseManifestText(const TReleaseManifest &manifest);

} // namespace korvatel
