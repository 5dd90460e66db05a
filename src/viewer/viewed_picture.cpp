#include "viewer/viewed_picture.h"

#include "imaging/effects.h"
#include "imaging/orientation.h"
#include "imaging/picture.h"
#include "imaging/resample.h"
#include "platform/file_times.h"
#include "platform/prompter.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace korvatel
{

namespace
{

QString Extension(const QString &fileName)
{
    return QFileInfo(fileName).suffix().toUpper();
}

// Writes the bitmap in the format of the name's kind. A copy under another name gets the
// source's times; saved over the source, the picture keeps the time of this write, so every
// thumbnail and local copy made from the old picture is seen to be stale and the order sends
// the edited one.
bool WriteWithSourceTimes(const TBitmap &bitmap, const QString &target, const QString &source)
{
    const bool over = QFileInfo(target).absoluteFilePath() == QFileInfo(source).absoluteFilePath();
    const std::optional<TFileTimes> times = ReadFileTimes(source);
    if (!SavePicture(target, bitmap, false))
        return false;
    if (times && !over)
        SetFileTimes(target, times->lastWrite, times->lastAccess);
    return true;
}

QString SaveFailedText(const QString &target)
{
    return QDir::toNativeSeparators(target) + QStringLiteral(" に保存できませんでした。");
}

// Whether a name is taken for the order copy: a file of that name exists, or one whose name
// differs from it only in case. "IMG_1.jpg" and "IMG_1.JPG" are two files here, but such a twin
// looks like the source in every list and meets it under one name on the shop's server, so
// the copy of an edited "IMG_1.jpg" is proposed as "IMG_1-2.JPG".
std::function<bool(const QString &)> OrderNameTaken(const QString &source)
{
    QSet<QString> names;
    const QStringList entries = QFileInfo(source).dir().entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &entry : entries)
        names.insert(entry.toCaseFolded());
    return [names](const QString &name) {
        return QFileInfo::exists(name) || names.contains(QFileInfo(name).fileName().toCaseFolded());
    };
}

} // namespace

std::optional<TBitmap> TViewedPicture::Decode(const QString &fileName, QString *error)
{
    try {
        TBitmap bitmap;
        if (Extension(fileName) == QLatin1String("CCI")) {
            if (!LoadCciJpeg(bitmap, fileName))
                throw EPictureError(QStringLiteral("JPEG stream not found"));
        } else {
            // The viewer works on the picture as the user sees it: turns and trimming frames
            // are in upright coordinates, and a saved copy is upright without a tag.
            std::optional<TBitmap> upright = LoadUprightBitmap(fileName);
            if (!upright)
                throw EPictureError(QStringLiteral("File not found: ") + fileName);
            bitmap = std::move(*upright);
        }
        if (bitmap.Empty())
            throw EPictureError(QStringLiteral("No picture: ") + fileName);
        return bitmap;
    } catch (const EPictureError &e) {
        if (error)
            *error = e.Message();
    } catch (const std::exception &e) {
        if (error)
            *error = QString::fromLocal8Bit(e.what());
    }
    return std::nullopt;
}

bool TViewedPicture::Load(const QString &fileName, QString *error)
{
    Clear();
    std::optional<TBitmap> bitmap = Decode(fileName, error);
    if (!bitmap)
        return false;
    Adopt(fileName, std::move(*bitmap));
    return true;
}

void TViewedPicture::Adopt(const QString &fileName, TBitmap bitmap)
{
    Clear();
    FBitmap = std::move(bitmap);
    FFileName = fileName;
}

void TViewedPicture::Clear()
{
    FFileName.clear();
    FBitmap.Clear();
    FUndo.Clear();
    FTurns = FUndoTurns = 0;
    FChanged = false;
}

bool TViewedPicture::IsCampus() const
{
    return Extension(FFileName) == QLatin1String("CCI");
}

void TViewedPicture::KeepUndo()
{
    FUndo = FBitmap;
    FUndoTurns = FTurns;
}

