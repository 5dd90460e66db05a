#include "cli/imaging_commands.h"

#include "imaging/correction.h"
#include "imaging/correction_text.h"
#include "imaging/exif.h"
#include "imaging/picture.h"
#include "imaging/picture_kinds.h"
#include "imaging/resample.h"
#include "imaging/thumbnail.h"
#include "platform/background_job.h"
#include "platform/prompter.h"
#include "sources/thumb_plan.h"
#include "sources/thumb_pool.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QTextStream>
#include <QThread>
#include <atomic>
#include <vector>

namespace korvatel
{

namespace
{

// Loads any picture the program reads; a JPEG at the given scale.
std::optional<TBitmap> LoadAny(const QString &fileName, TJpegScale scale, QTextStream &err)
{
    try {
        TPicture picture;
        if (IsPictureFile(fileName) == 1
            && fileName.endsWith(QLatin1String(".cci"), Qt::CaseInsensitive)) {
            TJpegImage jpeg;
            if (!LoadCciJpeg(jpeg, fileName)) {
                err << "cannot read " << fileName << '\n';
                return std::nullopt;
            }
            picture.Assign(std::move(jpeg));
        } else if (!LoadPicture(picture, fileName, true)) {
            err << "cannot load " << fileName << " (missing or not a picture kind)\n";
            return std::nullopt;
        }
        if (TJpegImage *jpeg = picture.Jpeg())
            jpeg->Scale = scale;
        return picture.ToBitmap();
    } catch (const std::exception &e) {
        err << fileName << ": " << QString::fromUtf8(e.what()) << '\n';
        return std::nullopt;
    }
}

// Writes a bitmap by the name's extension: PNG through Qt, the others as SavePicture writes
// them.
bool SaveAny(const QString &fileName, const TBitmap &bitmap, QTextStream &err)
{
    const bool saved = fileName.endsWith(QLatin1String(".png"), Qt::CaseInsensitive)
        ? bitmap.View().save(fileName, "PNG")
        : SavePicture(fileName, bitmap, false);
    if (!saved)
        err << "cannot write " << fileName << '\n';
    return saved;
}

std::optional<TJpegScale> ScaleOption(const QString &text)
{
    if (text == QLatin1String("1"))
        return jsFullSize;
    if (text == QLatin1String("2"))
        return jsHalf;
    if (text == QLatin1String("4"))
        return jsQuarter;
    if (text == QLatin1String("8"))
        return jsEighth;
    return std::nullopt;
}

int PositiveNumber(const QString &text)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    return ok && v > 0 ? v : -1;
}

} // namespace

int CliExif(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (args.size() != 1) {
        err << "usage: exif FILE\n";
        return 2;
    }
    TExifInfo exif;
    exif.SetImageFileName(args[0]);
    const auto place = exif.ThumbnailPlace();
    const bool ok = exif.ErrorCode() == 0;
    out << "file=" << args[0] << '\n';
    out << "byte_order=" << (ok ? (exif.BigEndian() ? "MM" : "II") : "") << '\n';
    out << "frame_width=" << exif.FrameWidth() << '\n';
    out << "frame_height=" << exif.FrameHeight() << '\n';
    out << "width=" << exif.Width() << '\n';
    out << "height=" << exif.Height() << '\n';
    out << "date_taken=" << (ok ? exif.DateTimeOriginalText() : QString()) << '\n';
    out << "thumbnail=" << (place ? "yes" : "no") << '\n';
    out << "thumbnail_offset=" << (place ? QString::number(place->first) : QString()) << '\n';
    out << "thumbnail_length=" << (place ? QString::number(place->second) : QString()) << '\n';
    out << "make=" << exif.Make().trimmed() << '\n';
    out << "model=" << exif.Model().trimmed() << '\n';
    out << "error=" << exif.ErrorCode() << '\n';
    if (exif.ErrorCode() != 0)
        err << ExifErrorMessage(exif.ErrorCode()) << '\n';
    return exif.ErrorCode() == -1 ? 1 : 0;
}

