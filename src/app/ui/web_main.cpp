#include "app/ui/web_main.h"

#include "app/client_session.h"
#include "app/online_start.h"
#include "app/program_entry.h"
#include "app/startup.h"
#include "app/ui/main_menus.h"
#include "app/ui/start_forms.h"
#include "order/browser_orders.h"
#include "order/order_thumbnail.h"
#include "order/ui/order_copy_form.h"
#include "order/ui/order_panel.h"
#include "order/ui/problem_list_form.h"
#include "order/ui/thumb_grid.h"
#include "platform/clock.h"
#include "platform/drive_table.h"
#include "platform/fonts.h"
#include "platform/program_file.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "platform/ui/qt_prompter.h"
#include "platform/user_folders.h"
#include "sources/browser_item.h"
#include "sources/date_build.h"
#include "sources/ui/browser_panel.h"
#include "sources/ui/film_grid.h"
#include "sources/ui/source_panel.h"
#include "viewer/ui/viewer_page.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QHelpEvent>
#include <QItemSelectionModel>
#include <QLabel>
#include <QProxyStyle>
#include <QScreen>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolTip>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace korvatel
{

namespace
{

// Hints appear after 300 ms and stay 30 seconds: the style sets the delay, the filter shows
// every hint with its own display time.
class THintStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
        QStyleHintReturn *returnData) const override
    {
        if (hint == SH_ToolTip_WakeUpDelay)
            return 300;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

class THintTiming : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::ToolTip || !watched->isWidgetType())
            return false;
        auto *widget = static_cast<QWidget *>(watched);
        if (widget->toolTip().isEmpty())
            return false;
        const auto *help = static_cast<QHelpEvent *>(event);
        QToolTip::showText(help->globalPos(), widget->toolTip(), widget, {}, 30000);
        return true;
    }
};

struct TClientOptions {
    QString screenshot;
    int quitAfter = -1;
    bool unattended = false;
    QStringList own; // the options as given, for a started copy
    QStringList arguments; // the rest: the program entry's command line
};

TClientOptions ParseOptions(const QStringList &args)
{
    TClientOptions options;
    for (const QString &arg : args) {
        if (arg.startsWith(QLatin1String("--screenshot=")))
            options.screenshot = arg.section(u'=', 1);
        else if (arg.startsWith(QLatin1String("--quit-after=")))
            options.quitAfter = arg.section(u'=', 1).toInt();
        else if (arg == QLatin1String("--unattended"))
            options.unattended = true;
        else {
            options.arguments << arg;
            continue;
        }
        options.own << arg;
    }
    return options;
}

} // namespace

TWebMain::TWebMain(TClientSession &session, QWidget *parent)
    : QMainWindow(parent)
    , FSession(session)
    , FOrders(session.Orders())
{
    setWindowTitle(QStringLiteral("Korvatel"));
    setMinimumSize(600, 400);
    resize(1024, 700);
    FOwnPrompter = std::make_unique<TQtPrompter>(this);
    FPrompter = FOwnPrompter.get();

    TStateSettings &state = FSession.State;
    state.FolderWidth = kFormFolderWidth;
    state.PanelRBHeight = kFormPanelRBHeight;
    state.GridColor = kFilmPanelColor;
    FSession.LoadAtCreation();
    FCardsOffered = ShopSwitchOn(FSession.Workspace().Download(), QStringLiteral("Card.on"));

    FMenus = std::make_unique<TMainMenus>(*this, FSession);
    BuildRegions();
    BuildMenus();
    BuildSourceCommands();
    BuildTabs();
    BuildShortcuts();
    ApplySettings();
    // Maximised at start; the geometry first, for screens without a window manager.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        setGeometry(screen->availableGeometry());
    setWindowState(Qt::WindowMaximized);

    OrderFile = [this](const QString &file) { OrderViewedFile(file); };
    AddScannedFile = [this](const QString &file) { FSources->AddScannedPicture(file); };
    PlaySound = [](const QString &name) { PlayResourceSound(name); };
    ShowCopyWindow = [this](int index, QRect cell) {
        TThumbGrid *grid = FOrderPage->Grid();
        korvatel::ShowCopyWindow(
            grid->CopyKind(), FOrders, index, cell, Prompter(),
            [this](const QString &name) { ShutterSound(name); }, this);
        grid->ListChanged();
    };
    FBasketSave = new QTimer(this);
    FBasketSave->setSingleShot(true);
    FBasketSave->setInterval(kBasketSaveDelay);
    connect(FBasketSave, &QTimer::timeout, this, [this] {
        if (!FClosing && !FSession.Moved())
            FSession.SaveOrderMemoryHook(FOrders)();
    });
    QTimer::singleShot(0, this, &TWebMain::FirstIdle);
}

