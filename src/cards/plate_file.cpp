#include "cards/plate_file.h"

#include "imaging/dib.h"
#include "imaging/jpeg_codec.h"
#include "text/cp932.h"
#include "text/numbers.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <optional>

namespace korvatel
{

namespace
{

constexpr int kLeadInSize = 23;
constexpr char kTag[] = "KorvatelCardEitor=";
// No card editor writes more entry lines than this; a longer header is damaged.
constexpr int kMaxEntryLines = 4096;
constexpr double kMaxRelative = 100;

// The value of key in an entry line of "key=value;" items; nullopt when the line has none.
std::optional<QString> ItemValue(const QStringList &items, const QString &key)
{
    for (const QString &item : items) {
        const qsizetype eq = item.indexOf(QLatin1Char('='));
        if (eq >= 0 && item.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return item.mid(eq + 1);
    }
    return std::nullopt;
}

struct TEntry {
    qint64 size = 0;
    TPlateBlock block;
};

// An entry line; size 0 when Size is missing or not a positive number.
TEntry ParseEntry(const QString &line)
{
    const QStringList items = line.split(QLatin1Char(';'));
    TEntry entry;
    bool ok = false;
    if (std::optional<QString> size = ItemValue(items, QStringLiteral("Size"))) {
        const qint64 n = size->trimmed().toLongLong(&ok);
        entry.size = ok && n > 0 ? n : 0;
    }
    entry.block.ext = ItemValue(items, QStringLiteral("Ext")).value_or(QString()).trimmed();
    entry.block.fileName = ItemValue(items, QStringLiteral("FileName")).value_or(QString());
    if (std::optional<QString> rect = ItemValue(items, QStringLiteral("Rect"))) {
        const QStringList parts = rect->split(QLatin1Char(':'));
        double v[4] = { 0, 0, 0, 0 };
        for (int i = 0; i < 4 && i < parts.size(); ++i) {
            // A layer may reach beyond the card, but not a hundred cards away.
            const double d = ParseNumber(parts[i].trimmed(), 0);
            v[i] = std::isfinite(d) ? std::clamp(d, -kMaxRelative, kMaxRelative) : 0;
        }
        entry.block.rect = { v[0], v[1], v[2], v[3] };
    }
    if (std::optional<QString> mskc = ItemValue(items, QStringLiteral("Mskc"))) {
        const qint64 c = mskc->trimmed().toLongLong(&ok);
        entry.block.mskc = ok && c >= 0 && c <= 0xFFFFFF ? TColorValue(c) : kNoColor;
    }
    return entry;
}

// A layer is never drawn larger than the card is printed, so the pixels of a photo beyond that
// would only take memory: the decoder drops them while decoding (DCT scaling), which costs a
// fraction of decoding at full size.
TJpegScale LayerScale(const QByteArray &data, int maxSide)
{
    const std::optional<TJpegInfo> info = maxSide > 0 ? ReadJpegInfo(data) : std::nullopt;
    if (!info)
        return jsFullSize; // the decoder then says what is wrong with the data
    const qint64 side = std::max(info->width, info->height);
    TJpegScale scale = jsFullSize;
    for (const auto &[next, denominator] :
        { std::pair { jsHalf, 2 }, std::pair { jsQuarter, 4 }, std::pair { jsEighth, 8 } }) {
        if ((side + denominator - 1) / denominator < maxSide)
            break;
        scale = next;
    }
    return scale;
}

} // namespace

QString PlateErrorText(TPlateError error)
{
    switch (error) {
    case plOk:
        return {};
    case plNoTag:
        return QStringLiteral("読めないデータです。書式がありません。");
    case plNoEndMarker:
        return QStringLiteral("書式ヘッダが壊れています。終端マーカーがありません。");
    case plTooLarge:
        return QStringLiteral("台紙の画像が大きすぎます。");
    }
    return {};
}

TPlateRead ReadPlate(const QByteArray &bytes, bool previewOnly)
{
    TPlateRead result;
    if (bytes.size() < kLeadInSize || !bytes.startsWith(kTag)) {
        result.error = plNoTag;
        return result;
    }
    const qsizetype end = bytes.indexOf('\r', kLeadInSize);
    if (end < 0) {
        result.error = plNoEndMarker;
        return result;
    }
    const QList<QByteArray> lines = bytes.mid(kLeadInSize, end - kLeadInSize).split('\n');
    if (lines.size() > kMaxEntryLines + 1) {
        result.error = plNoEndMarker;
        return result;
    }
    // The first header line says nothing of the blocks; every further line is one block.
    qint64 pos = end + 1;
    bool first = true;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (lines[i].trimmed().isEmpty())
            continue;
        TEntry entry = ParseEntry(FromCp932(lines[i]));
        if (entry.size <= 0 || entry.size > bytes.size() - pos) {
            result.error = plNoEndMarker;
            result.plate = {};
            return result;
        }
        entry.block.data = bytes.mid(pos, entry.size);
        pos += entry.size;
        if (first) {
            result.plate.preview = std::move(entry.block);
            first = false;
            if (previewOnly)
                return result;
        } else {
            result.plate.layers.push_back(std::move(entry.block));
        }
    }
    if (first && previewOnly)
        result.error = plNoEndMarker; // no preview block at all
    return result;
}

TBitmap DecodePlateBlock(const TPlateBlock &block, int maxSide)
{
    if (block.ext.compare(QLatin1String("BMP"), Qt::CaseInsensitive) == 0)
        return LoadDIBFromStream(block.data);
    if (block.ext.compare(QLatin1String("JPG"), Qt::CaseInsensitive) == 0)
        return DecodeJpeg(block.data, LayerScale(block.data, maxSide));
    return {};
}

int PlateWindows(const TPlate &plate)
{
    return int(std::count_if(plate.layers.begin(), plate.layers.end(),
        [](const TPlateBlock &block) { return block.mskc == kNoColor; }));
}

} // namespace korvatel
