#include "viewer/ui/viewer_page.h"

#include "platform/prompter.h"
#include "platform/ui/menu_commands.h"
#include "platform/ui/qt_prompter.h"
#include "platform/ui/widget_helpers.h"
#include "viewer/slide_show.h"
#include "viewer/ui/rect_label.h"
#include "viewer/ui/viewer_stage.h"
#include "workspace/option_settings.h"
#include "workspace/state_settings.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollArea>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace korvatel
{

namespace
{

// The file dialog of the save commands: starts on the proposed name, asks nothing itself (the
// overwrite question is the program's own).
QString AskSaveName(
    QWidget *parent, const QString &caption, const QString &proposed, const QString &filter)
{
    // "Name|*.JPG" pairs become Qt's "Name (*.JPG)" lines.
    const QStringList parts = filter.split(u'|');
    QStringList lines;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        lines << QStringLiteral("%1 (%2)").arg(parts[i], parts[i + 1]);
    const QString qtFilter = lines.join(QStringLiteral(";;"));
    return QFileDialog::getSaveFileName(
        parent, caption, proposed, qtFilter, nullptr, QFileDialog::DontConfirmOverwrite);
}

} // namespace

TViewerPage::TViewerPage(
    TStateSettings &state, const TOption2Settings &option2, bool online, QWidget *parent)
    : QWidget(parent)
    , FState(state)
    , FOption2(option2)
    , FOnline(online)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    FStage = new TViewerStage(this);
    layout->addWidget(FStage);
    connect(FStage, &TViewerStage::frameChanged, this, [this] { UpdateViewerCommands(); });
    connect(FStage, &TViewerStage::pictureChanged, this, &TViewerPage::UpdateViewerCommands);
    // State.ini keeps the maximum for the next start.
    connect(FStage, &TViewerStage::maxZoomChosen, this,
        [this](int percent) { FState.MaxZoom = percent; });
    connect(
        FStage, &TViewerStage::pictureLoaded, this, [this](const QString &, const QString &error) {
            Status(2, QString());
            if (!error.isEmpty())
                Prompter().Error(error);
            UpdateViewerCommands();
            Memory();
        });
    connect(
        FStage, &TViewerStage::hintText, this, [this](const QString &text) { Status(1, text); });

    FSlideTimer = new QTimer(this);
    FSlideTimer->setInterval(SlideTimerInterval(FState.Interval));
    connect(FSlideTimer, &QTimer::timeout, this, &TViewerPage::SlideTick);
}

TViewerPage::~TViewerPage()
{
    if (FSlideRunning)
        qApp->removeEventFilter(this);
}

void TViewerPage::Status(int panel, const QString &text)
{
    if (ShowStatus)
        ShowStatus(panel, text);
}

void TViewerPage::Memory()
{
    if (MemoryStatus)
        MemoryStatus();
}

TPrompter &TViewerPage::Prompter()
{
    return FPrompter ? *FPrompter : DefaultQtPrompter();
}

QAction *TViewerPage::Command(const char *name) const
{
    return findChild<QAction *>(QString::fromLatin1(name));
}

void TViewerPage::SetActive(bool active)
{
    FActive = active;
    if (active) // the basket may have changed the print's imprint meanwhile
        RefreshImprint();
    UpdateViewerCommands();
}

void TViewerPage::ApplySettings()
{
    FStage->SetMaxZoom(FState.MaxZoom);
    FStage->SetIncrementalDisplay(FState.IncDisp);
    FStage->SetAnchorWide(FState.AnchorWide);
    QPalette view = FStage->View()->palette();
    view.setColor(QPalette::Dark, WinColor(FState.BoxColor));
    FStage->View()->setPalette(view);
}

