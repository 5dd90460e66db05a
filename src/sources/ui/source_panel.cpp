// The source panel: the pages of the source modes, the folder tree with the exclusion list,
// the date tree with the disk scan and its refresh button.
#include "sources/ui/source_panel.h"

#include "platform/clock.h"
#include "platform/prompter.h"
#include "platform/shell.h"
#include "platform/ui/menu_commands.h"
#include "platform/ui/qt_prompter.h"
#include "platform/ui/widget_helpers.h"
#include "sources/date_exclusion.h"
#include "sources/date_scan.h"
#include "sources/source_listing.h"
#include "sources/source_modes.h"
#include "sources/ui/browser_panel.h"
#include "sources/ui/drive_folder_model.h"
#include "sources/ui/film_grid.h"
#include "sources/ui/template_page.h"
#include "text/sjis_file.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace korvatel
{

namespace
{

const char *const kFolderHint = "|[+Shift]Click で下位フォルダ内の画像全てを表示します。";
const char *const kDateOutHint = "除外ﾌｫﾙﾀﾞﾘｽﾄ|このエリアには、ﾌｫﾙﾀﾞﾘｽﾄで対象外に設定したﾌｫﾙﾀﾞ"
                                 "が表示されます。";
const char *const kReDateCaption = "最新情報に更新(HD)";
const char *const kReDateHint
    = "最新情報に更新|ハードディスク内の画像を検索して日付リストを作り直します。";

// Draws the folders of the exclusion list in grey (white while selected).
class TExcludedFolderDelegate : public QStyledItemDelegate
{
public:
    TExcludedFolderDelegate(
        TDriveFolderModel *model, const TDateOutFolderList &list, QObject *parent)
        : QStyledItemDelegate(parent)
        , FModel(model)
        , FList(list)
    {
    }

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (!FolderExcluded(FList, FModel->filePath(index)))
            return;
        const bool selected = option->state & QStyle::State_Selected;
        option->palette.setColor(QPalette::Text, selected ? Qt::white : Qt::gray);
        option->palette.setColor(QPalette::HighlightedText, Qt::white);
    }

private:
    TDriveFolderModel *FModel;
    const TDateOutFolderList &FList;
};

} // namespace

