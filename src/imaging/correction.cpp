#include "imaging/correction.h"

#include "imaging/histogram.h"
#include "imaging/picture.h"
#include "imaging/resample.h"
#include "platform/prompter.h"
#include "text/key_file.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

namespace korvatel
{

namespace
{

bool ValidKind(int kind)
{
    return kind >= 0 && kind <= 5;
}

// Rounds to the nearest integer, halves to the even neighbour.
int Nearest(double v)
{
    return int(std::lrint(v));
}

uint8_t ClampByte(int v)
{
    return uint8_t(v < 0 ? 0 : (v > 255 ? 255 : v));
}

// value × (numerator / denominator) with one rounding: the product of integers is exact.
double Scaled(int value, int numerator, int denominator)
{
    return double(qint64(value) * numerator) / denominator;
}

int Luminance(int r, int g, int b)
{
    return (299 * r + 587 * g + 114 * b) / 1000;
}

QRect AreaOrWhole(const QRect &area, const TBitmap &bitmap)
{
    const QRect whole(0, 0, bitmap.Width(), bitmap.Height());
    return area.isNull() ? whole : area.intersected(whole);
}

// A function of one integer tabled over the values a pixel loop meets, so that the loop looks
// values up instead of computing them per pixel; values outside the table (records with
// densities beyond the window's range) are computed.
class TIntTable
{
public:
    static constexpr int kFrom = -768;
    static constexpr int kTo = 1023;

