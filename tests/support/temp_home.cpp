#include "support/temp_home.h"

#include "order/relink.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <gtest/gtest.h>

namespace korvatel::test
{

namespace
{

const char *const kVariables[]
    = { "HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "TMPDIR" };

// The private folders of the homes alive now; searches may run on another thread.
QMutex liveMutex;
QStringList liveFolders;

} // namespace

TTempHome::TTempHome()
    : FHome(FDir.filePath(QStringLiteral("own/home")))
{
    const QString temp = FDir.filePath(QStringLiteral("own/tmp"));
    QDir().mkpath(FHome);
    QDir().mkpath(temp);
    for (const char *name : kVariables) {
        std::optional<QByteArray> old;
        if (qEnvironmentVariableIsSet(name))
            old = qgetenv(name);
        FSaved.append({ name, old });
        qunsetenv(name);
    }
    qputenv("HOME", QFile::encodeName(FHome));
    qputenv("TMPDIR", QFile::encodeName(temp));
    FPrivate = QFileInfo(FDir.path()).canonicalFilePath();
    const QMutexLocker lock(&liveMutex);
    liveFolders << FPrivate;
}

TTempHome::~TTempHome()
{
    {
        const QMutexLocker lock(&liveMutex);
        liveFolders.removeOne(FPrivate);
    }
    for (const auto &[name, old] : FSaved) {
        if (old)
            qputenv(name.constData(), *old);
        else
            qunsetenv(name.constData());
    }
}

bool TTempHome::Write(const QString &name, const QByteArray &bytes) const
{
    const QString path = FilePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(bytes) == bytes.size();
}

bool InsideTestFolder(const QString &path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (canonical.isEmpty())
        return false;
    const QMutexLocker lock(&liveMutex);
    for (const QString &folder : std::as_const(liveFolders))
        if (canonical == folder || canonical.startsWith(folder + u'/'))
            return true;
    return false;
}

void FenceMovedPictureSearches()
{
    WatchSearchRoots([](const QString &root) {
        if (!InsideTestFolder(root))
            ADD_FAILURE() << "a moved-picture search walks " << root.toStdString()
                          << ", outside the test's own folder; keep the test's pictures two "
                             "folders deep in a TTempHome or pass its own search roots";
    });
}

QString SharedTestData(const QString &suite)
{
    const QString path = QStringLiteral(KORVATEL_SHARED_TESTDATA "/") + suite;
    return QFileInfo(path).isDir() ? QDir(path).absolutePath() : QString();
}

} // namespace korvatel::test
