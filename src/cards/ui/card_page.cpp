#include "cards/ui/card_page.h"

#include "cards/card_store.h"
#include "cards/layers.h"
#include "cards/plate_file.h"
#include "cards/pre_order.h"
#include "cards/ui/card_stage.h"
#include "cards/ui/image_panel_view.h"
#include "cards/ui/mask_form.h"
#include "cards/ui/open_card_dialog.h"
#include "platform/prompter.h"
#include "platform/ui/menu_commands.h"
#include "platform/ui/qt_prompter.h"
#include "platform/ui/widget_helpers.h"
#include "text/sjis_file.h"

#include <QAction>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMenu>
#include <QResizeEvent>
#include <QTimer>
#include <algorithm>

namespace korvatel
{

namespace
{

constexpr int kSaveDelay = 1500;
constexpr qint64 kPlateReadCap = 64 * 1024 * 1024;

QString NoLayerText()
{
    return QStringLiteral("オブジェクトがありません。");
}
QString NoSelectionText()
{
    return QStringLiteral("オブジェクトが選択されていません。");
}

// The size of a plate's preview, for the card's aspect; empty when it has none.
QSize PlatePreviewSize(const TPlate &plate)
{
    try {
        const TBitmap preview = DecodePlateBlock(plate.preview);
        return { preview.Width(), preview.Height() };
    } catch (const std::exception &) {
        return {};
    }
}

// A submenu whose action the page (and the main window) finds by name.
QMenu *SubMenu(QMenu *menu, const char *name, const QString &caption)
{
    QMenu *sub = menu->addMenu(caption);
    sub->menuAction()->setObjectName(QString::fromLatin1(name));
    return sub;
}

} // namespace

TCardPage::TCardPage(TCardPageValues values, QWidget *parent)
    : QWidget(parent)
    , FValues(std::move(values))
    , FLayers(std::make_unique<TLayers>())
{
    setObjectName(QStringLiteral("pnCard"));
    setAutoFillBackground(true);
    FStage = new TCardStage(
        *FLayers, [this]() -> TPrompter & { return Prompter(); }, this);
    FSaveTimer = new QTimer(this);
    FSaveTimer->setSingleShot(true);
    FSaveTimer->setInterval(kSaveDelay);
    connect(FSaveTimer, &QTimer::timeout, this, [this] { SaveNow(); });
    connect(FStage, &TCardStage::cardChanged, this, &TCardPage::Changed);
    connect(FStage, &TCardStage::selectionChanged, this, &TCardPage::UpdateCommands);
    connect(FStage, &TCardStage::dropFailed, this,
        [this](const QString &message) { Prompter().Error(message); });

    TLayerEvents &events = FLayers->Events;
    const auto refresh = [this] {
        UpdateCommands();
        if (FMaskForm)
            FMaskForm->Refresh();
        FStage->update();
    };
    events.layersChanged = [this, refresh] {
        refresh();
        Changed();
    };
    events.orderChanged = events.layersChanged;
    events.layerChanged = [this, refresh](int) {
        refresh();
        Changed();
    };
    events.selectionChanged = refresh;
    events.editModeChanged = refresh;
    Reopen();
}

TCardPage::~TCardPage()
{
    if (FDirty)
        SaveNow();
    // The layer set stops calling back into the page while its children go.
    FLayers->Events = {};
    delete FMaskForm;
}

TPrompter &TCardPage::Prompter()
{
    return FPrompter ? *FPrompter : DefaultQtPrompter();
}

void TCardPage::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    PlaceStage();
}

void TCardPage::PlaceStage()
{
    // The stage keeps the card's aspect, as large as the page allows with a margin.
    const QRect area = rect().adjusted(8, 8, -8, -8);
    if (area.width() <= 0 || area.height() <= 0)
        return;
    QSize size(area.width(), int(area.width() / FAspect));
    if (size.height() > area.height())
        size = QSize(int(area.height() * FAspect), area.height());
    FStage->setGeometry(QRect(area.topLeft()
            + QPoint((area.width() - size.width()) / 2, (area.height() - size.height()) / 2),
        size));
    for (TImagePanelView *panel : FPanels)
        panel->PlaceIn(size);
}

