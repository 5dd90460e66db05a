#include "cards/card_store.h"

#include "cards/layers.h"
#include "imaging/dib.h"
#include "text/numbers.h"
#include "text/sjis_file.h"
#include "workspace/workspace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <algorithm>
#include <cmath>

namespace korvatel
{

namespace
{

const QString kMagic = QStringLiteral("KorvatelCard");
// A stored picture is a 24-bit BMP no larger than the biggest bitmap the program makes.
constexpr qint64 kMaxStoredPicture = 3LL * 65535 * 4096 + 4096;

QString Num(double v)
{
    return QString::number(v, 'g', 17);
}

QString Bool(bool v)
{
    return v ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
}

QString LayerKey(int i, const char *name)
{
    return QStringLiteral("L%1.%2").arg(i).arg(QLatin1String(name));
}

// A file name with no folder in it, which may be opened beside the key file.
bool BareFileName(const QString &name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'))
        && name != QLatin1String(".") && name != QLatin1String("..");
}

double Fraction(const QString &text, double lo, double hi, double fallback)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(v) ? std::clamp(v, lo, hi) : fallback;
}

TColorValue Colour(const QString &text)
{
    bool ok = false;
    const qint64 v = text.trimmed().toLongLong(&ok);
    return ok && v >= 0 && v <= 0xFFFFFF ? TColorValue(v) : kNoColor;
}

} // namespace

QString CardStorePath(const TWorkspace &workspace)
{
    return CardStorePath(workspace.PostCard());
}

QString CardStorePath(const QString &postCardFolder)
{
    return QDir(postCardFolder).filePath(QStringLiteral("EditCard.ini"));
}

QStringList CardStoreLines(const TCardStore &store)
{
    QStringList lines;
    lines << kMagic + QStringLiteral("=1");
    lines << QStringLiteral("StageWidth=%1").arg(store.stageWidth);
    lines << QStringLiteral("StageHeight=%1").arg(store.stageHeight);
    if (!store.plateFile.isEmpty())
        lines << QStringLiteral("Plate=") + store.plateFile;
    lines << QStringLiteral("Layers=%1").arg(store.layers.size());
    for (int i = 0; i < int(store.layers.size()); ++i) {
        const TCardStoreLayer &l = store.layers[size_t(i)];
        lines << LayerKey(i, "FileName") + QLatin1Char('=') + l.fileName;
        lines << LayerKey(i, "Picture") + QLatin1Char('=') + l.pictureFile;
        lines << LayerKey(i, "Rect") + QLatin1Char('=') + Num(l.rel.left) + QLatin1Char(':')
                + Num(l.rel.top) + QLatin1Char(':') + Num(l.rel.right) + QLatin1Char(':')
                + Num(l.rel.bottom);
        lines << LayerKey(i, "Rotation") + QLatin1Char('=') + QString::number(l.rotation);
        lines << LayerKey(i, "MirrorLR") + QLatin1Char('=') + Bool(l.mirrorLeftRight);
        lines << LayerKey(i, "MirrorUD") + QLatin1Char('=') + Bool(l.mirrorUpDown);
        lines << LayerKey(i, "Fit") + QLatin1Char('=') + QString::number(l.fit);
        lines << LayerKey(i, "SizeLock") + QLatin1Char('=') + Bool(l.sizeLock);
        lines << LayerKey(i, "ShowMask") + QLatin1Char('=') + Bool(l.showMask);
        lines << LayerKey(i, "Visible") + QLatin1Char('=') + Bool(l.visible);
        lines << LayerKey(i, "Color") + QLatin1Char('=') + QString::number(l.transparentColor);
        lines << LayerKey(i, "Ops") + QLatin1Char('=') + QString::number(l.ops.size());
        for (int k = 0; k < int(l.ops.size()); ++k) {
            const TMaskOp &op = l.ops[size_t(k)];
            lines << QStringLiteral("L%1.Op%2=%3,%4,%5,%6,%7,%8,%9")
                         .arg(i)
                         .arg(k)
                         .arg(int(op.kind))
                         .arg(int(op.level))
                         .arg(Num(op.x1), Num(op.y1), Num(op.x2), Num(op.y2))
                         .arg(op.color);
        }
    }
    return lines;
}

