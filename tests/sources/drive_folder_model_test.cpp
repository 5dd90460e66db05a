#include "sources/ui/drive_folder_model.h"
#include "support/app_home.h"

#include <QDir>
#include <QTreeView>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

// A drive table of the temporary home (C) and of folders under it named by letter:
// "D=removable" puts a removable drive D at <home>/drives/D.
TDriveTable Drives(const test::TAppHome &home, const QStringList &letters)
{
    QString overrides;
    for (const QString &entry : letters) {
        const QString letter = entry.section(u'=', 0, 0);
        overrides
            += letter + u'=' + home.DriveRoot(letter[0]) + u',' + entry.section(u'=', 1) + u'\n';
    }
    return TDriveTable::Build(
        home.Path(), {}, [](const QString &) { return false; }, overrides);
}

QStringList TopTexts(const TDriveFolderModel &model)
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts << model.index(row, 0).data().toString();
    return texts;
}

} // namespace

TEST(TDriveFolderModel, DrivesAreTopNodesAndFoldersAreReadWhenOpened)
{
    test::TAppHome home(QStringLiteral("D=removable,E=fixed"));
    ASSERT_TRUE(home.Write(QStringLiteral("drives/D/DCIM/100CANON/a.jpg"), "x"));
    ASSERT_TRUE(home.Write(QStringLiteral("drives/D/misc/notes.txt"), "x"));
    ASSERT_TRUE(QDir().mkpath(home.DriveRoot(u'D') + QStringLiteral("/.hidden")));
    ASSERT_TRUE(QDir().mkpath(home.DriveRoot(u'D') + QStringLiteral("/Album")));
    TDriveFolderModel model;
    model.SetDrives(home.table, home.Path());
    EXPECT_EQ(TopTexts(model), (QStringList { "C: (ホーム)", "D: D", "E: E" }));

    const QModelIndex d = model.index(1, 0);
    EXPECT_TRUE(model.hasChildren(d));
    EXPECT_FALSE(model.hasChildren(model.index(2, 0))); // E holds no folder: no expander
    ASSERT_TRUE(model.canFetchMore(d));
    model.fetchMore(d);
    // Folders only, hidden ones left out, in name order ignoring case.
    QStringList names;
    for (int row = 0; row < model.rowCount(d); ++row)
        names << model.index(row, 0, d).data().toString();
    EXPECT_EQ(names, (QStringList { "Album", "DCIM", "misc" }));
    EXPECT_FALSE(model.hasChildren(model.index(0, 0, d)));
    EXPECT_TRUE(model.hasChildren(model.index(1, 0, d)));

    // A folder is found from the drive that holds it, not from C above it.
    const QString camera = home.DriveRoot(u'D') + QStringLiteral("/DCIM/100CANON");
    const QModelIndex found = model.index(camera);
    ASSERT_TRUE(found.isValid());
    EXPECT_EQ(found.data(TDriveFolderModel::FilePathRole).toString(), camera);
    EXPECT_EQ(found.parent().parent(), d);
    // A hidden folder asked for by name joins its parent; a file or a missing folder has no node.
    EXPECT_TRUE(model.index(home.DriveRoot(u'D') + QStringLiteral("/.hidden")).isValid());
    EXPECT_FALSE(model.index(home.DriveRoot(u'D') + QStringLiteral("/misc/notes.txt")).isValid());
    EXPECT_FALSE(model.index(QStringLiteral("/nonexistent/korvatel")).isValid());
}

TEST(TDriveFolderModel, ANewTableAddsAndRemovesDrivesAndKeepsTheOthersOpen)
{
    test::TAppHome home(QStringLiteral("D=removable,E=removable"));
    ASSERT_TRUE(QDir().mkpath(home.FilePath(QStringLiteral("Photos/2024"))));
    ASSERT_TRUE(QDir().mkpath(home.DriveRoot(u'E') + QStringLiteral("/DCIM/100")));
    TDriveFolderModel model;
    model.SetDrives(Drives(home, { "D=removable" }), home.Path());
    QTreeView view;
    view.setModel(&model);
    const QModelIndex photos = model.index(home.FilePath(QStringLiteral("Photos")));
    ASSERT_TRUE(photos.isValid());
    view.expand(photos.parent());
    view.expand(photos);

    model.SetDrives(Drives(home, { "D=removable", "E=removable" }), home.Path());
    EXPECT_EQ(TopTexts(model), (QStringList { "C: (ホーム)", "D: D", "E: E" }));
    const QModelIndex dcim = model.index(home.DriveRoot(u'E') + QStringLiteral("/DCIM"));
    view.expand(dcim.parent());
    view.expand(dcim);

    // D goes: E keeps its node and its open folders, and C stays open.
    model.SetDrives(Drives(home, { "E=removable" }), home.Path());
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.filePath(model.index(1, 0)), home.DriveRoot(u'E'));
    EXPECT_TRUE(view.isExpanded(model.index(home.FilePath(QStringLiteral("Photos")))));
    EXPECT_TRUE(view.isExpanded(model.index(home.DriveRoot(u'E') + QStringLiteral("/DCIM"))));

    // A letter given by hand before C's moves the node, its branch with it.
    TDriveTable moved = TDriveTable::Build(
        home.Path(), {}, [](const QString &) { return false; },
        QStringLiteral("B=") + home.DriveRoot(u'E') + QStringLiteral(",removable\n"));
    model.SetDrives(moved, home.Path());
    EXPECT_EQ(model.filePath(model.index(0, 0)), home.DriveRoot(u'E'));
    EXPECT_EQ(model.index(0, 0).data().toString(), QStringLiteral("B: E"));
    EXPECT_TRUE(view.isExpanded(model.index(home.DriveRoot(u'E') + QStringLiteral("/DCIM"))));
    EXPECT_TRUE(view.isExpanded(model.index(home.FilePath(QStringLiteral("Photos")))));
}

} // namespace korvatel