void TCardPage::Changed()
{
    FDirty = true;
    FSaveTimer->start();
    UpdateCommands();
}

bool TCardPage::SaveNow()
{
    FSaveTimer->stop();
    if (FValues.storeFile.isEmpty())
        return false;
    // A stage never shown has no size (the card's aspect) to store, and nothing on it can
    // have been changed by hand: the stored card stays as it is.
    if (FLayers->Stage().isEmpty())
        return false;
    FLayers->RecordRelative();
    bool saved = SaveCard(*FLayers, FValues.storeFile);
    if (!FValues.preOrderFile.isEmpty())
        saved = WritePreOrderPictures(FValues.preOrderFile, CardPictures()) && saved;
    if (saved)
        FDirty = false;
    return saved;
}

bool TCardPage::Reopen()
{
    if (FValues.storeFile.isEmpty() || !QFileInfo::exists(FValues.storeFile))
        return false;
    const std::optional<QByteArray> bytes = ReadWholeFile(FValues.storeFile);
    const std::optional<TCardStore> store = bytes ? ParseCardStore(*bytes) : std::nullopt;
    if (store && store->stageWidth > 0 && store->stageHeight > 0) {
        FAspect = double(store->stageWidth) / store->stageHeight;
        PlaceStage();
    }
    if (!LoadCard(*FLayers, FValues.storeFile))
        return false;
    // The image frames are kept as records among the pictures of the card being prepared.
    ClearPanels();
    if (!FValues.preOrderFile.isEmpty())
        if (const std::optional<TPreOrder> pre = ReadPreOrder(FValues.preOrderFile))
            for (const QString &item : pre->pictures)
                AdoptPanel(TImagePanelView::FromRecord(item, FStage));
    FSaveTimer->stop(); // reopening changed nothing
    FDirty = false;
    FLayers->SetStage(FStage->size());
    FStage->update();
    UpdateCommands();
    return true;
}

bool TCardPage::OpenFile(const QString &fileName)
{
    if (fileName.endsWith(QLatin1String(".ksp"), Qt::CaseInsensitive)) {
        // A plate is a whole card: it replaces the one on the stage and brings its aspect.
        const std::optional<QByteArray> bytes = ReadWholeFile(fileName, kPlateReadCap);
        const TPlateRead read = bytes ? ReadPlate(*bytes) : TPlateRead { plNoTag, {} };
        if (read.error != plOk) {
            Prompter().Error(PlateErrorText(read.error));
            return false;
        }
        const QSize preview = PlatePreviewSize(read.plate);
        if (!preview.isEmpty())
            FAspect = double(preview.width()) / preview.height();
        FLayers->SetEditMode(emNormal);
        FLayers->Clear();
        PlaceStage();
        FLayers->SetStage(FStage->size());
        const int added = FLayers->LoadPlate(read.plate);
        FLayers->PlaceFromRelative();
        FStage->update();
        Changed();
        FPlateFile = fileName;
        return added > 0;
    }
    const TLayerLoad load = FLayers->LoadFile(fileName);
    if (!load.message.isEmpty())
        Prompter().Error(load.message);
    FStage->update();
    Changed();
    return load.added > 0;
}

TImagePanelView *TCardPage::AdoptPanel(TImagePanelView *view)
{
    if (!view)
        return nullptr;
    FPanels.append(view);
    view->PlaceIn(FStage->size());
    view->show();
    connect(view, &TImagePanelView::changed, this, &TCardPage::Changed);
    connect(view, &TImagePanelView::deleteRequested, this, [this, view] {
        FPanels.removeOne(view);
        view->hide();
        view->deleteLater();
        Changed();
    });
    return view;
}

void TCardPage::ClearPanels()
{
    qDeleteAll(FPanels);
    FPanels.clear();
}

bool TCardPage::AddImagePanel(const QString &fileName)
{
    if (fileName.endsWith(QLatin1String(".ksp"), Qt::CaseInsensitive)) {
        Prompter().Error(QStringLiteral("プレートは画像枠に入れられません。"));
        return false;
    }
    TImagePanelView *view = AdoptPanel(TImagePanelView::ForPicture(fileName, FStage));
    if (!view) {
        Prompter().Error(
            QStringLiteral("画像を読み込めません。\n") + QFileInfo(fileName).fileName());
        return false;
    }
    view->raise();
    view->setFocus();
    Changed();
    return true;
}

