#pragma once

#include "imaging/bitmap.h"

#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

namespace korvatel
{

class TPrompter;
class THistGram;

// The colour-correction instruction of an order item.
struct CorrectionRecord {
    uint8_t measured = 0; // the reference has been measured
    uint8_t kind = 0; // 0..5
    uint8_t referenceBlue = 0; // the measured skin average; 0, 0, 0 = none found
    uint8_t referenceGreen = 0;
    uint8_t referenceRed = 0;
    int16_t pointRed = 0; // the customer's shifts of the target, −20..+20
    int16_t pointGreen = 0;
    int16_t pointBlue = 0;
    int16_t density = 0; // −100..+100
    uint8_t manualContrast = 0;
    int32_t lowX = 0; // the hand-set contrast points, 0..255
    int32_t lowY = 0;
    int32_t highX = 0;
    int32_t highY = 0;
    int16_t autoContrast = 0; // −100..+100

    TBgr Reference() const { return { referenceBlue, referenceGreen, referenceRed }; }
    void SetReference(TBgr c)
    {
        referenceBlue = c.b;
        referenceGreen = c.g;
        referenceRed = c.r;
    }
    // Kind 1..4, contrast points off the diagonal, or a density.
    bool Active() const;
    friend bool operator==(const CorrectionRecord &, const CorrectionRecord &) = default;
};

// The skin colour every correction aims at, before the kind's and the customer's shifts.
inline constexpr int kSkinTargetRed = 138;
inline constexpr int kSkinTargetGreen = 106;
inline constexpr int kSkinTargetBlue = 92;

struct TCorrectionOffsets {
    int red = 0;
    int green = 0;
    int blue = 0;
};

// The tables of the six kinds: the grid button's label (split at ";" into two lines), its hint,
// the target offsets and the letter of the shop instruction. pointsSet chooses the second
// table, used once a colour point has been set in the correction window.
QString CorrectionLabel(int kind, bool pointsSet);
QString CorrectionHint(int kind, bool pointsSet);
TCorrectionOffsets CorrectionOffsets(int kind);
QString CorrectionLetter(int kind);
// Both label tables as stored names are listed beside the other enumerations.
const QStringList &CorrectionLabels(bool pointsSet);

struct TContrastPoints {
    QPoint low;
    QPoint high;
    bool OnDiagonal() const { return low.x() == low.y() && high.x() == high.y(); }
};

// The hand-set points with the manual flag, otherwise the points of the automatic amount a:
// (max(a, 0), max(−a, 0)) and (255 − max(a, 0), 255 + min(a, 0)).
TContrastPoints ContrastPoints(const CorrectionRecord &record);

// The change the tone curve through the two points makes to luminance l.
int ToneCurveChange(int l, const TContrastPoints &points);

// The skin target of a kind with the customer's colour points.
TBgr CorrectionTarget(int kind, int pointRed, int pointGreen, int pointBlue);

// The average colour of the skin-coloured pixels of area (whole picture when empty), or
// 0, 0, 0 when there are none. Every pixel of the area is counted into histogram set 0.
TBgr MeasureSkin(const TBitmap &bitmap, const QRect &area = {}, THistGram *histogram = nullptr);

// Density and the tone curve only (kinds 0 and 5): pixels of the area are changed, the others
// copied.
TBitmap ApplyTone(const TBitmap &source, const CorrectionRecord &record, const QRect &area,
    THistGram *histogram = nullptr);

// The skin-tone correction (kinds 1..4) with the targets of the kind's offsets and the
// record's colour points, the record's reference (measured over the whole picture when it is
// 0, 0, 0), density and contrast. Corrected pixels are counted into histogram set 1.
TBitmap ApplyCorrection(const TBitmap &source, int kind, const CorrectionRecord &record,
    const QRect &area, THistGram *histogram = nullptr);

// The order grid's corrected thumbnail of an active record: ApplyCorrection for kinds 1..4,
// ApplyTone otherwise; an inactive record leaves the bitmap.
void CorrectThumbnail(TBitmap &bitmap, const CorrectionRecord &record);

// Measures the reference of an order item of kind 1..4 from its local copy, or else its source
// file; big pictures are measured on a half or third size copy. Nothing happens when neither
// file exists. When the picture cannot be loaded the kind becomes 5 (from 4) or 0; memory and
// bitmap failures also show their error box. True when the reference was measured.
bool PrepareCorrection(CorrectionRecord &record, const QString &localCopy,
    const QString &sourceFile, TPrompter &prompter);

// The size a picture is measured at by PrepareCorrection.
QSize PrepareMeasureSize(int width, int height);

// The error boxes of a bitmap the correction cannot make, each after the exception's own text.
QString CorrectionOutOfMemoryText(const QString &exceptionText);
QString CorrectionOutOfResourcesText(const QString &exceptionText);
QString CorrectionNoBitmapText(const QString &exceptionText);

// The correction area, as fractions of the picture's width and height.
struct TCorrectionArea {
    double left = 0;
    double top = 0;
    double right = 1;
    double bottom = 1;
    bool Whole() const { return left == 0 && top == 0 && right == 1 && bottom == 1; }
    // The area in pixels of a width × height picture (fractions times size, truncated).
    QRect Pixels(int width, int height) const;
};

// Reads HoseiArea.ini: each of Left, Right, Top and Bottom with 0 for unreadable text, clamped
// to 0..1; the whole picture when Left ≥ Right or Top ≥ Bottom, or when the file is missing.
TCorrectionArea LoadCorrectionArea(const QString &fileName);
// Writes the area with "%.4f" values, or deletes the file when it is the whole picture as the
// file would keep it (an area that rounds to the whole picture or to no width or height).
bool SaveCorrectionArea(const QString &fileName, const TCorrectionArea &area);

} // namespace korvatel
