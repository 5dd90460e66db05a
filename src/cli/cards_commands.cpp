#include "cli/cards_commands.h"

#include "cards/layers.h"
#include "cards/plate_file.h"
#include "imaging/orientation.h"
#include "imaging/picture.h"
#include "text/sjis_file.h"

#include <QRegularExpression>
#include <QTextStream>
#include <algorithm>

namespace korvatel
{

namespace
{

constexpr int kPostcardWidth = 1181;
constexpr int kPostcardHeight = 1748;
constexpr qint64 kMaxPlateBytes = 512LL * 1024 * 1024;
// Cards are printed, not posters: a side beyond this is a typing error.
constexpr int kMaxCardSide = 20000;

const char kRenderUsage[]
    = "usage: card render PLATE.ksp [PICTURE...] --out CARD.jpg [--size WxH]\n"
      "  Puts the plate's layers on a card of WxH pixels (default 1181x1748, a postcard at\n"
      "  300 dpi). PICTURE n fills the n-th frame: the n-th layer behind the plate's front\n"
      "  sheet, covering it centred. The card is written as JPEG (.jpg) or BMP (.bmp).\n";

int Render(const QStringList &args, QTextStream &out, QTextStream &err)
{
    QString outFile;
    QSize size(kPostcardWidth, kPostcardHeight);
    QStringList files;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            out << kRenderUsage;
            return 0;
        }
        if (arg == QLatin1String("--out") && i + 1 < args.size()) {
            outFile = args.at(++i);
        } else if (arg == QLatin1String("--size") && i + 1 < args.size()) {
            const QRegularExpressionMatch m
                = QRegularExpression(QStringLiteral("^(\\d{1,6})[xX](\\d{1,6})$"))
                      .match(args.at(++i));
            const int w = m.hasMatch() ? m.captured(1).toInt() : 0;
            const int h = m.hasMatch() ? m.captured(2).toInt() : 0;
            if (w < 1 || h < 1 || w > kMaxCardSide || h > kMaxCardSide) {
                err << "--size wants WIDTHxHEIGHT in pixels, up to " << kMaxCardSide << '\n';
                return 2;
            }
            size = QSize(w, h);
        } else if (arg.startsWith(QLatin1String("--"))) {
            err << "unknown or incomplete option: " << arg << '\n' << kRenderUsage;
            return 2;
        } else {
            files << arg;
        }
    }
    if (files.isEmpty() || outFile.isEmpty()) {
        err << kRenderUsage;
        return 2;
    }
    const std::optional<QByteArray> bytes = ReadWholeFile(files.front(), kMaxPlateBytes);
    if (!bytes) {
        err << "cannot read " << files.front() << '\n';
        return 1;
    }
    const TPlateRead plate = ReadPlate(*bytes);
    if (plate.error != plOk) {
        err << PlateErrorText(plate.error) << '\n';
        return 1;
    }
    TLayers layers(size);
    layers.SetDisplayLimit(std::max(size.width(), size.height()));
    const TLayerLoad load = layers.LoadPlate(plate.plate);
    if (load.plateError != plOk) {
        err << load.message << '\n';
        return 1;
    }
    const int frames = std::max(0, layers.Count() - 1);
    if (files.size() - 1 > frames) {
        err << "the plate has " << frames << " frames for " << files.size() - 1 << " pictures\n";
        return 2;
    }
    for (int n = 1; n < files.size(); ++n) {
        std::optional<TBitmap> picture;
        try {
            picture = LoadUprightBitmap(files.at(n));
        } catch (const EPictureError &e) {
            err << files.at(n) << ": " << e.Message() << '\n';
            return 1;
        }
        if (!picture || picture->Empty()) {
            err << "cannot load the picture " << files.at(n) << '\n';
            return 1;
        }
        layers.ReplacePicture(n, std::move(*picture), files.at(n));
    }
    const TBitmap card = RenderCard(layers, size);
    if (!SavePicture(outFile, card, false)) {
        err << "cannot write " << outFile << " (give a .jpg or .bmp name)\n";
        return 1;
    }
    out << outFile << '\t' << size.width() << 'x' << size.height() << '\t' << layers.Count()
        << " layers\n";
    return 0;
}

} // namespace

int CardCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    const QString sub = args.value(0);
    if (sub == QLatin1String("render"))
        return Render(args.mid(1), out, err);
    if (sub == QLatin1String("--help") || sub == QLatin1String("-h")) {
        out << kRenderUsage;
        return 0;
    }
    err << "usage: card render ...\n" << kRenderUsage;
    return 2;
}

} // namespace korvatel
