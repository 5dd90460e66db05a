#include "sources/date_exclusion.h"

#include "platform/prompter.h"

namespace korvatel
{

namespace
{

QString Normal(QString path)
{
    path.replace(u'\\', u'/');
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    return path;
}

// Folder names are case-sensitive here: excluding "Photos" leaves "photos" listed.
bool SamePath(const QString &a, const QString &b)
{
    return Normal(a) == Normal(b);
}

// A listed folder is a parent when it is a leading part of the path up to a separator, so
// "/photos/2009" is not taken for a parent of "/photos/2009-old".
bool IsParent(const QString &parent, const QString &path)
{
    const QString p = Normal(parent);
    const QString child = Normal(path);
    if (child.size() <= p.size() || !child.startsWith(p))
        return false;
    return p.endsWith(u'/') || child.at(p.size()) == u'/';
}

} // namespace

TExclusionChange ToggleExclusion(
    TDateOutFolderList &list, const QString &folder, TPrompter &prompter)
{
    for (qsizetype i = 0; i < list.Folders.size(); ++i) {
        if (SamePath(list.Folders[i].path, folder)) {
            list.Folders.removeAt(i);
            return TExclusionChange::ecRemoved;
        }
    }
    for (qsizetype i = 0; i < list.Folders.size(); ++i) {
        const QString parent = list.Folders[i].path;
        if (!IsParent(parent, folder))
            continue;
        if (!prompter.Confirm(
                QStringLiteral("親である <") + parent + QStringLiteral("> を解除します。")))
            return TExclusionChange::ecNone;
        list.Folders.removeAt(i);
        return TExclusionChange::ecParentRemoved;
    }
    list.Folders.append({ Normal(folder), true });
    return TExclusionChange::ecAdded;
}

QString ExclusionQuestion(const TDateOutFolderList &list, const QString &folder)
{
    for (const TExcludedFolder &entry : list.Folders) {
        if (SamePath(entry.path, folder))
            return QStringLiteral("<") + entry.path
                + QStringLiteral("> を日付リストの対象に戻します。よろしいですか？");
    }
    for (const TExcludedFolder &entry : list.Folders) {
        if (IsParent(entry.path, folder))
            return {};
    }
    return QStringLiteral("<") + Normal(folder)
        + QStringLiteral("> を日付リストの対象外にします。\r\n"
                         "このフォルダとその中のフォルダの画像は、日付リストに載らなくなります。"
                         "\r\n\r\nよろしいですか？");
}

bool FolderExcluded(const TDateOutFolderList &list, const QString &folder)
{
    for (const TExcludedFolder &entry : list.Folders)
        if (entry.active && SamePath(entry.path, folder))
            return true;
    return false;
}

} // namespace korvatel