void TViewerPage::BuildMenu(QMenu *menu)
{
    const auto add = [this, menu](const char *name, const QString &caption, const char *keys,
                         std::function<void()> handler) {
        return AddMenuCommand(this, menu, name, caption,
            keys ? QKeySequence(QString::fromLatin1(keys)) : QKeySequence(), std::move(handler));
    };
    // "立像" turns the picture back to the way it stood when it was loaded, frame and all.
    add("miUpright", QStringLiteral("立像"), nullptr,
        [this] { miRotateClick(RotationType((4 - FStage->Picture().Turns()) % 4)); });
    add("miInverted", QStringLiteral("倒立"), nullptr, [this] { miRotateClick(rt180); });
    add("miLeft90", QStringLiteral("左90度"), "Ctrl+Left", [this] { miRotateClick(rt270); });
    add("miRight90", QStringLiteral("右90度"), "Ctrl+Right", [this] { miRotateClick(rt90); });
    menu->addSeparator();
    add("miTriming", QStringLiteral("トリミング"), "Shift+Ctrl+T", [this] { miTrimingClick(); });
    add("miContrastUp", QStringLiteral("コントラスト補正(＋)"), "Ctrl+L",
        [this] { ToneClick(tsContrastUp); });
    add("miContrastDown", QStringLiteral("コントラスト補正(－)"), "Ctrl+D",
        [this] { ToneClick(tsContrastDown); });
    add("miBrighter", QStringLiteral("明るさ補正(明るく)"), "Shift+Ctrl+L",
        [this] { ToneClick(tsBrighter); });
    add("miDarker", QStringLiteral("明るさ補正(暗く)"), "Shift+Ctrl+D",
        [this] { ToneClick(tsDarker); });
    QAction *twice = add("miPseudoDouble", QStringLiteral("擬似倍精度(中間Bit挿入)"), "Ctrl+B",
        [this] { miDoubleClick(); });
    twice->setVisible(FOption2.ManualExpBmp);
    menu->addSeparator();
    add("miRestore", QStringLiteral("初期画面に戻す"), "Ctrl+Z", [this] { miRestoreClick(); });
    add("miErase", QStringLiteral("消去"), "Shift+Ctrl+C", [this] { miEraseClick(); });
    add("miSaveAs", QStringLiteral("別名でファイル保存"), "Ctrl+W", [this] { miSaveAsClick(); });
    menu->addSeparator();
    BuildSlideCommands(menu);
    add("miFullSize", QStringLiteral("最大画面(&E)"), "Ctrl+A", [this] {
        if (ToggleFullSize)
            ToggleFullSize();
    });
    menu->addSeparator();
    BuildOptionCommands(menu);
    BuildTools();
}

void TViewerPage::BuildSlideCommands(QMenu *menu)
{
    AddMenuCommand(this, menu, "miSlideShow", QStringLiteral("スライドショー"),
        QKeySequence(QStringLiteral("Ctrl+S")), [this] {
            if (FSlideRunning)
                StopSlideShow(true);
            else
                StartSlideShow();
        });
    AddMenuCommand(
        this, menu, "miSlidePause", QStringLiteral("スライドショー停止/再開(&N)"), {}, [this] {
            if (FSlideRunning)
                FSlidePaused = !FSlidePaused;
        });
    QMenu *intervals = menu->addMenu(QStringLiteral("スライド間隔"));
    intervals->menuAction()->setObjectName(QStringLiteral("miSlideInterval"));
    QStringList captions;
    for (const TIntervalChoice &choice : SlideIntervals())
        captions << QString::fromUtf8(choice.caption);
    AddMenuChoices(this, intervals, "miInterval", captions, SlideIntervalIndex(FState.Interval),
        [this](int i) {
            FState.Interval = SlideIntervals()[i].ms;
            FSlideTimer->setInterval(FState.Interval);
        });
}

void TViewerPage::BuildOptionCommands(QMenu *menu)
{
    QAction *incremental
        = AddMenuCommand(this, menu, "miIncDisp", QStringLiteral("インクリメントディスプレー(&I)"));
    incremental->setCheckable(true);
    incremental->setChecked(FState.IncDisp);
    connect(incremental, &QAction::toggled, this, [this](bool on) {
        FState.IncDisp = on;
        FStage->SetIncrementalDisplay(on);
    });
    QMenu *click = menu->addMenu(QStringLiteral("画像読込みクリック指定(&C)"));
    click->menuAction()->setObjectName(QStringLiteral("miClickKind"));
    AddMenuChoices(this, click, "miClick",
        { QStringLiteral("シングルクリック(&1)"), QStringLiteral("ダブルクリック(&2)") },
        FState.DblClick ? 1 : 0, [this](int i) { FState.DblClick = i == 1; });
    QMenu *anchors = menu->addMenu(QStringLiteral("アンカーポイントのサイズ(&A)"));
    anchors->menuAction()->setObjectName(QStringLiteral("miAnchor"));
    static constexpr int kAnchorSizes[] = { 9, 7, 5 };
    // Below the "中" item's size counts as small, above as large.
    const int anchor = FState.AnchorWide > 7 ? 0 : FState.AnchorWide < 7 ? 2 : 1;
    AddMenuChoices(this, anchors, "miAnchor",
        { QStringLiteral("大"), QStringLiteral("中"), QStringLiteral("小") }, anchor,
        [this](int i) {
            FState.AnchorWide = kAnchorSizes[i];
            FStage->SetAnchorWide(kAnchorSizes[i]);
        });
}

