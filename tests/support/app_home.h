#pragma once

#include "platform/drive_table.h"
#include "platform/user_folders.h"
#include "support/temp_home.h"
#include "workspace/workspace.h"

#include <QDir>

namespace korvatel::test
{

// A temporary home with the user's folders and a drive table whose further drives are folders
// under it: drives is "D=fixed,E=removable" and so on, each drive at <home>/drives/<letter>.
class TAppHome : public TTempHome
{
public:
    explicit TAppHome(const QString &drives = {})
    {
        QString overrides;
        for (const QString &entry : drives.split(u',', Qt::SkipEmptyParts)) {
            const QString letter = entry.section(u'=', 0, 0);
            const QString root = FilePath(QStringLiteral("drives/") + letter);
            QDir().mkpath(root);
            overrides += letter + u'=' + root + u',' + entry.section(u'=', 1) + u'\n';
        }
        folders = TUserFolders::FromEnvironment();
        table = TDriveTable::Build(
            Path(), {}, [](const QString &) { return false; }, overrides);
    }

    TWorkspace Workspace() const { return TWorkspace(folders, table); }
    // The root folder of a drive made by the constructor.
    QString DriveRoot(QChar letter) const { return FilePath(QStringLiteral("drives/") + letter); }

    TUserFolders folders;
    TDriveTable table;
};

} // namespace korvatel::test
