#include "support/temp_home.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace korvatel::test
{

namespace
{

const char *const kVariables[]
    = { "HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "TMPDIR" };

} // namespace

TTempHome::TTempHome()
{
    for (const char *name : kVariables) {
        std::optional<QByteArray> old;
        if (qEnvironmentVariableIsSet(name))
            old = qgetenv(name);
        FSaved.append({ name, old });
        qunsetenv(name);
    }
    qputenv("HOME", QFile::encodeName(FDir.path()));
}

TTempHome::~TTempHome()
{
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

QString SharedTestData(const QString &suite)
{
    const QString path = QStringLiteral(KORVATEL_SHARED_TESTDATA "/") + suite;
    return QFileInfo(path).isDir() ? QDir(path).absolutePath() : QString();
}

} // namespace korvatel::test