void TViewerPage::BuildTools()
{
    // The viewer's own buttons.
    auto *order = new QAction(QStringLiteral("注文"), this);
    order->setObjectName(QStringLiteral("miOrderView"));
    order->setToolTip(QStringLiteral("注文書に追加"));
    order->setStatusTip(
        QStringLiteral("画像を注文に組み入れます。トリミングしたものは一旦保存します。"));
    connect(order, &QAction::triggered, this, [this] { sbOrderViewClick(); });
    auto *undo = new QAction(QStringLiteral("元に戻す"), this);
    undo->setObjectName(QStringLiteral("miUndo"));
    connect(undo, &QAction::triggered, this, [this] { miUndoClick(); });
    // The order button is reached with Tab as well as by a click, and shows its focus frame.
    FStage->AddTool(order)->setFocusPolicy(Qt::StrongFocus);
    QToolButton *trim = FStage->AddTool(Command("miTriming"));
    trim->setText(QStringLiteral("トリミング Shift+Ctrl+T"));
    trim->setToolTip(QStringLiteral("トリミング Shift+Ctrl+T"));
    FStage->AddTool(undo);
    FStage->AddTool(Command("miRestore"));
    for (const char *name : { "miLeft90", "miRight90", "miBrighter", "miDarker", "miContrastUp",
             "miContrastDown", "miSaveAs", "miSlideShow", "miFullSize" })
        FStage->AddTool(Command(name));
}

bool TViewerPage::ViewPicture(const QString &fileName)
{
    QString error;
    FViewedFile = fileName;
    RefreshImprint();
    const bool loaded = FStage->ViewFile(fileName, &error);
    if (!loaded && !error.isEmpty())
        Prompter().Error(error);
    Status(0, QFileInfo(fileName).fileName());
    // A large picture is read in the background; the window stays free meanwhile.
    if (FStage->Loading())
        Status(2, QStringLiteral("読み込み中…"));
    UpdateViewerCommands();
    Memory();
    return loaded;
}

void TViewerPage::RefreshImprint()
{
    const QString text = ImprintOf && !FViewedFile.isEmpty() ? ImprintOf(FViewedFile) : QString();
    FStage->Image()->SetImprint(text, FImprintLook);
}

void TViewerPage::UpdateViewerCommands()
{
    // The menu "画像編集" works only in the viewer tab; its shortcuts with it.
    const TViewedPicture &picture = FStage->Picture();
    const bool shown = !picture.Empty() && FActive;
    const bool frame = FStage->Frame().Visible();
    // A grey command says why in its tip.
    const QString noPicture = !FActive ? QStringLiteral("画像編集タブで使えます。")
                                       : QStringLiteral("画像が表示されていません。");
    const auto enable = [this](const char *name, bool on, const QString &reason) {
        EnableCommand(Command(name), on, reason);
    };
    for (const char *name : { "miUpright", "miInverted", "miLeft90", "miRight90", "miContrastUp",
             "miContrastDown", "miBrighter", "miDarker", "miPseudoDouble", "miErase", "miSaveAs",
             "miOrderView", "miFullSize" })
        enable(name, shown, noPicture);
    enable("miTriming", shown && frame,
        shown ? QStringLiteral("画像の上をドラッグして、トリミングの範囲を指定してください。")
              : noPicture);
    enable("miSlideShow", FActive && (FSlideRunning || !FBrowserFiles.isEmpty()),
        FActive ? QStringLiteral("一覧に画像がありません。") : noPicture);
    enable("miSlidePause", FActive && FSlideRunning,
        QStringLiteral("スライドショーの間だけ使えます。"));
    enable("miRestore", shown && picture.Changed(),
        shown ? QStringLiteral("画像は変更されていません。") : noPicture);
    enable("miUndo", shown && picture.CanUndo(),
        shown ? QStringLiteral("元に戻す操作がありません。") : noPicture);
}