    explicit TIntTable(std::function<int(int)> f)
        : FFunction(std::move(f))
    {
        for (int v = kFrom; v <= kTo; ++v)
            FTable[std::size_t(v - kFrom)] = FFunction(v);
    }
    int operator()(int v) const
    {
        const unsigned i = unsigned(v - kFrom);
        return i < FTable.size() ? FTable[i] : FFunction(v);
    }

private:
    std::function<int(int)> FFunction;
    std::array<int, std::size_t(kTo - kFrom + 1)> FTable {};
};

const QString kRemedies = QStringLiteral(
    "【原因と対策】\r\n1.他に起動しているプログラムが大きいか多数ある⇒それらを終了する\r\n"
    "2.搭載メモリが少ない⇒増設するか他のマシンを使う\r\n"
    "3.OSがWindows9X系,Meで、長時間別のソフトを動かした⇒OSを再起動する\r\n"
    "4.テスクトップにおびただしい数のアイコンがある⇒それらを削除整理する\r\n\r\n"
    "　この画像より小さな画像は処理できるかもしれません。");

} // namespace

bool CorrectionRecord::Active() const
{
    return (kind >= 1 && kind <= 4) || !ContrastPoints(*this).OnDiagonal() || density != 0;
}

const QStringList &CorrectionLabels(bool pointsSet)
{
    static const QStringList plain = { QStringLiteral("店で;補正"), QStringLiteral("肌色;補正"),
        QStringLiteral("赤強;補正"), QStringLiteral("緑強;補正"), QStringLiteral("青強;補正"),
        QStringLiteral("補正;無用") };
    static const QStringList points = { QStringLiteral("店で;補正"), QStringLiteral("指定;補正"),
        QStringLiteral("指定;赤強"), QStringLiteral("指定;緑強"), QStringLiteral("指定;青強"),
        QStringLiteral("補正;無用") };
    return pointsSet ? points : plain;
}

QString CorrectionLabel(int kind, bool pointsSet)
{
    return ValidKind(kind) ? CorrectionLabels(pointsSet).at(kind) : QString();
}

QString CorrectionHint(int kind, bool pointsSet)
{
    static const QStringList plain = { QStringLiteral("当店で補正をいたします。"),
        QStringLiteral(
            "標準の肌色補正です。補正した色調が悪かったり、まあまあキレイな画像は[店で補正]"
            "が無難です。"),
        QStringLiteral("標準の肌色補正に(赤)を強調しています。"),
        QStringLiteral("標準の肌色補正に(緑)を強調しています。"),
        QStringLiteral("標準の肌色補正に(青)を強調しています。"),
        QStringLiteral("補正無しのプリントです。そのまま出力します。") };
    static const QStringList points
        = { QStringLiteral("当店で補正をいたします。補正画面での色指定は無効です。"),
              QStringLiteral("補正画面での色調指定になっています。"),
              QStringLiteral("補正画面での色調指定に(赤)を強調しています。"),
              QStringLiteral("補正画面での色調指定に(緑)を強調しています。"),
              QStringLiteral("補正画面での色調指定に(青)を強調しています。"),
              QStringLiteral("補正無しのプリントです。補正画面での色調指定は無視します。") };
    return ValidKind(kind) ? (pointsSet ? points : plain).at(kind) : QString();
}

TCorrectionOffsets CorrectionOffsets(int kind)
{
    switch (kind) {
    case 2:
        return { 10, -2, -4 };
    case 3:
        return { -4, 6, -2 };
    case 4:
        return { -7, -2, 12 };
    default:
        return {};
    }
}

QString CorrectionLetter(int kind)
{
    static const char *const letters[] = { "", "H", "R", "G", "B", "X" };
    return ValidKind(kind) ? QString::fromLatin1(letters[kind]) : QString();
}

TContrastPoints ContrastPoints(const CorrectionRecord &record)
{
    if (record.manualContrast)
        return { QPoint(record.lowX, record.lowY), QPoint(record.highX, record.highY) };
    const int a = record.autoContrast;
    return { QPoint(std::max(a, 0), std::max(-a, 0)),
        QPoint(255 - std::max(a, 0), 255 + std::min(a, 0)) };
}

int ToneCurveChange(int l, const TContrastPoints &points)
{
    const int x1 = points.low.x();
    const int y1 = points.low.y();
    const int x2 = points.high.x();
    const int y2 = points.high.y();
    // Each slope is a ratio of integers: value × slope is taken as (value × numerator) /
    // denominator, one correctly rounded division, so exact halves stay halves.
    if ((l >= x1 && l <= x2) || (l >= x2 && l <= x1))
        return y1 + (x1 == x2 ? l - x1 : Nearest(Scaled(l - x1, y2 - y1, x2 - x1))) - l;
    if (l < x1)
        return (x1 < 2 ? l : Nearest(Scaled(l, y1, x1))) - l;
    return y2 + (x2 > 254 ? l - x2 : Nearest(Scaled(l - x2, 255 - y2, 255 - x2))) - l;
}

TBgr CorrectionTarget(int kind, int pointRed, int pointGreen, int pointBlue)
{
    const TCorrectionOffsets o = CorrectionOffsets(kind);
    return { ClampByte(kSkinTargetBlue + o.blue + pointBlue),
        ClampByte(kSkinTargetGreen + o.green + pointGreen),
        ClampByte(kSkinTargetRed + o.red + pointRed) };
}

TBgr MeasureSkin(const TBitmap &bitmap, const QRect &area, THistGram *histogram)
{
    const QRect r = AreaOrWhole(area, bitmap);
    qint64 sumR = 0, sumG = 0, sumB = 0, n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const uint8_t *p = bitmap.ScanLine(y) + 3 * r.left();
        for (int x = r.left(); x <= r.right(); ++x, p += 3) {
            const int B = p[0], G = p[1], R = p[2];
            if (histogram)
                histogram->AddPixel(0, { p[0], p[1], p[2] });
            if (R < 114 || R >= 186 || G < 62 || G >= 138 || B < 44 || B >= 128)
                continue;
            const double S = R + G + B;
            const double rs = R / S, gs = G / S, bs = B / S;
            if (rs >= 0.33 && gs >= 0.1 && bs >= 0.1 && rs < 0.6 && gs < 0.4 && bs < 0.4) {
                sumR += R;
                sumG += G;
                sumB += B;
                ++n;
            }
        }
    }
    if (n == 0)
        return {};
    return { uint8_t(sumB / n), uint8_t(sumG / n), uint8_t(sumR / n) };
}

TBitmap ApplyTone(
    const TBitmap &source, const CorrectionRecord &record, const QRect &area, THistGram *histogram)
{
    TBitmap result = source;
    const QRect r = area.intersected(QRect(0, 0, source.Width(), source.Height()));
    if (r.isEmpty())
        return result;
    const int d = record.density;
    const TContrastPoints points = ContrastPoints(record);
    const bool curve = !points.OnDiagonal();
    const TIntTable toneChange([&points](int l) { return ToneCurveChange(l, points); });
    for (int y = r.top(); y <= r.bottom(); ++y) {
        uint8_t *p = result.ScanLine(y) + 3 * r.left();
        for (int x = r.left(); x <= r.right(); ++x, p += 3) {
            const int l = (299 * p[2] + 587 * p[1] + 114 * p[0] + 1000 * d) / 1000;
            const int change = curve ? toneChange(l) : 0;
            for (int ch = 0; ch < 3; ++ch)
                p[ch] = ClampByte(p[ch] + d + change);
            if (histogram)
                histogram->AddPixel(1, { p[0], p[1], p[2] });
        }
    }
    return result;
}

