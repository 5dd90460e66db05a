#include "workspace/workspace.h"

#include "platform/file_times.h"
#include "platform/private_files.h"
#include "platform/prompter.h"
#include "platform/shell.h"
#include "text/numbers.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QFileInfo>

namespace korvatel
{

namespace
{

const char kRootName[] = "Korvatel";

// The folders made at every start, and whether having to make one marks a fresh workspace.
struct TWorkFolder {
    const char *name;
    bool fresh;
};
const TWorkFolder kWorkFolders[] = {
    { "Works", true },
    { "Download", true },
    { "NdxFmt", true },
    { "SysData", true },
    { "Temp", true },
    { "PostCard", false },
    { "DpeOrder", true },
};

QString RootOn(const TDriveTable &drives, QChar letter)
{
    const std::optional<TDrive> drive = drives.Drive(letter);
    if (!drive)
        return {};
    return QDir(drive->root).filePath(QString::fromLatin1(kRootName));
}

} // namespace

TWorkspace::TWorkspace(TUserFolders folders, TDriveTable drives)
    : FFolders(std::move(folders))
    , FDrives(std::move(drives))
{
    FDrive = SystemDrive();
    FRoot = RootOn(FDrives, FDrive);
    if (FRoot.isEmpty())
        FRoot = QDir(FFolders.home).filePath(QString::fromLatin1(kRootName));
}

QChar TWorkspace::SystemDrive() const
{
    const QChar letter = FDrives.LetterOf(FFolders.home);
    return letter.isNull() ? QChar(u'C') : letter;
}

bool TWorkspace::PrepareWorkspace(QChar drive)
{
    // A Korvatel folder that another user made, or a link of theirs in its place, is never
    // taken: the customer's files would be theirs to read or to replace.
    const auto usable = [this](QChar letter) {
        const QString root = RootOn(FDrives, letter);
        return !root.isEmpty() && OwnedByThisUser(root);
    };
    QChar chosen = drive.toUpper();
    if (chosen.isNull() || !usable(chosen)) {
        chosen = SystemDrive();
        for (char16_t c = u'A'; c <= u'Z'; ++c) {
            if (FDrives.Type(QChar(c)) == dtFixed && QFileInfo(RootOn(FDrives, QChar(c))).isDir()
                && usable(QChar(c))) {
                chosen = QChar(c);
                break;
            }
        }
    }
    SetRoot(chosen, RootOn(FDrives, chosen));
    if (FRoot.isEmpty())
        FRoot = QDir(FFolders.home).filePath(QString::fromLatin1(kRootName));
    // The customer record and the orders live here: the folder is its owner's alone.
    MakePrivateFolder(FRoot);

    const QString work = Sub("Work");
    if (QFileInfo(work).isDir())
        EmptyFolder(work);

    FFresh = false;
    for (const TWorkFolder &folder : kWorkFolders) {
        const QString path = Sub(folder.name);
        if (QFileInfo(path).isDir())
            continue;
        QDir().mkpath(path);
        if (folder.fresh)
            FFresh = true;
    }

    const QString users = QDir(FFolders.windowsDir).filePath(QStringLiteral("KsSys/users"));
    FFirstUseOnSystem = !QFileInfo(users).isDir();
    if (FFirstUseOnSystem)
        QDir().mkpath(users);
    return FFresh;
}

void TWorkspace::SetRoot(QChar drive, const QString &root)
{
    FDrive = drive.toUpper();
    FRoot = root;
}

QString TWorkspace::Sub(const char *name) const
{
    return QDir(FRoot).filePath(QString::fromLatin1(name));
}

QString TWorkspace::SysData() const
{
    const QString path = Sub("SysData");
    QDir().mkpath(path);
    return path;
}

QString TWorkspace::Works() const
{
    return Sub("Works");
}
QString TWorkspace::Download() const
{
    return Sub("Download");
}
QString TWorkspace::Temp() const
{
    return Sub("Temp");
}
QString TWorkspace::Tree() const
{
    return Sub("Tree");
}
QString TWorkspace::Campus() const
{
    return Sub("Campus");
}
QString TWorkspace::PostCard() const
{
    return Sub("PostCard");
}
QString TWorkspace::NdxFmt() const
{
    return Sub("NdxFmt");
}
QString TWorkspace::UserFile() const
{
    return Sub("User");
}

QString TWorkspace::CampusShop(const QString &shopId) const
{
    return QDir(Campus()).filePath(shopId);
}

QString TWorkspace::KorvaDpof() const
{
    const std::optional<TDrive> system = FDrives.Drive(SystemDrive());
    return QDir(system ? system->root : FFolders.home).filePath(QStringLiteral("KorvaDPOF"));
}

QString TWorkspace::KorvatelTemp() const
{
    return QDir(FFolders.cache).filePath(QStringLiteral("korvatel/KorvatelTemp"));
}

QString TWorkspace::LastShopPath() const
{
    return LastShopFile(FFolders);
}

QString LastShopFile(const TUserFolders &folders)
{
    return QDir(folders.windowsDir).filePath(QStringLiteral("LastShop.ini"));
}

TLastShop ReadLastShop(const QString &path)
{
    TLastShop last;
    if (const std::optional<QString> text = ReadSjisText(path))
        last.shopId = TrimBlanks(*text);
    if (const std::optional<TFileTimes> times = ReadFileTimes(path))
        last.lastStart = times->lastWrite;
    return last;
}

bool WriteLastShop(const QString &path, const QString &shopId)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    return WriteSjisText(path, shopId);
}

TMoveResult MoveWorkspace(
    TWorkspace &workspace, QChar letter, TPrompter &prompter, const TMoveWorkspaceHooks &hooks)
{
    letter = letter.toUpper();
    if (letter.isNull() || letter == workspace.DriveLetter())
        return TMoveResult::mvCancelled;
    if (!prompter.Confirm(QStringLiteral("作業用フォルダ<Korvatel>を<") + letter
            + QStringLiteral(":\\>へ移動します。よろしいですか？")))
        return TMoveResult::mvCancelled;

    if (hooks.saveAll)
        hooks.saveAll();
    if (hooks.showGrids)
        hooks.showGrids(false);

    const QString oldRoot = workspace.Root();
    const QString newRoot = RootOn(workspace.Drives(), letter);
    if (!newRoot.isEmpty())
        MoveFolder(oldRoot, newRoot);

    if (!newRoot.isEmpty() && !QFileInfo::exists(oldRoot) && QFileInfo(newRoot).isDir()) {
        workspace.SetRoot(letter, newRoot);
        if (prompter.YesNo(QStringLiteral("完了しました。本ソフトは終了いたします。\r\n\r\n"
                                          "新しい環境で再起動しますか？"))
            && hooks.restart)
            hooks.restart();
        return TMoveResult::mvMoved;
    }

    prompter.Error(QStringLiteral("失敗しました。戻ります。"));
    if (hooks.showGrids)
        hooks.showGrids(true);
    return TMoveResult::mvFailed;
}

} // namespace korvatel