QStringList TCardPage::CardPictures() const
{
    QStringList pictures;
    for (int i = 0; i < FLayers->Count(); ++i) {
        const QString file = FLayers->Layer(i)->FileName;
        if (QFileInfo(file).isAbsolute() && QFileInfo::exists(file))
            pictures << file;
    }
    for (const TImagePanelView *panel : FPanels)
        pictures << panel->Record();
    return pictures;
}

QImage TCardPage::CardImage()
{
    FStage->SetPlain(true);
    for (TImagePanelView *panel : FPanels)
        panel->SetPlain(true);
    const QImage card = FStage->grab().toImage();
    for (TImagePanelView *panel : FPanels)
        panel->SetPlain(false);
    FStage->SetPlain(false);
    return card;
}

void TCardPage::ShowMaskForm()
{
    if (!FMaskForm) {
        FMaskForm = new TMaskForm(*FLayers, window());
        FMaskForm->setWindowFlag(Qt::Tool);
        connect(FMaskForm, &TMaskForm::masksChanged, this, [this] {
            FStage->update();
            Changed();
        });
    }
    FMaskForm->Refresh();
    FMaskForm->show();
    FMaskForm->raise();
}

void TCardPage::ForSelected(const std::function<void(int)> &f)
{
    for (int i = 0; i < FLayers->Count(); ++i)
        if (FLayers->Layer(i)->Selected)
            f(i);
    FLayers->RecordRelative();
    FStage->update();
    Changed();
}

QAction *TCardPage::AddCommand(QMenu *menu, const char *name, const QString &caption,
    std::function<void()> handler, const QKeySequence &shortcut)
{
    return AddMenuCommand(this, menu, name, caption, shortcut, std::move(handler));
}

