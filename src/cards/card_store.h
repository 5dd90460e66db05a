#pragma once

#include "cards/card_types.h"
#include "cards/mask_ops.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace korvatel
{

class TLayers;
class TWorkspace;

// The card being edited, kept in the workspace's PostCard folder between runs: a key file in
// Shift-JIS that lists the layers front to back, and each layer's full picture beside it as a
// 24-bit BMP file ("<key file name>_<n>.bmp"). All files are the customer's (0600).

// One layer as the key file lists it.
struct TCardStoreLayer {
    QString fileName; // the layer's source file name
    QString pictureFile; // the BMP beside the key file (a bare file name)
    TRelRect rel;
    int rotation = 0;
    bool mirrorLeftRight = false;
    bool mirrorUpDown = false;
    int fit = 0;
    bool sizeLock = false;
    bool showMask = true;
    bool visible = true;
    TColorValue transparentColor = kNoColor;
    TMaskOps ops;
};

struct TCardStore {
    int stageWidth = 0;
    int stageHeight = 0;
    QString plateFile; // the plate the card was made on; empty when none
    std::vector<TCardStoreLayer> layers;
};

// Caps on what the reader accepts from a key file.
inline constexpr int kMaxStoredLayers = 256;
inline constexpr int kMaxStoredOps = 4096;

// The default key file: "EditCard.ini" in the workspace's PostCard folder.
QString CardStorePath(const TWorkspace &workspace);
QString CardStorePath(const QString &postCardFolder);

// The key file's text lines for a card.
QStringList CardStoreLines(const TCardStore &store);
// Reads the key file's bytes (Shift-JIS). nullopt when the text is not a card key file; bad
// values inside a layer fall back to their defaults, and picture names with a folder in them
// are refused.
std::optional<TCardStore> ParseCardStore(const QByteArray &bytes);

// Writes the layer set's card made on the plate file: the pictures first, then the key file,
// each atomically and 0600. False when any write failed.
bool SaveCard(const TLayers &layers, const QString &keyFile, const QString &plateFile = {});
// Replaces the layer set's layers with the stored card. False (layers untouched) when the key
// file cannot be read or parsed; a layer whose picture is missing or unreadable is skipped.
bool LoadCard(TLayers &layers, const QString &keyFile);

} // namespace korvatel