TWebMain::~TWebMain()
{
    FClosing = true;
    // The children outlive the members they point to: the pages stop calling back while
    // ~QWidget deletes them.
    if (FBrowserPanel) {
        disconnect(FBrowserPanel->lvBrowser(), nullptr, this, nullptr);
        disconnect(FBrowserPanel, nullptr, this, nullptr);
        FBrowserPanel->MarkOrders = nullptr;
        FBrowserPanel->ListShown = nullptr;
    }
    // The basket outlives the window.
    FOrders.OnChange = nullptr;
    FOrders.OnBeforeSort = nullptr;
    if (FOrderPage)
        FOrderPage->Grid()->SetList(nullptr);
    if (FSources) {
        disconnect(FSources, nullptr, this, nullptr);
        FSources->Shutdown();
    }
}

bool TWebMain::Online() const
{
    return FSession.Online();
}

void TWebMain::FirstIdle()
{
    if (FIdleDone)
        return;
    FIdleDone = true;
    FSession.LoadAtFirstIdle();
    FSession.LoadOrderMemory(FOrders, FSession.Campus());
    ShowBasketTotals();
    RefreshFilmMarks();
    RunConsistencyCheck(kCheckAfterLoad);
    if (QAction *mode = Command(QStringLiteral("miTransMode%1").arg(int(FSession.TransMode))))
        mode->setChecked(true);
    FMenus->SetMemoryWatch(FSession.State.ChkMemIntTag);
    // The date tree comes back from its list files, without a disk walk.
    if (QFileInfo(FSession.Workspace().Tree()).isDir())
        FSources->BuildDateTree(false, false, false, false);
}

void TWebMain::closeEvent(QCloseEvent *event)
{
    // The order's windows are open: the basket and the pictures it sends must stay.
    if (FOrderRunning) {
        event->ignore();
        return;
    }
    // Closing while the picture is shown full size only leaves full size.
    if (FFullSize) {
        SetFullSize(false);
        event->ignore();
        return;
    }
    FViewerPage->StopSlideShow(false);
    // A running date scan is stopped and awaited; nothing more is built.
    FClosing = true;
    FSources->Shutdown();
    // A session that never reached its first idle moment has not read what it would save.
    FirstIdle();
    FSession.State.FolderWidth = FFolderPanel->width();
    if (FPanelRB->isVisible())
        FSession.State.PanelRBHeight = FPanelRB->height();
    // The date text being typed belongs to the basket that is saved.
    FOrderPage->Grid()->CommitDateEditor();
    FBasketSave->stop();
    FSession.Shutdown(
        { FSession.SaveOrderMemoryHook(FOrders), [this] { FSources->CollectNodeExp(); }, true });
    event->accept();
}

void TWebMain::ScheduleBasketSave()
{
    // Before the first idle moment the list is not read yet: saving it would empty the files.
    if (FIdleDone && !FClosing)
        FBasketSave->start();
}

void TWebMain::ShowBasketTotals()
{
    // The total bars: items and prints; phone items and CD-R items.
    SetTotals(FOrders.Count(), FOrders.OrderCount(), FOrders.KeitaiOrderCount(), FOrders.CdCount());
}

bool TWebMain::RunConsistencyCheck(int mode)
{
    TConsistencyEnv env;
    env.prompter = &Prompter();
    env.online = Online();
    env.showProblems = [this](const TConsistencyProblems &problems) {
        return ShowProblems ? ShowProblems(problems) : TProblemListForm::Ask(problems, this);
    };
    env.notice = [this](bool shown) { SetInconsistent(shown); };
    env.refresh = [this] {
        ShowBasketTotals();
        RefreshFilmMarks();
    };
    return CheckConsistency(FOrders, mode, env);
}

