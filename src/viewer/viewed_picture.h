#pragma once

#include "imaging/bitmap.h"
#include "imaging/picture_kinds.h"
#include "viewer/tone_steps.h"

#include <QRect>
#include <QString>
#include <functional>
#include <optional>

namespace korvatel
{

class TPrompter;

// The picture in the viewer: the file it came from and the working bitmap the commands turn,
// trim and correct. The commands change the bitmap; the viewer shows it.
class TViewedPicture
{
public:
    // The enlargement of pseudo double precision stops at this side length unless forced.
    static constexpr int kDoubleLimit = 1200;

    // Loads the file, a JPEG turned upright by its Exif orientation; false with the error
    // text when it cannot be read (the viewer is then empty).
    bool Load(const QString &fileName, QString *error = nullptr);
    // The file's picture as Load reads it, for any thread; nullopt with the error text.
    static std::optional<TBitmap> Decode(const QString &fileName, QString *error = nullptr);
    // Takes a picture decoded from fileName, unchanged.
    void Adopt(const QString &fileName, TBitmap bitmap);
    // "初期画面に戻す": the picture as its file holds it.
    bool Restore(QString *error = nullptr) { return Load(FFileName, error); }
    // "消去": the viewer shows nothing.
    void Clear();

    bool Empty() const { return FBitmap.Empty(); }
    QString FileName() const { return FFileName; }
    // A campus picture (".cci"): it may be neither trimmed, saved nor ordered from the viewer.
    bool IsCampus() const;
    const TBitmap &Bitmap() const { return FBitmap; }
    QSize Size() const { return QSize(FBitmap.Width(), FBitmap.Height()); }
    // Trimmed, turned or corrected since it was loaded.
    bool Changed() const { return FChanged; }
    // "元に戻す": the picture before the last change.
    bool CanUndo() const { return !FUndo.Empty(); }
    void Undo();
    // The picture was written to fileName: it now stands for that file, unchanged.
    void SavedAs(const QString &fileName)
    {
        FFileName = fileName;
        FChanged = false;
    }

    void Rotate(RotationType rotation);
    // The quarter turns clockwise since the picture was loaded (0 to 3).
    int Turns() const { return FTurns; }
    // Replaces the picture by the part inside pixels (cut to the picture); false for an empty part.
    bool Trim(const QRect &pixels);
    void Tone(TToneStep step, const std::function<void(int)> &progress = {});
    // One step of pseudo double precision: the picture becomes (2W - 1) × (2H - 1). Refused
    // (false) when a side would pass kDoubleLimit and the command is not forced.
    bool PseudoDouble(bool forced);
    static bool DoubleAllowed(QSize size, bool forced);
    // How many steps the command takes from size: step after step while the result stays
    // within kDoubleLimit (0 when the first step would pass it).
    static int DoubleSteps(QSize size);

private:
    void KeepUndo();

    QString FFileName;
    TBitmap FBitmap;
    TBitmap FUndo;
    int FTurns = 0;
    int FUndoTurns = 0;
    bool FChanged = false;
};

// The messages of the viewer's save and order commands.
namespace viewer_text
{
inline QString SaveFormats()
{
    return QStringLiteral("出力形式は JPG JPEG BMP BID の４タイプです。");
}
inline QString TrimBeforeSave()
{
    return QStringLiteral("トリミングしてから保存しますか？");
}
inline QString OverwriteWarning()
{
    return QStringLiteral("上書します。(ｵﾘｼﾞﾅﾙ画像ではないでしょうね?)");
}
inline QString TimeStampNote()
{
    return QStringLiteral("※ﾀｲﾑｽﾀﾝﾌﾟは同期します。");
}
inline QString TrimBeforeOrder()
{
    return QStringLiteral("未処理の範囲指定があります。トリミングして注文しますか？");
}
inline QString OrderExtension()
{
    return QStringLiteral("拡張子は\".JPG\"を指定してください。");
}
inline QString OrderOverwrite()
{
    return QStringLiteral("同名のファイルがあります。上書きですか？");
}
inline QString CampusNoTrim()
{
    return QStringLiteral("Lumoraでは、トリミングは出来ません。");
}
inline QString CampusNoSave()
{
    return QStringLiteral("Lumora画像は、保存できません。");
}
inline QString CampusNoOrder()
{
    return QStringLiteral("Lumora画像では、この機能は利用できません。");
}
inline QString DoubleLimit()
{
    return QStringLiteral("限界を超えました。これ以上はできません。");
}
inline QString OrderFilter()
{
    return QStringLiteral("JPegｲﾒｰｼﾞ(*.JPG)|*.JPG");
}
} // namespace viewer_text

// "別名でファイル保存" takes JPG, JPEG, BMP and BID (any case).
bool IsSaveAsExtension(const QString &fileName);
// The order copy must end in ".JPG" (any case).
bool IsOrderExtension(const QString &fileName);
// The name proposed for the order copy of source: its name with ".JPG" in its folder, or, when
// that exists, "%s-%d.JPG" with the first free number from 2 up.
QString ProposedOrderName(
    const QString &source, const std::function<bool(const QString &)> &exists);

// What the save flows need from the window: the file dialog (an empty answer cancels), the
// trimming of an open frame, and what happens to the saved file afterwards.
struct TViewerSaveHooks {
    std::function<QString(const QString &proposed)> askFileName;
    bool frameOpen = false;
    std::function<void()> applyTrim;
    std::function<void(const QString &saved)> saved; // the date list learns of the file
};

enum class TSaveOutcome { soSaved, soCancelled, soFailed };

// The name proposed by "別名でファイル保存": never the source's own, but "%s-%d" with the first
// free number from 2 up and the source's extension, in its folder.
QString ProposedSaveAsName(
    const QString &source, const std::function<bool(const QString &)> &exists);

// "別名でファイル保存": asks about an open trimming frame first, then for the name (again
// while the format is not one of the four), warns before overwriting, writes the picture in the
// name's format and gives the new file the source file's time stamps (saved over the source,
// the file keeps the time of the write, so that copies of the old picture are seen as stale).
TSaveOutcome SaveViewedPictureAs(TViewedPicture &picture, const TViewerSaveHooks &hooks,
    TPrompter &prompter, QString *savedName = nullptr);

// The first part of ordering the viewed picture: an open frame is trimmed (Yes), left (No) or
// the order stopped (Cancel); a changed picture is saved as a JPEG copy whose name the dialog
// proposes by ProposedOrderName, refusing other extensions and asking before overwriting, with
// the source's time stamps. The proposal counts a name as taken when a file of the folder has
// it in any case, so the copy never becomes a twin of the source that differs only in case.
// fileToOrder gets the file the order takes: the copy, or the source itself when nothing changed.
TSaveOutcome SaveViewedPictureForOrder(TViewedPicture &picture, const TViewerSaveHooks &hooks,
    TPrompter &prompter, QString *fileToOrder);

} // namespace korvatel
