#include "order/print_quality.h"

#include "imaging/exif.h"
#include "imaging/picture_kinds.h"
#include "order/thumb_nails.h"
#include "pricing/price_tables.h"

#include <QImageReader>
#include <algorithm>
#include <climits>
#include <cmath>

namespace korvatel
{

namespace
{

constexpr double kMmPerInch = 25.4;
// The grid's thresholds are pixels per 119 mm of the print's long side.
constexpr double kThresholdMm = 119.0;

// The grid's resolution class of a picture of pixels printed at size, with the shop's
// thresholds: 1 is 低画質.
int ResolutionLevel(
    const TPriceTables &tables, const QString &size, QSize pixels, int finesLow, int finesHi)
{
    return tables.ResolutionClass(
        size, pixels.width(), pixels.height(), finesLow / kThresholdMm, finesHi / kThresholdMm);
}

} // namespace

double EffectiveDpi(int longSidePixels, double longSideMm)
{
    if (longSidePixels <= 0 || !(longSideMm > 0))
        return 0;
    return longSidePixels * kMmPerInch / longSideMm;
}

double NeededDpi(int finesLow)
{
    return finesLow * kMmPerInch / kThresholdMm;
}

QSize PrintedPixels(const TThumbNail &item)
{
    QSize size;
    if (item.Width > 0 && item.Height > 0) {
        size = QSize(item.Width, item.Height);
    } else if (ImageKindOf(item.FullPath) == ikJpeg) {
        TExifInfo exif;
        exif.SetImageFileName(item.FullPath);
        if (exif.ErrorCode() == 0 && exif.Width() > 0 && exif.Height() > 0)
            size = QSize(exif.Width(), exif.Height());
    }
    if (!size.isValid() || size.isEmpty()) {
        // The header alone: no picture is decoded for the check.
        QImageReader reader(item.FullPath);
        size = reader.size();
    }
    if (!size.isValid() || size.isEmpty())
        return {};
    return size;
}

QList<TPrintQualityIssue> FindLowQualityPrints(const TThumbNails &list, const TPriceTables &tables,
    int finesLow, int finesHi, const std::function<QSize(const TThumbNail &)> &pixels)
{
    QList<TPrintQualityIssue> issues;
    for (int i = 0; i < list.Count(); ++i) {
        const TThumbNail &item = *list.Item(i);
        if (item.OrderType != otDpe || item.ErrorKind != neNoError || item.TotalCount <= 0)
            continue;
        QSize size;
        bool read = false;
        for (const QString &line : item.Orders) {
            const QString name = line.section(u'=', 0, 0);
            const int count = item.SizeCount(name);
            if (count <= 0)
                continue;
            if (!read) {
                size = pixels ? pixels(item) : PrintedPixels(item);
                read = true;
            }
            if (size.isEmpty())
                break;
            if (ResolutionLevel(tables, name, size, finesLow, finesHi) != 1)
                continue;
            const TPrintDimensions d = tables.PrintDimensions(name);
            TPrintQualityIssue issue;
            issue.item = &item;
            issue.size = name;
            issue.count = count;
            issue.pixels = size;
            issue.dpi = EffectiveDpi(std::max(size.width(), size.height()), d.longSide);
            issue.neededDpi = NeededDpi(finesLow);
            issues.append(issue);
        }
    }
    return issues;
}

QStringList SizesFitFor(
    const TPrintQualityIssue &issue, const TPriceTables &tables, int finesLow, int finesHi)
{
    struct TFit {
        QString size;
        double longSide;
    };
    QList<TFit> fits;
    for (const QString &size : tables.SizeList(false)) {
        if (size == issue.size)
            continue;
        if (ResolutionLevel(tables, size, issue.pixels, finesLow, finesHi) >= 2)
            fits.append({ size, tables.PrintDimensions(size).longSide });
    }
    std::stable_sort(fits.begin(), fits.end(),
        [](const TFit &a, const TFit &b) { return a.longSide > b.longSide; });
    QStringList sizes;
    for (const TFit &fit : fits)
        sizes << fit.size;
    return sizes;
}

bool ApplyPrintChoice(
    TThumbNails &list, const TPrintQualityIssue &issue, const TPrintChoice &choice)
{
    if (choice.kind != TPrintChoice::pcChangeSize || choice.size.isEmpty()
        || choice.size == issue.size)
        return false;
    TThumbNail *item = list.Item(list.IndexOf(issue.item));
    if (!item)
        return false;
    const int moved = item->SizeCount(issue.size);
    if (moved <= 0)
        return false;
    item->SetSizeCount(issue.size, 0);
    item->SetSizeCount(
        choice.size, int(std::min<qint64>(qint64(item->SizeCount(choice.size)) + moved, INT_MAX)));
    if (item->CurrentSize == issue.size)
        item->SetCurrentSize(choice.size);
    return true;
}

QString PrintQualityText(const TPrintQualityIssue &issue)
{
    return QStringLiteral("%1 %2枚  %3×%4  %5 dpi (必要 %6 dpi)")
        .arg(issue.size)
        .arg(issue.count)
        .arg(issue.pixels.width())
        .arg(issue.pixels.height())
        .arg(std::lround(issue.dpi))
        .arg(std::lround(issue.neededDpi));
}

} // namespace korvatel