std::optional<TCardStore> ParseCardStore(const QByteArray &bytes)
{
    const std::optional<QStringList> lines = SjisLines(bytes, 100000);
    if (!lines || lines->isEmpty() || lines->front() != kMagic + QStringLiteral("=1"))
        return std::nullopt;
    QHash<QString, QString> values;
    for (const QString &line : *lines) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && !values.contains(line.left(eq)))
            values.insert(line.left(eq), line.mid(eq + 1));
    }
    auto boolOf = [&](const QString &key, bool fallback) {
        const auto it = values.constFind(key);
        return it == values.constEnd() ? fallback : *it == QLatin1String("TRUE");
    };
    TCardStore store;
    store.stageWidth
        = std::clamp(ParseInteger(values.value(QStringLiteral("StageWidth")), 0), 0, 65535);
    store.stageHeight
        = std::clamp(ParseInteger(values.value(QStringLiteral("StageHeight")), 0), 0, 65535);
    store.plateFile = values.value(QStringLiteral("Plate"));
    const int count = ParseInteger(values.value(QStringLiteral("Layers")), -1);
    if (count < 0 || count > kMaxStoredLayers)
        return std::nullopt;
    int opsLeft = kMaxStoredOps;
    for (int i = 0; i < count; ++i) {
        TCardStoreLayer l;
        l.fileName = values.value(LayerKey(i, "FileName"));
        l.pictureFile = values.value(LayerKey(i, "Picture"));
        if (!l.pictureFile.isEmpty() && !BareFileName(l.pictureFile))
            return std::nullopt;
        const QStringList rect = values.value(LayerKey(i, "Rect")).split(QLatin1Char(':'));
        double v[4] = {};
        for (int k = 0; k < 4; ++k)
            v[k] = Fraction(rect.value(k), -100, 100, 0);
        l.rel = { v[0], v[1], v[2], v[3] };
        const int rotation = ParseInteger(values.value(LayerKey(i, "Rotation")), 0);
        l.rotation = rotation == 90 || rotation == 180 || rotation == 270 ? rotation : 0;
        l.mirrorLeftRight = boolOf(LayerKey(i, "MirrorLR"), false);
        l.mirrorUpDown = boolOf(LayerKey(i, "MirrorUD"), false);
        l.fit = std::clamp(ParseInteger(values.value(LayerKey(i, "Fit")), 0), 0, 5);
        l.sizeLock = boolOf(LayerKey(i, "SizeLock"), false);
        l.showMask = boolOf(LayerKey(i, "ShowMask"), true);
        l.visible = boolOf(LayerKey(i, "Visible"), true);
        l.transparentColor = Colour(values.value(LayerKey(i, "Color")));
        const int ops = std::min(ParseInteger(values.value(LayerKey(i, "Ops")), 0), opsLeft);
        for (int k = 0; k < ops; ++k) {
            const QStringList f
                = values.value(QStringLiteral("L%1.Op%2").arg(i).arg(k)).split(QLatin1Char(','));
            const int kind = ParseInteger(f.value(0), -1);
            if (f.size() != 7 || kind < 0 || kind > 3)
                continue;
            TMaskOp op;
            op.kind = TMaskKind(kind);
            op.level = uint8_t(std::clamp(ParseInteger(f.value(1), 32), 0, 255));
            op.x1 = Fraction(f.value(2), 0, 1, 0);
            op.y1 = Fraction(f.value(3), 0, 1, 0);
            op.x2 = Fraction(f.value(4), 0, 1, 0);
            op.y2 = Fraction(f.value(5), 0, 1, 0);
            op.color = Colour(f.value(6));
            l.ops.push_back(op);
            --opsLeft;
        }
        store.layers.push_back(std::move(l));
    }
    return store;
}

bool SaveCard(const TLayers &layers, const QString &keyFile, const QString &plateFile)
{
    const QFileInfo info(keyFile);
    const QDir dir = info.absoluteDir();
    if (!dir.exists() && !QDir().mkpath(dir.absolutePath()))
        return false;
    const QString base = info.completeBaseName();
    TCardStore store;
    store.stageWidth = layers.Stage().width();
    store.stageHeight = layers.Stage().height();
    store.plateFile = plateFile;
    for (int i = 0; i < layers.Count(); ++i) {
        const TLayer &layer = *layers.Layer(i);
        const TLayerImage &image = layer.Image();
        TCardStoreLayer l;
        l.fileName = layer.FileName;
        if (!image.Picture().Empty()) {
            l.pictureFile = QStringLiteral("%1_%2.bmp").arg(base).arg(i);
            if (!WriteFileAtomic(dir.filePath(l.pictureFile), SaveDIBToStream(image.Picture()),
                    TFileAccess::faPrivate))
                return false;
        }
        l.rel = image.Rel;
        l.rotation = image.Rotation();
        l.mirrorLeftRight = image.MirrorLeftRight();
        l.mirrorUpDown = image.MirrorUpDown();
        l.fit = layer.Fit;
        l.sizeLock = image.SizeLock;
        l.showMask = image.ShowMask();
        l.visible = layer.Visible;
        l.transparentColor = image.TransparentColor;
        l.ops = image.Ops();
        store.layers.push_back(std::move(l));
    }
    if (!WriteSjisLines(keyFile, CardStoreLines(store), TFileAccess::faPrivate))
        return false;
    // Pictures of layers a former save had beyond the present count are no longer listed.
    for (int i = layers.Count();; ++i) {
        const QString stale = dir.filePath(QStringLiteral("%1_%2.bmp").arg(base).arg(i));
        if (!QFile::exists(stale) || !QFile::remove(stale))
            break;
    }
    return true;
}

bool LoadCard(TLayers &layers, const QString &keyFile)
{
    const std::optional<QByteArray> bytes = ReadWholeFile(keyFile);
    if (!bytes)
        return false;
    const std::optional<TCardStore> store = ParseCardStore(*bytes);
    if (!store)
        return false;
    const QDir dir = QFileInfo(keyFile).absoluteDir();
    layers.Clear();
    for (const TCardStoreLayer &l : store->layers) {
        if (l.pictureFile.isEmpty())
            continue;
        const std::optional<QByteArray> data
            = ReadWholeFile(dir.filePath(l.pictureFile), kMaxStoredPicture);
        if (!data)
            continue;
        TBitmap picture;
        try {
            picture = LoadDIBFromStream(*data);
        } catch (const EPictureError &) {
            continue;
        }
        const int index = layers.Add(std::move(picture), l.fileName);
        TLayer &layer = *layers.Layer(index);
        layer.Image().TransparentColor = l.transparentColor;
        layers.SetOrientation(index, l.rotation, l.mirrorLeftRight, l.mirrorUpDown);
        layers.SetOps(index, l.ops);
        layers.SetShowMask(index, l.showMask);
        layer.Image().SizeLock = l.sizeLock;
        layer.Visible = l.visible;
        layer.Fit = l.fit;
        layer.Image().Rel = l.rel;
    }
    layers.PlaceFromRelative();
    return true;
}

} // namespace korvatel
