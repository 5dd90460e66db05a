// The viewer's commands in the main window: turning, trimming, tone steps, pseudo double
// precision, restoring and saving, ordering the viewed picture, the slide show and full size.
#include "app/client_session.h"
#include "app/ui/main_tab_bar.h"
#include "app/ui/web_main.h"
#include "platform/prompter.h"
#include "sources/ui/browser_panel.h"
#include "sources/ui/film_grid.h"
#include "viewer/ui/rect_label.h"
#include "viewer/ui/viewer_stage.h"
#include "viewer/viewed_picture.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QScrollBar>
#include <QSplitter>
#include <QTimer>

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

bool TWebMain::ViewPicture(const QString &fileName)
{
    QString error;
    const bool loaded = FStage->ViewFile(fileName, &error);
    if (!loaded && !error.isEmpty())
        Prompter().Error(error);
    FMainPanels[0]->setText(QFileInfo(fileName).fileName());
    UpdateViewerCommands();
    MemoryStatus();
    return loaded;
}

void TWebMain::UpdateViewerCommands()
{
    // The menu "画像編集" works only in the viewer tab; its shortcuts with it.
    const TViewedPicture &picture = FStage->Picture();
    const bool shown = !picture.Empty() && FMode == tmViewer;
    const bool frame = FStage->Frame().Visible();
    const auto enable = [this](const char *name, bool on) {
        if (QAction *action = Command(QString::fromLatin1(name)))
            action->setEnabled(on);
    };
    for (const char *name : { "miUpright", "miInverted", "miLeft90", "miRight90", "miContrastUp",
             "miContrastDown", "miBrighter", "miDarker", "miPseudoDouble", "miErase", "miSaveAs",
             "miOrderView", "miFullSize" })
        enable(name, shown);
    enable("miTriming", shown && frame);
    enable("miSlideShow",
        FMode == tmViewer && (FSlideRunning || !FBrowserPanel->BrowserFiles().isEmpty()));
    enable("miSlidePause", FMode == tmViewer && FSlideRunning);
    enable("miRestore", shown && picture.Changed());
    enable("miUndo", shown && picture.CanUndo());
}

void TWebMain::FrameChanged(bool)
{
    UpdateViewerCommands();
}

void TWebMain::miRotateClick(RotationType rotation)
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
    MemoryStatus();
}

void TWebMain::miTrimingClick()
{
    if (FStage->Picture().IsCampus()) {
        Prompter().Inform(viewer_text::CampusNoTrim());
        return;
    }
    if (FStage->ApplyTrim())
        FStage->SetAutoZoom(true); // the view is fitted again
    UpdateViewerCommands();
    MemoryStatus();
}

void TWebMain::ToneClick(TToneStep step)
{
    FStage->Tone(step, [this](const QString &text) {
        FMainPanels[2]->setText(text);
        FMainPanels[2]->repaint();
    });
    UpdateViewerCommands();
    MemoryStatus();
}

void TWebMain::miDoubleClick()
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
    FMainPanels[1]->setText(
        QStringLiteral("画像サイズ W%1*H%2").arg(before.width()).arg(before.height()));
    FStage->Frame().Clear();
    for (int step = 0; step < steps; ++step) {
        FMainPanels[2]->setText(
            QStringLiteral("擬似倍精度　%1 %2").arg(step * 100 / steps).arg(QStringLiteral("%")));
        FMainPanels[2]->repaint();
        if (!picture.PseudoDouble(true))
            break;
    }
    const QSize after = picture.Size();
    FMainPanels[2]->setText(
        QStringLiteral("　完了 W%1*H%2").arg(after.width()).arg(after.height()));
    QApplication::restoreOverrideCursor();
    FStage->Refresh();
    UpdateViewerCommands();
    MemoryStatus();
}

void TWebMain::miRestoreClick()
{
    const QString file = FStage->Picture().FileName();
    if (!file.isEmpty())
        ViewPicture(file);
}

void TWebMain::miEraseClick()
{
    FStage->ClearPicture();
    FMainPanels[0]->clear();
    UpdateViewerCommands();
    MemoryStatus();
}

void TWebMain::miUndoClick()
{
    FStage->Frame().Clear();
    FStage->Picture().Undo();
    FStage->Refresh();
    UpdateViewerCommands();
}

TViewerSaveHooks TWebMain::SaveHooks(const QString &caption, const QString &filter)
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

