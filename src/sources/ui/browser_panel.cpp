// The browser page: the film strip, the buttons above it, the listing and sorting of the
// pictures, the thumbnail modes and the look of the cells.
#include "sources/ui/browser_panel.h"

#include "platform/prompter.h"
#include "platform/ui/flow_layout.h"
#include "platform/ui/menu_commands.h"
#include "platform/ui/qt_prompter.h"
#include "platform/ui/widget_helpers.h"
#include "sources/film_cell.h"
#include "sources/thumb_loader.h"
#include "sources/thumb_store.h"
#include "sources/ui/exif_form.h"
#include "sources/ui/film_grid.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace korvatel
{

namespace
{

bool ShiftHeld()
{
    return QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier;
}

} // namespace

TBrowserPanel::TBrowserPanel(const QString &works, TStateSettings &state, QWidget *parent)
    : QWidget(parent)
    , FState(state)
{
    setObjectName(QStringLiteral("pnFilm"));
    FLoader = std::make_unique<TThumbLoader>(works, std::clamp(state.ThumbType, 0, 8));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(BuildButtons());

    FBrowser = new TFilmGrid(this);
    FBrowser->setObjectName(QStringLiteral("lvBrowser"));
    FBrowser->SetList(&FFilm);
    FBrowser->SetLoader(FLoader.get());
    layout->addWidget(FBrowser, 1);
}

TBrowserPanel::~TBrowserPanel()
{
    // The strip outlives the list and the loader, which go before ~QWidget deletes it.
    FBrowser->SetLoader(nullptr);
    FBrowser->SetList(nullptr);
}

QWidget *TBrowserPanel::BuildButtons()
{
    auto *buttons = new QWidget(this);
    auto *rows = new QVBoxLayout(buttons);
    rows->setContentsMargins(2, 2, 2, 0);
    rows->setSpacing(2);
    // Each row of buttons wraps when the strip is narrow (a small screen, the viewer's tab),
    // so the strip needs no more width than its widest control.
    auto *first = new TFlowLayout;
    auto *second = new TFlowLayout;
    first->setSpacing(2);
    second->setSpacing(2);
    QPushButton *all = NamedButton(buttons, "sbAllSelect", QStringLiteral("全選択"),
        QStringLiteral("|表示している画像をすべて注文します。"));
    QPushButton *none = NamedButton(buttons, "sbAllCancel", QStringLiteral("全解除"),
        QStringLiteral("|画像の中の注文画像をすべてキャンセルします。"));
    QPushButton *reset = NamedButton(buttons, "sbReset", QStringLiteral("Reset"));
    QPushButton *exif = NamedButton(buttons, "sbExif", QStringLiteral("Exif"));
    connect(
        all, &QPushButton::clicked, this, [this] { Q_EMIT orderAllClicked(true, ShiftHeld()); });
    connect(
        none, &QPushButton::clicked, this, [this] { Q_EMIT orderAllClicked(false, ShiftHeld()); });
    connect(reset, &QPushButton::clicked, this, &TBrowserPanel::resetClicked);
    connect(exif, &QPushButton::clicked, this, &TBrowserPanel::ShowExif);
    auto *sort = new QToolButton(buttons);
    sort->setObjectName(QStringLiteral("sbSort"));
    sort->setText(QStringLiteral("ソート"));
    sort->setPopupMode(QToolButton::InstantPopup);
    sort->setProperty("sortButton", true);
    FSortLabel = new QLabel(buttons);
    FSortLabel->setObjectName(QStringLiteral("lbSort"));
    first->addWidget(all);
    first->addWidget(none);
    first->addWidget(reset);
    first->addWidget(exif);
    second->addWidget(sort);
    second->addWidget(FSortLabel);
    FThumbMode = new QComboBox(buttons);
    FThumbMode->setObjectName(QStringLiteral("cbxThumbMode"));
    FThumbMode->addItems({ QStringLiteral("400Pix(標準)"), QStringLiteral("600Pix(高画質)"),
        QStringLiteral("800Pix(最高画質)"), QStringLiteral("400Pix(ﾊﾞｲﾘﾆｱ+積分法)"),
        QStringLiteral("600Pix(ﾊﾞｲﾘﾆｱ+積分法)"), QStringLiteral("800Pix(ﾊﾞｲﾘﾆｱ+積分法)"),
        QStringLiteral("Exifｻﾑﾈｲﾙ(非加工)"), QStringLiteral("Exifｻﾑﾈｲﾙ(積分法拡大)"),
        QStringLiteral("Real(本ﾃﾞｰﾀ表示)") });
    // Connected once filled: filling the box chooses its first entry.
    connect(FThumbMode, &QComboBox::currentIndexChanged, this,
        [this](int mode) { SetThumbnailMode(mode); });
    second->addWidget(FThumbMode);
    QPushButton *remake = NamedButton(buttons, "sbRemake", QStringLiteral("RM"),
        QStringLiteral(
            "サムネイル "
            "リメイク|画面で見えている画像のサムネイルを、現在の設定でリメイクします。"));
    QPushButton *allRemake = NamedButton(buttons, "sbAllRemake", QStringLiteral("AR"),
        QStringLiteral(
            "ｵｰﾙ "
            "ﾘﾒｰｸ|"
            "作成済みのｻﾑﾈｲﾙを全てクリアし、表示の際にサムネイル作成モードに従い表示します。"));
    connect(remake, &QPushButton::clicked, this, [this] {
        const auto [first, last] = FBrowser->VisibleRange();
        DeleteBrowserThumbnails(first, last);
    });
    connect(allRemake, &QPushButton::clicked, this, [this] { DeleteBrowserThumbnails(0, -1); });
    second->addWidget(remake);
    second->addWidget(allRemake);
    rows->addLayout(first);
    rows->addLayout(second);
    return buttons;
}

void TBrowserPanel::BeginListing()
{
    RememberScroll();
    FBrowser->SetBusy(true, QStringLiteral("???"));
}

void TBrowserPanel::ListFiles(const QString &name, const QStringList &files, bool subfolders)
{
    FFilm.Clear();
    for (const QString &file : files)
        FFilm.AddFile(file);
    ShowFilm(name);
    FShownSubfolders = subfolders;
}

void TBrowserPanel::ListDatePictures(const QString &name, const QList<TDatePicture> &pictures)
{
    FFilm.Clear();
    for (const TDatePicture &picture : pictures)
        FFilm.AddFile(picture.fullPath, picture.size, picture.stamp);
    ShowFilm(name);
}

void TBrowserPanel::ShowFilm(const QString &name)
{
    FShownName = name;
    if (MarkOrders)
        MarkOrders(FFilm);
    FFilm.Sort(FState.ListSort, FState.ListDirection());
    FLastClicked = -1;
    FBrowser->ListChanged();
    FBrowser->SetBusy(false);
    const int top = FScrollPositions.value(name, -1);
    if (top > 0)
        FBrowser->SetTopIndex(top);
    if (ListShown)
        ListShown();
}

void TBrowserPanel::RememberScroll()
{
    if (!FShownName.isEmpty() && FFilm.Count() > 0)
        FScrollPositions.insert(FShownName, FBrowser->TopIndex());
}

void TBrowserPanel::SetBrowserFiles(const QStringList &files)
{
    RememberScroll();
    FFilm.Clear();
    for (const QString &file : files)
        FFilm.AddFile(file);
    FShownName.clear();
    if (MarkOrders)
        MarkOrders(FFilm);
    FLastClicked = -1;
    FBrowser->ListChanged();
    FBrowser->SetBusy(false);
    if (ListShown)
        ListShown();
}

void TBrowserPanel::SortBrowser()
{
    const QString current
        = FBrowser->CurrentIndex() >= 0 ? FFilm.Item(FBrowser->CurrentIndex()).fullPath : QString();
    FFilm.Sort(FState.ListSort, FState.ListDirection());
    FBrowser->InvalidatePictures();
    FLastClicked = -1;
    if (!current.isEmpty())
        FBrowser->SetCurrentIndex(FFilm.IndexOf(current));
    if (ListSorted)
        ListSorted();
}

void TBrowserPanel::UpdateSortLabel()
{
    static const char *const names[] = { "ｿｰﾄなし", "名前", "ｻｲｽﾞ", "種類", "日時" };
    const int sort = std::clamp(FState.ListSort, 0, 4);
    QString text = QString::fromUtf8(names[sort]);
    if (sort != 0)
        text += FState.ListDeSort ? QStringLiteral(" 降順") : QStringLiteral(" 昇順");
    FSortLabel->setText(text);
}

QList<TBrowserItem> TBrowserPanel::ListedItems() const
{
    QList<TBrowserItem> listed;
    for (int i = 0; i < FFilm.Count(); ++i)
        listed << FFilm.Item(i);
    return listed;
}

void TBrowserPanel::SetThumbnailMode(int mode)
{
    if (mode < 0 || mode > 8)
        return;
    const QList<TBrowserItem> listed = ListedItems();
    // The stores share the Works folder: the first deletes the thumbnails, each takes the mode.
    bool changed = false;
    bool first = true;
    FLoader->WithStore([&](TThumbStore &store) {
        changed = store.SetThumbnailMode(mode, first ? listed : QList<TBrowserItem>()) || changed;
        first = false;
    });
    FState.ThumbType = mode;
    Q_EMIT thumbnailModeChanged(mode);
    {
        const QSignalBlocker block(FThumbMode);
        FThumbMode->setCurrentIndex(mode);
    }
    if (changed)
        FBrowser->InvalidatePictures();
}

void TBrowserPanel::DeleteBrowserThumbnails(int first, int last)
{
    const QList<TBrowserItem> listed = ListedItems();
    // The stores share the Works folder: the files are deleted once.
    bool done = false;
    FLoader->WithStore([&](TThumbStore &store) {
        if (!done)
            store.DeleteBrowserThumbnails(listed, first, last);
        done = true;
    });
    FBrowser->InvalidatePictures();
}

void TBrowserPanel::ClearFailedThumbnails()
{
    FLoader->WithStore([](TThumbStore &store) { store.ClearFailedFiles(); });
}

void TBrowserPanel::ApplyFilmLook()
{
    TFilmLook look;
    look.frame = WinColor(FState.FilmColor);
    look.back = WinColor(FState.BoxColor);
    look.number = FState.FilmNo;
    look.date = FState.FilmDate;
    look.cornerR = FState.CornerR;
    look.bevel = FState.FilmBevel;
    look.check.mark = FState.CheckMark;
    look.check.sizePercent = FState.CheckSize;
    look.check.pos = FState.CheckPos;
    look.check.colour = WinColor(FState.CheckColor);
    if (FState.CheckMark == cmPicture)
        look.check.picture = QImage(FState.UserCheckFile);
    look.check.text = FState.UserCheckText;
    look.font = FBrowser->font();
    FBrowser->SetLook(look);
    // The picture box is NailHeights high, in the proportions of a print.
    const int box = std::clamp(FState.NailHeights, 80, 800);
    const int caption = look.number || look.date ? FBrowser->fontMetrics().height() + 2 : 0;
    FBrowser->SetCellSize(QSize(box * 4 / 3 + 12, box + 12 + caption));
}

void TBrowserPanel::CheckMarkChosen(int kind)
{
    if (kind == cmPicture) {
        const QString file = FileDialog
            ? FileDialog(QStringLiteral("ｸﾞﾗﾌｨｯｸ指定"), FState.UserCheckFile,
                QStringLiteral("画像ファイル(*.BMP;*.JPG;*.PNG;*.GIF)|*.BMP *.JPG *.PNG *.GIF"))
            : QFileDialog::getOpenFileName(this, QStringLiteral("ｸﾞﾗﾌｨｯｸ指定"),
                FState.UserCheckFile,
                QStringLiteral("画像ファイル (*.bmp *.jpg *.png *.gif *.BMP *.JPG *.PNG *.GIF)"));
        if (file.isEmpty()) {
            kind = FState.CheckMark;
        } else if (QImage(file).isNull()) {
            Tell(TMsgKind::mkWarning,
                QStringLiteral(
                    "指定のチェックマーク画像読み込みに失敗しました。\r\n\r\n標準に戻します。"));
            kind = cmStandard;
        } else {
            FState.UserCheckFile = file;
        }
    } else if (kind == cmText) {
        const QString text = AskText
            ? AskText(QStringLiteral("チェックマークテキスト"), FState.UserCheckText)
            : QInputDialog::getText(this, QStringLiteral("Korvatel"),
                QStringLiteral("チェックマークテキスト"), QLineEdit::Normal, FState.UserCheckText);
        if (text.isEmpty())
            kind = FState.CheckMark;
        else
            FState.UserCheckText = text;
    }
    FState.CheckMark = kind;
    Q_EMIT checkMarkChanged(kind);
    ApplyFilmLook();
}

void TBrowserPanel::Tell(TMsgKind kind, const QString &text)
{
    if (FPrompter)
        FPrompter->Ask(kind, text, mbOK);
    else
        TQtPrompter(this).Ask(kind, text, mbOK);
}

void TBrowserPanel::ShowExif()
{
    const int index = FBrowser->CurrentIndex();
    if (index < 0 || index >= FFilm.Count()) {
        Tell(TMsgKind::mkInformation,
            QStringLiteral("画像が選ばれていません。\r\n"
                           "Exif情報を見る画像を一覧で選んでから、もう一度どうぞ。"));
        return;
    }
    // One Exif window for the whole main window, found again by its name.
    QWidget *owner = window();
    auto *form = owner->findChild<TExifForm *>(QStringLiteral("fmExif"));
    if (!form)
        form = new TExifForm(owner);
    form->ShowFile(FFilm.Item(index).fullPath);
    form->show();
    form->raise();
}

bool TBrowserPanel::ExplainFailedFile(int index)
{
    if (index < 0 || index >= FFilm.Count() || FFilm.Item(index).fileSize > 0)
        return false;
    Tell(TMsgKind::mkWarning, FailedFileMessage(FFilm.Item(index)));
    return true;
}

void TBrowserPanel::MarksChanged()
{
    FBrowser->MarksChanged();
}

void TBrowserPanel::BuildMenu(QMenu *menu, const TBrowserMenuHooks &hooks)
{
    // Ctrl+T belongs to "ユーザー設定"; one key for two commands would fire neither.
    AddMenuCommand(this, menu, "miExif", QStringLiteral("Exif表示"), {}, [this] { ShowExif(); });
    BuildSortMenu(menu);
    menu->addSeparator();
    BuildLookMenus(menu, hooks);

    menu->addSeparator();
    QMenu *thumbs = menu->addMenu(QStringLiteral("専用サムネイル作成モード"));
    thumbs->menuAction()->setObjectName(QStringLiteral("miThumbMode"));
    AddMenuChoices(this, thumbs, "miThumbMode",
        { QStringLiteral("400Pix(標準)"), QStringLiteral("600Pix(高画質)"),
            QStringLiteral("800Pix(高画質)"), QStringLiteral("400Pix(ﾊﾞｲﾘﾆｱ+積分法)"),
            QStringLiteral("600Pix(ﾊﾞｲﾘﾆｱ+積分法)"), QStringLiteral("800Pix(ﾊﾞｲﾘﾆｱ+積分法)"),
            QStringLiteral("Exifｻﾑﾈｲﾙ(非加工)"), QStringLiteral("Exif(積分法で拡大)"),
            QStringLiteral("Real(本ﾃﾞｰﾀ表示)") },
        std::clamp(FState.ThumbType, 0, 8), [this](int mode) { SetThumbnailMode(mode); });

    // The decorations, colours and check sizes repaint the strip once their setting is stored.
    QStringList repainting { QStringLiteral("miFilmNo"), QStringLiteral("miFilmDate"),
        QStringLiteral("miCornerR"), QStringLiteral("miFilmBevel"), QStringLiteral("miFrameColor"),
        QStringLiteral("miBackColor"), QStringLiteral("miCheckColor") };
    for (int i = 0; i < 9; ++i)
        repainting << QStringLiteral("miCheckSize%1").arg(i);
    for (const QString &name : repainting)
        if (QAction *item = findChild<QAction *>(name))
            connect(item, &QAction::triggered, this, &TBrowserPanel::ApplyFilmLook);
}

void TBrowserPanel::BuildSortMenu(QMenu *menu)
{
    QMenu *sort = menu->addMenu(QStringLiteral("ソート(&S)"));
    sort->menuAction()->setObjectName(QStringLiteral("miSort"));
    AddMenuChoices(this, sort, "miListSort",
        { QStringLiteral("ソートなし(&N)"), QStringLiteral("名前順(&M)"),
            QStringLiteral("サイズ順(&S)"), QStringLiteral("種類順(&T)"),
            QStringLiteral("日時順(&D)") },
        std::clamp(FState.ListSort, 0, 4), [this](int kind) {
            FState.ListSort = kind;
            UpdateSortLabel();
            SortBrowser();
        });
    sort->addSeparator();
    QAction *descending = AddMenuCommand(this, sort, "miListDeSort", QStringLiteral("降順"));
    descending->setCheckable(true);
    descending->setChecked(FState.ListDeSort);
    connect(descending, &QAction::toggled, this, [this](bool on) {
        FState.ListDeSort = on;
        UpdateSortLabel();
        SortBrowser();
    });
    if (auto *button = findChild<QToolButton *>(QStringLiteral("sbSort")))
        button->setMenu(sort);
}

void TBrowserPanel::BuildLookMenus(QMenu *menu, const TBrowserMenuHooks &hooks)
{
    const auto colour = [this, menu, &hooks](const char *name, const char *caption,
                            int TStateSettings::*setting, std::function<void()> then) {
        AddMenuCommand(this, menu, name, QString::fromUtf8(caption), {},
            [this, caption, setting, choose = hooks.chooseColour, then = std::move(then)] {
                if (choose)
                    choose(FState.*setting, caption);
                if (then)
                    then();
            });
    };
    colour("miFrameColor", "枠色", &TStateSettings::FilmColor, {});
    colour("miBackColor", "背景色", &TStateSettings::BoxColor, hooks.backColourChanged);
    colour("miCheckColor", "チェック色", &TStateSettings::CheckColor, {});
    QMenu *shape = menu->addMenu(QStringLiteral("チェック形状"));
    shape->menuAction()->setObjectName(QStringLiteral("miCheckShape"));
    QMenu *place = menu->addMenu(QStringLiteral("チェック位置"));
    place->menuAction()->setObjectName(QStringLiteral("miCheckPos"));
    QMenu *size = menu->addMenu(QStringLiteral("チェックサイズ"));
    size->menuAction()->setObjectName(QStringLiteral("miCheckSize"));
    QStringList sizes;
    for (int percent = 10; percent <= 90; percent += 10)
        sizes << QStringLiteral("%1%").arg(percent);
    AddMenuChoices(this, size, "miCheckSize", sizes, FState.CheckSize / 10 - 1,
        [this](int i) { FState.CheckSize = (i + 1) * 10; });
    BuildCheckMarkMenus(shape, place);

    menu->addSeparator();
    const struct {
        const char *name;
        const char *caption;
        bool TStateSettings::*setting;
    } decorations[] = {
        { "miFilmNo", "連番", &TStateSettings::FilmNo },
        { "miFilmDate", "日付", &TStateSettings::FilmDate },
        { "miCornerR", "面取り(丸)", &TStateSettings::CornerR },
        { "miFilmBevel", "ベベル(凹)", &TStateSettings::FilmBevel },
    };
    for (const auto &decoration : decorations) {
        QAction *action
            = AddMenuCommand(this, menu, decoration.name, QString::fromUtf8(decoration.caption));
        action->setCheckable(true);
        action->setChecked(FState.*decoration.setting);
        connect(action, &QAction::toggled, this,
            [this, setting = decoration.setting](bool on) { FState.*setting = on; });
    }
}

void TBrowserPanel::BuildCheckMarkMenus(QMenu *shapeMenu, QMenu *posMenu)
{
    // "チェック形状" and "チェック位置". The items belong to the page, so the window finds them
    // by their names among its children.
    const TStateSettings &state = FState;
    if (shapeMenu) {
        QMenu *menu = shapeMenu;
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
    if (posMenu) {
        QMenu *menu = posMenu;
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
                    int &pos = FState.CheckPos;
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

} // namespace korvatel
