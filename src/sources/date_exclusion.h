#pragma once

#include "workspace/workspace_settings.h"

#include <QString>

namespace korvatel
{

class TPrompter;

// What "日付リスト 対象外設定" did to the exclusion list.
enum class TExclusionChange {
    ecNone, // the user cancelled lifting a parent's exclusion
    ecRemoved, // the folder itself was listed and is removed
    ecParentRemoved, // a listed parent was removed after the user agreed
    ecAdded, // the folder is added, ticked
};

// Toggles the folder chosen in the folder tree on the exclusion list: a listed folder is
// removed; a folder below a listed one asks "親である <parent> を解除します。" and removes the
// parent on OK; any other folder is added, ticked. The caller rewrites the file.
TExclusionChange ToggleExclusion(
    TDateOutFolderList &list, const QString &folder, TPrompter &prompter);

// What "日付リスト 対象外設定" asks before it changes anything for the folder: whether to take a
// listed folder back into the date list, or to leave an unlisted one out of it (its subfolders
// with it). Empty for a folder below a listed one: ToggleExclusion asks about the parent then.
QString ExclusionQuestion(const TDateOutFolderList &list, const QString &folder);

// True when the folder is one of the active entries (the folder tree draws it in grey).
bool FolderExcluded(const TDateOutFolderList &list, const QString &folder);

} // namespace korvatel