void TWebMain::OrderViewedFile(const QString &file)
{
    if (FOrders.Find(1, file) >= 0)
        return;
    TBrowserItem picture;
    picture.fullPath = file;
    picture.fileSize = QFileInfo(file).size();
    TThumbNail *item = ToggleFromBrowser(FOrders, picture, ToggleDefaults());
    if (!item)
        return;
    ShutterSound(QStringLiteral("SHT_LWAV"));
    MakeOrderThumbnail(*item, true);
    FOrders.Sort();
    FOrders.Recount();
    FOrders.RebuildAggregate();
    ShowBasketTotals();
    RefreshFilmMarks();
}

void TWebMain::ShutterSound(const QString &name)
{
    if (!FSession.Option2.ShutterOff && Online() && PlaySound)
        PlaySound(name);
}

void TWebMain::RefreshFilmMarks()
{
    // The pictures listed in the browser show whether the basket holds them.
    TFilmList &film = FBrowserPanel->Film();
    MarkOrdered(film, FOrders);
    SetOrderCounts(film.OrderedCount(), film.Count(), FOrders.Count());
    FBrowserPanel->MarksChanged();
}

int RunClient(QApplication &app)
{
    QApplication::setApplicationName(QStringLiteral("Korvatel"));
    MapWindowsFonts();
    QApplication::setFont(QFont(QStringLiteral("MS UI Gothic"), 9));

    const TClientOptions options = ParseOptions(app.arguments().mid(1));
    TQtPrompter qtPrompter;
    TUnattendedPrompter unattendedPrompter;
    TPrompter &prompter = options.unattended ? static_cast<TPrompter &>(unattendedPrompter)
                                             : static_cast<TPrompter &>(qtPrompter);

    const TUserFolders folders = TUserFolders::FromEnvironment();
    const TDriveTable drives = TDriveTable::FromSystem(folders);
    TEntryInput input { options.arguments, OwnProgramPath(), folders, drives,
        [&options](const QString &program) { return StartProgram(program, options.own); } };
    const TEntryResult entry = RunProgramEntry(input, prompter);
    if (!entry.proceed)
        return 0;

    TQtStartDialogs qtDialogs;
    TUnattendedStartDialogs unattendedDialogs;
    TStartDialogs &dialogs = options.unattended ? static_cast<TStartDialogs &>(unattendedDialogs)
                                                : static_cast<TStartDialogs &>(qtDialogs);
    TWorkspace workspace(folders, drives);
    const TServerConfig servers = TServerConfig::Load(folders.configDir);
    TServerShopData shopServer(servers);
    TSystemClock clock;
    const bool ctrlHeld = QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier;
    const TStartupResult startup
        = RunStartup(entry, workspace, dialogs, shopServer, clock, ctrlHeld);
    if (!startup.proceed)
        return 0;

    QApplication::setStyle(new THintStyle);
    app.installEventFilter(new THintTiming(&app));
    TClientSession session(std::move(workspace), entry, startup);
    TWebMain window(session);
    window.SetPrompter(&prompter);
    if (options.unattended) // nobody to answer a problem list: it is cancelled
        window.ShowProblems = [](const TConsistencyProblems &) { return TProblemAnswer::paCancel; };
    window.show();
    // A downloaded new program is started on its own; this one then ends.
    const auto startNew = [](const QString &program) { return StartProgram(program); };
    QTimer::singleShot(0, &window, [&] {
        if (ApplyVersionGate(session, OwnProgramVersion(), folders, prompter, startNew))
            window.close();
    });
    window.CheckVersion = [&] {
        if (CheckVersionFromMenu(
                servers, session, OwnProgramVersion(), folders, prompter, startNew))
            window.close();
    };
    if (!options.screenshot.isEmpty()) {
        QTimer::singleShot(500, &window, [&window, screenshot = options.screenshot] {
            const bool saved = window.grab().save(screenshot, "PNG");
            window.close();
            if (!saved)
                QApplication::exit(1);
        });
    }
    if (options.quitAfter >= 0)
        QTimer::singleShot(options.quitAfter, &window, &QWidget::close);
    return app.exec();
}

} // namespace korvatel
