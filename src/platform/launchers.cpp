#include "platform/launchers.h"

#include "text/sjis_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <algorithm>
#include <optional>

// Resources of a static library are only linked in when something asks for them by name.
static void InitIconResources()
{
    Q_INIT_RESOURCE(platform_icons);
}

namespace korvatel
{

namespace
{

const QString kShopKey = QStringLiteral("X-Korvatel-Shop");
// A desktop entry of this program is a few hundred bytes; anything far larger is not ours.
constexpr qint64 kMaxLauncherSize = 64 * 1024;

// A value as desktop entries store strings: backslash, line ends, tabs and a leading blank
// escaped.
QString EscapeValue(const QString &value)
{
    QString escaped;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == u'\\')
            escaped += QStringLiteral("\\\\");
        else if (c == u'\n')
            escaped += QStringLiteral("\\n");
        else if (c == u'\r')
            escaped += QStringLiteral("\\r");
        else if (c == u'\t')
            escaped += QStringLiteral("\\t");
        else if (c == u' ' && i == 0)
            escaped += QStringLiteral("\\s");
        else
            escaped += c;
    }
    return escaped;
}

QString UnescapeValue(const QString &value)
{
    QString plain;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != u'\\' || i + 1 == value.size()) {
            plain += c;
            continue;
        }
        const QChar next = value.at(++i);
        plain += next == u's' ? QChar(u' ')
            : next == u'n'    ? QChar(u'\n')
            : next == u'r'    ? QChar(u'\r')
            : next == u't'    ? QChar(u'\t')
                              : next;
    }
    return plain;
}

// The values of the keys of a desktop entry's main group that this program reads.
struct TLauncherKeys {
    QString shopId;
    QString tryExec;
    bool ours = false;
};

std::optional<TLauncherKeys> ReadLauncherKeys(const QString &path)
{
    const std::optional<QByteArray> bytes = ReadWholeFile(path, kMaxLauncherSize);
    if (!bytes)
        return std::nullopt;
    TLauncherKeys keys;
    bool mainGroup = false;
    for (const QString &line : QString::fromUtf8(*bytes).split(u'\n')) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(u'[')) {
            mainGroup = trimmed == QLatin1String("[Desktop Entry]");
            continue;
        }
        const qsizetype eq = trimmed.indexOf(u'=');
        if (!mainGroup || eq <= 0)
            continue;
        const QString key = trimmed.left(eq).trimmed();
        const QString value = UnescapeValue(trimmed.mid(eq + 1).trimmed());
        if (key == kShopKey) {
            keys.ours = true;
            keys.shopId = value;
        } else if (key == QLatin1String("TryExec")) {
            keys.tryExec = value;
        }
    }
    return keys;
}

// The two folders that hold a shop's launchers.
QStringList LauncherFolders(const TUserFolders &folders)
{
    return { ApplicationsFolder(folders), folders.desktop };
}

// Removes the program's launchers in both folders that remove picks.
QStringList RemoveLaunchers(
    const TUserFolders &folders, const std::function<bool(const TLauncherKeys &)> &remove)
{
    QStringList removed;
    for (const QString &folder : LauncherFolders(folders)) {
        if (folder.isEmpty())
            continue;
        const QDir dir(folder);
        // Only the names LauncherFileName gives: the start-up need not read every launcher of
        // the desktop.
        const QStringList names = dir.entryList(
            { QStringLiteral("korvatel-shop-*.desktop") }, QDir::Files | QDir::Hidden);
        for (const QString &name : names) {
            const QString path = dir.filePath(name);
            const std::optional<TLauncherKeys> keys = ReadLauncherKeys(path);
            if (keys && keys->ours && remove(*keys) && QFile::remove(path))
                removed << path;
        }
    }
    return removed;
}

} // namespace

QString LauncherFileName(const QString &shopId)
{
    QString name = QStringLiteral("korvatel-shop-");
    for (const QChar c : shopId) {
        if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')
            || c == u'-')
            name += c;
        else
            name += u'_' + QString::number(c.unicode(), 16);
    }
    return name + QStringLiteral(".desktop");
}

QString QuoteExecArgument(const QString &argument)
{
    static const QString kReserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    const bool quote = argument.isEmpty()
        || std::any_of(
            argument.begin(), argument.end(), [](QChar c) { return kReserved.contains(c); });
    QString text;
    for (const QChar c : argument) {
        if (c == u'%')
            text += QStringLiteral("%%");
        else if (quote && (c == u'"' || c == u'`' || c == u'$' || c == u'\\'))
            text += u'\\' + QString(c);
        else
            text += c;
    }
    return quote ? u'"' + text + u'"' : text;
}