TBitmap ApplyCorrection(const TBitmap &source, int kind, const CorrectionRecord &record,
    const QRect &area, THistGram *histogram)
{
    TBitmap result = source;
    const QRect r = area.intersected(QRect(0, 0, source.Width(), source.Height()));
    if (r.isEmpty())
        return result;
    const TCorrectionOffsets o = CorrectionOffsets(kind);
    // Red, green, blue order in these arrays.
    const int target[3] = { kSkinTargetRed + o.red + record.pointRed,
        kSkinTargetGreen + o.green + record.pointGreen,
        kSkinTargetBlue + o.blue + record.pointBlue };
    TBgr reference = record.Reference();
    if (reference == TBgr {})
        reference = MeasureSkin(source);
    const int from[3] = { reference.r, reference.g, reference.b };
    const int d = record.density;
    const TContrastPoints points = ContrastPoints(record);
    const bool curve = !points.OnDiagonal();
    const int k = curve ? 0 : 5;
    // The slopes as integer ratios (numerator, denominator); see Scaled.
    int lowNum[3], lowDen[3], highNum[3], highDen[3];
    for (int c = 0; c < 3; ++c) {
        // A reference equal to the black level would divide by zero; it maps like no reference.
        const bool low = from[c] != 0 && from[c] != k;
        lowNum[c] = low ? target[c] - k : 1;
        lowDen[c] = low ? from[c] - k : 1;
        const bool high = from[c] != 255;
        highNum[c] = high ? 255 - target[c] : 1;
        highDen[c] = high ? 255 - from[c] : 1;
    }
    const bool mapColour = !(reference == TBgr {}) && !(reference == TBgr { 255, 255, 255 });
    // The channel mappings with and without the tone curve, per channel, and the curve's change.
    const auto curveMap = [&](int c) {
        return TIntTable([&, c](int v) {
            return v > from[c] ? 255 - Nearest(Scaled(255 - v, highNum[c], highDen[c]))
                               : Nearest(Scaled(v, lowNum[c], lowDen[c]));
        });
    };
    const auto plainMap = [&](int c) {
        return TIntTable([&, c](int v) {
            return v > from[c] + 5 ? 255 - int(std::trunc(Scaled(255 - v, highNum[c], highDen[c])))
                                   : int(std::trunc(Scaled(v - 5, lowNum[c], lowDen[c]))) + 5;
        });
    };
    const auto map = [&](int c) { return curve ? curveMap(c) : plainMap(c); };
    const std::array maps { map(0), map(1), map(2) };
    const TIntTable toneChange([&points](int l) { return ToneCurveChange(l, points); });
    for (int y = r.top(); y <= r.bottom(); ++y) {
        uint8_t *p = result.ScanLine(y) + 3 * r.left();
        for (int x = r.left(); x <= r.right(); ++x, p += 3) {
            int v[3] = { p[2] + d, p[1] + d, p[0] + d };
            if (curve) {
                const int change = toneChange(Luminance(v[0], v[1], v[2]));
                for (int c = 0; c < 3; ++c) {
                    v[c] += change;
                    if (mapColour)
                        v[c] = maps[std::size_t(c)](v[c]);
                }
            } else if (mapColour) {
                // L = (299 R + 587 G + 114 B) / 1000 as a real is above 5 exactly when the
                // integer sum is above 5000.
                if (299 * v[0] + 587 * v[1] + 114 * v[2] > 5000) {
                    for (int c = 0; c < 3; ++c)
                        v[c] = maps[std::size_t(c)](v[c]);
                }
            }
            p[2] = ClampByte(v[0]);
            p[1] = ClampByte(v[1]);
            p[0] = ClampByte(v[2]);
            if (histogram)
                histogram->AddPixel(1, { p[0], p[1], p[2] });
        }
    }
    return result;
}

void CorrectThumbnail(TBitmap &bitmap, const CorrectionRecord &record)
{
    if (!record.Active())
        return;
    const QRect whole(0, 0, bitmap.Width(), bitmap.Height());
    bitmap = record.kind >= 1 && record.kind <= 4
        ? ApplyCorrection(bitmap, record.kind, record, whole)
        : ApplyTone(bitmap, record, whole);
}

QSize PrepareMeasureSize(int width, int height)
{
    if (width > 2000 || height > 2000) {
        const int divisor = width > 4000 || height > 4000 ? 3 : 2;
        return { width / divisor, height / divisor };
    }
    return { width, height };
}

QString CorrectionOutOfMemoryText(const QString &exceptionText)
{
    return exceptionText + QStringLiteral("\r\n\r\n")
        + QStringLiteral("本機の実装メモリでは、このファイルの色調補正処理はできません。")
        + QStringLiteral("\r\n\r\n") + kRemedies;
}

