#pragma once

#include "platform/drive_table.h"

#include <QAbstractItemModel>
#include <QFileIconProvider>
#include <memory>

namespace korvatel
{

// The model of the folder tree: every drive of the drive table as a top-level node with its
// letter, name and type icon ("C: (ホーム)", "E: CARD"), and below each drive its folders
// (hidden ones left out, in name order ignoring case). A node's folders are read when it is
// first expanded; until then it shows an expander only when the folder has a subfolder.
class TDriveFolderModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    // The full local path of a node, the role QFileSystemModel gives it.
    static constexpr int FilePathRole = Qt::UserRole + 1;

    explicit TDriveFolderModel(QObject *parent = nullptr);
    ~TDriveFolderModel() override;

    // Takes the drive table of the moment. Drives are matched by their folder: a drive that
    // went loses its node, a new one gets a node in letter order, and a drive that stays keeps
    // its node with the folders read so far (and so its expanded branches in a view), taking
    // the new letter and name.
    void SetDrives(const TDriveTable &drives, const QString &home);

    // The node of a folder, read down from the drive that holds it (the drive with the longest
    // folder that starts the path); invalid when no drive holds it or it is not a folder.
    QModelIndex index(const QString &path);
    QString filePath(const QModelIndex &index) const;

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    bool hasChildren(const QModelIndex &parent = {}) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    struct TNode;

    TNode *NodeOf(const QModelIndex &index) const;
    QModelIndex IndexOf(const TNode *node) const;
    void Fetch(TNode *node);
    TNode *AddFolder(TNode *node, const QString &name);

    std::unique_ptr<TNode> FRoot;
    QFileIconProvider FIcons;
};

} // namespace korvatel
