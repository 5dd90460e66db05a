#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace korvatel::test
{

// A temporary folder that stands in for the user's home while it lives: HOME points at it, the
// XDG folder variables are cleared and TMPDIR points at a temporary folder of its own, so
// nothing real and nothing of another test is touched. The home lies two folders deep inside
// the test's private folder, so that a search climbing two folders above a picture in it stays
// inside too. The old values come back when it goes.
class TTempHome
{
public:
    TTempHome();
    ~TTempHome();
    TTempHome(const TTempHome &) = delete;
    TTempHome &operator=(const TTempHome &) = delete;

    QString Path() const { return FHome; }
    // The path of name inside the home folder.
    QString FilePath(const QString &name) const { return FHome + u'/' + name; }
    // Writes bytes to name inside the home folder, making its folders; false on failure.
    bool Write(const QString &name, const QByteArray &bytes) const;

private:
    QTemporaryDir FDir;
    QString FHome;
    QString FPrivate; // the canonical path of FDir, as the fence compares it
    QList<std::pair<QByteArray, std::optional<QByteArray>>> FSaved;
};

// True when path lies inside the private folder of a TTempHome alive now.
bool InsideTestFolder(const QString &path);
// Makes a test fail when a moved-picture search of it is about to walk a folder outside the
// private folder of every TTempHome alive: a search that climbs out of the test's folder would
// find another test's pictures. The test main sets it up.
void FenceMovedPictureSearches();

// The shared public test suites, or an empty string when they are not next to the project.
QString SharedTestData(const QString &suite);

} // namespace korvatel::test
