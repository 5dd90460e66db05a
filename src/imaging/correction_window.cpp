#include "imaging/correction_window.h"

#include "imaging/histogram.h"
#include "imaging/orientation.h"
#include "imaging/picture.h"
#include "imaging/picture_kinds.h"
#include "imaging/resample.h"
#include "platform/prompter.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <algorithm>
#include <cmath>

namespace korvatel
{

namespace
{

// The types of the save dialog, in its order, with the extension each writes.
struct TSaveType {
    const char16_t *caption;
    const char *extension;
};
const TSaveType kSaveTypes[] = {
    { u"ｲﾒｰｼﾞ(jpeg)", "jpeg" },
    { u"ｲﾒｰｼﾞ(jpg)", "jpg" },
    { u"ﾋﾞｯﾄﾏｯﾌﾟ(bmp)", "bmp" },
    { u"ﾋﾟﾝｸﾞ(png)", "png" },
    { u"ﾒﾀﾌｧｲﾙ(emf)", "emf" },
    { u"ﾒﾀﾌｧｲﾙ(wmf)", "wmf" },
};
constexpr int kSaveTypeCount = int(std::size(kSaveTypes));

// The strongest DCT reduction whose picture still covers the wanted size.
TJpegScale CoveringScale(QSize stored, QSize wanted)
{
    TJpegScale best = jsFullSize;
    for (int s = 1; s <= 3; ++s) {
        const int d = 1 << s;
        if ((stored.width() + d - 1) / d < wanted.width()
            || (stored.height() + d - 1) / d < wanted.height())
            break;
        best = TJpegScale(s);
    }
    return best;
}

TBitmap LoadUpright(const QString &fileName)
{
    std::optional<TBitmap> bitmap = LoadUprightBitmap(fileName);
    if (!bitmap)
        throw EPictureError(CannotOpenPictureText(fileName), peNoFile);
    if (bitmap->Empty())
        throw EPictureError(DamagedPictureText(), peEmpty);
    return std::move(*bitmap);
}

QPoint ClampCurve(QPoint p)
{
    return { std::clamp(p.x(), 0, 255), std::clamp(p.y(), 0, 255) };
}

int CurveDistance(QPoint a, QPoint b)
{
    return std::max(std::abs(a.x() - b.x()), std::abs(a.y() - b.y()));
}

// The extension without its dot.
QString SuffixOf(const QString &fileName)
{
    return ExtensionOf(fileName).mid(1);
}

QString WithSuffix(const QString &fileName, const QString &suffix)
{
    return fileName.chopped(ExtensionOf(fileName).size()) + QLatin1Char('.') + suffix;
}

} // namespace

QSize FitToScreen(QSize picture, QSize screen)
{
    if (picture.width() <= screen.width() && picture.height() <= screen.height())
        return picture;
    if (picture.isEmpty() || screen.isEmpty())
        return picture.boundedTo(screen);
    // Compared as products: screen w/h > picture w/h.
    if (qint64(screen.width()) * picture.height() > qint64(picture.width()) * screen.height()) {
        const int w = int(std::lrint(double(screen.height()) * picture.width() / picture.height()));
        return { std::max(w, 1), screen.height() };
    }
    const int h = int(std::lrint(double(screen.width()) * picture.height() / picture.width()));
    return { screen.width(), std::max(h, 1) };
}

THoseiPicture LoadHoseiPicture(const QString &fileName, QSize screen)
{
    THoseiPicture result;
    TBitmap bitmap;
    if (ImageKindOf(fileName) == ikJpeg) {
        QFile file(fileName);
        if (!file.open(QIODevice::ReadOnly))
            throw EPictureError(CannotOpenPictureText(fileName), peNoFile);
        const QByteArray data = file.readAll();
        const std::optional<TJpegInfo> info = ReadJpegInfo(data);
        if (!info)
            throw EPictureError(DamagedPictureText());
        const int orientation = ExifOrientation(data);
        const QSize stored(info->width, info->height);
        result.size = orientation >= 5 ? stored.transposed() : stored;
        QSize wanted = FitToScreen(result.size, screen);
        if (orientation >= 5)
            wanted.transpose();
        bitmap = DecodeJpeg(data, CoveringScale(stored, wanted));
        ApplyOrientation(bitmap, orientation);
    } else {
        bitmap = LoadUpright(fileName);
        result.size = QSize(bitmap.Width(), bitmap.Height());
    }
    const QSize fitted = FitToScreen(result.size, screen);
    if (fitted != QSize(bitmap.Width(), bitmap.Height()))
        bitmap = ResizeBilinear(bitmap, fitted.width(), fitted.height());
    result.bitmap = std::move(bitmap);
    return result;
}

void THoseiWork::Open(THoseiPicture picture, const CorrectionRecord &record)
{
    FPicture = std::move(picture);
    FRecord = record;
    FValues = {};
    FValues.button = record.kind >= 1 && record.kind <= 4 ? record.kind : 0;
    FValues.pointRed = record.pointRed;
    FValues.pointGreen = record.pointGreen;
    FValues.pointBlue = record.pointBlue;
    FValues.density = record.density;
    FValues.autoContrast = record.autoContrast;
    FValues.manual = record.manualContrast != 0;
    FValues.low = QPoint(record.lowX, record.lowY);
    FValues.high = QPoint(record.highX, record.highY);
    FReference = record.measured ? record.Reference() : MeasureSkin(FPicture.bitmap);
}

QRect THoseiWork::PreviewRect() const
{
    const int w = FPicture.bitmap.Width();
    const int h = FPicture.bitmap.Height();
    return FValues.area ? FArea.Pixels(w, h) : QRect(0, 0, w, h);
}

CorrectionRecord THoseiWork::ValuesRecord() const
{
    CorrectionRecord r;
    r.kind = uint8_t(FValues.button >= 1 && FValues.button <= 4 ? FValues.button : FRecord.kind);
    r.SetReference(FReference);
    r.measured = 1;
    r.pointRed = int16_t(std::clamp(FValues.pointRed, -20, 20));
    r.pointGreen = int16_t(std::clamp(FValues.pointGreen, -20, 20));
    r.pointBlue = int16_t(std::clamp(FValues.pointBlue, -20, 20));
    r.density = int16_t(std::clamp(FValues.density, -100, 100));
    r.autoContrast = int16_t(std::clamp(FValues.autoContrast, -100, 100));
    r.manualContrast = FValues.manual ? 1 : 0;
    const QPoint low = ClampCurve(FValues.low);
    const QPoint high = ClampCurve(FValues.high);
    r.lowX = low.x();
    r.lowY = low.y();
    r.highX = high.x();
    r.highY = high.y();
    return r;
}

TBitmap THoseiWork::Correct(const TBitmap &bitmap, const QRect &rect, THistGram *histogram) const
{
    const CorrectionRecord record = ValuesRecord();
    // With no skin found ApplyCorrection maps no colour and does exactly what ApplyTone does;
    // ApplyTone spares it measuring the whole picture again on every change.
    if (FValues.button >= 1 && FValues.button <= 4 && !(FReference == TBgr {}))
        return ApplyCorrection(bitmap, FValues.button, record, rect, histogram);
    return ApplyTone(bitmap, record, rect, histogram);
}

TBitmap THoseiWork::Preview(THistGram &histogram) const
{
    histogram.Clear(1);
    TBitmap result = Correct(FPicture.bitmap, PreviewRect(), &histogram);
    histogram.Finish(1);
    return result;
}

void THoseiWork::CountOriginal(THistGram &histogram) const
{
    histogram.Clear(0);
    const QRect rect = PreviewRect();
    if (!rect.isEmpty())
        MeasureSkin(FPicture.bitmap, rect, &histogram);
    histogram.Finish(0);
}

QString THoseiWork::CorrectedCaption() const
{
    return FValues.area ? QStringLiteral("補正後(ｴﾘｱ指定)") : QStringLiteral("補正後");
}

CorrectionRecord THoseiWork::Applied(const CorrectionRecord &record) const
{
    const CorrectionRecord values = ValuesRecord();
    CorrectionRecord r = record;
    r.pointRed = values.pointRed;
    r.pointGreen = values.pointGreen;
    r.pointBlue = values.pointBlue;
    r.density = values.density;
    r.SetReference(FReference);
    r.autoContrast = values.autoContrast;
    r.manualContrast = values.manualContrast;
    r.lowX = values.lowX;
    r.lowY = values.lowY;
    r.highX = values.highX;
    r.highY = values.highY;
    r.measured = 1;
    if (FValues.button >= 1 && FValues.button <= 4)
        r.kind = uint8_t(FValues.button);
    else if (r.kind >= 1 && r.kind <= 4)
        r.kind = 0;
    return r;
}

void THoseiWork::StartManual()
{
    FValues.manual = true;
    if (FValues.low == QPoint() && FValues.high == QPoint()) {
        CorrectionRecord automatic;
        automatic.autoContrast = int16_t(std::clamp(FValues.autoContrast, -100, 100));
        const TContrastPoints points = ContrastPoints(automatic);
        FValues.low = points.low;
        FValues.high = points.high;
    }
}

void THoseiWork::ResetContrast()
{
    FValues.autoContrast = 0;
    FValues.manual = false;
    FValues.low = QPoint();
    FValues.high = QPoint();
}

TBitmap THoseiWork::CorrectFullSize(const QString &fileName) const
{
    // The copy is corrected as the preview showed it, over the whole picture.
    const TBitmap bitmap = LoadUpright(fileName);
    return Correct(bitmap, QRect(0, 0, bitmap.Width(), bitmap.Height()), nullptr);
}

QPoint CurvePointAt(QPoint mouse)
{
    return ClampCurve({ 2 * mouse.x() - 6, 262 - 2 * mouse.y() });
}

QPoint CurveImagePos(QPoint point)
{
    return { (point.x() + 6) / 2, (262 - point.y()) / 2 };
}

THoseiHandle HandleAt(const TContrastPoints &points, QPoint p)
{
    const QPoint middle = (points.low + points.high) / 2;
    const std::pair<THoseiHandle, int> candidates[] = {
        { hhLow, CurveDistance(points.low, p) },
        { hhHigh, CurveDistance(points.high, p) },
        { hhMiddle, CurveDistance(middle, p) },
    };
    THoseiHandle best = hhNone;
    int nearest = 19;
    for (const auto &[handle, distance] : candidates) {
        if (distance < nearest) {
            nearest = distance;
            best = handle;
        }
    }
    return best;
}

bool NearMiddleHandle(const TContrastPoints &points, QPoint p)
{
    return CurveDistance((points.low + points.high) / 2, p) <= 18;
}

void DragHandle(THoseiValues &values, THoseiHandle handle, QPoint p, QPoint &last)
{
    p = ClampCurve(p);
    switch (handle) {
    case hhLow:
        values.low = p;
        break;
    case hhHigh:
        values.high = p;
        break;
    case hhMiddle: {
        // Both points move by the same step, as far as the one nearer an edge can go.
        QPoint step = p - last;
        const int minX = std::min(values.low.x(), values.high.x());
        const int maxX = std::max(values.low.x(), values.high.x());
        const int minY = std::min(values.low.y(), values.high.y());
        const int maxY = std::max(values.low.y(), values.high.y());
        step.setX(std::clamp(step.x(), -minX, 255 - maxX));
        step.setY(std::clamp(step.y(), -minY, 255 - maxY));
        values.low += step;
        values.high += step;
        break;
    }
    case hhNone:
        break;
    }
    last = p;
}

QString MouseRgbText(TBgr pixel)
{
    return QString::asprintf("R:%.3d G:%.3d B:%.3d", pixel.r, pixel.g, pixel.b);
}

QString PictureSizeText(QSize size)
{
    return QStringLiteral("W%1×H%2").arg(size.width()).arg(size.height());
}

QString CorrectedSaveName(const QString &fileName)
{
    const QString tail = ExtensionOf(fileName);
    const QString base = fileName.chopped(tail.size());
    QString name = base + QStringLiteral("~補正") + tail;
    for (int n = 1; QFileInfo::exists(name); ++n)
        name = base + QStringLiteral("~補正(%1)").arg(n) + tail;
    return name;
}

QStringList CorrectedSaveFilters()
{
    QStringList filters;
    for (const TSaveType &type : kSaveTypes)
        filters << QString::fromUtf16(type.caption) + QStringLiteral(" (*.")
                + QLatin1String(type.extension) + QLatin1Char(')');
    return filters;
}

int CorrectedSaveFilterOf(const QString &fileName)
{
    const QString suffix = SuffixOf(fileName);
    for (int i = 0; i < kSaveTypeCount; ++i) {
        if (suffix.compare(QLatin1String(kSaveTypes[i].extension), Qt::CaseInsensitive) == 0)
            return i;
    }
    return 0;
}

QString CorrectedSaveFilterExtension(int filter)
{
    return QLatin1String(kSaveTypes[std::clamp(filter, 0, kSaveTypeCount - 1)].extension);
}

bool SaveCorrectedPicture(const THoseiWork &work, const QString &pictureFile,
    const THoseiSaveChooser &choose, TPrompter &prompter)
{
    QString name = CorrectedSaveName(pictureFile);
    int filter = CorrectedSaveFilterOf(pictureFile);
    for (;;) {
        if (!choose(name, filter))
            return false;
        const QString wanted = CorrectedSaveFilterExtension(filter);
        if (SuffixOf(name).compare(wanted, Qt::CaseInsensitive) != 0) {
            const QString renamed = WithSuffix(name, wanted);
            const QString question
                = QStringLiteral("拡張子が選択されている「ファイルの種類」と異なります。\r\n\r\n")
                + QStringLiteral("　　%1 ⇒ %2")
                      .arg(QFileInfo(name).fileName(), QFileInfo(renamed).fileName())
                + QStringLiteral("\r\n\r\n")
                + QStringLiteral("変更してから保存します。よろしいですか？");
            if (prompter.Ask(TMsgKind::mkConfirmation, question, mbOK | mbNo) != TModalResult::mrOk)
                continue;
            name = renamed;
        }
        if (QFileInfo::exists(name)) {
            const TModalResult answer = prompter.Ask(TMsgKind::mkConfirmation,
                QStringLiteral("上書きしますか？"), mbYes | mbNo | mbCancel | mbSafeDefault);
            if (answer == TModalResult::mrNo)
                continue;
            if (answer != TModalResult::mrYes)
                return false;
        }
        break;
    }
    try {
        const TBitmap corrected = work.CorrectFullSize(pictureFile);
        // The picture writer has no PNG encoder; Qt's writes it, so that the type offered in the
        // list is not silently left unwritten.
        const bool written = SuffixOf(name).compare(QLatin1String("png"), Qt::CaseInsensitive) == 0
            ? corrected.View().save(name, "PNG")
            : SavePicture(name, corrected, false);
        if (!written)
            prompter.Error(QStringLiteral("%1 に保存できませんでした。").arg(name));
        return written;
    } catch (const std::exception &failure) {
        ShowCorrectionFailure(prompter, failure);
        return false;
    }
}

void ShowCorrectionFailure(TPrompter &prompter, const std::exception &failure)
{
    if (dynamic_cast<const std::bad_alloc *>(&failure)) {
        prompter.Error(CorrectionOutOfMemoryText(QString::fromLatin1(failure.what())));
        return;
    }
    const auto *picture = dynamic_cast<const EPictureError *>(&failure);
    const QString text = picture ? picture->Message() : QString::fromLocal8Bit(failure.what());
    if (picture && picture->Kind() == peOutOfMemory)
        prompter.Error(CorrectionOutOfMemoryText(text));
    else if (picture && picture->Kind() == peNoBitmap)
        prompter.Error(CorrectionNoBitmapText(text));
    else
        prompter.Error(text);
}

} // namespace korvatel
