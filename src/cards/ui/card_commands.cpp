// The commands of the card page: the table of the menu "カード作成", the menu and the stage's
// popup menu built from it, the handlers and the greying of the commands.
#include "cards/layer_geometry.h"
#include "cards/layers.h"
#include "cards/ui/card_page.h"
#include "cards/ui/card_stage.h"
#include "cards/ui/open_card_dialog.h"
#include "platform/prompter.h"
#include "platform/ui/menu_commands.h"
#include "platform/ui/widget_helpers.h"

#include <QAction>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMenu>
#include <algorithm>

namespace korvatel
{

namespace
{

// The menus of the table: "カード作成" itself and its submenus, each made by its row.
enum TCardMenuPlace {
    cpMenu,
    cpSelect,
    cpFit,
    cpAlign,
    cpSpread,
    cpMatch,
    cpRotate,
    cpSoften,
    cpMirror,
    cpMask,
    cpColours,
    cpMouse,
    cpRepeat,
    cpCount
};

QString NoLayerText()
{
    return QStringLiteral("オブジェクトがありません。");
}
QString NoSelectionText()
{
    return QStringLiteral("オブジェクトが選択されていません。");
}

} // namespace

// A row is a command, a submenu (opens), a check item bound to a layer option (option) or,
// without a name, a separator.
struct TCardPage::TCommandRow {
    TCardMenuPlace place = cpMenu; // the menu the row goes into
    const char *name = nullptr; // the object name, by which the window finds the command
    const char *caption = nullptr;
    const char *shortcut = nullptr; // a key sequence; none when null
    void (*handler)(TCardPage &page) = nullptr;
    bool checkable = false;
    TCardMenuPlace opens = cpMenu; // a submenu row: the submenu it makes
    bool TLayerOptions::*option = nullptr;
};

// "位置合わせ 1" aligns, "位置合わせ 2" spaces evenly; the names carry the align codes, the fit
// modes, the angles and the edit modes as the window has always known them.
const TCardPage::TCommandRow TCardPage::kCommandRows[] = {
    { cpMenu, "miCardOpen", "画像・プレートを開く...", {},
        [](TCardPage &p) { p.miCardOpenClick(); } },
    { cpMenu, "miCardPanelAdd", "画像枠を追加...", {},
        [](TCardPage &p) { p.miCardPanelAddClick(); } },
    { cpMenu },
    { cpMenu, "miCardDelete", "オブジェクト削除", {}, [](TCardPage &p) { p.DeleteSelected(); } },
    { .place = cpMenu, .name = "miCardSelect", .caption = "オブジェクト選択", .opens = cpSelect },
    { cpSelect, "miCardSelectAll", "すべて選択", {}, [](TCardPage &p) { p.SelectAll(true); } },
    { cpSelect, "miCardSelectNone", "選択解除", {}, [](TCardPage &p) { p.SelectAll(false); } },
    { cpMenu, "miCardFront", "最前面へ", {}, [](TCardPage &p) { p.StackSelected(true); } },
    { cpMenu, "miCardBack", "最背面へ", {}, [](TCardPage &p) { p.StackSelected(false); } },
    { cpMenu },

    { .place = cpMenu, .name = "miCardFit", .caption = "配置属性", .opens = cpFit },
    { cpFit, "miCardFit0", "自由", {},
        [](TCardPage &p) { p.ForSelected(&TLayers::SetFit, fmFree); } },
    { cpFit, "miCardFit5", "全面伸張", {},
        [](TCardPage &p) { p.ForSelected(&TLayers::SetFit, fmFillStage); } },
    { cpFit, "miCardFit1", "上端伸張", {},
        [](TCardPage &p) { p.ForSelected(&TLayers::SetFit, fmFillWidthTop); } },
    { cpFit, "miCardFit2", "下端伸張", {},
        [](TCardPage &p) { p.ForSelected(&TLayers::SetFit, fmFillWidthBottom); } },
    { cpFit, "miCardFit3", "左端伸張", {},
        [](TCardPage &p) { p.ForSelected(&TLayers::SetFit, fmFillHeightLeft); } },
    { cpFit, "miCardFit4", "右端伸張", {},
        [](TCardPage &p) { p.ForSelected(&TLayers::SetFit, fmFillHeightRight); } },
    { .place = cpMenu, .name = "miCardAlign", .caption = "位置合わせ 1", .opens = cpAlign },
    { cpAlign, "miCardAlign0", "左端", {}, [](TCardPage &p) { p.AlignSelected(alLeft); } },
    { cpAlign, "miCardAlign1", "中央", {}, [](TCardPage &p) { p.AlignSelected(alCentre); } },
    { cpAlign, "miCardAlign2", "右端", {}, [](TCardPage &p) { p.AlignSelected(alRight); } },
    { cpAlign, "miCardAlign10", "上端", {}, [](TCardPage &p) { p.AlignSelected(alTop); } },
    { cpAlign, "miCardAlign11", "中段", {}, [](TCardPage &p) { p.AlignSelected(alMiddle); } },
    { cpAlign, "miCardAlign12", "下端", {}, [](TCardPage &p) { p.AlignSelected(alBottom); } },
    { cpAlign, "miCardAlign99", "中心", {}, [](TCardPage &p) { p.AlignSelected(alCentreBoth); } },
    { .place = cpMenu, .name = "miCardSpread", .caption = "位置合わせ 2", .opens = cpSpread },
    { cpSpread, "miCardSpread3", "左端 等間隔", {},
        [](TCardPage &p) { p.AlignSelected(alSpreadLeft); } },
    { cpSpread, "miCardSpread4", "中央 等間隔", {},
        [](TCardPage &p) { p.AlignSelected(alSpreadCentre); } },
    { cpSpread, "miCardSpread5", "右端 等間隔", {},
        [](TCardPage &p) { p.AlignSelected(alSpreadRight); } },
    { cpSpread, "miCardSpread13", "上端 等間隔", {},
        [](TCardPage &p) { p.AlignSelected(alSpreadTop); } },
    { cpSpread, "miCardSpread14", "中段 等間隔", {},
        [](TCardPage &p) { p.AlignSelected(alSpreadMiddle); } },
    { cpSpread, "miCardSpread15", "下端 等間隔", {},
        [](TCardPage &p) { p.AlignSelected(alSpreadBottom); } },
    { .place = cpMenu, .name = "miCardMatch", .caption = "サイズ合わせ", .opens = cpMatch },
    { cpMatch, "miCardWidthMin", "幅 合わせ(最小)", {},
        [](TCardPage &p) { p.MatchSelected(false, false); } },
    { cpMatch, "miCardWidthMax", "幅 合わせ(最大)", {},
        [](TCardPage &p) { p.MatchSelected(false, true); } },
    { cpMatch, "miCardHeightMin", "高さ 合わせ(最小)", {},
        [](TCardPage &p) { p.MatchSelected(true, false); } },
    { cpMatch, "miCardHeightMax", "高さ 合わせ(最大)", {},
        [](TCardPage &p) { p.MatchSelected(true, true); } },
    { cpMenu, "miCardSizeLock", "サイズロック", {},
        [](TCardPage &p) { p.ForSelected([&p](int i) { p.FLayers->ToggleSizeLock(i); }); }, true },
    { cpMenu },

    { .place = cpMenu, .name = "miCardRotate", .caption = "回転", .opens = cpRotate },
    { cpRotate, "miCardRotate90", "右90度", {},
        [](TCardPage &p) { p.ForSelected(&TLayers::Rotate, 90); } },
    { cpRotate, "miCardRotate180", "180度", {},
        [](TCardPage &p) { p.ForSelected(&TLayers::Rotate, 180); } },
    { cpRotate, "miCardRotate270", "左90度", {},
        [](TCardPage &p) { p.ForSelected(&TLayers::Rotate, 270); } },
    { cpRotate, "miCardRotateFree", "回転角度指定...", {},
        [](TCardPage &p) { p.miCardRotateFreeClick(); } },
    { .place = cpMenu, .name = "miCardSoften", .caption = "周囲ぼかし", .opens = cpSoften },
    { cpSoften, "miCardSoften1", "細", {},
        [](TCardPage &p) { p.ForSelected(&TLayers::SoftenEdges, 1); } },
    { cpSoften, "miCardSoften2", "中", {},
        [](TCardPage &p) { p.ForSelected(&TLayers::SoftenEdges, 2); } },
    { cpSoften, "miCardSoften3", "太", {},
        [](TCardPage &p) { p.ForSelected(&TLayers::SoftenEdges, 3); } },
    { .place = cpMenu, .name = "miCardMirror", .caption = "反転", .opens = cpMirror },
    { cpMirror, "miCardMirrorLR", "左右反転", {},
        [](TCardPage &p) { p.ForSelected([&p](int i) { p.FLayers->Mirror(i, true); }); } },
    { cpMirror, "miCardMirrorUD", "上下反転", {},
        [](TCardPage &p) { p.ForSelected([&p](int i) { p.FLayers->Mirror(i, false); }); } },
    { cpMenu, "miCardTrim", "トリミング", {},
        [](TCardPage &p) { p.FLayers->SetEditMode(emTrim); } },
    { .place = cpMenu, .name = "miCardMask", .caption = "透過", .opens = cpMask },
    { cpMask, "miCardMode1", "色域", {}, [](TCardPage &p) { p.FLayers->SetEditMode(emPickArea); },
        true },
    { cpMask, "miCardMode2", "全域透過色", {},
        [](TCardPage &p) { p.FLayers->SetEditMode(emPickWhole); }, true },
    { cpMask, "miCardMode3", "矩形透過色", {},
        [](TCardPage &p) { p.FLayers->SetEditMode(emDrawRect); }, true },
    { cpMask, "miCardMode5", "保護マスク", {},
        [](TCardPage &p) { p.FLayers->SetEditMode(emProtect); }, true },
    { cpMask, "miCardMode0", "通常モード", {},
        [](TCardPage &p) { p.FLayers->SetEditMode(emNormal); }, true },
    { cpMask },
    { cpMask, "miCardMaskList", "透過管理リスト", {}, [](TCardPage &p) { p.ShowMaskForm(); } },
    { cpMenu },

    { .place = cpMenu, .name = "miCardColors", .caption = "色の設定", .opens = cpColours },
    { cpColours, "miCardFrameColor", "枠の色...", {},
        [](TCardPage &p) { p.ChooseColour(p.FLayers->FrameColor); } },
    { cpColours, "miCardBaseColor", "カードベース色...", {},
        [](TCardPage &p) { p.ChooseColour(p.FLayers->StageColor); } },
    { .place = cpMenu, .name = "miCardMouse", .caption = "マウスの動作", .opens = cpMouse },
    { .place = cpMouse,
        .name = "miCardRightZoom",
        .caption = "右ドラッグで拡大縮小 (Ctrlなし)",
        .option = &TLayerOptions::rightDragZooms },
    { .place = cpMouse,
        .name = "miCardDblAll",
        .caption = "透明部のダブルクリックで全選択/解除",
        .option = &TLayerOptions::doubleClickTogglesAll },
    { .place = cpMouse,
        .name = "miCardDblFront",
        .caption = "ダブルクリックで最前面へ",
        .option = &TLayerOptions::doubleClickToFront },
    { .place = cpMenu, .name = "miCardRepeat", .caption = "リピート設定", .opens = cpRepeat },
    { .place = cpRepeat,
        .name = "miCardKeepMode",
        .caption = "透過指定を続けて行う",
        .option = &TLayerOptions::keepEditMode },
    { cpMenu },

    { cpMenu, "miCardLoad", "カードファイルを開く", {},
        [](TCardPage &p) {
            if (!p.Reopen())
                p.Prompter().Warn(QStringLiteral("保存されたカードがありません。"));
        } },
    { cpMenu, "miCardSave", "カードファイルを保存", {},
        [](TCardPage &p) {
            if (!p.SaveNow())
                p.Prompter().Error(QStringLiteral("カードを保存できませんでした。"));
        } },
    { cpMenu, "miCardClear", "カードを消去", {}, [](TCardPage &p) { p.miCardClearClick(); } },
    { cpMenu },
    { cpMenu, "miCardOrder", "数量設定から注文へ", {}, [](TCardPage &p) { p.miCardOrderClick(); } },
    { cpMenu, "miCardHistory", "履歴と進行状況", {},
        [](TCardPage &p) {
            if (p.HistoryRequested)
                p.HistoryRequested();
        } },
};

void TCardPage::BuildMenu(QMenu *menu)
{
    FMenu = menu;
    QMenu *menus[cpCount] = { menu };
    for (const TCommandRow &row : kCommandRows) {
        QMenu *into = menus[row.place];
        if (!row.name) {
            into->addSeparator();
        } else if (row.opens != cpMenu) {
            // The page (and the main window) finds a submenu's action by its name too.
            menus[row.opens] = into->addMenu(QString::fromUtf8(row.caption));
            menus[row.opens]->menuAction()->setObjectName(QString::fromLatin1(row.name));
        } else {
            AddCommand(into, row);
        }
    }

    FPopup = new QMenu(this);
    for (const char *name : { "miCardDelete", "miCardFront", "miCardBack", "miCardSizeLock",
             "miCardFit", "miCardRotate", "miCardMirror", "miCardMaskList" })
        FPopup->addAction(Command(name));
    FStage->SetPopupMenu(FPopup);
    UpdateCommands();
}

void TCardPage::AddCommand(QMenu *menu, const TCommandRow &row)
{
    std::function<void()> handler;
    if (row.handler)
        handler = [this, run = row.handler] { run(*this); };
    QAction *item = AddMenuCommand(this, menu, row.name, QString::fromUtf8(row.caption),
        row.shortcut ? QKeySequence(QString::fromLatin1(row.shortcut)) : QKeySequence(),
        std::move(handler));
    item->setCheckable(row.checkable || row.option);
    if (row.option) {
        bool &flag = FLayers->Options.*row.option;
        item->setChecked(flag);
        connect(item, &QAction::toggled, this, [&flag](bool on) { flag = on; });
    }
}

QAction *TCardPage::Command(const char *name) const
{
    const QString objectName = QString::fromLatin1(name);
    if (QAction *item = findChild<QAction *>(objectName))
        return item;
    return FMenu ? FMenu->findChild<QAction *>(objectName) : nullptr;
}

void TCardPage::miCardOpenClick()
{
    QString file;
    if (AskOpenFile) {
        file = AskOpenFile();
    } else {
        TOpenCardDialog dialog(
            FValues.pictureFolder, [this]() -> TPrompter & { return Prompter(); }, this);
        if (ShowDialog(dialog))
            file = dialog.FileName();
    }
    if (!file.isEmpty())
        OpenFile(file);
}

void TCardPage::miCardPanelAddClick()
{
    const QString file = AskPictureFile
        ? AskPictureFile()
        : QFileDialog::getOpenFileName(this, QStringLiteral("画像枠に入れる画像"),
            FValues.pictureFolder,
            QStringLiteral("画像 (*.jpg *.jpeg *.bmp *.png "
                           "*.gif *.cci);;すべて (*)"));
    if (!file.isEmpty())
        AddImagePanel(file);
}

void TCardPage::miCardRotateFreeClick()
{
    QInputDialog dialog(this);
    dialog.setWindowTitle(QStringLiteral("回転角度指定"));
    dialog.setLabelText(QStringLiteral("右回りの角度 (度):"));
    dialog.setDoubleDecimals(1);
    dialog.setDoubleRange(-359, 359);
    dialog.setDoubleValue(15);
    if (!ShowDialog(dialog))
        return;
    const double degrees = dialog.doubleValue();
    if (degrees != 0)
        ForSelected([this, degrees](int i) { FLayers->RotateFree(i, degrees); });
}

void TCardPage::ChooseColour(TColorValue &colour)
{
    QColorDialog dialog(WinColor(int(colour)), this);
    if (ShowDialog(dialog) && dialog.currentColor().isValid())
        colour = TColorValue(ToWinColor(dialog.currentColor()));
    FStage->update();
}

bool TCardPage::ShowDialog(QDialog &dialog)
{
    return RunDialog ? RunDialog(dialog) : dialog.exec() == QDialog::Accepted;
}

void TCardPage::miCardOrderClick()
{
    // The card goes to the order only as its design takes it: no more pictures than the shop's
    // design allows, and an empty window only when the customer says so.
    if (!PicturesFit())
        return;
    if (HasEmptyWindow()
        && Prompter().Ask(
               TMsgKind::mkConfirmation, EmptyWindowQuestion(), mbYes | mbNo | mbSafeDefault)
            != TModalResult::mrYes)
        return;
    if (OrderRequested)
        OrderRequested();
}

void TCardPage::miCardClearClick()
{
    if (!Prompter().YesNo(
            QStringLiteral("カードのオブジェクトをすべて削除します。よろしいですか？")))
        return;
    FLayers->Clear();
    ClearPanels();
    FStage->update();
    Changed();
}

void TCardPage::SelectAll(bool all)
{
    if (all)
        FLayers->SelectAll();
    else
        FLayers->SelectNone();
    FStage->update();
    UpdateCommands();
}

void TCardPage::StackSelected(bool front)
{
    // The selected layers go to the front (or back) one by one, the farthest first, so they
    // keep their order among themselves.
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
}

void TCardPage::AlignSelected(TAlignCode code)
{
    FLayers->Align(code);
    FStage->update();
    Changed();
}

void TCardPage::MatchSelected(bool heights, bool largest)
{
    FLayers->MatchSize(heights, largest);
    FStage->update();
    Changed();
}

void TCardPage::ForSelected(void (TLayers::*operation)(int index, int value), int value)
{
    ForSelected([this, operation, value](int i) { (FLayers.get()->*operation)(i, value); });
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
            item->setChecked(FLayers->EditMode() == mode);
}

} // namespace korvatel
