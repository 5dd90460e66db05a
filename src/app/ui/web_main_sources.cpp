// The source trees of the main window (folder tree, date tree and the pages of the other
// modes), the date scan with its refresh button, the exclusion list, and the browser list:
// its listing, sorting, ordering clicks, check marks and thumbnail modes.
#include "app/client_session.h"
#include "app/ui/web_main.h"
#include "imaging/picture_kinds.h"
#include "order/browser_orders.h"
#include "platform/prompter.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "platform/ui/widget_helpers.h"
#include "sources/date_exclusion.h"
#include "sources/date_scan.h"
#include "sources/source_modes.h"
#include "sources/thumb_loader.h"
#include "sources/ui/exif_form.h"
#include "sources/ui/film_grid.h"
#include "text/sjis_file.h"
#include "workspace/shop_options.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
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
const char *const kOfflineOrdering = "　　OFF-LINEです。注文作業はできません。　　";

// Draws the folders of the exclusion list in grey (white while selected).
class TExcludedFolderDelegate : public QStyledItemDelegate
{
public:
    TExcludedFolderDelegate(
        QFileSystemModel *model, const TDateOutFolderList &list, QObject *parent)
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
    QFileSystemModel *FModel;
    const TDateOutFolderList &FList;
};

// The refresh button's hint after a completed scan: "[最終更新]　" and the time as the short
// part, the previous long part up to its first "。" and "最終更新 " with the time as the long one.
QString LastReadHint(const QString &previous, const QDateTime &when)
{
    const QString time = LastReadText(when);
    return QStringLiteral("[最終更新]　") + time + u'|'
        + previous.section(u'|', 1).section(QStringLiteral("。"), 0, 0)
        + QStringLiteral("。最終更新 ") + time;
}

// The extensions a folder of the browser lists: the picture kinds of Option.ini.
bool ListedKind(const QString &name, const QStringList &extensions)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot >= 0 && extensions.contains(name.mid(dot).toLower());
}

} // namespace

void TWebMain::BuildSourcePages()
{
    FLoader = std::make_unique<TThumbLoader>(
        FSession.Workspace().Works(), std::clamp(FSession.State.ThumbType, 0, 8));
    FDateJob = new TDateBuildJob(this);
    connect(FDateJob, &TDateBuildJob::finished, this, &TWebMain::DateBuildFinished);
    connect(FDateJob, &TDateBuildJob::folderScanned, this,
        [this](const QString &folder) { FMainPanels[2]->setText(folder); });
    connect(FDateJob, &TDateBuildJob::countChanged, this,
        [this](int count) { FMainPanels[0]->setText(QStringLiteral("COUNT:%1").arg(count)); });

    FSourcePages = new QTabWidget(FFolderPanel);
    FSourcePages->setObjectName(QStringLiteral("pcSource"));
    for (int mode = 1; mode <= kSourceModeCount; ++mode) {
        auto *page = new QWidget(FSourcePages);
        page->setObjectName(QStringLiteral("tsSource%1").arg(mode));
        FSourcePages->addTab(page, SourcePageCaption(mode));
        const QString switchFile = SourcePageSwitch(mode);
        const bool shown = switchFile.isEmpty()
            || (mode == smTemplate ? FCardsOffered
                                   : ShopSwitchOn(FSession.Workspace().Download(), switchFile));
        FSourcePages->setTabVisible(mode - 1, shown);
    }
    const auto placeholder = [this](int mode, const QString &text) {
        auto *layout = new QVBoxLayout(FSourcePages->widget(mode - 1));
        auto *label = new QLabel(text, FSourcePages->widget(mode - 1));
        label->setAlignment(Qt::AlignCenter);
        label->setWordWrap(true);
        layout->addWidget(label);
    };
    placeholder(smTemplate, QStringLiteral("ﾃﾝﾌﾟﾚｰﾄ"));
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
    placeholder(smShop, SourcePageCaption(smShop));
    placeholder(smTicket, SourcePageCaption(smTicket));
    FSourcePages->setCurrentIndex(smFolder - 1);
    connect(FSourcePages, &QTabWidget::currentChanged, this,
        [this](int index) { SetSourceMode(SourceModeOfCaption(FSourcePages->tabText(index))); });
}