void TViewedPicture::Undo()
{
    if (FUndo.Empty())
        return;
    FBitmap = std::move(FUndo);
    FUndo.Clear();
    FTurns = FUndoTurns;
}

void TViewedPicture::Rotate(RotationType rotation)
{
    if (FBitmap.Empty() || rotation == rtNone)
        return;
    KeepUndo();
    RotateImage(FBitmap, rotation);
    FTurns = (FTurns + int(rotation)) % 4; // rt90, rt180 and rt270 are one, two, three turns
    FChanged = true;
}

bool TViewedPicture::Trim(const QRect &pixels)
{
    const QRect part = pixels & QRect(0, 0, FBitmap.Width(), FBitmap.Height());
    if (part.isEmpty())
        return false;
    TBitmap trimmed(part.width(), part.height());
    for (int y = 0; y < part.height(); ++y)
        std::copy_n(FBitmap.ScanLine(part.top() + y) + 3 * part.left(), 3 * part.width(),
            trimmed.ScanLine(y));
    KeepUndo();
    FBitmap = std::move(trimmed);
    FChanged = true;
    return true;
}

void TViewedPicture::Tone(TToneStep step, const std::function<void(int)> &progress)
{
    if (FBitmap.Empty())
        return;
    KeepUndo();
    ApplyToneStep(FBitmap, step, progress);
    FChanged = true;
}

bool TViewedPicture::DoubleAllowed(QSize size, bool forced)
{
    return forced
        || (2 * size.width() - 1 <= kDoubleLimit && 2 * size.height() - 1 <= kDoubleLimit);
}

int TViewedPicture::DoubleSteps(QSize size)
{
    int steps = 0;
    while (size.width() > 0 && size.height() > 0 && DoubleAllowed(size, false)) {
        size = QSize(2 * size.width() - 1, 2 * size.height() - 1);
        ++steps;
        if (size.width() == 1 && size.height() == 1)
            break; // a single pixel stays a single pixel
    }
    return steps;
}

bool TViewedPicture::PseudoDouble(bool forced)
{
    if (FBitmap.Empty() || !DoubleAllowed(Size(), forced))
        return false;
    TBitmap before = FBitmap;
    PseudoDoublePrecision(FBitmap);
    if (FBitmap.Width() == before.Width())
        return false; // the enlargement failed and left the picture as it was
    FUndo = std::move(before);
    FChanged = true;
    return true;
}

bool IsSaveAsExtension(const QString &fileName)
{
    static const QStringList kinds { QStringLiteral("JPG"), QStringLiteral("JPEG"),
        QStringLiteral("BMP"), QStringLiteral("BID") };
    return kinds.contains(Extension(fileName));
}

bool IsOrderExtension(const QString &fileName)
{
    return Extension(fileName) == QLatin1String("JPG");
}

QString ProposedOrderName(const QString &source, const std::function<bool(const QString &)> &exists)
{
    const QFileInfo info(source);
    const QDir folder = info.dir();
    const QString base = info.completeBaseName();
    QString name = folder.filePath(base + QStringLiteral(".JPG"));
    for (int n = 2; exists(name) && n < 1000000; ++n)
        name = folder.filePath(QStringLiteral("%1-%2.JPG").arg(base).arg(n));
    return name;
}

