#pragma once

#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>

namespace korvatel
{

class TPriceTables;
class TThumbNail;
class TThumbNails;

// The dots per inch a picture of longSidePixels gives along a print's long side of longSideMm;
// 0 when either is not positive.
double EffectiveDpi(int longSidePixels, double longSideMm);
// The dpi below which the grid marks a print 低画質: the shop's FinesLow threshold (pixels per
// 119 mm of the long side) in dots per inch.
double NeededDpi(int finesLow);

// One size line of an item whose picture has too few pixels for that print.
struct TPrintQualityIssue {
    const TThumbNail *item = nullptr;
    QString size; // the size line ("2L")
    int count = 0; // prints of that size
    QSize pixels; // the picture as it is printed (after trimming)
    double dpi = 0; // EffectiveDpi along the long sides
    double neededDpi = 0;
};

// The pixels of an item's picture: the item's own width and height when known, else the
// picture file's (Exif for JPEG, the header otherwise); an empty size when it cannot be read.
// The viewer's trimming writes the trimmed picture that the item then names, so these are the
// pixels of the trimmed area.
QSize PrintedPixels(const TThumbNail &item);

// The print check before the summary: every size line of the disk pictures (not campus
// pictures, which the album prints as they are) with at least one print, whose picture judges
// 低画質 by the grid's rule (TPriceTables::ResolutionClass with the shop's FinesLow and FinesHi).
// Items without an error only; sizes without print dimensions give no verdict and are not
// listed. pixels defaults to PrintedPixels.
QList<TPrintQualityIssue> FindLowQualityPrints(const TThumbNails &list, const TPriceTables &tables,
    int finesLow, int finesHi, const std::function<QSize(const TThumbNail &)> &pixels = {});

// What the customer chose for one listed print.
struct TPrintChoice {
    enum { pcKeep, pcChangeSize, pcTrim } kind = pcKeep;
    QString size; // the new size of pcChangeSize
};

// The offered sizes (the shop's normal size choice) at which the issue's picture is no longer
// 低画質, largest print first.
QStringList SizesFitFor(
    const TPrintQualityIssue &issue, const TPriceTables &tables, int finesLow, int finesHi);

// Carries out a choice: pcChangeSize moves the issue's prints to the new size (adding to what
// that size already had) and keeps the current size pointing at a size with prints; pcKeep and
// pcTrim change nothing. Returns whether the item changed.
bool ApplyPrintChoice(
    TThumbNails &list, const TPrintQualityIssue &issue, const TPrintChoice &choice);

// The line of the check window: "2L 1枚  640×480  91 dpi (必要 128 dpi)".
QString PrintQualityText(const TPrintQualityIssue &issue);

} // namespace korvatel