void TWebMain::BuildFolderPage(QWidget *page)
{
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    // The folder tree: read-only, without border, the selection kept visible. It starts at
    // the system drive, which is the home folder on this platform.
    FFolderTree = new QTreeView(page);
    FFolderTree->setObjectName(QStringLiteral("tvFolder"));
    FFolderTree->setFrameShape(QFrame::NoFrame);
    FFolderTree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SetHint(FFolderTree, QString::fromUtf8(kFolderHint));
    FFolderModel = new QFileSystemModel(FFolderTree);
    FFolderModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    FFolderModel->setReadOnly(true);
    const QString home = FSession.Workspace().Folders().home;
    FFolderModel->setRootPath(home);
    FFolderTree->setModel(FFolderModel);
    FFolderTree->setRootIndex(FFolderModel->index(home));
    for (int column = 1; column < FFolderModel->columnCount(); ++column)
        FFolderTree->hideColumn(column);
    FFolderTree->setHeaderHidden(true);
    FFolderTree->setItemDelegate(
        new TExcludedFolderDelegate(FFolderModel, FSession.DateOut, FFolderTree));
    layout->addWidget(FFolderTree, 1);
    connect(FFolderTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
        [this](const QModelIndex &index) { FolderChosen(index); });
    // Clicking the chosen folder again with Shift lists its subfolders too. A Shift click on
    // another folder has listed them already when it became the current one.
    connect(FFolderTree, &QTreeView::clicked, this, [this](const QModelIndex &index) {
        if (!(QGuiApplication::keyboardModifiers() & Qt::ShiftModifier) || !index.isValid())
            return;
        if (FShownSubfolders && FShownName == FFolderModel->filePath(index))
            return;
        FolderChosen(index);
    });

    auto *exclude = new QPushButton(QStringLiteral("日付リスト 対象外設定"), page);
    exclude->setObjectName(QStringLiteral("sbDateOut"));
    connect(exclude, &QPushButton::clicked, this, &TWebMain::ToggleExclusion);
    layout->addWidget(exclude);
    FDateOutList = new QListWidget(page);
    FDateOutList->setObjectName(QStringLiteral("clbDateOut"));
    FDateOutList->setMaximumHeight(90);
    SetHint(FDateOutList, QString::fromUtf8(kDateOutHint));
    connect(FDateOutList, &QListWidget::itemChanged, this, [this](QListWidgetItem *item) {
        const int row = FDateOutList->row(item);
        if (row < 0 || row >= FSession.DateOut.Folders.size())
            return;
        FSession.DateOut.Folders[row].active = item->checkState() == Qt::Checked;
        DateOutChanged();
    });
    layout->addWidget(FDateOutList);
    RefreshDateOutList();
}