QByteArray DesktopEntryText(const TShopLauncher &launcher)
{
    QStringList exec { QuoteExecArgument(launcher.program) };
    for (const QString &argument : launcher.arguments)
        exec << QuoteExecArgument(argument);
    QString text = QStringLiteral("[Desktop Entry]\n"
                                  "Type=Application\n"
                                  "Version=1.0\n");
    text += QStringLiteral("Name=") + EscapeValue(launcher.name) + u'\n';
    text += QStringLiteral("Comment=Order photo prints from shop ") + EscapeValue(launcher.shopId)
        + u'\n';
    text += QStringLiteral("Comment[ja]=写真プリントの注文 (") + EscapeValue(launcher.shopId)
        + QStringLiteral(")\n");
    text += QStringLiteral("TryExec=") + EscapeValue(launcher.program) + u'\n';
    // The Exec value is itself a string value: the quoting's backslashes are escaped again.
    text += QStringLiteral("Exec=") + EscapeValue(exec.join(u' ')) + u'\n';
    if (!launcher.icon.isEmpty())
        text += QStringLiteral("Icon=") + EscapeValue(launcher.icon) + u'\n';
    text += QStringLiteral("Terminal=false\n"
                           "Categories=Graphics;Photography;\n"
                           "StartupWMClass=Korvatel\n");
    text += kShopKey + u'=' + EscapeValue(launcher.shopId) + u'\n';
    return text.toUtf8();
}

QString ApplicationsFolder(const TUserFolders &folders)
{
    return folders.appData.isEmpty()
        ? QString()
        : QDir(folders.appData).filePath(QStringLiteral("applications"));
}

QStringList WriteShopLaunchers(const TShopLauncher &launcher, const TUserFolders &folders,
    const std::function<void(const QString &path)> &trust)
{
    const QByteArray text = DesktopEntryText(launcher);
    const QString fileName = LauncherFileName(launcher.shopId);
    QStringList written;
    for (const QString &folder : LauncherFolders(folders)) {
        if (folder.isEmpty() || !QDir().mkpath(folder))
            continue;
        const QString path = QDir(folder).filePath(fileName);
        if (!WriteFileAtomic(path, text))
            continue;
        // Desktops start a launcher from the desktop folder only when it is executable.
        QFile::setPermissions(path,
            QFile::permissions(path) | QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (trust && folder == folders.desktop)
            trust(path);
        written << path;
    }
    return written;
}

QStringList RemoveStaleLaunchers(const TUserFolders &folders)
{
    return RemoveLaunchers(folders, [](const TLauncherKeys &keys) {
        // Without a TryExec nothing tells whether its program is gone: it stays.
        return !keys.tryExec.isEmpty() && !QFileInfo(keys.tryExec).isFile();
    });
}

QStringList RemoveShopLaunchers(const QString &shopId, const TUserFolders &folders)
{
    return RemoveLaunchers(
        folders, [&shopId](const TLauncherKeys &keys) { return keys.shopId == shopId; });
}

void TrustLauncher(const QString &path)
{
    const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
    if (gio.isEmpty())
        return;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(gio,
        { QStringLiteral("set"), path, QStringLiteral("metadata::trusted"),
            QStringLiteral("true") });
    // Without a desktop session gio may wait for a metadata service that never comes.
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(1000);
    }
}

QString LauncherIcon(const QString &programFolder, const TUserFolders &folders)
{
    const QString installed = QDir::cleanPath(
        programFolder + QStringLiteral("/../share/icons/hicolor/scalable/apps/korvatel.svg"));
    if (QFileInfo(installed).isFile())
        return QDir::cleanPath(programFolder) == QLatin1String("/usr/bin")
            ? QStringLiteral("korvatel")
            : installed;
    if (folders.appData.isEmpty())
        return {};
    InitIconResources();
    QFile resource(QStringLiteral(":/icons/korvatel.svg"));
    if (!resource.open(QIODevice::ReadOnly))
        return {};
    const QString target
        = QDir(folders.appData)
              .filePath(QStringLiteral("icons/hicolor/scalable/apps/korvatel.svg"));
    const QByteArray icon = resource.readAll();
    if (ReadWholeFile(target, kMaxLauncherSize) == icon)
        return target;
    if (!QDir().mkpath(QFileInfo(target).absolutePath()) || !WriteFileAtomic(target, icon))
        return {};
    return target;
}

} // namespace korvatel