int CliDecode(const QStringList &args, QTextStream &, QTextStream &err)
{
    QStringList rest = args;
    TJpegScale scale = jsFullSize;
    const int at = rest.indexOf(QStringLiteral("--scale"));
    if (at >= 0) {
        const std::optional<TJpegScale> s = ScaleOption(rest.value(at + 1));
        if (!s) {
            err << "--scale takes 1, 2, 4 or 8\n";
            return 2;
        }
        scale = *s;
        rest.remove(at, 2);
    }
    if (rest.size() != 2) {
        err << "usage: decode FILE OUT.png [--scale 1|2|4|8]\n";
        return 2;
    }
    const std::optional<TBitmap> bitmap = LoadAny(rest[0], scale, err);
    if (!bitmap)
        return 1;
    return SaveAny(rest[1], *bitmap, err) ? 0 : 1;
}

namespace
{

// The browser's thumbnail of the picture in a cell of the given size, made by the same plan:
// the camera's own thumbnail where the browser shows it, else the picture decoded and fitted
// (a JPEG in mode 8 whole). Throws what the decoders throw.
int MakeThumb(const QString &source, const QByteArray &data, int mode, int cell,
    const QString &target, QTextStream &out, QTextStream &err)
{
    TExifInfo exif;
    exif.LoadFromData(data);
    TThumbRequest request;
    request.mode = mode;
    request.kind = ImageKindOf(source);
    request.exifSizes = exif.ErrorCode() == 0;
    request.exifLongSide = request.exifSizes ? std::max(exif.Width(), exif.Height()) : 0;
    request.cellWidth = cell;
    request.cellSize = cell;
    TThumbPlan plan = ThumbnailPlan(request);
    if (plan.exifThumb) {
        TJpegImage camera;
        if (exif.ThumbnailToJpeg(camera, false, &data)) {
            if (plan.exifEnlarge > 0
                && !EnlargeExifThumb(camera.ToBitmap(), camera, plan.exifEnlarge)) {
                err << "cannot enlarge the Exif thumbnail\n";
                return 1;
            }
            out << "exif thumbnail " << camera.Width() << 'x' << camera.Height() << '\n';
            return camera.SaveToFile(target) ? 0 : 1;
        }
        // Without the camera's thumbnail the Exif sizes no longer count.
        request.exifSizes = false;
        plan = ThumbnailPlan(request);
    }
    if (plan.whole) {
        // The "thumbnail" is the picture itself.
        TJpegImage whole;
        whole.LoadFromData(data);
        out << "full picture " << whole.Width() << 'x' << whole.Height() << '\n';
        return whole.SaveToFile(target) ? 0 : 1;
    }
    TBitmap picture;
    if (request.kind == ikJpeg) {
        picture = DecodeJpeg(data, DecodeScale(plan, data));
        if (picture.Width() < 1 || picture.Height() < 1)
            throw EPictureError(QStringLiteral("Empty picture"));
    } else {
        std::optional<TBitmap> loaded = LoadAny(source, jsFullSize, err);
        if (!loaded)
            return 1;
        picture = std::move(*loaded);
    }
    TJpegImage thumbnail;
    thumbnail.CompressionQuality = 90;
    FitLongSide(plan.longSide, thumbnail, picture, plan.area);
    out << "thumbnail " << thumbnail.Width() << 'x' << thumbnail.Height() << '\n';
    return thumbnail.SaveToFile(target) ? 0 : 1;
}

// One file of a batch: its thumbnail made by a worker of the batch's job; what it printed is kept
// for the end, so lines of two files never mix.
struct TBatchThumb {
    QString source;
    QString target;
    QString output;
    QString errors;
    int result = 1;
};

void MakeBatchThumb(TBatchThumb &job, int mode, int cell)
{
    QTextStream out(&job.output);
    QTextStream err(&job.errors);
    const std::optional<QByteArray> data = ReadWholeFile(job.source, qint64(1) << 30);
    if (!data) {
        err << "cannot read " << job.source << '\n';
        return;
    }
    try {
        job.result = MakeThumb(job.source, *data, mode, cell, job.target, out, err);
    } catch (const std::exception &e) {
        err << job.source << ": " << QString::fromUtf8(e.what()) << '\n';
        job.result = 1;
    }
}

// thumb --out-dir DIR FILE...: every file's thumbnail as DIR/<name>.jpg, made on every core
// (ThumbWorkers), with a progress line on the error stream while they are made.
int ThumbBatch(const QString &folder, const QStringList &files, int mode, int cell,
    QTextStream &out, QTextStream &err)
{
    if (!QDir().mkpath(folder)) {
        err << "cannot make " << folder << '\n';
        return 1;
    }
    std::vector<TBatchThumb> jobs(size_t(files.size()));
    QSet<QString> targets;
    for (qsizetype i = 0; i < files.size(); ++i) {
        TBatchThumb &job = jobs[size_t(i)];
        job.source = files[i];
        job.target = QDir(folder).filePath(QFileInfo(files[i]).completeBaseName() + ".jpg");
        if (targets.contains(job.target)) {
            err << "two files would make " << job.target << '\n';
            return 2;
        }
        targets.insert(job.target);
    }
    std::atomic<int> done { 0 };
    std::atomic<size_t> next { 0 };
    const int total = int(jobs.size());
    {
        // Each worker takes the next file until none is left; the job's end joins them.
        TBackgroundJob batch;
        batch.Start(
            [&](TJobControl &control) {
                for (size_t at = next++; at < jobs.size() && !control.Stopped(); at = next++) {
                    MakeBatchThumb(jobs[at], mode, cell);
                    ++done;
                }
            },
            std::min(ThumbWorkers(), std::max(total, 1)));
        // A worker ended by an exception leaves its file undone: the wait ends with the job.
        for (int waited = 0; done < total && batch.Running(); ++waited) {
            if (waited % 10 == 9)
                err << "\rthumb " << done.load() << '/' << total << Qt::flush;
            QThread::msleep(10);
        }
    }
    err << "\rthumb " << total << '/' << total << '\n';
    int failed = 0;
    for (const TBatchThumb &job : jobs) {
        out << job.source << '\t' << job.output;
        err << job.errors;
        failed += job.result != 0;
    }
    out << "made " << total - failed << " of " << total << '\n';
    return failed == 0 ? 0 : 1;
}

} // namespace