void TWebMain::miSaveAsClick()
{
    const TViewerSaveHooks hooks
        = SaveHooks(QStringLiteral("別名でファイル保存　") + viewer_text::TimeStampNote(),
            QStringLiteral("画像ファイル(*.JPG;*.JPEG;*.BMP;*.BID)|*.JPG *.JPEG *.BMP *.BID"));
    QString saved;
    if (SaveViewedPictureAs(FStage->Picture(), hooks, Prompter(), &saved)
        == TSaveOutcome::soSaved) {
        FStage->Picture().SavedAs(saved);
        FMainPanels[0]->setText(QFileInfo(saved).fileName());
    }
    FStage->Refresh();
    UpdateViewerCommands();
}

void TWebMain::sbOrderViewClick()
{
    if (FSession.RefuseWhenOffline(
            Prompter(), QStringLiteral("OFF-LINEです。注文内容は変更できません。")))
        return;
    const TViewerSaveHooks hooks = SaveHooks(QStringLiteral("注文"), viewer_text::OrderFilter());
    QString file;
    if (SaveViewedPictureForOrder(FStage->Picture(), hooks, Prompter(), &file)
        == TSaveOutcome::soSaved) {
        if (file != FStage->Picture().FileName()) {
            FStage->Picture().SavedAs(file);
            if (QFileInfo(file).absolutePath()
                == QFileInfo(FSession.State.LastDir).absoluteFilePath()) {
                // The browser list shows the new file, at the same scroll position.
                TFilmGrid *strip = FBrowserPanel->lvBrowser();
                const int scroll = strip->verticalScrollBar()->value();
                SetBrowserFolder(FSession.State.LastDir);
                strip->verticalScrollBar()->setValue(scroll);
            }
        }
        if (OrderFile)
            OrderFile(file);
    }
    FStage->Refresh();
    UpdateViewerCommands();
    MemoryStatus();
}

void TWebMain::StartSlideShow()
{
    const QStringList files = FBrowserPanel->BrowserFiles();
    if (files.isEmpty())
        return;
    if (FMode != tmViewer)
        SelectTab(TabIndexOf(tmViewer));
    FSlideRunning = true;
    FSlidePaused = false;
    FSlideTimer->setInterval(std::clamp(FSession.State.Interval, 200, 5000));
    if (FBrowserIndex < 0 || FBrowserIndex >= files.size())
        FBrowserIndex = 0;
    FBrowserPanel->lvBrowser()->SetCurrentIndex(FBrowserIndex);
    ViewPicture(files[FBrowserIndex]);
    qApp->installEventFilter(this);
    FSlideTimer->start();
    UpdateViewerCommands();
}

void TWebMain::StopSlideShow(bool showEnd)
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

void TWebMain::SlideTick()
{
    if (!FSlideRunning || FSlidePaused)
        return;
    const QStringList files = FBrowserPanel->BrowserFiles();
    if (FBrowserIndex + 1 >= files.size()) {
        StopSlideShow(true);
        return;
    }
    ++FBrowserIndex;
    FBrowserPanel->lvBrowser()->SetCurrentIndex(FBrowserIndex);
    ViewPicture(files[FBrowserIndex]);
}

bool TWebMain::eventFilter(QObject *watched, QEvent *event)
{
    if (FSlideRunning && event->type() == QEvent::KeyPress && watched->isWidgetType()
        && static_cast<QWidget *>(watched)->window() == this)
        return SlideKey(static_cast<QKeyEvent *>(event));
    return QMainWindow::eventFilter(watched, event);
}

bool TWebMain::SlideKey(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Space:
        FSlidePaused = !FSlidePaused;
        return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
        StopSlideShow(false);
        FBrowserPanel->lvBrowser()->setFocus();
        return true;
    case Qt::Key_Escape:
        StopSlideShow(true);
        return true;
    default:
        return false;
    }
}

bool TWebMain::EscapeKey()
{
    // Esc ends a slide show first, then removes an open trimming frame, then leaves full size.
    if (FSlideRunning) {
        StopSlideShow(true);
        return true;
    }
    if (FMode == tmViewer && FStage->Frame().Visible()) {
        FStage->Frame().Clear();
        UpdateViewerCommands();
        return true;
    }
    if (FFullSize) {
        SetFullSize(false);
        return true;
    }
    return false;
}

void TWebMain::SetFullSize(bool on)
{
    if (on == FFullSize)
        return;
    if (on && (FMode != tmViewer || FStage->Picture().Empty()))
        return;
    FFullSize = on;
    menuBar()->setVisible(!on);
    FFolderPanel->setVisible(!on);
    FFilmPanel->setVisible(!on);
    FPanelRB->setVisible(!on);
    FTabRow->setVisible(!on);
    FStatusArea->setVisible(!on);
    FStage->SetToolsVisible(!on);
    if (on) {
        FStateBeforeFull = windowState();
        setWindowState(windowState() | Qt::WindowFullScreen);
    } else
        setWindowState(FStateBeforeFull);
    FStage->SetAutoZoom(FStage->AutoZoom());
}

} // namespace korvatel
