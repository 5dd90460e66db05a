#include "platform/private_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <map>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace korvatel
{

bool OwnedByThisUser(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info {
    };
    if (lstat(name.constData(), &info) != 0)
        return errno == ENOENT;
    // A link of the user's own (a workspace moved to another disk) counts by its target.
    if (S_ISLNK(info.st_mode) && (info.st_uid != geteuid() || stat(name.constData(), &info) != 0))
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == geteuid();
}

bool MakePrivateFolder(const QString &path)
{
    if (path.isEmpty() || !OwnedByThisUser(path) || !QDir().mkpath(path))
        return false;
    return chmod(QFile::encodeName(path).constData(), S_IRWXU) == 0;
}

QString PrivateTempDir(const QString &tempRoot)
{
    // One folder per temporary root for the life of the process; QTemporaryDir makes it with
    // mkdtemp (0700, a random name) and removes it, links not followed, when it is destroyed.
    static std::mutex lock;
    static std::map<QString, std::unique_ptr<QTemporaryDir>> folders;
    const std::lock_guard<std::mutex> guard(lock);
    const QString root = QDir::cleanPath(tempRoot.isEmpty() ? QDir::tempPath() : tempRoot);
    std::unique_ptr<QTemporaryDir> &folder = folders[root];
    if (!folder || !folder->isValid() || !QFileInfo(folder->path()).isDir())
        folder = std::make_unique<QTemporaryDir>(
            QDir(root).filePath(QStringLiteral("korvatel-XXXXXX")));
    return folder->isValid() ? folder->path() : QString();
}

} // namespace korvatel