int CliThumb(const QStringList &args, QTextStream &out, QTextStream &err)
{
    QStringList rest = args;
    QString outDir;
    if (const qsizetype at = rest.indexOf(QLatin1String("--out-dir")); at >= 0) {
        outDir = rest.value(at + 1);
        if (outDir.isEmpty()) {
            err << "--out-dir takes a folder\n";
            return 2;
        }
        rest.remove(at, 2);
    }
    int mode = outDir.isEmpty() ? -1 : 0;
    int cell = 200;
    for (const char *option : { "--mode", "--cell" }) {
        const int at = rest.indexOf(QLatin1String(option));
        if (at < 0)
            continue;
        const QString value = rest.value(at + 1);
        bool ok = false;
        const int v = value.toInt(&ok);
        if (!ok) {
            err << option << " takes a number\n";
            return 2;
        }
        (QLatin1String(option) == QLatin1String("--mode") ? mode : cell) = v;
        rest.remove(at, 2);
    }
    if (!outDir.isEmpty() && !rest.isEmpty() && mode >= 0 && mode <= 8 && cell >= 1)
        return ThumbBatch(outDir, rest, mode, cell, out, err);
    if (rest.size() != 2 || mode < 0 || mode > 8 || cell < 1 || !outDir.isEmpty()) {
        err << "usage: thumb FILE --mode 0..8 [--cell SIZE] OUT.jpg\n"
               "       thumb --out-dir DIR [--mode 0..8] [--cell SIZE] FILE...\n";
        return 2;
    }
    const QString source = rest[0];
    const QString target = rest[1];
    const std::optional<QByteArray> data = ReadWholeFile(source, qint64(1) << 30);
    if (!data) {
        err << "cannot read " << source << '\n';
        return 1;
    }
    try {
        return MakeThumb(source, *data, mode, cell, target, out, err);
    } catch (const std::exception &e) {
        err << source << ": " << QString::fromUtf8(e.what()) << '\n';
        return 1;
    }
}

