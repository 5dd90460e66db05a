#pragma once

#include "platform/drive_table.h"
#include "sources/date_build.h"
#include "workspace/option_settings.h"
#include "workspace/state_settings.h"
#include "workspace/workspace.h"
#include "workspace/workspace_settings.h"

#include <QDateTime>
#include <QWidget>
#include <functional>
#include <optional>

class QCheckBox;
class QListWidget;
class QMenu;
class QModelIndex;
class QPushButton;
class QTabWidget;
class QTreeView;
class QTreeWidget;
class QTreeWidgetItem;

namespace korvatel
{

class TBrowserPanel;
class TDriveFolderModel;
class TPrompter;
class TTemplatePage;

// What "Reset" asks before it deletes anything.
QString ResetQuestion();

// What the source trees read and write: the workspace, Option.ini (the picture kinds, the
// fast mode and the network drives), State.ini (the last folder), the exclusion list, the
// expanded date nodes and the time of the last disk scan. The two save hooks write Option.ini
// and DateOutFolderList.ini; shopSwitchOn says whether the shop has set a switch file of its
// data (a page without one is hidden).
struct TSourceValues {
    const TWorkspace &workspace;
    TOptionSettings &option;
    TStateSettings &state;
    TDateOutFolderList &dateOut;
    TNodeExp &nodeExp;
    std::optional<QDateTime> &lastRead;
    std::function<void()> saveOption;
    std::function<void()> saveDateOut;
    std::function<bool(const QString &switchName)> shopSwitchOn;
    bool cardsOffered = false; // the card template page is shown
};

// The source panel pnFolder: the pages of the six source modes (card templates, folders,
// dates, categories, shop page, ticket page) with the folder tree and its exclusion list, the
// date tree with its refresh button, and the news below. A chosen folder or date node is
// listed in the browser page it is given.
class TSourcePanel : public QWidget
{
    Q_OBJECT

public:
    TSourcePanel(TSourceValues values, QWidget *parent = nullptr);
    ~TSourcePanel() override;

    // The browser page that shows what is chosen here; set once, before the first choice.
    void SetBrowser(TBrowserPanel *browser) { FBrowser = browser; }
    void SetPrompter(TPrompter *prompter) { FPrompter = prompter; }

    QTabWidget *pcSource() const { return FSourcePages; }
    QTreeView *tvFolder() const { return FFolderTree; }
    TDriveFolderModel *FolderModel() const { return FFolderModel; }
    QTreeWidget *tvDate() const { return FDateTree; }
    QListWidget *clbDateOut() const { return FDateOutList; }
    QPushButton *sbReDate() const { return FReDate; }
    // The page of the shop's card plates.
    TTemplatePage *TemplatePage() const { return FTemplatePage; }

    // The source modes 1 to 6 of source_modes.h; another number chooses the folders.
    int SourceMode() const { return FSourceMode; }
    void SetSourceMode(int mode);
    // Fills the menu "ソース選択" with the modes 1 to 4 ("miSource1" to "miSource4"), each grey
    // with its reason where its page is hidden. The items are children of the page.
    void BuildMenu(QMenu *menu);
    // Lists the pictures of a folder (and of all its subfolders) in the browser.
    void ListFolder(const QString &folder, bool subfolders = false);
    // Lists the pictures of a year, month or day node of the date tree.
    void ListDateNode(QTreeWidgetItem *node);
    // Chooses the folder in the folder tree without listing it, opening the branches down to
    // it from its drive.
    void ChooseFolder(const QString &folder);
    // Media came or went: the folder tree shows the drives of the new table, leaving the
    // branches of the other drives as they were. When the folder listed in the browser went
    // with its drive, the browser is emptied and no folder is chosen.
    void DrivesChanged(const TDriveTable &drives);
    // Shows where a picture comes from: its day node when the date source is shown and day
    // ("yy/mm/dd") names a node, else its folder; lists it unless the browser shows it.
    void ShowSourceOf(const QString &path, const QString &day);

    // Rebuilds the date tree, walking the disks when asked; runs off the window's thread.
    void BuildDateTree(bool rememberExpansion, bool scanDisks, bool hideBrowser, bool deleteOnly);
    bool DateBuildRunning() const;
    // The "キャンセル" button: ends the running disk walk.
    void StopScan();
    // Adds a picture the program saved to the date list and rebuilds the tree without a walk.
    void AddScannedPicture(const QString &file);
    // Stores the expanded nodes and the focused one in the node settings.
    void CollectNodeExp();
    // Stops a running build for good: the window is closing.
    void Shutdown();

    // "日付リスト 対象外設定" on the folder chosen in the folder tree, once the customer agreed.
    void ToggleExclusion();
    // The "Reset" button: once the customer agreed (ResetQuestion), forgets failed thumbnails
    // and the start notice, empties the thumbnail store and deletes the date lists.
    void ResetClick();

    // The drives the disk scan walks; the fixed drives (and network drives with the option)
    // of the workspace's drive table unless set.
    std::function<QList<TDrive>()> ScanDriveList;
    // "カテゴリー ID登録": what opens when the category page is first shown empty.
    std::function<void()> RegisterCategory;
    // Whether the date list files photos by their shooting date ("操作方法の設定"); by their file
    // time when unset or false.
    std::function<bool()> ShootingDates;

Q_SIGNALS:
    // The name of the folder or node listed, or the count of pictures scanned.
    void nodeText(const QString &text);
    // The folder the disk scan is reading.
    void scanText(const QString &folder);

private:
    void BuildSourcePages();
    void BuildFolderPage(QWidget *page);
    void BuildDatePage(QWidget *page);
    void FolderChosen(const QModelIndex &index);
    void RestoreReDateButton();
    void EndBuild();
    void DateBuildFinished(const TDateBuildResult &result);
    void FillDateTree(const TDateLists &lists);
    void DateOutChanged();
    void RefreshDateOutList();
    void SetBrowserBusy(bool busy);

    TSourceValues FValues;
    TBrowserPanel *FBrowser = nullptr;
    TPrompter *FPrompter = nullptr;
    QTabWidget *FSourcePages = nullptr;
    QTreeView *FFolderTree = nullptr;
    TDriveFolderModel *FFolderModel = nullptr;
    QTreeWidget *FDateTree = nullptr;
    QListWidget *FDateOutList = nullptr;
    QPushButton *FReDate = nullptr;
    TTemplatePage *FTemplatePage = nullptr;
    QCheckBox *FFastMode = nullptr;
    QCheckBox *FLan = nullptr;
    TDateBuildJob *FDateJob = nullptr;
    int FSourceMode = 2;
    bool FCategoryAsked = false;
    bool FClosing = false;
    bool FDrivesChanging = false;
    QString FReDateHint;
    TNodeExp FBuildExpansion;
};

} // namespace korvatel