void TViewerPage::SetBrowserFiles(const QStringList &files, int index)
{
    FBrowserFiles = files;
    FBrowserIndex = index;
    UpdateViewerCommands();
}

void TViewerPage::ViewBrowserFile(int row)
{
    if (row < 0 || row >= FBrowserFiles.size())
        return;
    FBrowserIndex = row;
    if (!FActive && ShowViewer)
        ShowViewer();
    ViewPicture(FBrowserFiles[row]);
}

void TViewerPage::miRotateClick(RotationType rotation)
{
    if (FStage->Picture().Empty())
        return;
    try {
        FStage->Rotate(rotation);
    } catch (const std::exception &e) {
        QApplication::restoreOverrideCursor();
        Prompter().Error(QString::fromLocal8Bit(e.what()));
    }
    UpdateViewerCommands();
    Memory();
}

void TViewerPage::miTrimingClick()
{
    if (FStage->Picture().IsCampus()) {
        Prompter().Inform(viewer_text::CampusNoTrim());
        return;
    }
    if (FStage->ApplyTrim())
        FStage->SetAutoZoom(true); // the view is fitted again
    UpdateViewerCommands();
    Memory();
}

void TViewerPage::ToneClick(TToneStep step)
{
    FStage->Tone(step, [this](const QString &text) { Status(2, text); });
    UpdateViewerCommands();
    Memory();
}

