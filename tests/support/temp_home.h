#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace korvatel::test
{

// A temporary folder that stands in for the user's home while it lives: HOME points at it and
// the XDG folder variables are cleared, so nothing real is touched. The old values come back
// when it goes.
class TTempHome
{
public:
    TTempHome();
    ~TTempHome();
    TTempHome(const TTempHome &) = delete;
    TTempHome &operator=(const TTempHome &) = delete;

    QString Path() const { return FDir.path(); }
    // The path of name inside the home folder.
    QString FilePath(const QString &name) const { return FDir.filePath(name); }
    // Writes bytes to name inside the home folder, making its folders; false on failure.
    bool Write(const QString &name, const QByteArray &bytes) const;

private:
    QTemporaryDir FDir;
    QList<std::pair<QByteArray, std::optional<QByteArray>>> FSaved;
};

// The shared public test suites, or an empty string when they are not next to the project.
QString SharedTestData(const QString &suite);

} // namespace korvatel::test
