#include "app/program_entry.h"

#include "platform/launchers.h"
#include "platform/prompter.h"
#include "text/half_width.h"
#include "workspace/workspace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cstdio>
#include <exception>

namespace korvatel
{

namespace
{

const QString kQuote = QStringLiteral("\"");

// "Korvatel1234.AppImage" → "AppImage"; empty for a name without extension.
QString Extension(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix();
    return suffix.isEmpty() ? QString() : QStringLiteral(".") + suffix;
}

// The shop ID that the program's own name carries: after "Korvatel" up to the first "." for a
// standard name, else the name without its extension.
QString IdFromOwnName(const QString &ownName, bool *nonStandard)
{
    static const QString kPrefix = QStringLiteral("KORVATEL");
    if (ownName.toUpper().startsWith(kPrefix)) {
        *nonStandard = false;
        return ownName.mid(kPrefix.size()).section(u'.', 0, 0);
    }
    *nonStandard = true;
    return QFileInfo(ownName).completeBaseName();
}

// A second download of the same file is renamed by the browser: "Korvatel1234[1]" on the
// system this rule was made for, "Korvatel1234(1)" or "Korvatel1234 (1)" by the browsers
// here. Returns the ID without the marker, or a null string when it has none.
QString WithoutDuplicateMarker(const QString &id)
{
    const qsizetype open = id.indexOf(u'[');
    if (open >= 0 && id.indexOf(u']', open + 1) > open)
        return id.left(open);
    static const QRegularExpression kCopyNumber(QStringLiteral("\\s*\\(\\d+\\)$"));
    const QRegularExpressionMatch match = kCopyNumber.match(id);
    if (match.hasMatch())
        return id.left(match.capturedStart());
    return {};
}

bool InDownloadCache(const QString &ownPath, const QStringList &caches)
{
    const QString own = QDir::cleanPath(QFileInfo(ownPath).absoluteFilePath());
    for (const QString &cache : caches) {
        const QString folder = QDir::cleanPath(cache) + QStringLiteral("/");
        if (!cache.isEmpty() && own.startsWith(folder, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

// Whether the program file stands at path (a folder of that name does not count).
bool IsFile(const QString &path)
{
    return QFileInfo(path).isFile();
}

qint64 FileSize(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() ? info.size() : -1;
}

QString DesktopPath(const TEntryInput &input, const QString &name)
{
    return QDir(input.folders.desktop).filePath(name);
}

bool Start(const TEntryInput &input, const QString &program)
{
    return input.start && input.start(program);
}

// Puts the launchers of a copy placed on the desktop into the applications menu and onto the
// desktop, named after the copy ("Korvatel1234") and with the program's icon. Failures are
// ignored: the copy itself still starts.
void WriteCopyLaunchers(const TEntryInput &input, const QString &shopId, const QString &copy)
{
    TShopLauncher launcher;
    launcher.shopId = shopId;
    launcher.name = QFileInfo(copy).fileName().section(u'.', 0, 0);
    launcher.program = QFileInfo(copy).absoluteFilePath();
    launcher.icon = LauncherIcon(QFileInfo(input.ownPath).absolutePath(), input.folders);
    WriteShopLaunchers(launcher, input.folders, input.trust);
}

// The copy made when the program runs from the browser's download folder: copies, starts the
// copy and returns the message to show, if any.
QString SelfInstall(const TEntryInput &input, const QString &shopId, bool nonStandard)
{
    const QString ownName = QFileInfo(input.ownPath).fileName();
    if (IsAllFigures(shopId) == nonStandard)
        return QStringLiteral("【規則に無いファイル名】\r\n\r\n　供給ファイル名 : ") + ownName
            + QStringLiteral(
                "\r\n\r\n　注文ソフトのファイル名が規則に則っていません。\r\n"
                "　配給した店舗等に、お問い合わせ下さい。供給ファイル名も告げて下さい。");

    const QString name = DesktopCopyName(shopId, Extension(ownName));
    const QString target = DesktopPath(input, name);
    const qint64 sizeBefore = FileSize(target);
    QString message;
    if (CopyProgramFile(input.ownPath, target)) {
        if (sizeBefore < 0)
            message = QStringLiteral("注文ソフト") + kQuote + name + kQuote
                + QStringLiteral("をデスクトップに作りました。\r\n次回からはデスクトップの")
                + kQuote + name + kQuote
                + QStringLiteral("で起動できます。\r\n\r\nでは、注文ソフトを起動します。");
        else if (FileSize(target) != sizeBefore)
            message = QStringLiteral("デスクトップの注文ソフト") + kQuote + name + kQuote
                + QStringLiteral("を更新しました。\r\nダウンロードした") + kQuote + name + kQuote
                + QStringLiteral("を起動します。");
    }
    if (!IsFile(target))
        return QStringLiteral(
                   "【デスクトップへの保存に失敗】\r\n\r\n"
                   "　ダウンロードでは「保存」を選択し、デスクトップを指定して下さい。\r\n"
                   "　ダウンロード後、「実行」します。\r\n"
                   "　次回からはデスクトップの")
            + kQuote + name + kQuote
            + QStringLiteral(" で起動できます。\r\n\r\n　再度、ダウンロードをお願いいたします。");
    WriteCopyLaunchers(input, shopId, target);
    if (!Start(input, target))
        message = QStringLiteral("【自動起動に失敗】\r\n\r\n"
                                 "　デスクトップの注文ソフトを自動起動できませんでした。\r\n"
                                 "　手動でデスクトップの")
            + kQuote + name + kQuote + QStringLiteral("を起動して下さい。");
    return message;
}

// "DesktopCopy": the shop's CD asks for the program on the desktop under its own name. True
// when the copy stands there and was started; false to go on as a CD start.
bool DesktopCopyStart(const TEntryInput &input, TPrompter &prompter)
{
    const QString ownName = QFileInfo(input.ownPath).fileName();
    const QString target = DesktopPath(input, ownName);
    CopyProgramFile(input.ownPath, target);
    if (!IsFile(target))
        return false;
    bool nonStandard = false;
    WriteCopyLaunchers(input, IdFromOwnName(ownName, &nonStandard), target);
    prompter.Inform(QStringLiteral("『注文ソフトをデスクトップに作成しました。』\r\n\r\n"
                                   "　以後、デスクトップのアイコン(")
        + ownName + QStringLiteral(")から起動出来ます。(CD不要)\r\n\r\n　それでは、起動します。"));
    Start(input, target);
    return true;
}

// "orvane=ID/folder": a start from the shop's CD. Places the desktop copy, starts it and
// returns true; false to go on in CD start mode when the copy could not be placed.
bool CdStart(
    const TEntryInput &input, const QString &argument, TEntryResult &result, TPrompter &prompter)
{
    const QString afterEq = argument.mid(argument.indexOf(u'=') + 1);
    const QString folder = afterEq.section(u'/', 1);
    result.shopId = afterEq.section(u'/', 0, 0);

    // The start folder lies on the drive the program runs from.
    const QChar letter = input.drives.LetterOf(QFileInfo(input.ownPath).absolutePath());
    const QString root = letter.isNull() ? QFileInfo(input.ownPath).absolutePath()
                                         : input.drives.Drive(letter)->root;
    result.startFolder
        = QDir::cleanPath(root + QStringLiteral("/") + QString(folder).replace(u'\\', u'/'));

    const QString name
        = DesktopCopyName(result.shopId, Extension(QFileInfo(input.ownPath).fileName()));
    const QString target = DesktopPath(input, name);
    const bool existed = IsFile(target);
    CopyProgramFile(input.ownPath, target);
    const bool exists = IsFile(target);
    if (!existed && exists)
        prompter.Inform(QStringLiteral("注文ソフト ") + kQuote + QStringLiteral("Korvatel") + kQuote
            + QStringLiteral(" をデスクトップに作成しました。\r\n今後は、") + kQuote + name + kQuote
            + QStringLiteral(" でKorvatelを起動する(開く)ことが出来ます。"));
    if (!exists)
        return false;
    WriteCopyLaunchers(input, result.shopId, target);
    Start(input, target);
    return true;
}

} // namespace

bool IsAllFigures(const QString &text)
{
    return !text.isEmpty()
        && std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

QString DesktopCopyName(const QString &shopId, const QString &extension)
{
    return (IsAllFigures(shopId) ? QStringLiteral("Korvatel") + shopId : shopId) + extension;
}

QString ShopIdFromArgument(const QString &argument)
{
    QString id = ToHalfWidth(argument);
    if (!IsAllFigures(id)) {
        const qsizetype tel = id.indexOf(QLatin1String("TEL"), 0, Qt::CaseInsensitive);
        if (tel >= 0)
            id.remove(tel, 3);
        static const QRegularExpression kSeparators(QStringLiteral("[ \\-()]"));
        id.remove(kSeparators);
    }
    return IsAllFigures(id) ? id : argument;
}

bool CopyProgramFile(const QString &source, const QString &target)
{
    const QFileInfo targetInfo(target);
    if (!QDir().mkpath(targetInfo.absolutePath()))
        return false;
    const QString temp = targetInfo.absolutePath() + QStringLiteral("/.") + targetInfo.fileName()
        + QStringLiteral(".copying");
    QFile::remove(temp);
    if (!QFile::copy(source, temp))
        return false;
    const QFile::Permissions permissions
        = QFile::permissions(source) | QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    // The copy is renamed over the old file, so a read-only old copy is replaced as well.
    QFile::setPermissions(temp, permissions);
    if (std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(target).constData())
        != 0) {
        QFile::remove(temp);
        return false;
    }
    return true;
}

TEntryResult RunProgramEntry(const TEntryInput &input, TPrompter &prompter)
{
    TEntryResult result;
    const QString first = input.arguments.value(0);
    result.tabShop = input.arguments.value(1) == QLatin1String("tab=shop");
    const qsizetype eq = first.indexOf(u'=');
    result.cdStart = eq >= 0 && first.left(eq) == QLatin1String("orvane");
    const bool desktopCopy = first == QLatin1String("DesktopCopy");
    const QString ownName = QFileInfo(input.ownPath).fileName();
    // A copy deleted from the desktop leaves its launchers behind; they go at the next start.
    RemoveStaleLaunchers(input.folders);

    try {
        if (desktopCopy) {
            result.shopId = IdFromOwnName(ownName, &result.nonStandardName);
            if (DesktopCopyStart(input, prompter))
                return result;
            result.cdStart = true;
            result.proceed = true;
            return result;
        }
        if (result.cdStart) {
            if (CdStart(input, first, result, prompter))
                return result;
            result.proceed = true;
            return result;
        }

        QString id = IdFromOwnName(ownName, &result.nonStandardName);
        const QString withoutMarker = WithoutDuplicateMarker(id);
        if (InDownloadCache(input.ownPath, input.folders.downloadCaches)
            || !withoutMarker.isNull()) {
            id = !withoutMarker.isNull() ? withoutMarker : id.section(u'.', 0, 0);
            const QString message = SelfInstall(input, id.trimmed(), result.nonStandardName);
            if (!message.isEmpty())
                prompter.Inform(message);
            return result;
        }
    } catch (const std::exception &error) {
        prompter.Error(
            QStringLiteral("【想定外エラー】\r\n\r\n") + QString::fromLocal8Bit(error.what()));
        return result;
    }

    result.shopId = IdFromOwnName(ownName, &result.nonStandardName);
    if (!first.isEmpty()) {
        result.shopId = ShopIdFromArgument(first);
        result.shopIdFromArgument = true;
    }

    result.lastShopId = ReadLastShop(LastShopFile(input.folders)).shopId;
    if (result.shopId.isEmpty() && result.lastShopId.isEmpty()) {
        prompter.Inform(QStringLiteral("『 登録店を確認できません 』\r\n\r\n"
                                       "実行ファイル名や数字の部分は、登録店名や登録IDです。\r\n"
                                       "ファイル名を変更すると登録店を判別できません。\r\n\r\n"
                                       "当初の実行ファイル名に戻せば通常に起動します。\r\n"));
        return result;
    }
    if (result.shopId.isEmpty())
        result.shopId = result.lastShopId;
    else if (!result.lastShopId.isEmpty() && result.lastShopId != result.shopId
        && !result.shopIdFromArgument)
        prompter.Inform(QStringLiteral("取引店が変更されました。\r\n\r\n") + result.lastShopId
            + QStringLiteral(" ⇒　") + result.shopId);
    result.proceed = true;
    return result;
}

} // namespace korvatel
