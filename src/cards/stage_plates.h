#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace korvatel
{

struct TFormatServer;
struct TServerConfig;

// One card plate that the shop offers on the template page: its file in the plate folder and
// the title the list gives it.
struct TCardPlateEntry {
    QString file; // "xmas.ksp"
    QString title; // "クリスマスカード"
    friend bool operator==(const TCardPlateEntry &, const TCardPlateEntry &) = default;
};

// The most plates a list may offer, and the largest plate file taken from the shop.
inline constexpr int kMaxCardPlates = 32;
inline constexpr qint64 kCardPlateCap = 16 * 1024 * 1024;
inline constexpr qint64 kCardPlateListCap = 64 * 1024;

// The plate list of the shop ("CardPlates.ini": "file=title" lines). A file name must be a
// plain name of letters, figures, "_" and "-" ending in ".ksp", so that no name from the server
// leaves the plate folder; others are skipped, as are duplicates and entries past the limit.
QList<TCardPlateEntry> ParseCardPlateList(const QStringList &lines);

// The shop's plate folder on a format server: "<base>/<folder>/<shopId>/Plates/".
QString ShopPlatesUrl(const TFormatServer &server, const QString &shopId);

// The plate folder in the shop's download folder: "<download>/Plates".
QString CardPlateFolder(const QString &downloadDir);

// Fetches the plate list and its plates from the format servers' folder of the shop
// ("<folder>/<shopId>/Plates/"), the primary server first. Each file is capped and written only
// once it arrived whole, replacing the copy here. Nothing is fetched for a shop id that is not
// all figures. With a shop data key, the list and each plate must be the ones the envelope kept
// in downloadDir lists ("Plates/<file>"); others are not taken. Returns the plates that are in
// the plate folder afterwards; the list file is kept there for offline starts.
// What the template page says when the shop's plates were refused.
QString UntrustedPlatesText();
// *refused is set when a server answered with a list that the shop's envelope does not vouch
// for (or there was no envelope to check it against); the kept plates are then not offered.
QList<TCardPlateEntry> FetchCardPlates(const TServerConfig &config, const QString &downloadDir,
    const QString &shopId, bool *refused = nullptr);

// The plates of the list kept in the plate folder whose files are there.
QList<TCardPlateEntry> LocalCardPlates(const QString &plateFolder);

} // namespace korvatel