TSourcePanel::TSourcePanel(TSourceValues values, QWidget *parent)
    : QWidget(parent)
    , FValues(std::move(values))
{
    setObjectName(QStringLiteral("pnFolder"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    BuildSourcePages();
    layout->addWidget(FSourcePages, 1);

    auto *news = new QLabel(QStringLiteral("【新着情報】"), this);
    news->setObjectName(QStringLiteral("pnNews"));
    news->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    news->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    news->setMinimumHeight(60);
    layout->addWidget(news);
}

TSourcePanel::~TSourcePanel()
{
    // The trees stop calling back while ~QWidget deletes them.
    disconnect(FSourcePages, nullptr, this, nullptr);
    disconnect(FDateTree, nullptr, this, nullptr);
    disconnect(FFolderTree, nullptr, this, nullptr);
    if (FFolderTree->selectionModel())
        disconnect(FFolderTree->selectionModel(), nullptr, this, nullptr);
    Shutdown();
}

void TSourcePanel::BuildSourcePages()
{
    FDateJob = new TDateBuildJob(this);
    connect(FDateJob, &TDateBuildJob::finished, this, &TSourcePanel::DateBuildFinished);
    connect(FDateJob, &TDateBuildJob::folderScanned, this, &TSourcePanel::scanText);
    connect(FDateJob, &TDateBuildJob::countChanged, this,
        [this](int count) { Q_EMIT nodeText(QStringLiteral("COUNT:%1").arg(count)); });

    FSourcePages = new QTabWidget(this);
    FSourcePages->setObjectName(QStringLiteral("pcSource"));
    for (int mode = 1; mode <= kSourceModeCount; ++mode) {
        auto *page = new QWidget(FSourcePages);
        page->setObjectName(QStringLiteral("tsSource%1").arg(mode));
        FSourcePages->addTab(page, SourcePageCaption(mode));
        const QString switchFile = SourcePageSwitch(mode);
        const bool shown = switchFile.isEmpty()
            || (mode == smTemplate ? FValues.cardsOffered
                                   : FValues.shopSwitchOn && FValues.shopSwitchOn(switchFile));
        FSourcePages->setTabVisible(mode - 1, shown);
    }
    // The pages whose contents the shop has not offered yet say so.
    const auto placeholder = [this](int mode) {
        auto *layout = new QVBoxLayout(FSourcePages->widget(mode - 1));
        auto *label = new QLabel(SourcePageEmptyText(mode), FSourcePages->widget(mode - 1));
        label->setObjectName(QStringLiteral("lbSourceEmpty%1").arg(mode));
        label->setAlignment(Qt::AlignCenter);
        label->setWordWrap(true);
        layout->addWidget(label);
    };
    {
        QWidget *page = FSourcePages->widget(smTemplate - 1);
        auto *layout = new QVBoxLayout(page);
        layout->setContentsMargins(0, 0, 0, 0);
        FTemplatePage = new TTemplatePage(page);
        layout->addWidget(FTemplatePage);
    }
    BuildFolderPage(FSourcePages->widget(smFolder - 1));
    BuildDatePage(FSourcePages->widget(smDate - 1));
    {
        QWidget *page = FSourcePages->widget(smCategory - 1);
        auto *layout = new QVBoxLayout(page);
        layout->setContentsMargins(0, 0, 0, 0);
        auto *tree = new QTreeWidget(page);
        tree->setObjectName(QStringLiteral("tvCategory"));
        tree->setHeaderHidden(true);
        layout->addWidget(tree);
    }
    placeholder(smShop);
    placeholder(smTicket);
    FSourcePages->setCurrentIndex(smFolder - 1);
    connect(FSourcePages, &QTabWidget::currentChanged, this,
        [this](int index) { SetSourceMode(SourceModeOfCaption(FSourcePages->tabText(index))); });
}

void TSourcePanel::BuildFolderPage(QWidget *page)
{
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    // The folder tree: read-only, without border, the selection kept visible. Its top nodes
    // are the drives: C, the home folder, and the mounted media.
    FFolderTree = new QTreeView(page);
    FFolderTree->setObjectName(QStringLiteral("tvFolder"));
    FFolderTree->setFrameShape(QFrame::NoFrame);
    FFolderTree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SetHint(FFolderTree, QString::fromUtf8(kFolderHint));
    FFolderModel = new TDriveFolderModel(FFolderTree);
    FFolderModel->SetDrives(FValues.workspace.Drives(), FValues.workspace.Folders().home);
    FFolderTree->setModel(FFolderModel);
    FFolderTree->setHeaderHidden(true);
    FFolderTree->setItemDelegate(
        new TExcludedFolderDelegate(FFolderModel, FValues.dateOut, FFolderTree));
    layout->addWidget(FFolderTree, 1);
    connect(FFolderTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
        [this](const QModelIndex &index) { FolderChosen(index); });
    // Clicking the chosen folder again with Shift lists its subfolders too. A Shift click on
    // another folder has listed them already when it became the current one.
    connect(FFolderTree, &QTreeView::clicked, this, [this](const QModelIndex &index) {
        if (!(QGuiApplication::keyboardModifiers() & Qt::ShiftModifier) || !index.isValid())
            return;
        if (FBrowser && FBrowser->ShownSubfolders()
            && FBrowser->ShownName() == FFolderModel->filePath(index))
            return;
        FolderChosen(index);
    });

    auto *exclude = new QPushButton(QStringLiteral("日付リスト 対象外設定"), page);
    exclude->setObjectName(QStringLiteral("sbDateOut"));
    connect(exclude, &QPushButton::clicked, this, &TSourcePanel::ToggleExclusion);
    layout->addWidget(exclude);
    FDateOutList = new QListWidget(page);
    FDateOutList->setObjectName(QStringLiteral("clbDateOut"));
    FDateOutList->setMaximumHeight(90);
    SetHint(FDateOutList, QString::fromUtf8(kDateOutHint));
    connect(FDateOutList, &QListWidget::itemChanged, this, [this](QListWidgetItem *item) {
        const int row = FDateOutList->row(item);
        if (row < 0 || row >= FValues.dateOut.Folders.size())
            return;
        FValues.dateOut.Folders[row].active = item->checkState() == Qt::Checked;
        DateOutChanged();
    });
    layout->addWidget(FDateOutList);
    RefreshDateOutList();
}

void TSourcePanel::BuildDatePage(QWidget *page)
{
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    FReDate = new QPushButton(QString::fromUtf8(kReDateCaption), page);
    FReDate->setObjectName(QStringLiteral("sbReDate"));
    FReDateHint = QString::fromUtf8(kReDateHint);
    if (FValues.lastRead)
        FReDateHint = LastReadHint(FReDateHint, *FValues.lastRead);
    SetHint(FReDate, FReDateHint);
    connect(FReDate, &QPushButton::clicked, this, [this] {
        if (DateBuildRunning())
            StopScan();
        else
            BuildDateTree(true, true, true, false);
    });
    layout->addWidget(FReDate);
    auto *boxes = new QHBoxLayout;
    FFastMode = new QCheckBox(QStringLiteral("高速モード"), page);
    FFastMode->setObjectName(QStringLiteral("cbFastMode"));
    FFastMode->setChecked(!FValues.option.FullMake);
    connect(FFastMode, &QCheckBox::toggled, this, [this](bool on) {
        FValues.option.FullMake = !on;
        if (FValues.saveOption)
            FValues.saveOption();
    });
    FLan = new QCheckBox(QStringLiteral("ﾈｯﾄﾜｰｸﾄﾞﾗｲﾌﾞ"), page);
    FLan->setObjectName(QStringLiteral("cbLan"));
    FLan->setChecked(FValues.option.Lan);
    connect(FLan, &QCheckBox::toggled, this, [this](bool on) {
        FValues.option.Lan = on;
        if (FValues.saveOption)
            FValues.saveOption();
    });
    boxes->addWidget(FFastMode);
    boxes->addWidget(FLan);
    layout->addLayout(boxes);
    FDateTree = new QTreeWidget(page);
    FDateTree->setObjectName(QStringLiteral("tvDate"));
    FDateTree->setHeaderHidden(true);
    FDateTree->setFrameShape(QFrame::NoFrame);
    FDateTree->setVisible(false);
    connect(FDateTree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *item) {
        if (item && FDateTree->isEnabled())
            ListDateNode(item);
    });
    layout->addWidget(FDateTree, 1);
    // Keeps the button and the boxes at the top while the tree is hidden.
    layout->addStretch();
}

void TSourcePanel::SetBrowserBusy(bool busy)
{
    if (FBrowser)
        FBrowser->lvBrowser()->SetBusy(busy);
}

void TSourcePanel::BuildMenu(QMenu *menu)
{
    const char *const captions[]
        = { "ﾃﾝﾌﾟﾚｰﾄ(&0)", "フォルダ別(&1)", "日付別(&2)", "カテゴリー別(&3)" };
    for (int mode = smTemplate; mode <= smCategory; ++mode) {
        const QByteArray name = "miSource" + QByteArray::number(mode);
        QAction *item = AddMenuCommand(this, menu, name.constData(),
            QString::fromUtf8(captions[mode - smTemplate]), {},
            [this, mode] { SetSourceMode(mode); });
        EnableCommand(item, FSourcePages->isTabVisible(mode - 1),
            mode == smTemplate
                ? QStringLiteral("このお店ではカードを扱っていません。")
                : QStringLiteral("このお店ではカテゴリー別の注文を扱っていません。"));
    }
}

void TSourcePanel::SetSourceMode(int mode)
{
    if (mode < 1 || mode > kSourceModeCount)
        mode = smFolder;
    const bool changed = mode != FSourceMode;
    FSourceMode = mode;
    if (FSourcePages->currentIndex() != mode - 1) {
        const QSignalBlocker block(FSourcePages);
        FSourcePages->setCurrentIndex(mode - 1);
    }
    if (!changed)
        return;
    // The browser stays hidden until the new list is built.
    SetBrowserBusy(true);
    switch (mode) {
    case smFolder:
        if (FFolderTree->currentIndex().isValid())
            FolderChosen(FFolderTree->currentIndex());
        break;
    case smDate:
        if (FDateTree->currentItem())
            ListDateNode(FDateTree->currentItem());
        break;
    case smTemplate:
        SetBrowserBusy(false);
        FTemplatePage->Shown();
        break;
    case smCategory: {
        auto *tree = FSourcePages->widget(smCategory - 1)->findChild<QTreeWidget *>();
        // An empty tree without a registered category ID opens the registration at once.
        if (!FCategoryAsked && tree && tree->topLevelItemCount() == 0) {
            FCategoryAsked = true;
            if (RegisterCategory)
                RegisterCategory();
        }
        break;
    }
    default:
        break;
    }
}

void TSourcePanel::FolderChosen(const QModelIndex &index)
{
    if (!index.isValid() || FDrivesChanging)
        return;
    const bool subfolders = QGuiApplication::keyboardModifiers() & Qt::ShiftModifier;
    ListFolder(FFolderModel->filePath(index), subfolders);
}

void TSourcePanel::ListFolder(const QString &folder, bool subfolders)
{
    if (!FBrowser)
        return;
    FBrowser->BeginListing();
    FValues.state.LastDir = folder;
    Q_EMIT nodeText(QFileInfo(folder).fileName());
    const QStringList files
        = FolderPictures(folder, PictureKindExtensions(FValues.option), subfolders);
    FBrowser->ListFiles(folder, files, subfolders);
}

void TSourcePanel::ListDateNode(QTreeWidgetItem *node)
{
    if (!node || !FBrowser)
        return;
    FBrowser->BeginListing();
    const QString text = node->text(0);
    Q_EMIT nodeText(text);
    FBrowser->ListDatePictures(text, korvatel::ListDateNode(FValues.workspace.Tree(), text));
}

void TSourcePanel::ChooseFolder(const QString &folder)
{
    const QModelIndex index = FFolderModel->index(folder);
    for (QModelIndex branch = index.parent(); branch.isValid(); branch = branch.parent())
        FFolderTree->expand(branch);
    {
        const QSignalBlocker block(FFolderTree->selectionModel());
        FFolderTree->setCurrentIndex(index);
    }
    FFolderTree->scrollTo(index);
}

void TSourcePanel::DrivesChanged(const TDriveTable &drives)
{
    const QString chosen = FFolderModel->filePath(FFolderTree->currentIndex());
    {
        // Removing the chosen drive's node makes another node current: that is no choice of
        // the customer's, and nothing is listed for it.
        const QScopedValueRollback guard(FDrivesChanging, true);
        FFolderModel->SetDrives(drives, FValues.workspace.Folders().home);
        if (FFolderModel->filePath(FFolderTree->currentIndex()) != chosen)
            FFolderTree->selectionModel()->clear();
    }
    // A folder is listed under its path; a date node's text never starts with "/".
    const QString shown = FBrowser ? FBrowser->ShownName() : QString();
    if (shown.startsWith(u'/') && (drives.LetterOf(shown).isNull() || !QFileInfo(shown).isDir()))
        FBrowser->SetBrowserFiles({});
}

void TSourcePanel::ShowSourceOf(const QString &path, const QString &day)
{
    if (FSourceMode == smDate && !day.isEmpty()) {
        // Day nodes read "yy/mm/dd(   n)".
        const QList<QTreeWidgetItem *> nodes
            = FDateTree->findItems(day + u'(', Qt::MatchStartsWith | Qt::MatchRecursive);
        if (!nodes.isEmpty()) {
            FDateTree->setCurrentItem(nodes.first());
            FDateTree->scrollToItem(nodes.first());
            if (FBrowser && FBrowser->ShownName() != nodes.first()->text(0))
                ListDateNode(nodes.first());
            return;
        }
    }
    if (FSourceMode != smFolder)
        SetSourceMode(smFolder);
    const QString folder = QFileInfo(path).absolutePath();
    ChooseFolder(folder);
    if (FBrowser && (FBrowser->ShownName() != folder || FBrowser->ShownSubfolders()))
        ListFolder(folder, false);
}

bool TSourcePanel::DateBuildRunning() const
{
    return FDateJob && FDateJob->Running();
}

void TSourcePanel::StopScan()
{
    if (FDateJob)
        FDateJob->Stop();
}

void TSourcePanel::Shutdown()
{
    FClosing = true;
    FDateJob->Cancel();
    RestoreReDateButton();
}

void TSourcePanel::BuildDateTree(
    bool rememberExpansion, bool scanDisks, bool hideBrowser, bool deleteOnly)
{
    if (FClosing)
        return;
    // A build already running is stopped and awaited first.
    if (DateBuildRunning()) {
        FDateJob->Cancel();
        RestoreReDateButton();
    }
    if (rememberExpansion && FDateTree->topLevelItemCount() > 0)
        CollectNodeExp();
    FBuildExpansion = FValues.nodeExp;
    FDateTree->clear();
    const QString tree = FValues.workspace.Tree();
    // A build makes the folder and deletes the month files itself, on its thread.
    if (deleteOnly) {
        DeleteMonthFiles(tree);
        QFile::remove(DateDataPath(tree));
        return;
    }
    FDateTree->setEnabled(false);
    if (hideBrowser && FSourceMode == smDate)
        SetBrowserBusy(true);
    TDateBuildInput input;
    input.tree = tree;
    input.scanDisks = scanDisks;
    input.rules = ScanRulesFrom(
        FValues.option, FValues.workspace.Folders(), FValues.dateOut.ActiveFolders());
    input.rules.shootingDate = ShootingDates && ShootingDates();
    input.cameraClocks = TCameraClocks::Load(TCameraClocks::FilePath(FValues.workspace.SysData()));
    if (scanDisks) {
        input.drives = ScanDriveList ? ScanDriveList()
                                     : ScanDrives(FValues.workspace.Drives(), FValues.option.Lan);
        QApplication::setOverrideCursor(Qt::BusyCursor);
        FReDate->setText(QStringLiteral("キャンセル"));
        FReDate->setStyleSheet(QStringLiteral("color: white; background-color: red;"));
    }
    FDateJob->Start(input, SystemClock());
}

void TSourcePanel::RestoreReDateButton()
{
    if (FReDate->text() == QStringLiteral("キャンセル"))
        QApplication::restoreOverrideCursor();
    FReDate->setText(QString::fromUtf8(kReDateCaption));
    FReDate->setStyleSheet({});
}

void TSourcePanel::EndBuild()
{
    if (!DateBuildRunning())
        return;
    FDateJob->Cancel();
    RestoreReDateButton();
    FDateTree->setEnabled(true);
}

void TSourcePanel::DateBuildFinished(const TDateBuildResult &result)
{
    RestoreReDateButton();
    FDateTree->setEnabled(true);
    // The date source shows a list again once a node is chosen; the others show theirs.
    if (FSourceMode != smDate || (!result.lists && FDateTree->currentItem()))
        SetBrowserBusy(false);
    if (!result.lists)
        return;
    if (result.scanned) {
        FValues.lastRead = result.scanTime;
        FReDateHint = LastReadHint(FReDateHint, result.scanTime);
        SetHint(FReDate, FReDateHint);
        Q_EMIT nodeText(QStringLiteral("COUNT:%1").arg(result.lists->lines.size()));
    }
    FillDateTree(*result.lists);
}

void TSourcePanel::FillDateTree(const TDateLists &lists)
{
    QSignalBlocker block(FDateTree);
    FDateTree->clear();
    const auto key = [](QTreeWidgetItem *item) { return TNodeExp::NodeKey(item->text(0)); };
    QTreeWidgetItem *focus = nullptr;
    const auto consider = [&](QTreeWidgetItem *item) {
        if (FBuildExpansion.Expanded.contains(key(item)))
            item->setExpanded(true);
        if (!focus && !FBuildExpansion.Focus.isEmpty()
            && item->text(0).startsWith(FBuildExpansion.Focus))
            focus = item;
    };
    for (const TDateNode &year : lists.years) {
        auto *yearItem = new QTreeWidgetItem(FDateTree, QStringList { year.text });
        for (const TDateNode &month : year.children) {
            auto *monthItem = new QTreeWidgetItem(yearItem, QStringList { month.text });
            for (const TDateNode &day : month.children)
                consider(new QTreeWidgetItem(monthItem, QStringList { day.text }));
            consider(monthItem);
        }
        consider(yearItem);
    }
    FDateTree->setVisible(FDateTree->topLevelItemCount() > 0);
    if (focus) {
        FDateTree->setCurrentItem(focus);
        FDateTree->scrollToItem(focus);
    }
    block.unblock();
    // The focused node lists its pictures when the date source is shown.
    if (focus && FSourceMode == smDate)
        ListDateNode(focus);
}

void TSourcePanel::CollectNodeExp()
{
    if (FDateTree->topLevelItemCount() == 0)
        return;
    TNodeExp nodes;
    std::function<void(QTreeWidgetItem *, int)> walk = [&](QTreeWidgetItem *item, int level) {
        if (level > 3)
            return;
        if (item->isExpanded())
            nodes.Expanded << TNodeExp::NodeKey(item->text(0));
        for (int i = 0; i < item->childCount(); ++i)
            walk(item->child(i), level + 1);
    };
    for (int i = 0; i < FDateTree->topLevelItemCount(); ++i)
        walk(FDateTree->topLevelItem(i), 1);
    if (QTreeWidgetItem *current = FDateTree->currentItem())
        nodes.Focus = TNodeExp::NodeKey(current->text(0));
    FValues.nodeExp = nodes;
}

void TSourcePanel::AddScannedPicture(const QString &file)
{
    const QFileInfo info(file);
    if (!info.isFile())
        return;
    // A running build writes DateData.ini too: it ends before the list is read here.
    EndBuild();
    const QString tree = FValues.workspace.Tree();
    std::optional<QStringList> lines = ReadDateData(tree);
    if (!lines)
        return;
    const QDateTime when = ScanDateTime(
        info.absoluteFilePath(), info.lastModified(), ShootingDates && ShootingDates());
    *lines << ScanLine(PackFileDateTime(when), info.absoluteFilePath(), info.size());
    QDir().mkpath(tree);
    WriteSjisLines(DateDataPath(tree), *lines);
    BuildDateTree(true, false, false, false);
}

void TSourcePanel::ToggleExclusion()
{
    const QModelIndex index = FFolderTree->currentIndex();
    if (!index.isValid())
        return;
    TQtPrompter ownPrompter(this);
    TPrompter &prompter = FPrompter ? *FPrompter : ownPrompter;
    const QString folder = FFolderModel->filePath(index);
    const QString question = ExclusionQuestion(FValues.dateOut, folder);
    if (!question.isEmpty() && !prompter.YesNo(question))
        return;
    const TExclusionChange change = korvatel::ToggleExclusion(FValues.dateOut, folder, prompter);
    if (change != TExclusionChange::ecNone)
        DateOutChanged();
}

void TSourcePanel::DateOutChanged()
{
    if (FValues.saveDateOut)
        FValues.saveDateOut();
    RefreshDateOutList();
    FFolderTree->viewport()->update();
}

void TSourcePanel::RefreshDateOutList()
{
    const QSignalBlocker block(FDateOutList);
    FDateOutList->clear();
    for (const TExcludedFolder &folder : FValues.dateOut.Folders) {
        auto *item = new QListWidgetItem(folder.path, FDateOutList);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(folder.active ? Qt::Checked : Qt::Unchecked);
    }
    FDateOutList->setVisible(FDateOutList->count() > 0);
}

QString ResetQuestion()
{
    return QStringLiteral("次のものを消去します。\r\n"
                          "・画像一覧のサムネイル（表示するときに作り直します）\r\n"
                          "・日付リスト（「最新情報に更新(HD)」で作り直せます）\r\n"
                          "・起動時のお知らせを表示しない設定\r\n\r\n"
                          "よろしいですか？");
}

void TSourcePanel::ResetClick()
{
    TQtPrompter ownPrompter(this);
    if (!(FPrompter ? *FPrompter : ownPrompter).YesNo(ResetQuestion()))
        return;
    if (FBrowser)
        FBrowser->ClearFailedThumbnails();
    SetIgnoreStartNotice(FValues.workspace.SysData(), false);
    EndBuild();
    FDateTree->clear();
    FDateTree->setVisible(false);
    EmptyFolder(FValues.workspace.Works());
    DeleteFolder(FValues.workspace.Tree());
    if (FBrowser) {
        FBrowser->ForgetScrollPositions();
        FBrowser->lvBrowser()->InvalidatePictures();
    }
}

} // namespace korvatel