void TCardPage::BuildMenu(QMenu *menu)
{
    FMenu = menu;
    AddCommand(menu, "miCardOpen", QStringLiteral("画像・プレートを開く..."), [this] {
        QString file;
        if (AskOpenFile) {
            file = AskOpenFile();
        } else {
            TOpenCardDialog dialog(
                FValues.pictureFolder, [this]() -> TPrompter & { return Prompter(); }, this);
            if (dialog.exec() == QDialog::Accepted)
                file = dialog.FileName();
        }
        if (!file.isEmpty())
            OpenFile(file);
    });
    AddCommand(menu, "miCardPanelAdd", QStringLiteral("画像枠を追加..."), [this] {
        const QString file = AskPictureFile
            ? AskPictureFile()
            : QFileDialog::getOpenFileName(this, QStringLiteral("画像枠に入れる画像"),
                FValues.pictureFolder,
                QStringLiteral("画像 (*.jpg *.jpeg *.bmp *.png "
                               "*.gif *.cci);;すべて (*)"));
        if (!file.isEmpty())
            AddImagePanel(file);
    });
    menu->addSeparator();
    AddCommand(menu, "miCardDelete", QStringLiteral("オブジェクト削除"), [this] {
        FLayers->DeleteSelected();
        FStage->update();
        Changed();
    });
    QMenu *select = SubMenu(menu, "miCardSelect", QStringLiteral("オブジェクト選択"));
    AddCommand(select, "miCardSelectAll", QStringLiteral("すべて選択"), [this] {
        FLayers->SelectAll();
        FStage->update();
        UpdateCommands();
    });
    AddCommand(select, "miCardSelectNone", QStringLiteral("選択解除"), [this] {
        FLayers->SelectNone();
        FStage->update();
        UpdateCommands();
    });
    // The selected layers go to the front (or back) one by one, the farthest first, so they
    // keep their order among themselves.
    for (const bool front : { true, false }) {
        AddCommand(menu, front ? "miCardFront" : "miCardBack",
            front ? QStringLiteral("最前面へ") : QStringLiteral("最背面へ"), [this, front] {
                std::vector<TLayer *> chosen;
                for (int i = 0; i < FLayers->Count(); ++i)
                    if (FLayers->Layer(i)->Selected)
                        chosen.push_back(FLayers->Layer(i));
                if (front)
                    std::reverse(chosen.begin(), chosen.end());
                for (TLayer *layer : chosen)
                    FLayers->Move(layer->Index(), front ? 0 : FLayers->Count() - 1);
                FStage->update();
                Changed();
            });
    }
    menu->addSeparator();

    QMenu *fit = SubMenu(menu, "miCardFit", QStringLiteral("配置属性"));
    for (int mode : { fmFree, fmFillStage, fmFillWidthTop, fmFillWidthBottom, fmFillHeightLeft,
             fmFillHeightRight }) {
        const QByteArray name = "miCardFit" + QByteArray::number(mode);
        AddCommand(fit, name.constData(), FitModeCaption(mode),
            [this, mode] { ForSelected([this, mode](int i) { FLayers->SetFit(i, mode); }); });
    }
    // "位置合わせ 1" aligns, "位置合わせ 2" spaces evenly: codes of layer_geometry.h.
    QMenu *align = SubMenu(menu, "miCardAlign", QStringLiteral("位置合わせ 1"));
    QMenu *spread = SubMenu(menu, "miCardSpread", QStringLiteral("位置合わせ 2"));
    const std::tuple<QMenu *, int, const char *> aligns[] = { { align, 0, "左端" },
        { align, 1, "中央" }, { align, 2, "右端" }, { align, 10, "上端" }, { align, 11, "中段" },
        { align, 12, "下端" }, { align, kAlignCentreBoth, "中心" }, { spread, 3, "左端 等間隔" },
        { spread, 4, "中央 等間隔" }, { spread, 5, "右端 等間隔" }, { spread, 13, "上端 等間隔" },
        { spread, 14, "中段 等間隔" }, { spread, 15, "下端 等間隔" } };
    for (const auto &[into, code, caption] : aligns) {
        const QByteArray name
            = (into == align ? "miCardAlign" : "miCardSpread") + QByteArray::number(code);
        AddCommand(into, name.constData(), QString::fromUtf8(caption), [this, code = code] {
            FLayers->Align(code);
            FStage->update();
            Changed();
        });
    }
    QMenu *sizes = SubMenu(menu, "miCardMatch", QStringLiteral("サイズ合わせ"));
    const std::tuple<const char *, const char *, bool, bool> matches[]
        = { { "miCardWidthMin", "幅 合わせ(最小)", false, false },
              { "miCardWidthMax", "幅 合わせ(最大)", false, true },
              { "miCardHeightMin", "高さ 合わせ(最小)", true, false },
              { "miCardHeightMax", "高さ 合わせ(最大)", true, true } };
    for (const auto &[name, caption, heights, largest] : matches)
        AddCommand(
            sizes, name, QString::fromUtf8(caption), [this, heights = heights, largest = largest] {
                FLayers->MatchSize(heights, largest);
                FStage->update();
                Changed();
            });
    QAction *lock = AddCommand(menu, "miCardSizeLock", QStringLiteral("サイズロック"),
        [this] { ForSelected([this](int i) { FLayers->ToggleSizeLock(i); }); });
    lock->setCheckable(true);
    menu->addSeparator();

    QMenu *rotate = SubMenu(menu, "miCardRotate", QStringLiteral("回転"));
    const std::pair<int, const char *> turns[]
        = { { 90, "右90度" }, { 180, "180度" }, { 270, "左90度" } };
    for (const auto &[degrees, caption] : turns) {
        const QByteArray name = "miCardRotate" + QByteArray::number(degrees);
        AddCommand(rotate, name.constData(), QString::fromUtf8(caption),
            [this, d = degrees] { ForSelected([this, d](int i) { FLayers->Rotate(i, d); }); });
    }
    AddCommand(rotate, "miCardRotateFree", QStringLiteral("回転角度指定..."), [this] {
        bool ok = false;
        const double degrees = QInputDialog::getDouble(this, QStringLiteral("回転角度指定"),
            QStringLiteral("右回りの角度 (度):"), 15, -359, 359, 1, &ok);
        if (ok && degrees != 0)
            ForSelected([this, degrees](int i) { FLayers->RotateFree(i, degrees); });
    });
    QMenu *soften = SubMenu(menu, "miCardSoften", QStringLiteral("周囲ぼかし"));
    const std::pair<int, const char *> widths[] = { { 1, "細" }, { 2, "中" }, { 3, "太" } };
    for (const auto &[level, caption] : widths) {
        const QByteArray name = "miCardSoften" + QByteArray::number(level);
        AddCommand(soften, name.constData(), QString::fromUtf8(caption),
            [this, l = level] { ForSelected([this, l](int i) { FLayers->SoftenEdges(i, l); }); });
    }
    QMenu *mirror = SubMenu(menu, "miCardMirror", QStringLiteral("反転"));
    AddCommand(mirror, "miCardMirrorLR", QStringLiteral("左右反転"),
        [this] { ForSelected([this](int i) { FLayers->Mirror(i, true); }); });
    AddCommand(mirror, "miCardMirrorUD", QStringLiteral("上下反転"),
        [this] { ForSelected([this](int i) { FLayers->Mirror(i, false); }); });
    AddCommand(
        menu, "miCardTrim", QStringLiteral("トリミング"), [this] { FLayers->SetEditMode(emTrim); });

    QMenu *mask = SubMenu(menu, "miCardMask", QStringLiteral("透過"));
    const std::pair<int, const char *> modes[]
        = { { emPickArea, "色域" }, { emPickWhole, "全域透過色" }, { emDrawRect, "矩形透過色" },
              { emProtect, "保護マスク" }, { emNormal, "通常モード" } };
    for (const auto &[mode, caption] : modes) {
        const QByteArray name = "miCardMode" + QByteArray::number(mode);
        AddCommand(mask, name.constData(), QString::fromUtf8(caption),
            [this, mode = mode] { FLayers->SetEditMode(mode); });
    }
    mask->addSeparator();
    AddCommand(
        mask, "miCardMaskList", QStringLiteral("透過管理リスト"), [this] { ShowMaskForm(); });
    menu->addSeparator();

    QMenu *colours = SubMenu(menu, "miCardColors", QStringLiteral("色の設定"));
    AddCommand(colours, "miCardFrameColor", QStringLiteral("枠の色..."), [this] {
        const QColor c = QColorDialog::getColor(WinColor(int(FLayers->FrameColor)), this);
        if (c.isValid())
            FLayers->FrameColor = TColorValue(ToWinColor(c));
        FStage->update();
    });
    AddCommand(colours, "miCardBaseColor", QStringLiteral("カードベース色..."), [this] {
        const QColor c = QColorDialog::getColor(WinColor(int(FLayers->StageColor)), this);
        if (c.isValid())
            FLayers->StageColor = TColorValue(ToWinColor(c));
        FStage->update();
    });
    QMenu *mouse = SubMenu(menu, "miCardMouse", QStringLiteral("マウスの動作"));
    const auto option = [this](QMenu *into, const char *name, const char *caption, bool &flag) {
        QAction *item = AddCommand(into, name, QString::fromUtf8(caption), {});
        item->setCheckable(true);
        item->setChecked(flag);
        connect(item, &QAction::toggled, this, [&flag](bool on) { flag = on; });
    };
    option(mouse, "miCardRightZoom", "右ドラッグで拡大縮小 (Ctrlなし)",
        FLayers->Options.rightDragZooms);
    option(mouse, "miCardDblAll", "透明部のダブルクリックで全選択/解除",
        FLayers->Options.doubleClickTogglesAll);
    option(
        mouse, "miCardDblFront", "ダブルクリックで最前面へ", FLayers->Options.doubleClickToFront);
    QMenu *repeat = SubMenu(menu, "miCardRepeat", QStringLiteral("リピート設定"));
    option(repeat, "miCardKeepMode", "透過指定を続けて行う", FLayers->Options.keepEditMode);
    menu->addSeparator();
    AddCommand(menu, "miCardLoad", QStringLiteral("カードファイルを開く"), [this] {
        if (!Reopen())
            Prompter().Warn(QStringLiteral("保存されたカードがありません。"));
    });
    AddCommand(menu, "miCardSave", QStringLiteral("カードファイルを保存"), [this] {
        if (!SaveNow())
            Prompter().Error(QStringLiteral("カードを保存できませんでした。"));
    });
    AddCommand(menu, "miCardClear", QStringLiteral("カードを消去"), [this] {
        if (!Prompter().YesNo(
                QStringLiteral("カードのオブジェクトをすべて削除します。よろしいですか？")))
            return;
        FLayers->Clear();
        ClearPanels();
        FStage->update();
        Changed();
    });
    menu->addSeparator();
    AddCommand(menu, "miCardOrder", QStringLiteral("数量設定から注文へ"), [this] {
        if (OrderRequested)
            OrderRequested();
    });
    AddCommand(menu, "miCardHistory", QStringLiteral("履歴と進行状況"), [this] {
        if (HistoryRequested)
            HistoryRequested();
    });

    FPopup = new QMenu(this);
    for (const char *name : { "miCardDelete", "miCardFront", "miCardBack", "miCardSizeLock" })
        FPopup->addAction(Command(name));
    FPopup->addMenu(fit);
    FPopup->addMenu(rotate);
    FPopup->addMenu(mirror);
    FPopup->addAction(Command("miCardMaskList"));
    FStage->SetPopupMenu(FPopup);
    UpdateCommands();
}