QString CorrectionOutOfResourcesText(const QString &exceptionText)
{
    return exceptionText + QStringLiteral("\r\n\r\n")
        + QStringLiteral("本機の現在の状態では、このファイルの色調補正処理はできません。")
        + QStringLiteral("\r\n\r\n") + kRemedies;
}

QString CorrectionNoBitmapText(const QString &exceptionText)
{
    return exceptionText + QStringLiteral("\r\n\r\n")
        + QStringLiteral("本機の現在の状態では、このファイルの色調補正処理はできません。")
        + QStringLiteral("\r\n\r\n")
        + QStringLiteral(
            "ビットマップが作れません。\r\n\r\n【原因と対策】\r\nWindows9X系では大きなビッ"
            "トマップでエラーが出ます。\r\n対策はありません。色調補正は使用できませ"
            "ん。\r\n長辺が3000ﾋﾟｸｾﾙ未満の画像なら、ほぼ大丈夫です。");
}

bool PrepareCorrection(CorrectionRecord &record, const QString &localCopy,
    const QString &sourceFile, TPrompter &prompter)
{
    QString fileName;
    if (!localCopy.isEmpty() && QFileInfo(localCopy).isFile())
        fileName = localCopy;
    else if (!sourceFile.isEmpty() && QFileInfo(sourceFile).isFile())
        fileName = sourceFile;
    else
        return false;
    auto fail = [&record]() { record.kind = record.kind == 4 ? 5 : 0; };
    try {
        TPicture picture;
        if (!LoadPicture(picture, fileName, true) || !picture.HasGraphic()) {
            fail();
            return false;
        }
        TBitmap bitmap = picture.ToBitmap();
        const QSize size = PrepareMeasureSize(bitmap.Width(), bitmap.Height());
        if (size != QSize(bitmap.Width(), bitmap.Height()))
            bitmap = StretchDraw(bitmap, size.width(), size.height());
        record.SetReference(MeasureSkin(bitmap));
        record.measured = 1;
        return true;
    } catch (const std::bad_alloc &e) {
        fail();
        prompter.Error(CorrectionOutOfMemoryText(QString::fromLatin1(e.what())));
    } catch (const EPictureError &e) {
        fail();
        // A picture too big for a bitmap is the "cannot make a bitmap" case; a damaged file
        // only loses its correction.
        if (e.Kind() == peNoBitmap)
            prompter.Error(CorrectionNoBitmapText(e.Message()));
    } catch (const EAbort &) {
        fail();
    }
    return false;
}

QRect TCorrectionArea::Pixels(int width, int height) const
{
    const int l = int(std::trunc(left * width));
    const int t = int(std::trunc(top * height));
    const int r = int(std::trunc(right * width));
    const int b = int(std::trunc(bottom * height));
    return QRect(QPoint(l, t), QPoint(r - 1, b - 1));
}

TCorrectionArea LoadCorrectionArea(const QString &fileName)
{
    TKeyFile file;
    TCorrectionArea area;
    if (!file.Load(fileName))
        return area;
    auto value = [&file](const char *name) {
        bool ok = false;
        const double v = file.Value(QLatin1String(name)).trimmed().toDouble(&ok);
        return ok && std::isfinite(v) ? std::clamp(v, 0.0, 1.0) : 0.0;
    };
    TCorrectionArea read;
    read.left = value("Left");
    read.right = value("Right");
    read.top = value("Top");
    read.bottom = value("Bottom");
    if (read.left >= read.right || read.top >= read.bottom)
        return area;
    return read;
}

bool SaveCorrectionArea(const QString &fileName, const TCorrectionArea &area)
{
    // The decision is taken on the values as the file keeps them (clamped as the reader clamps
    // them, with four decimals), so that an area which would read back as the whole picture is
    // not written, and every file written reads back and writes again unchanged.
    const auto stored = [](double value) {
        return QString::asprintf("%.4f", std::isfinite(value) ? std::clamp(value, 0.0, 1.0) : 0.0);
    };
    const QString left = stored(area.left);
    const QString right = stored(area.right);
    const QString top = stored(area.top);
    const QString bottom = stored(area.bottom);
    TCorrectionArea kept { left.toDouble(), top.toDouble(), right.toDouble(), bottom.toDouble() };
    if (kept.Whole() || kept.left >= kept.right || kept.top >= kept.bottom)
        return !QFileInfo::exists(fileName) || QFile::remove(fileName);
    TKeyFile file;
    file.SetValue(QStringLiteral("Left"), left);
    file.SetValue(QStringLiteral("Right"), right);
    file.SetValue(QStringLiteral("Top"), top);
    file.SetValue(QStringLiteral("Bottom"), bottom);
    return file.Save(fileName);
}

} // namespace korvatel
