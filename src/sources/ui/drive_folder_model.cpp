#include "sources/ui/drive_folder_model.h"

#include "sources/source_listing.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <optional>
#include <vector>

namespace korvatel
{

struct TDriveFolderModel::TNode {
    TNode *parent = nullptr;
    int row = 0;
    QString path; // the folder, cleaned
    QString name; // the folder's own name; for a drive the text of its node
    std::optional<TDrive> drive; // set on the nodes of drives
    std::vector<std::unique_ptr<TNode>> children;
    bool fetched = false;
    mutable std::optional<bool> hasFolders; // asked of the disk once, before the folders are read

    void Renumber()
    {
        for (size_t i = 0; i < children.size(); ++i)
            children[i]->row = int(i);
    }
};

namespace
{

bool Holds(const QString &root, const QString &path)
{
    if (root == QLatin1String("/") || path == root)
        return true;
    return path.startsWith(root) && path.size() > root.size() && path[root.size()] == u'/';
}

QString ChildPath(const QString &folder, const QString &name)
{
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

bool NameLess(const QString &a, const QString &b)
{
    const int order = a.compare(b, Qt::CaseInsensitive);
    return order != 0 ? order < 0 : a < b;
}

} // namespace

TDriveFolderModel::TDriveFolderModel(QObject *parent)
    : QAbstractItemModel(parent)
    , FRoot(std::make_unique<TNode>())
{
    FRoot->fetched = true;
}

TDriveFolderModel::~TDriveFolderModel() = default;

TDriveFolderModel::TNode *TDriveFolderModel::NodeOf(const QModelIndex &index) const
{
    return index.isValid() ? static_cast<TNode *>(index.internalPointer()) : FRoot.get();
}

QModelIndex TDriveFolderModel::IndexOf(const TNode *node) const
{
    if (!node || node == FRoot.get())
        return {};
    return createIndex(node->row, 0, const_cast<TNode *>(node));
}

void TDriveFolderModel::SetDrives(const TDriveTable &drives, const QString &home)
{
    const QList<TDrive> &table = drives.Drives();
    const auto inTable = [&table](const QString &root) {
        return std::any_of(table.begin(), table.end(),
            [&root](const TDrive &drive) { return drive.root == root; });
    };
    std::vector<std::unique_ptr<TNode>> &nodes = FRoot->children;
    for (int row = int(nodes.size()) - 1; row >= 0; --row) {
        if (inTable(nodes[row]->path))
            continue;
        beginRemoveRows({}, row, row);
        nodes.erase(nodes.begin() + row);
        FRoot->Renumber();
        endRemoveRows();
    }

    // The drives that stay take their new letter and name.
    const auto letterLess = [](const std::unique_ptr<TNode> &a, const std::unique_ptr<TNode> &b) {
        return a->drive->letter < b->drive->letter;
    };
    for (const std::unique_ptr<TNode> &node : nodes) {
        for (const TDrive &drive : table) {
            if (drive.root != node->path || drive == *node->drive)
                continue;
            node->drive = drive;
            node->name = DriveNodeText(drive, home);
            const QModelIndex index = IndexOf(node.get());
            Q_EMIT dataChanged(index, index);
        }
    }
    // A letter given by hand may put a drive before another: the nodes move, their branches
    // with them.
    if (!std::is_sorted(nodes.begin(), nodes.end(), letterLess)) {
        Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
        std::stable_sort(nodes.begin(), nodes.end(), letterLess);
        FRoot->Renumber();
        const QModelIndexList persistent = persistentIndexList();
        for (const QModelIndex &index : persistent) {
            const TNode *node = NodeOf(index);
            if (node->parent == FRoot.get() && index.row() != node->row)
                changePersistentIndex(
                    index, createIndex(node->row, index.column(), index.internalPointer()));
        }
        Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    }

    for (const TDrive &drive : table) {
        const bool known = std::any_of(nodes.begin(), nodes.end(),
            [&drive](const std::unique_ptr<TNode> &node) { return node->path == drive.root; });
        if (known)
            continue;
        auto node = std::make_unique<TNode>();
        node->parent = FRoot.get();
        node->path = drive.root;
        node->name = DriveNodeText(drive, home);
        node->drive = drive;
        const auto at = std::upper_bound(nodes.begin(), nodes.end(), node, letterLess);
        const int row = int(at - nodes.begin());
        beginInsertRows({}, row, row);
        nodes.insert(at, std::move(node));
        FRoot->Renumber();
        endInsertRows();
    }
}

void TDriveFolderModel::Fetch(TNode *node)
{
    if (node->fetched)
        return;
    node->fetched = true;
    const QStringList names = SubfolderNames(node->path);
    node->hasFolders = !names.isEmpty();
    if (names.isEmpty())
        return;
    beginInsertRows(IndexOf(node), 0, int(names.size()) - 1);
    for (const QString &name : names) {
        auto child = std::make_unique<TNode>();
        child->parent = node;
        child->path = ChildPath(node->path, name);
        child->name = name;
        node->children.push_back(std::move(child));
    }
    node->Renumber();
    endInsertRows();
}

TDriveFolderModel::TNode *TDriveFolderModel::AddFolder(TNode *node, const QString &name)
{
    auto child = std::make_unique<TNode>();
    child->parent = node;
    child->path = ChildPath(node->path, name);
    child->name = name;
    const auto at = std::upper_bound(node->children.begin(), node->children.end(), name,
        [](const QString &value, const std::unique_ptr<TNode> &other) {
            return NameLess(value, other->name);
        });
    const int row = int(at - node->children.begin());
    beginInsertRows(IndexOf(node), row, row);
    TNode *added = node->children.insert(at, std::move(child))->get();
    node->Renumber();
    node->hasFolders = true;
    endInsertRows();
    return added;
}

QModelIndex TDriveFolderModel::index(const QString &path)
{
    if (!path.startsWith(u'/'))
        return {};
    const QString clean = QDir::cleanPath(path);
    TNode *node = nullptr;
    for (const std::unique_ptr<TNode> &drive : FRoot->children) {
        if (Holds(drive->path, clean) && (!node || drive->path.size() > node->path.size()))
            node = drive.get();
    }
    if (!node || !QFileInfo(clean).isDir())
        return {};
    const QStringList names = clean.mid(node->path.size()).split(u'/', Qt::SkipEmptyParts);
    for (const QString &name : names) {
        Fetch(node);
        const auto found = std::find_if(node->children.begin(), node->children.end(),
            [&name](const std::unique_ptr<TNode> &child) { return child->name == name; });
        // A hidden folder, or one made after the folders were read, joins when asked for.
        node = found != node->children.end() ? found->get() : AddFolder(node, name);
    }
    return IndexOf(node);
}

QString TDriveFolderModel::filePath(const QModelIndex &index) const
{
    return index.isValid() ? NodeOf(index)->path : QString();
}

QModelIndex TDriveFolderModel::index(int row, int column, const QModelIndex &parent) const
{
    const TNode *node = NodeOf(parent);
    if (column != 0 || row < 0 || row >= int(node->children.size()))
        return {};
    return createIndex(row, column, node->children[row].get());
}

QModelIndex TDriveFolderModel::parent(const QModelIndex &child) const
{
    return child.isValid() ? IndexOf(NodeOf(child)->parent) : QModelIndex();
}

int TDriveFolderModel::rowCount(const QModelIndex &parent) const
{
    if (parent.column() > 0)
        return 0;
    return int(NodeOf(parent)->children.size());
}

int TDriveFolderModel::columnCount(const QModelIndex &) const
{
    return 1;
}

bool TDriveFolderModel::hasChildren(const QModelIndex &parent) const
{
    const TNode *node = NodeOf(parent);
    if (node->fetched)
        return !node->children.empty();
    if (!node->hasFolders)
        node->hasFolders = HasSubfolder(node->path);
    return *node->hasFolders;
}

bool TDriveFolderModel::canFetchMore(const QModelIndex &parent) const
{
    return !NodeOf(parent)->fetched;
}

void TDriveFolderModel::fetchMore(const QModelIndex &parent)
{
    Fetch(NodeOf(parent));
}

QVariant TDriveFolderModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const TNode *node = NodeOf(index);
    switch (role) {
    case Qt::DisplayRole:
        return node->name;
    case FilePathRole:
        return node->path;
    case Qt::DecorationRole:
        if (!node->drive)
            return FIcons.icon(QFileIconProvider::Folder);
        return FIcons.icon(
            node->drive->type == dtRemote ? QFileIconProvider::Network : QFileIconProvider::Drive);
    default:
        return {};
    }
}

} // namespace korvatel
