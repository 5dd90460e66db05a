#include "platform/user_folders.h"

#include "text/sjis_file.h"

#include <QDir>

namespace korvatel
{

namespace
{

// user-dirs.dirs is a handful of lines; anything larger is not that file.
constexpr qint64 kMaxUserDirsSize = 64 * 1024;

QString HomeOf(const QProcessEnvironment &env)
{
    const QString home = env.value(QStringLiteral("HOME"));
    // Without HOME there is nothing to derive the folders from but the account's own home.
    return QDir::cleanPath(home.isEmpty() ? QDir::homePath() : home);
}

// An XDG base-directory variable counts only when it is an absolute path.
QString XdgDir(const QProcessEnvironment &env, const char *name, const QString &fallback)
{
    const QString value = env.value(QString::fromLatin1(name));
    if (value.isEmpty() || !QDir::isAbsolutePath(value))
        return fallback;
    return QDir::cleanPath(value);
}

QString ConfigHome(const QProcessEnvironment &env, const QString &home)
{
    return XdgDir(env, "XDG_CONFIG_HOME", home + QStringLiteral("/.config"));
}

QString ReadUserDirs(const QString &configHome)
{
    const std::optional<QByteArray> text
        = ReadWholeFile(configHome + QStringLiteral("/user-dirs.dirs"), kMaxUserDirsSize);
    return text ? QString::fromUtf8(*text) : QString();
}
} // namespace

QString UserDirFromText(const QString &text, const QString &key, const QString &home)
{
    // Read the way the desktop libraries read it: KEY = "value" with the value either
    // "$HOME" followed by "/" or the closing quote, or an absolute path; a backslash takes the
    // next character literally.
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString &raw : lines) {
        const QString line = raw.trimmed();
        if (!line.startsWith(key))
            continue;
        QStringView rest = QStringView(line).mid(key.size()).trimmed();
        if (!rest.startsWith(QLatin1Char('=')))
            continue;
        rest = rest.mid(1).trimmed();
        if (!rest.startsWith(QLatin1Char('"')))
            continue;
        rest = rest.mid(1);

        QString path;
        if (rest.startsWith(QLatin1String("$HOME"))) {
            rest = rest.mid(5);
            if (!rest.startsWith(QLatin1Char('/')) && !rest.startsWith(QLatin1Char('"')))
                continue;
            path = home;
        } else if (!rest.startsWith(QLatin1Char('/'))) {
            continue;
        }
        bool closed = false;
        for (qsizetype i = 0; i < rest.size(); ++i) {
            const QChar c = rest[i];
            if (c == QLatin1Char('"')) {
                closed = true;
                break;
            }
            if (c == QLatin1Char('\\') && i + 1 < rest.size())
                path += rest[++i];
            else
                path += c;
        }
        if (!closed)
            continue;
        return QDir::cleanPath(path);
    }
    return {};
}

QString ConfigDir(const QProcessEnvironment &env)
{
    return ConfigHome(env, HomeOf(env)) + QStringLiteral("/korvatel");
}

TUserFolders TUserFolders::FromEnvironment(const QProcessEnvironment &env)
{
    TUserFolders f;
    f.home = HomeOf(env);
    const QString configHome = ConfigHome(env, f.home);
    f.configDir = ConfigDir(env);
    f.windowsDir = f.configDir + QStringLiteral("/windows");
    f.systemDir = f.configDir + QStringLiteral("/system");
    f.appData = XdgDir(env, "XDG_DATA_HOME", f.home + QStringLiteral("/.local/share"));

    const QString temp = env.value(QStringLiteral("TMPDIR"));
    f.temp = temp.isEmpty() ? QStringLiteral("/tmp") : QDir::cleanPath(temp);

    const QString userDirs = ReadUserDirs(configHome);
    f.desktop = UserDirFromText(userDirs, QStringLiteral("XDG_DESKTOP_DIR"), f.home);
    if (f.desktop.isEmpty())
        f.desktop = f.home + QStringLiteral("/Desktop");
    QString downloads = UserDirFromText(userDirs, QStringLiteral("XDG_DOWNLOAD_DIR"), f.home);
    if (downloads.isEmpty())
        downloads = f.home + QStringLiteral("/Downloads");

    const QString cacheHome = XdgDir(env, "XDG_CACHE_HOME", f.home + QStringLiteral("/.cache"));
    f.cache = cacheHome;
    f.downloadCaches = { downloads, cacheHome + QStringLiteral("/mozilla/firefox"),
        cacheHome + QStringLiteral("/chromium"), cacheHome + QStringLiteral("/google-chrome") };
    return f;
}

} // namespace korvatel