QAction *TCardPage::Command(const char *name) const
{
    const QString objectName = QString::fromLatin1(name);
    if (QAction *item = findChild<QAction *>(objectName))
        return item;
    return FMenu ? FMenu->findChild<QAction *>(objectName) : nullptr;
}

void TCardPage::SetActive(bool active)
{
    FActive = active;
    if (!active && FDirty)
        SaveNow();
    UpdateCommands();
}

void TCardPage::UpdateCommands()
{
    if (!FMenu)
        return;
    const int count = FLayers->Count();
    const int selected = FLayers->SelectedCount();
    const auto enable = [this](const char *name, bool on, const QString &reason) {
        if (QAction *item = Command(name))
            EnableCommand(item, FActive && on,
                FActive ? reason : QStringLiteral("カード作成タブで使えます。"));
    };
    const QString selectReason = count == 0 ? NoLayerText() : NoSelectionText();
    enable("miCardOpen", true, {});
    enable("miCardPanelAdd", true, {});
    for (const char *name : { "miCardDelete", "miCardFront", "miCardBack", "miCardSizeLock",
             "miCardFit", "miCardAlign", "miCardRotate", "miCardSoften", "miCardMirror" })
        enable(name, selected > 0, selectReason);
    enable("miCardSelect", count > 0, NoLayerText());
    enable("miCardSelectAll", count > 0, NoLayerText());
    enable("miCardSelectNone", selected > 0, NoSelectionText());
    enable(
        "miCardSpread", selected >= 3, QStringLiteral("3つ以上のオブジェクトを選択してください。"));
    enable(
        "miCardMatch", selected >= 2, QStringLiteral("2つ以上のオブジェクトを選択してください。"));
    enable("miCardTrim", count > 0, NoLayerText());
    enable("miCardMask", count > 0, NoLayerText());
    enable("miCardMaskList", count > 0, NoLayerText());
    enable("miCardColors", true, {});
    enable("miCardMouse", true, {});
    enable("miCardRepeat", true, {});
    enable("miCardLoad", QFileInfo::exists(FValues.storeFile),
        QStringLiteral("保存されたカードがありません。"));
    const bool anything = count > 0 || !FPanels.isEmpty();
    enable("miCardSave", anything, NoLayerText());
    enable("miCardClear", anything, NoLayerText());
    // The size lock shows the state of the first selected layer.
    if (QAction *lock = Command("miCardSizeLock")) {
        bool locked = false;
        for (int i = 0; i < count; ++i)
            if (FLayers->Layer(i)->Selected) {
                locked = FLayers->Layer(i)->Image().SizeLock;
                break;
            }
        const QSignalBlocker block(lock);
        lock->setChecked(locked);
    }
    for (int mode = emNormal; mode <= emProtect; ++mode)
        if (QAction *item
            = Command(QStringLiteral("miCardMode%1").arg(mode).toLatin1().constData()))
            item->setCheckable(true), item->setChecked(FLayers->EditMode() == mode);
}

} // namespace korvatel
