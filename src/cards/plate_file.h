#pragma once

#include "cards/card_types.h"
#include "imaging/bitmap.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace korvatel
{

// One data block of a plate file with what its entry line says of it.
struct TPlateBlock {
    QString ext; // "BMP", "JPG", or whatever the line said (then the block has no picture)
    QString fileName; // the layer's source file name: kept with the layer, never opened
    TRelRect rect; // the layer's place on the card
    TColorValue mskc = kNoColor; // the layer's transparent colour
    QByteArray data; // the block's bytes as stored
};

// A plate file as read: the preview block, then the layer blocks in file order (the first
// layer block is the frontmost layer once the plate is on the stage).
struct TPlate {
    TPlateBlock preview;
    std::vector<TPlateBlock> layers;
};

enum TPlateError : uint8_t {
    plOk,
    plNoTag, // the lead-in does not begin with the tag
    plNoEndMarker, // no carriage return ends the header, or the blocks run past the data
    plTooLarge, // the layers, decoded, would take more than kMaxPlatePixels
};

// The most pixels the decoded layers of one plate may take together (about 100 MB of 24-bit
// pictures); a plate beyond it is refused rather than filling the memory.
inline constexpr qint64 kMaxPlatePixels = 32'000'000;

struct TPlateRead {
    TPlateError error = plOk;
    TPlate plate;
};

// "読めないデータです。書式がありません。",
// "書式ヘッダが壊れています。終端マーカーがありません。" and "台紙の画像が大きすぎます。"
QString PlateErrorText(TPlateError error);

// Reads a plate file's bytes. With previewOnly only the preview block is read.
TPlateRead ReadPlate(const QByteArray &bytes, bool previewOnly = false);

// The picture of a block: a DIB for "BMP", a JPEG for "JPG" (names compared ignoring case), an
// empty bitmap for any other Ext. With maxSide above 0 a JPEG is decoded at the smallest DCT
// scale whose longer side still reaches maxSide (never below 1/8). Throws EPictureError when
// the data cannot be decoded.
TBitmap DecodePlateBlock(const TPlateBlock &block, int maxSide = 0);

// The windows of a plate: its layers without a transparent colour, each a frame behind the
// sheet that a customer's photo goes in.
int PlateWindows(const TPlate &plate);

} // namespace korvatel
