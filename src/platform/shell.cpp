#include "platform/shell.h"

#include "platform/file_times.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace korvatel
{

namespace
{

// An empty path would name the current folder and "/" everything: neither is ever meant.
bool IsSafeToDelete(const QString &path)
{
    return !path.isEmpty() && QDir::cleanPath(QDir(path).absolutePath()) != QLatin1String("/");
}

bool Exists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink(); // a dangling link still occupies the name
}

QDir::Filters AllInside()
{
    return QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System;
}

// Removes everything inside the open folder dirFd and closes it. Entries are looked at without
// following links, and a subfolder is opened relative to its parent with O_NOFOLLOW, so a link
// planted anywhere in the tree, even while this runs, only ever costs the link itself.
bool RemoveInside(int dirFd)
{
    DIR *dir = fdopendir(dirFd);
    if (!dir) {
        close(dirFd);
        return false;
    }
    // The names are read first: removing entries while reading may skip some.
    std::vector<std::string> names;
    while (const dirent *entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    bool ok = true;
    for (const std::string &name : names) {
        struct stat info {
        };
        if (fstatat(dirFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            ok = ok && errno == ENOENT;
            continue;
        }
        if (S_ISDIR(info.st_mode)) {
            const int sub
                = openat(dirFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            ok = sub >= 0 && RemoveInside(sub) && ok;
            ok = unlinkat(dirFd, name.c_str(), AT_REMOVEDIR) == 0 && ok;
        } else {
            ok = unlinkat(dirFd, name.c_str(), 0) == 0 && ok;
        }
    }
    closedir(dir);
    return ok;
}

// The folder at path opened for RemoveInside; -1 when it is missing, not a folder or a link.
int OpenFolderNoFollow(const QString &path)
{
    return open(
        QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

bool CopyLink(const QString &from, const QString &to)
{
    // Copy the link's own text so relative links keep pointing inside the moved folder.
    QByteArray target(4096, '\0');
    const ssize_t n = readlink(QFile::encodeName(from).constData(), target.data(), target.size());
    if (n < 0 || n >= target.size())
        return false;
    target.truncate(n);
    return symlink(target.constData(), QFile::encodeName(to).constData()) == 0;
}

// Copies the folder from to the new folder to, with permissions and file times.
bool CopyTree(const QString &from, const QString &to)
{
    if (!QDir().mkdir(to))
        return false;
    const QFileInfoList entries = QDir(from).entryInfoList(AllInside(), QDir::Name);
    for (const QFileInfo &entry : entries) {
        const QString target = to + QLatin1Char('/') + entry.fileName();
        bool ok = false;
        if (entry.isSymLink())
            ok = CopyLink(entry.filePath(), target);
        else if (entry.isDir())
            ok = CopyTree(entry.filePath(), target);
        else if (entry.isFile())
            ok = QFile::copy(entry.filePath(), target) && CopyFileTimes(entry.filePath(), target);
        // Sockets, pipes and devices cannot be copied: the move fails and the source stays.
        if (!ok)
            return false;
    }
    // Filling the folder changed its own times, so they are copied last.
    QFile::setPermissions(to, QFileInfo(from).permissions());
    return CopyFileTimes(from, to);
}

} // namespace

QUrl ShellUrl(const QString &pathOrUrl)
{
    if (pathOrUrl.isEmpty())
        return {};
    // One letter before a colon would be a drive, never a scheme.
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    if (!pathOrUrl.startsWith(QLatin1Char('/')) && scheme.match(pathOrUrl).hasMatch())
        return QUrl(pathOrUrl, QUrl::TolerantMode);
    return QUrl::fromLocalFile(QFileInfo(pathOrUrl).absoluteFilePath());
}

bool ShellOpen(const QString &pathOrUrl)
{
    const QUrl url = ShellUrl(pathOrUrl);
    return url.isValid() && QDesktopServices::openUrl(url);
}

bool StartProgram(const QString &program, const QStringList &args)
{
    if (program.isEmpty())
        return false;
    // The started program is on its own: it does not write into this one's output, which may be
    // a pipe that closes when this program ends.
    QProcess process;
    process.setProgram(program);
    process.setArguments(args);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    return process.startDetached();
}

bool MoveFolder(const QString &from, const QString &to)
{
    if (from.isEmpty() || to.isEmpty())
        return false;
    const QString source = QDir::cleanPath(QDir(from).absolutePath());
    const QString target = QDir::cleanPath(QDir(to).absolutePath());
    const QFileInfo sourceInfo(source);
    if (!sourceInfo.isDir() || sourceInfo.isSymLink() || Exists(target)
        || target.startsWith(source + QLatin1Char('/')) || source == QLatin1String("/"))
        return false;

    const QByteArray sourceName = QFile::encodeName(source);
    const QByteArray targetName = QFile::encodeName(target);
    if (std::rename(sourceName.constData(), targetName.constData()) != 0) {
        if (errno != EXDEV)
            return false;
        if (!CopyTree(source, target)) {
            QDir(target).removeRecursively();
            return false;
        }
        // The copy is complete: from here on it is the one to keep, even if some of the
        // source cannot be deleted.
        QDir(source).removeRecursively();
    }
    return !Exists(source) && QFileInfo(target).isDir();
}

bool DeleteFolder(const QString &path)
{
    if (!IsSafeToDelete(path))
        return false;
    const QFileInfo info(path);
    if (info.isSymLink())
        return QFile::remove(path);
    if (!info.exists())
        return true;
    if (!info.isDir())
        return false;
    const int folder = OpenFolderNoFollow(path);
    if (folder < 0)
        return false;
    RemoveInside(folder);
    rmdir(QFile::encodeName(path).constData());
    return !Exists(path);
}

bool EmptyFolder(const QString &path)
{
    if (!IsSafeToDelete(path))
        return false;
    const int folder = OpenFolderNoFollow(path);
    if (folder < 0)
        return false;
    RemoveInside(folder);
    return QDir(path).isEmpty(AllInside());
}

} // namespace korvatel