namespace
{

// The question about an open trimming frame: Yes trims, No leaves the frame, anything else stops.
bool AnswerOpenFrame(const TViewerSaveHooks &hooks, TPrompter &prompter, const QString &question)
{
    if (!hooks.frameOpen)
        return true;
    const TModalResult answer
        = prompter.Ask(TMsgKind::mkConfirmation, question, mbYes | mbNo | mbCancel);
    if (answer == TModalResult::mrYes && hooks.applyTrim)
        hooks.applyTrim();
    return answer == TModalResult::mrYes || answer == TModalResult::mrNo;
}

// The name dialog again and again until its answer has an accepted extension and may be
// written; then the picture is written with the source's times.
struct TTargetRules {
    bool (*extensionOk)(const QString &);
    QString extensionMessage;
    std::function<bool(TPrompter &)> overwriteOk;
};

TSaveOutcome AskAndWrite(const TViewedPicture &picture, const TViewerSaveHooks &hooks,
    TPrompter &prompter, QString target, const TTargetRules &rules, QString *written)
{
    for (;;) {
        target = hooks.askFileName ? hooks.askFileName(target) : QString();
        if (target.isEmpty())
            return TSaveOutcome::soCancelled;
        if (!rules.extensionOk(target)) {
            prompter.Inform(rules.extensionMessage);
            continue;
        }
        if (QFileInfo::exists(target) && !rules.overwriteOk(prompter))
            continue;
        break;
    }
    if (!WriteWithSourceTimes(picture.Bitmap(), target, picture.FileName())) {
        prompter.Error(SaveFailedText(target));
        return TSaveOutcome::soFailed;
    }
    if (hooks.saved)
        hooks.saved(target);
    if (written)
        *written = target;
    return TSaveOutcome::soSaved;
}

} // namespace

QString ProposedSaveAsName(
    const QString &source, const std::function<bool(const QString &)> &exists)
{
    const QFileInfo info(source);
    const QString suffix = info.suffix().isEmpty() ? QStringLiteral("JPG") : info.suffix();
    for (int number = 2;; ++number) {
        const QString name = info.dir().filePath(
            QStringLiteral("%1-%2.%3").arg(info.completeBaseName()).arg(number).arg(suffix));
        if (!exists(name))
            return name;
    }
}

TSaveOutcome SaveViewedPictureAs(
    TViewedPicture &picture, const TViewerSaveHooks &hooks, TPrompter &prompter, QString *savedName)
{
    if (picture.Empty())
        return TSaveOutcome::soCancelled;
    if (picture.IsCampus()) {
        prompter.Inform(viewer_text::CampusNoSave());
        return TSaveOutcome::soCancelled;
    }
    if (!AnswerOpenFrame(hooks, prompter, viewer_text::TrimBeforeSave()))
        return TSaveOutcome::soCancelled;
    // Overwriting is never the default: the name proposed is a new one, and Enter on the
    // overwrite question cancels.
    const TTargetRules rules { IsSaveAsExtension, viewer_text::SaveFormats(), [](TPrompter &p) {
                                  return p.Ask(TMsgKind::mkWarning, viewer_text::OverwriteWarning(),
                                             mbOK | mbCancel | mbSafeDefault)
                                      == TModalResult::mrOk;
                              } };
    const QString proposal
        = ProposedSaveAsName(picture.FileName(), OrderNameTaken(picture.FileName()));
    return AskAndWrite(picture, hooks, prompter, proposal, rules, savedName);
}

TSaveOutcome SaveViewedPictureForOrder(TViewedPicture &picture, const TViewerSaveHooks &hooks,
    TPrompter &prompter, QString *fileToOrder)
{
    if (picture.Empty())
        return TSaveOutcome::soCancelled;
    if (picture.IsCampus()) {
        prompter.Inform(viewer_text::CampusNoOrder());
        return TSaveOutcome::soCancelled;
    }
    if (!AnswerOpenFrame(hooks, prompter, viewer_text::TrimBeforeOrder()))
        return TSaveOutcome::soCancelled;
    if (!picture.Changed()) {
        if (fileToOrder)
            *fileToOrder = picture.FileName();
        return TSaveOutcome::soSaved;
    }
    const QString proposal
        = ProposedOrderName(picture.FileName(), OrderNameTaken(picture.FileName()));
    const TTargetRules rules { IsOrderExtension, viewer_text::OrderExtension(), [](TPrompter &p) {
                                  return p.Ask(TMsgKind::mkConfirmation,
                                             viewer_text::OrderOverwrite(),
                                             mbYes | mbNo | mbSafeDefault)
                                      == TModalResult::mrYes;
                              } };
    return AskAndWrite(picture, hooks, prompter, proposal, rules, fileToOrder);
}

} // namespace korvatel