int CliResize(const QStringList &args, QTextStream &out, QTextStream &err)
{
    const QString usage = QStringLiteral(
        "usage: resize FILE OUT (--bilinear W H | --area W H | --stretch W H | --fit N [--area] | "
        "--double)\n");
    if (args.size() < 3) {
        err << usage;
        return 2;
    }
    const QString method = args[2];
    const QStringList values = args.mid(3);
    const std::optional<TBitmap> source = LoadAny(args[0], jsFullSize, err);
    if (!source)
        return 1;
    TBitmap result;
    try {
        if (method == QLatin1String("--double") && values.isEmpty()) {
            result = *source;
            PseudoDoublePrecision(result);
        } else if (method == QLatin1String("--fit") && !values.isEmpty() && values.size() <= 2
            && (values.size() == 1 || values[1] == QLatin1String("--area"))) {
            const int n = PositiveNumber(values[0]);
            if (n < 0) {
                err << usage;
                return 2;
            }
            result = FitLongSide(n, *source, values.size() == 2);
        } else if (values.size() == 2) {
            const int w = PositiveNumber(values[0]);
            const int h = PositiveNumber(values[1]);
            if (w < 0 || h < 0) {
                err << usage;
                return 2;
            }
            if (method == QLatin1String("--bilinear"))
                result = ResizeBilinear(*source, w, h);
            else if (method == QLatin1String("--area"))
                result = ResizeAreaAverage(*source, w, h);
            else if (method == QLatin1String("--stretch"))
                result = StretchDraw(*source, w, h);
            else {
                err << usage;
                return 2;
            }
        } else {
            err << usage;
            return 2;
        }
    } catch (const EPictureError &e) {
        err << e.Message() << '\n';
        return 1;
    }
    out << result.Width() << 'x' << result.Height() << '\n';
    return SaveAny(args[1], result, err) ? 0 : 1;
}

namespace
{

const char kCorrectUsage[]
    = "usage: correct FILE --kind 0..5 [--density -100..100] [--contrast -100..100] "
      "[--rgb R,G,B (each -20..20)] OUT.jpg\n";

// A whole number within lowest..highest, or nullopt.
std::optional<int> NumberIn(const QString &text, int lowest, int highest)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < lowest || v > highest)
        return std::nullopt;
    return v;
}

// Takes the options of correct out of rest into the record; false after writing what is wrong.
bool CorrectOptions(QStringList &rest, CorrectionRecord &record, QTextStream &err)
{
    bool kindGiven = false;
    for (const char *option : { "--kind", "--density", "--contrast", "--rgb" }) {
        const int at = rest.indexOf(QLatin1String(option));
        if (at < 0)
            continue;
        const QString value = rest.value(at + 1);
        const QString name = QLatin1String(option);
        if (name == QLatin1String("--rgb")) {
            const QStringList parts = value.split(u',');
            const std::optional<int> r = NumberIn(parts.value(0), -20, 20);
            const std::optional<int> g = NumberIn(parts.value(1), -20, 20);
            const std::optional<int> b = NumberIn(parts.value(2), -20, 20);
            if (parts.size() != 3 || !r || !g || !b) {
                err << "--rgb takes three numbers -20..20 separated by commas\n";
                return false;
            }
            record.pointRed = int16_t(*r);
            record.pointGreen = int16_t(*g);
            record.pointBlue = int16_t(*b);
        } else if (name == QLatin1String("--kind")) {
            const std::optional<int> kind = NumberIn(value, 0, 5);
            if (!kind) {
                err << "--kind takes a number 0..5\n";
                return false;
            }
            record.kind = uint8_t(*kind);
            kindGiven = true;
        } else {
            const std::optional<int> amount = NumberIn(value, -100, 100);
            if (!amount) {
                err << option << " takes a number -100..100\n";
                return false;
            }
            (name == QLatin1String("--density") ? record.density : record.autoContrast)
                = int16_t(*amount);
        }
        rest.remove(at, 2);
    }
    if (!kindGiven || rest.size() != 2) {
        err << kCorrectUsage;
        return false;
    }
    return true;
}

} // namespace

int CliCorrect(const QStringList &args, QTextStream &out, QTextStream &err)
{
    QStringList rest = args;
    CorrectionRecord record;
    if (!CorrectOptions(rest, record, err))
        return 2;
    const QString source = rest[0];
    if (!QFileInfo(source).isFile()) {
        err << "cannot read " << source << '\n';
        return 1;
    }
    // The skin reference is measured as for an order item; a picture that cannot be measured
    // changes kind as the basket's item would, and is not written.
    if (record.kind >= 1 && record.kind <= 4) {
        TUnattendedPrompter prompter;
        if (!PrepareCorrection(record, QString(), source, prompter)) {
            err << "cannot measure " << source << "; the kind becomes " << int(record.kind) << '\n';
            out << RecordToText(record) << '\n';
            return 1;
        }
    }
    std::optional<TBitmap> bitmap = LoadAny(source, jsFullSize, err);
    if (!bitmap)
        return 1;
    CorrectThumbnail(*bitmap, record);
    if (!SaveAny(rest[1], *bitmap, err))
        return 1;
    out << RecordToText(record) << '\n';
    return 0;
}

} // namespace korvatel