void TWebMain::BuildDatePage(QWidget *page)
{
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    FReDate = new QPushButton(QString::fromUtf8(kReDateCaption), page);
    FReDate->setObjectName(QStringLiteral("sbReDate"));
    FReDateHint = QString::fromUtf8(kReDateHint);
    if (FSession.LastRead) {
        FReDateHint = LastReadHint(FReDateHint, *FSession.LastRead);
    }
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
    FFastMode->setChecked(!FSession.Option.FullMake);
    connect(FFastMode, &QCheckBox::toggled, this, [this](bool on) {
        FSession.Option.FullMake = !on;
        FSession.Option.Save(FSession.OptionPath());
    });
    FLan = new QCheckBox(QStringLiteral("ﾈｯﾄﾜｰｸﾄﾞﾗｲﾌﾞ"), page);
    FLan->setObjectName(QStringLiteral("cbLan"));
    FLan->setChecked(FSession.Option.Lan);
    connect(FLan, &QCheckBox::toggled, this, [this](bool on) {
        FSession.Option.Lan = on;
        FSession.Option.Save(FSession.OptionPath());
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

void TWebMain::BuildSourceCommands()
{
    // "ソース選択": modes 1 to 4, each available when its page is.
    for (int mode = smTemplate; mode <= smCategory; ++mode) {
        QAction *item = Command(QStringLiteral("miSource%1").arg(mode));
        if (!item)
            continue;
        item->setProperty("later", QVariant());
        item->setEnabled(FSourcePages->isTabVisible(mode - 1));
        connect(item, &QAction::triggered, this, [this, mode] { SetSourceMode(mode); });
    }
    if (QAction *reDate = Command(QStringLiteral("miReDate"))) {
        reDate->setProperty("later", QVariant());
        reDate->setEnabled(true);
        // A build already running is cancelled and the walk starts again.
        connect(
            reDate, &QAction::triggered, this, [this] { BuildDateTree(true, true, true, false); });
    }
    if (QAction *exif = Command(QStringLiteral("miExif"))) {
        exif->setProperty("later", QVariant());
        exif->setEnabled(true);
        connect(exif, &QAction::triggered, this, &TWebMain::ShowExif);
    }
    // The film decorations and colours repaint the strip.
    for (const char *name : { "miFilmNo", "miFilmDate", "miCornerR", "miFilmBevel", "miFrameColor",
             "miBackColor", "miCheckColor" })
        if (QAction *item = Command(QString::fromLatin1(name)))
            connect(item, &QAction::triggered, this, &TWebMain::ApplyFilmLook);
    for (int i = 0; i < 9; ++i)
        if (QAction *item = Command(QStringLiteral("miCheckSize%1").arg(i)))
            connect(item, &QAction::triggered, this, &TWebMain::ApplyFilmLook);

    // "チェック形状" and "チェック位置".
    const TStateSettings &state = FSession.State;
    QAction *shapeMenu = Command(QStringLiteral("miCheckShape"));
    if (shapeMenu && shapeMenu->menu()) {
        QMenu *menu = shapeMenu->menu();
        menu->setEnabled(true);
        static const std::pair<int, const char *> kShapes[]
            = { { 0, "標準" }, { 1, "丸" }, { 2, "ドーナツ" }, { 3, "枠色" }, { 4, "周囲矩形" },
                  { -1, "ｸﾞﾗﾌｨｯｸ指定" }, { -2, "テキスト指定" } };
        auto *group = new QActionGroup(this);
        for (const auto &[kind, caption] : kShapes) {
            QAction *item = menu->addAction(QString::fromUtf8(caption));
            item->setObjectName(
                QStringLiteral("miCheckMark%1")
                    .arg(kind < 0 ? QStringLiteral("M%1").arg(-kind) : QString::number(kind)));
            item->setParent(this);
            item->setCheckable(true);
            item->setChecked(state.CheckMark == kind);
            group->addAction(item);
            connect(
                item, &QAction::triggered, this, [this, kind = kind] { CheckMarkChosen(kind); });
        }
    }
    QAction *posMenu = Command(QStringLiteral("miCheckPos"));
    if (posMenu && posMenu->menu()) {
        QMenu *menu = posMenu->menu();
        menu->setEnabled(true);
        // The units figure places the mark across the cell, the tens figure down it.
        const auto figures = [&](const char *prefix, int scale,
                                 std::initializer_list<std::pair<int, const char *>> items) {
            auto *group = new QActionGroup(this);
            const int current = state.CheckPos / scale % 10;
            for (const auto &[figure, caption] : items) {
                QAction *item = menu->addAction(QString::fromUtf8(caption));
                item->setObjectName(QString::fromLatin1(prefix) + QString::number(figure));
                item->setParent(this);
                item->setCheckable(true);
                item->setChecked(current == figure || (figure == 0 && current > 2));
                group->addAction(item);
                connect(item, &QAction::triggered, this, [this, scale, figure = figure] {
                    int &pos = FSession.State.CheckPos;
                    pos = pos - (pos / scale % 10) * scale + figure * scale;
                    ApplyFilmLook();
                });
            }
        };
        figures("miCheckPosX", 1, { { 1, "左端" }, { 0, "中央" }, { 2, "右端" } });
        menu->addSeparator();
        figures("miCheckPosY", 10, { { 1, "上端" }, { 0, "中段" }, { 2, "下端" } });
    }
}

void TWebMain::SetSourceMode(int mode)
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
    FBrowser->SetBusy(true);
    switch (mode) {
    case smFolder:
        if (FFolderTree->currentIndex().isValid())
            FolderChosen(FFolderTree->currentIndex());
        break;
    case smDate:
        if (FDateTree->currentItem())
            ListDateNode(FDateTree->currentItem());
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

void TWebMain::FolderChosen(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    const bool subfolders = QGuiApplication::keyboardModifiers() & Qt::ShiftModifier;
    ListFolder(FFolderModel->filePath(index), subfolders);
}

void TWebMain::ListFolder(const QString &folder, bool subfolders)
{
    RememberScroll();
    FSession.State.LastDir = folder;
    FMainPanels[0]->setText(QFileInfo(folder).fileName());
    FBrowser->SetBusy(true, QStringLiteral("???"));
    const QStringList extensions = PictureKindExtensions(FSession.Option);
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Readable | QDir::Hidden,
        subfolders ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags);
    while (it.hasNext()) {
        const QString path = it.next();
        if (ListedKind(it.fileName(), extensions))
            files << path;
    }
    // Within a folder the files come in name order; the sort of the list applies after.
    std::sort(files.begin(), files.end(),
        [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    FFilm.Clear();
    for (const QString &file : files)
        FFilm.AddFile(file);
    ShowFilm(folder);
    FShownSubfolders = subfolders;
}

void TWebMain::ListDateNode(QTreeWidgetItem *node)
{
    if (!node)
        return;
    RememberScroll();
    const QString text = node->text(0);
    FMainPanels[0]->setText(text);
    FBrowser->SetBusy(true, QStringLiteral("???"));
    FFilm.Clear();
    for (const TDatePicture &picture : korvatel::ListDateNode(FSession.Workspace().Tree(), text))
        FFilm.AddFile(picture.fullPath, picture.size, picture.stamp);
    ShowFilm(text);
}

void TWebMain::ShowFilm(const QString &name)
{
    FShownName = name;
    MarkOrdered(FFilm, FOrders);
    FFilm.Sort(FSession.State.ListSort, FSession.State.ListDirection());
    FBrowserFiles = FFilm.Paths();
    FBrowserIndex = -1;
    FLastClicked = -1;
    FBrowser->ListChanged();
    FBrowser->SetBusy(false);
    const int top = FScrollPositions.value(name, -1);
    if (top > 0)
        FBrowser->SetTopIndex(top);
    SetOrderCounts(FFilm.OrderedCount(), FFilm.Count(), FOrders.Count());
    UpdateViewerCommands();
}

void TWebMain::RememberScroll()
{
    if (!FShownName.isEmpty() && FFilm.Count() > 0)
        FScrollPositions.insert(FShownName, FBrowser->TopIndex());
}

void TWebMain::SetBrowserFiles(const QStringList &files)
{
    RememberScroll();
    FFilm.Clear();
    for (const QString &file : files)
        FFilm.AddFile(file);
    FShownName.clear();
    MarkOrdered(FFilm, FOrders);
    FBrowserFiles = files;
    FBrowserIndex = -1;
    FLastClicked = -1;
    FBrowser->ListChanged();
    FBrowser->SetBusy(false);
    SetOrderCounts(FFilm.OrderedCount(), FFilm.Count(), FOrders.Count());
    UpdateViewerCommands();
}

void TWebMain::SortBrowser()
{
    const QString current
        = FBrowser->CurrentIndex() >= 0 ? FFilm.Item(FBrowser->CurrentIndex()).fullPath : QString();
    FFilm.Sort(FSession.State.ListSort, FSession.State.ListDirection());
    FBrowserFiles = FFilm.Paths();
    FBrowser->InvalidatePictures();
    FLastClicked = -1;
    if (!current.isEmpty())
        FBrowser->SetCurrentIndex(FFilm.IndexOf(current));
}

bool TWebMain::DateBuildRunning() const
{
    return FDateJob && FDateJob->Running();
}

void TWebMain::StopScan()
{
    if (FDateJob)
        FDateJob->Stop();
}

void TWebMain::BuildDateTree(
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
    FBuildExpansion = FSession.NodeExp;
    FDateTree->clear();
    const QString tree = FSession.Workspace().Tree();
    // A build makes the folder and deletes the month files itself, on its thread.
    if (deleteOnly) {
        DeleteMonthFiles(tree);
        QFile::remove(DateDataPath(tree));
        return;
    }
    FDateTree->setEnabled(false);
    if (hideBrowser && FSourceMode == smDate)
        FBrowser->SetBusy(true);
    TDateBuildInput input;
    input.tree = tree;
    input.scanDisks = scanDisks;
    input.rules = ScanRulesFrom(
        FSession.Option, FSession.Workspace().Folders(), FSession.DateOut.ActiveFolders());
    if (scanDisks) {
        input.drives = ScanDriveList
            ? ScanDriveList()
            : ScanDrives(FSession.Workspace().Drives(), FSession.Option.Lan);
        QApplication::setOverrideCursor(Qt::BusyCursor);
        FReDate->setText(QStringLiteral("キャンセル"));
        FReDate->setStyleSheet(QStringLiteral("color: white; background-color: red;"));
    }
    FDateJob->Start(input, SystemClock());
}

void TWebMain::RestoreReDateButton()
{
    if (FReDate->text() == QStringLiteral("キャンセル"))
        QApplication::restoreOverrideCursor();
    FReDate->setText(QString::fromUtf8(kReDateCaption));
    FReDate->setStyleSheet({});
}

void TWebMain::DateBuildFinished(const TDateBuildResult &result)
{
    RestoreReDateButton();
    FDateTree->setEnabled(true);
    // The date source shows a list again once a node is chosen; the others show theirs.
    if (FSourceMode != smDate || (!result.lists && FDateTree->currentItem()))
        FBrowser->SetBusy(false);
    if (!result.lists)
        return;
    if (result.scanned) {
        FSession.LastRead = result.scanTime;
        FReDateHint = LastReadHint(FReDateHint, result.scanTime);
        SetHint(FReDate, FReDateHint);
        FMainPanels[0]->setText(QStringLiteral("COUNT:%1").arg(result.lists->lines.size()));
    }
    FillDateTree(*result.lists);
}

void TWebMain::FillDateTree(const TDateLists &lists)
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

void TWebMain::CollectNodeExp()
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
    FSession.NodeExp = nodes;
}

void TWebMain::AddScannedPicture(const QString &file)
{
    const QFileInfo info(file);
    if (!info.isFile())
        return;
    // A running build writes DateData.ini too: it ends before the list is read here.
    if (DateBuildRunning()) {
        FDateJob->Cancel();
        RestoreReDateButton();
        FDateTree->setEnabled(true);
    }
    const QString tree = FSession.Workspace().Tree();
    std::optional<QStringList> lines = ReadDateData(tree);
    if (!lines)
        return;
    *lines << ScanLine(PackFileDateTime(info.lastModified()), info.absoluteFilePath(), info.size());
    QDir().mkpath(tree);
    WriteSjisLines(DateDataPath(tree), *lines);
    BuildDateTree(true, false, false, false);
}

void TWebMain::ToggleExclusion()
{
    const QModelIndex index = FFolderTree->currentIndex();
    if (!index.isValid())
        return;
    const TExclusionChange change
        = korvatel::ToggleExclusion(FSession.DateOut, FFolderModel->filePath(index), Prompter());
    if (change != TExclusionChange::ecNone)
        DateOutChanged();
}

void TWebMain::DateOutChanged()
{
    FSession.DateOut.Save(FSession.DateOutPath());
    RefreshDateOutList();
    FFolderTree->viewport()->update();
}

void TWebMain::RefreshDateOutList()
{
    const QSignalBlocker block(FDateOutList);
    FDateOutList->clear();
    for (const TExcludedFolder &folder : FSession.DateOut.Folders) {
        auto *item = new QListWidgetItem(folder.path, FDateOutList);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(folder.active ? Qt::Checked : Qt::Unchecked);
    }
    FDateOutList->setVisible(FDateOutList->count() > 0);
}

void TWebMain::ResetClick()
{
    FLoader->WithStore([](TThumbStore &store) { store.ClearFailedFiles(); });
    SetIgnoreStartNotice(FSession.Workspace().SysData(), false);
    if (DateBuildRunning()) {
        FDateJob->Cancel();
        RestoreReDateButton();
        FDateTree->setEnabled(true);
    }
    FDateTree->clear();
    FDateTree->setVisible(false);
    EmptyFolder(FSession.Workspace().Works());
    DeleteFolder(FSession.Workspace().Tree());
    FScrollPositions.clear();
    FBrowser->InvalidatePictures();
}

TToggleDefaults TWebMain::ToggleDefaults() const
{
    return { FDefaultCount->value(), FSession.Defaults.DefSize, FSession.Defaults.DefNoHosei };
}

bool TWebMain::RefuseOrderingOffline()
{
    if (Online())
        return false;
    // Offline the first ordering click says so, once per run.
    if (!FOfflineTold) {
        FOfflineTold = true;
        Prompter().Inform(QString::fromUtf8(kOfflineOrdering));
    }
    return true;
}

void TWebMain::BrowserClick(int index, Qt::KeyboardModifiers modifiers, bool doubleClick)
{
    if (index < 0 || index >= FFilm.Count())
        return;
    const bool dblMode = FSession.State.DblClick;
    if (doubleClick != dblMode)
        return;
    if (FMode == tmViewer) {
        // In the viewer a click opens the picture of the folder or date source.
        if (FSourceMode == smFolder || FSourceMode == smDate || FSourceMode == smTemplate)
            BrowserActivated(index);
        return;
    }
    if (FMode != tmBrowser)
        return;
    if (RefuseOrderingOffline())
        return;
    const bool shift = modifiers & Qt::ShiftModifier;
    const bool ctrl = modifiers & Qt::ControlModifier;
    const TOrderClickResult result
        = OrderClick(FFilm, FOrders, index, FLastClicked, shift, ctrl, ToggleDefaults());
    FLastClicked = index;
    if (!result.Changed())
        return;
    // The long shutter sounds once when pictures are added; in double-click mode on every
    // toggle.
    if (result.added > 0 || dblMode)
        ShutterSound(QStringLiteral("SHT_LWAV"));
    FilmChanged();
}

void TWebMain::SelectAllClick(bool order, bool shiftHeld)
{
    if (RefuseOrderingOffline())
        return;
    QList<int> indices;
    if (shiftHeld) {
        indices = FBrowser->SelectedIndices();
    } else {
        for (int i = 0; i < FFilm.Count(); ++i)
            indices << i;
    }
    const TOrderClickResult result = OrderAll(FFilm, FOrders, indices, order, ToggleDefaults());
    if (!result.Changed())
        return;
    ShutterSound(QStringLiteral("SHT_LWAV"));
    FilmChanged();
}

void TWebMain::FilmChanged()
{
    FOrders.Sort();
    FOrders.Recount();
    FOrders.RebuildAggregate();
    ShowBasketTotals();
    SetOrderCounts(FFilm.OrderedCount(), FFilm.Count(), FOrders.Count());
    FBrowser->MarksChanged();
    MemoryStatus();
}

void TWebMain::SetThumbnailMode(int mode)
{
    if (mode < 0 || mode > 8)
        return;
    QList<TBrowserItem> listed;
    for (int i = 0; i < FFilm.Count(); ++i)
        listed << FFilm.Item(i);
    // The stores share the Works folder: the first deletes the thumbnails, each takes the mode.
    bool changed = false;
    bool first = true;
    FLoader->WithStore([&](TThumbStore &store) {
        changed = store.SetThumbnailMode(mode, first ? listed : QList<TBrowserItem>()) || changed;
        first = false;
    });
    FSession.State.ThumbType = mode;
    if (QAction *item = Command(QStringLiteral("miThumbMode%1").arg(mode)))
        item->setChecked(true);
    {
        const QSignalBlocker block(FThumbMode);
        FThumbMode->setCurrentIndex(mode);
    }
    if (changed)
        FBrowser->InvalidatePictures();
}

void TWebMain::DeleteBrowserThumbnails(int first, int last)
{
    QList<TBrowserItem> listed;
    for (int i = 0; i < FFilm.Count(); ++i)
        listed << FFilm.Item(i);
    // The stores share the Works folder: the files are deleted once.
    bool done = false;
    FLoader->WithStore([&](TThumbStore &store) {
        if (!done)
            store.DeleteBrowserThumbnails(listed, first, last);
        done = true;
    });
    FBrowser->InvalidatePictures();
}

void TWebMain::ApplyFilmLook()
{
    const TStateSettings &state = FSession.State;
    TFilmLook look;
    look.frame = WinColor(state.FilmColor);
    look.back = WinColor(state.BoxColor);
    look.number = state.FilmNo;
    look.date = state.FilmDate;
    look.cornerR = state.CornerR;
    look.bevel = state.FilmBevel;
    look.check.mark = state.CheckMark;
    look.check.sizePercent = state.CheckSize;
    look.check.pos = state.CheckPos;
    look.check.colour = WinColor(state.CheckColor);
    if (state.CheckMark == cmPicture)
        look.check.picture = QImage(state.UserCheckFile);
    look.check.text = state.UserCheckText;
    look.font = FBrowser->font();
    FBrowser->SetLook(look);
    // The picture box is NailHeights high, in the proportions of a print.
    const int box = std::clamp(state.NailHeights, 80, 800);
    const int caption = look.number || look.date ? FBrowser->fontMetrics().height() + 2 : 0;
    FBrowser->SetCellSize(QSize(box * 4 / 3 + 12, box + 12 + caption));
}

void TWebMain::CheckMarkChosen(int kind)
{
    TStateSettings &state = FSession.State;
    if (kind == cmPicture) {
        const QString file = FFileDialog
            ? FFileDialog(QStringLiteral("ｸﾞﾗﾌｨｯｸ指定"), state.UserCheckFile,
                QStringLiteral("画像ファイル(*.BMP;*.JPG;*.PNG;*.GIF)|*.BMP *.JPG *.PNG *.GIF"))
            : QFileDialog::getOpenFileName(this, QStringLiteral("ｸﾞﾗﾌｨｯｸ指定"), state.UserCheckFile,
                QStringLiteral("画像ファイル (*.bmp *.jpg *.png *.gif *.BMP *.JPG *.PNG *.GIF)"));
        if (file.isEmpty()) {
            kind = state.CheckMark;
        } else if (QImage(file).isNull()) {
            Prompter().Warn(QStringLiteral(
                "指定のチェックマーク画像読み込みに失敗しました。\r\n\r\n標準に戻します。"));
            kind = cmStandard;
        } else {
            state.UserCheckFile = file;
        }
    } else if (kind == cmText) {
        const QString text = AskText
            ? AskText(QStringLiteral("チェックマークテキスト"), state.UserCheckText)
            : QInputDialog::getText(this, QStringLiteral("Korvatel"),
                QStringLiteral("チェックマークテキスト"), QLineEdit::Normal, state.UserCheckText);
        if (text.isEmpty())
            kind = state.CheckMark;
        else
            state.UserCheckText = text;
    }
    state.CheckMark = kind;
    const QString name = kind < 0 ? QStringLiteral("miCheckMarkM%1").arg(-kind)
                                  : QStringLiteral("miCheckMark%1").arg(kind);
    if (QAction *item = Command(name))
        item->setChecked(true);
    ApplyFilmLook();
}

void TWebMain::ShowExif()
{
    const int index = FBrowser->CurrentIndex();
    if (index < 0 || index >= FFilm.Count())
        return;
    auto *form = findChild<TExifForm *>(QStringLiteral("fmExif"));
    if (!form)
        form = new TExifForm(this);
    form->ShowFile(FFilm.Item(index).fullPath);
    form->show();
    form->raise();
}

} // namespace korvatel