void TViewerPage::miDoubleClick()
{
    TViewedPicture &picture = FStage->Picture();
    if (picture.Empty())
        return;
    // Step after step while the picture stays within the limit; Shift with the command forces
    // one step past it.
    const bool forced = QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier;
    int steps = TViewedPicture::DoubleSteps(picture.Size());
    if (steps == 0 && forced)
        steps = 1;
    if (steps == 0) {
        Prompter().Inform(viewer_text::DoubleLimit());
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QSize before = picture.Size();
    Status(1, QStringLiteral("画像サイズ W%1*H%2").arg(before.width()).arg(before.height()));
    FStage->Frame().Clear();
    for (int step = 0; step < steps; ++step) {
        Status(2,
            QStringLiteral("擬似倍精度　%1 %2").arg(step * 100 / steps).arg(QStringLiteral("%")));
        if (!picture.PseudoDouble(true))
            break;
    }
    const QSize after = picture.Size();
    Status(2, QStringLiteral("　完了 W%1*H%2").arg(after.width()).arg(after.height()));
    QApplication::restoreOverrideCursor();
    FStage->Refresh();
    UpdateViewerCommands();
    Memory();
}

void TViewerPage::miRestoreClick()
{
    const QString file = FStage->Picture().FileName();
    if (!file.isEmpty())
        ViewPicture(file);
}

void TViewerPage::miEraseClick()
{
    FStage->ClearPicture();
    Status(0, {});
    UpdateViewerCommands();
    Memory();
}

void TViewerPage::miUndoClick()
{
    FStage->Frame().Clear();
    FStage->Picture().Undo();
    FStage->Refresh();
    UpdateViewerCommands();
}

TViewerSaveHooks TViewerPage::SaveHooks(const QString &caption, const QString &filter)
{
    TViewerSaveHooks hooks;
    hooks.frameOpen = FStage->Frame().Visible();
    hooks.applyTrim = [this] { FStage->ApplyTrim(); };
    hooks.askFileName = [this, caption, filter](const QString &proposed) {
        return FFileDialog ? FFileDialog(caption, proposed, filter)
                           : AskSaveName(this, caption, proposed, filter);
    };
    hooks.saved = [this](const QString &file) {
        if (AddScannedFile)
            AddScannedFile(file);
    };
    return hooks;
}

void TViewerPage::miSaveAsClick()
{
    const TViewerSaveHooks hooks
        = SaveHooks(QStringLiteral("別名でファイル保存　") + viewer_text::TimeStampNote(),
            QStringLiteral("画像ファイル(*.JPG;*.JPEG;*.BMP;*.BID)|*.JPG *.JPEG *.BMP *.BID"));
    QString saved;
    if (SaveViewedPictureAs(FStage->Picture(), hooks, Prompter(), &saved)
        == TSaveOutcome::soSaved) {
        FStage->Picture().SavedAs(saved);
        Status(0, QFileInfo(saved).fileName());
    }
    FStage->Refresh();
    UpdateViewerCommands();
}

void TViewerPage::sbOrderViewClick()
{
    if (!FOnline) {
        Prompter().Warn(QStringLiteral("OFF-LINEです。注文内容は変更できません。"));
        return;
    }
    const TViewerSaveHooks hooks = SaveHooks(QStringLiteral("注文"), viewer_text::OrderFilter());
    QString file;
    const QString viewed = FStage->Picture().FileName();
    if (SaveViewedPictureForOrder(FStage->Picture(), hooks, Prompter(), &file)
        == TSaveOutcome::soSaved) {
        QString original;
        if (file != viewed) {
            original = viewed;
            FStage->Picture().SavedAs(file);
            // The browser lists the folder of the new file: it shows it at once.
            if (QFileInfo(file).absolutePath() == QFileInfo(FState.LastDir).absoluteFilePath()
                && RelistBrowser)
                RelistBrowser();
        }
        if (OrderFile)
            OrderFile(file, original);
    }
    FStage->Refresh();
    UpdateViewerCommands();
    Memory();
}

void TViewerPage::StartSlideShow()
{
    if (FBrowserFiles.isEmpty())
        return;
    if (!FActive && ShowViewer)
        ShowViewer();
    FSlideRunning = true;
    FSlidePaused = false;
    FSlideTimer->setInterval(SlideTimerInterval(FState.Interval));
    FBrowserIndex = SlideStartIndex(FBrowserIndex, int(FBrowserFiles.size()));
    if (BrowserCurrent)
        BrowserCurrent(FBrowserIndex);
    ViewPicture(FBrowserFiles[FBrowserIndex]);
    qApp->installEventFilter(this);
    FSlideTimer->start();
    UpdateViewerCommands();
}

void TViewerPage::StopSlideShow(bool showEnd)
{
    if (!FSlideRunning)
        return;
    FSlideRunning = false;
    FSlidePaused = false;
    FSlideTimer->stop();
    qApp->removeEventFilter(this);
    if (showEnd)
        FStage->ShowSlideEnd();
    UpdateViewerCommands();
}

void TViewerPage::SlideTick()
{
    if (!FSlideRunning || FSlidePaused)
        return;
    const int next = NextSlideIndex(FBrowserIndex, int(FBrowserFiles.size()));
    if (next < 0) {
        StopSlideShow(true);
        return;
    }
    FBrowserIndex = next;
    if (BrowserCurrent)
        BrowserCurrent(FBrowserIndex);
    ViewPicture(FBrowserFiles[FBrowserIndex]);
}

bool TViewerPage::eventFilter(QObject *watched, QEvent *event)
{
    // While the show runs, the keys of the whole window steer it.
    if (FSlideRunning && event->type() == QEvent::KeyPress && watched->isWidgetType()
        && static_cast<QWidget *>(watched)->window() == window())
        return SlideKey(static_cast<QKeyEvent *>(event));
    return QWidget::eventFilter(watched, event);
}

bool TViewerPage::SlideKey(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Space:
        FSlidePaused = !FSlidePaused;
        return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
        StopSlideShow(false);
        if (FocusBrowser)
            FocusBrowser();
        return true;
    case Qt::Key_Escape:
        StopSlideShow(true);
        return true;
    default:
        return false;
    }
}

bool TViewerPage::EscapeKey()
{
    if (FSlideRunning) {
        StopSlideShow(true);
        return true;
    }
    if (FActive && FStage->Frame().Visible()) {
        FStage->Frame().Clear();
        UpdateViewerCommands();
        return true;
    }
    return false;
}

} // namespace korvatel
