#pragma once

#include "order/grid_cells.h"

#include <QColor>
#include <QFont>
#include <QImage>

class QPainter;

namespace korvatel
{

struct TShopOptions;

// The grid looks of State.ini OrderPlateType: 1 "Ver 1.10", anything else "Ver 1.00".
inline constexpr int kPlateVer110 = 1;

// Everything a cell needs besides its item.
// How the date imprint is drawn on the picture: the shop's colour, style and shadow.
struct TImprintLook {
    QColor colour { 255, 140, 0 };
    bool bold = false;
    bool italic = false;
    bool shadow = false;
};

// The imprint look the shop's options ask for (DateColor, a Windows colour value 0x00BBGGRR,
// DateStyle and DateShadow); the orange of the grid where the shop names no colour.
TImprintLook ShopImprintLook(const TShopOptions &options);
// The text an item's print carries as its date imprint; empty without the imprint.
QString ImprintText(const TThumbNail &item);
// Draws a date imprint into the bottom right corner of area in the painter's font, with the
// look's style, colour and shadow.
void DrawImprint(
    QPainter &painter, const QRect &area, const QString &text, const TImprintLook &look);

struct TOrderCellLook {
    int unit = 4;
    int plateType = kPlateVer110;
    int cellType = 0; // ThumbCType, kept for the cell; no cell type changes the drawing here
    bool plain = false;
    TCellOptions options;
    TCopyKind copyKind = ckToEnd;
    const TPriceTables *tables = nullptr;
    QStringList projectSizes;
    int finesLow = 600;
    int finesHi = 680;
    TImprintLook imprint;
    QFont font; // "MS UI Gothic"
    QFont captionFont; // "Arial"
};

// What the cell's picture is at the time of painting.
enum class TOrderPictureState { opPending, opReady, opBroken };

// What a paint leaves for the mouse: the zones, the picture's rectangle and the size frames.
struct TOrderCellPaint {
    TCellZones zones;
    QRect image;
    QList<TSizeFrame> frames;
};

// Paints one order cell: the background of the look, the picture panel with the picture (a
// placeholder while it is made, "破損ファイル" for a broken one), the size frames, the
// toggles, the captions, the control strip with count and quality mark, and the yellow frame of
// the current item. pressedZone shows that button pressed.
TOrderCellPaint PaintOrderCell(QPainter &painter, const QRect &cell, const TThumbNail &item,
    const QImage &picture, TOrderPictureState state, const TOrderCellLook &look, bool current,
    int pressedZone = gzNone);

} // namespace korvatel
